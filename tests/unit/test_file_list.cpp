// The file list, driven frame by frame through the input globals.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "notes.h"
#include "support.h"

using test::ClickAt;
using test::Frame;
using test::KeyX;
using test::KeyY;
using test::Type;

namespace {

int RowY(int r) { return 24 + 12 * r + 6; }

const int RANGEES_TEST = 6;  // rows of the list

// Whether row r showed a name in the last frame: dark pixels in the upper part of its text.
bool RowHasInk(int r)
{
    for (int y = 23 + 12 * r; y < 31 + 12 * r; y++)
        for (int x = 20; x < 200; x++) {
            Uint32 p = test::Pixel(x, y);
            if ((p >> 16) < 0x50 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x50) return true;
        }
    return false;
}

class FileListTest : public test::ProgramTest {
protected:
    void Names(std::initializer_list<const char*> names)
    {
        for (const char* n : names) Note(n, "");
        Restart();
    }
    // The folder yields names in its own order: find a name's row on the first screen.
    int RowOf(const char* name)
    {
        for (int i = 0; i < ListeFichier.NbLignes; i++)
            if (std::string(ListeFichier.Lignes[i].Caracteres) == name) return i - ListeFichier.LigneDebut;
        ADD_FAILURE() << name << " not listed";
        return 0;
    }
    std::string Last() { return ListeFichier.Lignes[ListeFichier.NbLignes - 1].Caracteres; }
    void Create() { ClickAt(28, 10); }
    void OpenIcon() { ClickAt(58, 10); }
    void DeleteIcon() { ClickAt(88, 10); }
    void Confirm() { ClickAt(140, 134); }
    void Decline() { ClickAt(180, 134); }
    void Acknowledge() { ClickAt(160, 134); }
};

TEST_F(FileListTest, TypedNamesStopAtTwentyAndEraseCleanly)
{
    Type("abcdefghijklmnopqrstu");
    EXPECT_STREQ(ChaineTitre, "abcdefghijklmnopqrst");
    EXPECT_EQ(IndChar, 20);

    Restart();
    Type("\b");
    EXPECT_STREQ(ChaineTitre, "");
    EXPECT_EQ(IndChar, 0);
    Type("aby\b");
    EXPECT_STREQ(ChaineTitre, "ab");
    EXPECT_EQ(IndChar, 2);
    Create();
    EXPECT_TRUE(test::Exists("dossier/ab")) << "the created name has no trailing space";
    EXPECT_TRUE(FindFile("ab"));
    Type("x");
    EXPECT_STREQ(ChaineTitre, "abx");
}

// Rows show a name up to the arrows as the whole name would; the name field shows a picked
// name wider than itself by its end, and holds the whole name.
TEST_F(FileListTest, LongNamesAreCutAtTheRowAndAPickedOneShowsItsEnd)
{
    const std::string fits = "The quick brown fox jumps over a lazy do";
    const std::string longest = std::string(240, '.') + "WWWWWWW";  // 247 bytes
    Names({fits.c_str(), longest.c_str()});
    ClickAt(40, RowY(5));  // the bar away from the names
    for (const std::string& name : {fits, longest}) {
        Frame();
        int y = 20 + 12 * RowOf(name.c_str());
        std::vector<Uint32> shown = test::Pixels(20, y, 281, 14);
        EXPECT_EQ(test::Differences(shown, test::WholeText(name, 20, y, 20, y, 281, 14)), 0)
            << name.size() << " bytes";
    }

    ClickAt(40, RowY(RowOf(longest.c_str())));
    EXPECT_EQ(ChaineTitre, longest);
    Frame();
    EXPECT_TRUE(test::InkIn(200, 126, 267, 131)) << "the name's end, its W";
    EXPECT_FALSE(test::InkIn(268, 126, 272, 131)) << "nothing past the field's edge";
    EXPECT_FALSE(test::InkIn(10, 126, 150, 131)) << "its start, dots only, is not in sight";
}

TEST_F(FileListTest, OnlyNameKeysOfTheSecondPageType)
{
    Type("\n");
    EXPECT_STREQ(ChaineTitre, "") << "new line does nothing here";
    ClickAt(300, 220);
    for (int i = 29; i <= 57; i++) ClickAt(KeyX(i), KeyY(i));
    EXPECT_STREQ(ChaineTitre, "0123456789_-");
    Restart();
    Type("A b");
    EXPECT_STREQ(ChaineTitre, "A b") << "shift and the space key work in names";
}

TEST_F(FileListTest, PickingSetsTheNameAndTypingStartsANewOne)
{
    Names({"alpha"});
    ClickAt(40, RowY(0));
    EXPECT_STREQ(ChaineTitre, "alpha");
    EXPECT_EQ(IndChar, 0);
    Type("\b");
    EXPECT_STREQ(ChaineTitre, "alpha") << "backspace waits for a typed character";
    Type("x");
    EXPECT_STREQ(ChaineTitre, "x");

    ClickAt(40, RowY(3));  // past the last name
    EXPECT_STREQ(ChaineTitre, "");
    EXPECT_EQ(ListeFichier.LigneActive, 3);
    OpenIcon();
    DeleteIcon();
    EXPECT_EQ(Etape, 0);
    EXPECT_FALSE(Message.GetActive());
    Create();
    EXPECT_EQ(ListeFichier.NbLignes, 1);
    EXPECT_EQ(ListeFichier.LigneActive, 0) << "create still moves the bar";
}

TEST_F(FileListTest, CreateMovesTheBarToTheNewName)
{
    Create();
    EXPECT_EQ(ListeFichier.LigneActive, 0) << "empty list, empty name";
    EXPECT_EQ(ListeFichier.NbLignes, 0);

    Names({"a", "b", "c"});
    Type("d");
    Create();
    EXPECT_EQ(ListeFichier.NbLignes, 4);
    EXPECT_EQ(ListeFichier.LigneActive, 3);
    EXPECT_EQ(Last(), "d");
    EXPECT_EQ(test::ReadFile("dossier/d"), "");
    EXPECT_EQ(Etape, 0) << "the new note is not opened";

    Names({"e", "f", "g"});  // seven names now
    ASSERT_EQ(ListeFichier.NbLignes, 7);
    Type("h");
    Create();
    EXPECT_EQ(ListeFichier.NbLignes, 8);
    EXPECT_EQ(ListeFichier.LigneDebut, 2);
    EXPECT_EQ(ListeFichier.LigneActive, 5);
    EXPECT_EQ(Last(), "h");
}

// Seven names scrolled down once: a delete moves the window back to the first name, so the
// list never shows fewer rows of names than it has; create after it shows the new name.
TEST_F(FileListTest, DeleteWhileScrolledKeepsTheWindowOnTheNames)
{
    Names({"a", "b", "c", "d", "e", "f", "g"});
    test::Press(&TDOWN);
    ASSERT_EQ(ListeFichier.LigneDebut, 1);
    for (int k = 0; k < 2; k++) {
        ClickAt(40, RowY(0));
        DeleteIcon();
        Confirm();
        EXPECT_EQ(ListeFichier.LigneDebut, 0) << "after delete " << k + 1;
        EXPECT_EQ(ListeFichier.LigneActive, 0) << "the bar keeps its row";
    }
    ASSERT_EQ(ListeFichier.NbLignes, 5);
    Frame();  // the frame of the confirm drew the list before the delete
    for (int r = 0; r < 5; r++) EXPECT_TRUE(RowHasInk(r)) << "row " << r << " shows a name";
    Type("y");
    Create();
    EXPECT_EQ(ListeFichier.NbLignes, 6);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
    EXPECT_EQ(ListeFichier.LigneActive, 5);
    EXPECT_STREQ(ListeFichier.Lignes[5].Caracteres, "y");
}

TEST_F(FileListTest, OpenOnlyListedNames)
{
    Names({"note"});
    Type("nope");
    OpenIcon();
    EXPECT_EQ(Etape, 0);
    ClickAt(40, RowY(0));
    OpenIcon();
    EXPECT_EQ(Etape, 1);
    Frame();  // the next frame is the editor's
    EXPECT_EQ(Texte.NbLignes, 1);
}

TEST_F(FileListTest, DeleteAsksDeclineKeepsConfirmRemoves)
{
    Names({"x", "y", "z"});
    Type("nope");
    DeleteIcon();
    EXPECT_FALSE(Message.GetActive()) << "an unlisted name asks nothing";

    ClickAt(40, RowY(RowOf("y")));
    DeleteIcon();
    ASSERT_TRUE(Message.GetActive());
    EXPECT_STREQ(Message.GetLine1(), "Would you want to delete this file?");
    EXPECT_STREQ(Message.GetLine2(), "y") << "the question names the note";
    Decline();
    EXPECT_TRUE(test::Exists("dossier/y"));

    DeleteIcon();
    Confirm();
    EXPECT_FALSE(test::Exists("dossier/y"));
    EXPECT_FALSE(Message.GetActive()) << "a delete that worked says nothing";
    EXPECT_EQ(ListeFichier.NbLignes, 2);
    EXPECT_STREQ(ChaineTitre, "z") << "the name field shows the last listed name";
    EXPECT_EQ(IndChar, 0);
    DeleteIcon();
    EXPECT_STREQ(Message.GetLine2(), "z") << "a second delete names the note it would remove";
    Decline();
    Type("k");
    EXPECT_STREQ(ChaineTitre, "k") << "the next key starts a new name";
}

// Four notes, row 1 deleted: the bar keeps its row, and a second delete asks before it
// removes the last listed note that the name field now shows.
TEST_F(FileListTest, ASecondDeleteAsksAboutTheNoteItWouldRemove)
{
    Names({"a", "b", "c", "d"});
    std::string picked = ListeFichier.Lignes[1].Caracteres;
    std::string last = ListeFichier.Lignes[3].Caracteres;
    ClickAt(40, RowY(1));
    DeleteIcon();
    EXPECT_STREQ(Message.GetLine2(), picked.c_str());
    Confirm();
    EXPECT_FALSE(test::Exists("dossier/" + picked));
    EXPECT_EQ(ListeFichier.LigneActive, 1);
    EXPECT_EQ(ChaineTitre, last);
    DeleteIcon();
    ASSERT_TRUE(Message.GetActive());
    EXPECT_EQ(Message.GetLine2(), last);
    Decline();
    EXPECT_EQ(ListeFichier.NbLignes, 3);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("dossier"), {}), 3);

    // Scrolling still moves names under the bar without changing the name field.
    Names({"e", "f", "g", "h"});
    ClickAt(40, RowY(2));
    std::string name = ChaineTitre;
    test::Press(&TDOWN);
    EXPECT_EQ(ChaineTitre, name);
    DeleteIcon();
    EXPECT_EQ(Message.GetLine2(), name) << "the delete is of the picked name";
}

