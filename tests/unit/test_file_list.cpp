// The file list, driven frame by frame through the input globals.
#include <sys/stat.h>

#include <algorithm>

#include "notes.h"
#include "support.h"

namespace {

using namespace test;

// Whether row r showed a name in the last frame: ink in the upper part of its text.
bool RowHasInk(int r)
{
    return InkIn(TEXTE_X, RANGEE_Y + 3 + RANGEE_H * r, 199, RANGEE_Y + 10 + RANGEE_H * r);
}

class FileListTest : public ProgramTest {
protected:
    std::string Last() { return ListeFichier.Lignes[ListeFichier.NbLignes - 1].Caracteres; }
};

// Typed names: at most 20 characters, backspace erases cleanly, new line types nothing,
// shift and space work; a picked name (row 0) waits for a typed character.
TEST_F(FileListTest, TypedNamesStopAtTwentyAndEraseCleanly)
{
    const struct { bool picked; const char *keys, *name; } cases[] = {
        {false, "abcdefghijklmnopqrstu", "abcdefghijklmnopqrst"}, {false, "\b\n", ""}, {false, "A b", "A b"},
        {true, "\b", "alpha"}, {true, "\bx", "x"}, {false, "aby\b", "ab"},
    };
    for (const auto& c : cases) {
        Names({"alpha"});
        if (c.picked) ClickAt(40, RowY(0));
        Type(c.keys);
        EXPECT_STREQ(ChaineTitre, c.name) << c.keys;
        EXPECT_EQ(IndChar, c.picked && c.name == std::string("alpha") ? 0 : (int)strlen(c.name)) << c.keys;
    }
    Create();  // the last row's name
    EXPECT_TRUE(Exists("dossier/ab")) << "the created name has no trailing space";
    EXPECT_TRUE(FindFile("ab"));
    Type("x");
    EXPECT_STREQ(ChaineTitre, "abx");

    Restart();
    SwitchPage();
    for (int i = PAGE_SIGNES_DEBUT; i <= PAGE_SIGNES_FIN; i++) ClickAt(KeyX(i), KeyY(i));
    EXPECT_STREQ(ChaineTitre, "0123456789_-") << "only the name keys of the second page type";
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
        int y = RANGEE_Y + RANGEE_H * RowOf(name);
        std::vector<Uint32> shown = Pixels(TEXTE_X, y, RANGEE_LARGEUR, 14);
        EXPECT_EQ(Differences(shown, WholeText(name, TEXTE_X, y, TEXTE_X, y, RANGEE_LARGEUR, 14)), 0)
            << name.size() << " bytes";
    }

    ClickAt(40, RowY(RowOf(longest)));
    EXPECT_EQ(ChaineTitre, longest);
    Frame();
    EXPECT_TRUE(InkIn(200, CHAMP_Y + 2, NOM_DROITE, CHAMP_Y + 7)) << "the name's end, its W";
    EXPECT_FALSE(InkIn(NOM_DROITE + 1, CHAMP_Y + 2, NOM_DROITE + 5, CHAMP_Y + 7)) << "nothing past the field's edge";
    EXPECT_FALSE(InkIn(NOM_X, CHAMP_Y + 2, 150, CHAMP_Y + 7)) << "its start, dots only, is not in sight";
}

// A name exactly as wide as the field shows from its start, though a kerned pair makes it
// narrower than its glyphs' advances. A wider one shows as much of its end as fits, drawn
// as that end alone would be: here all but its first character, exactly as wide as the field.
TEST_F(FileListTest, TheFieldsEdgeIsItsExactWidth)
{
    const int champ = NOM_DROITE - NOM_X + 1;
    auto field = [&](const std::string& name) {
        std::snprintf(ChaineTitre, sizeof ChaineTitre, "%s", name.c_str());
        Frame();
        return Pixels(NOM_X, CHAMP_Y, champ, 14);
    };
    // Digits and dots (never kerned) after the head, to exactly that width.
    auto filled = [&](const std::string& head, int largeur) {
        for (int dots = 0; dots < 20; dots++) {
            std::string t = head;
            while (Width(t + std::string(dots, '.')) < largeur) t += '1';
            if (Width(t + std::string(dots, '.')) == largeur) return t + std::string(dots, '.');
        }
        return std::string();
    };
    const std::string exact = filled("WTo", champ), tail = filled("", champ), wider = "W" + tail;
    ASSERT_FALSE(exact.empty() || tail.empty());
    std::vector<Uint32> w = field("W");
    for (const std::string& name : {exact, filled("W", champ + 1)}) {
        std::vector<Uint32> shown = field(name);
        bool start = true;
        for (int y = 0; y < 14; y++)
            for (int x = 0; x < 4; x++) start = start && shown[y * champ + x] == w[y * champ + x];
        EXPECT_EQ(start, name == exact) << "its W in sight, " << Width(name) << " px";
    }
    EXPECT_EQ(Differences(field(wider), field(tail)), 0) << "as much as fits";
}

