// The only place that knows about the launcher. Its folder and path are build settings:
// the handheld's own by default, a stand-in of the tests' in the test builds.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <SDL.h>
#include <SDL_ttf.h>
#include "resources.h"
#include "launcher.h"

#ifndef LAUNCHER_DIR
#define LAUNCHER_DIR "/usr/gp2x"
#endif
#ifndef LAUNCHER_PATH
#define LAUNCHER_PATH "/usr/gp2x/gp2xmenu"
#endif

// Marks every descriptor but the standard three close-on-exec, so that nothing the
// program or its libraries opened reaches the launcher. Without /proc, every number up
// to the process's limit is marked.
static void FnFermeALExec()
{
    DIR* dossier = opendir("/proc/self/fd");
    if (dossier != 0) {
        struct dirent* entree;
        while ((entree = readdir(dossier)) != 0) {
            int fd = atoi(entree->d_name);
            if (fd > 2) fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        closedir(dossier);
        return;
    }
    long limite = sysconf(_SC_OPEN_MAX);
    for (long fd = 3; fd < limite; fd++) fcntl((int)fd, F_SETFD, FD_CLOEXEC);
}

void Terminate()
{
    FnFermePolices();
    TTF_Quit();
    SDL_Quit();
    if (chdir(LAUNCHER_DIR) != 0) return;
    FnFermeALExec();
    execl(LAUNCHER_PATH, LAUNCHER_PATH, (char*)0);
}