// The question's second line holds the name, cut with "..." to fit inside the panel.
TEST_F(FileListTest, DeleteQuestionNameIsCutToFitTheBox)
{
    const std::string longest(247, 'W');
    const std::string wide = "WWWWWWWWWWWWWWWWWWWWWWWWW";
    Names({longest.c_str(), wide.c_str(), "caf\xe9"});
    for (const std::string& name : {longest, wide, std::string("caf\xe9")}) {
        std::snprintf(ChaineTitre, sizeof ChaineTitre, "%s", name.c_str());
        DeleteIcon();
        ASSERT_TRUE(Message.GetActive()) << name;
        std::string line2 = Message.GetLine2();
        int w = 0, h = 0;
        TTF_SizeText(font8, line2.c_str(), &w, &h);
        EXPECT_LE(w, 185) << line2;
        EXPECT_GT(w, 150 * (name.size() > 10)) << "cut no shorter than needed: " << line2;
        if (name.size() > 10) {
            ASSERT_GT(line2.size(), 3u);
            EXPECT_EQ(line2.substr(line2.size() - 3), "...");
            EXPECT_EQ(name.compare(0, line2.size() - 3, line2, 0, line2.size() - 3), 0) << line2;
        } else {
            EXPECT_EQ(line2, name) << "a name that fits is shown whole";
        }
        Decline();
    }
    Frame();
    EXPECT_EQ(ListeFichier.NbLignes, 3);
}

