/* open() and open64() for a library preloaded into a process that opens card images: each
 * call goes through, then APRES(chemin, fd) is told what it opened. Needs _GNU_SOURCE,
 * <dlfcn.h>, <fcntl.h> and <stdarg.h>. */
#define OUVERTURE(nom, APRES)                                                     \
    int nom(const char* chemin, int drapeaux, ...)                                \
    {                                                                             \
        static int (*vrai)(const char*, int, ...);                                \
        mode_t mode = 0;                                                          \
        if (!vrai) vrai = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #nom); \
        if (drapeaux & O_CREAT) {                                                 \
            va_list ap;                                                           \
            va_start(ap, drapeaux);                                               \
            mode = va_arg(ap, mode_t);                                            \
            va_end(ap);                                                           \
        }                                                                         \
        int fd = vrai(chemin, drapeaux, mode);                                    \
        APRES(chemin, fd);                                                        \
        return fd;                                                                \
    }
