// The catalogue of the notes folder: the start-up scan, creating and removing notes.
#include <cstring>

#include "test_notes_dossier.h"

namespace {

using Catalogue = NotesDossier;
using Noms = std::vector<std::string>;

void Titre(const std::string& nom)
{
    strcpy(ChaineTitre, nom.c_str());
}

}  // namespace

TEST_F(Catalogue, ScanKeepsFolderOrderAndSkipsOnlyWhatCannotBeANote)
{
    const Noms notes = {"zeta", "Alpha", "alpha", "m n-o_p", "\xe9t\xe9", ".cachee", ".sauve-12345",
                        ".sauve-abcdefg", ".sauve-", std::string(247, 'l')};
    for (const std::string& n : notes) Ecrit("dossier/" + n, n);
    ASSERT_EQ(mkdir("dossier/sous", 0777), 0);
    Ecrit("dossier/.sauve-Ab3xY9", "debris d'une sauvegarde coupee");
    Ecrit("dossier/" + std::string(248, 'L'), "trop long pour un chemin");
    // Only a regular file of that shape is the debris of a save: these are kept.
    ASSERT_EQ(mkdir("dossier/.sauve-Dos123", 0777), 0);
    ASSERT_EQ(symlink("zeta", "dossier/.sauve-Lien12"), 0);

    FnLitDossier();
    EXPECT_FALSE(Existe("dossier/.sauve-Ab3xY9")) << "the debris of a cut save is removed";
    EXPECT_TRUE(Existe("dossier/.sauve-Dos123") && Existe("dossier/.sauve-Lien12"));
    EXPECT_EQ(Lit("dossier/zeta"), "zeta");
    Noms attendu;
    for (const std::string& n : Entrees()) {
        if (n.compare(0, 7, ".sauve-") != 0 || n.size() != 13) {
            if (n.size() <= 247) attendu.push_back(n);
        }
    }
    EXPECT_EQ(attendu.size(), notes.size() + 1);  // the sub-folder is a name too
    EXPECT_EQ(Liste(), attendu);
    for (int i = 0; i < ListeFichier.NbLignes; i++) EXPECT_EQ(ListeFichier.Lignes[i].Longueur, 0);
    EXPECT_EQ(ListeFichier.Lignes[ListeFichier.NbLignes].Caracteres[0], 0);
}

TEST_F(Catalogue, ScanStopsAtFiftyNames)
{
    for (int i = 0; i < 51; i++) Ecrit("dossier/n" + std::to_string(i), "");
    Ecrit("dossier/.sauve-Ab3xY9", "debris");  // wherever the folder yields it, it goes
    FnLitDossier();
    EXPECT_FALSE(Existe("dossier/.sauve-Ab3xY9"));
    Noms tous = Entrees();
    ASSERT_EQ(tous.size(), 51u);
    EXPECT_EQ(Liste(), Noms(tous.begin(), tous.begin() + 50));
    EXPECT_EQ(FnCreateFile("encore"), RES_LISTE_PLEINE);
    EXPECT_EQ(ListeFichier.NbLignes, 50);
    EXPECT_FALSE(Existe("dossier/encore"));
}

TEST_F(Catalogue, MissingFolderGivesEmptyCatalogue)
{
    ASSERT_EQ(rmdir("dossier"), 0);
    FnLitDossier();
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_FALSE(FindFile(""));
    EXPECT_FALSE(FindFile("note"));

    // A fresh install can still create its first note.
    FnCreateFile("premiere");
    EXPECT_EQ(Liste(), Noms{"premiere"});
    EXPECT_TRUE(Existe("dossier/premiere"));
}

TEST_F(Catalogue, FindFileComparesExactBytes)
{
    Liste({"Note", "note ", "x"});
    EXPECT_TRUE(FindFile("Note"));
    EXPECT_TRUE(FindFile("note "));
    EXPECT_FALSE(FindFile("note"));
    EXPECT_FALSE(FindFile("NOTE"));
    EXPECT_FALSE(FindFile(""));
}

TEST_F(Catalogue, CreateAddsEmptyNoteOnlyWhenItMay)
{
    Ecrit("dossier/listee", "contenu");
    Ecrit("dossier/cachee", "ajoutee par un autre programme");
    Liste({"listee"});

    EXPECT_EQ(FnCreateFile(""), RES_OK);  // nothing asked, nothing failed
    EXPECT_EQ(FnCreateFile("listee"), RES_OK);
    EXPECT_EQ(Liste(), Noms{"listee"});
    EXPECT_EQ(Lit("dossier/listee"), "contenu");

    FnCreateFile("cachee");
    EXPECT_EQ(Lit("dossier/cachee"), "ajoutee par un autre programme");
    FnCreateFile("Neuve");
    EXPECT_TRUE(Existe("dossier/Neuve"));
    // Two spellings are two notes, unless the card folds them into one (FAT): then the
    // second is refused, and deleting it takes nothing of the first.
    bool fat = Existe("dossier/neuve");
    EXPECT_EQ(FnCreateFile("neuve"), fat ? RES_AUTRE_GRAPHIE : RES_OK);
    if (fat) {
        EXPECT_EQ(Entrees(), (Noms{"listee", "cachee", "Neuve"}));
        Liste({"listee", "cachee", "Neuve", "neuve"});
        EXPECT_EQ(FnRemoveFile("neuve"), RES_OK);
        EXPECT_TRUE(Existe("dossier/Neuve"));
        EXPECT_EQ(Liste(), (Noms{"listee", "cachee", "Neuve"}));
        return;
    }
    EXPECT_EQ(Liste(), (Noms{"listee", "cachee", "Neuve", "neuve"}));
    EXPECT_EQ(Lit("dossier/neuve"), "");
}

