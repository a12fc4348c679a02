// The frame: page switch button, quit paths and the message box over both screens.
#include <malloc.h>

#include "draw.h"
#include "message_box.h"
#include "notes.h"
#include "screens.h"
#include "resources.h"
#include "support.h"

namespace {

using namespace test;
using FrameTest = ProgramTest;

// The file list and the letters page first, on a cleared screen. The switch answers inside
// its strict edges, under an open question too. The keyboard's picture follows the page:
// nothing of the letters page lies under the switch button, and the screen sees its click
// with the page it had, so that click types nothing.
TEST_F(FrameTest, StartsOnTheLettersPageThatTheSwitchChangesInsideItsStrictEdges)
{
    Frame();
    EXPECT_EQ(Etape, 0);
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_EQ(Pixel(200, 60), 0xFFFFFFu) << "the screen is cleared white";
    std::vector<Uint32> letters = Pixels(0, 160, 288, 1);
    // Where it is clicked (nowhere at first), then the page and the keys it shows.
    for (auto [x, y, fonction, debut, fin] :
         {std::tuple{-1, -1, 0, 0, 28}, {SWITCH_X, SWITCH_Y + 12, 0, 0, 28}, {SWITCH_X + 12, SWITCH_Y, 0, 0, 28},
          {SWITCH_X + 1, SWITCH_Y + 1, 1, 29, 57}, {ECRAN_LARGEUR - 1, ECRAN_HAUTEUR - 1, 0, 0, 28}}) {
        if (x >= 0) ClickAt(x, y);
        EXPECT_EQ(Fonction, fonction) << x << ", " << y;
        EXPECT_EQ(ClavierDebut, debut) << x << ", " << y;
        EXPECT_EQ(ClavierFin, fin) << x << ", " << y;
    }
    SwitchPage();
    EXPECT_STREQ(ChaineTitre, "");
    Frame();  // the switch acts after the strip is drawn
    EXPECT_NE(Pixels(0, 160, 288, 1), letters);

    QuitIcon();
    ASSERT_TRUE(Message.GetActive());
    SwitchPage();
    EXPECT_EQ(Fonction, 0);
    EXPECT_TRUE(Message.GetActive());
    EXPECT_EQ(done, 0);
    TFL = TFR = 1;
    Frame();
    EXPECT_EQ(done, 1) << "both shoulders quit after the frame, under a question too";
    TFL = TFR = 0;
}

// ---- The message box ----

// Each box's button answers inside its strict edges only, and does only its own answer:
// acknowledge closes the notice, a declined question never acts later, nor on a later
// question's answer, and a confirmed quit ends the loop after its frame.
TEST_F(FrameTest, ButtonsAnswerInsideTheirStrictEdgesAndDoOnlyTheirOwn)
{
    auto edges = [](int x) {  // on the edges of the button at x, and away from it
        const int mid = BOUTON_Y + BOUTON_H / 2;
        for (auto [px, py] : {std::pair<int, int>{x, mid}, {x + BOUTON_L, mid}, {x + 10, BOUTON_Y},
                              {x + 10, BOUTON_Y + BOUTON_H}, {100, 120}}) {
            ClickAt(px, py);
            EXPECT_TRUE(Message.GetActive()) << x << ": " << px << "," << py;
        }
    };
    Message.SetMessage("File saved", "", false, 0, 0);
    Frame();
    EXPECT_NE(Pixel(OK_X + 1, BOUTON_Y + 1), Pixel(100, 60)) << "the acknowledge button is drawn";
    edges(OK_X);
    ClickAt(OK_X + 1, BOUTON_Y + 1);
    EXPECT_FALSE(Message.GetActive());
    Frame();
    EXPECT_EQ(done, 0);
    EXPECT_FALSE(Message.GetClick());
    EXPECT_EQ(Pixel(PANNEAU_X, PANNEAU_Y), 0xFFFFFFu) << "the box is gone the next frame";

    Names({"n1"});
    ASSERT_TRUE(Pick("n1"));
    DeleteIcon();
    edges(NON_X);
    ClickAt(NON_X + BOUTON_L - 1, BOUTON_Y + BOUTON_H - 1);
    EXPECT_FALSE(Message.GetActive());
    EXPECT_FALSE(Message.GetConfirm());
    EXPECT_TRUE(Message.GetClick());
    for (int i = 0; i < 3; i++) Frame();
    EXPECT_EQ(ListeFichier.NbLignes, 1);

    QuitIcon();
    ClickAt(NON_X + 1, BOUTON_Y + 7);
    EXPECT_EQ(done, 0);
    QuitIcon();
    EXPECT_EQ(Message.GetType(), MESSAGE_QUESTION);
    EXPECT_STREQ(Message.GetLine1(), "Would you want to quit?");
    EXPECT_NE(Pixel(PANNEAU_X, PANNEAU_Y), 0xFFFFFFu) << "the panel is drawn";
    edges(OUI_X);
    ClickAt(OUI_X + 1, BOUTON_Y + 1);
    EXPECT_FALSE(Message.GetActive());
    EXPECT_EQ(done, 1) << "the confirmed quit ends the loop after this frame";
    EXPECT_TRUE(Exists("dossier/n1"));
}

// Every failure has words, and they fit the box's second line.
TEST_F(FrameTest, EveryReasonHasWordsThatFitTheBox)
{
    for (int r = RES_OK + 1; r < RES_NOMBRE; r++) {
        const char* texte = FnTexteResultat((Resultat)r);
        ASSERT_TRUE(texte != nullptr && texte[0] != 0) << r;
        int w = 0, h = 0;
        TTF_SizeText(font8, texte, &w, &h);
        EXPECT_LE(w, MESSAGE_TEXTE_L) << texte;
    }
}

}  // namespace

