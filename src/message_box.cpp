// The message box on the screen: a panel, two lines and its buttons, answered by touch.
#include <string.h>
#include "globals.h"
#include "draw.h"
#include "message_box.h"
#include "text_copy.h"

// True when this frame's click lands on a button at x.
static bool FnBoutonTouche(int x)
{
    return Click && FnMouseCollision(MouseX, MouseY, x, BOUTON_Y, BOUTON_L, BOUTON_H);
}

void DessineMessage()
{
    if (!Message.GetActive()) return;
    DrawImage(ImgMessage, PANNEAU_X, PANNEAU_Y, 0, 0, PANNEAU_L, PANNEAU_H);
    drawMessage(ecran, Message.GetLine1(), MESSAGE_TEXTE_X, LIGNE1_Y, 0, 0, 0);
    drawMessage(ecran, Message.GetLine2(), MESSAGE_TEXTE_X, LIGNE2_Y, 0, 0, 0);

    if (Message.GetType() == MESSAGE_QUESTION) {
        DrawImage(ImgBtn, OUI_X, BOUTON_Y, 0, 0, BOUTON_L, BOUTON_H);
        DrawImage(ImgBtn, NON_X, BOUTON_Y, BOUTON_L, 0, BOUTON_L, BOUTON_H);
        if (FnBoutonTouche(OUI_X)) {
            Message.SetActive(false);
            Message.SetConfirm(true);
            Message.SetClick(true);
        }
        if (FnBoutonTouche(NON_X)) {
            Message.SetActive(false);
            Message.SetConfirm(false);
            Message.SetClick(true);
        }
    } else {
        DrawImage(ImgBtn, OK_X, BOUTON_Y, 2 * BOUTON_L, 0, BOUTON_L, BOUTON_H);
        if (FnBoutonTouche(OK_X)) Message.SetActive(false);
    }
}

// Width in pixels of a text in the box's font (0 if it cannot be measured).
static int FnLargeurMessage(const char* texte)
{
    int largeur = 0;
    int hauteur = 0;
    if (TTF_SizeText(font8, texte, &largeur, &hauteur) != 0) return 0;
    return largeur;
}

void FnCoupeTexteMessage(char* dest, const char* texte, int largeur)
{
    int n = FnCopieBornee(dest, texte, MESSAGE_TAILLE - 1);
    if (texte[n] == 0 && FnLargeurMessage(dest) <= largeur) return;
    if (n > MESSAGE_TAILLE - 4) n = MESSAGE_TAILLE - 4;  // room for "..." and the terminator
    strcpy(dest + n, "...");
    while (n > 0 && FnLargeurMessage(dest) > largeur) {
        n--;
        strcpy(dest + n, "...");
    }
}

int FnActionConfirmee()
{
    if (!(Message.GetClick() && Message.GetConfirm())) return ACTION_AUCUNE;
    Message.SetClick(false);
    return Message.GetAction();
}
