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