// A row past the names picks nothing: open and delete do nothing, create still moves the bar.
// Create moves the bar to the new name, scrolling when it is past the sixth row.
TEST_F(FileListTest, CreateMovesTheBarToTheNewName)
{
    Create();
    EXPECT_EQ(ListeFichier.LigneActive, 0) << "empty list, empty name";
    EXPECT_EQ(ListeFichier.NbLignes, 0);

    Names({"alpha"});
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

    // Names before the create (alpha counted), then the window and the bar after it.
    struct Case { std::vector<std::string> more; const char* name; int debut, active; } cases[] = {
        {{"b", "c"}, "d", 0, 3}, {{"e"}, "f", 0, 5}, {{}, "h", 1, 5}, {{"i"}, "j", 3, 5},
    };
    for (const Case& c : cases) {
        Names(c.more);
        int before = ListeFichier.NbLignes;
        Type(c.name);
        Create();
        EXPECT_EQ(ListeFichier.NbLignes, before + 1) << c.name;
        EXPECT_EQ(ListeFichier.LigneDebut, c.debut) << c.name;
        EXPECT_EQ(ListeFichier.LigneActive, c.active) << c.name;
        EXPECT_EQ(Last(), c.name);
        EXPECT_EQ(ReadFile(std::string("dossier/") + c.name), "");
        EXPECT_EQ(Etape, 0) << "the new note is not opened";
    }
}

// Only listed names are deleted or opened. The question names the picked note; decline
// keeps it, confirm removes it silently, and a second delete asks about the last listed name
// that the field then shows (which name that is, is the catalogue's:
// Catalogue.RemoveDropsNameAndShowsTheLastListed).
TEST_F(FileListTest, DeleteAsksDeclineKeepsConfirmRemoves)
{
    Names({"w", "x", "y", "z"});
    Type("nope");
    DeleteIcon();
    EXPECT_FALSE(Message.GetActive()) << "an unlisted name asks nothing";
    OpenIcon();
    EXPECT_EQ(Etape, 0) << "nor opens";

    const std::string last = Last();
    ClickAt(40, RowY(1));
    const std::string picked = ChaineTitre;
    DeleteIcon();
    ASSERT_TRUE(Message.GetActive());
    EXPECT_STREQ(Message.GetLine1(), "Would you want to delete this file?");
    EXPECT_EQ(Message.GetLine2(), picked) << "the question names the note";
    Decline();
    EXPECT_TRUE(Exists("dossier/" + picked));

    DeleteIcon();
    Confirm();
    EXPECT_FALSE(Exists("dossier/" + picked));
    EXPECT_FALSE(Message.GetActive()) << "a delete that worked says nothing";
    EXPECT_EQ(ListeFichier.NbLignes, 3);
    EXPECT_EQ(ListeFichier.LigneActive, 1) << "the bar keeps its row";
    EXPECT_EQ(IndChar, 0);
    DeleteIcon();
    ASSERT_TRUE(Message.GetActive());
    EXPECT_EQ(Message.GetLine2(), last) << "a second delete names the note it would remove";
    Decline();
    EXPECT_EQ(Entries().size(), 3u);
    Type("k");
    EXPECT_STREQ(ChaineTitre, "k") << "the next key starts a new name";
}

