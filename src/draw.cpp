// Drawing primitives and hit tests. Every picture and every text of the program goes
// through these few functions, onto the display surface ecran.
#include <stdio.h>
#include "globals.h"
#include "draw.h"

void DrawImage(SDL_Surface* image, int x, int y, int sx, int sy, int w, int h)
{
    Position.x = (Sint16)x;
    Position.y = (Sint16)y;
    Taille.x = (Sint16)sx;
    Taille.y = (Sint16)sy;
    Taille.w = (Uint16)w;
    Taille.h = (Uint16)h;
    SDL_UpperBlit(image, &Taille, ecran, &Position);
}

// Renders text anew (nothing is cached), blits it whole at (x, y) and frees it.
// An empty text renders to no surface and draws nothing.
static void DessineTexte(TTF_Font* font, SDL_Surface* cible, const char* texte, int x, int y,
                         int r, int g, int b)
{
    SDL_Color couleur;
    couleur.r = (Uint8)r;
    couleur.g = (Uint8)g;
    couleur.b = (Uint8)b;
    couleur.unused = 0;
    SDL_Surface* rendu = TTF_RenderText_Blended(font, texte, couleur);
    if (rendu == 0) return;
    SDL_Rect dest;
    dest.x = (Sint16)x;
    dest.y = (Sint16)y;
    dest.w = 0;
    dest.h = 0;
    SDL_BlitSurface(rendu, 0, cible, &dest);
    SDL_FreeSurface(rendu);
}

void drawText(SDL_Surface* cible, const char* texte, int x, int y, int r, int g, int b)
{
    DessineTexte(police, cible, texte, x, y, r, g, b);
}

void drawMessage(SDL_Surface* cible, const char* texte, int x, int y, int r, int g, int b)
{
    DessineTexte(font8, cible, texte, x, y, r, g, b);
}

bool FnMouseCollision(int px, int py, int x, int y, int w, int h)
{
    if (!(px > x)) return false;
    if (!(px < x + w)) return false;
    if (!(py > y)) return false;
    if (!(py < y + h)) return false;
    return true;
}

bool FnMouseLigne(int p, int start, int length)
{
    return p > start && p < start + length;
}

char* itoa2(int value, char* buffer, int base)
{
    if (base == 10) sprintf(buffer, "%d", value);
    else if (base == 16) sprintf(buffer, "%x", (unsigned int)value);
    return buffer;
}
