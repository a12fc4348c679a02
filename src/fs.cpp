// The file-system calls behind the notes: POSIX folders and files, and the stdio stream
// `fichier` for the text of a note.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "fs.h"
#include "globals.h"
#include "notes.h"

namespace {

const char DossierSansBarre[] = "dossier";

bool FsChiffreOuLettre(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Permission bits for the new text of chemin: the note's own, or those a new file gets
// under the umask. False when the note exists but may not be written: a read-only note
// is left alone, as writing it in place would have failed.
bool FsModeNote(const char* chemin, mode_t* mode)
{
    struct stat st;
    if (stat(chemin, &st) == 0 && S_ISREG(st.st_mode)) {
        if (access(chemin, W_OK) != 0) return false;
        *mode = st.st_mode & 07777;
        return true;
    }
    mode_t masque = umask(0);
    umask(masque);
    *mode = 0666 & ~masque;
    return true;
}

// Makes a finished rename survive a power cut. A failure here does not undo the save.
void FsSyncDossier()
{
    int fd = open(DossierSansBarre, O_RDONLY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

const char* FsRaison()
{
    switch (errno) {
    case EROFS: return RAISON_CARTE_LECTURE_SEULE;
    case ENOSPC:
    case EDQUOT: return RAISON_CARTE_PLEINE;
    case ENOTDIR: return RAISON_PAS_DOSSIER;
    case ENOTEMPTY:
    case EEXIST: return RAISON_DOSSIER_PLEIN;
    case EACCES:
    case EPERM: return RAISON_REFUS;
    case ENAMETOOLONG: return RAISON_NOM;
    default: return RAISON_ECRITURE;
    }
}

bool FsNomValide(const char* nom)
{
    if (nom == 0 || nom[0] == 0) return false;
    if (strcmp(nom, ".") == 0 || strcmp(nom, "..") == 0) return false;
    if (strchr(nom, '/') != 0) return false;
    return strlen(nom) <= (size_t)NOM_LONGUEUR_MAX;
}

bool FsEstTemporaire(const char* nom)
{
    size_t n = strlen(FS_TEMP_PREFIXE);
    if (strncmp(nom, FS_TEMP_PREFIXE, n) != 0) return false;
    if (strlen(nom) != n + FS_TEMP_SUFFIXE) return false;
    for (size_t i = n; nom[i] != 0; i++) {
        if (!FsChiffreOuLettre(nom[i])) return false;
    }
    return true;
}

bool FsChemin(char* chemin, const char* nom)
{
    chemin[0] = 0;
    if (!FsNomValide(nom)) return false;
    strcpy(chemin, DOSSIER_NOTES);
    strcat(chemin, nom);
    return true;
}

bool FsListeDossier(bool (*prendre)(const char* nom))
{
    DIR* dossier = opendir(DOSSIER_NOTES);
    if (dossier == 0) return false;
    struct dirent* entree;
    while ((entree = readdir(dossier)) != 0) {
        const char* nom = entree->d_name;
        if (strcmp(nom, ".") == 0 || strcmp(nom, "..") == 0) continue;
        if (!prendre(nom)) break;
    }
    closedir(dossier);
    return true;
}

bool FsFaitDossier()
{
    if (mkdir(DossierSansBarre, 0777) == 0) return true;
    struct stat st;
    return errno == EEXIST && stat(DossierSansBarre, &st) == 0 && S_ISDIR(st.st_mode);
}

bool FsExiste(const char* chemin)
{
    struct stat st;
    return lstat(chemin, &st) == 0;
}

bool FsCreeVide(const char* chemin)
{
    // O_EXCL: whatever already has this name is never opened, let alone emptied.
    int fd = open(chemin, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return errno == EEXIST;
    fichier = fdopen(fd, "w");
    if (fichier == 0) return close(fd) == 0;
    bool ok = fclose(fichier) == 0;
    fichier = 0;
    return ok;
}

bool FsSupprime(const char* chemin)
{
    if (remove(chemin) == 0) return true;
    return errno == ENOENT;
}

bool FsTemporaireOuvre(char* temp, const char* chemin)
{
    mode_t mode;
    temp[0] = 0;
    if (!FsModeNote(chemin, &mode)) return false;
    strcpy(temp, DOSSIER_NOTES FS_TEMP_PREFIXE "XXXXXX");
    int fd = mkstemp(temp);
    if (fd < 0) {
        temp[0] = 0;
        return false;
    }
    fichier = (fchmod(fd, mode) == 0) ? fdopen(fd, "wb") : 0;
    if (fichier == 0) {
        close(fd);
        unlink(temp);
        return false;
    }
    return true;
}

bool FsTemporaireValide(const char* temp, const char* chemin)
{
    // Every step is checked: buffered bytes may only fail to reach the card at the flush,
    // the sync or the close, and the note is replaced only after all of them succeeded.
    bool ok = fflush(fichier) == 0;
    ok = ok && fsync(fileno(fichier)) == 0;
    if (fclose(fichier) != 0) ok = false;
    fichier = 0;
    ok = ok && rename(temp, chemin) == 0;
    if (!ok) {
        unlink(temp);
        return false;
    }
    FsSyncDossier();
    return true;
}

void FsTemporaireAbandonne(const char* temp)
{
    if (fichier != 0) fclose(fichier);
    fichier = 0;
    unlink(temp);
}
