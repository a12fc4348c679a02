// The monkey: tens of thousands of frames of random input over both screens, in a scratch
// folder of awkward notes, with the program's promises checked after every frame. The input
// follows from the seed alone (SCRIVELLE_MONKEY_SEED and SCRIVELLE_MONKEY_FRAMES choose
// others); a failure names the seed and the frame.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "fs.h"
#include "notes.h"
#include "screens.h"
#include "support.h"

namespace {

const unsigned GraineParDefaut = 20240611;
const int TramesParDefaut = 30000;

unsigned FromEnv(const char* name, unsigned fallback)
{
    const char* v = getenv(name);
    return v && *v ? (unsigned)strtoul(v, nullptr, 10) : fallback;
}

using namespace test;

class Monkey : public ProgramTest {
protected:
    void SetUp() override
    {
        SetUpIn(MemoryTmp());
        std::string full;
        for (int i = 0; i < 50; i++) {
            std::string line(255, (char)('a' + i % 26));
            line[0] = '\xe9';
            full += (i ? "\n" : "") + line;
        }
        std::string sixty;
        for (int i = 0; i < 60; i++) sixty += "line " + std::to_string(i) + "\n";
        seeded_ = {
            {"short", "one\ntwo\nthree"}, {"full", full}, {"sixty", sixty},
            {"long line", "before\n" + std::string(300, 'z') + "\nafter"},
            {"binary", ReadFile("image/icones.png")}, {"\xe9t\xe9", "caf\xe9\r\n"},
            {std::string(247, 'n'), "longest name"}, {std::string(248, 'x'), "never listed"},
            {".sauve-Ab3xY9", "debris of a cut save"}, {"empty", ""},
            {"gaps", "top\n\n\n\nmiddle\n\n\n\n\n\nend\n\n\n"},
        };
        mkdir("dossier/folder", 0777);
        WriteFile("dossier/folder/inside", "kept");
        Restock();
    }

    // Puts back the seeded notes that the monkey deleted, as a user copying files onto the
    // card between two runs, and starts the program again.
    void Restock()
    {
        for (const auto& [name, bytes] : seeded_) {
            if (!Exists("dossier/" + name)) Note(name, bytes);
            if (!Fits(bytes)) guarded_[name] = bytes;
        }
        Restart();
        std::vector<std::string> expected;
        for (const std::string& n : Entries()) {
            if (CanBeNote(n) && expected.size() < (size_t)TEXTE_NB_LIGNES) expected.push_back(n);
        }
        std::vector<std::string> listed = Lines();
        Holds(listed == expected, "the scan does not list the folder in its order");
        unlisted_.clear();
        for (const std::string& n : Entries()) {
            if (CanBeNote(n) && std::find(listed.begin(), listed.end(), n) == listed.end())
                unlisted_.insert(n);
        }
    }

    // Keeps the first broken promise; true while this one holds.
    bool Holds(bool ok, const std::string& what)
    {
        if (!ok && failure_.empty()) failure_ = what;
        return ok;
    }

    // The engine's numbers are the same everywhere, the library's distributions are not:
    // reduced by hand, one seed gives the same input on the desktop and on ARM.
    int Pick(int lo, int hi) { return lo + (int)(rng_() % (unsigned)(hi - lo + 1)); }

    // A click in the box from (x0, y0) to (x1, y1); x is drawn before y, in this order
    // everywhere (function arguments have none).
    void ClickIn(int x0, int x1, int y0, int y1)
    {
        int x = Pick(x0, x1);
        int y = Pick(y0, y1);
        ClickAt(x, y);
    }

    // The backspace key of the active page, or -1 (the letters page alone has one).
    static int ToucheEfface()
    {
        for (int i = ClavierDebut; i <= ClavierFin; i++)
            if (MonClavier.GetFonction(i) == TOUCHE_EFFACE) return i;
        return -1;
    }

