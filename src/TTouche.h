// One key of the on-screen keyboard: what it types, what it does, where its hit box lies.
// Coordinates are relative to the keyboard origin held by TClavier.
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

    void SetValeur(char valeur) { Valeur = (unsigned char)valeur; }
    char GetValeur() const { return (char)Valeur; }
    void SetFonction(int fonction) { CodeFonction = fonction; }
    int GetFonction() const { return CodeFonction; }

    void SetX(int x) { X = x; }
    void SetY(int y) { Y = y; }
    void SetX1(int x1) { X1 = x1; }
    void SetY1(int y1) { Y1 = y1; }
    void SetX2(int x2) { X2 = x2; }
    void SetY2(int y2) { Y2 = y2; }
    int GetX() const { return X; }
    int GetY() const { return Y; }
    int GetX1() const { return X1; }
    int GetY1() const { return Y1; }
    int GetX2() const { return X2; }
    int GetY2() const { return Y2; }

private:
    unsigned char Valeur;  // ISO 8859-1 byte
    int CodeFonction;
    int X, Y;    // key position
    int X1, Y1;  // hit box corner
    int X2, Y2;  // hit box size as laid out (32 by 32)
};

#endif
