// The notes folder's files: saves and deletes that survive a power cut on a FAT card, and
// the start-up that finishes or undoes them.
//
// FAT drivers do not rename atomically, so no note is renamed. A save or a delete first
// writes a record, ".copie-" + the note's name (".copie~" + it when a file the program did
// not write has the first name): a header and the name under one CRC-32, then the new text
// under another (layout below). A save checks first that the card has room for the record
// and the new note beside the old one, then writes the record, removes the note and writes
// it anew; a delete removes it. Last the record is retired (its magic changed and synced)
// and removed. A save that finds a record of its note finishes it first, so a note never
// has two; a delete removes it first, so nothing writes the note back.
//
// Until it is retired, a whole record is the note's truth. A save's record whose note is
// missing (its write failed: a full card) stands for the note: it is listed under the
// note's name and opens with its text. At the next start, a save's record removes a note
// that holds neither its old nor its new text, and also one that holds exactly its new
// text (on a driver that writes an entry before the table, it may name free clusters);
// then the note is written anew from the record. A delete's record removes its note. A
// record whose text does not check was cut before the note was touched and goes, as a
// retired one does. Nothing else goes but a record-named file of zeros and a stray entry.
//
// The kernel's FAT driver orders only what a sync orders; a file's sync writes its data,
// then its entry, then the table. So a new file is written, the table synced (through a
// folder or file of the card with nothing of its own to write), then the file: its entry
// never names free clusters. A removed file is held open across its unlink and the
// folder's sync, so its clusters are freed only once the removal is on the card. A record
// is retired before it goes, so that free clusters never hold a whole record that a new
// file, its entry landed before its data, would show. A torn folder sector may keep only
// a long name's short entry ("COPIE-~1"): it is read as a record when it holds one, or as
// the stray entry of a note when it is named after it and holds exactly the old or new
// text of its record.
//
// A note reached through a link is saved by renaming a temporary file (".sauve-XXXXXX")
// over its file: the file systems that have links rename atomically.
#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include "fs.h"
#include "globals.h"
#include "notes.h"

#ifndef O_NOATIME
#define O_NOATIME 0
#endif

