// Drawing primitives and the strict hit tests every screen uses.
#ifndef DRAW_H
#define DRAW_H

#include <SDL.h>

// Blits the source rectangle (sx, sy, w, h) of the picture onto the screen at (x, y).
void DrawImage(SDL_Surface* image, int x, int y, int sx, int sy, int w, int h);

// Draws Latin-1 text with its top left corner at (x, y): drawText in the 12-point font,
// drawMessage in the 11-point font of the message box.
void drawText(SDL_Surface* cible, const char* texte, int x, int y, int r, int g, int b);
void drawMessage(SDL_Surface* cible, const char* texte, int x, int y, int r, int g, int b);

// True when x < px < x + w and y < py < y + h: the edges are outside.
bool FnMouseCollision(int px, int py, int x, int y, int w, int h);

// True when start < p < start + length.
bool FnMouseLigne(int p, int start, int length);

// Writes value in base 10 or 16 into buffer (12 bytes hold any value); other bases leave it.
char* itoa2(int value, char* buffer, int base);

#endif
