// The catalogue of the notes folder: the start-up scan, creating and removing notes.
#include <cstring>

#include "support.h"

namespace {

using namespace test;
using Catalogue = test::FolderTest;
using Noms = std::vector<std::string>;

void Titre(const std::string& nom)
{
    strcpy(ChaineTitre, nom.c_str());
}

}  // namespace

TEST_F(Catalogue, ScanKeepsFolderOrderAndSkipsOnlyWhatCannotBeANote)
{
    const Noms notes = {"zeta", "Alpha", "alpha", "m n-o_p", "\xe9t\xe9", ".cachee", ".sauve-12345",
                        ".sauve-abcdefg", ".sauve-"};
    for (const std::string& n : notes) WriteFile("dossier/" + n, n);
    ASSERT_EQ(mkdir("dossier/sous", 0777), 0);
    // The program's own names are not listed, and what it cannot prove it wrote stays.
    WriteFile("dossier/.sauve-Ab3xY9", "debris d'une sauvegarde coupee");
    ASSERT_EQ(mkdir("dossier/.sauve-Dos123", 0777), 0);
    ASSERT_EQ(symlink("zeta", "dossier/.sauve-Lien12"), 0);

    FnLitDossier();
    EXPECT_TRUE(Exists("dossier/.sauve-Ab3xY9") && Exists("dossier/.sauve-Dos123") && Exists("dossier/.sauve-Lien12"));
    EXPECT_EQ(ReadFile("dossier/zeta"), "zeta");
    Noms attendu;
    for (const std::string& n : Entries()) {
        if (n.compare(0, 7, ".sauve-") != 0 || n.size() != 13) attendu.push_back(n);
    }
    EXPECT_EQ(attendu.size(), notes.size() + 1);  // the sub-folder is a name too
    EXPECT_EQ(Lines(), attendu);
    for (int i = 0; i < ListeFichier.NbLignes; i++) EXPECT_EQ(ListeFichier.Lignes[i].Longueur, 0);
    EXPECT_EQ(ListeFichier.Lignes[ListeFichier.NbLignes].Caracteres[0], 0);
}

// A file under two names (a second hard link, a link) is listed once, whichever name the
// folder gives first.
TEST_F(Catalogue, AFileUnderTwoNamesIsListedOnce)
{
    WriteFile("dossier/a", "x");
    ASSERT_EQ(link("dossier/a", "dossier/b"), 0);
    ASSERT_EQ(symlink("a", "dossier/c"), 0);
    FnLitDossier();
    EXPECT_EQ(ListeFichier.NbLignes, 1);
}

TEST_F(Catalogue, ScanStopsAtFiftyNames)
{
    for (int i = 0; i < 51; i++) WriteFile("dossier/n" + std::to_string(i), "");
    WriteFile("dossier/.copie-n7", "");  // wherever the folder yields it, a cut's debris goes
    FnLitDossier();
    EXPECT_FALSE(Exists("dossier/.copie-n7"));
    Noms tous = Entries();
    ASSERT_EQ(tous.size(), 51u);
    EXPECT_EQ(Lines(), Noms(tous.begin(), tous.begin() + 50));
    EXPECT_EQ(FnCreateFile("encore"), RES_LISTE_PLEINE);
    EXPECT_EQ(ListeFichier.NbLignes, 50);
    EXPECT_FALSE(Exists("dossier/encore"));
}

TEST_F(Catalogue, MissingFolderGivesEmptyCatalogue)
{
    ASSERT_EQ(rmdir("dossier"), 0);
    FnLitDossier();
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_FALSE(FindFile("note"));

    // A fresh install can still create its first note.
    FnCreateFile("premiere");
    EXPECT_EQ(Lines(), Noms{"premiere"});
    EXPECT_TRUE(Exists("dossier/premiere"));
}

TEST_F(Catalogue, FindFileComparesExactBytes)
{
    Fill(&ListeFichier, {"Note", "note ", "x"});
    for (auto [nom, listee] : {std::pair{"Note", true}, {"note ", true}, {"note", false}, {"NOTE", false}, {"", false}})
        EXPECT_EQ(FindFile(nom), listee) << nom;
}

TEST_F(Catalogue, CreateAddsEmptyNoteOnlyWhenItMay)
{
    WriteFile("dossier/listee", "contenu");
    WriteFile("dossier/cachee", "ajoutee par un autre programme");
    Fill(&ListeFichier, {"listee"});

    EXPECT_EQ(FnCreateFile(""), RES_OK);  // nothing asked, nothing failed
    EXPECT_EQ(FnCreateFile("listee"), RES_OK);
    EXPECT_EQ(Lines(), Noms{"listee"});
    EXPECT_EQ(ReadFile("dossier/listee"), "contenu");

    FnCreateFile("cachee");
    EXPECT_EQ(ReadFile("dossier/cachee"), "ajoutee par un autre programme");
    mode_t masque = umask(027);
    FnCreateFile("Neuve");
    umask(masque);
    // Two spellings are two notes, unless the card folds them into one (FAT): then the
    // second is refused, and deleting it takes nothing of the first and says so.
    bool fat = Exists("dossier/neuve");
    struct stat st;
    ASSERT_EQ(stat("dossier/Neuve", &st), 0);
    EXPECT_TRUE(fat || (st.st_mode & 07777) == 0640) << "a new note has the bits the umask leaves";
    EXPECT_EQ(FnCreateFile("neuve"), fat ? RES_AUTRE_GRAPHIE : RES_OK);
    if (fat) {
        EXPECT_EQ(Entries(), (Noms{"listee", "cachee", "Neuve"}));
        Fill(&ListeFichier, {"listee", "cachee", "Neuve", "neuve"});
        EXPECT_EQ(FnRemoveFile("neuve"), RES_AUTRE_GRAPHIE);
        EXPECT_TRUE(Exists("dossier/Neuve"));
        return;
    }
    EXPECT_EQ(Lines(), (Noms{"listee", "cachee", "Neuve", "neuve"}));
    EXPECT_EQ(ReadFile("dossier/neuve"), "");
}

