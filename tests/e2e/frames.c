/* Counts the program's frames for the end-to-end harness. Preloaded into the program, it
 * adds one to a 64-bit counter in the file SCRIVELLE_FRAMES after each SDL_Flip, so that
 * the harness can wait until the program has drawn the frames that follow an action
 * instead of sleeping for a time that is long enough only on an idle machine. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

struct SDL_Surface;

static volatile uint64_t* compteur;

static void ouvre(void)
{
    const char* chemin = getenv("SCRIVELLE_FRAMES");
    int fd = chemin ? open(chemin, O_RDWR | O_CREAT, 0644) : -1;
    if (fd < 0 || ftruncate(fd, sizeof *compteur) != 0) _exit(99);
    void* p = mmap(0, sizeof *compteur, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p == MAP_FAILED) _exit(99);
    compteur = (volatile uint64_t*)p;
}

int SDL_Flip(struct SDL_Surface* ecran)
{
    static int (*vrai)(struct SDL_Surface*);
    if (!vrai) vrai = (int (*)(struct SDL_Surface*))dlsym(RTLD_NEXT, "SDL_Flip");
    int r = vrai(ecran);
    if (!compteur) ouvre();
    __atomic_add_fetch(compteur, 1, __ATOMIC_SEQ_CST);
    return r;
}
