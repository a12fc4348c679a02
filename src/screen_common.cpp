// What the file list and the editor share.
#include "globals.h"
#include "draw.h"
#include "screens.h"
#include "text_copy.h"

// In the order of Resultat.
static const char* const TexteResultat[RES_NOMBRE] = {
    "",
    "Note not fully loaded",
    "Could not write the file",
    "The note is read-only",
    "The folder is read-only",
    "The card is read-only",
    "The card is full",
    "The list is full (50 notes)",
    "\"dossier\" is not a folder",
    "It is a folder that is not empty",
    "It is not a note file",
    "The link leads nowhere",
    "The link does not lead to a note",
    "The name is not allowed",
    "Permission denied",
    "Another spelling is on the card",
    "Its last save did not finish",
    "Its last save cannot be read",
    "Unknown .copie files in the way"
};

const char* FnTexteResultat(Resultat r)
{
    return r >= 0 && r < RES_NOMBRE ? TexteResultat[r] : TexteResultat[RES_ECRITURE];
}

void DessineDecor()
{
    DrawImage(ImgSwitch, SWITCH_X, SWITCH_Y, 0, 0, SWITCH_TAILLE, SWITCH_TAILLE);
    DrawImage(ImgTitre, 0, 0, 0, 0, ECRAN_LARGEUR, TITRE_H);
    DrawImage(ImgNoLigne, 0, RANGEE_Y, 0, 0, NUMEROS_L, NUMEROS_H);
}

void DessineIcone(int x, int source)
{
    DrawImage(ImgIcone, x, ICONE_Y, source, 0, ICONE_TAILLE, ICONE_TAILLE);
}

// Keys that may enter a note name: the letters page, the digits, '_' and '-'.
static bool FnToucheDeNom(int i)
{
    return (i >= PAGE_LETTRES_DEBUT && i <= INDICE_NOM_FIN) || i == INDICE_SOULIGNE
        || i == INDICE_TIRET;
}

int FnToucheSousPointeur(bool pourNom)
{
    if (!Click) return -1;
    for (int i = ClavierDebut; i <= ClavierFin; i++) {
        if (pourNom && !FnToucheDeNom(i)) continue;
        if (FnMouseCollision(MouseX, MouseY, MonClavier.GetCollX1(i), MonClavier.GetCollY1(i),
                             CLAVIER_TOUCHE, CLAVIER_TOUCHE))
            return i;
    }
    return -1;
}

bool FnIconeTouchee(int x)
{
    return Click && FnMouseCollision(MouseX, MouseY, x, ICONE_Y, ICONE_TAILLE, ICONE_TAILLE);
}

void FnBoutonMaj()
{
    if (Click && FnMouseCollision(MouseX, MouseY, MAJ_X, MAJ_Y, MAJ_L, MAJ_H))
        MonClavier.SetMaj(!MonClavier.GetMaj());
}

void DessinePuce()
{
    DrawImage(ImgPuce, MAJ_X, MAJ_Y, MonClavier.GetMaj() ? MAJ_L : 0, 0, MAJ_L, MAJ_H);
}

void DessineFleches()
{
    DrawImage(ImgFleche, FLECHE_X, FLECHE_HAUT_Y, FLECHE_L, 0, FLECHE_L, FLECHE_H);
    DrawImage(ImgFleche, FLECHE_X, FLECHE_BAS_Y, 0, 0, FLECHE_L, FLECHE_H);
}

bool FnDemandeHaut()
{
    return (Click && FnMouseCollision(MouseX, MouseY, FLECHE_X, FLECHE_HAUT_Y, FLECHE_L, FLECHE_H))
        || TUP == 1;
}

bool FnDemandeBas()
{
    return (Click && FnMouseCollision(MouseX, MouseY, FLECHE_X, FLECHE_BAS_Y, FLECHE_L, FLECHE_H))
        || TDOWN == 1;
}

int DessineRangee(int r, int numero, const char* texte)
{
    char nombre[12];
    int y = RANGEE_Y + RANGEE_H * r;
    drawText(ecran, itoa2(numero, nombre, 10), 1, y, 255, 255, 255);
    int n = FnCopieBornee(Chaine, texte, LIGNE_VISIBLE_MAX);
    drawTextDebut(ecran, Chaine, n, TEXTE_X, y, RANGEE_DROITE, 0, 0, 0);
    return y;
}

bool FnRangeeTouchee(int r)
{
    int y = RANGEE_Y + RANGEE_H * r;
    return Click && MouseX > BANDE_X && MouseX <= BANDE_DROITE
        && FnMouseLigne(MouseY - BANDE_DECALAGE, y, BANDE_H) && !Message.GetActive();
}