// The question's second line holds the name, cut with "..." where it would run out of the
// panel: the text ends inside it, no shorter than needed, and a name that fits is whole.
TEST_F(FileListTest, DeleteQuestionNameIsCutToFitTheBox)
{
    const std::string longest(247, 'W'), wide(25, 'W'), cafe = "caf\xe9";
    Names({longest.c_str(), wide.c_str(), cafe.c_str()});
    // Where line 2 has ink: the box with the name against the box without it.
    auto line2Right = [] {
        Frame();
        std::vector<Uint32> with = Pixels(0, LIGNE2_Y, ECRAN_LARGEUR, 12);
        Message.SetMessage(Message.GetLine1(), "", false, MESSAGE_QUESTION, ACTION_SUPPRIMER);
        Frame();
        std::vector<Uint32> without = Pixels(0, LIGNE2_Y, ECRAN_LARGEUR, 12);
        int right = -1;
        for (size_t i = 0; i < with.size(); i++)
            if (with[i] != without[i]) right = std::max(right, (int)(i % ECRAN_LARGEUR));
        return right;
    };
    for (const std::string& name : {longest, wide, cafe}) {
        std::snprintf(ChaineTitre, sizeof ChaineTitre, "%s", name.c_str());
        DeleteIcon();
        ASSERT_TRUE(Message.GetActive()) << name;
        std::string line2 = Message.GetLine2();
        if (name.size() > 10) {
            ASSERT_GT(line2.size(), 3u);
            EXPECT_EQ(line2.substr(line2.size() - 3), "...");
            EXPECT_EQ(name.compare(0, line2.size() - 3, line2, 0, line2.size() - 3), 0) << line2;
        } else {
            EXPECT_EQ(line2, name) << "a name that fits is shown whole";
        }
        int right = line2Right();
        EXPECT_LE(right, MESSAGE_TEXTE_X + MESSAGE_TEXTE_L) << line2;
        EXPECT_GT(right, MESSAGE_TEXTE_X + (name.size() > 10 ? 150 : 10)) << line2;
        Decline();
    }
    Frame();
    EXPECT_EQ(ListeFichier.NbLignes, 3);
}

// Every name leaving the list keeps the window on names: 20 names scrolled to the end and
// 15 deletes leave five names, all shown from the first row; a create then shows its name.
TEST_F(FileListTest, DeletesNeverLeaveAnEmptyScreen)
{
    for (int i = 0; i < 20; i++) Note("n" + std::to_string(i), "");
    Restart();
    for (int i = 0; i < 20; i++) Press(&TDOWN);
    ASSERT_EQ(ListeFichier.LigneDebut, 14);
    for (int k = 0; k < 15; k++) {
        int row = (k * 5) % RANGEES;
        if (ListeFichier.NbLignes <= RANGEES) row = row % ListeFichier.NbLignes;
        ClickAt(40, RowY(row));
        ASSERT_NE(ChaineTitre[0], 0) << "delete " << k;
        DeleteIcon();
        Confirm();
        int n = ListeFichier.NbLignes;
        EXPECT_EQ(n, 19 - k);
        EXPECT_LE(ListeFichier.LigneDebut, std::max(0, n - RANGEES)) << "delete " << k;
        EXPECT_EQ(ListeFichier.LigneActive, row) << "the bar keeps its row";
        Frame();  // the frame of the confirm drew the list before the delete
        for (int r = 0; r < std::min(n, (int)RANGEES); r++)
            EXPECT_TRUE(RowHasInk(r)) << "delete " << k << ", row " << r;
    }
    EXPECT_EQ(ListeFichier.NbLignes, 5);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
    Type("y");
    Create();
    EXPECT_EQ(ListeFichier.NbLignes, 6);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
    EXPECT_EQ(ListeFichier.LigneActive, 5);
    EXPECT_STREQ(ListeFichier.Lignes[5].Caracteres, "y");
}

