// The key class: plain storage, no behaviour beyond resetting the function code.
#include "TTouche.h"

TTouche::TTouche()
    : Valeur('0'), CodeFonction(TOUCHE_CARACTERE), X(0), Y(0), X1(0), Y1(0), X2(28), Y2(28)
{
}

TTouche::~TTouche()
{
}

void TTouche::SetTouche(char valeur, int x, int y, int x1, int y1, int x2, int y2)
{
    Valeur = (unsigned char)valeur;
    X = x;
    Y = y;
    X1 = x1;
    Y1 = y1;
    X2 = x2;
    Y2 = y2;
    CodeFonction = TOUCHE_CARACTERE;
}

void TTouche::SetValeur(char valeur) { Valeur = (unsigned char)valeur; }
char TTouche::GetValeur() { return (char)Valeur; }
void TTouche::SetFonction(int fonction) { CodeFonction = fonction; }
int TTouche::GetFonction() { return CodeFonction; }

void TTouche::SetX(int x) { X = x; }
void TTouche::SetY(int y) { Y = y; }
void TTouche::SetX1(int x1) { X1 = x1; }
void TTouche::SetY1(int y1) { Y1 = y1; }
void TTouche::SetX2(int x2) { X2 = x2; }
void TTouche::SetY2(int y2) { Y2 = y2; }
int TTouche::GetX() { return X; }
int TTouche::GetY() { return Y; }
int TTouche::GetX1() { return X1; }
int TTouche::GetY1() { return Y1; }
int TTouche::GetX2() { return X2; }
int TTouche::GetY2() { return Y2; }
