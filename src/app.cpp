// Start-up and the frame loop's body.
#include <stdio.h>
#include <stdlib.h>
#include <SDL_image.h>
#include "globals.h"
#include "app.h"
#include "draw.h"
#include "input.h"
#include "launcher.h"
#include "message_box.h"
#include "notes.h"
#include "screens.h"

// ---- Resources ----

struct SImage {
    const char* fichier;
    SDL_Surface** surface;
    bool png;       // loaded with SDL_image rather than as a BMP
    int cle;        // colour key: 0 none, else an RGB value
};

enum { SANS_CLE = -1, CLE_BLANC = 0xFFFFFF, CLE_VERT = 0x00FF00 };

// In the order they are loaded.
static const SImage Images[] = {
    { "image/ligne.bmp", &Curseur, false, SANS_CLE },
    { "image/maj.bmp", &ImgPuce, false, CLE_BLANC },
    { "image/icones.png", &ImgIcone, true, SANS_CLE },
    { "image/fonction.bmp", &ImgSwitch, false, SANS_CLE },
    { "image/fleche.bmp", &ImgFleche, false, SANS_CLE },
    { "image/titre.bmp", &ImgTitre, false, SANS_CLE },
    { "image/bande.bmp", &ImgNoLigne, false, SANS_CLE },
    { "image/speciaux.bmp", &ImgNumerique, false, CLE_VERT },
    { "image/lettre.bmp", &ImgClavier, false, CLE_VERT },
    { "image/texte.bmp", &ImgTexte, false, CLE_VERT },
    { "image/message.bmp", &ImgMessage, false, SANS_CLE },
    { "image/btn.bmp", &ImgBtn, false, SANS_CLE }
};

static bool FnManque(const char* fichier)
{
    fprintf(stderr, "scrivelle: cannot load %s: %s\n", fichier, SDL_GetError());
    return false;
}

static bool FnChargeImage(const SImage& image)
{
    SDL_Surface* s;
    if (image.png) s = IMG_Load(image.fichier);
    else s = SDL_LoadBMP_RW(SDL_RWFromFile(image.fichier, "rb"), 1);
    if (s == 0) return FnManque(image.fichier);
    if (image.png) {
        // Once in the screen's order (keeping its alpha) rather than at every blit.
        SDL_Surface* prete = SDL_DisplayFormatAlpha(s);
        if (prete != 0) {
            SDL_FreeSurface(s);
            s = prete;
        }
    }
    if (image.cle != SANS_CLE) {
        Uint32 cle = SDL_MapRGB(s->format, (Uint8)(image.cle >> 16), (Uint8)(image.cle >> 8),
                                (Uint8)image.cle);
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, cle);
    }
    *image.surface = s;
    return true;
}

bool FnChargeRessources()
{
    if (police == 0) police = TTF_OpenFont("arial.ttf", 12);
    if (font8 == 0) font8 = TTF_OpenFont("arial.ttf", 11);
    if (police == 0 || font8 == 0) {
        fprintf(stderr, "scrivelle: cannot load arial.ttf: %s\n", TTF_GetError());
        return false;
    }
    for (unsigned i = 0; i < sizeof Images / sizeof Images[0]; i++) {
        if (*Images[i].surface == 0 && !FnChargeImage(Images[i])) return false;
    }
    return true;
}

// ---- Start-up ----

static void FnPage(int page)
{
    Fonction = page;
    ClavierDebut = page == 0 ? PAGE_LETTRES_DEBUT : PAGE_SIGNES_DEBUT;
    ClavierFin = page == 0 ? PAGE_LETTRES_FIN : PAGE_SIGNES_FIN;
}

void FnEtatInitial()
{
    FnClearText(&ListeFichier);
    FnClearText(&Texte);
    TexteIncomplet = false;
    FnPage(0);
    ChaineTitre[0] = 0;
    IndChar = 0;
    MouseX = 0;
    MouseY = 0;
    done = 0;
    Etape = 0;
    FnLitDossier();
    MonClavier.DeplaceClavier(0, CLAVIER_Y);
}

int Demarrage()
{
    TTF_Init();
    police = TTF_OpenFont("arial.ttf", 12);
    font8 = TTF_OpenFont("arial.ttf", 11);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        fprintf(stderr, "scrivelle: cannot start SDL: %s\n", SDL_GetError());
        return SORTIE_SDL;
    }
    SDL_WM_SetCaption("Scrivelle", 0);
    SDL_ShowCursor(1);
    SDL_JoystickOpen(0);  // none on a desktop, which is normal
    atexit(Terminate);
    ecran = SDL_SetVideoMode(ECRAN_LARGEUR, ECRAN_HAUTEUR, ECRAN_BPP, 0);
    if (ecran == 0) {
        fprintf(stderr, "scrivelle: cannot set the video mode: %s\n", SDL_GetError());
        return SORTIE_VIDEO;
    }
    // Checked after the screen exists so that a failure still hands over to the launcher;
    // every frame draws with both fonts and all pictures.
    if (!FnChargeRessources()) return SORTIE_RESSOURCE;
    FnEtatInitial();
    return 0;
}

// ---- The frame ----

// The keyboard strip of the active page; its keyed green lets the screen show through.
static void DessineClavier()
{
    DrawImage(Fonction == 0 ? ImgClavier : ImgNumerique, 0, CLAVIER_Y, 0, 0,
              CLAVIER_LARGEUR, CLAVIER_HAUTEUR);
}

// Tested after the screen, so the screen saw the click with the page it had; an open
// message box does not block it.
static void FnBasculePage()
{
    if (Click && FnMouseCollision(MouseX, MouseY, SWITCH_X, SWITCH_Y, 32, 32)) FnPage(1 - Fonction);
}

void FnDerouleTrame()
{
    if (TFL == 1 && TFR == 1) done = 1;
    SDL_FillRect(ecran, 0, SDL_MapRGB(ecran->format, 255, 255, 255));
    if (Etape == 0) Menu();
    else AfficheTexte();
    DessineClavier();
    FnBasculePage();
    DessineMessage();
    ExecuteAction();
    SDL_Flip(ecran);
}

void Trame()
{
    FnLireEntrees();
    FnDerouleTrame();
}
