// Saves and deletes that survive a power cut on a FAT card, and the start-up that finishes
// or undoes them.
//
// FAT drivers do not rename atomically: one driver removes both names before writing the
// new one (a cut loses the note), another points the note's entry at the new data before
// removing the old name (a cut leaves two entries on one chain of clusters, and removing
// either frees the other's data). So a save renames nothing. It writes the new text to a
// journal, a new file named after the note (".copie-" + name) whose header says whether it
// is whole, then removes the note and writes it anew from the same bytes:
//   1. journal created (O_EXCL), written, synced; folder synced;
//   2. note removed; folder synced;
//   3. note created (O_EXCL) with its permission bits, written, synced; folder synced;
//   4. journal removed; folder synced.
// At the next start a whole journal is the truth: when the note is missing or holds
// anything but its old text, the note is removed and written from the journal. A journal
// that is not whole was cut while it was written, before the note was touched: it goes.
// The start-up removes everything it removes before it writes anything: a cut can leave a
// directory entry whose clusters the card's table does not yet hold, and a new file must
// not be given those clusters while that entry still points at them.
#include <errno.h>
#include <fcntl.h>
#include <dirent.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "fs.h"
#include "globals.h"
#include "notes.h"

namespace {

typedef unsigned int Mot;  // 32 bits on every target of the program

// Journal header, six little-endian words: magic, length and CRC-32 of the new text, length
// (JOURNAL_SANS_NOTE when there was none) and CRC-32 of the note it replaces, and the note's
// permission bits. The text follows.
const char JournalMagie[4] = {'S', 'C', 'J', '1'};
enum {
    JOURNAL_ENTETE = 24,
    JOURNAL_MAX = JOURNAL_ENTETE + NOTE_OCTETS_MAX
};
const Mot JOURNAL_SANS_NOTE = 0xffffffffu;

// The journal being written or read; one more byte than the largest tells a longer file.
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

// Removes the entry and makes its removal last. True when it went.
bool FsRetire(const char* chemin)
{
    bool ok = unlink(chemin) == 0;
    FsSyncDossierDe(chemin);
    return ok;
}

// Reads the journal at chemin into Journal. True when it is whole: magic, then exactly the
// text its header announces, with that CRC.
bool FsJournalEntier(const char* chemin)
{
    long n = FsLitDebut(chemin, Journal, sizeof Journal);
    if (n < JOURNAL_ENTETE || memcmp(Journal, JournalMagie, 4) != 0) return false;
    Mot longueur = FsLitMot(Journal + 4);
    return longueur <= (Mot)NOTE_OCTETS_MAX && (long)(JOURNAL_ENTETE + longueur) == n &&
           FsCrc(Journal + JOURNAL_ENTETE, longueur, 0) == FsLitMot(Journal + 8);
}

// True when two regular files hold the same bytes.
bool FsMemesOctets(const char* a, const char* b)
{
    struct stat sa, sb;
    if (lstat(a, &sa) != 0 || lstat(b, &sb) != 0) return false;
    if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) return false;
    Mot la, ca, lb, cb;
    return FsEmpreinte(a, &la, &ca) && FsEmpreinte(b, &lb, &cb) && la == lb && ca == cb;
}

// Writes a whole journal for the note at note holding bytes n of Journal's text part, with
// no old text, so that the start-up always writes the note anew from it. False, errno set,
// when it cannot be written.
bool FsJournalPour(const char* note, size_t n, unsigned mode)
{
    char journal[FS_CHEMIN_MAX];
    memcpy(Journal, JournalMagie, 4);
    FsPoseMot(Journal + 4, (Mot)n);
    FsPoseMot(Journal + 8, FsCrc(Journal + JOURNAL_ENTETE, n, 0));
    FsPoseMot(Journal + 12, JOURNAL_SANS_NOTE);
    FsPoseMot(Journal + 16, 0);
    FsPoseMot(Journal + 20, mode);
    FsCheminReserve(journal, FS_JOURNAL_PREFIXE, note);
    if (!FsEcritNeuf(journal, mode, Journal, JOURNAL_ENTETE + n)) return false;
    FsSyncDossierDe(journal);
    return true;
}

