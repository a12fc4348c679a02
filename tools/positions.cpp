// Prints, as JSON on stdout, every place of the screen that the end-to-end tests click or
// look at, taken from the program's own keyboard and layout constants, so that the tests
// follow the program when its layout moves.  Usage: scrivelle_positions
//
// Rectangles are {"x", "y", "w", "h"} in screen pixels; hit tests are strict, so a
// rectangle answers to x + 1 .. x + w - 1 and y + 1 .. y + h - 1.
#include "TClavier.h"
#include "message_box.h"
#include "screens.h"

#include <cstdio>
#include <string>

namespace {

std::string rect(int x, int y, int w, int h)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "{\"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d}", x, y, w, h);
    return buffer;
}

// One line per key: index, page, the byte it types (unshifted), its function and its box.
void printKeys(TClavier& keyboard)
{
    std::printf("  \"keys\": [\n");
    for (int i = PAGE_LETTRES_DEBUT; i <= PAGE_SIGNES_FIN; i++) {
        int page = i <= PAGE_LETTRES_FIN ? 0 : 1;
        unsigned code = static_cast<unsigned char>(keyboard.GetValeur(i));
        std::printf("    {\"index\": %d, \"page\": %d, \"code\": %u, \"function\": %d, \"box\": %s}%s\n",
                    i, page, code, keyboard.GetFonction(i),
                    rect(keyboard.GetCollX1(i), keyboard.GetCollY1(i), CLAVIER_TOUCHE,
                         CLAVIER_TOUCHE).c_str(),
                    i < PAGE_SIGNES_FIN ? "," : "");
    }
    std::printf("  ],\n");
}

void printScreen()
{
    std::printf("  \"screen\": {\"w\": %d, \"h\": %d},\n", ECRAN_LARGEUR, ECRAN_HAUTEUR);
    std::printf("  \"keyboard\": %s,\n", rect(0, CLAVIER_Y, CLAVIER_LARGEUR, CLAVIER_HAUTEUR).c_str());
    std::printf("  \"pages\": [{\"first\": %d, \"last\": %d}, {\"first\": %d, \"last\": %d}],\n",
                PAGE_LETTRES_DEBUT, PAGE_LETTRES_FIN, PAGE_SIGNES_DEBUT, PAGE_SIGNES_FIN);
    std::printf("  \"switch\": %s,\n", rect(SWITCH_X, SWITCH_Y, SWITCH_TAILLE, SWITCH_TAILLE).c_str());
    std::printf("  \"title\": %s,\n", rect(0, 0, ECRAN_LARGEUR, TITRE_H).c_str());
    std::printf("  \"number_strip\": %s,\n",
                rect(0, RANGEE_Y, NUMEROS_L, RANGEES * RANGEE_H).c_str());
    std::printf("  \"rows\": {\"count\": %d, \"text_x\": %d, \"text_y\": %d, \"height\": %d},\n",
                RANGEES, TEXTE_X, RANGEE_Y, RANGEE_H);
    std::printf("  \"bar\": {\"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d, \"step\": %d},\n",
                BARRE_X, BARRE_Y, BARRE_L, RANGEE_H, RANGEE_H);
    std::printf("  \"arrows\": {\"up\": %s, \"down\": %s},\n",
                rect(FLECHE_X, FLECHE_HAUT_Y, FLECHE_L, FLECHE_H).c_str(),
                rect(FLECHE_X, FLECHE_BAS_Y, FLECHE_L, FLECHE_H).c_str());
    std::printf("  \"shift\": %s,\n", rect(MAJ_X, MAJ_Y, MAJ_L, MAJ_H).c_str());
    // Only the name field's rows above the keyboard are in view.
    std::printf("  \"name_field\": {\"box\": %s, \"text_x\": %d},\n",
                rect(0, CHAMP_Y, ECRAN_LARGEUR, CLAVIER_Y - CHAMP_Y).c_str(), NOM_X);
}

void printIcons()
{
    auto icon = [](int x) { return rect(x, ICONE_Y, ICONE_TAILLE, ICONE_TAILLE); };
    std::printf("  \"icons\": {\n");
    std::printf("    \"create\": %s, \"open\": %s, \"delete\": %s, \"quit\": %s,\n",
                icon(CREER_X).c_str(), icon(OUVRIR_X).c_str(), icon(SUPPRIMER_X).c_str(),
                icon(QUITTER_X).c_str());
    std::printf("    \"save\": %s, \"back\": %s\n", icon(SAUVER_X).c_str(), icon(RETOUR_X).c_str());
    std::printf("  },\n");
}

void printMessage()
{
    auto button = [](int x) { return rect(x, BOUTON_Y, BOUTON_L, BOUTON_H); };
    std::printf("  \"message\": {\n");
    std::printf("    \"panel\": %s,\n", rect(PANNEAU_X, PANNEAU_Y, PANNEAU_L, PANNEAU_H).c_str());
    std::printf("    \"text_x\": %d, \"line1_y\": %d, \"line2_y\": %d,\n", MESSAGE_TEXTE_X, LIGNE1_Y,
                LIGNE2_Y);
    std::printf("    \"confirm\": %s,\n", button(OUI_X).c_str());
    std::printf("    \"decline\": %s,\n", button(NON_X).c_str());
    std::printf("    \"acknowledge\": %s\n", button(OK_X).c_str());
    std::printf("  }\n");
}

}  // namespace

int main()
{
    // Laid out as start-up leaves it: the strip's origin at the top of the keyboard rows.
    static TClavier keyboard;
    keyboard.DeplaceClavier(0, CLAVIER_Y);
    std::printf("{\n");
    printKeys(keyboard);
    printScreen();
    printIcons();
    printMessage();
    std::printf("}\n");
    return 0;
}
