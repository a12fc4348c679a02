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

// Renders text anew (nothing is cached); an empty text renders to no surface.
static SDL_Surface* FnRendu(TTF_Font* font, const char* texte, int r, int g, int b)
{
    SDL_Color couleur;
    couleur.r = (Uint8)r;
    couleur.g = (Uint8)g;
    couleur.b = (Uint8)b;
    couleur.unused = 0;
    return TTF_RenderText_Blended(font, texte, couleur);
}

// Blits the rendered text at (x, y), its columns past droite left out, and frees it.
static void FnPose(SDL_Surface* rendu, SDL_Surface* cible, int x, int y, int droite)
{
    if (rendu == 0) return;
    SDL_Rect source;
    source.x = 0;
    source.y = 0;
    source.w = (Uint16)(droite < x ? 0 : droite - x + 1 < rendu->w ? droite - x + 1 : rendu->w);
    source.h = (Uint16)rendu->h;
    SDL_Rect dest;
    dest.x = (Sint16)x;
    dest.y = (Sint16)y;
    dest.w = 0;
    dest.h = 0;
    SDL_BlitSurface(rendu, &source, cible, &dest);
    SDL_FreeSurface(rendu);
}

static void DessineTexte(TTF_Font* font, SDL_Surface* cible, const char* texte, int x, int y,
                         int r, int g, int b)
{
    FnPose(FnRendu(font, texte, r, g, b), cible, x, y, ECRAN_LARGEUR - 1);
}

void drawText(SDL_Surface* cible, const char* texte, int x, int y, int r, int g, int b)
{
    DessineTexte(police, cible, texte, x, y, r, g, b);
}

void drawMessage(SDL_Surface* cible, const char* texte, int x, int y, int r, int g, int b)
{
    DessineTexte(font8, cible, texte, x, y, r, g, b);
}

// ---- Long lines: what a row shows of a text wider than itself ----
//
// The 12-point font's metrics of every byte value, read once with the font: the pen's
// advance, the ink's left edge from the pen (minx), and how far right of the pen the glyph
// reaches (its advance or its ink, whichever is further). Text is laid out as SDL_ttf lays
// it: each glyph at the pen, the pen moved by the advance and by the pair's kerning. The
// metrics know no kerning, so every decision that depends on it is checked against
// SDL_ttf's own width of the text (kerning included) before it is drawn.
static int Avance[256];
static int Gauche[256];
static int Portee[256];

void FnMesurePolice()
{
    for (int c = 0; c < 256; c++) {
        int minx = 0, maxx = 0, miny = 0, maxy = 0, avance = 0;
        if (c == 0 || TTF_GlyphMetrics(police, (Uint16)c, &minx, &maxx, &miny, &maxy, &avance) != 0)
            minx = maxx = avance = 0;
        Avance[c] = avance;
        Gauche[c] = minx;
        Portee[c] = avance > maxx ? avance : maxx;
    }
}

static int FnOctet(const char* texte, int i)
{
    return (unsigned char)texte[i];
}

// The number of leading bytes of texte (n of them) to render for a row of largeur pixels:
// those whose glyph begins inside it, by the metrics, and one to spare, whose ink may
// reach back into the row. decalage: pixels by which kerning moved the pens left.
static int FnCoupe(const char* texte, int n, int largeur, int decalage)
{
    int i = 0;
    int plume = 0;
    while (i < n && plume - decalage < largeur) {
        plume += Avance[FnOctet(texte, i)];
        i++;
    }
    return i < n ? i + 1 : n;
}

// Where the glyph of the last of the k rendered bytes begins, from the rendered width:
// SDL_ttf's width runs from the first glyph's ink (or its pen) to the last glyph's reach.
static int FnPlumeDerniere(const char* texte, int k, int largeurRendue)
{
    int g = Gauche[FnOctet(texte, 0)];
    return largeurRendue + (g < 0 ? g : 0) - Portee[FnOctet(texte, k - 1)];
}

static int FnPlumePrevue(const char* texte, int k)
{
    int plume = 0;
    for (int i = 0; i < k - 1; i++) plume += Avance[FnOctet(texte, i)];
    return plume;
}