// A temporary file of the old shape holding a note's very bytes may be, on FAT, a second
// entry on that note's clusters (a rename cut short): removing it frees the note's data.
// So every note of the folder with the same bytes first gets a whole journal of them, which
// makes the start-up write the note anew. True when the temporary file may then go.
bool FsJournalisePareils(const char* temp)
{
    char note[FS_CHEMIN_MAX];
    char journal[FS_CHEMIN_MAX];
    struct stat st;
    DIR* d = opendir(DOSSIER_NOTES);
    if (d == 0) return false;
    bool ok = true;
    struct dirent* e;
    while (ok && (e = readdir(d)) != 0) {
        if (FsEstTemporaire(e->d_name) || !FsNomValide(e->d_name)) continue;
        strcpy(note, DOSSIER_NOTES);
        strcat(note, e->d_name);
        if (!FsMemesOctets(temp, note) || lstat(note, &st) != 0) continue;
        FsCheminReserve(journal, FS_JOURNAL_PREFIXE, note);
        if (FsJournalEntier(journal)) continue;
        // Larger than any save writes: it cannot be a save's temporary file, and it stays.
        long n = st.st_size <= NOTE_OCTETS_MAX ? FsLitDebut(note, Journal + JOURNAL_ENTETE, NOTE_OCTETS_MAX) : -1;
        ok = n == (long)st.st_size && !FsExiste(journal) && FsJournalPour(note, (size_t)n, st.st_mode & 07777);
    }
    closedir(d);
    return ok;
}

// ---- Start-up ----

bool Change;  // the pass removed something: the folder is read again

// Writes the path of the note a reserved name belongs to; false when nom has not that prefix.
bool FsNoteDe(char* note, const char* nom, const char* prefixe)
{
    size_t n = strlen(prefixe);
    if (strncmp(nom, prefixe, n) != 0 || !FsNomValide(nom + n)) return false;
    strcpy(note, DOSSIER_NOTES);
    strcat(note, nom + n);
    return true;
}

// A journal, first pass: what it says is done, short of writing.
void FsRetireSelonJournal(const char* journal, const char* note)
{
    struct stat st;
    bool entier = FsJournalEntier(journal);
    bool reguliere = lstat(note, &st) == 0 && S_ISREG(st.st_mode);
    if (!entier) {
        // Cut while it was written, so the note is untouched. A file of this name that is
        // no journal but the note's very bytes may share its clusters: it stays.
        if (reguliere && FsMemesOctets(journal, note)) return;
        if (FsRetire(journal)) Change = true;
        return;
    }
    if (!reguliere) return;  // missing (written in the second pass) or not a note's file
    Mot longueur, crc;
    Mot ancienne = FsLitMot(Journal + 12);
    if (ancienne != JOURNAL_SANS_NOTE && FsEmpreinte(note, &longueur, &crc) && longueur == ancienne &&
        crc == FsLitMot(Journal + 16)) {
        if (FsRetire(journal)) Change = true;  // cut before the note was touched: the old text stays
    } else if (FsRetire(note)) {
        Change = true;  // missing its new text, or its entry may be unsound: written anew
    }
}

