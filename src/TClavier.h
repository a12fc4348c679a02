// The on-screen keyboard: 60 key slots, the origin of the strip on the screen and the shift flag.
// It neither draws nor tests hits: the screens ask it for a key's box, function and character.
// Every operation is defined in TClavier.cpp, none inline, so the compiled object alone
// serves any program that declares the class from its documented interface.
#ifndef TCLAVIER_H
#define TCLAVIER_H

#include "TTouche.h"

enum {
    CLAVIER_NB_TOUCHES = 60,
    CLAVIER_TOUCHE = 32,       // every key box is 32 by 32
    CLAVIER_LARGEUR = 320,     // a page picture is 320 by 96
    CLAVIER_HAUTEUR = 96,
    PAGE_LETTRES_DEBUT = 0,    // letters page: keys 0 to 28
    PAGE_LETTRES_FIN = 28,
    PAGE_SIGNES_DEBUT = 29,    // numbers and symbols page: keys 29 to 57
    PAGE_SIGNES_FIN = 57,
    INDICE_EFFACE = 19,        // the keys that do not type their character: backspace,
    INDICE_RETOUR = 28,        // new line,
    INDICE_INACTIVE = 57,      // and the one that does nothing
    INDICE_NOM_FIN = 38,       // the keys that may enter a note name: 0 to 38 (the letters
    INDICE_SOULIGNE = 47,      // page and the digits), '_' and '-'
    INDICE_TIRET = 48,
    TAILLE_CHAINE_CLAVIER = 255
};

class TClavier {
public:
    TClavier();
    ~TClavier();

    // The key's character with shift applied: a to z become A to Z while Maj is set.
    char GetValeur(int index);
    void SetValeur(int index, char valeur);
    int GetFonction(int index);
    void SetFonction(int index, int fonction);
    void SetTouche(int index, char valeur, int x, int y, int x1, int y1, int x2, int y2);

    char* GetChaine();
    void SetChaine(char* s);  // copies at most 254 bytes, always terminated

    void PositionTexte(int x, int y);
    int GetTextX();
    int GetTextY();

    void SetMaj(bool maj);
    bool GetMaj();

    // Screen coordinates: the key's stored value plus the keyboard origin.
    int GetToucheX(int index);
    int GetToucheY(int index);
    int GetCollX1(int index);
    int GetCollY1(int index);
    int GetCollX2(int index);
    int GetCollY2(int index);

    void DeplaceClavier(int x, int y);
    int GetClavierX();
    int GetClavierY();

private:
    TTouche Touches[CLAVIER_NB_TOUCHES];
    int NbTouches;
    int TextX, TextY;
    int ClavierX, ClavierY;  // top left corner of the keyboard strip on the screen
    bool Maj;
    char ChaineClavier[TAILLE_CHAINE_CLAVIER];
};

#endif
