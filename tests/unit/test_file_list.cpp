// The file list, driven frame by frame through the input globals.
#include "notes.h"
#include "support.h"

using test::ClickAt;
using test::Frame;
using test::KeyX;
using test::KeyY;
using test::Type;

namespace {

int RowY(int r) { return 24 + 12 * r + 6; }

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

TEST_F(FileListTest, CreateWhileScrolledBringsTheWindowToTheTop)
{
    Names({"a", "b", "c", "d", "e", "f", "g"});
    test::Press(&TDOWN);
    ASSERT_EQ(ListeFichier.LigneDebut, 1);
    for (int k = 0; k < 2; k++) {
        ClickAt(40, RowY(0));
        DeleteIcon();
        Confirm();
    }
    ASSERT_EQ(ListeFichier.NbLignes, 5);
    ASSERT_EQ(ListeFichier.LigneDebut, 1);
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
    EXPECT_STREQ(Message.GetLine2(), "");
    Decline();
    EXPECT_TRUE(test::Exists("dossier/y"));

    DeleteIcon();
    Confirm();
    EXPECT_FALSE(test::Exists("dossier/y"));
    EXPECT_EQ(ListeFichier.NbLignes, 2);
    EXPECT_EQ(ChaineTitre, Last()) << "the name field shows the last listed name";
    EXPECT_EQ(IndChar, 0);
    Type("k");
    EXPECT_STREQ(ChaineTitre, "k") << "the next key starts a new name";
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
