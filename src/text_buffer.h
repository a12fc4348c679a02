// The fixed line buffer used for the open note (Texte) and for the note names (ListeFichier).
#ifndef TEXT_BUFFER_H
#define TEXT_BUFFER_H

enum {
    TEXTE_NB_LIGNES = 50,       // lines a buffer holds
    LIGNE_TAILLE = 256,         // bytes of a line's text, terminator included
    LIGNE_LONGUEUR_MAX = 255    // characters of a line
};

struct SLigne {
    char Caracteres[LIGNE_TAILLE];  // zero-terminated; bytes past the terminator mean nothing
    int Longueur;                   // where the next typed character goes
    int LongueurInitiale;           // length as loaded from the file; nothing reads it
};

struct STexte {
    SLigne Lignes[TEXTE_NB_LIGNES];
    int NbLignes;     // lines in use: 0 to NbLignes - 1
    int LigneActive;  // Texte: index of the current line; ListeFichier: highlighted row 0 to 5
    int LigneDebut;   // first line shown in the six-row window
    int LigneFin;     // one past the last line shown, recomputed by the screens every frame
};

// Empties the buffer: no lines, indices 0, every slot's text and lengths cleared.
void FnClearText(STexte* t);

// Removes line n (0 <= n < NbLignes) of the global Texte; the lines after it move up.
// Leaves the indices alone: the editor moves its cursor itself.
void FnDelLigneTexte(int n);

#endif
