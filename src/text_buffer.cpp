// The two operations that belong to the line buffer itself.
#include "globals.h"

void FnClearText(STexte* t)
{
    t->NbLignes = 0;
    t->LigneActive = 0;
    t->LigneDebut = 0;
    t->LigneFin = 0;
    for (int i = 0; i < TEXTE_NB_LIGNES; i++) {
        t->Lignes[i].Caracteres[0] = 0;
        t->Lignes[i].Longueur = 0;
        t->Lignes[i].LongueurInitiale = 0;
    }
}

void FnDelLigneTexte(int n)
{
    if (n < 0 || n >= Texte.NbLignes) return;
    for (int j = n; j < Texte.NbLignes - 1; j++) {
        Texte.Lignes[j] = Texte.Lignes[j + 1];
    }
    Texte.NbLignes--;
    Texte.Lignes[Texte.NbLignes].Caracteres[0] = 0;
    Texte.Lignes[Texte.NbLignes].Longueur = 0;
}

