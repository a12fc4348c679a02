/* A power cut for a FAT driver in user space: preloaded into the driver, counts its write()
 * calls to the card image and ends the process at the K-th one, as if the power failed
 * there. What was written before stays in the image; nothing after it happens.
 *   COUPURE_IMAGE  path of the image (only writes to it are counted)
 *   COUPURE_A      K: the write at which the power fails (0 or unset: never)
 *   COUPURE_DEMI   1: that write is torn: the sectors of its first half reach the image (a
 *                  card writes a 512-byte sector whole or not at all, so a write within one
 *                  sector is never torn)
 *   COUPURE_COMPTE file that receives a line for every write counted: 1 when a torn cut
 *                  there lands something (its half reaches past a sector boundary), else 0 */
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

#define OUVERTURE(nom)                                                        \
    int nom(const char* chemin, int drapeaux, ...)                            \
    {                                                                         \
        static int (*vrai)(const char*, int, ...);                            \
        mode_t mode = 0;                                                      \
        if (!vrai) vrai = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #nom); \
        if (drapeaux & O_CREAT) {                                             \
            va_list ap;                                                       \
            va_start(ap, drapeaux);                                           \
            mode = va_arg(ap, mode_t);                                        \
            va_end(ap);                                                       \
        }                                                                     \
        int fd = vrai(chemin, drapeaux, mode);                                \
        note_ouverture(chemin, fd);                                           \
        return fd;                                                            \
    }
OUVERTURE(open)
OUVERTURE(open64)

/* The sector boundary below the half of a write of n bytes at debut. */
static long moitie(long debut, size_t n)
{
    return (debut + (long)(n / 2)) / 512 * 512;
}

static void compte(long debut, size_t n)
{
    const char* fichier = getenv("COUPURE_COMPTE");
    if (!fichier) return;
    FILE* f = fopen(fichier, "a");
    if (!f) return;
    fprintf(f, "%d\n", moitie(debut, n) > debut);
    fclose(f);
}

ssize_t write(int fd, const void* octets, size_t n)
{
    static ssize_t (*vrai)(int, const void*, size_t);
    if (!vrai) vrai = (ssize_t (*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd != fd_image || fd < 0) return vrai(fd, octets, n);
    ecrites++;
    long debut = (long)lseek(fd, 0, SEEK_CUR);
    compte(debut, n);
    const char* a = getenv("COUPURE_A");
    if (a && atol(a) == ecrites) {
        const char* demi = getenv("COUPURE_DEMI");
        if (demi && strcmp(demi, "1") == 0 && moitie(debut, n) > debut) vrai(fd, octets, (size_t)(moitie(debut, n) - debut));
        _exit(0);
    }
    return vrai(fd, octets, n);
}
