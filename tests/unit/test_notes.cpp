// The line buffer and the note file: loading, saving, and saves that fail or are cut short.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <fstream>
#include <random>
#include <set>

#include "fs.h"
#include "support.h"

namespace {

using namespace test;
using Notes = test::FolderTest;

void AttendLignes(const std::vector<std::string>& lignes)
{
    ASSERT_EQ(Texte.NbLignes, (int)lignes.size());
    for (size_t i = 0; i < lignes.size(); i++) {
        const SLigne& l = Texte.Lignes[i];
        EXPECT_EQ(std::string(l.Caracteres, l.Longueur), lignes[i]) << "line " << i;
        EXPECT_EQ(l.Caracteres[l.Longueur], 0) << "line " << i;
        EXPECT_EQ(l.LongueurInitiale, l.Longueur) << "line " << i;
    }
}

// Bytes this process has read so far, as the kernel counts them.
long OctetsLus()
{
    std::ifstream io("/proc/self/io");
    std::string cle;
    long valeur = 0;
    while (io >> cle >> valeur) {
        if (cle == "rchar:") return valeur;
    }
    return 0;
}

std::string Grande(char graine, int lignes)
{
    std::vector<std::string> l;
    for (int i = 0; i < lignes; i++) l.push_back(std::string(255, (char)(graine + i % 20)));
    return Join(l);
}

}  // namespace

TEST(LigneBuffer, ClearEmptiesEverySlotAndIndex)
{
    STexte t;
    memset(&t, 'x', sizeof t);
    FnClearText(&t);
    EXPECT_EQ(t.NbLignes + t.LigneActive + t.LigneDebut + t.LigneFin, 0);
    for (const SLigne& l : t.Lignes) {
        EXPECT_EQ(l.Caracteres[0], 0);
        EXPECT_EQ(l.Longueur + l.LongueurInitiale, 0);
    }
}

TEST(LigneBuffer, DeletingLinesMovesTheRestUp)
{
    Fill(&Texte, {"a", "bb", "c", "dddd", "e"});
    Texte.LigneActive = 3;
    FnDelLigneTexte(2);
    FnDelLigneTexte(4);  // past the last line, and before the first: nothing
    FnDelLigneTexte(-1);
    EXPECT_EQ(Lines(Texte), (std::vector<std::string>{"a", "bb", "dddd", "e"}));
    EXPECT_EQ(Texte.Lignes[4].Caracteres[0], 0);
    for (const SLigne& l : Texte.Lignes) EXPECT_EQ(l.Longueur, (int)strlen(l.Caracteres));
    EXPECT_EQ(Texte.LigneActive, 3);

    Fill(&Texte, {"seul"});
    FnDelLigneTexte(0);
    EXPECT_EQ(Texte.NbLignes, 0);
    EXPECT_EQ(Texte.Lignes[0].Caracteres[0], 0);
}

TEST_F(Notes, LoadsLinesAsTheFormatSplitsThem)
{
    const std::string cas[] = {
        "", "xyz", "xyz\n", "\n", "a\r\nb\r\n", "d\xff" "e\xe9\n\x80", "\t \n\n\n",
        std::string(255, 'L') + "\n" + std::string(255, 'M'),
        Join(std::vector<std::string>(50, "ligne")),
        Grande('a', 50), Grande('a', 50) + "z",  // the most that fits, and one byte more
    };
    for (const std::string& octets : cas) {
        WriteFile("dossier/note", octets);
        Texte.LigneActive = Texte.LigneDebut = Texte.LigneFin = 7;
        TexteIncomplet = true;
        FnReadFile("note");
        EXPECT_EQ(LoadFault(octets), "") << testing::PrintToString(octets);
        EXPECT_EQ(fichier, nullptr);
    }
}

