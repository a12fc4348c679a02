// The notes folder's files: saves and deletes that survive a power cut on a FAT card, and
// the start-up that finishes or undoes them.
//
// FAT drivers do not rename atomically (one removes both names before writing the new one,
// another points the new name at the data before removing the old), so no note is renamed.
// A save or a delete first writes a record: a new file named after the note (".copie-" +
// name) holding a header and the note's name under one CRC, then its new text under
// another. Then
//   a save:   the note is removed, then written anew from the same bytes;
//   a delete: the note is removed;
// and the record is retired (its magic changed and synced), then removed. At the next
// start a whole record is the truth: a save's note that holds neither its old text nor
// its new one is written anew from it, a delete's note goes. A record whose header checks
// but not its text was cut before the note was touched, and goes, as a retired one does.
// The start-up acts on nothing else the program cannot prove it wrote: only a file with a
// record's name and no byte but zeros goes too, having nothing to lose.
//
// The kernel's FAT driver orders nothing but what a sync orders, and a file's sync writes
// its data, then its entry, then the table. So:
// - a new file is written, the table synced through the folder that holds the notes
//   folder, then the file: its entry names clusters only once the table holds them, and
//   its name and first cluster land in one write;
// - a removed file is kept open across its unlink and the folder's sync: the driver frees
//   its clusters only at the last close, once the entry's removal is on the card;
// - a record is retired before it goes, so that free clusters never hold a whole record
//   that a new file, whose entry landed before its data, would show.
// A torn folder sector may remove a long name's entries but keep its short one
// ("COPIE-~1", "LISTED~1"): such a name holding a record is read as one, and one holding
// exactly a record's old or new text is that note's stray entry, which the start-up removes.
//
// A note reached through a link is saved otherwise: its file is replaced by a temporary
// file (".sauve-XXXXXX") written beside it and renamed over it, as the file systems that
// have links rename atomically.
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
// then the name and the new text. A header that checks is the program's; the record is
// whole when the text checks too.
const char Magie[4] = {'S', 'C', 'J', '2'};
const char MagieRetiree[4] = {'S', 'C', 'J', '-'};
enum {
    ENTETE = 32,
    JOURNAL_MAX = ENTETE + NOM_LONGUEUR_MAX + NOTE_OCTETS_MAX,
    CHEMIN_MAX = 4096,  // a linked note's file may lie anywhere
    TEMP_SUFFIXE = 6    // letters and digits that mkstemp puts after the prefix
};
const Mot SANS_NOTE = 0xffffffffu;
const Mot EFFACEMENT = 0xfffffffeu;

enum Sorte { PAS_JOURNAL, JOURNAL_COUPE, JOURNAL_ACTIF, JOURNAL_RETIRE };

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

// Writes "dossier/" + prefixe + nom into chemin: "dossier/" and a prefix of 8 bytes at most
// before a name from the folder (255 bytes at most) fit CHEMIN_MAX.
void FsCheminDe(char* chemin, const char* prefixe, const char* nom)
{
    strcpy(chemin, DOSSIER_NOTES);
    strcat(chemin, prefixe);
    strcat(chemin, nom);
}

const char* FsNomDe(const char* chemin)
{
    return chemin + strlen(DOSSIER_NOTES);
}

// The one walk of the notes folder: voit(nom) for every entry but "." and "..", until it
// answers true. 1 when it did, 0 when it never did, -1 when the folder cannot be read.
int FsParcourt(bool (*voit)(const char* nom))
{
    DIR* dossier = opendir(DOSSIER_NOTES);
    if (dossier == 0) return -1;
    struct dirent* e;
    bool trouve = false;
    while (!trouve && (e = readdir(dossier)) != 0) {
        trouve = strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0 && voit(e->d_name);
    }
    closedir(dossier);
    return trouve ? 1 : 0;
}

const char* Cherche;  // the name FsNomExact looks for

bool FsEstCherche(const char* nom)
{
    return strcmp(nom, Cherche) == 0;
}

// True when the folder holds an entry of exactly chemin's name. On FAT a name also finds
// the entry of another spelling ("Todo" for "todo"); this tells them apart.
bool FsNomExact(const char* chemin)
{
    Cherche = FsNomDe(chemin);
    return FsParcourt(FsEstCherche) != 0;  // unreadable: the call that follows says what holds
}

