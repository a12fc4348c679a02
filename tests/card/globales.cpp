// The globals the notes layer shares with the screens, for a driver of the notes layer
// alone (carte.cpp linked without the screens and SDL, so that it starts fast).
#include "globals.h"

char ChaineTitre[TITRE_TAILLE];
STexte ListeFichier;
STexte Texte;
bool TexteIncomplet = false;
FILE* fichier = 0;
