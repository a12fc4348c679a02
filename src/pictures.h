// The twelve pictures of image/, in the order the program loads them: the one list that
// the program (resources.cpp), the tool that draws them (tools/assets.cpp), the benchmark,
// the build (CMakeLists.txt) and the tests read. Each row is
//   IMAGE(file, surface it is loaded into, what the tool draws, colour key, least width, least height)
// The sizes are the least the layout draws from the picture; they name constants of
// globals.h, TClavier.h, screens.h and message_box.h, which a reader that uses them includes.
#ifndef PICTURES_H
#define PICTURES_H

// Colour keys, as RGB values.
enum { CLE_AUCUNE = -1, CLE_BLANC = 0xFFFFFF, CLE_VERT = 0x00FF00 };

#define SCRIVELLE_IMAGES(IMAGE) \
    IMAGE("ligne.bmp",    Curseur,      Bar,         CLE_AUCUNE, BARRE_L,          RANGEE_H) \
    IMAGE("maj.bmp",      ImgPuce,      Shift,       CLE_BLANC,  2 * MAJ_L,        MAJ_H) \
    IMAGE("icones.png",   ImgIcone,     Icons,       CLE_AUCUNE, 6 * ICONE_TAILLE, ICONE_TAILLE) \
    IMAGE("fonction.bmp", ImgSwitch,    Switch,      CLE_AUCUNE, SWITCH_TAILLE,    SWITCH_TAILLE) \
    IMAGE("fleche.bmp",   ImgFleche,    Arrows,      CLE_AUCUNE, 2 * FLECHE_L,     FLECHE_H) \
    IMAGE("titre.bmp",    ImgTitre,     Title,       CLE_AUCUNE, ECRAN_LARGEUR,    TITRE_H) \
    IMAGE("bande.bmp",    ImgNoLigne,   NumberStrip, CLE_AUCUNE, NUMEROS_L,        NUMEROS_H) \
    IMAGE("speciaux.bmp", ImgNumerique, Signs,       CLE_VERT,   CLAVIER_LARGEUR,  CLAVIER_HAUTEUR) \
    IMAGE("lettre.bmp",   ImgClavier,   Letters,     CLE_VERT,   CLAVIER_LARGEUR,  CLAVIER_HAUTEUR) \
    IMAGE("texte.bmp",    ImgTexte,     NameField,   CLE_VERT,   ECRAN_LARGEUR,    CHAMP_H) \
    IMAGE("message.bmp",  ImgMessage,   Panel,       CLE_AUCUNE, PANNEAU_L,        PANNEAU_H) \
    IMAGE("btn.bmp",      ImgBtn,       Buttons,     CLE_AUCUNE, 3 * BOUTON_L,     BOUTON_H)

#endif
