// Drawing and answering the message box, and reporting a confirmed question.
#ifndef MESSAGE_BOX_H
#define MESSAGE_BOX_H

// The panel, its two lines of text and its 24 by 12 buttons.
enum {
    PANNEAU_X = 60, PANNEAU_Y = 95, PANNEAU_L = 200, PANNEAU_H = 50,
    MESSAGE_TEXTE_X = 70, LIGNE1_Y = 100, LIGNE2_Y = 112,
    MESSAGE_TEXTE_L = 185,   // widest text that stays inside the panel
    BOUTON_Y = 128, BOUTON_L = 24, BOUTON_H = 12,
    OUI_X = 130,   // confirm
    NON_X = 170,   // decline
    OK_X = 150     // acknowledge
};

// Draws the open box over the frame and takes the frame's click on its buttons.
void DessineMessage();

// Copies the text into dest (MESSAGE_TAILLE bytes), cut and ended with "..." when it is
// wider than largeur pixels in the box's font or too long for a line. Measures the text:
// call it when a box opens, not every frame.
void FnCoupeTexteMessage(char* dest, const char* texte, int largeur);

// The action of a question confirmed in this frame (ACTION_SUPPRIMER or ACTION_QUITTER),
// reported once; ACTION_AUCUNE when there is none. The frame loop carries it out.
int FnActionConfirmee();

#endif
