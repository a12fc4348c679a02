// The platform's file-system calls for the notes folder, gathered in one place.
// Paths are always "dossier/" + a bare name: unsafe names never become paths.
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

// Makes "dossier/" when it is missing. True when it exists afterwards.
bool FsFaitDossier();

// True when an entry of that path exists (any kind, dangling links included).
bool FsExiste(const char* chemin);

// Creates an empty file at chemin unless something of that name exists, which is never
// touched. False when the file could not be created (existing is not an error).
bool FsCreeVide(const char* chemin);

// Deletes the file (or empty folder) at chemin. True when it is gone afterwards, also when
// it was already missing; false when it is still there.
bool FsSupprime(const char* chemin);

// Opens a new temporary file in "dossier/" for a save of chemin, as the stream `fichier`;
// its path goes to temp (CHEMIN_TAILLE bytes). It takes the note's permission bits, or the
// ones a new file would get. False, with nothing left behind, when it cannot be made or when
// the note exists but may not be written.
bool FsTemporaireOuvre(char* temp, const char* chemin);

// Flushes, syncs and closes `fichier`, then renames temp over chemin. True when the note now
// holds the new text; on any failure the temporary file is removed and the note is as before.
bool FsTemporaireValide(const char* temp, const char* chemin);

// Closes `fichier` and removes the temporary file of a save that failed.
void FsTemporaireAbandonne(const char* temp);

#endif