// Copies the folder part of chemin into dossier ("." when it has none).
void FsDossierDe(char* dossier, const char* chemin)
{
    strcpy(dossier, chemin);
    char* barre = strrchr(dossier, '/');
    if (barre) barre[barre == dossier] = 0;  // "/x" is in "/"
    else strcpy(dossier, ".");
}

// RES_DOSSIER_LECTURE_SEULE when the folder holding chemin has no write bit: nothing is
// made, replaced or removed in it, root or not.
Resultat FsDossierModifiablePour(const char* chemin)
{
    char dossier[CHEMIN_MAX];
    struct stat st;
    FsDossierDe(dossier, chemin);
    if (stat(dossier, &st) != 0) return RES_OK;  // the call that follows says what holds
    return (st.st_mode & 0222) != 0 ? RES_OK : RES_DOSSIER_LECTURE_SEULE;
}

// Makes finished renames, creates and removals in the folder of chemin survive a power
// cut. A failure here does not undo what was done.
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

// The one reader of the layer's own files: a regular file (never through a link), its
// first n bytes into octets and their count in *longueur. With crc, read to its end: its
// whole length and CRC-32. False when it cannot be read.
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

// The one writer: creates the file at chemin (O_EXCL: nothing of that name is ever opened;
// a name ending in XXXXXX is made unique by mkstemp) and writes the n bytes, synced after
// the table. False, errno set, with no file left, on any failure.
bool FsEcritNeuf(char* chemin, unsigned mode, const char* octets, size_t n, bool temporaire)
{
    int fd = temporaire ? mkstemp(chemin) : open(chemin, O_WRONLY | O_CREAT | O_EXCL, (mode_t)mode);
    if (fd < 0) return false;
    // open() applies the umask; a driver without chmod keeps what it has: never a failure.
    fchmod(fd, (mode_t)mode);
    bool ok = true;
    while (ok && n > 0) {
        ssize_t k = write(fd, octets, n);
        ok = k > 0;
        if (ok) octets += k, n -= (size_t)k;
    }
    // On the kernel's FAT driver any sync writes the table; the folder holding the notes
    // folder holds no entry of theirs.
    if (ok) FsSyncDossierDe("dossier");
    ok = ok && fsync(fd) == 0;
    int erreur = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        erreur = errno;
    }
    if (!ok) {
        unlink(chemin);
        errno = erreur;
    }
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

// True when bytes of that length and CRC are the record's new text (champ 8) or the note's
// text before (champ 16).
bool FsTexteEst(Mot longueur, Mot crc, int champ)
{
    return longueur == FsLitMot(Journal + champ) && crc == FsLitMot(Journal + champ + 4);
}

// True when the name is one a FAT driver makes up as a short name: at most 8 + 1 + 3
// bytes, no small letter, a "~" and a digit.
bool FsNomCourt(const char* nom)
{
    const char* tilde = strchr(nom, '~');
    if (strlen(nom) > 12 || tilde == 0 || tilde[1] < '0' || tilde[1] > '9') return false;
    for (const char* c = nom; *c; c++) {
        if (*c >= 'a' && *c <= 'z') return false;
    }
    return true;
}

bool FsNomDeJournal(const char* nom)
{
    return strncmp(nom, FS_JOURNAL_PREFIXE, 7) == 0 || strncmp(nom, FS_JOURNAL_AUTRE, 7) == 0;
}

// Reads the file at chemin into Journal. The program's when its header checks and its file
// is named after the note it names (or has a short name); note then holds that note's
// path. JOURNAL_COUPE when its text is not whole: cut while it was written.
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
    char nom[NOM_LONGUEUR_MAX + 1];
    memcpy(nom, Journal + ENTETE, l);
    nom[l] = 0;
    FsCheminDe(note, "", nom);
    const char* fichier = FsNomDe(chemin);
    bool nomme = FsNomDeJournal(fichier) && strcmp(fichier + 7, nom) == 0;
    if (strlen(nom) != l || !FsNomValide(nom) || !(nomme || FsNomCourt(fichier))) return PAS_JOURNAL;
    if (!actif) return JOURNAL_RETIRE;
    Mot t = FsTexteLongueur();
    return t <= NOTE_OCTETS_MAX && ENTETE + l + t == n && FsCrc(FsTexte(), t, 0) == FsLitMot(Journal + 12)
               ? JOURNAL_ACTIF
               : JOURNAL_COUPE;
}

