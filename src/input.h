// The input state: the pointer, the frame's click and the buttons, read once per frame.
#ifndef INPUT_H
#define INPUT_H

// Desktop keys and handheld buttons that the program reads.
enum {
    JOY_HAUT = 0,      // handheld buttons, joystick 0
    JOY_BAS = 4,
    JOY_L = 10,
    JOY_R = 11
};

// Resets the one-frame flags, reads the pointer and drains SDL's event queue into the
// input globals. Sets done on the window's quit event and on Ctrl with c. Losing the
// keyboard or the pointer releases every held button and key.
void FnLireEntrees();

#endif
