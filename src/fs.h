// The platform's file-system calls for the notes folder, gathered in one place.
// Paths are always "dossier/" + a bare name: unsafe names never become paths.
// Read-only is what the mode bits say, whoever runs the program (the handheld runs it as
// root): a note is replaced only with a write bit on it, and nothing is made, replaced or
// removed in a folder without one. Each call answers with a Resultat (notes.h).
#ifndef FS_H
#define FS_H

#include <stddef.h>

#include "notes.h"

// Names the program keeps for itself in "dossier/", never listed and refused by create:
// - ".copie-" + a note's name, or ".copie~" + it when a file of someone else's has the
//   first: the record of a save or a delete under way (see fs_journal.cpp);
// - ".efface-" + a note's name: the mark of a delete of older versions of the program;
// - ".sauve-XXXXXX" (six letters or digits): the temporary file of a save through a link,
//   beside the file the link leads to, renamed over it once written; older versions of the
//   program saved every note that way, so cards may still hold such files.
// The start-up removes only whole records; the other files are left as they are.
// Names typed on the device cannot start with a dot, so no typed name is ever one of these.
#define FS_TEMP_PREFIXE ".sauve-"
#define FS_JOURNAL_PREFIXE ".copie-"
#define FS_JOURNAL_AUTRE ".copie~"
#define FS_EFFACE_PREFIXE ".efface-"
enum {
    FS_TEMP_SUFFIXE = 6   // letters and digits that mkstemp puts after the prefix
};

// True when the name can be a note: not empty, not "." or "..", no "/", at most 247 bytes.
bool FsNomValide(const char* nom);

// True when the name is one the program keeps for itself (above): a temporary file, a
// record or a delete mark.
bool FsEstTemporaire(const char* nom);

// Writes "dossier/" + nom into chemin (CHEMIN_TAILLE bytes). False, chemin empty, when the
// name is not valid.
bool FsChemin(char* chemin, const char* nom);

// Calls prendre(nom) for each entry of "dossier/" that can be a note, in the order the
// folder yields them: not "." or "..", not a name the program keeps for itself, not a name
// too long for a note's path. A folder that cannot be read has none.
void FsListeNotes(void (*prendre)(const char* nom));

// True when both paths lead to one file (links followed).
bool FsMemeFichier(const char* a, const char* b);

// Makes "dossier/" when it is missing; RES_OK when it exists afterwards.
Resultat FsFaitDossier();

// Reads the note at chemin into octets, at most taille bytes, their count in *lus. A missing
// note reads as no bytes: RES_OK; or, when a save of it failed once it was removed, as the
// text of that save: RES_TEXTE_DU_JOURNAL. RES_INCOMPLETE when the file holds more than taille bytes
// or cannot be read to its end; RES_INCOMPLETE, RES_LIEN_MORT or RES_LIEN_AUTRE, no bytes
// read, when it must not be read. Never blocks: only a regular file (a link to one included)
// with a read bit is opened, not a pipe, a device, a folder or a dangling link. The stream
// is `fichier` while the read runs, and is closed before the call returns.
Resultat FsLitNote(const char* chemin, char* octets, size_t taille, size_t* lus);

// Creates an empty file at chemin unless something of that name exists, which is never
// touched (existing is not an error); the new entry is synced. RES_AUTRE_GRAPHIE when the name exists only under
// another spelling (FAT folds case).
Resultat FsCreeVide(const char* chemin);

// ---- Saves and deletes that a power cut cannot spoil (fs_journal.cpp) ----

// Saves the n bytes as the note at chemin ("dossier/" + name). A regular note (or a new
// one) goes through its record; a link's file is replaced by a temporary file and a
// rename beside it. RES_OK when the note holds the bytes; otherwise the note is as it was,
// or, when the card failed once the note was removed, the record holds the new text: the
// note then opens with it, and the next save or start writes it.
Resultat FsEcritNote(const char* chemin, const char* octets, size_t n);

// Deletes the entry at chemin (a file, a link, an empty folder) behind a record, so that a
// delete cut short is finished at the next start. RES_OK when it is gone afterwards,
// also when it was already missing. An entry in a folder without a write bit is kept,
// whatever its own bits; a link is removed, never what it leads to.
Resultat FsEffaceNote(const char* chemin);

// Start-up, before the folder is listed: finishes or undoes what cut saves and deletes
// left, as their whole records say. Does nothing in a folder without a write bit.
void FsRetablitDossier();

// The text of a save of the note at chemin that failed once the note was removed, as
// FsLitNote reads it: RES_TEXTE_DU_JOURNAL; RES_OK and no bytes when there is none.
Resultat FsLitJournalDe(const char* chemin, char* octets, size_t taille, size_t* lus);

// ---- Shared by the file layer's two units (fs.cpp, fs_journal.cpp) ----

// Longest path a save handles: a linked note's file may lie anywhere.
enum { FS_CHEMIN_MAX = 4096 };

// The code for the errno of the last failed call.
Resultat FsErreur();

// Calls prendre(nom) for every entry of "dossier/" but "." and "..".
void FsListeDossier(void (*prendre)(const char* nom));

// True when an entry of that path exists (any kind, dangling links included).
bool FsExiste(const char* chemin);

// RES_DOSSIER_LECTURE_SEULE when the folder that holds chemin has no write bit.
Resultat FsDossierModifiablePour(const char* chemin);

// True when the folder of chemin holds an entry of exactly chemin's name. On FAT a name
// also finds the entry of another spelling ("Todo" for "todo"); this tells them apart.
bool FsNomExact(const char* chemin);

// The file a save of chemin replaces (cible, FS_CHEMIN_MAX bytes: chemin itself, or the
// regular file a link leads to, so that the link stays a link) and the permission bits of
// its new text; the reason when the note may not be replaced.
Resultat FsCible(const char* chemin, char* cible, unsigned* mode);

// Replaces the file cible by the n bytes: a new temporary file beside it, written, synced,
// then renamed over it. Only for a link's file: rename is atomic on the file systems that
// have links. No temporary file is left on any failure.
Resultat FsRemplaceParTemporaire(const char* cible, unsigned mode, const char* octets, size_t n);

// Makes the entries of the folder that holds chemin survive a power cut.
void FsSyncDossierDe(const char* chemin);

#endif
