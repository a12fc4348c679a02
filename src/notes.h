// Note files and the catalogue of the notes folder "dossier/".
// Every name is a bare file name: a name with "/" or equal to "." or ".." is refused.
#ifndef NOTES_H
#define NOTES_H

#define DOSSIER_NOTES "dossier/"
enum {
    CHEMIN_TAILLE = 256,   // "dossier/" + name + terminator
    NOM_LONGUEUR_MAX = 247,
    NOTE_OCTETS_MAX = 12799  // 50 lines of 255 bytes and 49 newlines: the most that fits
};

// The reasons a save, create or delete gives in RaisonEchec, shown on the second line of
// the box that says it failed. Each fits the box.
#define RAISON_INCOMPLETE "Note not fully loaded"
#define RAISON_ECRITURE "Could not write the file"
#define RAISON_NOTE_LECTURE_SEULE "The note is read-only"
#define RAISON_DOSSIER_LECTURE_SEULE "The folder is read-only"
#define RAISON_CARTE_LECTURE_SEULE "The card is read-only"
#define RAISON_CARTE_PLEINE "The card is full"
#define RAISON_LISTE_PLEINE "The list is full (50 notes)"
#define RAISON_PAS_DOSSIER "\"dossier\" is not a folder"
#define RAISON_DOSSIER_PLEIN "It is a folder that is not empty"
#define RAISON_PAS_NOTE "It is not a note file"
#define RAISON_LIEN_MORT "The link leads nowhere"
#define RAISON_LIEN_AUTRE "The link does not lead to a note"
#define RAISON_NOM "The name is not allowed"
#define RAISON_REFUS "Permission denied"
#define RAISON_AUTRE_GRAPHIE "Another spelling is on the card"

// Loads the note into Texte (cleared first), cursor on line 0 at the top. A missing file
// loads as one empty line. A note that does not fit the buffer, or whose file cannot be
// read whole, loads as much as fits and sets TexteIncomplet, RaisonEchec saying why
// (RAISON_INCOMPLETE, or what is wrong with a link); a save then gives that reason.
void FnReadFile(const char* nom);

// Saves Texte under the name without ever damaging the previous file, a power cut
// included: the text goes to the note's journal first (fs_journal.cpp). Returns false, RaisonEchec
// saying why, and leaves the note untouched, on any failure or when TexteIncomplet is set.
// Either way the cursor goes to the last line, the window to the last six lines.
bool FnWriteFile(const char* nom);

// Start-up: finishes or undoes the saves and deletes that a power cut left (FsRetablitDossier),
// then lists the folder into ListeFichier (at most 50 names, none longer than 247 bytes,
// none of the program's own, one name for each file). A missing folder leaves the
// catalogue empty.
void FnLitDossier();

// True when the name is listed; the empty name never is.
bool FindFile(const char* nom);

// Creates an empty note and lists it. An existing file is kept as it is; "dossier/" is made
// if missing. The empty name and a listed one ask for nothing: true. False, RaisonEchec
// saying why, when the note could not be made or listed (unsafe or too long name, one
// shaped like a save's temporary file, a full list, a full or read-only card...).
bool FnCreateFile(const char* nom);

// Deletes the note's file, whatever its own mode bits say (the folder must be writable),
// and then drops its name (also when the file was already gone).
// The empty name and an unlisted one ask for nothing: true. False, RaisonEchec saying why,
// when the file stays on the card; its name then stays listed.
bool FnRemoveFile(const char* nom);

// Drops a listed name and copies the name now last in the list into ChaineTitre (empty
// when none is left). Called by FnRemoveFile.
void FnDelLigneFichier(const char* nom);

#endif
