// Start-up and the frame loop's body.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
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
    int largeur;    // the least size the layout draws from it
    int hauteur;
};

enum { SANS_CLE = -1, CLE_BLANC = 0xFFFFFF, CLE_VERT = 0x00FF00 };

// In the order they are loaded. Larger pictures are accepted: only their top left part
// is drawn.
static const SImage Images[] = {
    { "image/ligne.bmp", &Curseur, false, SANS_CLE, BARRE_L, RANGEE_H },
    { "image/maj.bmp", &ImgPuce, false, CLE_BLANC, 64, 8 },
    { "image/icones.png", &ImgIcone, true, SANS_CLE, 6 * ICONE_TAILLE, ICONE_TAILLE },
    { "image/fonction.bmp", &ImgSwitch, false, SANS_CLE, CLAVIER_TOUCHE, CLAVIER_TOUCHE },
    { "image/fleche.bmp", &ImgFleche, false, SANS_CLE, 38, 20 },
    { "image/titre.bmp", &ImgTitre, false, SANS_CLE, ECRAN_LARGEUR, RANGEE_Y },
    { "image/bande.bmp", &ImgNoLigne, false, SANS_CLE, 15, 100 },
    { "image/speciaux.bmp", &ImgNumerique, false, CLE_VERT, CLAVIER_LARGEUR, CLAVIER_HAUTEUR },
    { "image/lettre.bmp", &ImgClavier, false, CLE_VERT, CLAVIER_LARGEUR, CLAVIER_HAUTEUR },
    { "image/texte.bmp", &ImgTexte, false, CLE_VERT, ECRAN_LARGEUR, 96 },
    { "image/message.bmp", &ImgMessage, false, SANS_CLE, PANNEAU_L, PANNEAU_H },
    { "image/btn.bmp", &ImgBtn, false, SANS_CLE, 3 * BOUTON_L, BOUTON_H }
};

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
    SDL_Surface* s;
    if (image.png) s = IMG_Load(image.fichier);
    else s = SDL_LoadBMP_RW(SDL_RWFromFile(image.fichier, "rb"), 1);
    if (s == 0) return FnManque(image.fichier, SDL_GetError());
    if (!FnTailleJuste(image, s)) {
        SDL_FreeSurface(s);
        return false;
    }
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

static bool FnChargePolices()
{
    if (police == 0) police = TTF_OpenFont("arial.ttf", 12);
    if (font8 == 0) font8 = TTF_OpenFont("arial.ttf", 11);
    if (police == 0 || font8 == 0) return FnManque("arial.ttf", TTF_GetError());
    if (!FnPoliceEcrit(police) || !FnPoliceEcrit(font8))
        return FnManque("arial.ttf", "the font draws no text (a damaged file?)");
    FnMesurePolice();
    return true;
}

bool FnChargeRessources()
{
    if (!FnChargePolices()) return false;
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

// SDL falls back to a text-mode driver when there is no display: the program would
// then draw ASCII art into the terminal until killed. Used only when asked for by name.
static bool FnEcranGraphique()
{
    char pilote[32];
    if (SDL_VideoDriverName(pilote, sizeof pilote) == 0) return true;
    if (strcmp(pilote, "caca") != 0 && strcmp(pilote, "aalib") != 0) return true;
    const char* demande = getenv("SDL_VIDEODRIVER");
    if (demande != 0 && strcasecmp(demande, pilote) == 0) return true;
    fprintf(stderr, "scrivelle: no graphical display (SDL fell back to its text-mode driver %s);"
            " run it where DISPLAY names a running X server, or under xvfb-run\n", pilote);
    return false;
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
    if (!FnEcranGraphique()) {
        SDL_Quit();  // gives the terminal back as it was
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
