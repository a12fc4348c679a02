// Start-up and the frame loop's body.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include "globals.h"
#include "app.h"
#include "draw.h"
#include "input.h"
#include "launcher.h"
#include "message_box.h"
#include "notes.h"
#include "resources.h"
#include "screens.h"

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
    FnOuvrePolices();
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
    if (Click && FnMouseCollision(MouseX, MouseY, SWITCH_X, SWITCH_Y, SWITCH_TAILLE, SWITCH_TAILLE))
        FnPage(1 - Fonction);
}

// A confirmed delete removes the note the question named; a confirmed quit ends the loop.
static void FnExecuteAction(int action)
{
    if (action == ACTION_SUPPRIMER) FnSupprimeNote();
    else if (action == ACTION_QUITTER) done = 1;
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
    FnExecuteAction(FnActionConfirmee());
    SDL_Flip(ecran);
}

void Trame()
{
    FnLireEntrees();
    FnDerouleTrame();
}
