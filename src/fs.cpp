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

// A note that may be read: a regular file with a read bit.
bool FsLisible(const struct stat& st)
{
    return S_ISREG(st.st_mode) && (st.st_mode & 0444) != 0;
}

// The file a save of chemin replaces, and the permission bits of its new text. A new note
// gets those a new file gets under the umask; a link must lead to a regular file, which
// is the one replaced.
Resultat FsCibleSauvegarde(const char* chemin, char* cible, mode_t* mode)
{
    struct stat st;
    if (lstat(chemin, &st) != 0) {
        if (errno != ENOENT) return FsErreur();
        strcpy(cible, chemin);
        mode_t masque = umask(0);
        umask(masque);
        *mode = 0666 & ~masque;
        return RES_OK;
    }
    // On FAT "todo" also finds "Todo": only the note's own entry is ever replaced.
    if (!FsNomExact(chemin)) return RES_AUTRE_GRAPHIE;
    if (S_ISLNK(st.st_mode)) {
        if (realpath(chemin, cible) == 0 || stat(cible, &st) != 0) return RES_LIEN_MORT;
        if (!S_ISREG(st.st_mode)) return RES_LIEN_AUTRE;
    } else if (S_ISREG(st.st_mode)) {
        strcpy(cible, chemin);
    } else {
        return RES_PAS_NOTE;
    }
    if ((st.st_mode & 0222) == 0) return RES_NOTE_LECTURE_SEULE;
    // A user other than root may still be refused what the bits allow someone else.
    if (access(cible, W_OK) != 0) return errno == EACCES ? RES_NOTE_LECTURE_SEULE : FsErreur();
    *mode = st.st_mode & 07777;
    return RES_OK;
}