// Failures say so in an information box, with the reason on its second line; a name
// that stays on the card stays listed and in the name field. Success stays silent.
TEST_F(FileListTest, FailedCreateAndDeleteSaySo)
{
    Type("fine");
    Create();
    EXPECT_FALSE(Message.GetActive()) << "a create that worked says nothing";
    EXPECT_TRUE(Exists("dossier/fine"));

    mkdir("dossier/folder", 0777);
    Note("folder/inside", "x");
    Restart();
    ClickAt(40, RowY(RowOf("folder")));
    DeleteIcon();
    Confirm();
    ASSERT_TRUE(Message.GetActive());
    EXPECT_EQ(Message.GetType(), MESSAGE_INFORMATION);
    EXPECT_STREQ(Message.GetLine1(), "File not deleted");
    EXPECT_STREQ(Message.GetLine2(), "It is a folder that is not empty");
    EXPECT_TRUE(FindFile("folder")) << "the name stays listed";
    EXPECT_STREQ(ChaineTitre, "folder");
    Acknowledge();
    EXPECT_FALSE(Message.GetActive());

    for (int i = ListeFichier.NbLignes; i < 50; i++) Note("f" + std::to_string(i), "");
    Restart();
    ASSERT_EQ(ListeFichier.NbLignes, 50);
    Type("more");
    Create();
    EXPECT_STREQ(Message.GetLine1(), "File not created");
    EXPECT_STREQ(Message.GetLine2(), "The list is full (50 notes)");
    EXPECT_EQ(ListeFichier.LigneActive, 5) << "the bar still goes to the last name";
    EXPECT_FALSE(Exists("dossier/more"));
    Acknowledge();

    RemoveTree("dossier");
    WriteFile("dossier", "a file, not a folder");
    Restart();
    Type("note");
    Create();
    EXPECT_STREQ(Message.GetLine1(), "File not created");
    EXPECT_STREQ(Message.GetLine2(), "\"dossier\" is not a folder");
    EXPECT_EQ(ListeFichier.NbLignes, 0);
}

// The list scrolls only when it holds more than a screen of names, the bar keeping its row;
// under an open question nothing but the page switch answers.
TEST_F(FileListTest, ScrollsOnlyPastAScreenAndNotUnderAQuestion)
{
    Names({"a", "b", "c", "d", "e", "f"});
    Press(&TDOWN);
    ArrowDown();
    Press(&TUP);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);

    Names({"g"});
    ClickAt(40, RowY(0));
    std::string picked = ChaineTitre;
    DeleteIcon();
    ASSERT_TRUE(Message.GetActive());
    ClickAt(40, RowY(2));
    ClickAt(KeyX(0), KeyY(0));
    Shift();
    Press(&TDOWN);
    ArrowDown();
    Create();
    QuitIcon();
    EXPECT_EQ(ChaineTitre, picked);
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
    EXPECT_EQ(ListeFichier.LigneActive, 0);
    EXPECT_FALSE(MonClavier.GetMaj());
    EXPECT_EQ(Message.GetAction(), ACTION_SUPPRIMER);
    SwitchPage();
    EXPECT_EQ(Fonction, 1) << "the page switch still works";

    Decline();
    ClickAt(40, RowY(2));
    picked = ChaineTitre;
    Press(&TDOWN);
    EXPECT_EQ(ListeFichier.LigneDebut, 1);
    EXPECT_EQ(ListeFichier.LigneActive, 2) << "the bar keeps its row";
    ArrowDown();
    EXPECT_EQ(ListeFichier.LigneDebut, 1);
    ArrowUp();
    EXPECT_EQ(ListeFichier.LigneDebut, 0);
    // Scrolling moves another name under the bar, the name field unchanged: the delete and
    // the open are of the picked name.
    Press(&TDOWN);
    EXPECT_EQ(ChaineTitre, picked);
    DeleteIcon();
    EXPECT_EQ(Message.GetLine2(), picked);
    Decline();
    OpenIcon();
    EXPECT_EQ(Etape, 1);
    Frame();  // the next frame is the editor's
    EXPECT_EQ(Texte.NbLignes, 1);
}

// Back from the editor keeps the note in the buffer and the name, writes nothing; a
// confirmed quit ends the loop after its frame, writing nothing either.
TEST_F(FileListTest, BackAndAConfirmedQuitLeaveTheFileAsItWas)
{
    Open("n", "old");
    Type("x");
    Back();
    EXPECT_EQ(Etape, 0);
    Frame();
    EXPECT_EQ(NoteBytes("n"), "old");
    EXPECT_STREQ(ChaineTitre, "n");
    EXPECT_EQ(Texte.Lignes[0].Caracteres, std::string("oldx")) << "the note stays in the buffer";
    QuitIcon();
    EXPECT_STREQ(Message.GetLine1(), "Would you want to quit?");
    EXPECT_EQ(done, 0);
    Confirm();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(NoteBytes("n"), "old");
}

}  // namespace
