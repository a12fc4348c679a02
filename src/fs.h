// The platform's file-system calls for the notes folder, gathered in one place.
// Paths are always "dossier/" + a bare name: unsafe names never become paths.
// Read-only is what the mode bits say, whoever runs the program (the handheld runs it as
// root): nothing is replaced or removed without a write bit on it and on its folder.
#ifndef FS_H
#define FS_H

// A save first writes "dossier/.sauve-XXXXXX" (six letters or digits), then renames it
// over the note. Names typed on the device cannot start with a dot, so no note is ever
// mistaken for one of these, and the folder scan skips them, even those left by a crash.
#define FS_TEMP_PREFIXE ".sauve-"
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

// True when the name has the exact shape of a save's temporary file.
bool FsEstTemporaire(const char* nom);

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

// Opens the note at chemin for reading as `fichier`, with a buffer of FS_LECTURE_MAX bytes
// so that the first read asks for no more. Never blocks: only a regular file (a link to one
// included) with a read bit is opened; a pipe, a device, a folder, a dangling link or a file
// without a read bit is FS_ILLISIBLE, and so is a file that cannot be opened.
enum { FS_LECTURE_MAX = 12800 };
int FsOuvreLecture(const char* chemin);

// Creates an empty file at chemin unless something of that name exists, which is never
// touched. False, RaisonEchec saying why, when the file could not be created (existing is
// not an error).
bool FsCreeVide(const char* chemin);

// Deletes the entry at chemin (a file, a link, an empty folder). True when it is gone
// afterwards, also when it was already missing; false when it is still there, RaisonEchec
// saying why. An entry in a folder without a write bit is kept, whatever its own bits.
bool FsSupprime(const char* chemin);

// Removes the temporary file a cut save left at chemin: only a regular file, never a link
// or a folder of that name, and nothing in a read-only folder.
void FsRetireDebris(const char* chemin);

// Longest path a save handles: a linked note's file may lie anywhere.
enum { FS_CHEMIN_MAX = 4096 };

// Prepares a save of the note at chemin: finds the file to replace (cible: chemin itself,
// or the regular file a link leads to, so that the link stays a link), then opens a new
// temporary file in that file's folder as the stream `fichier` (its path in temp). Both
// buffers hold FS_CHEMIN_MAX bytes. The temporary file takes the note's permission bits.
// False, RaisonEchec saying why and nothing left behind, when the note may not be replaced.
bool FsTemporaireOuvre(char* temp, char* cible, const char* chemin);

// Flushes, syncs and closes `fichier`, then renames temp over cible. True when the note now
// holds the new text; on any failure the temporary file is removed and the note is as before.
bool FsTemporaireValide(const char* temp, const char* cible);

// Closes `fichier` and removes the temporary file of a save that failed.
void FsTemporaireAbandonne(const char* temp);

#endif
