// Drives the notes layer on a card from the command line, one operation a run, in the
// current folder (the card's root, which holds dossier/), for the power-cut test:
//   carte start              the start-up: recovery and scan; prints the listed names
//   carte save NAME FILE     saves the bytes of FILE as the note NAME
//   carte create NAME        creates the note NAME
//   carte delete NAME        deletes the note NAME
// Exit status 0 when the operation says it worked, 1 when it says it failed, 2 on misuse.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "globals.h"
#include "notes.h"
#include "screens.h"

namespace {

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
    } else if (quoi == "save" && argc == 4) {
        std::ifstream f(argv[3], std::ios::binary);
        if (!Remplit(std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()))) return 2;
        r = FnWriteFile(argv[2]);
    } else if (quoi == "create" && argc == 3) {
        r = FnCreateFile(argv[2]);
    } else if (quoi == "delete" && argc == 3) {
        strcpy(ListeFichier.Lignes[ListeFichier.NbLignes++].Caracteres, argv[2]);
        r = FnRemoveFile(argv[2]);
    } else {
        std::cerr << "usage: carte start | save NAME FILE | create NAME | delete NAME\n";
        return 2;
    }
    if (r != RES_OK) std::cerr << "carte: " << quoi << ": " << FnTexteResultat(r) << "\n";
    return r == RES_OK ? 0 : 1;
}
