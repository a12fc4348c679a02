// The C library calls a test can fail (support.h), each passing on to the real one.
#include <dlfcn.h>
#include <fcntl.h>

#include <cstdarg>
#include <cstring>

#include "support.h"

int test::EchoueA = 0;
const char *test::RefuseLecture = nullptr, *test::RefuseFermeture = nullptr;
bool test::RefuseFlux = false;

using namespace test;

static int CoupeA = 0, Appels = 0;  // the cut call, and those made so far
static bool CoupeDemi = false;

// Whether this call is cut: a removal or a whole write ends the process here, a half one later.
static bool Coupe(size_t* n)
{
    if (CoupeA == 0 || ++Appels < CoupeA) return false;
    if (!n || !CoupeDemi) _exit(0);
    *n /= 2;
    return true;
}

bool test::CoupeeA(int k, bool demi, const std::function<void()>& op)
{
    return RunInChild([&] {
        CoupeA = k, CoupeDemi = demi;
        op();
        return 1;
    }).status == 1;
}

extern "C" ssize_t write(int fd, const void* octets, size_t n)
{
    static ssize_t (*vrai)(int, const void*, size_t) = (ssize_t (*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (EchoueA && --EchoueA == 0) {
        errno = ENOSPC;
        return -1;
    }
    if (!Coupe(&n)) return vrai(fd, octets, n);
    vrai(fd, octets, n);
    _exit(0);
}

extern "C" int close(int fd)
{
    static int (*vrai)(int) = (int (*)(int))dlsym(RTLD_NEXT, "close");
    char lien[64], chemin[4096] = "";
    snprintf(lien, sizeof lien, "/proc/self/fd/%d", fd);
    bool refuse = RefuseFermeture && readlink(lien, chemin, sizeof chemin - 1) > 0 && strstr(chemin, RefuseFermeture);
    int r = vrai(fd);
    if (refuse) errno = EIO;
    return refuse ? -1 : r;
}

extern "C" int open(const char* chemin, int drapeaux, ...)
{
    static int (*vrai)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open");
    va_list args;
    va_start(args, drapeaux);
    mode_t mode = drapeaux & (O_CREAT | O_TMPFILE) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if (RefuseLecture && (drapeaux & O_ACCMODE) == O_RDONLY && strcmp(chemin, RefuseLecture) == 0) {
        errno = EIO;
        return -1;
    }
    return vrai(chemin, drapeaux, mode);
}

extern "C" FILE* fdopen(int fd, const char* mode)
{
    static FILE* (*vrai)(int, const char*) = (FILE * (*)(int, const char*)) dlsym(RTLD_NEXT, "fdopen");
    if (!RefuseFlux) return vrai(fd, mode);
    errno = ENOMEM;
    return nullptr;
}

// A removal, which a cut may end the process before.
static int Retire(const char* nom, const char* chemin)
{
    Coupe(nullptr);
    return ((int (*)(const char*))dlsym(RTLD_NEXT, nom))(chemin);
}
extern "C" int unlink(const char* chemin) { return Retire("unlink", chemin); }
extern "C" int remove(const char* chemin) { return Retire("remove", chemin); }