    // One frame of random input; whether it may save is remembered for the checks.
    void RandomFrame()
    {
        int p = Pick(0, 99);
        saving_ = false;
        if (p < 28) {
            // Now and then a burst of keys, as when a whole word or a long name is typed,
            // or a run of backspaces on the letters page, as when one is corrected.
            int n = Pick(0, 19) ? 1 : Pick(5, 40);
            int efface = Pick(0, 4) == 0 ? ToucheEfface() : -1;
            if (efface >= 0) n = Pick(1, 8);
            for (; n > 0; n--) {
                int k = efface >= 0 ? efface : Pick(ClavierDebut, ClavierFin);
                int x = KeyX(k), y = KeyY(k);
                Etat before = NoteNow();
                ClickIn(x - 15, x + 15, y - 15, y + 15);
                CheckKey(before);
            }
        } else if (p < 43) {
            // Quit is rarer than the others: each confirmed quit starts the program again.
            static const int icons[] = {CREER_X, OUVRIR_X, CREER_X, OUVRIR_X, CREER_X, OUVRIR_X,
                                        SUPPRIMER_X, SUPPRIMER_X, QUITTER_X};
            int x = icons[Pick(0, 8)] + ICONE_TAILLE / 2;
            saving_ = Etape != 0 && x == SAUVER_X + ICONE_TAILLE / 2 && !Message.GetActive();
            if (saving_) before_ = Exists("dossier/" + std::string(ChaineTitre))
                                       ? ReadFile("dossier/" + std::string(ChaineTitre)) : "";
            ClickIn(x - 7, x + 7, ICONE_Y + 1, ICONE_Y + ICONE_TAILLE - 1);
        } else if (p < 55) {
            ClickIn(BARRE_X + 1, RANGEE_DROITE - 1, RANGEE_Y, FLECHE_BAS_Y + 19);  // rows
        } else if (p < 61) {
            int y = (Pick(0, 1) ? FLECHE_HAUT_Y : FLECHE_BAS_Y) + 1;  // the arrows
            ClickIn(FLECHE_X + 1, ECRAN_LARGEUR - 1, y, y + 18);
        } else if (p < 69) {
            static const int buttons[] = {OUI_X, NON_X, OK_X};
            int x = buttons[Pick(0, 2)] + BOUTON_L / 2;
            ClickIn(x - 10, x + 10, BOUTON_Y + 1, BOUTON_Y + BOUTON_H - 1);
        } else if (p < 73) {
            ClickIn(SWITCH_X + 1, ECRAN_LARGEUR - 1, SWITCH_Y + 1, ECRAN_HAUTEUR - 1);  // page switch
        } else if (p < 76) {
            ClickIn(MAJ_X + 1, MAJ_X + 31, MAJ_Y + 1, MAJ_Y + 7);  // shift
        } else if (p < 82) {
            Press(Pick(0, 1) ? &TUP : &TDOWN);
        } else if (p < 92) {
            ClickIn(0, ECRAN_LARGEUR - 1, 0, ECRAN_HAUTEUR - 1);
        } else if (p == 92 && Pick(0, 9) == 0) {
            TFL = TFR = 1;  // both shoulders: quit at once
            Frame();
            TFL = TFR = 0;
        } else {
            Frame();
        }
    }

    void CheckScreens()
    {
        for (auto [buffer, which] : {std::pair{&Texte, "Texte: "}, {&ListeFichier, "ListeFichier: "}})
            Holds(BufferFault(*buffer).empty(), which + BufferFault(*buffer));
        const STexte& t = Texte;
        if (Etape != 0) {
            Holds(t.NbLignes >= 1, "the editor has no line");
            Holds(t.LigneActive >= 0 && t.LigneActive < t.NbLignes, "LigneActive outside the note");
            Holds(t.LigneDebut >= 0 && t.LigneDebut <= t.LigneActive, "LigneDebut past LigneActive");
            Holds(t.LigneActive < t.LigneDebut + RANGEES, "the current line is out of view");
        }
        const STexte& l = ListeFichier;
        Holds(l.LigneActive >= 0 && l.LigneActive < RANGEES, "the bar left the rows");
        Holds(l.LigneDebut >= 0 && l.LigneDebut <= TEXTE_NB_LIGNES - RANGEES, "the list scrolled too far");
        // Every row shows a name while there are six names or more.
        Holds(l.LigneDebut <= std::max(0, l.NbLignes - RANGEES), "the list's window is past its names");
        Holds(IndChar >= 0 && IndChar <= NOM_SAISI_MAX, "IndChar outside 0 to 20");
        Holds(memchr(ChaineTitre, 0, TITRE_TAILLE) != nullptr, "ChaineTitre unterminated");
        // The next typed character either starts a new name or follows the last one shown.
        Holds(IndChar == 0 || (size_t)IndChar == strlen(ChaineTitre), "IndChar not at the name's end");
        Holds(memchr(Chaine, 0, CHAINE_TAILLE) != nullptr, "Chaine unterminated");
        Holds(ClavierDebut == (Fonction ? PAGE_SIGNES_DEBUT : PAGE_LETTRES_DEBUT), "page and keys differ");
        Holds(fichier == nullptr, "a stream was left open");
    }