TEST_F(Notes, MissingNoteOpensAsOneEmptyLineAndSavesEmpty)
{
    FnReadFile("absente");
    AttendLignes({""});
    EXPECT_FALSE(TexteIncomplet);
    EXPECT_EQ(FnWriteFile("absente"), RES_OK);
    EXPECT_TRUE(Exists("dossier/absente"));
    EXPECT_EQ(ReadFile("dossier/absente"), "");
}

// Any note the buffer can hold goes through a load and a save unchanged.
TEST_F(Notes, RoundTripKeepsEveryByte)
{
    std::mt19937 alea(20240611);
    const unsigned char speciaux[] = {'\r', '\t', ' ', 0x80, 0xe0, 0xe8, 0xe9, 0xff, 0x01};
    for (int essai = 0; essai < 400; essai++) {
        int nb = std::uniform_int_distribution<int>(1, 50)(alea);
        std::vector<std::string> lignes;
        for (int i = 0; i < nb; i++) {
            int forme = alea() % 4;  // empty, short, random length, full
            int n = forme == 0 ? 0 : forme == 1 ? (int)(alea() % 4) : forme == 2 ? (int)(alea() % 256) : 255;
            std::string l;
            for (int k = 0; k < n; k++) {
                unsigned char c = (alea() % 3 == 0) ? speciaux[alea() % sizeof speciaux]
                                                    : (unsigned char)(1 + alea() % 255);
                l += (char)(c == '\n' ? '\r' : c);
            }
            lignes.push_back(l);
        }
        std::string octets = Join(lignes);
        WriteFile("dossier/note", octets);
        FnReadFile("note");
        ASSERT_FALSE(TexteIncomplet) << essai;
        AttendLignes(lignes);
        ASSERT_EQ(FnWriteFile("note"), RES_OK) << essai;
        ASSERT_EQ(ReadFile("dossier/note"), octets) << essai;
        FnReadFile("note");
        ASSERT_EQ(Texte.NbLignes, nb);
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"note"});
}

TEST_F(Notes, SaveWritesTextUpToEachZeroByte)
{
    Fill(&Texte, {"a", "", "b"});
    strcpy(Texte.Lignes[0].Caracteres + 2, "reste");  // old bytes behind the terminator
    Texte.Lignes[2].Longueur = 40;                      // a stale length is not trusted
    ASSERT_EQ(FnWriteFile("n"), RES_OK);
    EXPECT_EQ(ReadFile("dossier/n"), "a\n\nb");
}

// Written or not, a save shows the last six lines with the cursor on the bottom one; a
// note of six lines or fewer keeps its window.
TEST_F(Notes, SaveGoesToTheEndOfTheNote)
{
    for (bool incomplet : {false, true}) {
        Fill(&Texte, std::vector<std::string>(10, "x"));
        Texte.LigneActive = 2;
        Texte.LigneDebut = 1;
        TexteIncomplet = incomplet;
        EXPECT_EQ(FnWriteFile("dix"), incomplet ? RES_INCOMPLETE : RES_OK);
        EXPECT_EQ(Texte.LigneActive, 9);
        EXPECT_EQ(Texte.LigneDebut, 4);
    }
    TexteIncomplet = false;
    Fill(&Texte, std::vector<std::string>(4, "x"));
    Texte.LigneDebut = 1;
    EXPECT_EQ(FnWriteFile("quatre"), RES_OK);
    EXPECT_EQ(Texte.LigneActive, 3);
    EXPECT_EQ(Texte.LigneDebut, 1);
}

// Notes the buffer cannot hold load partly, are marked, and are never cut by a save.
TEST_F(Notes, IncompleteNoteIsNeverSavedOver)
{
    const std::string cas[] = {
        Join(std::vector<std::string>(60, "l")), Join(std::vector<std::string>(51, "")),
        "debut\n" + std::string(300, 'z') + "\nfin", std::string("ab\0cd", 5) + "\nsuite",
    };
    for (const std::string& octets : cas) {
        WriteFile("dossier/note", octets);
        FnReadFile("note");
        EXPECT_EQ(LoadFault(octets), "") << testing::PrintToString(octets);  // marked, cut, zero kept
        EXPECT_NE(FnWriteFile("note"), RES_OK);
        EXPECT_EQ(ReadFile("dossier/note"), octets);
    }
    FnReadFile("absente");
    EXPECT_FALSE(TexteIncomplet);
    EXPECT_EQ(Entries(), std::vector<std::string>{"note"});
}

