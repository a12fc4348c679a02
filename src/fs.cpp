// The notes folder's files: saves and deletes that survive a power cut on a FAT card, and
// the start-up that finishes or undoes them.
//
// FAT drivers do not rename atomically, so no note is renamed. A save or a delete first
// writes a record, ".copie-" + the note's name: a header and the name under one CRC-32, then
// the new text under another. A save then removes the note and writes it anew; a delete
// removes it. Last the record is retired (its magic changed and synced) and removed. At the
// next start a whole record is the truth: a save's note that holds neither its old text nor
// its new one is written anew from it, a delete's note goes. A record whose text does not
// check was cut before the note was touched and goes, as a retired one does. Nothing else
// goes but a record-named file of zeros and a stray entry (below).
//
// The kernel's FAT driver orders only what a sync orders; a file's sync writes its data,
// then its entry, then the table. So a new file is written, the table synced, then the
// file: its entry never names free clusters. A removed file is held open across its unlink
// and the folder's sync, so its clusters are freed only once the removal is on the card. A
// record is retired before it goes, so that free clusters never hold a whole record that a
// new file, its entry landed before its data, would show. A torn folder sector may keep
// only a long name's short entry ("COPIE-~1"): it is read as a record when it holds one,
// or as the stray entry of the note whose old or new text it holds exactly.
//
// A note reached through a link is saved by renaming a temporary file (".sauve-XXXXXX")
// over its file: the file systems that have links rename atomically.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "fs.h"
#include "globals.h"
#include "notes.h"