    // The list holds exactly the folder's notes, once each; nothing else changed on the card.
    void CheckFolder()
    {
        std::vector<std::string> names = Lines();
        std::set<std::string> listed(names.begin(), names.end());
        Holds(listed.size() == names.size(), "a name is listed twice");
        std::set<std::string> notes;
        for (const std::string& n : Entries()) {
            if (CanBeNote(n)) notes.insert(n);
            else Holds(!FsEstTemporaire(n.c_str()) || seeded_.count(n), "a save left a temporary file");
        }
        // Only the notes that the last scan left out, the list being full, may be unlisted.
        std::string diff;
        for (const std::string& n : listed) {
            if (!notes.count(n)) diff += " listed only: '" + n + "'";
        }
        for (const std::string& n : notes) {
            if (!listed.count(n) && !unlisted_.count(n)) diff += " unlisted: '" + n + "'";
        }
        Holds(diff.empty(), "the list is out of step with the folder:" + diff);
        for (auto it = guarded_.begin(); it != guarded_.end();) {
            std::string path = "dossier/" + it->first;
            if (!Exists(path)) {  // deleted by the user
                it = guarded_.erase(it);
                continue;
            }
            Holds(ReadFile(path) == it->second, "an incomplete note was written over: " + it->first);
            ++it;
        }
        Holds(ReadFile("dossier/folder/inside") == "kept", "the sub-folder changed");
    }

    // A save says "File saved" only when the file now holds the note, and a refused save
    // leaves the file as it was.
    void CheckSave()
    {
        if (!saving_ || !Message.GetActive()) return;
        std::string now = ReadFile("dossier/" + std::string(ChaineTitre));
        if (std::string(Message.GetLine1()) == "File saved")
            Holds(now == Join(Lines(Texte)), "\"File saved\" but the file differs from the note");
        else
            Holds(now == before_, "a refused save changed the file");
    }

    // A note opened whole shows its file exactly and silently; one that did not load whole
    // says so at once.
    void CheckOpen(int etapeBefore)
    {
        if (etapeBefore != 0 || Etape == 0) return;
        if (TexteIncomplet) {
            Holds(Message.GetActive() && std::string(Message.GetLine1()) == "Note not fully loaded",
                  "an incomplete note opened without saying so");
            return;
        }
        Holds(!Message.GetActive(), "a complete note opened with a box");
        Holds(Join(Lines(Texte)) == ReadFile("dossier/" + std::string(ChaineTitre)),
              "a note opened as complete differs from its file");
    }

    // The editor's note and cursor, to compare one frame with the next.
    struct Etat {
        int etape, active, debut;
        std::vector<std::string> lines;
    };
    static Etat NoteNow() { return Etat{Etape, Texte.LigneActive, Texte.LigneDebut, Lines(Texte)}; }

    // A save, written or not, goes to the end: the last line current, in a note of more
    // than six lines the window on its last six.
    void CheckSaveGoesToTheEnd(const Etat& before)
    {
        if (!saving_ || before.etape == 0 || Etape == 0) return;
        int n = Texte.NbLignes;
        Holds(Texte.LigneActive == n - 1
                  && Texte.LigneDebut == (n > RANGEES ? n - RANGEES : before.debut),
              "a save did not go to the end of the note");
    }

    // What one key press in the editor did to the note: only a new line on the last line
    // adds a line, an empty one that becomes current; one that removes a line removes the
    // empty current line alone, the line above becoming current, whole.
    void CheckKey(const Etat& before)
    {
        if (before.etape == 0 || Etape == 0) return;
        std::vector<std::string> now = Lines(Texte), expected = before.lines;
        int a = before.active;
        if (now.size() == expected.size() + 1) {
            Holds(a + 1 == (int)expected.size(), "a new line grew the note from another line");
            expected.push_back("");
            Holds(now == expected && Texte.LigneActive == a + 1,
                  "a new line did not add an empty line after the last one");
            edits_["line added"]++;
        } else if (now.size() + 1 == expected.size()) {
            Holds(expected[a].empty(), "a line that was not empty was removed");
            expected.erase(expected.begin() + a);
            Holds(now == expected && Texte.LigneActive == a - 1,
                  "a backspace removed more than the empty line");
            edits_["line removed"]++;
        }
    }

