// Definitions of the shared globals. MonClavier and Message are defined here, in this
// order, so that the keyboard is constructed before the message box.
#include "globals.h"

SDL_Surface* ecran = 0;
TTF_Font* police = 0;
TTF_Font* font8 = 0;
SDL_Surface* Curseur = 0;
SDL_Surface* ImgPuce = 0;
SDL_Surface* ImgIcone = 0;
SDL_Surface* ImgSwitch = 0;
SDL_Surface* ImgFleche = 0;
SDL_Surface* ImgTitre = 0;
SDL_Surface* ImgNoLigne = 0;
SDL_Surface* ImgNumerique = 0;
SDL_Surface* ImgClavier = 0;
SDL_Surface* ImgTexte = 0;
SDL_Surface* ImgMessage = 0;
SDL_Surface* ImgBtn = 0;

SDL_Rect Position;
SDL_Rect Taille;

int done = 0;
int Etape = 0;
int Fonction = 0;
int ClavierDebut = 0;
int ClavierFin = 0;
char ChaineTitre[TITRE_TAILLE];
int IndChar = 0;
char Chaine[CHAINE_TAILLE];

SDL_Event event;
int MouseX = 0;
int MouseY = 0;
bool Click = false;
int TUP = 0;
int TDOWN = 0;
int TFL = 0;
int TFR = 0;

int tempsActuel = 0;
int tempsPrecedent = 0;
int AfficheCurseur = 0;

STexte ListeFichier;
STexte Texte;
bool TexteIncomplet = false;
FILE* fichier = 0;

TClavier MonClavier;
TMessage Message;
