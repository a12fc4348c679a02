// Every shared global of the program, declared once here and defined in globals.cpp.
// All state lives for the whole run; nothing is allocated but what SDL returns.
#ifndef GLOBALS_H
#define GLOBALS_H

#include <stdio.h>
#include <SDL.h>
#include <SDL_ttf.h>

#include "TClavier.h"
#include "TMessage.h"
#include "text_buffer.h"

enum {
    ECRAN_LARGEUR = 320,
    ECRAN_HAUTEUR = 240,
    ECRAN_BPP = 16,
    CLAVIER_Y = 144,          // the keyboard strip fills rows 144 to 239
    TITRE_TAILLE = 255,       // bytes of ChaineTitre
    CHAINE_TAILLE = 255,      // bytes of Chaine
    NOM_SAISI_MAX = 20,       // characters of a name typed on the file list
    RANGEES = 6               // rows of the six-line window of both screens
};

// ---- Display, fonts and pictures (start-up) ----
extern SDL_Surface* ecran;      // the 320 by 240, 16-bit display surface
extern TTF_Font* police;        // 12 points, for drawText
extern TTF_Font* font8;         // 11 points, for drawMessage (the message box)
extern SDL_Surface* Curseur;    // 285 by 12 highlight bar
extern SDL_Surface* ImgPuce;    // shift mark: off at x 0, on at x 32, 32 by 8 each
extern SDL_Surface* ImgIcone;   // 16 by 16 icons: create, open, delete, save, quit, back
extern SDL_Surface* ImgSwitch;  // 32 by 32 page switch button
extern SDL_Surface* ImgFleche;  // arrows, 19 by 20: down at x 0, up at x 19
extern SDL_Surface* ImgTitre;   // 320 by 20 title strip
extern SDL_Surface* ImgNoLigne; // 15 by 100 line-number strip
extern SDL_Surface* ImgNumerique; // numbers and symbols page, 320 by 96
extern SDL_Surface* ImgClavier;   // letters page, 320 by 96
extern SDL_Surface* ImgTexte;   // name field of the file list, 320 by 96
extern SDL_Surface* ImgMessage; // message box panel, 200 by 50 used
extern SDL_Surface* ImgBtn;     // confirm, decline, acknowledge buttons, 24 by 12 each

// ---- Drawing scratch rectangles (DrawImage) ----
extern SDL_Rect Position;  // destination
extern SDL_Rect Taille;    // source

// ---- Frame loop and screens ----
extern int done;           // nonzero ends the loop after the current frame
extern int Etape;          // 0 the file list, otherwise the editor
extern int Fonction;       // keyboard page: 0 letters, 1 numbers and symbols
extern int ClavierDebut;   // first and last key index of the active page
extern int ClavierFin;
extern char ChaineTitre[TITRE_TAILLE];  // the chosen note name
extern int IndChar;        // where the next typed character of a name goes, 0 to 20
extern char Chaine[CHAINE_TAILLE];      // scratch line through which every text line is drawn

// ---- Input state (refreshed by the event drain every frame) ----
extern SDL_Event event;
extern int MouseX;         // pointer in screen pixels
extern int MouseY;
extern bool Click;         // a left-button release in this frame
extern int TUP;            // up pressed in this frame (one-frame pulse)
extern int TDOWN;          // down pressed in this frame
extern int TFL;            // left shoulder button held
extern int TFR;            // right shoulder button held

// ---- Editor cursor blink ----
extern int tempsActuel;    // ticks read this frame
extern int tempsPrecedent; // ticks at the last blink change
extern int AfficheCurseur; // 1 while the cursor mark is shown

// ---- Notes ----
extern STexte ListeFichier;  // the catalogue of note names
extern STexte Texte;         // the open note
extern bool TexteIncomplet;  // the open note did not load whole: saving it is refused
extern FILE* fichier;        // the stream of the file operation under way, else null

// ---- The two objects, built before main runs: keyboard first ----
extern TClavier MonClavier;
extern TMessage Message;

#endif
