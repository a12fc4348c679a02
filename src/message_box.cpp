// The message box on the screen: a panel, two lines and its buttons, answered by touch.
#include "globals.h"
#include "draw.h"
#include "notes.h"
#include "message_box.h"

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

void ExecuteAction()
{
    if (!(Message.GetClick() && Message.GetConfirm())) return;
    if (Message.GetAction() == ACTION_SUPPRIMER) {
        FnRemoveFile(ChaineTitre);
        // The name field now shows the last listed name: the next key starts a new name.
        IndChar = 0;
    } else if (Message.GetAction() == ACTION_QUITTER) {
        done = 1;
    }
    Message.SetClick(false);
}