namespace {

typedef unsigned int Mot;  // 32 bits on every target of the program

// A record on the card, in little-endian words:
//    0  magic "SCJ2", "SCJ-" once retired
//    4  CRC-32 of bytes 8 to 31 and of the name
//    8  length of the new text, EFFACEMENT for a delete
//   12  CRC-32 of the new text
//   16  length of the note's text before, SANS_NOTE when there was none to tell
//   20  CRC-32 of that text
//   24  the note's permission bits
//   28  length of the name
//   32  the name, then the new text
const char Magie[4] = {'S', 'C', 'J', '2'};
const char MagieRetiree[4] = {'S', 'C', 'J', '-'};
enum {
    ENTETE = 32,
    JOURNAL_MAX = ENTETE + NOM_LONGUEUR_MAX + NOTE_OCTETS_MAX,
    CHEMIN_MAX = 4096  // a linked note's file may lie anywhere
};
const Mot SANS_NOTE = 0xffffffffu;
const Mot EFFACEMENT = 0xfffffffeu;

// A record decoded.
struct SJournal {
    bool Effacement;       // a delete's
    Mot Longueur, Crc;     // the new text (empty for a delete)
    Mot AvantLongueur, AvantCrc;  // the note's text before
    Mot Mode;              // the note's permission bits
    char Nom[NOM_LONGUEUR_MAX + 1];  // the note's name
    const char* Texte;     // the new text, in Tampon: good until the next record is read
};

// Whole and not retired: the truth at the next start. A cut record is as good as retired.
// Unreadable: a file under a record's name that the card would not give.
enum Sorte { PAS_JOURNAL, JOURNAL_ACTIF, JOURNAL_RETIRE, JOURNAL_ILLISIBLE };

// The bytes of the record being written or read last; one more than the largest tells a
// longer file.
char Tampon[JOURNAL_MAX + 1];

// A file's length and CRC-32, when it can be the text of a note.
struct SEmpreinte {
    Mot Longueur, Crc;
};

// Why the call that has just failed failed, in the program's terms.
Resultat FsErreur()
{
    switch (errno) {
    case EROFS: return RES_CARTE_LECTURE_SEULE;
    case ENOSPC: case EDQUOT: return RES_CARTE_PLEINE;
    case ENOTDIR: return RES_PAS_DOSSIER;
    case ENOTEMPTY: case EEXIST: return RES_DOSSIER_PLEIN;  // a rename onto a folder
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

// The one walk of the notes folder: voit(nom, contexte) for every entry ("." and ".." are
// neither notes nor files) until it answers true. 1 when it did, 0 when it never did,
// -1: unreadable.
typedef bool (*Visiteur)(const char* nom, void* contexte);
int FsParcourt(Visiteur voit, void* contexte)
{
    DIR* dossier = opendir(DOSSIER_NOTES);
    if (dossier == 0) return -1;
    struct dirent* e;
    bool trouve = false;
    while (!trouve && (e = readdir(dossier)) != 0) trouve = voit(e->d_name, contexte);
    closedir(dossier);
    return trouve ? 1 : 0;
}

bool FsEstNomCherche(const char* nom, void* cherche)
{
    return strcmp(nom, (const char*)cherche) == 0;
}

// True when the folder holds an entry of exactly chemin's name: on FAT a name also finds
// the entry of another spelling ("Todo" for "todo").
bool FsNomExact(const char* chemin)
{
    return FsParcourt(FsEstNomCherche, (void*)FsNomDe(chemin)) != 0;  // unreadable: the call that follows says what holds
}

// The entry of chemin's file as the folder lists it, looked for in another spelling.
struct SGraphie {
    const char* Chemin;
    char* Liste;
};

bool FsEstGraphieDe(const char* nom, void* contexte)
{
    SGraphie* g = (SGraphie*)contexte;
    char chemin[CHEMIN_MAX];
    FsCheminDe(chemin, "", nom);
    if (strcasecmp(nom, FsNomDe(g->Chemin)) != 0 || !FsMemeFichier(chemin, g->Chemin)) return false;
    strcpy(g->Liste, nom);
    return true;
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

// Syncs what quoi names. Its result is not needed: the sync of the file written next says
// whether the card takes writes, and a sync that failed here only loses an ordering.
void FsSync(const char* quoi, int drapeaux)
{
    int fd = open(quoi, O_RDONLY | drapeaux);
    if (fd < 0 && drapeaux != 0) fd = open(quoi, O_RDONLY);  // O_NOATIME is for the owner and root
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Makes the renames, creates and removals done in chemin's folder last.
void FsSyncDossierDe(const char* chemin)
{
    char dossier[CHEMIN_MAX];
    FsDossierDe(dossier, chemin);
    FsSync(dossier, 0);
}

// Writes the card's table, and nothing of the notes folder's: any sync on the card writes
// its table, and this one syncs what has nothing else of its own to write. That is the
// folder holding dossier/ (through a link, on the card it leads to), or, when dossier/ is
// the card itself, temoin: a file of the card synced earlier and read since only without
// touching its access time.
void FsSyncTable(const char* temoin)
{
    struct stat dossier, parent;
    bool surLaCarte = stat(DOSSIER_NOTES "..", &parent) == 0 && stat(DOSSIER_NOTES, &dossier) == 0 &&
                      parent.st_dev == dossier.st_dev;
    if (surLaCarte) FsSync(DOSSIER_NOTES "..", 0);
    else if (temoin) FsSync(temoin, O_NOATIME);
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

// Opens a regular file for reading, never through a link, leaving its access time (a FAT
// driver would otherwise have its entry to write at the next sync). -1, errno set: none.
int FsOuvre(const char* chemin, struct stat* st)
{
    if (lstat(chemin, st) != 0) return -1;
    if (!S_ISREG(st->st_mode)) {
        errno = EINVAL;
        return -1;
    }
    int fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    return fd;
}

// Reads a regular file's first n bytes into octets, their count in *lus. False: none, or
// unreadable (errno set).
bool FsLit(const char* chemin, char* octets, size_t n, Mot* lus)
{
    struct stat st;
    *lus = 0;
    int fd = FsOuvre(chemin, &st);
    if (fd < 0) return false;
    ssize_t k = 1;
    while (*lus < n && (k = read(fd, octets + *lus, n - *lus)) > 0) *lus += (Mot)k;
    int erreur = errno;
    close(fd);
    errno = erreur;
    return k >= 0;
}

// A regular file's length and, when it is short enough to be a note's text, its CRC-32; a
// longer one is not read: its length alone tells it from every text. False: unreadable.
bool FsEmpreinte(const char* chemin, SEmpreinte* e)
{
    char bloc[1024];
    struct stat st;
    e->Longueur = e->Crc = 0;
    int fd = FsOuvre(chemin, &st);
    if (fd < 0) return false;
    if (st.st_size > (off_t)NOTE_OCTETS_MAX) {
        close(fd);
        e->Longueur = SANS_NOTE;
        return true;
    }
    ssize_t k;
    while ((k = read(fd, bloc, sizeof bloc)) > 0) {
        e->Crc = FsCrc(bloc, (size_t)k, e->Crc);
        e->Longueur += (Mot)k;
    }
    int erreur = errno;
    close(fd);
    errno = erreur;
    return k == 0;
}

bool FsTexteEst(const SEmpreinte& e, Mot longueur, Mot crc)
{
    return e.Longueur == longueur && e.Crc == crc && longueur <= (Mot)NOTE_OCTETS_MAX;
}

// The one writer: creates chemin (O_EXCL, or mkstemp for a temporary name), writes the n
// bytes and syncs them after the table (temoin: see FsSyncTable). No file is left on failure.
Resultat FsEcritNeuf(char* chemin, unsigned mode, const char* octets, size_t n, bool temporaire,
                     const char* temoin)
{
    int fd = temporaire ? mkstemp(chemin) : open(chemin, O_WRONLY | O_CREAT | O_EXCL, (mode_t)mode);
    if (fd < 0) return FsErreur();
    fchmod(fd, (mode_t)mode);  // past the umask; a driver without chmod keeps its own: no failure
    Resultat r = RES_OK;
    while (r == RES_OK && n > 0) {
        ssize_t k = write(fd, octets, n);
        if (k <= 0) r = k < 0 ? FsErreur() : RES_ECRITURE;
        else octets += k, n -= (size_t)k;
    }
    if (r == RES_OK) {
        FsSyncTable(temoin);
        if (fsync(fd) != 0) r = FsErreur();
    }
    if (close(fd) != 0 && r == RES_OK) r = FsErreur();
    if (r != RES_OK) unlink(chemin);
    return r;
}

// Removes the entry (a file or an empty folder) and makes its removal last, its clusters
// freed only after that.
Resultat FsRetire(const char* chemin)
{
    int fd = open(chemin, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    Resultat r = remove(chemin) == 0 || errno == ENOENT ? RES_OK : FsErreur();
    FsSyncDossierDe(chemin);
    if (fd >= 0) close(fd);
    return r;
}

// RES_CARTE_PLEINE when the card is known to lack the room for two new files of a and b
// bytes, each taking whole blocks. What a removal would free counts only once it is done.
Resultat FsPlacePour(size_t a, size_t b)
{
    struct statvfs s;
    if (statvfs(DOSSIER_NOTES, &s) != 0 || s.f_frsize == 0) return RES_OK;  // the writes will tell
    unsigned long blocs = (unsigned long)((a + s.f_frsize - 1) / s.f_frsize + (b + s.f_frsize - 1) / s.f_frsize);
    return blocs <= (unsigned long)s.f_bavail ? RES_OK : RES_CARTE_PLEINE;
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

// A short name a FAT driver makes up: 8 + 1 + 3 bytes at most, a digit after its last "~",
// in capitals (or all in small letters: older kernels list short names so).
bool FsNomCourt(const char* nom)
{
    const char* tilde = strrchr(nom, '~');
    return strlen(nom) <= 12 && tilde != 0 && isdigit((unsigned char)tilde[1]) &&
           (strpbrk(nom, "abcdefghijklmnopqrstuvwxyz") == 0 || strpbrk(nom, "ABCDEFGHIJKLMNOPQRSTUVWXYZ") == 0);
}

bool FsNomDeJournal(const char* nom)
{
    return strncmp(nom, FS_JOURNAL_PREFIXE, 7) == 0 || strncmp(nom, FS_JOURNAL_AUTRE, 7) == 0;
}

// A character as a FAT driver puts it into a short name: 0 when it drops it.
char FsCapitale(char c)
{
    if (c == 0 || c == '.' || c == ' ') return 0;
    if (strchr("+=,;[]", c)) return '_';
    return (char)toupper((unsigned char)c);
}

// The capitals of nom's short name up to n of them from its part in [debut, fin).
void FsCapitales(char* dest, const char* debut, const char* fin, int n)
{
    int k = 0;
    for (const char* p = debut; p < fin && *p != 0 && k < n; p++) {
        if (FsCapitale(*p)) dest[k++] = FsCapitale(*p);
    }
    dest[k] = 0;
}

// True when the n first letters of court are those of base (a letter beyond ASCII: any).
bool FsDebutDe(const char* court, const char* base, size_t n)
{
    if (n > strlen(base)) return false;
    for (size_t i = 0; i < n; i++) {
        if ((unsigned char)base[i] < 0x80 && FsCapitale(court[i]) != base[i]) return false;
    }
    return true;
}

// True when court can be the short name a FAT driver made up for the long name nom: the
// first letters of its base then "~" and a number ("LISTED~1" for "liste de courses"), or
// two of them, four hexadecimal digits and "~" once the numbers ran out; then its extension.
bool FsAliasDe(const char* court, const char* nom)
{
    const char* fin = nom + strlen(nom);
    const char* point = strrchr(nom, '.');
    const char* debut = nom;
    while (point && debut < point && FsCapitale(*debut) == 0) debut++;
    if (point && (debut == point || point + 1 == fin)) point = 0;  // no extension
    char base[9], ext[4], sienne[4];
    FsCapitales(base, nom, point ? point : fin, 8);
    FsCapitales(ext, point ? point + 1 : fin, fin, 3);
    const char* tilde = strrchr(court, '~');
    const char* sonPoint = strchr(tilde, '.');
    FsCapitales(sienne, sonPoint ? sonPoint + 1 : tilde, sonPoint ? sonPoint + 4 : tilde, 3);
    size_t l = (size_t)(tilde - court);
    bool numero = l > 0 && l <= 6 && FsDebutDe(court, base, l);
    size_t deux = strlen(base) < 2 ? strlen(base) : 2;
    bool hache = l == deux + 4 && FsDebutDe(court, base, deux) && strspn(court + deux, "0123456789ABCDEFabcdef") >= 4;
    return (numero || hache) && strcmp(sienne, ext) == 0;
}

// Lays out the record of j, with the n bytes of its new text, in Tampon: its size.
size_t FsEncode(const SJournal& j, const char* texte, size_t n)
{
    Mot l = (Mot)strlen(j.Nom);
    const Mot champs[6] = {j.Effacement ? EFFACEMENT : (Mot)n, FsCrc(texte, n, 0), j.AvantLongueur,
                           j.AvantCrc, j.Mode, l};
    memcpy(Tampon, Magie, 4);
    for (int i = 0; i < 6; i++) FsPoseMot(Tampon + 8 + 4 * i, champs[i]);
    memcpy(Tampon + ENTETE, j.Nom, l);
    if (n > 0) memcpy(Tampon + ENTETE + l, texte, n);
    FsPoseMot(Tampon + 4, FsCrc(Tampon + 8, ENTETE - 8 + l, 0));
    return ENTETE + l + n;
}

// Decodes the n bytes of Tampon, read from the entry entree, into j: a record when its
// header checks and the entry is named after its note (in any case: a FAT card finds
// ".copie-x" for ".copie-X") or is a short name.
Sorte FsDecode(Mot n, const char* entree, SJournal* j)
{
    if (n < ENTETE) return PAS_JOURNAL;
    Mot l = FsLitMot(Tampon + 28);
    bool actif = memcmp(Tampon, Magie, 4) == 0;
    if ((!actif && memcmp(Tampon, MagieRetiree, 4) != 0) || l > NOM_LONGUEUR_MAX || ENTETE + l > n ||
        FsCrc(Tampon + 8, ENTETE - 8 + l, 0) != FsLitMot(Tampon + 4)) {
        return PAS_JOURNAL;
    }
    // The name is read from the card: it must be a note's, and the file's.
    memcpy(j->Nom, Tampon + ENTETE, l);
    j->Nom[l] = 0;
    bool nomme = FsNomDeJournal(entree) && strcasecmp(entree + 7, j->Nom) == 0;
    if (strlen(j->Nom) != l || !FsNomValide(j->Nom) || !(nomme || FsNomCourt(entree))) return PAS_JOURNAL;
    Mot t = FsLitMot(Tampon + 8);
    j->Effacement = t == EFFACEMENT;
    j->Longueur = j->Effacement ? 0 : t;
    j->Crc = FsLitMot(Tampon + 12);
    j->AvantLongueur = FsLitMot(Tampon + 16);
    j->AvantCrc = FsLitMot(Tampon + 20);
    j->Mode = FsLitMot(Tampon + 24);
    j->Texte = Tampon + ENTETE + l;
    if (!actif || j->Longueur > NOTE_OCTETS_MAX || ENTETE + l + j->Longueur != n) return JOURNAL_RETIRE;
    return FsCrc(j->Texte, j->Longueur, 0) == j->Crc ? JOURNAL_ACTIF : JOURNAL_RETIRE;
}

// Reads the record at chemin into j.
Sorte FsLitJournal(const char* chemin, SJournal* j)
{
    struct stat st;
    Mot n = 0;
    if (lstat(chemin, &st) != 0 || !S_ISREG(st.st_mode)) return PAS_JOURNAL;
    if (!FsLit(chemin, Tampon, sizeof Tampon, &n)) return JOURNAL_ILLISIBLE;
    return FsDecode(n, FsNomDe(chemin), j);
}

// The note's record under either name (its path in journal), or PAS_JOURNAL. A live or
// unreadable one comes before a dead one, which is only in its way. On FAT it may be the
// record of another spelling: j->Nom tells.
Sorte FsJournalDe(const char* note, char* journal, SJournal* j)
{
    FsCheminDe(journal, FS_JOURNAL_PREFIXE, FsNomDe(note));
    Sorte premiere = FsLitJournal(journal, j);
    if (premiere == JOURNAL_ACTIF || premiere == JOURNAL_ILLISIBLE) return premiere;
    FsCheminDe(journal, FS_JOURNAL_AUTRE, FsNomDe(note));
    Sorte seconde = FsLitJournal(journal, j);
    if (seconde != PAS_JOURNAL || premiere == PAS_JOURNAL) return seconde;
    FsCheminDe(journal, FS_JOURNAL_PREFIXE, FsNomDe(note));
    return FsLitJournal(journal, j);
}

// What stops an operation on the note at chemin from its record's side: an unreadable one
// (it may be live), or the live record of another spelling of the name.
Resultat FsObstacle(Sorte sorte, const SJournal& j, const char* chemin)
{
    if (sorte == JOURNAL_ILLISIBLE) return RES_JOURNAL_ILLISIBLE;
    if (sorte == JOURNAL_ACTIF && strcmp(j.Nom, FsNomDe(chemin)) != 0) return RES_AUTRE_GRAPHIE;
    return RES_OK;
}

// Writes the record of a save (the n bytes) or delete (octets null) of note, its path in
// journal: ".copie-" + the name, or ".copie~" + it when a file the program did not write has
// the first.
Resultat FsEcritJournal(char* journal, const char* note, const char* octets, size_t n, unsigned mode)
{
    struct stat st;
    SJournal j;
    SEmpreinte avant = {SANS_NOTE, 0};
    if (lstat(note, &st) == 0 && S_ISREG(st.st_mode) && !FsEmpreinte(note, &avant)) return FsErreur();
    j.Effacement = octets == 0;
    j.AvantLongueur = avant.Longueur;
    j.AvantCrc = avant.Crc;
    j.Mode = mode;
    strcpy(j.Nom, FsNomDe(note));
    size_t taille = FsEncode(j, octets, octets ? n : 0);
    FsCheminDe(journal, FS_JOURNAL_PREFIXE, j.Nom);
    if (lstat(journal, &st) == 0) FsCheminDe(journal, FS_JOURNAL_AUTRE, j.Nom);
    if (lstat(journal, &st) == 0) return RES_NOMS_PRIS;
    return FsEcritNeuf(journal, mode, Tampon, taille, false, note);
}

// Retires the record at journal, then removes it.
Resultat FsRetireJournal(const char* journal)
{
    int fd = open(journal, O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return FsErreur();
    Resultat r = pwrite(fd, MagieRetiree, 4, 0) == 4 && fsync(fd) == 0 ? RES_OK : FsErreur();
    close(fd);
    return r == RES_OK ? FsRetire(journal) : r;
}

// ---- The start-up, and a save that finds a record: removals first, in passes; then writes ----

// A pass's context: whether it removed something (the folder is read again), and the
// reason of its first failure.
struct SPasse {
    bool Change;
    Resultat Raison;
};

void FsRetenu(SPasse* passe, Resultat r, bool change)
{
    if (r == RES_OK) passe->Change = passe->Change || change;
    else if (passe->Raison == RES_OK) passe->Raison = r;
}

// The stray entry looked for: its name and what it holds.
struct SEgaree {
    const char* Nom;
    SEmpreinte Texte;
};

// True when nom is a whole record of a note that the stray is named after and whose old or
// new text it holds, or of a save whose note is missing: the stray is what is left of its
// entry, a removal torn in the folder (the record holds the note's text).
bool FsEstJournalDeEgaree(const char* nom, void* contexte)
{
    const SEgaree* egaree = (const SEgaree*)contexte;
    char chemin[CHEMIN_MAX], note[CHEMIN_MAX];
    SJournal j;
    struct stat st;
    FsCheminDe(chemin, "", nom);
    if (FsLitJournal(chemin, &j) != JOURNAL_ACTIF || strcmp(j.Nom, egaree->Nom) == 0 || !FsAliasDe(egaree->Nom, j.Nom)) {
        return false;
    }
    FsCheminDe(note, "", j.Nom);
    return FsTexteEst(egaree->Texte, j.AvantLongueur, j.AvantCrc) || FsTexteEst(egaree->Texte, j.Longueur, j.Crc) ||
           (!j.Effacement && lstat(note, &st) != 0 && errno == ENOENT);
}

// Before the records go: a short name that holds no record and is tied so to a whole record
// of a note it is named after is a stray short entry of that note.
bool FsPasseEgarees(const char* nom, void*)
{
    char chemin[CHEMIN_MAX];
    SJournal j;
    SEgaree egaree = {nom, {0, 0}};
    FsCheminDe(chemin, "", nom);
    if (FsNomCourt(nom) && FsLitJournal(chemin, &j) == PAS_JOURNAL && FsEmpreinte(chemin, &egaree.Texte) &&
        FsParcourt(FsEstJournalDeEgaree, &egaree) == 1) {
        FsRetire(chemin);
    }
    return false;
}

// An active record's removals (j: read last). True when all are done and the record may go.
bool FsRetireSelonJournal(const SJournal& j, SPasse* passe)
{
    char note[CHEMIN_MAX];
    SEmpreinte e;
    FsCheminDe(note, "", j.Nom);
    if (j.Effacement) {
        Resultat r = FsRetire(note);
        FsRetenu(passe, r, false);
        return r == RES_OK;
    }
    if (!FsEmpreinte(note, &e)) return false;  // to write, or no note's file
    if (FsTexteEst(e, j.AvantLongueur, j.AvantCrc)) return true;  // cut before the note was touched
    // Its entry landed, not its data: written over in place.
    if (e.Longueur == j.Longueur && !FsTexteEst(e, j.Longueur, j.Crc)) return false;
    // Not its new text, or on an entry another driver may have written before the table.
    FsRetenu(passe, FsRetire(note), true);
    return false;
}

bool FsPasseRetraits(const char* nom, void* contexte)
{
    SPasse* passe = (SPasse*)contexte;
    char chemin[CHEMIN_MAX];
    SJournal j;
    FsCheminDe(chemin, "", nom);
    Sorte sorte = FsLitJournal(chemin, &j);
    if (sorte == JOURNAL_RETIRE) {
        FsRetenu(passe, FsRetire(chemin), true);
    } else if (sorte == JOURNAL_ACTIF) {
        if (FsRetireSelonJournal(j, passe)) FsRetenu(passe, FsRetireJournal(chemin), true);
    } else if (sorte == PAS_JOURNAL && FsEstTemporaire(nom) && FsNomDeJournal(nom)) {
        // A record-named file of nothing but zeros has nothing to lose: a cut left it, its
        // entry on the card before its first byte.
        Mot n = 0;
        bool vide = FsLit(chemin, Tampon, sizeof Tampon, &n) && n < sizeof Tampon;
        for (Mot i = 0; vide && i < n; i++) vide = Tampon[i] == 0;
        if (vide) FsRetenu(passe, FsRetire(chemin), true);
    }
    return false;
}

// A save's record writes its note anew (O_EXCL keeps any other), or over in place when its
// entry landed without its data: no removal, which could leave a stray short entry.
bool FsPasseEcritures(const char* nom, void* contexte)
{
    char chemin[CHEMIN_MAX], note[CHEMIN_MAX];
    SJournal j;
    FsCheminDe(chemin, "", nom);
    if (FsLitJournal(chemin, &j) != JOURNAL_ACTIF || j.Effacement) return false;
    FsCheminDe(note, "", j.Nom);
    SEmpreinte e;
    Resultat r = FsEcritNeuf(note, j.Mode, j.Texte, j.Longueur, false, chemin);
    bool enPlace = r != RES_OK && FsEmpreinte(note, &e) && e.Longueur == j.Longueur &&
                   !FsTexteEst(e, j.AvantLongueur, j.AvantCrc) && !FsTexteEst(e, j.Longueur, j.Crc);
    if (enPlace) {
        int fd = open(note, O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
        r = fd >= 0 && pwrite(fd, j.Texte, j.Longueur, 0) == (ssize_t)j.Longueur && fsync(fd) == 0 ? RES_OK : FsErreur();
        if (fd >= 0) close(fd);
    }
    if (r == RES_OK) r = FsRetireJournal(chemin);
    FsRetenu((SPasse*)contexte, r, false);
    return false;
}

// Finishes the record at journal now, as the start-up would: RES_OK once it is gone.
Resultat FsAcheve(const char* journal)
{
    SPasse passe = {false, RES_OK};
    SJournal j;
    FsPasseRetraits(FsNomDe(journal), &passe);
    FsPasseEcritures(FsNomDe(journal), &passe);
    if (passe.Raison != RES_OK) return passe.Raison;
    return FsLitJournal(journal, &j) == PAS_JOURNAL ? RES_OK : RES_ECRITURE;
}

// One note for FsListeNotes' caller: an entry that can be a note and is not the program's,
// or the note of a save's record whose file is missing (its write failed), listed under
// the note's name until a save writes it or a delete removes it.
bool FsPrendNote(const char* nom, void* contexte)
{
    void (*prendre)(const char*) = *(void (**)(const char*))contexte;
    char chemin[CHEMIN_MAX], note[CHEMIN_MAX];
    SJournal j;
    struct stat st;
    if (FsNomValide(nom) && !FsEstTemporaire(nom)) {
        prendre(nom);
    } else if (FsNomDeJournal(nom)) {
        FsCheminDe(chemin, "", nom);
        if (FsLitJournal(chemin, &j) != JOURNAL_ACTIF || j.Effacement) return false;
        FsCheminDe(note, "", j.Nom);
        if (lstat(note, &st) != 0 && errno == ENOENT) prendre(j.Nom);
    }
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
    Resultat r = FsEcritNeuf(temp, mode, octets, n, true, 0);
    if (r != RES_OK) return r;
    r = rename(temp, cible) == 0 ? RES_OK : FsErreur();
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
    FsParcourt(FsPrendNote, &prendre);
}

bool FsMemeFichier(const char* a, const char* b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

Resultat FsFaitDossier()
{
    struct stat st;
    if (mkdir(DOSSIER_NOTES, 0777) == 0) return RES_OK;
    if (errno != EEXIST || stat(DOSSIER_NOTES, &st) != 0) return FsErreur();
    return S_ISDIR(st.st_mode) ? RES_OK : RES_PAS_DOSSIER;
}

Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus)
{
    struct stat st;
    char journal[CHEMIN_MAX];
    SJournal j;
    *lus = 0;
    if (lstat(chemin, &st) != 0) {
        // A missing note reads as the text of a save that could not write it.
        if (errno != ENOENT) return RES_INCOMPLETE;
        Sorte sorte = FsJournalDe(chemin, journal, &j);
        Resultat r = FsObstacle(sorte, j, chemin);
        if (r != RES_OK) return r;
        if (sorte != JOURNAL_ACTIF || j.Effacement) return RES_OK;
        *lus = j.Longueur < taille ? j.Longueur : taille;
        memcpy(octets, j.Texte, *lus);
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

Resultat FsCreeVide(const char* chemin, char* liste)
{
    char journal[CHEMIN_MAX];
    SJournal j;
    struct stat st;
    strcpy(liste, FsNomDe(chemin));
    Resultat r = FsDossierModifiablePour(chemin);
    if (r != RES_OK) return r;
    Sorte sorte = FsJournalDe(chemin, journal, &j);
    if ((r = FsObstacle(sorte, j, chemin)) != RES_OK) return r;
    // The note of a save that could not write it is its record: an empty file would hide its text.
    if (sorte == JOURNAL_ACTIF && !j.Effacement && lstat(chemin, &st) != 0 && errno == ENOENT) return RES_OK;
    // O_EXCL: whatever already has this name is never opened, let alone emptied.
    int fd = open(chemin, O_WRONLY | O_CREAT | O_EXCL, 0666);
    // FAT finds "Todo" for "todo": the card may have the note under another spelling.
    if (fd < 0 && errno == EEXIST) return FsNomExact(chemin) ? RES_OK : RES_AUTRE_GRAPHIE;
    if (fd < 0 || close(fd) != 0) return FsErreur();
    FsSyncDossierDe(chemin);
    // An older kernel lists a short name made only of capitals in small letters ("NOTES" as
    // "notes"): the note is listed as the card will list it.
    SGraphie graphie = {chemin, liste};
    if (!FsNomExact(chemin)) FsParcourt(FsEstGraphieDe, &graphie);
    return RES_OK;
}

void FsRetablitDossier()
{
    if (FsDossierModifiablePour(DOSSIER_NOTES ".") != RES_OK) return;
    FsParcourt(FsPasseEgarees, 0);
    // A removal during a reading of the folder may hide entries from it: read it again.
    for (int passe = 0; passe < 8; passe++) {
        SPasse retraits = {false, RES_OK};
        FsParcourt(FsPasseRetraits, &retraits);
        if (!retraits.Change) break;
    }
    // Writes come once every removal is done: they take no room a removal still holds. One
    // that fails (a full card) leaves its record, which stands for the note.
    SPasse ecritures = {false, RES_OK};
    FsParcourt(FsPasseEcritures, &ecritures);
}

Resultat FsEcritNote(const char* chemin, const char* octets, size_t n)
{
    char cible[CHEMIN_MAX], journal[CHEMIN_MAX];
    mode_t mode = 0;
    SJournal j;
    // A record of the note left by a save that could not write it is finished first: a note
    // never has two.
    Sorte sorte = FsJournalDe(chemin, journal, &j);
    Resultat r = FsObstacle(sorte, j, chemin);
    if (r == RES_OK && sorte != PAS_JOURNAL) r = FsAcheve(journal);
    if (r == RES_OK) r = FsCible(chemin, cible, &mode);
    if (r != RES_OK) return r;
    bool parLien = strcmp(cible, chemin) != 0;
    if (parLien) return FsRemplaceLien(cible, mode, octets, n);
    // The old note's room counts only once it is removed: a save never removes a note that
    // it could not write anew.
    if ((r = FsPlacePour(ENTETE + strlen(FsNomDe(chemin)) + n, n)) != RES_OK) return r;
    if ((r = FsEcritJournal(journal, chemin, octets, n, mode)) != RES_OK) return r;
    if ((r = FsRetire(chemin)) != RES_OK) {
        FsRetireJournal(journal);
        return r;
    }
    // Once the note is gone its record holds the text: should this write fail, the record
    // stays and stands for the note.
    if ((r = FsEcritNeuf(cible, mode, octets, n, false, journal)) != RES_OK) return r;
    // The note holds its text whether or not its record goes now: one that stays is
    // finished by the next save, delete or start.
    FsRetireJournal(journal);
    return RES_OK;
}

Resultat FsEffaceNote(const char* chemin)
{
    char journal[CHEMIN_MAX];
    SJournal j;
    struct stat st;
    Resultat r = FsDossierModifiablePour(chemin);
    if (r != RES_OK) return r;
    // The note's own record goes first: a save's would write the note back.
    Sorte sorte = FsJournalDe(chemin, journal, &j);
    if (sorte == JOURNAL_ILLISIBLE) return RES_JOURNAL_ILLISIBLE;
    if (sorte != PAS_JOURNAL && strcmp(j.Nom, FsNomDe(chemin)) == 0 && (r = FsRetireJournal(journal)) != RES_OK) {
        return r;
    }
    if (lstat(chemin, &st) != 0) return errno == ENOENT ? RES_OK : FsErreur();
    // On FAT "todo" also finds "Todo": only the note's own entry goes, and a delete that
    // leaves another spelling's says so.
    if (!FsNomExact(chemin)) return RES_AUTRE_GRAPHIE;
    // Its record lets the start finish a cut delete and find a stray entry; the note goes even without.
    bool marque = FsEcritJournal(journal, chemin, 0, 0, 0666) == RES_OK;
    r = FsRetire(chemin);
    if (marque) FsRetireJournal(journal);
    return r;
}