    // The box on the screen, told by its first line ("" when none is shown).
    static std::string Shown() { return Message.GetActive() ? Message.GetLine1() : ""; }

    // Whether a box opened in the frame: none was shown, or another one (a failed delete
    // answers the question in the frame of its confirm).
    static bool Opened(const std::string& before)
    {
        return Message.GetActive() && Shown() != before;
    }

    // A box that opens in the list says what it is about: the delete question names the
    // note (cut with "..." to fit), a failed create or delete gives a reason.
    void CheckBoxOpened(const std::string& before)
    {
        if (!Opened(before)) return;
        std::string l1 = Message.GetLine1(), l2 = Message.GetLine2(), name = ChaineTitre;
        if (Message.GetAction() == ACTION_SUPPRIMER) {
            bool cut = l2.size() > 3 && l2.compare(l2.size() - 3, 3, "...") == 0
                && name.compare(0, l2.size() - 3, l2, 0, l2.size() - 3) == 0;
            Holds(!name.empty() && (l2 == name || cut), "the delete question does not name the note");
        }
        if (l1 == "File not deleted" || l1 == "File not created")
            Holds(!l2.empty(), "a failure gave no reason");
        if (l1 == "File not deleted")
            Holds(FindFile(ChaineTitre), "a failed delete dropped the name");
    }

    std::mt19937 rng_;
    std::map<std::string, std::string> seeded_, guarded_;
    std::set<std::string> unlisted_;  // notes the last scan left out: the list was full
    std::string failure_, before_;
    bool saving_ = false;
    std::map<std::string, int> edits_;  // lines added and removed by keys
};

TEST_F(Monkey, TensOfThousandsOfRandomFramesKeepEveryPromise)
{
    const unsigned seed = FromEnv("SCRIVELLE_MONKEY_SEED", GraineParDefaut);
    const int frames = (int)FromEnv("SCRIVELLE_MONKEY_FRAMES", TramesParDefaut);
    rng_.seed(seed);
    std::map<std::string, int> seen;
    int frame = 0;
    for (; frame < frames && failure_.empty(); frame++) {
        int etapeBefore = Etape;
        int namesBefore = ListeFichier.NbLignes;
        Etat noteBefore = NoteNow();
        std::string boxBefore = Shown();
        RandomFrame();
        CheckScreens();
        CheckFolder();
        CheckSave();
        CheckOpen(etapeBefore);
        CheckSaveGoesToTheEnd(noteBefore);
        CheckBoxOpened(boxBefore);
        if (ListeFichier.NbLignes < namesBefore && !done) {
            int n = ListeFichier.NbLignes;
            Holds(IndChar == 0 && std::string(ChaineTitre) == (n ? ListeFichier.Lignes[n - 1].Caracteres : ""),
                  "after a delete the name field does not show the last listed name");
        }
        if (Etape != etapeBefore) seen[Etape ? "opened" : "went back"]++;
        if (Etape) seen["most lines"] = std::max(seen["most lines"], Texte.NbLignes);
        seen["most names"] = std::max(seen["most names"], ListeFichier.NbLignes);
        if (ListeFichier.NbLignes != namesBefore)
            seen[ListeFichier.NbLignes > namesBefore ? "created" : "deleted"]++;
        if (saving_ && Message.GetActive()) seen[Message.GetLine1()]++;
        else if (Opened(boxBefore)) seen[Message.GetLine1()]++;
        if (done) {
            seen["quit"]++;
            Restock();
        }
    }
    seen.insert(edits_.begin(), edits_.end());
    std::ostringstream tally;
    for (const auto& [what, n] : seen) tally << what << " " << n << ", ";
    ASSERT_EQ(failure_, "") << "seed " << seed << ", in frame " << frame << "; " << tally.str();
    RecordProperty("tally", tally.str());
    std::printf("[ monkey   ] seed %u, %d frames: %s\n", seed, frame, tally.str().c_str());
    // A monkey that never reached the editor, saved or deleted would prove little.
    for (const char* what : {"opened", "created", "deleted", "quit", "File saved", "File not saved",
                             "File not deleted", "Note not fully loaded", "line added", "line removed"}) {
        EXPECT_GT(seen[what], 0) << what << " never happened; " << tally.str();
    }
}

}  // namespace
