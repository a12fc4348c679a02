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

// Copies the folder part of chemin ("." when it has none) into dossier (FS_CHEMIN_MAX bytes).
void FsDossierDe(char* dossier, const char* chemin)
{
    const char* barre = strrchr(chemin, '/');
    if (barre == 0) {
        strcpy(dossier, ".");
        return;
    }
    size_t n = (barre == chemin) ? 1 : (size_t)(barre - chemin);
    memcpy(dossier, chemin, n);
    dossier[n] = 0;
}

// Refuses a note or a folder that has no write bit: false, RaisonEchec set.
bool FsModifiable(const struct stat& st, const char* raison)
{
    return (st.st_mode & 0222) != 0 || FsRefuse(raison);
}

// A note that may be read: a regular file with a read bit.
bool FsLisible(const struct stat& st)
{
    return S_ISREG(st.st_mode) && (st.st_mode & 0444) != 0;
}

// The file a save of chemin replaces, and the permission bits of its new text. A new note
// gets those a new file gets under the umask; a link must lead to a regular file, which
// is the one replaced. False, RaisonEchec set, when the note may not be replaced.
bool FsCibleSauvegarde(const char* chemin, char* cible, mode_t* mode)
{
    struct stat st;
    if (lstat(chemin, &st) != 0) {
        if (errno != ENOENT) return FsEchec();
        strcpy(cible, chemin);
        mode_t masque = umask(0);
        umask(masque);
        *mode = 0666 & ~masque;
        return true;
    }
    // On FAT "todo" also finds "Todo": only the note's own entry is ever replaced.
    if (!FsNomExact(chemin)) return FsRefuse(RAISON_AUTRE_GRAPHIE);
    if (S_ISLNK(st.st_mode)) {
        if (realpath(chemin, cible) == 0 || stat(cible, &st) != 0) return FsRefuse(RAISON_LIEN_MORT);
        if (!S_ISREG(st.st_mode)) return FsRefuse(RAISON_LIEN_AUTRE);
    } else if (S_ISREG(st.st_mode)) {
        strcpy(cible, chemin);
    } else {
        return FsRefuse(RAISON_PAS_NOTE);
    }
    if (!FsModifiable(st, RAISON_NOTE_LECTURE_SEULE)) return false;
    // A user other than root may still be refused what the bits allow someone else.
    if (access(cible, W_OK) != 0) {
        return errno == EACCES ? FsRefuse(RAISON_NOTE_LECTURE_SEULE) : FsEchec();
    }
    *mode = st.st_mode & 07777;
    return true;
}

// Opens a new temporary file in the folder, as `fichier`, with these permission bits.
bool FsTemporaireDans(char* temp, const char* dossier, mode_t mode)
{
    if (strlen(dossier) + sizeof "/" FS_TEMP_PREFIXE "XXXXXX" > (size_t)FS_CHEMIN_MAX) {
        return FsRefuse(RAISON_NOM);
    }
    strcpy(temp, dossier);
    strcat(temp, "/" FS_TEMP_PREFIXE "XXXXXX");
    int fd = mkstemp(temp);
    if (fd < 0) return FsEchec();
    // A driver without chmod (FAT in user space) keeps the bits it has: never a failure.
    fchmod(fd, mode);
    fichier = fdopen(fd, "wb");
    if (fichier == 0) {
        FsEchec();
        close(fd);
        unlink(temp);
        return false;
    }
    return true;
}