TEST_F(Catalogue, UnsafeNamesNeverReachOutsideTheFolder)
{
    ASSERT_EQ(mkdir("a", 0777), 0);
    WriteFile("a/b", "hors du dossier");
    WriteFile("voisin", "hors du dossier");
    const std::string trop(248, 'x');  // one byte more than a path to a note may take
    WriteFile("dossier/" + trop, "trop long");
    const Noms dangereux = {".", "..", "a/b", "../voisin", "/tmp", trop};
    for (const std::string& n : dangereux) FnCreateFile(n.c_str());
    FnCreateFile(std::string(300, 'y').c_str());
    EXPECT_FALSE(FindFile(std::string(300, 'y').c_str()));
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_EQ(Entries(), Noms{trop});

    // Even listed by mistake, they delete nothing.
    Fill(&ListeFichier, dangereux);
    for (const std::string& n : dangereux) {
        Titre(n);
        FnRemoveFile(ChaineTitre);
    }
    EXPECT_EQ(Lines(), dangereux);
    EXPECT_EQ(ReadFile("a/b"), "hors du dossier");
    EXPECT_EQ(ReadFile("voisin"), "hors du dossier");
    EXPECT_EQ(ReadFile("dossier/" + trop), "trop long");
}

// Removal of each position, called as the confirmed delete calls it: with ChaineTitre,
// which then holds the last listed name, not a neighbour of the deleted one. The name
// dropped from the list may be given as a listed line itself.
TEST_F(Catalogue, RemoveDropsNameAndShowsTheLastListed)
{
    struct Cas { Noms avant; std::string nom; Noms apres; std::string titre; } cas[] = {
        {{"x", "y", "z"}, "x", {"y", "z"}, "z"},
        {{"x", "y", "z"}, "y", {"x", "z"}, "z"},
        {{"x", "y", "z"}, "z", {"x", "y"}, "y"},
        {{"seule"}, "seule", {}, ""},
    };
    Fill(&ListeFichier, {"a", "b", "c"});
    FnDelLigneFichier(ListeFichier.Lignes[0].Caracteres);
    EXPECT_EQ(Lines(), (Noms{"b", "c"}));
    EXPECT_STREQ(ChaineTitre, "c");
    for (const Cas& c : cas) {
        for (const std::string& n : c.avant) WriteFile("dossier/" + n, n);
        Fill(&ListeFichier, c.avant);
        Titre(c.nom);
        EXPECT_EQ(FnRemoveFile(ChaineTitre), RES_OK);
        EXPECT_EQ(Lines(), c.apres) << c.nom;
        EXPECT_EQ(ChaineTitre, c.titre) << c.nom;
        EXPECT_EQ(ListeFichier.Lignes[c.apres.size()].Caracteres[0], 0) << c.nom;
        EXPECT_EQ(Entries().size(), c.apres.size()) << c.nom;
        EXPECT_FALSE(Exists("dossier/" + c.nom));
        for (const std::string& n : c.apres) std::remove(("dossier/" + n).c_str());
    }
}

TEST_F(Catalogue, RemoveKeepsNamesWhoseFileStays)
{
    ASSERT_EQ(mkdir("dossier/plein", 0777), 0);
    WriteFile("dossier/plein/note", "a garder");
    WriteFile("dossier/Note", "majuscule");
    Fill(&ListeFichier, {"plein", "Note", "note", "disparue"});

    Titre("plein");
    // A non-empty folder cannot be deleted. A FAT driver in user space answers EPERM where
    // others say "not empty".
    Resultat r = FnRemoveFile(ChaineTitre);
    EXPECT_TRUE(r == RES_DOSSIER_PLEIN || r == RES_REFUS) << r;
    EXPECT_EQ(ReadFile("dossier/plein/note"), "a garder");
    EXPECT_STREQ(ChaineTitre, "plein");
    EXPECT_EQ(FnRemoveFile(""), RES_OK);
    EXPECT_EQ(FnRemoveFile("absente"), RES_OK);
    EXPECT_EQ(Lines(), (Noms{"plein", "Note", "note", "disparue"}));

    FnRemoveFile("disparue");  // already gone from the card: the name goes too
    // On FAT "note" finds the entry of "Note", which stays: the delete says so, the name stays.
    bool fat = Exists("dossier/note");
    EXPECT_EQ(FnRemoveFile("note"), fat ? RES_AUTRE_GRAPHIE : RES_OK);
    EXPECT_EQ(Lines(), (fat ? Noms{"plein", "Note", "note"} : Noms{"plein", "Note"}));
    EXPECT_EQ(ReadFile("dossier/Note"), "majuscule");
}
