// Saves and deletes that survive a power cut on a FAT card, and the start-up that finishes
// or undoes them.
//
// FAT drivers do not rename atomically (one removes both names before writing the new one,
// another points the new name at the data before removing the old), so nothing is renamed.
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
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
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
    JOURNAL_MAX = ENTETE + NOM_LONGUEUR_MAX + NOTE_OCTETS_MAX
};
const Mot SANS_NOTE = 0xffffffffu;
const Mot EFFACEMENT = 0xfffffffeu;

enum Sorte { PAS_JOURNAL, JOURNAL_COUPE, JOURNAL_ACTIF, JOURNAL_RETIRE };

// The record being written or read last; one more byte than the largest tells a longer file.
char Journal[JOURNAL_MAX + 1];

Mot FsCrc(const char* octets, size_t n, Mot crc)
{
    crc = ~crc;
    for (size_t i = 0; i < n; i++) {
        crc ^= (unsigned char)octets[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
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
Mot FsTexteLongueur()
{
    Mot n = FsLitMot(Journal + 8);
    return n == EFFACEMENT ? 0 : n;
}

const char* FsTexte()
{
    return Journal + ENTETE + FsLitMot(Journal + 28);
}

// Writes "dossier/" + prefixe + the name of the note at chemin into reserve (FS_CHEMIN_MAX
// bytes): 8 + 8 + 247 bytes at most, past the 256 of a note's path.
void FsCheminReserve(char* reserve, const char* prefixe, const char* chemin)
{
    strcpy(reserve, DOSSIER_NOTES);
    strcat(reserve, prefixe);
    strcat(reserve, chemin + strlen(DOSSIER_NOTES));
}

// Length and CRC-32 of a regular file's bytes. False when it cannot be read.
bool FsEmpreinte(const char* chemin, Mot* longueur, Mot* crc)
{
    char bloc[1024];
    int fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    *longueur = 0;
    *crc = 0;
    ssize_t n;
    while ((n = read(fd, bloc, sizeof bloc)) > 0) {
        *crc = FsCrc(bloc, (size_t)n, *crc);
        *longueur += (Mot)n;
    }
    close(fd);
    return n == 0;
}

// Reads at most n bytes of a regular file (never through a link) into octets. The count
// read, or -1.
long FsLitDebut(const char* chemin, char* octets, size_t n)
{
    struct stat st;
    if (lstat(chemin, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    int fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return -1;
    size_t lus = 0;
    ssize_t k = 1;
    while (lus < n && (k = read(fd, octets + lus, n - lus)) > 0) lus += (size_t)k;
    close(fd);
    return k < 0 ? -1 : (long)lus;
}

// Syncs the folder that holds the notes folder: on the kernel's FAT driver any sync writes
// the table, and this one writes no entry of the notes folder.
void FsSyncTable()
{
    int fd = open(".", O_RDONLY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Creates the file at chemin (O_EXCL: nothing of that name is ever opened) and writes the
// n bytes, synced. False, errno set, with no file left, on any failure.
bool FsEcritNeuf(const char* chemin, unsigned mode, const char* octets, size_t n)
{
    int fd = open(chemin, O_WRONLY | O_CREAT | O_EXCL, (mode_t)mode);
    if (fd < 0) return false;
    // open() applies the umask; a driver without chmod keeps what it has: never a failure.
    fchmod(fd, (mode_t)mode);
    bool ok = true;
    while (ok && n > 0) {
        ssize_t k = write(fd, octets, n);
        ok = k > 0;
        if (ok) octets += k, n -= (size_t)k;
    }
    if (ok) FsSyncTable();
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

// Reads the file at chemin into Journal. The program's when its header checks and its file
// is named after the note it names (or has a short name); note then holds that note's
// path. JOURNAL_COUPE when its text is not whole: cut while it was written.
Sorte FsLitJournal(const char* chemin, char* note)
{
    long n = FsLitDebut(chemin, Journal, sizeof Journal);
    Mot l = n < ENTETE ? 0 : FsLitMot(Journal + 28);
    bool actif = n >= ENTETE && memcmp(Journal, Magie, 4) == 0;
    if (n < ENTETE || (!actif && memcmp(Journal, MagieRetiree, 4) != 0) || l > NOM_LONGUEUR_MAX ||
        (long)(ENTETE + l) > n || FsCrc(Journal + 8, ENTETE - 8 + l, 0) != FsLitMot(Journal + 4)) {
        return PAS_JOURNAL;
    }
    strcpy(note, DOSSIER_NOTES);
    char* nom = note + strlen(DOSSIER_NOTES);
    memcpy(nom, Journal + ENTETE, l);
    nom[l] = 0;
    const char* fichier = chemin + strlen(DOSSIER_NOTES);
    size_t p = strlen(FS_JOURNAL_PREFIXE);
    bool nomme = (strncmp(fichier, FS_JOURNAL_PREFIXE, p) == 0 || strncmp(fichier, FS_JOURNAL_AUTRE, p) == 0) &&
                 strcmp(fichier + p, nom) == 0;
    if (strlen(nom) != l || !FsNomValide(nom) || !(nomme || FsNomCourt(fichier))) return PAS_JOURNAL;
    if (!actif) return JOURNAL_RETIRE;
    Mot t = FsTexteLongueur();
    return t <= NOTE_OCTETS_MAX && (long)(ENTETE + l + t) == n && FsCrc(FsTexte(), t, 0) == FsLitMot(Journal + 12)
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
    if (lstat(note, &st) == 0 && S_ISREG(st.st_mode) && !FsEmpreinte(note, &ancienne, &crc)) return false;
    const char* nom = note + strlen(DOSSIER_NOTES);
    Mot l = (Mot)strlen(nom);
    size_t taille = ENTETE + l + (octets ? n : 0);
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
    FsCheminReserve(journal, FS_JOURNAL_PREFIXE, note);
    if (FsEcritNeuf(journal, mode, Journal, taille)) return true;
    if (errno != EEXIST) return false;
    FsCheminReserve(journal, FS_JOURNAL_AUTRE, note);
    return FsEcritNeuf(journal, mode, Journal, taille);
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

// ---- Start-up ----

// True when bytes of that length and CRC are the record's new text (champ 8) or the note's
// text before (champ 16).
bool FsTexteEst(Mot longueur, Mot crc, int champ)
{
    return longueur == FsLitMot(Journal + champ) && crc == FsLitMot(Journal + champ + 4);
}

bool Change;  // the pass removed something: the folder is read again

// True when the file at chemin holds exactly the old or the new text of a whole record of
// the folder: a stray short entry of that record's note.
bool FsEntreeEgaree(const char* chemin)
{
    char autre[FS_CHEMIN_MAX];
    char note[FS_CHEMIN_MAX];
    Mot longueur, crc;
    DIR* d = opendir(DOSSIER_NOTES);
    if (d == 0 || !FsEmpreinte(chemin, &longueur, &crc)) {
        if (d) closedir(d);
        return false;
    }
    bool trouve = false;
    struct dirent* e;
    while (!trouve && (e = readdir(d)) != 0) {
        if (strlen(e->d_name) + sizeof DOSSIER_NOTES > sizeof autre) continue;
        strcpy(autre, DOSSIER_NOTES);
        strcat(autre, e->d_name);
        if (FsLitJournal(autre, note) != JOURNAL_ACTIF || strcmp(note, chemin) == 0) continue;
        trouve = FsTexteEst(longueur, crc, 16) || FsTexteEst(longueur, crc, 8);
    }
    closedir(d);
    return trouve;
}

// An active record, first pass: what it says is done, short of writing. True when it is
// all done and the record may go.
bool FsRetireSelonJournal(const char* note)
{
    struct stat st;
    if (lstat(note, &st) != 0) return FsLitMot(Journal + 8) == EFFACEMENT;  // missing: written in the second pass
    if (FsLitMot(Journal + 8) == EFFACEMENT) return FsRetire(note);
    if (!S_ISREG(st.st_mode)) return false;  // no note's file: left as it is
    Mot longueur, crc;
    if (!FsEmpreinte(note, &longueur, &crc)) return false;
    if (FsTexteEst(longueur, crc, 16)) return true;  // cut before the note was touched
    // Its entry landed, not its data (the kernel's driver wrote the table first): written
    // over in place, so that no removal can leave a stray short entry.
    if (longueur == FsLitMot(Journal + 8) && !FsTexteEst(longueur, crc, 8)) {
        int fd = open(note, O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
        bool ok = fd >= 0 && pwrite(fd, FsTexte(), longueur, 0) == (ssize_t)longueur && fsync(fd) == 0;
        if (fd >= 0) close(fd);
        return ok;
    }
    // Missing its new text, or holding it on an entry that another driver may have written
    // before the table: written anew.
    if (FsRetire(note)) Change = true;
    return false;
}

// Writes the path of the entry nom into chemin; false when it is too long for one.
bool FsCheminEntree(char* chemin, const char* nom)
{
    if (strlen(nom) + sizeof DOSSIER_NOTES > FS_CHEMIN_MAX) return false;
    strcpy(chemin, DOSSIER_NOTES);
    strcat(chemin, nom);
    return true;
}

// First pass over one entry: the removals.
void FsPasseRetraits(const char* nom)
{
    char chemin[FS_CHEMIN_MAX];
    char note[FS_CHEMIN_MAX];
    struct stat st;
    if (!FsCheminEntree(chemin, nom) || lstat(chemin, &st) != 0 || !S_ISREG(st.st_mode)) return;
    Sorte sorte = FsLitJournal(chemin, note);
    // A file under a record's name that holds no byte but zeros has nothing to lose: a cut
    // left it there, its entry on the card before its first byte.
    bool vide = st.st_size <= JOURNAL_MAX && FsEstTemporaire(nom) &&
                (strncmp(nom, FS_JOURNAL_PREFIXE, 7) == 0 || strncmp(nom, FS_JOURNAL_AUTRE, 7) == 0);
    for (off_t i = 0; vide && i < st.st_size; i++) vide = Journal[i] == 0;
    if (sorte == PAS_JOURNAL) {
        if (vide && FsRetire(chemin)) Change = true;
    } else if (sorte != JOURNAL_ACTIF) {
        if (FsRetire(chemin)) Change = true;  // retired, or cut before the note was touched
    } else if (FsRetireSelonJournal(note) && FsRetireJournal(chemin)) {
        Change = true;
    }
}

// Before the records go: a short name that is a record note's stray entry.
void FsPasseEgarees(const char* nom)
{
    char chemin[FS_CHEMIN_MAX];
    char note[FS_CHEMIN_MAX];
    if (FsNomCourt(nom) && FsCheminEntree(chemin, nom) && FsLitJournal(chemin, note) == PAS_JOURNAL &&
        FsEntreeEgaree(chemin)) {
        FsRetire(chemin);
    }
}

// Second pass over one entry: a save's record whose note is missing writes it.
void FsPasseEcritures(const char* nom)
{
    char chemin[FS_CHEMIN_MAX];
    char note[FS_CHEMIN_MAX];
    if (!FsCheminEntree(chemin, nom) || FsLitJournal(chemin, note) != JOURNAL_ACTIF) return;
    if (FsLitMot(Journal + 8) == EFFACEMENT || FsExiste(note)) return;
    if (FsEcritNeuf(note, FsLitMot(Journal + 24), FsTexte(), FsTexteLongueur())) FsRetireJournal(chemin);
}

// The first of the note's two record names that holds one of the program's records (its
// path in journal, Journal read), or PAS_JOURNAL.
Sorte FsJournalDe(const char* note, char* journal)
{
    char autre[FS_CHEMIN_MAX];
    FsCheminReserve(journal, FS_JOURNAL_PREFIXE, note);
    Sorte sorte = FsLitJournal(journal, autre);
    if (sorte != PAS_JOURNAL) return sorte;
    FsCheminReserve(journal, FS_JOURNAL_AUTRE, note);
    return FsLitJournal(journal, autre);
}

}  // namespace

void FsRetablitDossier()
{
    if (FsDossierModifiablePour(DOSSIER_NOTES ".") != RES_OK) return;
    FsListeDossier(FsPasseEgarees);
    // Removing entries while the folder is read may hide others from that reading; each
    // pass that removed something is followed by another (a bounded number).
    for (int passe = 0; passe < 8; passe++) {
        Change = false;
        FsListeDossier(FsPasseRetraits);
        if (!Change) break;
    }
    FsListeDossier(FsPasseEcritures);
}

Resultat FsLitJournalDe(const char* chemin, char* octets, size_t taille, size_t* lus)
{
    char journal[FS_CHEMIN_MAX];
    *lus = 0;
    if (FsJournalDe(chemin, journal) != JOURNAL_ACTIF || FsLitMot(Journal + 8) == EFFACEMENT) return RES_OK;
    *lus = FsTexteLongueur() < taille ? FsTexteLongueur() : taille;
    memcpy(octets, FsTexte(), *lus);
    return RES_TEXTE_DU_JOURNAL;
}

Resultat FsEcritNote(const char* chemin, const char* octets, size_t n)
{
    char cible[FS_CHEMIN_MAX];
    char journal[FS_CHEMIN_MAX];
    unsigned mode;
    Resultat r = FsCible(chemin, cible, &mode);
    if (r != RES_OK) return r;
    if (strcmp(cible, chemin) != 0) return FsRemplaceParTemporaire(cible, mode, octets, n);
    // A save that failed once the note was removed left its record: finished first, as
    // the next start would, so that the note has its bits and this save a free name.
    if (FsJournalDe(chemin, journal) != PAS_JOURNAL) {
        FsPasseRetraits(journal + strlen(DOSSIER_NOTES));
        FsPasseEcritures(journal + strlen(DOSSIER_NOTES));
        if (FsJournalDe(chemin, journal) != PAS_JOURNAL) return FsErreur();
        if ((r = FsCible(chemin, cible, &mode)) != RES_OK) return r;
    }
    bool existe = FsExiste(chemin);
    if (!FsEcritJournal(journal, chemin, octets, n, mode)) return FsErreur();
    if (existe && !FsRetire(chemin)) {
        r = FsErreur();
        FsRetireJournal(journal);
        return r;
    }
    // From here the record holds the text: should the note fail to be written, opening it
    // shows the record's text, and the next save or start writes it.
    if (!FsEcritNeuf(chemin, mode, octets, n)) return FsErreur();
    FsRetireJournal(journal);
    return RES_OK;
}

Resultat FsEffaceNote(const char* chemin)
{
    char journal[FS_CHEMIN_MAX];
    if (!FsExiste(chemin)) return errno == ENOENT ? RES_OK : FsErreur();
    // On FAT "todo" finds "Todo": the note itself is gone, and the other one stays.
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