// Makes finished renames, creates and removals survive a power cut. A failure here does
// not undo what was done.
void FsSyncDossier(const char* dossier)
{
    int fd = open(dossier, O_RDONLY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

// Read-only is decided by the mode bits, so that it holds for root too (the handheld runs
// its programs as root): nothing is made, replaced or removed in a folder without a write
// bit.
bool FsDossierModifiablePour(const char* chemin)
{
    char dossier[FS_CHEMIN_MAX];
    struct stat st;
    FsDossierDe(dossier, chemin);
    return stat(dossier, &st) != 0 || FsModifiable(st, RAISON_DOSSIER_LECTURE_SEULE);
}

void FsSyncDossierDe(const char* chemin)
{
    char dossier[FS_CHEMIN_MAX];
    FsDossierDe(dossier, chemin);
    FsSyncDossier(dossier);
}

bool FsCible(const char* chemin, char* cible, unsigned* mode)
{
    mode_t m = 0;
    if (!FsCibleSauvegarde(chemin, cible, &m) || !FsDossierModifiablePour(cible)) return false;
    *mode = (unsigned)m;
    return true;
}

bool FsNomExact(const char* chemin)
{
    char dossier[FS_CHEMIN_MAX];
    FsDossierDe(dossier, chemin);
    const char* barre = strrchr(chemin, '/');
    const char* nom = barre ? barre + 1 : chemin;
    DIR* d = opendir(dossier);
    if (d == 0) return true;  // cannot tell: the call that follows says what holds
    bool trouve = false;
    struct dirent* e;
    while (!trouve && (e = readdir(d)) != 0) trouve = strcmp(e->d_name, nom) == 0;
    closedir(d);
    return trouve;
}

bool FsMemeFichier(const char* a, const char* b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool FsRefuse(const char* raison)
{
    RaisonEchec = raison;
    return false;
}

bool FsEchec()
{
    return FsRefuse(FsRaison());
}

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
    case ENAMETOOLONG:
    case EINVAL: return RAISON_NOM;  // a FAT card refuses some names (a trailing space)
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

// True when nom is prefixe followed by a name that can be a note.
static bool FsPrefixeDeNote(const char* nom, const char* prefixe)
{
    size_t n = strlen(prefixe);
    return strncmp(nom, prefixe, n) == 0 && FsNomValide(nom + n);
}

bool FsEstTemporaire(const char* nom)
{
    return FsEstTemporaireLien(nom) || FsPrefixeDeNote(nom, FS_JOURNAL_PREFIXE) ||
           FsPrefixeDeNote(nom, FS_EFFACE_PREFIXE);
}

bool FsEstTemporaireLien(const char* nom)
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
    if (errno != EEXIST) return false;
    struct stat st;
    if (stat(DossierSansBarre, &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
}

bool FsExiste(const char* chemin)
{
    struct stat st;
    return lstat(chemin, &st) == 0;
}

int FsOuvreLecture(const char* chemin)
{
    static char tampon[FS_LECTURE_MAX];
    struct stat st;
    RaisonEchec = RAISON_INCOMPLETE;
    if (lstat(chemin, &st) != 0) return errno == ENOENT ? FS_ABSENTE : FS_ILLISIBLE;
    bool lien = S_ISLNK(st.st_mode);
    // Looked at before opening, as opening a device can act on it; looked at again through
    // the descriptor, as the entry may have changed in between.
    if (stat(chemin, &st) != 0) {
        if (lien) RaisonEchec = RAISON_LIEN_MORT;
        return FS_ILLISIBLE;
    }
    if (lien && !S_ISREG(st.st_mode)) RaisonEchec = RAISON_LIEN_AUTRE;
    if (!FsLisible(st)) return FS_ILLISIBLE;
    int fd = open(chemin, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return FS_ILLISIBLE;
    if (fstat(fd, &st) != 0 || !FsLisible(st)) {
        close(fd);
        return FS_ILLISIBLE;
    }
    fichier = fdopen(fd, "rb");
    if (fichier == 0) {
        close(fd);
        return FS_ILLISIBLE;
    }
    setvbuf(fichier, tampon, _IOFBF, sizeof tampon);
    return FS_OUVERTE;
}

bool FsCreeVide(const char* chemin)
{
    if (!FsDossierModifiablePour(chemin)) return false;
    // O_EXCL: whatever already has this name is never opened, let alone emptied.
    int fd = open(chemin, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST) {
        // FAT finds "Todo" for "todo": the card has the note under another spelling.
        return FsNomExact(chemin) || FsRefuse(RAISON_AUTRE_GRAPHIE);
    }
    if (fd < 0) return FsEchec();
    return close(fd) == 0 || FsEchec();
}

bool FsSupprime(const char* chemin)
{
    struct stat st;
    if (lstat(chemin, &st) != 0) return errno == ENOENT || FsEchec();
    // Removing an entry changes its folder, not the file: the user has confirmed it by
    // name. A link is only a name: removing it leaves what it leads to alone.
    if (!FsDossierModifiablePour(chemin)) return false;
    return remove(chemin) == 0 || errno == ENOENT || FsEchec();
}

bool FsRemplaceParTemporaire(const char* cible, unsigned mode, const char* octets, size_t n)
{
    char dossier[FS_CHEMIN_MAX];
    char temp[FS_CHEMIN_MAX];
    FsDossierDe(dossier, cible);
    if (!FsTemporaireDans(temp, dossier, (mode_t)mode)) return false;
    // Every step is checked: buffered bytes may only fail to reach the card at the flush,
    // the sync or the close, and the file is replaced only after all of them succeeded.
    bool ok = n == 0 || fwrite(octets, 1, n, fichier) == n;
    ok = ok && fflush(fichier) == 0;
    ok = ok && fsync(fileno(fichier)) == 0;
    if (fclose(fichier) != 0) ok = false;
    fichier = 0;
    ok = ok && rename(temp, cible) == 0;
    if (!ok) {
        FsEchec();
        unlink(temp);
        return false;
    }
    FsSyncDossier(dossier);
    return true;
}
