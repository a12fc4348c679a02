// The editor, driven frame by frame through the input globals.
#include <sys/stat.h>

#include <set>

#include "notes.h"
#include "screens.h"
#include "support.h"

namespace {

using namespace test;

std::string Line(int i) { return Texte.Lignes[i].Caracteres; }
std::pair<int, int> Window() { return {Texte.LigneActive, Texte.LigneDebut}; }  // current line, first shown

using EditorTest = ProgramTest;

// Whether any pixel of row r's text area is clearly blue (the current line's colour).
bool RowHasBlue(int r)
{
    for (int y = RANGEE_Y + RANGEE_H * r; y < RANGEE_Y + RANGEE_H * (r + 1); y++)
        for (int x = TEXTE_X; x < 120; x++) {
            Uint32 p = Pixel(x, y);
            if ((p & 0xFF) > 0xC0 && (p >> 16) < 0x60 && ((p >> 8) & 0xFF) < 0x60) return true;
        }
    return false;
}

// The rightmost column from x0 to x1 with ink in row r (and the next row's top), or -1.
int RightmostInk(int r, int x0, int x1)
{
    int right = -1;
    for (int x = x0; x <= x1; x++)
        if (InkIn(x, RANGEE_Y + RANGEE_H * r, x, RANGEE_Y + RANGEE_H * r + 13)) right = x;
    return right;
}

// ---- Long lines ----

const int ROW2_Y = RANGEE_Y + RANGEE_H * 2;  // the lines below are alone on row 2
const Uint32 WHITE = 0xFFFFFFu;

int Advance(char c)
{
    int minx, maxx, miny, maxy, advance = 0;
    TTF_GlyphMetrics(police, (Uint8)c, &minx, &maxx, &miny, &maxy, &advance);
    return advance;
}

// Ink between the columns x0 and x1 in row 2's upper half, above the dots of a line.
bool UpperInk(int x0, int x1) { return InkIn(x0, ROW2_Y + 2, x1, ROW2_Y + 7); }

// Glyphs without kerning up to the row's end, then "j"s: the first begins exactly at the
// end, and its ink reaches a pixel back into the row.
std::string ReachingBackAtTheCut()
{
    std::string s;
    int pen = 0;
    while ((RANGEE_LARGEUR - pen) % Advance('i') != 0) s += 'o', pen += Advance('o');
    while (pen < RANGEE_LARGEUR) s += 'i', pen += Advance('i');
    return s + std::string(253 - s.size(), 'j');
}

// The text padded with dots, the last ones made 'r's (a pixel wider), until it and after
// are w pixels wide together.
std::string PaddedTo(std::string text, const std::string& after, int w)
{
    while (Width(text + "." + after) <= w) text += '.';
    for (size_t i = text.size() - 1; Width(text + after) < w; i--) text[i] = 'r';
    return text;
}

// "To" pairs, which kerning brings a pixel closer each: by the font's metrics alone they
// are wider than they show.
std::string Kerned(int pairs)
{
    std::string s;
    for (int i = 0; i < pairs; i++) s += "To";
    return s;
}

// Every row from its first character to column 300, pixel for pixel as the whole line
// would show there, and nothing beyond: kerning and a glyph reaching back at the cut
// change nothing.
TEST_F(EditorTest, RowsShowTheirLineUpToTheArrowsAsTheWholeLineWould)
{
    std::string prose = "The quick brown fox jumps over a lazy do";
    while (prose.size() < 253) prose += " " + prose;
    const std::pair<const char*, std::string> lines[] = {
        {"fits", "The quick brown fox jumps over a lazy do"}, {"too wide", prose.substr(0, 253)},
        {"kerned pairs", Kerned(127).substr(0, 253)}, {"reaching back", ReachingBackAtTheCut()},
        // Kerning brings the W, cut as the spare, so far back that the j after it shows:
        // the cut is made again, by the W's own reach.
        {"a j after the spare", PaddedTo(Kerned(14), "W", RANGEE_LARGEUR) + "Wj"},
    };
    for (const auto& [what, line] : lines) {
        Open("n", "\n\n" + line);  // the current line is the empty first one
        Frame();
        std::vector<Uint32> shown = Pixels(TEXTE_X, ROW2_Y, RANGEE_LARGEUR, 14);
        std::vector<Uint32> beyond = Pixels(RANGEE_DROITE + 1, ROW2_Y, 19, 14);
        EXPECT_EQ(Differences(shown, WholeText(line, TEXTE_X, ROW2_Y, TEXTE_X, ROW2_Y,
                                                     RANGEE_LARGEUR, 14)), 0) << what;
        EXPECT_EQ(Differences(beyond, std::vector<Uint32>(beyond.size(), WHITE)), 0) << what;
    }
}

// The current line and its mark: from the first character while both fit the row (exactly,
// kerning included), by the end once they do not, whether the mark shows or not.
TEST_F(EditorTest, ACurrentLineWiderThanItsRowShowsItsEndAndTheMark)
{
    // A W, dots, and kerned pairs that the font's metrics alone would find too wide.
    const std::string fits = PaddedTo("W", Kerned(15) + "|", RANGEE_LARGEUR) + Kerned(15);
    ASSERT_EQ(Width(fits + "|"), RANGEE_LARGEUR);
    for (const std::string& line : {fits, fits + "."}) {
        Open("n", "\n\n" + line);
        ClickAt(100, RowY(2));
        for (int mark : {1, 0}) {
            FrameWithMark(mark);
            EXPECT_EQ(UpperInk(TEXTE_X, TEXTE_X + 11), line == fits)
                << line.size() << " characters, mark " << mark << ": the W shows while the line fits";
            // Drawn from its start, the line lies on its row's black copy, which shows at
            // the glyphs' edges; drawn by its end, on none.
            bool dark = false;
            for (Uint32 p : Pixels(TEXTE_X, ROW2_Y, RANGEE_LARGEUR, 14)) dark |= Ink(p) && (p & 0xFF) < 0xE0;
            EXPECT_EQ(dark, line == fits) << line.size() << " characters, mark " << mark;
        }
    }

    // At 253 characters, the most typed here, and at 255, the most loaded: the last one, a
    // W, and the mark after it, in blue only; a backspace takes the W from sight.
    for (int length : {253, 255}) {
        Open("n", "\n\n" + std::string(length - 1, '.') + "W");
        ClickAt(100, RowY(2));
        FrameWithMark(1);
        std::vector<Uint32> withMark = Pixels(0, ROW2_Y, ECRAN_LARGEUR, 14);
        int markEnd = RightmostInk(2, 0, ECRAN_LARGEUR - 1);
        FrameWithMark(0);
        std::vector<Uint32> without = Pixels(0, ROW2_Y, ECRAN_LARGEUR, 14);
        int wEnd = RightmostInk(2, 0, ECRAN_LARGEUR - 1);
        EXPECT_LE(markEnd, RANGEE_DROITE) << length;
        EXPECT_GT(markEnd, wEnd) << length << ": the mark after the last character";
        EXPECT_GT(wEnd, RANGEE_DROITE - 12) << length;
        EXPECT_TRUE(UpperInk(wEnd - 10, wEnd)) << length << ": the W";
        for (size_t i = 0; i < withMark.size(); i++) {
            int x = (int)(i % ECRAN_LARGEUR);
            if (x <= wEnd) ASSERT_EQ(withMark[i], without[i]) << "the text moved as the mark blinked, x " << x;
            if (x >= TEXTE_X && Ink(withMark[i])) {
                ASSERT_GT(withMark[i] & 0xFF, 0x90u) << "the black copy shows through at x " << x;
            }
        }
        // The two frames differ by the mark alone: in no more columns than it covers by itself.
        std::set<int> changed, mark;
        for (size_t i = 0; i < withMark.size(); i++)
            if (withMark[i] != without[i]) changed.insert(i % ECRAN_LARGEUR);
        std::vector<Uint32> alone = WholeText("|", TEXTE_X, ROW2_Y, 0, ROW2_Y, ECRAN_LARGEUR, 14);
        for (size_t i = 0; i < alone.size(); i++)
            if (alone[i] != WHITE) mark.insert(i % ECRAN_LARGEUR);
        EXPECT_LE(changed.size(), mark.size())
            << length << ": the line's end was cut as the mark hid";

        Type("\b");
        FrameWithMark(0);
        EXPECT_GT(Differences(Pixels(0, ROW2_Y, ECRAN_LARGEUR, 14), without), 0)
            << length << ": erased unseen";
        EXPECT_FALSE(UpperInk(TEXTE_X, RANGEE_DROITE)) << length << ": the W is gone";
    }
}

TEST_F(EditorTest, RoadOfOneKeyPress)
{
    Open("road", "");
    Shift();
    ASSERT_TRUE(MonClavier.GetMaj());
    FrameWithMark(0);
    ClickAt(KeyX(10), KeyY(10));
    EXPECT_EQ(Line(0), "A");
    EXPECT_EQ(Texte.Lignes[0].Longueur, 1);
    EXPECT_TRUE(RowHasBlue(0));

    int alone = RightmostInk(0, TEXTE_X, 59);
    FrameWithMark(1);
    EXPECT_GT(RightmostInk(0, TEXTE_X, 59), alone) << "the mark after the A";

    Save();
    EXPECT_EQ(NoteBytes("road"), "A");
    EXPECT_STREQ(Message.GetLine1(), "File saved");
    EXPECT_EQ(Message.GetType(), MESSAGE_INFORMATION);
}

// Both pages type their bytes, shift leaves accents and digits; in the four-pixel strip
// where a key's box overlaps the next one, a press types the left key only.
TEST_F(EditorTest, TypesBothPagesAndOnePressTypesOneKey)
{
    Open("n", "");
    Type("Quick, World 42 \xE9\xE8\xE0!");  // q is key 0
    EXPECT_EQ(Line(0), "Quick, World 42 \xE9\xE8\xE0!");
    Shift();
    SwitchPage();
    ClickAt(KeyX(53), KeyY(53));
    ClickAt(KeyX(36), KeyY(36));
    EXPECT_EQ(Line(0).substr(Line(0).size() - 2), "\xE9" "7") << "shift leaves accents and digits";
    ClickAt(KeyX(INDICE_INACTIVE), KeyY(INDICE_INACTIVE));
    EXPECT_EQ(Texte.Lignes[0].Longueur, (int)Line(0).size());

    Open("m", "");
    const int strip = MonClavier.GetCollX1(3) + 1;  // columns of both the third and the fourth key
    for (int x = strip; x <= strip + 2; x++) ClickAt(x, KeyY(2));  // e, not e and r
    ClickAt(KeyX(3), KeyY(3));
    ClickAt(strip + 1, KeyY(12));                                    // d
    ClickAt(strip + 1, KeyY(22));                                    // c
    ClickAt(MonClavier.GetCollX1(4) - 2, KeyY(2));                   // between boxes: nothing
    SwitchPage();
    for (int k : {31, 41, 51}) ClickAt(strip + 1, KeyY(k));          // 2, : and %
    EXPECT_EQ(Line(0), "eeerdc2:%");
}

// Keys typed after scrolling down and picking a row (-1: none): the note they leave, each
// line ending at its length (a space left by a backspace does not stay), the current line
// and the first one shown, no numbered row past the note; a save writes exactly that.
TEST_F(EditorTest, NewLineAndBackspaceInEveryPlace)
{
    const std::string eight = "a\nb\nc\nd\ne\nf\ng\nh", ten = "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n";
    const std::string full = Join(std::vector<std::string>(49, "l")) + "\n";  // 50 lines
    const struct { std::string note; int down, row; std::string keys, after; int active, debut; } cases[] = {
        // New line off the last line: the next line current with its text, nothing inserted,
        // the window following to keep it on the sixth row.
        {eight, 0, 5, "\n", eight, 6, 1},
        {eight, 0, 5, "\nx\ny", "a\nb\nc\nd\ne\nf\ngx\nhy", 7, 2},
        {"ab\ncd", 0, -1, "\b\n", "a\ncd", 1, 0},
        // On the last line it adds an empty line, but not to a full note.
        {"x", 0, -1, "\n1\n2\n3\n4\n", "x\n1\n2\n3\n4\n", 5, 0},
        {"x", 0, -1, "\n1\n2\n3\n4\n\n", "x\n1\n2\n3\n4\n\n", 6, 1},
        {full, 0, -1, "\n", full, 1, 0},
        {full, 44, 5, "\n", full, 49, 44},
        // Backspace erases the last character, and nothing on an empty first line.
        {"", 0, -1, "ab\b", "a", 0, 0},
        {"", 0, -1, "ab\b\b\b\b", "", 0, 0},
        // On an empty line it removes that line alone, the line above current and whole.
        {"abx\n", 0, 1, "\b", "abx", 0, 0},
        {"abx\n", 0, 1, "\b\b", "ab", 0, 0},
        {"t\n\n", 0, 2, "\b", "t\n", 1, 0},
        // The window follows: from the empty last line; from "g", just under the first shown
        // line (it may not stay there); from "f", the first shown line, up to the top.
        {ten, 5, 5, "\b", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj", 9, 5},
        {ten, 5, 1, "\b\b", "a\nb\nc\nd\ne\nf\nh\ni\nj\n", 5, 4},
        {ten, 5, 0, "\b\b", "a\nb\nc\nd\ne\ng\nh\ni\nj\n", 4, 4},
        {ten, 5, 0, std::string(14, '\b'), "\ng\nh\ni\nj\n", 0, 0},
        // A line takes 253 typed characters; one loaded longer takes none, but a new line.
        {std::string(250, 'w'), 0, -1, "abcdef", std::string(250, 'w') + "abc", 0, 0},
        {std::string(255, 'm'), 0, -1, "z\n", std::string(255, 'm') + "\n", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.note.substr(0, 20)) << ", down " << c.down
                                        << ", row " << c.row << ", keys " << testing::PrintToString(c.keys));
        Open("n", c.note);
        for (int i = 0; i < c.down; i++) Press(&TDOWN);
        if (c.row >= 0) ClickAt(100, RowY(c.row));
        Type(c.keys);
        EXPECT_EQ(Join(Lines(Texte)), c.after);
        for (int i = 0; i < Texte.NbLignes; i++) EXPECT_EQ(Texte.Lignes[i].Longueur, (int)Line(i).size()) << i;
        EXPECT_EQ(Window(), std::pair(c.active, c.debut));
        EXPECT_EQ(Texte.LigneFin, std::min(c.debut + RANGEES, Texte.NbLignes));
        Save();
        EXPECT_STREQ(Message.GetLine1(), "File saved");
        EXPECT_EQ(NoteBytes("n"), c.after);
    }
}

// A row answers from 4 pixels below its text's top to 27 below (into the next row, which
// wins), between the number strip and the arrows.
TEST_F(EditorTest, PicksRowsAtTheirBandEdges)
{
    Open("n", "0\n1\n2\n3\n4\n5\n6");
    const int top = RANGEE_Y, last = RANGEE_Y + RANGEE_H * 5, none = 3;
    const struct { int x, y, row; } clicks[] = {
        {100, top + 3, none}, {100, top + 4, 0}, {100, top + RANGEE_H + 3, 0}, {100, top + RANGEE_H + 4, 1},
        {100, last + 27, 5}, {100, last + 28, none}, {BARRE_X, RowY(1), none}, {RANGEE_DROITE, RowY(1), none},
        {BARRE_X + 1, RowY(1), 1}, {RANGEE_DROITE - 1, RowY(2), 2},
    };
    for (const auto& c : clicks) {
        Texte.LigneActive = none;
        ClickAt(c.x, c.y);
        EXPECT_EQ(Texte.LigneActive, c.row) << c.x << ", " << c.y;
    }
}

TEST_F(EditorTest, ScrollsWithArrowsAndButtons)
{
    Open("six", "1\n2\n3\n4\n5\n6");
    ArrowDown();
    Press(&TUP);
    EXPECT_EQ(Texte.LigneDebut, 0);

    Open("n", "1\n2\n3\n4\n5\n6\n7");
    ArrowDown();
    EXPECT_EQ(Window(), std::pair(1, 1)) << "the current line keeps its row";
    Press(&TDOWN);
    EXPECT_EQ(Texte.LigneDebut, 1);
    ArrowUp();
    EXPECT_EQ(Window(), std::pair(0, 0));
}

// A save, written or not, shows the last six lines with the cursor on the bottom one, and
// tells the truth: "File saved" only with the file holding the note. Under its notice
// nothing scrolls, picks or types.
TEST_F(EditorTest, SaveGoesToTheEndAndTellsTheTruth)
{
    Open("n", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
    Press(&TDOWN);
    Press(&TDOWN);
    ClickAt(100, RowY(1));
    ASSERT_EQ(Texte.LigneActive, 3);
    Type("x");
    Save();
    EXPECT_STREQ(Message.GetLine1(), "File saved");
    EXPECT_EQ(NoteBytes("n"), "1\n2\n3\n4x\n5\n6\n7\n8\n9\n10");
    EXPECT_EQ(Window(), std::pair(9, 4));
    Press(&TUP);
    Press(&TDOWN);
    ArrowUp();
    ClickAt(KeyX(0), KeyY(0));
    ClickAt(100, RowY(0));
    EXPECT_EQ(Window(), std::pair(9, 4)) << "under the notice";
    EXPECT_EQ(Line(9), "10") << "under the notice";
    Acknowledge();
    EXPECT_TRUE(RowHasBlue(5)) << "the current line is drawn on the bottom row";
    Type("y");
    EXPECT_EQ(Line(9), "10y");

    Open("gone", "a\nb\nc\nd");
    Type("x");
    RemoveTree("dossier");
    Save();
    EXPECT_STREQ(Message.GetLine1(), "File not saved");
    EXPECT_STREQ(Message.GetLine2(), "Could not write the file");
    EXPECT_FALSE(Exists("dossier/gone"));
    EXPECT_EQ(Window(), std::pair(3, 0)) << "a failed save goes to the end too";
}

// A note that did not load whole (too many lines, a long line, a zero byte, a picture,
// noise, a sub-folder) says so as it opens, and its save says why it is refused, leaving the
// bytes; one that fits opens silently.
TEST_F(EditorTest, AnIncompleteNoteSaysSoAndIsNeverSavedOver)
{
    std::string sixty = Join(std::vector<std::string>(60, "line")) + "\n", noise;
    for (int i = 0; i < 4000; i++) noise += (char)((i * 7919) % 256);
    const std::string picture = ReadFile("image/icones.png");
    ASSERT_NE(picture.find('\0'), std::string::npos);
    mkdir("dossier/folder", 0777);  // listed like a note, but it cannot be read
    const std::pair<std::string, std::string> incomplete[] = {
        {"sixty", sixty}, {"long", "a\n" + std::string(300, 'w')}, {"zero", std::string("a\0b", 3)},
        {"picture", picture}, {"noise", noise}, {"folder", ""},
    };
    for (const auto& [name, bytes] : incomplete) {
        if (name == "folder") {
            Restart();
            std::snprintf(ChaineTitre, sizeof ChaineTitre, "%s", "folder");
            OpenIcon();
            ASSERT_EQ(Etape, 1);
        } else {
            Open(name, bytes);
        }
        EXPECT_TRUE(Message.GetActive()) << name;
        EXPECT_EQ(Message.GetType(), MESSAGE_INFORMATION) << name;
        EXPECT_STREQ(Message.GetLine1(), "Note not fully loaded") << name;
        EXPECT_STREQ(Message.GetLine2(), "It cannot be saved") << name;
        Acknowledge();
        EXPECT_FALSE(Message.GetActive()) << name;
        for (int i = 0; i < 3; i++) Press(&TDOWN);
        Type("typed");
        Save();
        EXPECT_STREQ(Message.GetLine1(), "File not saved") << name;
        EXPECT_STREQ(Message.GetLine2(), "Note not fully loaded") << name;
        Acknowledge();
        if (name != "folder") EXPECT_EQ(NoteBytes(name), bytes) << name;
    }

    Open("whole", std::string(255, 'm') + "\n");
    EXPECT_FALSE(Message.GetActive()) << "a note that fits opens silently";
}

TEST_F(EditorTest, BlinkChangesOnlyAfterMoreThanHalfASecond)
{
    tempsPrecedent = 1000;
    AfficheCurseur = 0;
    for (auto [now, shown, since] : {std::tuple{1500, 0, 1000}, {1501, 1, 1501}, {2001, 1, 1501}, {2002, 0, 2002}}) {
        FnClignote(now);
        EXPECT_EQ(AfficheCurseur, shown) << now;
        EXPECT_EQ(tempsPrecedent, since) << now;
    }
}

}  // namespace
