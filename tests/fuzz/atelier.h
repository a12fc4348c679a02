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

#include <algorithm>
#include <string>
#include <vector>

#include "globals.h"
#include "notes.h"

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

// What another program does: it writes the file at chemin, making it when missing, and never
// through a link (a link in dossier/ may lead out of the private folder). A link, a folder or
// a pipe of that name is left as it is, and false returned.
inline bool Ecrit(const std::string& chemin, const uint8_t* octets, size_t n)
{
    int fd = open(chemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    while (ok && n > 0) {
        ssize_t k = write(fd, octets, n);
        ok = k > 0;
        if (ok) octets += k, n -= (size_t)k;
    }
    return close(fd) == 0 && ok;
}

// The bytes of a regular file; empty for anything else. Never follows a link and never
// opens a pipe for good (it would wait for a writer).
inline std::string Lit(const std::string& chemin)
{
    std::string s;
    int fd = open(chemin.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return s;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char bloc[4096];
        ssize_t n;
        while ((n = read(fd, bloc, sizeof bloc)) > 0) s.append(bloc, (size_t)n);
    }
    close(fd);
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

inline std::vector<std::string> Lignes(const std::string& octets)
{
    std::vector<std::string> lignes(1);
    for (char c : octets) {
        if (c == '\n') lignes.emplace_back();
        else lignes.back() += c;
    }
    return lignes;
}

// Whether the editor can hold the note exactly: 50 lines of at most 255 bytes, no zero byte.
inline bool Tient(const std::string& octets)
{
    std::vector<std::string> lignes = Lignes(octets);
    if (lignes.size() > (size_t)TEXTE_NB_LIGNES) return false;
    for (const std::string& l : lignes) {
        if (l.size() > (size_t)LIGNE_LONGUEUR_MAX || l.find('\0') != std::string::npos) return false;
    }
    return true;
}

// Texte after loading a file of these bytes. The longest note that fits is 50 lines of 255
// bytes and 49 newlines (NOTE_OCTETS_MAX): a load shows the lines of that many bytes at most
// (reading one more only tells a longer file), each cut at 255 bytes, zero bytes kept and
// counted, and is incomplete exactly when the file does not fit.
inline void VerifieCharge(const std::string& octets)
{
    std::vector<std::string> lignes = Lignes(octets.substr(0, NOTE_OCTETS_MAX));
    size_t attendu = std::min(lignes.size(), (size_t)TEXTE_NB_LIGNES);
    VerifieTampon(Texte, "Texte");
    VERIFIE((size_t)Texte.NbLignes == attendu, "%d lines loaded, %zu expected", Texte.NbLignes, attendu);
    for (int i = 0; i < Texte.NbLignes; i++) {
        const SLigne& l = Texte.Lignes[i];
        std::string voulu = lignes[i].substr(0, LIGNE_LONGUEUR_MAX);
        VERIFIE(std::string(l.Caracteres, l.Longueur) == voulu, "line %d differs", i);
        VERIFIE(l.Caracteres[l.Longueur] == 0, "line %d not terminated at its length", i);
        VERIFIE(l.LongueurInitiale == l.Longueur, "line %d LongueurInitiale", i);
    }
    VERIFIE(Texte.LigneActive == 0 && Texte.LigneDebut == 0, "cursor not at the top after a load");
    bool tient = Tient(octets);
    VERIFIE(TexteIncomplet == !tient, "TexteIncomplet %d for a note that %s", (int)TexteIncomplet,
            tient ? "fits" : "does not fit");
}

// What a save of Texte must write: each line up to its zero byte, one newline between lines.
inline std::string TexteSauve()
{
    std::string s;
    for (int i = 0; i < Texte.NbLignes; i++) {
        if (i > 0) s += '\n';
        s += Texte.Lignes[i].Caracteres;
    }
    return s;
}

}  // namespace atelier
