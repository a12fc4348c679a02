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

// What a note operation, or the file-system call under it, came to. The screens turn a
// code into the words they show (FnTexteResultat); nothing below them holds a text.
enum Resultat {
    RES_OK = 0,
    RES_INCOMPLETE,            // the open note did not load whole
    RES_ECRITURE,              // any other failure to write
    RES_NOTE_LECTURE_SEULE,
    RES_DOSSIER_LECTURE_SEULE,
    RES_CARTE_LECTURE_SEULE,
    RES_CARTE_PLEINE,
    RES_LISTE_PLEINE,
    RES_PAS_DOSSIER,           // "dossier" is something else than a folder
    RES_DOSSIER_PLEIN,         // the name is a folder that is not empty
    RES_PAS_NOTE,              // the name is something else than a file
    RES_LIEN_MORT,
    RES_LIEN_AUTRE,            // a link to something else than a file
    RES_NOM,                   // a name that cannot be a note
    RES_REFUS,                 // the system refused, whatever the mode bits say
    RES_AUTRE_GRAPHIE,         // FAT folds case: the card has the name in another spelling
    RES_TEXTE_DU_JOURNAL,      // the note opened with the text of a save that failed
    RES_JOURNAL_ILLISIBLE,     // the card would not give the record of its last save
    RES_NOMS_PRIS,             // files the program did not write hold both names of its record
    RES_NOMBRE
};

// Loads the note into Texte (cleared first), cursor on line 0 at the top. A missing file
// loads as one empty line. A note that does not fit the buffer, or whose file cannot be
// read whole, loads as much as fits and sets TexteIncomplet; the result says why
// (RES_INCOMPLETE, or what is wrong with a link), and a save then refuses with it.
Resultat FnReadFile(const char* nom);

// Saves Texte under the name without ever damaging the previous file, a power cut
// included: the text goes to the note's record first (fs.cpp). On a failure the result
// says why; the note is left as it was (always when TexteIncomplet is set or the card
// lacks room), or, when the card failed once the old note was removed, its record stands
// for it with the new text. Either way the cursor goes to the last line, the window to the
// last six lines.
Resultat FnWriteFile(const char* nom);

// Start-up: finishes or undoes the saves and deletes that a power cut left (FsRetablitDossier),
// then lists the folder into ListeFichier (at most 50 names, none longer than 247 bytes,
// none of the program's own, one name for each file). A missing folder leaves the
// catalogue empty.
void FnLitDossier();

// True when the name is listed; the empty name never is.
bool FindFile(const char* nom);

// Creates an empty note and lists it under the name the card lists it (an older kernel
// spells "NOTES" as "notes"). An existing file, or a failed save's record, is kept as it
// is; "dossier/" is made if missing. The empty name and a listed one ask for nothing:
// RES_OK. The result says why when the note could not be made or listed (unsafe or too
// long name, one shaped like a save's temporary file, a full list, a full or read-only card...).
Resultat FnCreateFile(const char* nom);

// Deletes the note's file and any record of its last save, whatever its own mode bits say
// (the folder must be writable), and then drops its name (also when the file was already gone).
// The empty name and an unlisted one ask for nothing: RES_OK. The result says why when the
// file stays on the card; its name then stays listed.
Resultat FnRemoveFile(const char* nom);

// Drops a listed name and copies the name now last in the list into ChaineTitre (empty
// when none is left). Called by FnRemoveFile.
void FnDelLigneFichier(const char* nom);

#endif