// Every name leaving the list keeps the window on names: 20 names scrolled to the end and
// 15 deletes leave five names, all shown from the first row.
TEST_F(FileListTest, DeletesNeverLeaveAnEmptyScreen)
{
    for (int i = 0; i < 20; i++) Note("n" + std::to_string(i), "");
    Restart();
    for (int i = 0; i < 20; i++) test::Press(&TDOWN);
    ASSERT_EQ(ListeFichier.LigneDebut, 14);
    for (int k = 0; k < 15; k++) {
        int row = (k * 5) % RANGEES_TEST;
        if (ListeFichier.NbLignes <= RANGEES_TEST) row = row % ListeFichier.NbLignes;
        ClickAt(40, RowY(row));
        ASSERT_NE(ChaineTitre[0], 0) << "delete " << k;
        DeleteIcon();
        Confirm();
        int n = ListeFichier.NbLignes;
        EXPECT_EQ(n, 19 - k);
        EXPECT_LE(ListeFichier.LigneDebut, std::max(0, n - RANGEES_TEST)) << "delete " << k;
        EXPECT_EQ(ListeFichier.LigneActive, row) << "the bar keeps its row";
        Frame();  // the frame of the confirm drew the list before the delete
        for (int r = 0; r < std::min(n, RANGEES_TEST); r++)
            EXPECT_TRUE(RowHasInk(r)) << "delete " << k << ", row " << r;
    }
    EXPECT_EQ(ListeFichier.NbLignes, 5);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
}

