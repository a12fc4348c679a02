// The platform's file-system calls for the notes folder, gathered in one place.
// Paths are always "dossier/" + a bare name: unsafe names never become paths.
// Read-only is what the mode bits say, whoever runs the program (the handheld runs it as
// root): nothing is replaced or removed without a write bit on it and on its folder.
#ifndef FS_H
#define FS_H

// Names the program keeps for itself in "dossier/", never listed and refused by create:
// - ".copie-" + a note's name: the journal of a save under way, the new text with a header
//   that tells whether it is whole (see fs_journal.cpp);
// - ".efface-" + a note's name: the mark of a delete under way;
// - ".sauve-XXXXXX" (six letters or digits): the temporary file of a save through a link,
//   beside the file the link leads to, renamed over it once written; older versions of the
//   program saved every note that way, so cards may still hold such files.
// Names typed on the device cannot start with a dot, so no typed name is ever one of these.
#define FS_TEMP_PREFIXE ".sauve-"
#define FS_JOURNAL_PREFIXE ".copie-"
#define FS_EFFACE_PREFIXE ".efface-"
enum {
    FS_TEMP_SUFFIXE = 6   // letters and digits that mkstemp puts after the prefix
};

// The reason to show for the errno of the last failed call (one of the RAISON_ texts).
const char* FsRaison();

// Sets RaisonEchec to the reason, or to the one errno gives; returns false for the caller
// to pass on.
bool FsRefuse(const char* raison);
bool FsEchec();

// True when the name can be a note: not empty, not "." or "..", no "/", at most 247 bytes.
bool FsNomValide(const char* nom);

// True when the name is one the program keeps for itself (above): a temporary file, a
// journal or a delete mark.
bool FsEstTemporaire(const char* nom);

// True when the name has the exact shape of a temporary file of a save through a link.
bool FsEstTemporaireLien(const char* nom);

// Writes "dossier/" + nom into chemin (CHEMIN_TAILLE bytes). False, chemin empty, when the
// name is not valid.
bool FsChemin(char* chemin, const char* nom);

// Calls prendre(nom) for each entry of "dossier/", in the order the folder yields them,
// "." and ".." excepted, until prendre returns false. False when the folder cannot be listed.
bool FsListeDossier(bool (*prendre)(const char* nom));

// Makes "dossier/" when it is missing. True when it exists afterwards; false, errno set,
// otherwise.
bool FsFaitDossier();

// True when an entry of that path exists (any kind, dangling links included).
bool FsExiste(const char* chemin);

// What opening a note for reading found.
enum {
    FS_OUVERTE,    // a regular file, now the stream `fichier`
    FS_ABSENTE,    // nothing of that name: a new, empty note
    FS_ILLISIBLE   // something that must not be read: see FsOuvreLecture
};

// Opens the note at chemin for reading as `fichier`; when it is FS_ILLISIBLE, RaisonEchec
// says why (a dangling link, a link to something else than a file, or RAISON_INCOMPLETE), with a buffer of FS_LECTURE_MAX bytes
// so that the first read asks for no more. Never blocks: only a regular file (a link to one
// included) with a read bit is opened; a pipe, a device, a folder, a dangling link or a file
// without a read bit is FS_ILLISIBLE, and so is a file that cannot be opened.
enum { FS_LECTURE_MAX = 12800 };
int FsOuvreLecture(const char* chemin);

// Creates an empty file at chemin unless something of that name exists, which is never
// touched. False, RaisonEchec saying why, when the file could not be created (existing is
// not an error), or when the name exists only under another spelling (FAT folds case).
bool FsCreeVide(const char* chemin);

// Deletes the entry at chemin (a file, a link, an empty folder). True when it is gone
// afterwards, also when it was already missing; false when it is still there, RaisonEchec
// saying why. An entry in a folder without a write bit is kept, whatever its own bits.
bool FsSupprime(const char* chemin);

// False, RaisonEchec set, when the folder that holds chemin has no write bit.
bool FsDossierModifiablePour(const char* chemin);

// True when the folder of chemin holds an entry of exactly chemin's name. On FAT a name
// also finds the entry of another spelling ("Todo" for "todo"); this tells them apart.
bool FsNomExact(const char* chemin);

// True when both paths lead to one file (links followed).
bool FsMemeFichier(const char* a, const char* b);

// ---- Saves and deletes that a power cut cannot spoil (fs_journal.cpp) ----

// Saves the n bytes as the note at chemin ("dossier/" + name). A regular note (or a new
// one) goes through its journal; a link's file is replaced by a temporary file and a
// rename beside it. True when the note holds the bytes; false, RaisonEchec saying why,
// with the note as it was (a journal that could not be finished is finished at the next
// start: RaisonEchec then says the save did not end).
bool FsEcritNote(const char* chemin, const char* octets, size_t n);

// Deletes the note at chemin as FsSupprime does, behind a delete mark, so that a delete
// cut short is finished at the next start.
bool FsEffaceNote(const char* chemin);

// Start-up, before the folder is listed: finishes or undoes what cut saves and deletes
// left. Removes nothing that may be the only copy of a note or share its clusters with
// one. Does nothing in a folder without a write bit.
void FsRetablitDossier();

// Longest path a save handles: a linked note's file may lie anywhere.
enum { FS_CHEMIN_MAX = 4096 };

// The file a save of chemin replaces (cible, FS_CHEMIN_MAX bytes: chemin itself, or the
// regular file a link leads to, so that the link stays a link) and the permission bits of
// its new text. False, RaisonEchec saying why, when the note may not be replaced.
bool FsCible(const char* chemin, char* cible, unsigned* mode);

// Replaces the file cible by the n bytes: a new temporary file beside it, written, synced,
// then renamed over it. Only for a link's file: rename is atomic on the file systems that
// have links. False, RaisonEchec set and no temporary file left, on any failure.
bool FsRemplaceParTemporaire(const char* cible, unsigned mode, const char* octets, size_t n);

// Makes the entries of the folder that holds chemin survive a power cut.
void FsSyncDossierDe(const char* chemin);

#endif