// Opens a new temporary file in the folder, as `fichier`, with these permission bits.
Resultat FsTemporaireDans(char* temp, const char* dossier, mode_t mode)
{
    if (strlen(dossier) + sizeof "/" FS_TEMP_PREFIXE "XXXXXX" > (size_t)FS_CHEMIN_MAX) return RES_NOM;
    strcpy(temp, dossier);
    strcat(temp, "/" FS_TEMP_PREFIXE "XXXXXX");
    int fd = mkstemp(temp);
    if (fd < 0) return FsErreur();
    // A driver without chmod (FAT in user space) keeps the bits it has: never a failure.
    fchmod(fd, mode);
    fichier = fdopen(fd, "wb");
    if (fichier == 0) {
        Resultat r = FsErreur();
        close(fd);
        unlink(temp);
        return r;
    }
    return RES_OK;
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
Resultat FsDossierModifiablePour(const char* chemin)
{
    char dossier[FS_CHEMIN_MAX];
    struct stat st;
    FsDossierDe(dossier, chemin);
    if (stat(dossier, &st) != 0) return RES_OK;  // the call that follows says what holds
    return (st.st_mode & 0222) != 0 ? RES_OK : RES_DOSSIER_LECTURE_SEULE;
}

void FsSyncDossierDe(const char* chemin)
{
    char dossier[FS_CHEMIN_MAX];
    FsDossierDe(dossier, chemin);
    FsSyncDossier(dossier);
}

Resultat FsCible(const char* chemin, char* cible, unsigned* mode)
{
    mode_t m = 0;
    Resultat r = FsCibleSauvegarde(chemin, cible, &m);
    if (r == RES_OK) r = FsDossierModifiablePour(cible);
    *mode = (unsigned)m;
    return r;
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

Resultat FsErreur()
{
    switch (errno) {
    case EROFS: return RES_CARTE_LECTURE_SEULE;
    case ENOSPC:
    case EDQUOT: return RES_CARTE_PLEINE;
    case ENOTDIR: return RES_PAS_DOSSIER;
    case ENOTEMPTY:
    case EEXIST: return RES_DOSSIER_PLEIN;
    case EACCES:
    case EPERM: return RES_REFUS;
    case ENAMETOOLONG:
    case EINVAL: return RES_NOM;  // a FAT card refuses some names (a trailing space)
    default: return RES_ECRITURE;
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

// True when the name has the exact shape of a temporary file of a save through a link.
static bool FsEstTemporaireLien(const char* nom)
{
    size_t n = strlen(FS_TEMP_PREFIXE);
    if (strncmp(nom, FS_TEMP_PREFIXE, n) != 0) return false;
    if (strlen(nom) != n + FS_TEMP_SUFFIXE) return false;
    for (size_t i = n; nom[i] != 0; i++) {
        if (!FsChiffreOuLettre(nom[i])) return false;
    }
    return true;
}

bool FsEstTemporaire(const char* nom)
{
    return FsEstTemporaireLien(nom) || FsPrefixeDeNote(nom, FS_JOURNAL_PREFIXE) ||
           FsPrefixeDeNote(nom, FS_JOURNAL_AUTRE) || FsPrefixeDeNote(nom, FS_EFFACE_PREFIXE);
}

bool FsChemin(char* chemin, const char* nom)
{
    chemin[0] = 0;
    if (!FsNomValide(nom)) return false;
    strcpy(chemin, DOSSIER_NOTES);
    strcat(chemin, nom);
    return true;
}

// Calls prendre for the entries of "dossier/" but "." and ".."; only for those that can be
// notes when notes is set. A folder that cannot be read has no entries.
static void FsParcourt(void (*prendre)(const char* nom), bool notes)
{
    DIR* dossier = opendir(DOSSIER_NOTES);
    if (dossier == 0) return;
    struct dirent* entree;
    while ((entree = readdir(dossier)) != 0) {
        const char* nom = entree->d_name;
        if (strcmp(nom, ".") == 0 || strcmp(nom, "..") == 0) continue;
        if (notes && (!FsNomValide(nom) || FsEstTemporaire(nom))) continue;
        prendre(nom);
    }
    closedir(dossier);
}

void FsListeDossier(void (*prendre)(const char* nom))
{
    FsParcourt(prendre, false);
}

void FsListeNotes(void (*prendre)(const char* nom))
{
    FsParcourt(prendre, true);
}

Resultat FsFaitDossier()
{
    if (mkdir(DossierSansBarre, 0777) == 0) return RES_OK;
    if (errno != EEXIST) return FsErreur();
    struct stat st;
    if (stat(DossierSansBarre, &st) != 0) return FsErreur();
    return S_ISDIR(st.st_mode) ? RES_OK : RES_PAS_DOSSIER;
}

bool FsExiste(const char* chemin)
{
    struct stat st;
    return lstat(chemin, &st) == 0;
}

// Opens the note at chemin as `fichier`: RES_OK, or why it must not be read (*absente set
// when nothing has that name).
static Resultat FsOuvreLecture(const char* chemin, bool* absente)
{
    struct stat st;
    *absente = false;
    if (lstat(chemin, &st) != 0) {
        *absente = errno == ENOENT;
        return RES_INCOMPLETE;
    }
    bool lien = S_ISLNK(st.st_mode);
    // Looked at before opening, as opening a device can act on it; looked at again through
    // the descriptor, as the entry may have changed in between.
    if (stat(chemin, &st) != 0) return lien ? RES_LIEN_MORT : RES_INCOMPLETE;
    Resultat pasLisible = lien && !S_ISREG(st.st_mode) ? RES_LIEN_AUTRE : RES_INCOMPLETE;
    if (!FsLisible(st)) return pasLisible;
    int fd = open(chemin, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return RES_INCOMPLETE;
    if (fstat(fd, &st) != 0 || !FsLisible(st) || (fichier = fdopen(fd, "rb")) == 0) {
        close(fd);
        return RES_INCOMPLETE;
    }
    // Read straight into the caller's buffer: no second copy of the note.
    setvbuf(fichier, 0, _IONBF, 0);
    return RES_OK;
}

Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus)
{
    bool absente;
    *lus = 0;
    Resultat r = FsOuvreLecture(chemin, &absente);
    if (absente) return FsLitJournalDe(chemin, octets, taille, lus);
    if (r != RES_OK) return r;
    // One byte past taille is read only to tell a longer file: a huge or endless one is
    // never read further.
    *lus = fread(octets, 1, taille, fichier);
    if (*lus == taille && fgetc(fichier) != EOF) r = RES_INCOMPLETE;
    if (ferror(fichier)) r = RES_INCOMPLETE;
    fclose(fichier);
    fichier = 0;
    return r;
}

Resultat FsCreeVide(const char* chemin)
{
    Resultat r = FsDossierModifiablePour(chemin);
    if (r != RES_OK) return r;
    // O_EXCL: whatever already has this name is never opened, let alone emptied.
    int fd = open(chemin, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST) {
        // FAT finds "Todo" for "todo": the card has the note under another spelling.
        return FsNomExact(chemin) ? RES_OK : RES_AUTRE_GRAPHIE;
    }
    if (fd < 0) return FsErreur();
    if (close(fd) != 0) return FsErreur();
    FsSyncDossierDe(chemin);
    return RES_OK;
}

Resultat FsRemplaceParTemporaire(const char* cible, unsigned mode, const char* octets, size_t n)
{
    char dossier[FS_CHEMIN_MAX];
    char temp[FS_CHEMIN_MAX];
    FsDossierDe(dossier, cible);
    Resultat r = FsTemporaireDans(temp, dossier, (mode_t)mode);
    if (r != RES_OK) return r;
    // Every step is checked: buffered bytes may only fail to reach the card at the flush,
    // the sync or the close, and the file is replaced only after all of them succeeded.
    bool ok = n == 0 || fwrite(octets, 1, n, fichier) == n;
    ok = ok && fflush(fichier) == 0;
    ok = ok && fsync(fileno(fichier)) == 0;
    if (fclose(fichier) != 0) ok = false;
    fichier = 0;
    ok = ok && rename(temp, cible) == 0;
    if (!ok) {
        r = FsErreur();
        unlink(temp);
        return r;
    }
    FsSyncDossier(dossier);
    return RES_OK;
}
