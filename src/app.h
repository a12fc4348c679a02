// Start-up and the frame: the spine of the program. main() runs Demarrage once, then
// Trame until done is set.
#ifndef APP_H
#define APP_H

// Exit statuses of a failed start-up.
enum {
    SORTIE_SDL = 1,        // SDL could not start, or found no graphical display
    SORTIE_VIDEO = 2,      // the video mode could not be set
    SORTIE_RESSOURCE = 3   // the font or a picture is missing, damaged or too small
};

// Brings up SDL, the fonts, the screen, the pictures, the catalogue and the keyboard.
// Returns 0, or one of the exit statuses above after printing the reason on stderr.
int Demarrage();

// Brings the program state to what start-up leaves: buffers cleared, letters page,
// empty name, catalogue read from "dossier/", keyboard placed at its strip.
void FnEtatInitial();

// One frame: read the input, then everything else (FnDerouleTrame).
void Trame();

// The frame after its input has been read: quit test, clear, screen, keyboard strip,
// page switch, message box, confirmed action, flip. Tests drive it through the input globals.
void FnDerouleTrame();

#endif
