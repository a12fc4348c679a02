// The notes folder's files, as the notes operations use them. How a save and a delete
// survive a power cut, and what the start-up makes of what a cut left: fs.cpp.
// Paths are always "dossier/" + a bare name. Read-only is what the mode bits say, whoever
// runs the program (the handheld runs it as root). Each call answers with a Resultat.
#ifndef FS_H
#define FS_H

#include <stddef.h>

#include "notes.h"

// Names the program keeps for itself in "dossier/", never listed and refused by create:
// the record of a save or a delete (".copie-" + a note's name, or ".copie~" + it when a
// file of someone else's has the first), the delete mark of older versions (".efface-" +
// a name) and the temporary file of a save through a link (".sauve-" + six letters or
// digits). Names typed on the device cannot start with a dot.
#define FS_TEMP_PREFIXE ".sauve-"
#define FS_JOURNAL_PREFIXE ".copie-"
#define FS_JOURNAL_AUTRE ".copie~"
#define FS_EFFACE_PREFIXE ".efface-"

// True when the name can be a note: not empty, not "." or "..", no "/", at most 247 bytes.
bool FsNomValide(const char* nom);
// True when the name is one the program keeps for itself (above).
bool FsEstTemporaire(const char* nom);

// Writes "dossier/" + nom into chemin (CHEMIN_TAILLE bytes). False, chemin empty, when the
// name is not valid.
bool FsChemin(char* chemin, const char* nom);

// Calls prendre(nom) for each entry of "dossier/" that can be a note and is not the
// program's own, in the folder's order. A folder that cannot be read has none.
void FsListeNotes(void (*prendre)(const char* nom));

// True when both paths lead to one file (links followed).
bool FsMemeFichier(const char* a, const char* b);
// Makes "dossier/" when it is missing; RES_OK when it exists afterwards.
Resultat FsFaitDossier();

// Reads the note at chemin into octets, at most taille bytes, their count in *lus. A missing
// note reads as no bytes: RES_OK; or, when a save of it failed once it was removed, as the
// text of that save: RES_TEXTE_DU_JOURNAL. RES_INCOMPLETE when the file holds more than
// taille bytes or cannot be read to its end; RES_INCOMPLETE, RES_LIEN_MORT or
// RES_LIEN_AUTRE, no bytes read, when it must not be read. Never blocks: only a regular
// file (a link to one included) with a read bit is opened. The stream is `fichier` while
// the read runs, and is closed before the call returns.
Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus);

// Creates an empty file at chemin unless something of that name exists, which is never
// touched (existing is not an error). RES_AUTRE_GRAPHIE when the name exists only under
// another spelling (FAT folds case).
Resultat FsCreeVide(const char* chemin);

// Saves the n bytes as the note at chemin. RES_OK when the note holds them; otherwise the
// note is as it was, or its record holds the new text: the note then opens with it, and
// the next save or start writes it. A link stays a link: its file is replaced.
Resultat FsEcritNote(const char* chemin, const char* octets, size_t n);

// Deletes the entry at chemin (a file, a link, an empty folder). RES_OK when it is gone
// afterwards, also when it was already missing. An entry in a folder without a write bit
// is kept; a link is removed, never what it leads to.
Resultat FsEffaceNote(const char* chemin);

// Start-up, before the folder is listed: finishes or undoes what cut saves and deletes
// left, as their whole records say. Does nothing in a folder without a write bit.
void FsRetablitDossier();

#endif
