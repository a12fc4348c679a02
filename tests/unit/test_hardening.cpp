// What a memory card can hold besides the program's own notes, driven through the screens
// where a user would meet it: a crowded folder, names of every length, binary files,
// files the program may not read or write, and the character type of the handheld.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <type_traits>

#include "fs.h"
#include "notes.h"
#include "support.h"

namespace {

using namespace test;

class HostileCard : public ProgramTest {
protected:
    // Picks, opens and types into a note through the screens, saves it and goes back.
    void EditAndSave(const std::string& name, const std::string& typed, const std::string& bytes)
    {
        ASSERT_TRUE(Pick(name));
        OpenIcon();
        ASSERT_EQ(Etape, 1);
        Type(typed);
        Save();
        EXPECT_STREQ(Message.GetLine1(), "File saved");
        EXPECT_EQ(NoteBytes(name), bytes);
        Acknowledge();
        Back();
    }
};

// The files of a crowded card: the first 50 that can be notes are listed (the cap itself is
// Catalogue.ScanStopsAtFiftyNames'), the list scrolls to its end and still opens and saves
// the last one, and nothing else on the card changes.
TEST_F(HostileCard, AThousandEntriesListFiftyAndStayUsable)
{
    for (int i = 0; i < 1000; i++) WriteBytes("dossier/n" + std::to_string(i), "", 0);
    Restart();
    ASSERT_EQ(ListeFichier.NbLignes, 50);
    for (int i = 0; i < 60; i++) Press(&TDOWN);
    EXPECT_EQ(ListeFichier.LigneDebut, 44) << "the window stops at the last listed name";
    ClickAt(40, RowY(5));
    std::string last = Lines().back();
    EXPECT_EQ(ChaineTitre, last);

    EditAndSave(last, "x", "x");
    EXPECT_EQ(Entries().size(), 1000u) << "nothing made, nothing lost, no temporary file left";
}

// 247 bytes is the longest name a note can have: listed, picked, opened and saved through
// the screens. Longer ones, up to the 255 the card allows, are never listed (what the
// operations do with them: Catalogue.UnsafeNamesNeverReachOutsideTheFolder).
TEST_F(HostileCard, NamesOfEveryLength)
{
    const std::string longest(247, 'a'), over(248, 'b'), cardMax(255, 'c');
    Note(longest, "longest");
    Note(over, "too long");
    Note(cardMax, "too long as well");
    Note("n", "short");
    Restart();
    std::vector<std::string> listed = Lines();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{longest, "n"}));

    EditAndSave(longest, "!", "longest!");
    EXPECT_EQ(Entries().size(), 4u);
}

// A name only a save's temporary file has would be created, listed, then never listed
// again by a scan: the note would vanish from sight.
TEST_F(HostileCard, CreateRefusesTheNamesOfASavesTemporaryFiles)
{
    for (const std::string name : {".sauve-Ab3xY9", ".sauve-az09AZ"}) {  // the letters' and digits' ends
        FnCreateFile(name.c_str());
        EXPECT_FALSE(Exists("dossier/" + name)) << name;
    }
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    for (const char* name : {".sauve-Ab3xY", ".sauve-Ab3xY9z", ".sauve-Ab3x.9"}) FnCreateFile(name);
    std::vector<std::string> created = Lines();
    Restart();
    EXPECT_EQ(Lines().size(), 3u);
    for (const std::string& n : created) EXPECT_TRUE(FindFile(n.c_str())) << n;
}

// What fails in f run as a user other than root (nobody), in a child process. The handheld
// runs as root: a run that could not become another user proves nothing, and fails.
template <class F> std::string AsOrdinaryUser(F f)
{
    return RunInChild([&] {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0 || !setuid(0)))
            return Failed("the test could not run as another user");  // or root could come back
        return f();
    }).failed;
}

// Permission bits that only bind a user other than root: an unreadable note opens empty
// and is never saved over; a read-only note is not replaced, even where the folder would
// let a save rename over it; a read-only folder refuses saves, creates and deletes.
TEST_F(HostileCard, FilesTheUserMayNotReadOrWrite)
{
    Note("secret", "not for your eyes");
    Note("readonly", "look, don't touch");
    Note("open", "anyone");
    ASSERT_EQ(chmod("dossier/secret", 0000), 0);
    ASSERT_EQ(chmod("dossier/readonly", 0444), 0);
    ASSERT_EQ(chmod("dossier/open", 0666), 0);
    ASSERT_EQ(chmod("dossier", 0777), 0);
    ASSERT_EQ(chmod(".", 0755), 0);
    Restart();

    std::string failed = AsOrdinaryUser([] {
        FnReadFile("secret");
        if (!TexteIncomplet || Texte.NbLignes != 1 || Texte.Lignes[0].Caracteres[0]) return Failed("secret opened");
        if (FnWriteFile("secret") == RES_OK) return Failed("secret saved over");
        FnReadFile("readonly");
        if (TexteIncomplet || std::string(Texte.Lignes[0].Caracteres) != "look, don't touch")
            return Failed("readonly not opened whole");
        Texte.Lignes[0].Caracteres[0] = 'L';
        return FnWriteFile("readonly") == RES_OK ? Failed("readonly saved over") : 0;
    });
    EXPECT_EQ(failed, "") << "in a writable folder";

    ASSERT_EQ(chmod("dossier", 0555), 0);  // now only root may change the folder
    failed = AsOrdinaryUser([] {
        FnReadFile("open");
        if (TexteIncomplet) return Failed("a note opened incomplete");
        if (FnWriteFile("open") == RES_OK) return Failed("a note saved");
        FnCreateFile("new");
        if (FindFile("new")) return Failed("a note created");
        FnRemoveFile("open");
        return FindFile("open") ? 0 : Failed("a note deleted");
    });
    EXPECT_EQ(failed, "") << "in a read-only folder";

    EXPECT_EQ(Lines().size(), 3u) << "a note the user may not read is still listed";
    chmod("dossier/secret", 0600);
    EXPECT_EQ(NoteBytes("secret"), "not for your eyes");
    EXPECT_EQ(NoteBytes("readonly"), "look, don't touch");
    EXPECT_EQ(NoteBytes("open"), "anyone");
    EXPECT_EQ(Entries().size(), 3u) << "no new note, no temporary file";
}

// The handheld's ARM compiler makes char unsigned. A build asked for that type must have it,
// or the unsigned-char run would silently test the desktop's signed char once more.
TEST(CharType, IsTheOneTheBuildAskedFor)
{
#ifdef SCRIVELLE_CHAR_NON_SIGNE
    EXPECT_FALSE(std::is_signed<char>::value);
#endif
    RecordProperty("char", std::is_signed<char>::value ? "signed" : "unsigned");
}

}  // namespace