// ---- Where every picture lands ----

// The screen above the keyboard, frame by frame, against a reference composed here from
// the same pictures, placed with the layout's own numbers (not the program's constants, so
// that a wrong constant shows): every picture, one pixel off or missing, every extra
// picture, a row numbered from 0 and a cursor mark never drawn show as differing pixels.
class PicturesTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ref_ = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, ecran->format->Rmask,
                                    ecran->format->Gmask, ecran->format->Bmask, 0);
        SDL_FillRect(ref_, nullptr, SDL_MapRGB(ref_->format, 255, 255, 255));
    }
    void TearDown() override
    {
        SDL_FreeSurface(ref_);
        ProgramTest::TearDown();
    }
    void Put(SDL_Surface* picture, int x, int y, int sx, int sy, int w, int h)
    {
        SDL_Rect src = {(Sint16)sx, (Sint16)sy, (Uint16)w, (Uint16)h};
        SDL_Rect dst = {(Sint16)x, (Sint16)y, 0, 0};
        SDL_BlitSurface(picture, &src, ref_, &dst);
    }
    // What both screens draw around their own icons: the strips first; then the bar on
    // row `bar`, rows numbered 1 to `rows`, the arrows and the shift mark.
    void Strips()
    {
        Put(ImgTitre, 0, 0, 0, 0, 320, 20);
        Put(ImgNoLigne, 0, 20, 0, 0, 15, 100);
    }
    void Rows(int bar, int rows)
    {
        Put(Curseur, 15, 24 + 12 * bar, 0, 0, 285, 12);
        for (int r = 0; r < rows; r++)
            drawText(ref_, std::to_string(r + 1).c_str(), 1, 20 + 12 * r, 255, 255, 255);
        Put(ImgFleche, 301, 20, 19, 0, 19, 20);
        Put(ImgFleche, 301, 100, 0, 0, 19, 20);
        Put(ImgPuce, 280, 130, 0, 0, 32, 8);
    }
    void ListIcons()
    {
        Put(ImgTexte, 0, 124, 0, 0, 320, 96);
        for (int k = 0; k < 3; k++) Put(ImgIcone, 20 + 30 * k, 2, 16 * k, 0, 16, 16);
        Put(ImgIcone, 280, 2, 64, 0, 16, 16);
    }
    void Box(bool question, const char* line1)
    {
        Put(ImgMessage, 60, 95, 0, 0, 200, 50);
        drawMessage(ref_, line1, 70, 100, 0, 0, 0);
        if (question) {
            Put(ImgBtn, 130, 128, 0, 0, 24, 12);
            Put(ImgBtn, 170, 128, 24, 0, 24, 12);
        } else {
            Put(ImgBtn, 150, 128, 48, 0, 24, 12);
        }
    }
    // Pixels that differ from the reference, above the keyboard unless told otherwise, with
    // the first of them.
    std::string Differences(int x0 = 0, int y0 = 0, int y1 = 144)
    {
        int n = 0;
        std::string first;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < 320; x++) {
                if (Pixel(x, y) != Pixel(x, y, ref_) && n++ == 0)
                    first = " first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        return n == 0 ? "" : std::to_string(n) + " pixels differ;" + first;
    }
    SDL_Surface* ref_ = nullptr;
};

