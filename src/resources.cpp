// The program's resources: the font at its two sizes and the twelve pictures, loaded once
// at start-up from the working directory and kept for the whole run.
#include <stdio.h>
#include <string.h>
#include <SDL_image.h>
#include "globals.h"
#include "draw.h"
#include "message_box.h"
#include "pictures.h"
#include "resources.h"
#include "screens.h"

struct SImage {
    const char* fichier;
    SDL_Surface** surface;
    int cle;        // colour key: CLE_AUCUNE, else an RGB value
    int largeur;    // the least size the layout draws from it
    int hauteur;
};

// In the order they are loaded. Larger pictures are accepted: only their top left part
// is drawn.
#define SCRIVELLE_IMAGE(fichier, surface, dessin, cle, largeur, hauteur) \
    { "image/" fichier, &surface, cle, largeur, hauteur },
static const SImage Images[] = { SCRIVELLE_IMAGES(SCRIVELLE_IMAGE) };
#undef SCRIVELLE_IMAGE

// The PNG is loaded with SDL_image, keeping its alpha; the others as BMPs.
static bool FnEstPng(const char* fichier)
{
    size_t n = strlen(fichier);
    return n >= 4 && strcmp(fichier + n - 4, ".png") == 0;
}

static bool FnManque(const char* fichier, const char* raison)
{
    fprintf(stderr, "scrivelle: cannot load %s: %s\n", fichier, raison);
    return false;
}

// A picture smaller than the layout needs would be drawn in part, or not at all.
static bool FnTailleJuste(const SImage& image, const SDL_Surface* s)
{
    if (s->w >= image.largeur && s->h >= image.hauteur) return true;
    char raison[100];
    sprintf(raison, "it is %dx%d pixels, at least %dx%d are needed", s->w, s->h, image.largeur,
            image.hauteur);
    return FnManque(image.fichier, raison);
}

static bool FnChargeImage(const SImage& image)
{
    bool png = FnEstPng(image.fichier);
    SDL_Surface* s;
    if (png) s = IMG_Load(image.fichier);
    else s = SDL_LoadBMP_RW(SDL_RWFromFile(image.fichier, "rb"), 1);
    if (s == 0) return FnManque(image.fichier, SDL_GetError());
    if (!FnTailleJuste(image, s)) {
        SDL_FreeSurface(s);
        return false;
    }
    if (png) {
        // Once in the screen's order (keeping its alpha) rather than at every blit.
        SDL_Surface* prete = SDL_DisplayFormatAlpha(s);
        if (prete != 0) {
            SDL_FreeSurface(s);
            s = prete;
        }
    }
    if (image.cle != CLE_AUCUNE) {
        Uint32 cle = SDL_MapRGB(s->format, (Uint8)(image.cle >> 16), (Uint8)(image.cle >> 8),
                                (Uint8)image.cle);
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, cle);
    }
    *image.surface = s;
    return true;
}

// True when the font draws ink: a damaged font file can open and still render every
// text as an empty box.
static bool FnPoliceEcrit(TTF_Font* font)
{
    SDL_Color noir = { 0, 0, 0, 0 };
    SDL_Surface* rendu = TTF_RenderText_Blended(font, "Ag0\xe9", noir);
    if (rendu == 0) return false;
    bool encre = false;
    SDL_LockSurface(rendu);
    for (int y = 0; y < rendu->h && !encre; y++) {
        const Uint32* rangee = (const Uint32*)((const Uint8*)rendu->pixels + y * rendu->pitch);
        for (int x = 0; x < rendu->w && !encre; x++)
            encre = (rangee[x] & rendu->format->Amask) != 0;
    }
    SDL_UnlockSurface(rendu);
    SDL_FreeSurface(rendu);
    return encre;
}

void FnOuvrePolices()
{
    police = TTF_OpenFont("arial.ttf", 12);
    font8 = TTF_OpenFont("arial.ttf", 11);
}

// The fonts FnOuvrePolices opened: both there, both drawing ink.
static bool FnVerifiePolices()
{
    if (police == 0 || font8 == 0) return FnManque("arial.ttf", TTF_GetError());
    if (!FnPoliceEcrit(police) || !FnPoliceEcrit(font8))
        return FnManque("arial.ttf", "the font draws no text (a damaged file?)");
    return true;
}

bool FnChargeRessources()
{
    if (!FnVerifiePolices()) return false;
    FnMesurePolice();
    for (unsigned i = 0; i < sizeof Images / sizeof Images[0]; i++) {
        if (*Images[i].surface == 0 && !FnChargeImage(Images[i])) return false;
    }
    return true;
}

void FnFermePolices()
{
    if (police != 0) TTF_CloseFont(police);
    if (font8 != 0) TTF_CloseFont(font8);
    police = 0;
    font8 = 0;
}
