// Drawing and answering the message box, and carrying out a confirmed question.
#ifndef MESSAGE_BOX_H
#define MESSAGE_BOX_H

// Draws the open box over the frame and takes the frame's click on its buttons.
void DessineMessage();

// Carries out a confirmed question once: delete the note named by ChaineTitre, or quit.
void ExecuteAction();

#endif