namespace {

typedef unsigned int Mot;  // 32 bits on every target of the program

// A record: magic; CRC-32 of the rest of the header and of the name; length (EFFACEMENT
// for a delete) and CRC-32 of the new text; length (SANS_NOTE when there was none) and
// CRC-32 of the note's text before; the note's permission bits; the length of its name;
// then the name and the new text.
const char Magie[4] = {'S', 'C', 'J', '2'};
const char MagieRetiree[4] = {'S', 'C', 'J', '-'};
enum {
    ENTETE = 32,
    JOURNAL_MAX = ENTETE + NOM_LONGUEUR_MAX + NOTE_OCTETS_MAX,
    CHEMIN_MAX = 4096  // a linked note's file may lie anywhere
};
const Mot SANS_NOTE = 0xffffffffu;
const Mot EFFACEMENT = 0xfffffffeu;

enum Sorte { PAS_JOURNAL, JOURNAL_ACTIF, JOURNAL_RETIRE };  // a cut record is as good as retired

// The record being written or read last; one more byte than the largest tells a longer file.
char Journal[JOURNAL_MAX + 1];

Resultat FsErreur()
{
    switch (errno) {
    case EROFS: return RES_CARTE_LECTURE_SEULE;
    case ENOSPC: case EDQUOT: return RES_CARTE_PLEINE;
    case ENOTDIR: return RES_PAS_DOSSIER;
    case ENOTEMPTY: case EEXIST: return RES_DOSSIER_PLEIN;
    case EACCES: case EPERM: return RES_REFUS;
    case ENAMETOOLONG: case EINVAL: return RES_NOM;  // a FAT card refuses some names (a trailing space)
    default: return RES_ECRITURE;
    }
}

bool FsNomValide(const char* nom)
{
    return nom[0] != 0 && strcmp(nom, ".") != 0 && strcmp(nom, "..") != 0 && strchr(nom, '/') == 0 &&
           strlen(nom) <= (size_t)NOM_LONGUEUR_MAX;
}

// "dossier/" + prefixe (8 bytes at most) + nom (a folder's entry: 255 at most) into chemin.
void FsCheminDe(char* chemin, const char* prefixe, const char* nom)
{
    strcat(strcat(strcpy(chemin, DOSSIER_NOTES), prefixe), nom);
}

const char* FsNomDe(const char* chemin)
{
    return chemin + strlen(DOSSIER_NOTES);
}

// The one walk of the notes folder: voit(nom) for every entry ("." and ".." are neither notes
// nor files) until it answers true. 1 when it did, 0 when it never did, -1: unreadable.
int FsParcourt(bool (*voit)(const char* nom))
{
    DIR* dossier = opendir(DOSSIER_NOTES);
    if (dossier == 0) return -1;
    struct dirent* e;
    bool trouve = false;
    while (!trouve && (e = readdir(dossier)) != 0) trouve = voit(e->d_name);
    closedir(dossier);
    return trouve ? 1 : 0;
}

const char* Cherche;  // the name FsNomExact looks for

bool FsEstCherche(const char* nom)
{
    return strcmp(nom, Cherche) == 0;
}

// True when the folder holds an entry of exactly chemin's name: on FAT a name also finds
// the entry of another spelling ("Todo" for "todo").
bool FsNomExact(const char* chemin)
{
    Cherche = FsNomDe(chemin);
    return FsParcourt(FsEstCherche) != 0;  // unreadable: the call that follows says what holds
}

// Copies the folder part of chemin, which has one, into dossier.
void FsDossierDe(char* dossier, const char* chemin)
{
    strcpy(dossier, chemin);
    char* barre = strrchr(dossier, '/');
    barre[barre == dossier] = 0;  // "/x" is in "/"
}

// RES_DOSSIER_LECTURE_SEULE when the folder holding chemin has no write bit: nothing is
// made, replaced or removed in it, root or not.
Resultat FsDossierModifiablePour(const char* chemin)
{
    char dossier[CHEMIN_MAX];
    struct stat st;
    FsDossierDe(dossier, chemin);
    // Unreadable: the call that follows says what holds.
    return stat(dossier, &st) != 0 || (st.st_mode & 0222) != 0 ? RES_OK : RES_DOSSIER_LECTURE_SEULE;
}

// Makes the renames, creates and removals done in chemin's folder last; a failure undoes none.
void FsSyncDossierDe(const char* chemin)
{
    char dossier[CHEMIN_MAX];
    FsDossierDe(dossier, chemin);
    int fd = open(dossier, O_RDONLY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

Mot FsCrc(const char* octets, size_t n, Mot crc)
{
    crc = ~crc;
    for (size_t i = 0; i < n; i++) {
        crc ^= (unsigned char)octets[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The one reader: a regular file (never through a link), its first n bytes into octets, their
// count in *longueur; with crc, read to its end for its length and CRC-32. False: unreadable.
bool FsLit(const char* chemin, char* octets, size_t n, Mot* longueur, Mot* crc)
{
    char bloc[1024];
    struct stat st;
    *longueur = 0;
    if (lstat(chemin, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    int fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    if (crc) *crc = 0;
    ssize_t k = 1;
    while (crc || *longueur < n) {
        char* ou = *longueur < n ? octets + *longueur : bloc;
        k = read(fd, ou, *longueur < n ? n - *longueur : sizeof bloc);
        if (k <= 0) break;
        if (crc) *crc = FsCrc(ou, (size_t)k, *crc);
        *longueur += (Mot)k;
    }
    close(fd);
    return k >= 0;
}

// The one writer: creates chemin (O_EXCL, or mkstemp for a temporary name), writes the n
// bytes and syncs them after the table. False, errno set, no file left, on any failure.
bool FsEcritNeuf(char* chemin, unsigned mode, const char* octets, size_t n, bool temporaire)
{
    int fd = temporaire ? mkstemp(chemin) : open(chemin, O_WRONLY | O_CREAT | O_EXCL, (mode_t)mode);
    if (fd < 0) return false;
    fchmod(fd, (mode_t)mode);  // past the umask; a driver without chmod keeps its own: no failure
    ssize_t k = 1;
    while (k > 0 && n > 0) {
        k = write(fd, octets, n);
        if (k > 0) octets += k, n -= (size_t)k;
    }
    // Any sync writes the kernel driver's table; the notes' parent folder holds none of them.
    if (n == 0) FsSyncDossierDe("./dossier");
    bool ok = n == 0 && fsync(fd) == 0;
    int erreur = errno;
    if (close(fd) != 0 && ok) ok = false, erreur = errno;
    if (!ok) unlink(chemin), errno = erreur;
    return ok;
}

// Removes the entry (a file or an empty folder) and makes its removal last, its clusters
// freed only after that. True when it is gone.
bool FsRetire(const char* chemin)
{
    int fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    bool ok = remove(chemin) == 0 || errno == ENOENT;
    int erreur = errno;
    FsSyncDossierDe(chemin);
    if (fd >= 0) close(fd);
    errno = erreur;
    return ok;
}

void FsPoseMot(char* ou, Mot m)
{
    for (int i = 0; i < 4; i++) ou[i] = (char)((m >> (8 * i)) & 0xff);
}

Mot FsLitMot(const char* ou)
{
    Mot m = 0;
    for (int i = 3; i >= 0; i--) m = (m << 8) | (unsigned char)ou[i];
    return m;
}

// The fields of the record in Journal.
bool FsEffacement()
{
    return FsLitMot(Journal + 8) == EFFACEMENT;
}

Mot FsTexteLongueur()
{
    return FsEffacement() ? 0 : FsLitMot(Journal + 8);
}

const char* FsTexte()
{
    return Journal + ENTETE + FsLitMot(Journal + 28);
}

// True when bytes of that length and CRC are the new text (champ 8) or the old one (16).
bool FsTexteEst(Mot longueur, Mot crc, int champ)
{
    return longueur == FsLitMot(Journal + champ) && crc == FsLitMot(Journal + champ + 4);
}

// A short name a FAT driver makes up: 8 + 1 + 3 bytes at most, no small letter, "~" and a digit.
bool FsNomCourt(const char* nom)
{
    const char* tilde = strchr(nom, '~');
    return strlen(nom) <= 12 && tilde != 0 && tilde[1] >= '0' && tilde[1] <= '9' &&
           strpbrk(nom, "abcdefghijklmnopqrstuvwxyz") == 0;
}

bool FsNomDeJournal(const char* nom)
{
    return strncmp(nom, FS_JOURNAL_PREFIXE, 7) == 0 || strncmp(nom, FS_JOURNAL_AUTRE, 7) == 0;
}

// Reads chemin into Journal: a record when its header checks and its file is named after
// the note it names (or has a short name); note, when given, then holds the note's path.
Sorte FsLitJournal(const char* chemin, char* note)
{
    Mot n = 0;
    if (!FsLit(chemin, Journal, sizeof Journal, &n, 0) || n < ENTETE) return PAS_JOURNAL;
    Mot l = FsLitMot(Journal + 28);
    bool actif = memcmp(Journal, Magie, 4) == 0;
    if ((!actif && memcmp(Journal, MagieRetiree, 4) != 0) || l > NOM_LONGUEUR_MAX || ENTETE + l > n ||
        FsCrc(Journal + 8, ENTETE - 8 + l, 0) != FsLitMot(Journal + 4)) {
        return PAS_JOURNAL;
    }
    // The name is read from the card: it must be a note's, and the file's.
    char nom[NOM_LONGUEUR_MAX + 1] = "";
    memcpy(nom, Journal + ENTETE, l);
    if (note) FsCheminDe(note, "", nom);
    const char* fichier = FsNomDe(chemin);
    bool nomme = FsNomDeJournal(fichier) && strcmp(fichier + 7, nom) == 0;
    if (strlen(nom) != l || !FsNomValide(nom) || !(nomme || FsNomCourt(fichier))) return PAS_JOURNAL;
    Mot t = FsTexteLongueur();
    if (!actif || t > NOTE_OCTETS_MAX || ENTETE + l + t != n) return JOURNAL_RETIRE;
    return FsCrc(FsTexte(), t, 0) == FsLitMot(Journal + 12) ? JOURNAL_ACTIF : JOURNAL_RETIRE;
}

// Writes the record of a save (the n bytes) or delete (octets null) of note, its path in
// journal; a stranger's file under its name makes it take the other. False, errno set: failed.
bool FsEcritJournal(char* journal, const char* note, const char* octets, size_t n, unsigned mode)
{
    struct stat st;
    Mot ancienne = SANS_NOTE, crc = 0;
    if (lstat(note, &st) == 0 && S_ISREG(st.st_mode) && !FsLit(note, 0, 0, &ancienne, &crc)) return false;
    const char* nom = FsNomDe(note);
    Mot l = (Mot)strlen(nom);
    const Mot champs[6] = {octets ? (Mot)n : EFFACEMENT, FsCrc(octets, octets ? n : 0, 0), ancienne, crc,
                           mode, l};
    memcpy(Journal, Magie, 4);
    for (int i = 0; i < 6; i++) FsPoseMot(Journal + 8 + 4 * i, champs[i]);
    memcpy(Journal + ENTETE, nom, l);
    if (octets) memcpy(Journal + ENTETE + l, octets, n);
    FsPoseMot(Journal + 4, FsCrc(Journal + 8, ENTETE - 8 + l, 0));
    size_t taille = ENTETE + l + (octets ? n : 0);
    FsCheminDe(journal, FS_JOURNAL_PREFIXE, nom);
    if (FsEcritNeuf(journal, mode, Journal, taille, false)) return true;
    if (errno != EEXIST) return false;
    FsCheminDe(journal, FS_JOURNAL_AUTRE, nom);
    return FsEcritNeuf(journal, mode, Journal, taille, false);
}

// Retires the record at journal, then removes it. True when it is gone.
bool FsRetireJournal(const char* journal)
{
    int fd = open(journal, O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    bool ok = pwrite(fd, MagieRetiree, 4, 0) == 4 && fsync(fd) == 0;
    close(fd);
    return ok && FsRetire(journal);
}

// The note's record under either name (its path in journal, Journal read), or PAS_JOURNAL.
Sorte FsJournalDe(const char* note, char* journal)
{
    FsCheminDe(journal, FS_JOURNAL_PREFIXE, FsNomDe(note));
    Sorte sorte = FsLitJournal(journal, 0);
    if (sorte != PAS_JOURNAL) return sorte;
    FsCheminDe(journal, FS_JOURNAL_AUTRE, FsNomDe(note));
    return FsLitJournal(journal, 0);
}

// ---- Start-up: removals first, in passes; then writes ----

bool Change;  // the pass removed something: the folder is read again

// The stray entry looked for: its path, length and CRC.
char Egaree[CHEMIN_MAX];
Mot EgareeLongueur, EgareeCrc;

// True when nom is a whole record of another note whose old or new text the stray holds.
bool FsEstJournalDeEgaree(const char* nom)
{
    char chemin[CHEMIN_MAX], note[CHEMIN_MAX];
    FsCheminDe(chemin, "", nom);
    return FsLitJournal(chemin, note) == JOURNAL_ACTIF && strcmp(note, Egaree) != 0 &&
           (FsTexteEst(EgareeLongueur, EgareeCrc, 16) || FsTexteEst(EgareeLongueur, EgareeCrc, 8));
}

// Before the records go: a short name that holds no record but exactly the old or the new
// text of a whole record of the folder is a stray short entry of that record's note.
bool FsPasseEgarees(const char* nom)
{
    FsCheminDe(Egaree, "", nom);
    if (FsNomCourt(nom) && FsLitJournal(Egaree, 0) == PAS_JOURNAL &&
        FsLit(Egaree, 0, 0, &EgareeLongueur, &EgareeCrc) && FsParcourt(FsEstJournalDeEgaree) == 1) {
        FsRetire(Egaree);
    }
    return false;
}

// An active record's removals. True when all are done and the record may go.
bool FsRetireSelonJournal(const char* note)
{
    Mot longueur, crc;
    if (FsEffacement()) return FsRetire(note);
    if (!FsLit(note, 0, 0, &longueur, &crc)) return false;  // to write, or no note's file
    if (FsTexteEst(longueur, crc, 16)) return true;  // cut before the note was touched
    // Its entry landed, not its data: written over in place.
    if (longueur == FsLitMot(Journal + 8) && !FsTexteEst(longueur, crc, 8)) return false;
    // Not its new text, or on an entry another driver may have written before the table.
    if (FsRetire(note)) Change = true;
    return false;
}

bool FsPasseRetraits(const char* nom)
{
    char chemin[CHEMIN_MAX], note[CHEMIN_MAX];
    FsCheminDe(chemin, "", nom);
    Mot n = 0;
    Sorte sorte = FsLitJournal(chemin, note);
    if (sorte == PAS_JOURNAL) {
        // A record-named file of nothing but zeros has nothing to lose: a cut left it, its
        // entry on the card before its first byte.
        bool vide = FsEstTemporaire(nom) && FsNomDeJournal(nom) &&
                    FsLit(chemin, Journal, sizeof Journal, &n, 0) && n < sizeof Journal;
        for (Mot i = 0; vide && i < n; i++) vide = Journal[i] == 0;
        if (vide && FsRetire(chemin)) Change = true;
    } else if (sorte == JOURNAL_RETIRE) {
        if (FsRetire(chemin)) Change = true;
    } else if (FsRetireSelonJournal(note) && FsRetireJournal(chemin)) {
        Change = true;
    }
    return false;
}

// A save's record writes its note anew (O_EXCL keeps any other), or over in place when its
// entry landed without its data: no removal, which could leave a stray short entry.
bool FsPasseEcritures(const char* nom)
{
    char chemin[CHEMIN_MAX], note[CHEMIN_MAX];
    FsCheminDe(chemin, "", nom);
    if (FsLitJournal(chemin, note) != JOURNAL_ACTIF || FsEffacement()) return false;
    Mot longueur = 0, crc;
    bool ok = FsEcritNeuf(note, FsLitMot(Journal + 24), FsTexte(), FsTexteLongueur(), false);
    if (!ok && errno == EEXIST && FsLit(note, 0, 0, &longueur, &crc) && longueur == FsTexteLongueur() &&
        !FsTexteEst(longueur, crc, 8) && !FsTexteEst(longueur, crc, 16)) {
        int fd = open(note, O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
        ok = fd >= 0 && pwrite(fd, FsTexte(), longueur, 0) == (ssize_t)longueur && fsync(fd) == 0;
        if (fd >= 0) close(fd);
    }
    if (ok) FsRetireJournal(chemin);
    return false;
}

void (*Prendre)(const char* nom);  // FsListeNotes' caller

bool FsPrendNote(const char* nom)
{
    if (FsNomValide(nom) && !FsEstTemporaire(nom)) Prendre(nom);
    return false;
}

// A note that may be read: a regular file with a read bit.
bool FsLisible(const struct stat& st)
{
    return S_ISREG(st.st_mode) && (st.st_mode & 0444) != 0;
}

// The file a save of chemin replaces (chemin, or the regular file a link leads to) and the
// bits of its new text (a new note's: the umask's), or why the note may not be replaced.
Resultat FsCible(const char* chemin, char* cible, mode_t* mode)
{
    struct stat st;
    strcpy(cible, chemin);
    if (lstat(chemin, &st) != 0) {
        if (errno != ENOENT) return FsErreur();
        mode_t masque = umask(0);
        umask(masque);
        *mode = 0666 & ~masque;
        return FsDossierModifiablePour(cible);
    }
    // On FAT "todo" also finds "Todo": only the note's own entry is ever replaced.
    if (!FsNomExact(chemin)) return RES_AUTRE_GRAPHIE;
    bool lien = S_ISLNK(st.st_mode);
    if (lien && (realpath(chemin, cible) == 0 || stat(cible, &st) != 0)) return RES_LIEN_MORT;
    if (!S_ISREG(st.st_mode)) return lien ? RES_LIEN_AUTRE : RES_PAS_NOTE;
    if ((st.st_mode & 0222) == 0) return RES_NOTE_LECTURE_SEULE;
    // A user other than root may still be refused what the bits allow someone else.
    if (access(cible, W_OK) != 0) return errno == EACCES ? RES_NOTE_LECTURE_SEULE : FsErreur();
    *mode = st.st_mode & 07777;
    return FsDossierModifiablePour(cible);
}

// Replaces a link's file by a temporary file beside it, renamed over it; none left on failure.
Resultat FsRemplaceLien(const char* cible, mode_t mode, const char* octets, size_t n)
{
    char temp[CHEMIN_MAX];
    if (strlen(cible) + sizeof FS_TEMP_PREFIXE "XXXXXX" > (size_t)CHEMIN_MAX) return RES_NOM;
    strcpy(temp, cible);
    strcpy(strrchr(temp, '/') + 1, FS_TEMP_PREFIXE "XXXXXX");
    if (!FsEcritNeuf(temp, mode, octets, n, true)) return FsErreur();
    Resultat r = rename(temp, cible) == 0 ? RES_OK : FsErreur();
    if (r == RES_OK) FsSyncDossierDe(cible);
    else unlink(temp);
    return r;
}

}  // namespace

bool FsEstTemporaire(const char* nom)
{
    static const char* const Prefixes[] = {FS_JOURNAL_PREFIXE, FS_JOURNAL_AUTRE, FS_EFFACE_PREFIXE};
    for (int i = 0; i < 3; i++) {
        size_t n = strlen(Prefixes[i]);
        if (strncmp(nom, Prefixes[i], n) == 0 && FsNomValide(nom + n)) return true;
    }
    // A link's temporary file: the prefix and exactly six letters or digits.
    const char* suffixe = nom + strlen(FS_TEMP_PREFIXE);
    return strncmp(nom, FS_TEMP_PREFIXE, strlen(FS_TEMP_PREFIXE)) == 0 && strlen(suffixe) == 6 &&
           strspn(suffixe, "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") == 6;
}

bool FsChemin(char* chemin, const char* nom)
{
    chemin[0] = 0;
    if (!FsNomValide(nom)) return false;
    FsCheminDe(chemin, "", nom);
    return true;
}

void FsListeNotes(void (*prendre)(const char* nom))
{
    Prendre = prendre;
    FsParcourt(FsPrendNote);
}

bool FsMemeFichier(const char* a, const char* b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

Resultat FsFaitDossier()
{
    struct stat st;
    if (mkdir("dossier", 0777) == 0) return RES_OK;
    if (errno != EEXIST || stat("dossier", &st) != 0) return FsErreur();
    return S_ISDIR(st.st_mode) ? RES_OK : RES_PAS_DOSSIER;
}

Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus)
{
    struct stat st;
    char journal[CHEMIN_MAX];
    *lus = 0;
    if (lstat(chemin, &st) != 0) {
        // A missing note reads as the text of a save that failed once it was removed.
        if (errno != ENOENT) return RES_INCOMPLETE;
        if (FsJournalDe(chemin, journal) != JOURNAL_ACTIF || FsEffacement()) return RES_OK;
        *lus = FsTexteLongueur() < taille ? FsTexteLongueur() : taille;
        memcpy(octets, FsTexte(), *lus);
        return RES_TEXTE_DU_JOURNAL;
    }
    bool lien = S_ISLNK(st.st_mode);
    // Looked at before opening, which acts on a device, and through the descriptor after.
    if (stat(chemin, &st) != 0) return lien ? RES_LIEN_MORT : RES_INCOMPLETE;
    if (!FsLisible(st)) return lien && !S_ISREG(st.st_mode) ? RES_LIEN_AUTRE : RES_INCOMPLETE;
    int fd = open(chemin, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return RES_INCOMPLETE;
    if (fstat(fd, &st) != 0 || !FsLisible(st) || (fichier = fdopen(fd, "rb")) == 0) {
        close(fd);
        return RES_INCOMPLETE;
    }
    // One byte past taille only tells a longer file: a huge or endless one is read no further.
    setvbuf(fichier, 0, _IONBF, 0);
    *lus = fread(octets, 1, taille, fichier);
    Resultat r = (*lus == taille && fgetc(fichier) != EOF) || ferror(fichier) ? RES_INCOMPLETE : RES_OK;
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
    // FAT finds "Todo" for "todo": the card may have the note under another spelling.
    if (fd < 0 && errno == EEXIST) return FsNomExact(chemin) ? RES_OK : RES_AUTRE_GRAPHIE;
    if (fd < 0 || close(fd) != 0) return FsErreur();
    FsSyncDossierDe(chemin);
    return RES_OK;
}

void FsRetablitDossier()
{
    if (FsDossierModifiablePour(DOSSIER_NOTES ".") != RES_OK) return;
    FsParcourt(FsPasseEgarees);
    // A removal during a reading of the folder may hide entries from it: read it again.
    for (int passe = 0; passe < 8; passe++) {
        Change = false;
        FsParcourt(FsPasseRetraits);
        if (!Change) break;
    }
    // Writes come once every removal is done: they take no room a removal still holds.
    FsParcourt(FsPasseEcritures);
}

Resultat FsEcritNote(const char* chemin, const char* octets, size_t n)
{
    char cible[CHEMIN_MAX], journal[CHEMIN_MAX];
    mode_t mode = 0;
    Resultat r = FsCible(chemin, cible, &mode);
    if (r != RES_OK) return r;
    if (strcmp(cible, chemin) != 0) return FsRemplaceLien(cible, mode, octets, n);
    // A save that failed once the note was removed left its record: finished first, freeing its name.
    if (FsJournalDe(chemin, journal) != PAS_JOURNAL) {
        FsPasseRetraits(FsNomDe(journal));
        FsPasseEcritures(FsNomDe(journal));
        if (FsJournalDe(chemin, journal) != PAS_JOURNAL) return FsErreur();
        if ((r = FsCible(chemin, cible, &mode)) != RES_OK) return r;
    }
    if (!FsEcritJournal(journal, chemin, octets, n, mode)) return FsErreur();
    r = FsRetire(chemin) ? RES_OK : FsErreur();
    // Once the note is gone its record holds the text: should this write fail, the record
    // stays and the note opens with it.
    if (r == RES_OK && !FsEcritNeuf(cible, mode, octets, n, false)) return FsErreur();
    FsRetireJournal(journal);
    return r;
}

Resultat FsEffaceNote(const char* chemin)
{
    char journal[CHEMIN_MAX];
    // Missing, or on FAT only "Todo" for "todo": the note itself is gone, the other stays.
    if (!FsNomExact(chemin)) return RES_OK;
    Resultat r = FsDossierModifiablePour(chemin);
    if (r != RES_OK) return r;
    // Its record lets the start finish a cut delete and find a stray entry; the note goes even without.
    bool marque = FsEcritJournal(journal, chemin, 0, 0, 0666);
    r = FsRetire(chemin) ? RES_OK : FsErreur();
    if (marque) FsRetireJournal(journal);
    return r;
}
