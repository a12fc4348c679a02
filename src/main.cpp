// Scrivelle: a note-taking editor for a handheld with a touch screen.
#include "globals.h"
#include "app.h"

int main(int argc, char* argv[])
{
    (void)argc;
    (void)argv;
    int statut = Demarrage();
    if (statut != 0) return statut;

    while (!done) {
        Trame();
    }

    // SDL leaves the display surface alone here; SDL_Quit at exit releases it.
    SDL_FreeSurface(ecran);
    return 0;
}