// Failures say so in an information box, with the reason on its second line; a name
// that stays on the card stays listed and in the name field. Success stays silent.
TEST_F(FileListTest, FailedCreateAndDeleteSaySo)
{
    Type("fine");
    Create();
    EXPECT_FALSE(Message.GetActive()) << "a create that worked says nothing";
    EXPECT_TRUE(test::Exists("dossier/fine"));

    mkdir("dossier/folder", 0777);
    Note("folder/inside", "x");
    Restart();
    for (const char* name : {"folder"}) {
        ClickAt(40, RowY(RowOf(name)));
        DeleteIcon();
        Confirm();
        ASSERT_TRUE(Message.GetActive()) << name;
        EXPECT_EQ(Message.GetType(), MESSAGE_INFORMATION);
        EXPECT_STREQ(Message.GetLine1(), "File not deleted");
        EXPECT_STRNE(Message.GetLine2(), "") << name;
        EXPECT_TRUE(FindFile(name)) << "the name stays listed";
        EXPECT_STREQ(ChaineTitre, name);
        Acknowledge();
        EXPECT_FALSE(Message.GetActive());
    }
    EXPECT_STREQ(Message.GetLine2(), "It is a folder that is not empty");

    for (int i = ListeFichier.NbLignes; i < 50; i++) Note("f" + std::to_string(i), "");
    Restart();
    ASSERT_EQ(ListeFichier.NbLignes, 50);
    Type("more");
    Create();
    EXPECT_STREQ(Message.GetLine1(), "File not created");
    EXPECT_STREQ(Message.GetLine2(), "The list is full (50 notes)");
    EXPECT_EQ(ListeFichier.LigneActive, 5) << "the bar still goes to the last name";
    Acknowledge();

    std::filesystem::remove_all("dossier");
    test::WriteFile("dossier", "a file, not a folder");
    Restart();
    Type("note");
    Create();
    EXPECT_STREQ(Message.GetLine1(), "File not created");
    EXPECT_STREQ(Message.GetLine2(), "\"dossier\" is not a folder");
    EXPECT_EQ(ListeFichier.NbLignes, 0);
}

TEST_F(FileListTest, AnOpenQuestionSilencesTheScreen)
{
    Names({"a", "b", "c", "d", "e", "f", "g"});
    ClickAt(40, RowY(0));
    std::string picked = ChaineTitre;
    DeleteIcon();
    ASSERT_TRUE(Message.GetActive());
    ClickAt(40, RowY(2));
    ClickAt(KeyX(0), KeyY(0));
    ClickAt(290, 134);
    test::Press(&TDOWN);
    ClickAt(310, 110);
    Create();
    ClickAt(288, 10);
    EXPECT_EQ(ChaineTitre, picked);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
    EXPECT_EQ(ListeFichier.LigneActive, 0);
    EXPECT_FALSE(MonClavier.GetMaj());
    EXPECT_EQ(Message.GetAction(), 1);
    ClickAt(300, 220);
    EXPECT_EQ(Fonction, 1) << "the page switch still works";
}

TEST_F(FileListTest, ScrollsOnlyWhenThereIsMoreThanAScreen)
{
    Names({"a", "b", "c", "d", "e", "f"});
    test::Press(&TDOWN);
    ClickAt(310, 110);
    test::Press(&TUP);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);

    Names({"g"});
    ClickAt(40, RowY(2));
    test::Press(&TDOWN);
    EXPECT_EQ(ListeFichier.LigneDebut, 1);
    EXPECT_EQ(ListeFichier.LigneActive, 2) << "the bar keeps its row";
    ClickAt(310, 110);
    EXPECT_EQ(ListeFichier.LigneDebut, 1);
    ClickAt(310, 30);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
}

TEST_F(FileListTest, ConfirmedQuitEndsAfterTheFrameWithoutSaving)
{
    Names({"n"});
    ClickAt(40, RowY(0));
    OpenIcon();
    Type("unsaved");
    ClickAt(62, 10);  // back
    ClickAt(288, 10);
    EXPECT_STREQ(Message.GetLine1(), "Would you want to quit?");
    EXPECT_EQ(done, 0);
    Confirm();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(test::ReadFile("dossier/n"), "");
}

}  // namespace
