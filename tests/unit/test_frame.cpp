// The frame: page switch button, quit paths and the message box over both screens.
#include "support.h"

using test::ClickAt;
using test::Frame;
using test::Pixel;

namespace {

class FrameTest : public test::ProgramTest {};

TEST_F(FrameTest, StartsOnTheFileListWithTheLettersPage)
{
    Frame();
    EXPECT_EQ(Etape, 0);
    EXPECT_EQ(Fonction, 0);
    EXPECT_EQ(ClavierDebut, 0);
    EXPECT_EQ(ClavierFin, 28);
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_EQ(Pixel(200, 60), 0xFFFFFFu) << "the screen is cleared white";
}

TEST_F(FrameTest, PageSwitchAnswersInsideItsStrictEdges)
{
    ClickAt(288, 220);
    ClickAt(300, 208);
    EXPECT_EQ(Fonction, 0);
    ClickAt(289, 209);
    EXPECT_EQ(Fonction, 1);
    EXPECT_EQ(ClavierDebut, 29);
    EXPECT_EQ(ClavierFin, 57);
    ClickAt(319, 239);
    EXPECT_EQ(Fonction, 0);
    EXPECT_EQ(ClavierDebut, 0);
    EXPECT_EQ(ClavierFin, 28);
}

TEST_F(FrameTest, TheKeyboardPictureFollowsThePage)
{
    Frame();
    std::vector<Uint32> letters;
    for (int x = 0; x < 288; x += 3) letters.push_back(Pixel(x, 160));
    ClickAt(300, 220);
    Frame();  // the switch acts after the strip is drawn
    std::vector<Uint32> signs;
    for (int x = 0; x < 288; x += 3) signs.push_back(Pixel(x, 160));
    EXPECT_NE(letters, signs);
}

TEST_F(FrameTest, ScreenSeesTheClickWithThePageItHad)
{
    // Nothing of the letters page lies under the switch button, so its click types nothing.
    ChaineTitre[0] = 0;
    ClickAt(300, 220);
    EXPECT_STREQ(ChaineTitre, "");
    EXPECT_EQ(Fonction, 1);
}

TEST_F(FrameTest, ShouldersQuitAfterTheFrameCompletes)
{
    TFL = TFR = 1;
    Frame();
    EXPECT_EQ(done, 1);
    TFL = TFR = 0;
}

TEST_F(FrameTest, PageSwitchWorksUnderAnOpenQuestion)
{
    ClickAt(288, 10);  // quit icon
    ASSERT_TRUE(Message.GetActive());
    ClickAt(300, 220);
    EXPECT_EQ(Fonction, 1);
    EXPECT_TRUE(Message.GetActive());
    EXPECT_EQ(done, 0);
}

// ---- The message box ----

TEST_F(FrameTest, QuestionButtonsAnswerInsideTheirStrictEdges)
{
    ClickAt(288, 10);
    ASSERT_TRUE(Message.GetActive());
    EXPECT_EQ(Message.GetType(), 1);
    EXPECT_STREQ(Message.GetLine1(), "Would you want to quit?");
    EXPECT_NE(Pixel(60, 95), 0xFFFFFFu) << "the panel is drawn";

    for (auto [x, y] : {std::pair{130, 134}, {154, 134}, {140, 128}, {140, 140}, {100, 120}}) {
        ClickAt(x, y);
        EXPECT_TRUE(Message.GetActive()) << x << "," << y;
    }
    ClickAt(131, 129);
    EXPECT_FALSE(Message.GetActive());
    EXPECT_EQ(done, 1) << "the confirmed quit ends the loop after this frame";
}

TEST_F(FrameTest, DeclinedQuestionNeverActsLater)
{
    Note("n1", "x");
    Restart();
    ClickAt(40, 26);  // pick row 0
    ASSERT_STREQ(ChaineTitre, "n1");
    ClickAt(88, 10);  // delete icon
    ASSERT_TRUE(Message.GetActive());
    ClickAt(193, 139);
    EXPECT_FALSE(Message.GetActive());
    EXPECT_FALSE(Message.GetConfirm());
    EXPECT_TRUE(Message.GetClick());
    for (int i = 0; i < 3; i++) Frame();
    EXPECT_TRUE(test::Exists("dossier/n1"));
    EXPECT_EQ(ListeFichier.NbLignes, 1);

    // A later question acts only on its own confirm.
    ClickAt(288, 10);
    ClickAt(171, 135);
    EXPECT_EQ(done, 0);
    EXPECT_TRUE(test::Exists("dossier/n1"));
}

TEST_F(FrameTest, NoticeClosesOnAcknowledgeOnlyAndCarriesOutNothing)
{
    Message.SetMessage("File saved", "", false, 0, 0);
    Frame();
    EXPECT_NE(Pixel(151, 129), Pixel(100, 60)) << "the acknowledge button is drawn";
    ClickAt(150, 134);
    ClickAt(174, 134);
    EXPECT_TRUE(Message.GetActive());
    ClickAt(151, 129);
    EXPECT_FALSE(Message.GetActive());
    Frame();
    EXPECT_EQ(done, 0);
    EXPECT_FALSE(Message.GetClick());
    EXPECT_EQ(Pixel(60, 95), 0xFFFFFFu) << "the box is gone the next frame";
}

}  // namespace
