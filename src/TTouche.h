// One key of the on-screen keyboard: what it types, what it does, where its hit box lies.
// Coordinates are relative to the keyboard origin held by TClavier.
// Every operation is defined in TTouche.cpp, none inline, so the compiled object alone
// serves any program that declares the class from its documented interface.
#ifndef TTOUCHE_H
#define TTOUCHE_H

// Key function codes.
enum {
    TOUCHE_CARACTERE = 0,  // types Valeur
    TOUCHE_RETOUR = 1,     // new line
    TOUCHE_EFFACE = 2,     // backspace
    TOUCHE_INACTIVE = 3    // does nothing
};

class TTouche {
public:
    TTouche();
    ~TTouche();

    // Sets the character, position and hit box; the function code goes back to 0,
    // so a special key's code must be set after this call.
    void SetTouche(char valeur, int x, int y, int x1, int y1, int x2, int y2);

    void SetValeur(char valeur);
    char GetValeur();
    void SetFonction(int fonction);
    int GetFonction();

    void SetX(int x);
    void SetY(int y);
    void SetX1(int x1);
    void SetY1(int y1);
    void SetX2(int x2);
    void SetY2(int y2);
    int GetX();
    int GetY();
    int GetX1();
    int GetY1();
    int GetX2();
    int GetY2();

private:
    unsigned char Valeur;  // ISO 8859-1 byte
    int CodeFonction;
    int X, Y;    // key position
    int X1, Y1;  // hit box corner
    int X2, Y2;  // hit box size as laid out (32 by 32)
};

#endif
