// Shared fixture for the tests that run the program's frame: a scratch working directory
// holding the font and the pictures, a dummy-driver screen, and the start-up state.
#pragma once

#include <gtest/gtest.h>
#include <SDL.h>
#include <string>
#include <vector>

#include "globals.h"

namespace test {

// A fresh temporary folder, entered on construction and removed (with what it holds)
// on destruction; the previous working directory is restored.
class ScratchDir {
public:
    ScratchDir();
    explicit ScratchDir(const std::string& parent);  // made in parent instead of /tmp
    ~ScratchDir();
    const std::string& path() const { return path_; }
private:
    std::string path_;
    std::string previous_;
};

// Where a test that saves thousands of times makes its scratch folder: /dev/shm when the
// machine has it, so that each save's sync costs nothing, else /tmp.
std::string MemoryTmp();

// Links the font and the pictures into the current folder.
void StageAssets();

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Brings SDL up once for the whole test binary (dummy drivers) and loads the resources.
void EnsureScreen();

// Puts every global back to what start-up leaves, reading the catalogue from the
// current folder's "dossier/".
void ResetProgram();

// Colour of a screen pixel as 0xRRGGBB.
Uint32 Pixel(int x, int y);

// The pixels of the screen's rectangle (x, y, w, h), row by row.
std::vector<Uint32> Pixels(int x, int y, int w, int h);

// The same rectangle after the whole text alone was drawn with drawText at (tx, ty) on a
// white screen: what a row showed before rows were cut.
std::vector<Uint32> WholeText(const std::string& text, int tx, int ty, int x, int y, int w, int h);

// Text of the screens' own colours, black or blue: not white, nor the bar's light blue.
bool Ink(Uint32 pixel);
// Whether any pixel of the rectangle from (x0, y0) to (x1, y1) inclusive is ink.
bool InkIn(int x0, int y0, int x1, int y1);
// The number of pixels that differ between two same-sized lists.
int Differences(const std::vector<Uint32>& a, const std::vector<Uint32>& b);

// Frame driving: one frame after the input globals were set as given.
void Frame();                                   // no input
void ClickAt(int x, int y);                     // a touch released at (x, y)
void Press(int* button);                        // TUP or TDOWN for one frame

// Screen centre of key i (as the screens test it, with the origin placed).
int KeyX(int i);
int KeyY(int i);

// Types text on the letters or numbers page by clicking key centres, switching pages and
// shift as needed; '\n' is the new-line key, '\b' backspace.
void Type(const std::string& text);

// Fixture for frame-level tests: scratch folder with "dossier/", screen, reset state.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void SetUpIn(const std::string& parent);  // SetUp with the scratch folder made in parent
    void TearDown() override;
    // Writes a note file into dossier/ before the catalogue is read by Restart().
    void Note(const std::string& name, const std::string& bytes);
    void Restart();  // re-run the start-up state with the folder as it is now
    std::string NoteBytes(const std::string& name);
    ScratchDir* dir_ = nullptr;
};

}  // namespace test