// Names that are no note of the folder open empty and marked, and are never written, even
// with text and forced: a save over a sub-folder leaves it whole and no temporary beside it.
TEST_F(Notes, UnreadableNoteIsIncompleteAndKept)
{
    ASSERT_EQ(mkdir("dossier/sous", 0777), 0);
    WriteFile("dossier/sous/dedans", "garde");
    WriteFile("dehors", "garde aussi");
    for (const std::string& n : {std::string("sous"), std::string("../dehors"), std::string(".."),
                                 std::string(""), std::string(300, 'x')}) {
        const char* nom = n.c_str();
        FnReadFile(nom);
        EXPECT_TRUE(TexteIncomplet) << nom;
        AttendLignes({""});
        Fill(&Texte, {"texte"});
        TexteIncomplet = false;
        EXPECT_NE(FnWriteFile(nom), RES_OK) << nom;
    }
    EXPECT_EQ(ReadFile("dossier/sous/dedans"), "garde");
    EXPECT_EQ(ReadFile("dehors"), "garde aussi");
    EXPECT_EQ(Entries(), std::vector<std::string>{"sous"});
}

TEST_F(Notes, SaveKeepsPermissionsAndNeedsTheFolder)
{
    Fill(&Texte, {"un", "deux"});
    ASSERT_EQ(rmdir("dossier"), 0);
    EXPECT_NE(FnWriteFile("note"), RES_OK);
    EXPECT_FALSE(Exists("dossier"));

    ASSERT_EQ(mkdir("dossier", 0777), 0);
    mode_t masque = umask(027);
    EXPECT_EQ(FnWriteFile("note"), RES_OK);
    EXPECT_EQ(ReadFile("dossier/note"), "un\ndeux");
    EXPECT_EQ(umask(masque), 027u) << "a new note's save leaves the umask as it was";
    ASSERT_EQ(chmod("dossier/note", 0640), 0);
    EXPECT_EQ(FnWriteFile("note"), RES_OK);
    struct stat st;
    ASSERT_EQ(stat("dossier/note", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// The handheld runs as root, who may write anything: read-only is what the mode bits say.
// A note without a write bit is not replaced, but a confirmed delete removes it (that
// changes the folder, not the file); one without a read bit is not opened; a folder
// without a write bit refuses saves, creates and deletes.
TEST_F(Notes, ReadOnlyIsDecidedByTheModeBits)
{
    WriteFile("dossier/note", "ancien");
    WriteFile("dossier/secret", "cache");
    WriteFile("dossier/lecture", "a jeter");
    ASSERT_EQ(chmod("dossier/note", 0444), 0);
    ASSERT_EQ(chmod("dossier/secret", 0200), 0);
    ASSERT_EQ(chmod("dossier/lecture", 0444), 0);
    Fill(&ListeFichier, {"note", "secret", "lecture"});
    Fill(&Texte, {"nouveau"});
    EXPECT_EQ(FnWriteFile("note"), RES_NOTE_LECTURE_SEULE);
    EXPECT_EQ(FnRemoveFile("lecture"), RES_OK);
    EXPECT_FALSE(Exists("dossier/lecture"));
    FnReadFile("secret");
    EXPECT_TRUE(TexteIncomplet);
    AttendLignes({""});

    ASSERT_EQ(chmod("dossier/note", 0644), 0);
    ASSERT_EQ(chmod("dossier", 0555), 0);
    TexteIncomplet = false;
    EXPECT_EQ(FnWriteFile("note"), RES_DOSSIER_LECTURE_SEULE);
    EXPECT_EQ(FnCreateFile("neuve"), RES_DOSSIER_LECTURE_SEULE);
    EXPECT_EQ(FnRemoveFile("note"), RES_DOSSIER_LECTURE_SEULE);
    WriteFile("dossier/.sauve-Ab3xY9", "debris");
    FnClearText(&ListeFichier);
    FnLitDossier();
    EXPECT_TRUE(Exists("dossier/.sauve-Ab3xY9")) << "not even debris goes from a read-only folder";
    ASSERT_EQ(chmod("dossier", 0755), 0);
    EXPECT_EQ(ReadFile("dossier/note"), "ancien");
    EXPECT_EQ(Lines().size(), 2u);
    ASSERT_EQ(unlink("dossier/.sauve-Ab3xY9"), 0);
    EXPECT_EQ(Entries().size(), 2u);
}

// Whatever an entry is, opening it returns at once and reads no more than a note can hold:
// a named pipe, a device, huge sparse files with and without newlines. Run in a child with
// a deadline, so that a hang fails the test instead of freezing the suite.
TEST_F(Notes, OpeningAnyEntryNeitherBlocksNorReadsPastWhatFits)
{
    ASSERT_EQ(mkfifo("dossier/tube", 0666), 0);
    ASSERT_EQ(symlink("/dev/zero", "dossier/zero"), 0);
    for (auto [nom, taille] : {std::pair{"dossier/vingt-go", (off_t)20 << 30}, {"dossier/un-gio", (off_t)1 << 30}}) {
        WriteFile(nom, "");
        ASSERT_EQ(truncate(nom, taille), 0) << nom;
    }
    WriteFile("dossier/ligne", std::string(1 << 20, 'a') + "\nfin");
    ChildEnd fin = RunInChild([] {
        signal(SIGALRM, SIG_DFL);  // whatever handler SDL left: a hang must end the child
        alarm(20);
        for (std::string nom : {"tube", "zero", "vingt-go", "un-gio", "ligne"}) {
            long avant = OctetsLus();
            FnReadFile(nom.c_str());
            if (!TexteIncomplet || Texte.NbLignes != 1 || fichier != nullptr) return Failed(nom + " not incomplete");
            if (OctetsLus() - avant > NOTE_OCTETS_MAX + 1024) return Failed(nom + " read past what fits");
        }
        Fill(&ListeFichier, {"un-gio"});  // its delete's record has no text of it to tell
        long avant = OctetsLus();
        if (FnRemoveFile("un-gio") != RES_OK || OctetsLus() - avant > NOTE_OCTETS_MAX) return Failed("a delete read past what fits");
        return 0;
    });
    EXPECT_EQ(fin.failed, "") << "an alarm: the child hung";
}

// A note linked to a file elsewhere is saved into that file, safely, and stays a link;
// a link that leads nowhere or to something else than a file is refused.
TEST_F(Notes, LinksStayLinks)
{
    ASSERT_EQ(mkdir("ailleurs", 0777), 0);
    WriteFile("ailleurs/fichier", "ancien");
    ASSERT_EQ(symlink("../ailleurs/fichier", "dossier/lien"), 0);
    FnReadFile("lien");
    AttendLignes({"ancien"});
    Fill(&Texte, {"nouveau", "texte"});
    ASSERT_EQ(FnWriteFile("lien"), RES_OK);
    EXPECT_EQ(ReadFile("ailleurs/fichier"), "nouveau\ntexte");
    struct stat st;
    ASSERT_EQ(lstat("dossier/lien", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Entries("ailleurs"), std::vector<std::string>{"fichier"});

    ASSERT_EQ(symlink("../ailleurs/absent", "dossier/mort"), 0);
    ASSERT_EQ(symlink("../ailleurs", "dossier/vers-dossier"), 0);
    ASSERT_EQ(symlink("/dev/null", "dossier/vers-null"), 0);
    struct Cas { const char* nom; Resultat raison; } cas[] = {
        {"mort", RES_LIEN_MORT}, {"vers-dossier", RES_LIEN_AUTRE}, {"vers-null", RES_LIEN_AUTRE},
    };
    for (const Cas& c : cas) {
        // Opening says why it cannot be saved, and so does the save.
        EXPECT_EQ(FnReadFile(c.nom), c.raison) << c.nom;
        EXPECT_TRUE(TexteIncomplet) << c.nom;
        EXPECT_EQ(FnWriteFile(c.nom), c.raison) << c.nom;
        ASSERT_EQ(lstat(("dossier/" + std::string(c.nom)).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.nom;
    }
    EXPECT_FALSE(Exists("ailleurs/absent"));
    EXPECT_EQ(Entries("ailleurs"), std::vector<std::string>{"fichier"});
}

// A card that fills up mid-save: once inside the stream buffer, once at the final flush.
TEST_F(Notes, FailedWriteLeavesOldNoteWhole)
{
    const std::string ancien = Grande('a', 20);
    for (int lignes : {50, 10}) {
        WriteFile("dossier/note", ancien);
        std::vector<std::string> nouveau = Split(Grande('A', lignes));
        ChildEnd fin = RunInChild([&] {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit limite = {1000, 1000};
            if (setrlimit(RLIMIT_FSIZE, &limite) != 0) return Failed("the file size cannot be limited");
            Fill(&Texte, nouveau);
            return FnWriteFile("note") == RES_OK ? Failed("a save past the card's room succeeded") : 0;
        });
        EXPECT_EQ(fin.failed, "") << lignes;
        EXPECT_EQ(ReadFile("dossier/note"), ancien);
        EXPECT_EQ(Entries(), std::vector<std::string>{"note"});
    }
}

// Once the program starts again after a cut at any write or removal of a save, the note
// holds its old text when the cut came before the note was removed, else the new one, whole
// and with its permission bits, and nothing else is left. A delete cut once its record is
// written is finished.
TEST_F(Notes, ACutAtAnyWriteOrRemovalLeavesOneWholeVersion)
{
    const std::string a = Grande('a', 50), b = Grande('A', 49) + "\nfin";
    STexte tb;
    Fill(&tb, Split(b));
    struct stat st;
    bool fini = false;
    for (int k = 1; !fini; k++) {
        ASSERT_LE(k, 20) << "a save that does not end within 20 writes and removals";
        for (bool demi : {false, true}) {
            WriteFile("dossier/note", a);
            chmod("dossier/note", 0640);  // a FAT driver may keep its own bits
            ASSERT_EQ(stat("dossier/note", &st), 0);
            fini = CoupeeA(k, demi, [&] {
                Texte = tb;
                FnWriteFile("note");
            });
            FnClearText(&ListeFichier);
            FnLitDossier();
            // The record is written, then the note removed: cuts 1 and 2 come before.
            EXPECT_EQ(ReadFile("dossier/note"), k <= 2 && !fini ? a : b) << k << demi;
            struct stat apres;
            ASSERT_EQ(stat("dossier/note", &apres), 0);
            EXPECT_EQ(apres.st_mode, st.st_mode) << k << demi;
            EXPECT_EQ(Entries(), std::vector<std::string>{"note"}) << k << demi;
        }
    }
    for (int k = 1; k <= 3; k++) {
        WriteFile("dossier/note", a);
        FnClearText(&ListeFichier);
        FnLitDossier();
        CoupeeA(k, false, [] { FnRemoveFile("note"); });
        FnClearText(&ListeFichier);
        FnLitDossier();
        EXPECT_EQ(Entries(), k == 1 ? std::vector<std::string>{"note"} : std::vector<std::string>{}) << k;
        EXPECT_EQ(ListeFichier.NbLignes, k == 1 ? 1 : 0) << k;
    }
}

// The start-up acts only on the whole records the program writes: a file it cannot prove
// it wrote is left as it is and not listed, and a note's save goes through beside it. The
// short name a torn folder sector leaves of a note whose record holds its old text, or of
// one whose record stands for it, goes; not one named otherwise. A save cut once its note was removed, or whose note's entry
// landed without its data, is finished, whatever entries the folder yields first, and
// whatever short name (in capitals or small letters) its record was left under.
TEST_F(Notes, StartUpActsOnlyOnWholeRecords)
{
    WriteFile("dossier/foo", "garde");
    WriteFile("dossier/" FS_EFFACE_PREFIXE "foo", "");
    WriteFile("dossier/note", "texte");
    WriteFile("dossier/" FS_JOURNAL_PREFIXE "note", "texte");
    WriteFile("dossier/" FS_TEMP_PREFIXE "Ab3xY9", "texte");
    auto coupe = [](const char* nom, int k) {  // a save of "nouveau" over "ancien", cut at k
        WriteFile(std::string("dossier/") + nom, "ancien");
        CoupeeA(k, false, [nom] {
            Fill(&Texte, {"nouveau"});
            FnWriteFile(nom);
        });
    };
    coupe("autre note.txt", 2);  // once its record is written
    coupe("tiers", 3);           // once the note is removed
    coupe("quatre", 2);
    WriteFile("dossier/quatre", std::string(7, '\0'));  // its entry landed, not its data
    ASSERT_EQ(rename("dossier/" FS_JOURNAL_PREFIXE "tiers", "dossier/COPIE~~1"), 0);
    ASSERT_EQ(rename("dossier/" FS_JOURNAL_PREFIXE "quatre", "dossier/copie-~1"), 0);
    WriteFile("dossier/AUTREN~1.TXT", "ancien");  // as long as a short name gets
    WriteFile("dossier/TIERS~1", "partiel");       // of a note removed, its record live
    ASSERT_EQ(unlink("dossier/tiers"), 0);          // (the cut came once it was made anew)
    WriteFile("dossier/FOO~1", "ancien");
    const std::vector<std::string> etrangers = {FS_EFFACE_PREFIXE "foo", FS_JOURNAL_PREFIXE "note", FS_TEMP_PREFIXE "Ab3xY9"};
    FnLitDossier();
    std::vector<std::string> reste = Entries(), listes = Lines();
    std::set<std::string> notes = {"foo", "note", "autre note.txt", "FOO~1", "tiers", "quatre"}, tout = notes;
    tout.insert(etrangers.begin(), etrangers.end());
    EXPECT_EQ(std::set<std::string>(reste.begin(), reste.end()), tout);
    EXPECT_EQ(std::set<std::string>(listes.begin(), listes.end()), notes);
    EXPECT_EQ(ReadFile("dossier/foo"), "garde");
    EXPECT_EQ(ReadFile("dossier/autre note.txt"), "ancien");
    EXPECT_EQ(ReadFile("dossier/tiers"), "nouveau");
    EXPECT_EQ(ReadFile("dossier/quatre"), "nouveau");
    Fill(&Texte, {"neuf"});
    EXPECT_EQ(FnWriteFile("note"), RES_OK);
    EXPECT_EQ(ReadFile("dossier/note"), "neuf");
    EXPECT_EQ(ReadFile("dossier/" FS_JOURNAL_PREFIXE "note"), "texte");
    EXPECT_EQ(Entries().size(), reste.size());
}

// A card that refuses the record, with half a record of a cut save in its way: the note is
// kept. One that refuses the note's write once the old note is removed: the save says so;
// while the card refuses it, its record stands for the note: listed at the start, kept by a
// create, opened with its text (which says so); the next save writes it. A delete after
// such a save removes the record too, for good.
TEST_F(Notes, SaveFailingOnceTheNoteIsRemovedLeavesItsTextOpenable)
{
    WriteFile("dossier/note", "ancien");
    CoupeeA(1, true, [] {
        Fill(&Texte, {std::string(200, 'c')});
        FnWriteFile("note");
    });
    Fill(&Texte, {"nouveau", "texte"});
    EchoueA = 1;  // the record's write: the note is not touched
    EXPECT_EQ(FnWriteFile("note"), RES_CARTE_PLEINE);
    EXPECT_EQ(ReadFile("dossier/note"), "ancien");
    EchoueA = 2;  // the record's write, then the note's
    EXPECT_EQ(FnWriteFile("note"), RES_CARTE_PLEINE);
    EXPECT_EQ(EchoueA, 0);
    EchoueA = 1;  // the start-up's write of the note
    FnLitDossier();
    EXPECT_EQ(Lines(), std::vector<std::string>{"note"});
    FnClearText(&ListeFichier);
    EXPECT_EQ(FnCreateFile("note"), RES_OK);
    EXPECT_FALSE(Exists("dossier/note"));
    FnClearText(&Texte);
    EXPECT_EQ(FnReadFile("note"), RES_TEXTE_DU_JOURNAL);
    EXPECT_FALSE(TexteIncomplet);
    AttendLignes({"nouveau", "texte"});
    Texte.Lignes[1].Caracteres[0] = 'T';
    EXPECT_EQ(FnWriteFile("note"), RES_OK);
    EXPECT_EQ(ReadFile("dossier/note"), "nouveau\nTexte");
    EXPECT_EQ(Entries(), std::vector<std::string>{"note"});
    EchoueA = 2;
    EXPECT_EQ(FnWriteFile("note"), RES_CARTE_PLEINE);
    std::string mort = ReadFile("dossier/" FS_JOURNAL_PREFIXE "note");
    ASSERT_EQ(rename("dossier/" FS_JOURNAL_PREFIXE "note", "dossier/" FS_JOURNAL_AUTRE "note"), 0);
    mort[3] = '-';  // a retired record under the first name, the live one under the second
    WriteFile("dossier/" FS_JOURNAL_PREFIXE "note", mort);
    EXPECT_EQ(FnRemoveFile("note"), RES_OK);
    FnClearText(&ListeFichier);
    FnLitDossier();
    EXPECT_EQ(Entries(), std::vector<std::string>{});
}

// A note whose old text cannot be read is kept: its save's record could not tell it; so is
// one whose record reports a write error as it is closed, or cannot be read, or has no name free. A read whose stream cannot be
// made leaves no descriptor open.
TEST_F(Notes, NoteThatCannotBeOpenedIsKept)
{
    WriteFile("dossier/note", "ancien");
    Fill(&Texte, {"nouveau"});
    RefuseLecture = "dossier/note";
    EXPECT_EQ(FnWriteFile("note"), RES_ECRITURE);
    RefuseLecture = nullptr;
    RefuseFermeture = FS_JOURNAL_PREFIXE;
    EXPECT_EQ(FnWriteFile("note"), RES_ECRITURE);
    RefuseFermeture = nullptr;
    // A record that cannot be read may be live: no second one goes beside it. Files the
    // program did not write under both its names are said to be in the way.
    WriteFile("dossier/" FS_JOURNAL_PREFIXE "note", "x");
    RefuseLecture = "dossier/" FS_JOURNAL_PREFIXE "note";
    EXPECT_EQ(FnWriteFile("note"), RES_JOURNAL_ILLISIBLE);
    RefuseLecture = nullptr;
    WriteFile("dossier/" FS_JOURNAL_AUTRE "note", "x");
    EXPECT_EQ(FnWriteFile("note"), RES_NOMS_PRIS);
    EXPECT_EQ(ReadFile("dossier/note"), "ancien");
    std::vector<std::string> reste = Entries();
    EXPECT_EQ(std::set<std::string>(reste.begin(), reste.end()), (std::set<std::string>{FS_JOURNAL_PREFIXE "note", FS_JOURNAL_AUTRE "note", "note"}));
    long ouverts = OpenDescriptors();
    RefuseFlux = true;
    EXPECT_EQ(FnReadFile("note"), RES_INCOMPLETE);
    RefuseFlux = false;
    EXPECT_EQ(OpenDescriptors(), ouverts);
}