void drawTextDebut(SDL_Surface* cible, char* texte, int n, int x, int y, int droite, int r,
                   int g, int b)
{
    int largeur = droite - x + 1;
    int decalage = 0;
    for (;;) {
        int k = FnCoupe(texte, n, largeur, decalage);
        char garde = texte[k];
        texte[k] = 0;
        SDL_Surface* rendu = FnRendu(police, texte, r, g, b);
        texte[k] = garde;
        // The spare must begin at the row's end once kerning is counted, or the glyph
        // after it could show: then cut again further on.
        if (rendu != 0 && k < n) {
            int plume = FnPlumeDerniere(texte, k, rendu->w);
            if (plume < largeur) {
                int nouveau = FnPlumePrevue(texte, k) - plume;
                if (nouveau > decalage) {
                    decalage = nouveau;
                    SDL_FreeSurface(rendu);
                    continue;
                }
            }
        }
        FnPose(rendu, cible, x, y, droite);
        return;
    }
}

// The width SDL_ttf gives the text in the 12-point font, kerning included.
static int FnLargeurExacte(const char* texte)
{
    int w = 0, h = 0;
    if (TTF_SizeText(police, texte, &w, &h) != 0) return 0;
    return w;
}

// The width of texte[0, n) by the metrics.
static int FnLargeurPrevue(const char* texte, int n)
{
    int plume = 0, gauche = 0, droite = 0;
    for (int i = 0; i < n; i++) {
        int c = FnOctet(texte, i);
        if (plume + Gauche[c] < gauche) gauche = plume + Gauche[c];
        if (plume + Portee[c] > droite) droite = plume + Portee[c];
        plume += Avance[c];
    }
    return droite - gauche;
}

// True when texte (n bytes) is wider than largeur, kerning included. Measured on the
// prefix a row would render first, as a prefix is never wider than the whole.
static bool FnTropLarge(char* texte, int n, int largeur)
{
    int k = FnCoupe(texte, n, largeur, 0);
    char garde = texte[k];
    texte[k] = 0;
    bool trop = FnLargeurExacte(texte) > largeur;
    texte[k] = garde;
    return trop || (k < n && FnLargeurExacte(texte) > largeur);
}

int FnDebutVisible(char* texte, int n, int largeur)
{
    int prevue = FnLargeurPrevue(texte, n);
    if (prevue <= largeur) return 0;
    // Kerning brings a pair a pixel or two closer, never by half their advances: only a
    // text less than twice the row's width by the metrics may fit after all.
    if (prevue <= 2 * largeur && !FnTropLarge(texte, n, largeur)) return 0;
    // From the end, the longest tail that fits by the metrics (drawTextDepuis checks it).
    int dernier = FnOctet(texte, n - 1);
    int debut = n - 1;
    int somme = 0;
    while (debut > 0) {
        int c = FnOctet(texte, debut - 1);
        int g = Gauche[c] < 0 ? Gauche[c] : 0;
        if (somme + Avance[c] + Portee[dernier] - g > largeur) break;
        somme += Avance[c];
        debut--;
    }
    return debut;
}

void drawTextDepuis(SDL_Surface* cible, char* texte, int n, int debut, int x, int y,
                    int droite, bool sansDernier, int r, int g, int b)
{
    if (debut == 0) {
        drawTextDebut(cible, texte, sansDernier ? n - 1 : n, x, y, droite, r, g, b);
        return;
    }
    int largeur = droite - x + 1;
    SDL_Surface* rendu = FnRendu(police, texte + debut, r, g, b);
    while (rendu != 0 && rendu->w > largeur && debut < n - 1) {
        SDL_FreeSurface(rendu);
        debut++;
        rendu = FnRendu(police, texte + debut, r, g, b);
    }
    // The last glyph's ink begins where its reach, counted back from the text's width,
    // and its left edge put it.
    if (sansDernier && rendu != 0) {
        int c = FnOctet(texte, n - 1);
        droite = x + rendu->w - Portee[c] + Gauche[c] - 1;
    }
    FnPose(rendu, cible, x, y, droite);
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
