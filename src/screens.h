// The two screens, and what they share: the decor, the keys, the shift button, the
// arrows and the six-row window. Each screen draws itself and acts on the frame's input
// in one call.
#ifndef SCREENS_H
#define SCREENS_H

#include "globals.h"
#include "notes.h"

enum {
    TITRE_H = 20,            // the title strip, across the screen
    RANGEE_Y = 20,           // first row's text
    RANGEE_H = 12,
    TEXTE_X = 20,
    RANGEE_DROITE = 300,     // a row's last column: its text never runs under the arrows
    RANGEE_LARGEUR = RANGEE_DROITE - TEXTE_X + 1,
    NUMEROS_L = 15,          // the number strip, from y 20
    NUMEROS_H = 100,
    BANDE_X = 15,            // a row's band, where a click picks it: x 16 to 299, and 4 to
    BANDE_DROITE = 299,      // 27 pixels below the row's text top, reaching into the next
    BANDE_DECALAGE = 3,      // row's (the later row wins)
    BANDE_H = 25,
    BARRE_X = 15,            // highlight bar, 285 by 12, from y 24 + 12 * row
    BARRE_Y = 24,
    BARRE_L = 285,
    ICONE_Y = 2,             // icons of the title strip, 16 by 16
    ICONE_TAILLE = 16,
    ICONE_CREER = 0,         // where each icon lies in ImgIcone (source x)
    ICONE_OUVRIR = 16,
    ICONE_SUPPRIMER = 32,
    ICONE_SAUVER = 48,
    ICONE_QUITTER = 64,
    ICONE_RETOUR = 80,
    CREER_X = 20,            // file list: create, open, delete, quit
    OUVRIR_X = 50,
    SUPPRIMER_X = 80,
    QUITTER_X = 280,
    SAUVER_X = 20,           // editor: save, back
    RETOUR_X = 54,
    CHAMP_Y = 124,           // the file list's name field, its name drawn at (10, 124); the
    CHAMP_H = 96,            // keyboard covers all its rows but the top 20
    NOM_X = 10,
    NOM_DROITE = 267,        // the name stays 7 pixels inside its box (x 3 to 274) on both sides
    SWITCH_X = 288,          // the page switch button
    SWITCH_Y = 208,
    SWITCH_TAILLE = 32,
    MAJ_X = 280,             // shift button and indicator; the mark shows off at source x 0,
    MAJ_Y = 130,             // on at MAJ_L
    MAJ_L = 32,
    MAJ_H = 8,
    FLECHE_X = 301,          // arrows: down at source x 0, up at FLECHE_L
    FLECHE_HAUT_Y = 20,
    FLECHE_BAS_Y = 100,
    FLECHE_L = 19,
    FLECHE_H = 20,
    LIGNE_VISIBLE_MAX = CHAINE_TAILLE - 1,   // a line drawn through Chaine
    LIGNE_SAISIE_MAX = CHAINE_TAILLE - 2     // the current line also takes the cursor mark
};

// The file list, shown while Etape is 0.
void Menu();

// Carries out a confirmed delete of the note named by ChaineTitre. Done, the name field
// shows the last listed name; failed, the name stays and a box says "File not deleted" and
// why. Either way the next key starts a new name and the window keeps to the names.
void FnSupprimeNote();

// The editor, shown while Etape is not 0.
void AfficheTexte();

// The cursor mark changes state at the first frame more than half a second after its
// last change; maintenant is the frame's tick count.
void FnClignote(int maintenant);

// The words a box shows for what a note operation came to; each fits the box.
const char* FnTexteResultat(Resultat r);

// Page switch button, title strip and number strip: the first pictures of both screens.
void DessineDecor();

// The icon of ImgIcone at source x source, on the title strip at x.
void DessineIcone(int x, int source);

// Index of the first key of the active page whose box holds this frame's click, or -1.
// Column four overlaps column three by four pixels: one press must type one key.
// For a note name only the letters page, the digits, '_' and '-' count.
int FnToucheSousPointeur(bool pourNom);

// True when this frame's click lands on the title strip's icon at x.
bool FnIconeTouchee(int x);

// The shift button toggles shift on a click; the indicator shows its state.
void FnBoutonMaj();
void DessinePuce();

// The two arrows, and whether up or down was asked for this frame (arrow or button).
void DessineFleches();
bool FnDemandeHaut();
bool FnDemandeBas();

// Row r's line number and text in black, from its first character to the row's end;
// Chaine keeps the whole text (as much as it holds). Returns y of the row.
int DessineRangee(int r, int numero, const char* texte);

// True when this frame's click picks row r (its band reaches into the next row's).
bool FnRangeeTouchee(int r);

#endif
