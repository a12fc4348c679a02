// The notes folder's files, as the notes operations use them (how they survive a power cut:
// fs.cpp). Read-only is what the mode bits say, whoever runs the program (root on the handheld).
#ifndef FS_H
#define FS_H

#include <stddef.h>

#include "notes.h"

// Names the program keeps for itself, never listed as such and refused by create: a save's
// or a delete's record (".copie-" + a note's name, or ".copie~" + it when a stranger's file
// has the first), older versions' delete mark, a link's save (".sauve-" + six letters or digits).
#define FS_TEMP_PREFIXE ".sauve-"
#define FS_JOURNAL_PREFIXE ".copie-"
#define FS_JOURNAL_AUTRE ".copie~"
#define FS_EFFACE_PREFIXE ".efface-"
bool FsEstTemporaire(const char* nom);

// "dossier/" + nom into chemin (CHEMIN_TAILLE bytes). False, chemin empty, when nom cannot
// be a note's: empty, "." or "..", with a "/", longer than NOM_LONGUEUR_MAX.
bool FsChemin(char* chemin, const char* nom);
// prendre(nom) for each entry of "dossier/" that can be a note and is not the program's
// own, in the folder's order, and for the note of each save that could not write it (its
// record stands for it). A folder that cannot be read has none.
void FsListeNotes(void (*prendre)(const char* nom));
bool FsMemeFichier(const char* a, const char* b);  // links followed
Resultat FsFaitDossier();  // RES_OK when "dossier/" exists, made if need be

// Reads the note at chemin through `fichier` (closed on return): at most taille bytes into
// octets, their count in *lus; only a regular file with a read bit, never blocking. Missing:
// no bytes, or the text of a save that failed once it was removed (RES_TEXTE_DU_JOURNAL).
// RES_INCOMPLETE: too long or unreadable; RES_LIEN_MORT, RES_LIEN_AUTRE: a link to nothing, to no note.
Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus);
// Creates an empty file at chemin unless something of that name exists, which is never
// touched (not an error), or a failed save's record stands for it. RES_AUTRE_GRAPHIE when
// it exists only under another spelling. liste (CHEMIN_TAILLE bytes) gets the name the
// folder lists it under, which an older kernel spells in small letters ("notes" for "NOTES").
Resultat FsCreeVide(const char* chemin, char* liste);
// Saves the n bytes as the note at chemin (a link's file replaced). RES_OK when it holds
// them. Else it is as it was (a card without room for it refuses before touching it), or,
// when the card failed once the old note was removed, its record stands for it (listed,
// opened with its text) until a save, a delete or a start writes or removes it.
Resultat FsEcritNote(const char* chemin, const char* octets, size_t n);
// Deletes the entry at chemin (a file, a link, an empty folder) and any record of it: RES_OK
// when both are gone, also when they were missing. Kept in a folder without a write bit; a
// link's file stays; another spelling's entry stays (RES_AUTRE_GRAPHIE).
Resultat FsEffaceNote(const char* chemin);
// Start-up, before the listing: finishes or undoes what cut saves and deletes left, as
// their whole records say. Does nothing in a folder without a write bit.
void FsRetablitDossier();

#endif
