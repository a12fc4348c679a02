// Note files and the catalogue of the notes folder "dossier/".
// Every name is a bare file name: a name with "/" or equal to "." or ".." is refused.
#ifndef NOTES_H
#define NOTES_H

#define DOSSIER_NOTES "dossier/"
enum {
    CHEMIN_TAILLE = 256,   // "dossier/" + name + terminator
    NOM_LONGUEUR_MAX = 247
};

// Loads the note into Texte (cleared first), cursor on line 0 at the top. A missing file
// loads as one empty line. A note that does not fit the buffer, or whose file cannot be
// read whole, loads as much as fits and sets TexteIncomplet.
void FnReadFile(const char* nom);

// Saves Texte under the name without ever damaging the previous file: the text goes to a
// temporary file that replaces the note only when fully written. Returns false, and leaves
// the note untouched, on any failure or when TexteIncomplet is set. Either way the cursor
// moves to the last line.
bool FnWriteFile(const char* nom);

// Start-up: lists the folder into ListeFichier (at most 50 names, none longer than 247 bytes,
// no temporary files of the save). A missing folder leaves the catalogue empty.
void FnLitDossier();

// True when the name is listed; the empty name never is.
bool FindFile(const char* nom);

// Creates an empty note and lists it, unless the name is empty, listed, unsafe, too long,
// shaped like a save's temporary file, or the catalogue is full. An existing file is kept
// as it is; "dossier/" is made if missing.
void FnCreateFile(const char* nom);

// Deletes the note's file and then drops its name (also when the file was already gone);
// a file that cannot be deleted stays listed.
void FnRemoveFile(const char* nom);

// Drops a listed name and copies the name now last in the list into ChaineTitre
// (the empty string when the list is empty). Called by FnRemoveFile.
void FnDelLigneFichier(const char* nom);

#endif
