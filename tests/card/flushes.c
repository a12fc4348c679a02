/* Linked into the notes driver that runs inside the kernel tier's guest (test_kernel.py),
 * with -Wl,--wrap=fsync,--wrap=fdatasync: after each sync after which the card's device
 * (ECRITURES_UBD) counts one more flush (its stat's field 16), the driver makes the file
 * "ECRITURES_MARQUES/ECRITURES_CARTE.F.N" through hostfs, which the host's ecritures.c
 * turns into a flush point in the card's log: what was written before it has reached the
 * card. Linked with --wrap=write too: ECRITURES_ECHEC=N makes the N-th write fail as a full
 * card's would. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int __real_fsync(int fd);
ssize_t __real_write(int fd, const void* octets, size_t n);
int __real_fdatasync(int fd);

static long flushes(void)
{
    char chemin[256];
    long champ[17] = {0};
    const char* ubd = getenv("ECRITURES_UBD");
    if (!ubd) return -1;
    snprintf(chemin, sizeof chemin, "/sys/block/%s/stat", ubd);
    FILE* f = fopen(chemin, "r");
    if (!f) return -1;
    for (int i = 0; i < 17 && fscanf(f, "%ld", &champ[i]) == 1; i++) {}
    fclose(f);
    return champ[15];
}

/* Makes the marker "ECRITURES_MARQUES/ECRITURES_CARTE.TAG.N". */
void EcrituresMarque(const char* tag)
{
    static int suite = 0;
    char chemin[4096];
    if (!getenv("ECRITURES_MARQUES")) return;
    snprintf(chemin, sizeof chemin, "%s/%s.%s.%d-%d", getenv("ECRITURES_MARQUES"), getenv("ECRITURES_CARTE"), tag,
             (int)getpid(), suite++);
    int fd = open(chemin, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) abort();
    close(fd);
}

static long vus = -2;  /* flushes counted at the last look; -2: not looked yet */

static int marque(int r)
{
    long n = flushes();
    if (vus > -2 && n > vus) EcrituresMarque("F");
    vus = n;
    return r;
}

__attribute__((constructor)) static void debut(void)
{
    vus = flushes();
}

int __wrap_fsync(int fd)
{
    /* ECRITURES_TOUT: a file's sync writes every dirty buffer of its card first, as the
     * handheld's 2.4 kernel's does (the card's table and folders, not other files' entries
     * still held in their inodes). */
    char carte[64];
    const char* ubd = getenv("ECRITURES_UBD");
    if (getenv("ECRITURES_TOUT") && ubd) {
        snprintf(carte, sizeof carte, "/dev/%s", ubd);
        int dev = open(carte, O_RDONLY);
        if (dev >= 0) marque(__real_fsync(dev)), close(dev);
    }
    return marque(__real_fsync(fd));
}

int __wrap_fdatasync(int fd)
{
    return marque(__real_fdatasync(fd));
}

ssize_t __wrap_write(int fd, const void* octets, size_t n)
{
    static int compte = 0;
    const char* echec = getenv("ECRITURES_ECHEC");
    if (echec && ++compte == atoi(echec)) {
        errno = ENOSPC;
        return -1;
    }
    return __real_write(fd, octets, n);
}
