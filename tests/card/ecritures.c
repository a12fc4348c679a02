/* Records what a user-mode Linux kernel writes to its card images, for the kernel tier
 * (test_kernel.py). Preloaded into linux.uml, with ECRITURES_CARTES the folder of the images:
 * every pwrite64 to an image "X.img" of that folder is appended to "X.ecr" as 'W', offset
 * (8 bytes), length (4), bytes; the block driver writes the images with nothing else. A file
 * "X.TAG.N" made in the folder ECRITURES_MARQUES (from inside the guest, through hostfs,
 * which makes it at once with mknod) appends 'M', length (4), TAG: the guest's events, in
 * order with the writes (flushes.c marks the flushes). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/uio.h>
#include <unistd.h>

enum { FD_MAX = 1024, CARTES_MAX = 64 };
/* The cards seen, by name, and their logs (opened with their images: the block driver's
 * thread that writes them has a small stack, so it only appends). */
static char cartes[CARTES_MAX][64];
static int journaux[CARTES_MAX];
static int nb_cartes;
static int carte_de[FD_MAX]; /* an image's fd: its card, plus one (0: not an image) */

static const char* dans(const char* chemin, const char* variable)
{
    const char* dossier = getenv(variable);
    size_t n = dossier ? strlen(dossier) : 0;
    while (chemin[0] == '/' && chemin[1] == '/') chemin++; /* hostfs puts its root before */
    return n && strncmp(chemin, dossier, n) == 0 && chemin[n] == '/' ? chemin + n + 1 : 0;
}

/* A file made in the markers' folder: its name "X.TAG.N" appends TAG to X's log. */
static void marque_creee(const char* chemin)
{
    const char* nom = dans(chemin, "ECRITURES_MARQUES");
    char carte[64], tag[64];
    if (!nom || sscanf(nom, "%63[^.].%63[^.]", carte, tag) != 2) return;
    for (int i = 0; i < nb_cartes; i++) {
        if (strcmp(cartes[i], carte) != 0) continue;
        uint32_t l = (uint32_t)strlen(tag);
        struct iovec v[3] = {{"M", 1}, {&l, 4}, {tag, l}};
        if (writev(journaux[i], v, 3) < 0) abort();
    }
}

static void image_ouverte(const char* chemin, int fd)
{
    const char* nom = dans(chemin, "ECRITURES_CARTES");
    size_t l = nom ? strlen(nom) : 0;
    if (fd < 0 || fd >= FD_MAX) return;
    carte_de[fd] = 0;
    if (l < 5 || l > 60 || strcmp(nom + l - 4, ".img") != 0 || strchr(nom, '/')) return;
    int i = 0;
    while (i < nb_cartes && (strlen(cartes[i]) != l - 4 || strncmp(cartes[i], nom, l - 4) != 0)) i++;
    if (i == nb_cartes) {
        if (i == CARTES_MAX) abort();
        char journal[512];
        snprintf(journal, sizeof journal, "%.*s.ecr", (int)(strlen(chemin) - 4), chemin);
        snprintf(cartes[i], sizeof cartes[i], "%.*s", (int)(l - 4), nom);
        journaux[i] = open(journal, O_WRONLY | O_APPEND | O_CREAT | O_TRUNC, 0644);
        if (journaux[i] < 0) abort();
        nb_cartes++;
    }
    carte_de[fd] = i + 1;
}

static void ouverte(const char* chemin, int fd)
{
    image_ouverte(chemin, fd);
    marque_creee(chemin);
}

#include "ouverture.h"
OUVERTURE(open, ouverte)
OUVERTURE(open64, ouverte)

/* hostfs makes a new file with mknod. */
int mknod(const char* chemin, mode_t mode, dev_t dev)
{
    static int (*vrai)(const char*, mode_t, dev_t);
    if (!vrai) vrai = (int (*)(const char*, mode_t, dev_t))dlsym(RTLD_NEXT, "mknod");
    int r = vrai(chemin, mode, dev);
    if (r == 0) marque_creee(chemin);
    return r;
}

ssize_t pwrite64(int fd, const void* octets, size_t n, off64_t ou)
{
    static ssize_t (*vrai)(int, const void*, size_t, off64_t);
    if (!vrai) vrai = (ssize_t (*)(int, const void*, size_t, off64_t))dlsym(RTLD_NEXT, "pwrite64");
    ssize_t r = vrai(fd, octets, n, ou);
    if (r > 0 && fd >= 0 && fd < FD_MAX && carte_de[fd]) {
        uint64_t o = (uint64_t)ou;
        uint32_t l = (uint32_t)r;
        struct iovec v[4] = {{"W", 1}, {&o, 8}, {&l, 4}, {(void*)octets, l}};
        if (writev(journaux[carte_de[fd] - 1], v, 4) < 0) abort();
    }
    return r;
}
