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

// Reads the 12-point font's metrics of every byte value; called once the font is open.
void FnMesurePolice();

// drawText of the text's first n bytes, as much of it as shows from x to the column droite,
// exactly as the whole text would show there: only the characters that can appear reach
// SDL_ttf, with one to spare at the cut. texte[n] is restored after the call.
void drawTextDebut(SDL_Surface* cible, char* texte, int n, int x, int y, int droite, int r,
                   int g, int b);

// Where the part of texte (n bytes, terminated at n) shown in a row of largeur pixels begins
// so that its end is in sight: 0 when the whole text fits (kerning included), else the
// first of the last characters that fit by the font's advances.
int FnDebutVisible(char* texte, int n, int largeur);

// Draws texte (n bytes, terminated at n) from debut, the start FnDebutVisible gave, up to
// the column droite: from 0 as drawTextDebut; from further on the end is drawn whole and,
// should kerning make it wider than the room, a character later. sansDernier: the last
// character (the cursor mark) is not shown; a text shown by its end keeps its room, so
// that the text does not move as the mark blinks.
void drawTextDepuis(SDL_Surface* cible, char* texte, int n, int debut, int x, int y,
                    int droite, bool sansDernier, int r, int g, int b);

// True when x < px < x + w and y < py < y + h: the edges are outside.
bool FnMouseCollision(int px, int py, int x, int y, int w, int h);

// True when start < p < start + length.
bool FnMouseLigne(int p, int start, int length);

// Writes value in base 10 or 16 into buffer (12 bytes hold any value); other bases leave it.
char* itoa2(int value, char* buffer, int base);

#endif
