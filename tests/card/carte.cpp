// Drives the notes layer on a card from the command line, one operation a run, in the
// current folder (the card's root, which holds dossier/), for the power-cut test:
//   carte start              the start-up: recovery and scan; prints the listed names
//   carte save NAME FILE     saves the bytes of FILE as the note NAME
//   carte create NAME        creates the note NAME; prints the name it is listed under
//   carte delete NAME        deletes the note NAME
//   carte check FILE         the start-up twice, each time followed by a sync and a look at
//                            the card written to FILE: the listed names, then each entry of
//                            dossier/ with its bytes in hex ("-": unreadable)
// Exit status 0 when the operation says it worked, 1 when it says it failed, 2 on misuse.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "globals.h"
#include "notes.h"

// Marks an event in the card's log when linked with flushes.c (the kernel tier).
extern "C" void EcrituresMarque(const char* tag) __attribute__((weak));

namespace {

std::string Lis(const std::string& chemin)
{
    std::ifstream f(chemin, std::ios::binary);
    std::string octets((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return f.bad() || !f.is_open() ? "-" : octets;
}

void Marque(const char* tag)
{
    if (EcrituresMarque) EcrituresMarque(tag);
}

// The start-up twice; after each, the listed names and the folder's entries and bytes.
void Verifie(std::ostream& sortie)
{
    Marque("debut");
    for (int passe = 1; passe <= 2; passe++) {
        FnClearText(&ListeFichier);
        FnLitDossier();
        sync();
        Marque(passe == 1 ? "fin" : "fin2");
        sortie << "passe\t" << passe << "\n";
        for (int i = 0; i < ListeFichier.NbLignes; i++) sortie << "liste\t" << ListeFichier.Lignes[i].Caracteres << "\n";
        DIR* d = opendir("dossier");
        while (struct dirent* e = d ? readdir(d) : nullptr) {
            std::string nom = e->d_name;
            if (nom == "." || nom == "..") continue;
            std::string octets = Lis("dossier/" + nom), hex = octets == "-" ? "-" : "";
            for (unsigned char c : octets == "-" ? std::string() : octets) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
            sortie << "entree\t" << nom << "\t" << hex << "\n";
        }
        if (d) closedir(d);
    }
}

// Puts the bytes into Texte as a load would; false when they do not fit.
bool Remplit(const std::string& octets)
{
    FnClearText(&Texte);
    Texte.NbLignes = 1;
    for (char c : octets) {
        SLigne& l = Texte.Lignes[Texte.NbLignes - 1];
        if (c == '\n' && Texte.NbLignes == TEXTE_NB_LIGNES) return false;
        if (c != '\n' && (c == 0 || l.Longueur == LIGNE_LONGUEUR_MAX)) return false;
        if (c == '\n') Texte.NbLignes++;
        else l.Caracteres[l.Longueur++] = c;
    }
    TexteIncomplet = false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string quoi = argc > 1 ? argv[1] : "";
    FnClearText(&ListeFichier);
    Resultat r = RES_OK;
    if (quoi == "start" && argc == 2) {
        FnLitDossier();
        for (int i = 0; i < ListeFichier.NbLignes; i++) std::cout << ListeFichier.Lignes[i].Caracteres << "\n";
    } else if (quoi == "check" && argc == 3) {
        std::ofstream sortie(argv[2]);
        Verifie(sortie);
    } else if (quoi == "save" && argc == 4) {
        std::ifstream f(argv[3], std::ios::binary);
        if (!Remplit(std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()))) return 2;
        r = FnWriteFile(argv[2]);
    } else if (quoi == "create" && argc == 3) {
        r = FnCreateFile(argv[2]);
        if (r == RES_OK && ListeFichier.NbLignes > 0) std::cout << ListeFichier.Lignes[ListeFichier.NbLignes - 1].Caracteres << "\n";
    } else if (quoi == "delete" && argc == 3) {
        strcpy(ListeFichier.Lignes[ListeFichier.NbLignes++].Caracteres, argv[2]);
        r = FnRemoveFile(argv[2]);
    } else {
        std::cerr << "usage: carte start | save NAME FILE | create NAME | delete NAME | check FILE\n";
        return 2;
    }
    if (r != RES_OK) std::cerr << "carte: " << quoi << ": result " << r << "\n";
    return r == RES_OK ? 0 : 1;
}