// Writes the record of a save (the n bytes) or of a delete (octets null) of the note at
// note, with the note's permission bits; its path in journal. A file that already has the
// record's name and is not one is someone else's: the other name is taken. False, errno
// set, when it cannot be written.
bool FsEcritJournal(char* journal, const char* note, const char* octets, size_t n, unsigned mode)
{
    struct stat st;
    Mot ancienne = SANS_NOTE, crc = 0;
    if (lstat(note, &st) == 0 && S_ISREG(st.st_mode) && !FsLit(note, 0, 0, &ancienne, &crc)) return false;
    const char* nom = FsNomDe(note);
    Mot l = (Mot)strlen(nom);
    memcpy(Journal, Magie, 4);
    FsPoseMot(Journal + 8, octets ? (Mot)n : EFFACEMENT);
    FsPoseMot(Journal + 12, FsCrc(octets, octets ? n : 0, 0));
    FsPoseMot(Journal + 16, ancienne);
    FsPoseMot(Journal + 20, crc);
    FsPoseMot(Journal + 24, mode);
    FsPoseMot(Journal + 28, l);
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

// The first of the note's two record names that holds one of the program's records (its
// path in journal, Journal read), or PAS_JOURNAL.
Sorte FsJournalDe(const char* note, char* journal)
{
    char autre[CHEMIN_MAX];
    FsCheminDe(journal, FS_JOURNAL_PREFIXE, FsNomDe(note));
    Sorte sorte = FsLitJournal(journal, autre);
    if (sorte != PAS_JOURNAL) return sorte;
    FsCheminDe(journal, FS_JOURNAL_AUTRE, FsNomDe(note));
    return FsLitJournal(journal, autre);
}

// ---- Start-up ----

bool Change;  // the pass removed something: the folder is read again

// The stray entry looked for: its path, length and CRC.
char Egaree[CHEMIN_MAX];
Mot EgareeLongueur, EgareeCrc;

// True when nom is a whole record of another note whose old or new text the stray holds.
bool FsEstJournalDeEgaree(const char* nom)
{
    char chemin[CHEMIN_MAX];
    char note[CHEMIN_MAX];
    FsCheminDe(chemin, "", nom);
    return FsLitJournal(chemin, note) == JOURNAL_ACTIF && strcmp(note, Egaree) != 0 &&
           (FsTexteEst(EgareeLongueur, EgareeCrc, 16) || FsTexteEst(EgareeLongueur, EgareeCrc, 8));
}

// Before the records go: a short name that holds no record but exactly the old or the new
// text of a whole record of the folder is a stray short entry of that record's note.
bool FsPasseEgarees(const char* nom)
{
    char note[CHEMIN_MAX];
    FsCheminDe(Egaree, "", nom);
    if (FsNomCourt(nom) && FsLitJournal(Egaree, note) == PAS_JOURNAL &&
        FsLit(Egaree, 0, 0, &EgareeLongueur, &EgareeCrc) && FsParcourt(FsEstJournalDeEgaree) == 1) {
        FsRetire(Egaree);
    }
    return false;
}

// An active record, first pass: its removals. True when it is all done and the record may
// go; a note left to write is written by the second pass.
bool FsRetireSelonJournal(const char* note)
{
    struct stat st;
    if (FsEffacement()) return FsRetire(note);
    if (lstat(note, &st) != 0 || !S_ISREG(st.st_mode)) return false;  // to write, or no note's file
    Mot longueur, crc;
    if (!FsLit(note, 0, 0, &longueur, &crc)) return false;
    if (FsTexteEst(longueur, crc, 16)) return true;  // cut before the note was touched
    // Its entry landed, not its data: written over in place by the second pass.
    if (longueur == FsLitMot(Journal + 8) && !FsTexteEst(longueur, crc, 8)) return false;
    // Missing its new text, or holding it on an entry that another driver may have written
    // before the table: written anew.
    if (FsRetire(note)) Change = true;
    return false;
}

// First pass over one entry: the removals.
bool FsPasseRetraits(const char* nom)
{
    char chemin[CHEMIN_MAX];
    char note[CHEMIN_MAX];
    FsCheminDe(chemin, "", nom);
    Mot n = 0;
    Sorte sorte = FsLitJournal(chemin, note);
    if (sorte == PAS_JOURNAL) {
        // A file under a record's name that holds no byte but zeros has nothing to lose: a
        // cut left it there, its entry on the card before its first byte.
        bool vide = FsEstTemporaire(nom) && FsNomDeJournal(nom) && FsLit(chemin, Journal, sizeof Journal, &n, 0) && n < sizeof Journal;
        for (Mot i = 0; vide && i < n; i++) vide = Journal[i] == 0;
        if (vide && FsRetire(chemin)) Change = true;
    } else if (sorte != JOURNAL_ACTIF) {
        if (FsRetire(chemin)) Change = true;  // retired, or cut before the note was touched
    } else if (FsRetireSelonJournal(note) && FsRetireJournal(chemin)) {
        Change = true;
    }
    return false;
}

// Second pass over one entry: a save's record writes its note, anew when it is missing
// (O_EXCL keeps any other), or over in place when its entry landed without its data, so
// that no removal can leave a stray short entry.
bool FsPasseEcritures(const char* nom)
{
    char chemin[CHEMIN_MAX];
    char note[CHEMIN_MAX];
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

// ---- Listing ----

void (*Prendre)(const char* nom);  // FsListeNotes' caller

bool FsPrendNote(const char* nom)
{
    if (FsNomValide(nom) && !FsEstTemporaire(nom)) Prendre(nom);
    return false;
}


// ---- Saves ----

// A note that may be read: a regular file with a read bit.
bool FsLisible(const struct stat& st)
{
    return S_ISREG(st.st_mode) && (st.st_mode & 0444) != 0;
}

// The file a save of chemin replaces (chemin itself, or the regular file a link leads to,
// so that the link stays a link) and the permission bits of its new text; the reason when
// the note may not be replaced. A new note gets the bits a new file gets under the umask.
Resultat FsCible(const char* chemin, char* cible, mode_t* mode)
{
    struct stat st;
    if (lstat(chemin, &st) != 0) {
        if (errno != ENOENT) return FsErreur();
        strcpy(cible, chemin);
        mode_t masque = umask(0);
        umask(masque);
        *mode = 0666 & ~masque;
        return FsDossierModifiablePour(cible);
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
    return FsDossierModifiablePour(cible);
}

// Replaces a link's file cible by the n bytes: a temporary file beside it, written and
// synced, renamed over it. No temporary file is left on any failure.
Resultat FsRemplaceLien(const char* cible, mode_t mode, const char* octets, size_t n)
{
    char temp[CHEMIN_MAX];
    if (strlen(cible) + sizeof FS_TEMP_PREFIXE "XXXXXX" > (size_t)CHEMIN_MAX) return RES_NOM;
    strcpy(temp, cible);
    strcpy(strrchr(temp, '/') + 1, FS_TEMP_PREFIXE "XXXXXX");
    if (!FsEcritNeuf(temp, mode, octets, n, true)) return FsErreur();
    if (rename(temp, cible) != 0) {
        Resultat r = FsErreur();
        unlink(temp);
        return r;
    }
    FsSyncDossierDe(cible);
    return RES_OK;
}

}  // namespace

bool FsNomValide(const char* nom)
{
    if (nom == 0 || nom[0] == 0) return false;
    if (strcmp(nom, ".") == 0 || strcmp(nom, "..") == 0) return false;
    if (strchr(nom, '/') != 0) return false;
    return strlen(nom) <= (size_t)NOM_LONGUEUR_MAX;
}

bool FsEstTemporaire(const char* nom)
{
    static const char* const Prefixes[] = {FS_JOURNAL_PREFIXE, FS_JOURNAL_AUTRE, FS_EFFACE_PREFIXE};
    for (int i = 0; i < 3; i++) {
        size_t n = strlen(Prefixes[i]);
        if (strncmp(nom, Prefixes[i], n) == 0 && FsNomValide(nom + n)) return true;
    }
    // A link's temporary file: the prefix and exactly six letters or digits.
    size_t n = strlen(FS_TEMP_PREFIXE);
    if (strncmp(nom, FS_TEMP_PREFIXE, n) != 0 || strlen(nom) != n + TEMP_SUFFIXE) return false;
    for (char c = nom[n]; c != 0; c = nom[++n]) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    }
    return true;
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
    if (mkdir("dossier", 0777) == 0) return RES_OK;
    if (errno != EEXIST) return FsErreur();
    struct stat st;
    if (stat("dossier", &st) != 0) return FsErreur();
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
    // Looked at before opening, as opening a device can act on it; looked at again through
    // the descriptor, as the entry may have changed in between.
    if (stat(chemin, &st) != 0) return lien ? RES_LIEN_MORT : RES_INCOMPLETE;
    if (!FsLisible(st)) return lien && !S_ISREG(st.st_mode) ? RES_LIEN_AUTRE : RES_INCOMPLETE;
    int fd = open(chemin, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return RES_INCOMPLETE;
    if (fstat(fd, &st) != 0 || !FsLisible(st) || (fichier = fdopen(fd, "rb")) == 0) {
        close(fd);
        return RES_INCOMPLETE;
    }
    // Read straight into the caller's buffer: no second copy of the note. One byte past
    // taille is read only to tell a longer file: a huge or endless one is never read further.
    setvbuf(fichier, 0, _IONBF, 0);
    Resultat r = RES_OK;
    *lus = fread(octets, 1, taille, fichier);
    if ((*lus == taille && fgetc(fichier) != EOF) || ferror(fichier)) r = RES_INCOMPLETE;
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

void FsRetablitDossier()
{
    if (FsDossierModifiablePour(DOSSIER_NOTES ".") != RES_OK) return;
    FsParcourt(FsPasseEgarees);
    // Removing entries while the folder is read may hide others from that reading; each
    // pass that removed something is followed by another (a bounded number).
    for (int passe = 0; passe < 8; passe++) {
        Change = false;
        FsParcourt(FsPasseRetraits);
        if (!Change) break;
    }
    // Writes come only once every removal is done: a note written now takes none of the
    // room a removal still holds, and no stray entry or record is left to stand in its way.
    FsParcourt(FsPasseEcritures);
}

Resultat FsEcritNote(const char* chemin, const char* octets, size_t n)
{
    char cible[CHEMIN_MAX];
    char journal[CHEMIN_MAX];
    mode_t mode = 0;
    Resultat r = FsCible(chemin, cible, &mode);
    if (r != RES_OK) return r;
    if (strcmp(cible, chemin) != 0) return FsRemplaceLien(cible, mode, octets, n);
    // A save that failed once the note was removed left its record: finished first, as
    // the next start would, so that the note has its bits and this save a free name.
    if (FsJournalDe(chemin, journal) != PAS_JOURNAL) {
        FsPasseRetraits(FsNomDe(journal));
        FsPasseEcritures(FsNomDe(journal));
        if (FsJournalDe(chemin, journal) != PAS_JOURNAL) return FsErreur();
        if ((r = FsCible(chemin, cible, &mode)) != RES_OK) return r;
    }
    if (!FsEcritJournal(journal, chemin, octets, n, mode)) return FsErreur();
    if (!FsRetire(chemin)) {
        r = FsErreur();
        FsRetireJournal(journal);
        return r;
    }
    // From here the record holds the text: should the note fail to be written, opening it
    // shows the record's text, and the next save or start writes it.
    if (!FsEcritNeuf(cible, mode, octets, n, false)) return FsErreur();
    FsRetireJournal(journal);
    return RES_OK;
}

Resultat FsEffaceNote(const char* chemin)
{
    char journal[CHEMIN_MAX];
    // Missing, or on FAT only "Todo" for "todo": the note itself is gone, the other stays.
    if (!FsNomExact(chemin)) return RES_OK;
    Resultat r = FsDossierModifiablePour(chemin);
    if (r != RES_OK) return r;
    // The record lets the next start finish a delete cut short, and know the note's stray
    // short entry should a torn folder sector leave one. Without room for it, the note
    // goes all the same.
    bool marque = FsEcritJournal(journal, chemin, 0, 0, 0666);
    r = FsRetire(chemin) ? RES_OK : FsErreur();
    if (marque) FsRetireJournal(journal);
    return r;
}
