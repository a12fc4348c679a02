/* A power cut for a FAT driver in user space: preloaded into the driver, counts its write()
 * calls to the card image and ends the process at the K-th one, as if the power failed
 * there. What was written before stays in the image; nothing after it happens.
 *   COUPURE_IMAGE  path of the image (only writes to it are counted)
 *   COUPURE_A      K: the write at which the power fails (0 or unset: never)
 *   COUPURE_DEMI   1: that write is torn: the sectors of its first half reach the image (a
 *                  card writes a 512-byte sector whole or not at all, so a write within one
 *                  sector is never torn)
 *   COUPURE_COMPTE file that receives the number of writes counted, at every write
 *   COUPURE_TORN   file that receives, for each write, 1 when its torn cut lands something
 *                  and 0 when it is the whole cut again (one character a write) */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int fd_image = -1;
static long ecrites = 0;

static void note_ouverture(const char* chemin, int fd)
{
    const char* image = getenv("COUPURE_IMAGE");
    if (fd >= 0 && image && strcmp(chemin, image) == 0) fd_image = fd;
}

#include "ouverture.h"
OUVERTURE(open, note_ouverture)
OUVERTURE(open64, note_ouverture)

static void compte(void)
{
    const char* fichier = getenv("COUPURE_COMPTE");
    if (!fichier) return;
    FILE* f = fopen(fichier, "w");
    if (!f) return;
    fprintf(f, "%ld\n", ecrites);
    fclose(f);
}

ssize_t write(int fd, const void* octets, size_t n)
{
    static ssize_t (*vrai)(int, const void*, size_t);
    if (!vrai) vrai = (ssize_t (*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd != fd_image || fd < 0) return vrai(fd, octets, n);
    ecrites++;
    compte();
    long debut = (long)lseek(fd, 0, SEEK_CUR);
    long fin = (debut + (long)(n / 2)) / 512 * 512;  /* the sector boundary below half */
    const char* dechire = getenv("COUPURE_TORN");
    FILE* f = dechire ? fopen(dechire, "a") : 0;
    if (f) {
        fputc(fin > debut ? '1' : '0', f);
        fclose(f);
    }
    const char* a = getenv("COUPURE_A");
    if (a && atol(a) == ecrites) {
        const char* demi = getenv("COUPURE_DEMI");
        if (demi && strcmp(demi, "1") == 0 && fin > debut) vrai(fd, octets, (size_t)(fin - debut));
        _exit(0);
    }
    return vrai(fd, octets, n);
}
