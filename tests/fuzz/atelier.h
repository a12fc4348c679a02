// What both fuzz targets share: a private working folder holding "dossier/", small file
// helpers, and the checks of the line buffer that every operation must keep.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "globals.h"

namespace atelier {

inline std::string& Racine()
{
    static std::string racine;
    return racine;
}

// The folder the fuzzer was started in, where it keeps its corpus and its findings.
inline int& Depart()
{
    static int fd = -1;
    return fd;
}

inline void Sort()
{
    if (Depart() >= 0 && fchdir(Depart()) != 0) abort();
}

// A broken promise: print what and why, remove the private folder (the input alone
// reproduces it), then abort so that libFuzzer keeps the input.
#define VERIFIE(condition, ...)                                              \
    do {                                                                     \
        if (!(condition)) {                                                  \
            fprintf(stderr, "fuzz: %s:%d: %s: ", __FILE__, __LINE__, #condition); \
            fprintf(stderr, __VA_ARGS__);                                    \
            fprintf(stderr, "\n");                                           \
            atelier::Nettoie();                                              \
            abort();                                                         \
        }                                                                    \
    } while (0)

inline int RetireUn(const char* chemin, const struct stat*, int, struct FTW*)
{
    return remove(chemin);
}

// Removes a file, a link or a whole folder. Folders closed to the owner are opened first.
inline void RetireArbre(const std::string& chemin)
{
    struct stat st;
    if (lstat(chemin.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        chmod(chemin.c_str(), 0700);
        nftw(chemin.c_str(), RetireUn, 16, FTW_DEPTH | FTW_PHYS);
    } else {
        remove(chemin.c_str());
    }
}

inline void Nettoie()
{
    Sort();
    if (!Racine().empty()) RetireArbre(Racine());
}

// Each input runs inside the private folder (Entre), and the fuzzer works between inputs
// in the folder it was started in (Sort), so relative corpus paths keep their meaning.
inline void Entre()
{
    VERIFIE(chdir(Racine().c_str()) == 0, "cannot enter %s", Racine().c_str());
}

// Makes a fresh private folder, in memory when the machine has /dev/shm: a save syncs the
// file and the folder, which costs milliseconds on a disk and nothing there.
inline void Prepare()
{
    Depart() = open(".", O_RDONLY | O_DIRECTORY);
    VERIFIE(Depart() >= 0, "cannot open the starting folder");
    const char* tmp = getenv("TMPDIR");
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp ? tmp : "/tmp");
    std::string modele = base + "/scrivelle-fuzz-XXXXXX";
    std::vector<char> nom(modele.begin(), modele.end());
    nom.push_back(0);
    VERIFIE(mkdtemp(nom.data()) != nullptr, "cannot make a folder in %s", base.c_str());
    Racine() = nom.data();
    atexit(Nettoie);
}

inline bool Ecrit(const std::string& chemin, const uint8_t* octets, size_t n)
{
    FILE* f = fopen(chemin.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(octets, 1, n, f) == n;
    return fclose(f) == 0 && ok;
}

inline std::string Lit(const std::string& chemin)
{
    std::string s;
    FILE* f = fopen(chemin.c_str(), "rb");
    if (!f) return s;
    char bloc[4096];
    size_t n;
    while ((n = fread(bloc, 1, sizeof bloc, f)) > 0) s.append(bloc, n);
    fclose(f);
    return s;
}

inline bool Existe(const std::string& chemin)
{
    struct stat st;
    return lstat(chemin.c_str(), &st) == 0;
}

// The entries of a folder in the order readdir yields them, "." and ".." left out.
inline std::vector<std::string> Entrees(const char* dossier)
{
    std::vector<std::string> noms;
    DIR* d = opendir(dossier);
    if (!d) return noms;
    while (struct dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) noms.push_back(e->d_name);
    }
    closedir(d);
    return noms;
}

// The line buffer's own promises: at most 50 lines, each terminated within its 256 bytes
// with a length of 0 to 255, and every unused slot empty.
inline void VerifieTampon(const STexte& t, const char* quel)
{
    VERIFIE(t.NbLignes >= 0 && t.NbLignes <= TEXTE_NB_LIGNES, "%s: NbLignes %d", quel, t.NbLignes);
    for (int i = 0; i < TEXTE_NB_LIGNES; i++) {
        const SLigne& l = t.Lignes[i];
        VERIFIE(memchr(l.Caracteres, 0, LIGNE_TAILLE) != nullptr, "%s: line %d unterminated", quel, i);
        VERIFIE(l.Longueur >= 0 && l.Longueur <= LIGNE_LONGUEUR_MAX, "%s: line %d Longueur %d", quel,
                i, l.Longueur);
        if (i >= t.NbLignes) VERIFIE(l.Caracteres[0] == 0, "%s: unused slot %d holds text", quel, i);
    }
}

}  // namespace atelier
