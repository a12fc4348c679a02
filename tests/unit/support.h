// Shared fixture for the tests that run the program's frame: a scratch working directory
// holding the font and the pictures, a dummy-driver screen, and the start-up state.
#pragma once

#include <gtest/gtest.h>
#include <SDL.h>
#include <sys/wait.h>
#include <functional>
#include <string>
#include <vector>

#include "../support/scratch.h"
#include "globals.h"
#include "message_box.h"
#include "screens.h"

namespace test {

// Links the font and the pictures into the current folder.
void StageAssets();

// Writes a new file (a FAT driver in user space ignores O_TRUNC on an existing one); a
// failure ends the test.
void WriteFile(const std::string& path, const std::string& bytes);

// Brings SDL up once for the whole test binary (dummy drivers) and loads the resources.
void EnsureScreen();

// Puts every global back to what start-up leaves, reading the catalogue from the
// current folder's "dossier/".
void ResetProgram();

// Colour of a pixel of the screen (or of another 16-bit surface) as 0xRRGGBB.
Uint32 Pixel(int x, int y, SDL_Surface* s = ecran);

// The pixels of the screen's rectangle (x, y, w, h), row by row.
std::vector<Uint32> Pixels(int x, int y, int w, int h);

// The same rectangle after the whole text alone was drawn with drawText at (tx, ty) on a
// white screen: what a row showed before rows were cut.
std::vector<Uint32> WholeText(const std::string& text, int tx, int ty, int x, int y, int w, int h);

// The width of the text in the 12-point font, kerning included.
int Width(const std::string& text);

// Text of the screens' own colours, black or blue: not white, nor the bar's light blue.
bool Ink(Uint32 pixel);
// Whether any pixel of the rectangle from (x0, y0) to (x1, y1) inclusive is ink.
bool InkIn(int x0, int y0, int x1, int y1);
// The number of pixels that differ between two same-sized lists.
int Differences(const std::vector<Uint32>& a, const std::vector<Uint32>& b);

// Frame driving: one frame after the input globals were set as given.
void Frame();                                   // no input
void FrameWithMark(int shown);                  // the cursor mark held shown (1) or hidden (0)
void ClickAt(int x, int y);                     // a touch released at (x, y)
void Press(int* button);                        // TUP or TDOWN for one frame

// Screen centre of key i (as the screens test it, with the origin placed).
int KeyX(int i);
int KeyY(int i);

// Types text on the letters or numbers page by clicking key centres, switching pages and
// shift as needed; '\n' is the new-line key, '\b' backspace.
void Type(const std::string& text);

// Where the screens answer a click: the middle of what the program's layout places there.
inline int RowY(int r) { return BARRE_Y + RANGEE_H * r + RANGEE_H / 2; }
inline void Icon(int x) { ClickAt(x + ICONE_TAILLE / 2, ICONE_Y + ICONE_TAILLE / 2); }
inline void Button(int x) { ClickAt(x + BOUTON_L / 2, BOUTON_Y + BOUTON_H / 2); }
inline void Create() { Icon(CREER_X); }
inline void OpenIcon() { Icon(OUVRIR_X); }
inline void DeleteIcon() { Icon(SUPPRIMER_X); }
inline void QuitIcon() { Icon(QUITTER_X); }
inline void Save() { Icon(SAUVER_X); }
inline void Back() { Icon(RETOUR_X); }
inline void Confirm() { Button(OUI_X); }
inline void Decline() { Button(NON_X); }
inline void Acknowledge() { Button(OK_X); }
inline void Shift() { ClickAt(MAJ_X + 16, MAJ_Y + 4); }
inline void SwitchPage() { ClickAt(SWITCH_X + 16, SWITCH_Y + 16); }
inline void ArrowUp() { ClickAt(FLECHE_X + 9, FLECHE_HAUT_Y + 10); }
inline void ArrowDown() { ClickAt(FLECHE_X + 9, FLECHE_BAS_Y + 10); }

// Picks the list's row showing this name, scrolling from the top; false when it is not
// listed.
bool Pick(const std::string& name);

// The number of descriptors this process holds open.
long OpenDescriptors();

// Runs f in a child process, which exits with what f returns (limits, signals and a changed
// user stay there). Its exit status (100 when it did not exit), and what failed: "" when it
// exited with 0, else the text it gave Failed() or how it ended.
struct ChildEnd { int status; std::string failed; };
ChildEnd EndOfChild(pid_t pid);
int Failed(const std::string& what);  // in the child: tells the parent what failed; returns 1
template <class F> ChildEnd RunInChild(F f)
{
    pid_t pid = fork();
    if (pid != 0) return EndOfChild(pid);
    // A fatal failure ends the child, not the rest of the suite run there.
    try { _exit(f()); } catch (...) { _exit(Failed("a fatal failure, shown above")); }
}

// write, open, close, unlink, remove and fdopen, replaced for the whole test binary
// (interposed.cpp) to fail as a card does. A power cut: op runs in a child that ends at its
// k-th write or removal, before it, or (a write, demi) once half of it is written; true when
// op ended first. A card that refuses the EchoueA-th write from now (a full one), a file it
// cannot open for reading (RefuseLecture), a stream that cannot be made (RefuseFlux), a file
// whose path holds RefuseFermeture reporting a write error as it is closed.
bool CoupeeA(int k, bool demi, const std::function<void()>& op);
extern int EchoueA;
extern const char *RefuseLecture, *RefuseFermeture;
extern bool RefuseFlux;

// Fixture for the folder tests: a scratch folder holding an empty "dossier/", made in
// SCRIVELLE_TESTS_DOSSIER when set (on a FAT card, for the card tests), and empty buffers.
class FolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void SetUpIn(const std::string& parent);  // SetUp with the scratch folder made in parent
    void TearDown() override { delete dir_; }
    ScratchDir* dir_ = nullptr;
};

// Fixture for frame-level tests: scratch folder with "dossier/", screen, start-up state.
class ProgramTest : public FolderTest {
protected:
    void SetUp() override { SetUpIn("/tmp"); }
    void SetUpIn(const std::string& parent);
    // Writes a note file into dossier/ before the catalogue is read by Restart().
    void Note(const std::string& name, const std::string& bytes) { WriteFile("dossier/" + name, bytes); }
    void Restart() { ResetProgram(); }  // re-run the start-up state with the folder as it is now
    std::string NoteBytes(const std::string& name) { return ReadFile("dossier/" + name); }
    // Writes empty notes of these names and starts again.
    void Names(const std::vector<std::string>& names);
    // Writes the note, starts again and opens it from the list.
    void Open(const std::string& name, const std::string& bytes);
    // The row of the first screen showing this name (the folder yields names in its order).
    int RowOf(const std::string& name);
};

}  // namespace test
