// The notes folder's files, as the notes operations use them (how they survive a power cut:
// fs.cpp). Read-only is what the mode bits say, whoever runs the program (root on the handheld).
#ifndef FS_H
#define FS_H

#include <stddef.h>

#include "notes.h"

// Names the program keeps for itself, never listed and refused by create: a save's or a
// delete's record (".copie-" + a note's name, or ".copie~" + it when a stranger's file has
// the first), older versions' delete mark, a link's save (".sauve-" + six letters or digits).
#define FS_TEMP_PREFIXE ".sauve-"
#define FS_JOURNAL_PREFIXE ".copie-"
#define FS_JOURNAL_AUTRE ".copie~"
#define FS_EFFACE_PREFIXE ".efface-"
bool FsEstTemporaire(const char* nom);

// "dossier/" + nom into chemin (CHEMIN_TAILLE bytes). False, chemin empty, when nom cannot
// be a note's: empty, "." or "..", with a "/", longer than NOM_LONGUEUR_MAX.
bool FsChemin(char* chemin, const char* nom);
// prendre(nom) for each entry of "dossier/" that can be a note and is not the program's
// own, in the folder's order. A folder that cannot be read has none.
void FsListeNotes(void (*prendre)(const char* nom));
bool FsMemeFichier(const char* a, const char* b);  // links followed
Resultat FsFaitDossier();  // RES_OK when "dossier/" exists, made if need be

// Reads the note at chemin through `fichier` (closed on return): at most taille bytes into
// octets, their count in *lus; only a regular file with a read bit, never blocking. Missing:
// no bytes, or the text of a save that failed once it was removed (RES_TEXTE_DU_JOURNAL).
// RES_INCOMPLETE: too long or unreadable; RES_LIEN_MORT, RES_LIEN_AUTRE: a link to nothing, to no note.
Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus);
// Creates an empty file at chemin unless something of that name exists, which is never
// touched (not an error). RES_AUTRE_GRAPHIE when it exists only under another spelling.
Resultat FsCreeVide(const char* chemin);
// Saves the n bytes as the note at chemin (a link's file replaced). RES_OK when it holds
// them; else it is as it was, or opens with its record's text until a save or start writes it.
Resultat FsEcritNote(const char* chemin, const char* octets, size_t n);
// Deletes the entry at chemin (a file, a link, an empty folder): RES_OK when it is gone,
// also when it was missing. Kept in a folder without a write bit; a link's file stays.
Resultat FsEffaceNote(const char* chemin);
// Start-up, before the listing: finishes or undoes what cut saves and deletes left, as
// their whole records say. Does nothing in a folder without a write bit.
void FsRetablitDossier();

#endif
