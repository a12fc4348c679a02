// The only place that knows about the launcher. Its folder and path are build settings:
// the handheld's own by default, a stand-in of the tests' in the test builds.
#include <unistd.h>
#include <SDL.h>
#include "launcher.h"

#ifndef LAUNCHER_DIR
#define LAUNCHER_DIR "/usr/gp2x"
#endif
#ifndef LAUNCHER_PATH
#define LAUNCHER_PATH "/usr/gp2x/gp2xmenu"
#endif

void Terminate()
{
    SDL_Quit();
    if (chdir(LAUNCHER_DIR) != 0) return;
    execl(LAUNCHER_PATH, LAUNCHER_PATH, (char*)0);
}