// The texts are drawn in the 12- and 11-point sizes of the card's font, and checking the
// resources again (as each start does once) keeps no memory and no open file.
TEST_F(PicturesTest, FontSizesAndAResourceCheckThatKeepsNothing)
{
    for (auto [font, points] : {std::pair{police, 12}, std::pair{font8, 11}}) {
        TTF_Font* attendue = TTF_OpenFont("arial.ttf", points);
        ASSERT_NE(attendue, nullptr);
        EXPECT_EQ(TTF_FontHeight(font), TTF_FontHeight(attendue)) << points;
        TTF_CloseFont(attendue);
    }
    size_t avant = mallinfo2().uordblks;
    long ouverts = OpenDescriptors();
    for (int i = 0; i < 20; i++) {
        SDL_FreeSurface(ImgBtn);  // one picture loaded anew each time
        ImgBtn = nullptr;
        ASSERT_TRUE(FnChargeRessources());
    }
    EXPECT_LT(mallinfo2().uordblks, avant + 4096);
    EXPECT_EQ(OpenDescriptors(), ouverts);
}

TEST_F(PicturesTest, EmptyListThenItsQuitQuestion)
{
    Frame();
    Strips();
    ListIcons();
    Rows(0, 6);
    EXPECT_EQ(Differences(), "");
    Put(ImgSwitch, SWITCH_X, SWITCH_Y, 0, 0, SWITCH_TAILLE, SWITCH_TAILLE);
    EXPECT_EQ(Differences(SWITCH_X, SWITCH_Y, ECRAN_HAUTEUR), "") << "the page switch";

    Message.SetMessage("Would you want to quit?", "", false, MESSAGE_QUESTION, ACTION_QUITTER);
    Frame();
    Box(true, "Would you want to quit?");
    EXPECT_EQ(Differences(), "");
}

TEST_F(PicturesTest, EditorWithAndWithoutTheMarkThenItsNotice)
{
    std::snprintf(ChaineTitre, sizeof ChaineTitre, "%s", "new");
    FnReadFile(ChaineTitre);  // a missing note: one empty line
    Etape = 1;
    FrameWithMark(0);
    Strips();
    Put(ImgIcone, 20, 2, 48, 0, 16, 16);
    Put(ImgIcone, 54, 2, 80, 0, 16, 16);
    Rows(0, 1);
    EXPECT_EQ(Differences(), "");

    FrameWithMark(1);
    drawText(ref_, "|", 20, 20, 0, 0, 255);
    EXPECT_EQ(Differences(), "") << "the mark after the line's last character";

    Message.SetMessage("File saved", "", false, MESSAGE_INFORMATION, ACTION_AUCUNE);
    FrameWithMark(1);
    Box(false, "File saved");
    EXPECT_EQ(Differences(), "");
}