// First pass over one entry: the removals.
void FsPasseRetraits(const char* nom)
{
    char chemin[FS_CHEMIN_MAX];
    char note[FS_CHEMIN_MAX];
    struct stat st;
    strcpy(chemin, DOSSIER_NOTES);
    if (strlen(nom) + sizeof DOSSIER_NOTES > sizeof chemin) return;
    strcat(chemin, nom);
    if (lstat(chemin, &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (FsNoteDe(note, nom, FS_EFFACE_PREFIXE)) {
        if (FsExiste(note)) FsSupprime(note);
        FsSyncDossierDe(note);
        if (FsRetire(chemin)) Change = true;
    } else if (FsNoteDe(note, nom, FS_JOURNAL_PREFIXE)) {
        FsRetireSelonJournal(chemin, note);
    } else if (FsEstTemporaireLien(nom) && (st.st_size == 0 || FsJournalisePareils(chemin))) {
        if (FsRetire(chemin)) Change = true;  // an empty file has no clusters to share
    }
}

// Second pass over one entry: a whole journal whose note is missing writes it.
void FsPasseEcritures(const char* nom)
{
    char chemin[FS_CHEMIN_MAX];
    char note[FS_CHEMIN_MAX];
    if (!FsNoteDe(note, nom, FS_JOURNAL_PREFIXE)) return;
    strcpy(chemin, DOSSIER_NOTES);
    strcat(chemin, nom);
    if (!FsJournalEntier(chemin) || FsExiste(note)) return;
    Mot longueur = FsLitMot(Journal + 4);
    if (!FsEcritNeuf(note, FsLitMot(Journal + 20), Journal + JOURNAL_ENTETE, longueur)) return;
    FsSyncDossierDe(note);
    FsRetire(chemin);
}

}  // namespace

void FsRetablitDossier()
{
    if (FsDossierModifiablePour(DOSSIER_NOTES ".") != RES_OK) return;
    // Removing entries while the folder is read may hide others from that reading; each
    // pass that removed something is followed by another (a bounded number).
    for (int passe = 0; passe < 8; passe++) {
        Change = false;
        FsListeDossier(FsPasseRetraits);
        if (!Change) break;
    }
    FsListeDossier(FsPasseEcritures);
}

Resultat FsEcritNote(const char* chemin, const char* octets, size_t n)
{
    char cible[FS_CHEMIN_MAX];
    char journal[FS_CHEMIN_MAX];
    unsigned mode;
    Resultat r = FsCible(chemin, cible, &mode);
    if (r != RES_OK) return r;
    if (strcmp(cible, chemin) != 0) return FsRemplaceParTemporaire(cible, mode, octets, n);
    bool existe = FsExiste(chemin);
    Mot ancienne = JOURNAL_SANS_NOTE, crc = 0;
    if (existe && !FsEmpreinte(chemin, &ancienne, &crc)) return FsErreur();
    memcpy(Journal, JournalMagie, 4);
    FsPoseMot(Journal + 4, (Mot)n);
    FsPoseMot(Journal + 8, FsCrc(octets, n, 0));
    FsPoseMot(Journal + 12, ancienne);
    FsPoseMot(Journal + 16, crc);
    FsPoseMot(Journal + 20, mode);
    memcpy(Journal + JOURNAL_ENTETE, octets, n);
    FsCheminReserve(journal, FS_JOURNAL_PREFIXE, chemin);
    if (!FsEcritNeuf(journal, mode, Journal, JOURNAL_ENTETE + n)) {
        // A journal the start-up kept (it may share the note's clusters) blocks the save.
        return errno == EEXIST ? RES_ECRITURE : FsErreur();
    }
    FsSyncDossierDe(journal);
    if (existe && unlink(chemin) != 0) {
        r = FsErreur();
        FsRetire(journal);
        return r;
    }
    FsSyncDossierDe(chemin);
    // From here the journal holds the text: should the note fail to be written, the next
    // start writes it from there.
    if (!FsEcritNeuf(chemin, mode, octets, n)) return FsErreur();
    FsSyncDossierDe(chemin);
    FsRetire(journal);
    return RES_OK;
}

Resultat FsEffaceNote(const char* chemin)
{
    char marque[FS_CHEMIN_MAX];
    if (!FsExiste(chemin)) return FsSupprime(chemin);
    // On FAT "todo" finds "Todo": the note itself is gone, and the other one stays.
    if (!FsNomExact(chemin)) return RES_OK;
    Resultat r = FsDossierModifiablePour(chemin);
    if (r != RES_OK) return r;
    FsCheminReserve(marque, FS_EFFACE_PREFIXE, chemin);
    int fd = open(marque, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        close(fd);
        FsSyncDossierDe(marque);
    }
    r = FsSupprime(chemin);
    FsSyncDossierDe(chemin);
    if (fd >= 0) FsRetire(marque);
    return r;
}
