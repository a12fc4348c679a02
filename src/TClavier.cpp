// The keyboard class and its one fixed layout of two pages.
#include "TClavier.h"
#include "text_copy.h"

namespace {

// Columns start at these offsets; the fourth is at 92, so its box overlaps the third by
// four pixels. The screens let only the first key hit in a frame act.
const int Colonnes[10] = { 0, 32, 64, 92, 128, 160, 192, 224, 256, 288 };

// Characters of keys 0 to 57, row by row; each row has ten places, the tenth of the
// third row is the page switch button and holds no key.
const unsigned char Caracteres[58] = {
    'q', 'w', 'e', 'r', 't', 'y', 'u', 'i', 'o', 'p',
    'a', 's', 'd', 'f', 'g', 'h', 'j', 'k', 'l', ' ',         // 19: backspace
    'z', 'x', 'c', 'v', 'b', 'n', 'm', ' ', '\n',             // 28: new line
    '0', '1', '2', '3', '4', '5', '6', '7', '8', '9',
    '.', ',', ':', ';', '!', '?', '@', '&', '_', '-',
    '(', ')', '%', '$', 0xE9, 0xE8, 0xE0, '\'', ' '           // 57: no action
};

}  // namespace

TClavier::TClavier()
{
    NbTouches = CLAVIER_NB_TOUCHES;
    TextX = 0;
    TextY = 0;
    ClavierX = 0;
    ClavierY = 0;
    Maj = false;
    ChaineClavier[0] = 0;

    for (int i = 0; i < CLAVIER_NB_TOUCHES; i++) {
        Touches[i].SetTouche('0', 0, 0, 0, 0, 0, 0);
    }

    // Each page is three rows: ten keys, ten keys, nine keys.
    int index = 0;
    for (int page = 0; page < 2; page++) {
        for (int rangee = 0; rangee < 3; rangee++) {
            int nb = (rangee == 2) ? 9 : 10;
            for (int col = 0; col < nb; col++) {
                int x = Colonnes[col];
                int y = CLAVIER_TOUCHE * rangee;
                Touches[index].SetTouche((char)Caracteres[index], ClavierX + x, ClavierY + y, x, y,
                                         CLAVIER_TOUCHE, CLAVIER_TOUCHE);
                if (index == INDICE_EFFACE) Touches[index].SetFonction(TOUCHE_EFFACE);
                if (index == INDICE_RETOUR) Touches[index].SetFonction(TOUCHE_RETOUR);
                if (index == INDICE_INACTIVE) Touches[index].SetFonction(TOUCHE_INACTIVE);
                index++;
            }
        }
    }
}

TClavier::~TClavier()
{
}

char TClavier::GetValeur(int index)
{
    unsigned char v = (unsigned char)Touches[index].GetValeur();
    if (v >= 'a' && v <= 'z' && Maj) return (char)(v - 32);
    return (char)v;
}

void TClavier::SetValeur(int index, char valeur)
{
    Touches[index].SetValeur(valeur);
}

int TClavier::GetFonction(int index)
{
    return Touches[index].GetFonction();
}

void TClavier::SetFonction(int index, int fonction)
{
    Touches[index].SetFonction(fonction);
}

void TClavier::SetTouche(int index, char valeur, int x, int y, int x1, int y1, int x2, int y2)
{
    Touches[index].SetTouche(valeur, x, y, x1, y1, x2, y2);
}

char* TClavier::GetChaine()
{
    return ChaineClavier;
}

void TClavier::SetChaine(char* s)
{
    FnCopieBornee(ChaineClavier, s, TAILLE_CHAINE_CLAVIER - 1);
}

void TClavier::PositionTexte(int x, int y)
{
    TextX = x;
    TextY = y;
}

int TClavier::GetTextX() { return TextX; }
int TClavier::GetTextY() { return TextY; }

void TClavier::SetMaj(bool maj) { Maj = maj; }
bool TClavier::GetMaj() { return Maj; }

int TClavier::GetToucheX(int index) { return Touches[index].GetX() + ClavierX; }
int TClavier::GetToucheY(int index) { return Touches[index].GetY() + ClavierY; }
int TClavier::GetCollX1(int index) { return Touches[index].GetX1() + ClavierX; }
int TClavier::GetCollY1(int index) { return Touches[index].GetY1() + ClavierY; }
int TClavier::GetCollX2(int index) { return Touches[index].GetX2() + ClavierX; }
int TClavier::GetCollY2(int index) { return Touches[index].GetY2() + ClavierY; }

void TClavier::DeplaceClavier(int x, int y)
{
    ClavierX = x;
    ClavierY = y;
}

int TClavier::GetClavierX() { return ClavierX; }
int TClavier::GetClavierY() { return ClavierY; }