TEST_F(Catalogue, UnsafeNamesNeverReachOutsideTheFolder)
{
    ASSERT_EQ(mkdir("a", 0777), 0);
    Ecrit("a/b", "hors du dossier");
    Ecrit("voisin", "hors du dossier");
    const Noms dangereux = {".", "..", "a/b", "../voisin", "/tmp", std::string(248, 'x')};
    for (const std::string& n : dangereux) FnCreateFile(n.c_str());
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_TRUE(Entrees().empty());

    // Even listed by mistake, they delete nothing.
    Liste(dangereux);
    for (const std::string& n : dangereux) {
        Titre(n);
        FnRemoveFile(ChaineTitre);
    }
    EXPECT_EQ(Liste(), dangereux);
    EXPECT_EQ(Lit("a/b"), "hors du dossier");
    EXPECT_EQ(Lit("voisin"), "hors du dossier");
    EXPECT_TRUE(Existe("dossier"));
}

// Removal of each position, called as the confirmed delete calls it: with ChaineTitre,
// which then holds the last listed name, not a neighbour of the deleted one.
TEST_F(Catalogue, RemoveDropsNameAndShowsTheLastListed)
{
    struct Cas { Noms avant; std::string nom; Noms apres; std::string titre; } cas[] = {
        {{"x", "y", "z"}, "x", {"y", "z"}, "z"},
        {{"x", "y", "z"}, "y", {"x", "z"}, "z"},
        {{"x", "y", "z"}, "z", {"x", "y"}, "y"},
        {{"seule"}, "seule", {}, ""},
    };
    for (const Cas& c : cas) {
        for (const std::string& n : c.avant) Ecrit("dossier/" + n, n);
        Liste(c.avant);
        Titre(c.nom);
        EXPECT_EQ(FnRemoveFile(ChaineTitre), RES_OK);
        EXPECT_EQ(Liste(), c.apres) << c.nom;
        EXPECT_EQ(ChaineTitre, c.titre) << c.nom;
        EXPECT_EQ(ListeFichier.Lignes[c.apres.size()].Caracteres[0], 0) << c.nom;
        EXPECT_EQ(Entrees().size(), c.apres.size()) << c.nom;
        EXPECT_FALSE(Existe("dossier/" + c.nom));
        for (const std::string& n : c.apres) std::remove(("dossier/" + n).c_str());
    }
}

TEST_F(Catalogue, RemoveKeepsNamesWhoseFileStays)
{
    ASSERT_EQ(mkdir("dossier/plein", 0777), 0);
    Ecrit("dossier/plein/note", "a garder");
    Ecrit("dossier/Note", "majuscule");
    Liste({"plein", "Note", "note", "disparue"});

    Titre("plein");
    // A non-empty folder cannot be deleted. A FAT driver in user space answers EPERM where
    // others say "not empty".
    Resultat r = FnRemoveFile(ChaineTitre);
    EXPECT_TRUE(r == RES_DOSSIER_PLEIN || r == RES_REFUS) << r;
    EXPECT_EQ(Lit("dossier/plein/note"), "a garder");
    EXPECT_STREQ(ChaineTitre, "plein");
    EXPECT_EQ(FnRemoveFile(""), RES_OK);
    EXPECT_EQ(FnRemoveFile("absente"), RES_OK);
    EXPECT_EQ(Liste(), (Noms{"plein", "Note", "note", "disparue"}));

    FnRemoveFile("disparue");  // already gone from the card: the name goes too
    FnRemoveFile("note");
    EXPECT_EQ(Liste(), (Noms{"plein", "Note"}));
    EXPECT_EQ(Lit("dossier/Note"), "majuscule");
}

TEST_F(Catalogue, DelLigneFichierAcceptsAListedLineAsArgument)
{
    Liste({"a", "b", "c"});
    FnDelLigneFichier(ListeFichier.Lignes[0].Caracteres);
    EXPECT_EQ(Liste(), (Noms{"b", "c"}));
    EXPECT_STREQ(ChaineTitre, "c");
}
