// The event drain: everything that reacts to the user reads only the globals set here.
#include "globals.h"
#include "input.h"

// Sets the level of the button or key that stands for up, down, L or R.
static void FnBouton(int haut, int bas, int gauche, int droite, int code, int niveau)
{
    if (code == haut) TUP = niveau;
    else if (code == bas) TDOWN = niveau;
    else if (code == gauche) TFL = niveau;
    else if (code == droite) TFR = niveau;
}

// Every held button or key counts as released: its release may go to another window.
static void FnRelacheTout()
{
    TUP = 0;
    TDOWN = 0;
    TFL = 0;
    TFR = 0;
}

static void FnTraiteEvenement()
{
    switch (event.type) {
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_c && (event.key.keysym.mod & KMOD_CTRL) != 0) done = 1;
        FnBouton(SDLK_UP, SDLK_DOWN, SDLK_l, SDLK_r, event.key.keysym.sym, 1);
        break;
    case SDL_KEYUP:
        FnBouton(SDLK_UP, SDLK_DOWN, SDLK_l, SDLK_r, event.key.keysym.sym, 0);
        break;
    case SDL_MOUSEBUTTONUP:
        // A touch counts when the finger lifts; the position is read again a moment later,
        // once the touch screen has settled.
        if (event.button.button == SDL_BUTTON_LEFT) {
            Click = true;
            SDL_Delay(20);
            SDL_GetMouseState(&MouseX, &MouseY);
        }
        break;
    case SDL_JOYBUTTONDOWN:
        FnBouton(JOY_HAUT, JOY_BAS, JOY_L, JOY_R, event.jbutton.button, 1);
        break;
    case SDL_JOYBUTTONUP:
        FnBouton(JOY_HAUT, JOY_BAS, JOY_L, JOY_R, event.jbutton.button, 0);
        break;
    case SDL_ACTIVEEVENT:
        // Losing the keyboard or the pointer: whatever was held is released elsewhere,
        // so both shoulders quit only when both are really held.
        if (event.active.gain == 0
            && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS)) != 0)
            FnRelacheTout();
        break;
    case SDL_QUIT:
        done = 1;
        break;
    default:
        break;
    }
}

void FnLireEntrees()
{
    Click = false;
    TUP = 0;
    TDOWN = 0;
    SDL_GetMouseState(&MouseX, &MouseY);
    while (SDL_PollEvent(&event)) {
        FnTraiteEvenement();
    }
}
