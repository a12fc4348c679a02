// What a memory card can hold besides the program's own notes, driven through the screens
// where a user would meet it: a crowded folder, names of every length, binary files,
// files the program may not read or write, and the character type of the handheld.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <type_traits>

#include "fs.h"
#include "notes.h"
#include "support.h"

using test::ClickAt;
using test::Type;

namespace {

int RowY(int r) { return 24 + 12 * r + 6; }

class HostileCard : public test::ProgramTest {
protected:
    void Create() { ClickAt(28, 10); }
    void OpenIcon() { ClickAt(58, 10); }
    void Save() { ClickAt(28, 10); }
    void Back() { ClickAt(62, 10); }
    void Acknowledge() { ClickAt(160, 134); }
    std::vector<std::string> Listed()
    {
        std::vector<std::string> names;
        for (int i = 0; i < ListeFichier.NbLignes; i++) names.push_back(ListeFichier.Lignes[i].Caracteres);
        return names;
    }
    // Picks the row showing this name, scrolling from the top; false when it is not listed.
    bool Pick(const std::string& name)
    {
        while (ListeFichier.LigneDebut > 0) test::Press(&TUP);
        for (int i = 0; i < ListeFichier.NbLignes; i++) {
            if (name != ListeFichier.Lignes[i].Caracteres) continue;
            while (i - ListeFichier.LigneDebut >= 6) test::Press(&TDOWN);
            ClickAt(40, RowY(i - ListeFichier.LigneDebut));
            return name == ChaineTitre;
        }
        return false;
    }
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

// The files of a crowded card: the first 50 that can be notes are listed, the list scrolls
// to its end, refuses a new name and still opens and saves the last one.
TEST_F(HostileCard, AThousandEntriesListFiftyAndStayUsable)
{
    for (int i = 0; i < 1000; i++) {
        int fd = open(("dossier/n" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0666);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    Restart();
    ASSERT_EQ(ListeFichier.NbLignes, 50);
    for (int i = 0; i < 60; i++) test::Press(&TDOWN);
    EXPECT_EQ(ListeFichier.LigneDebut, 44) << "the window stops at the last listed name";
    ClickAt(40, RowY(5));
    std::string last = Listed().back();
    EXPECT_EQ(ChaineTitre, last);

    Type("fresh");
    Create();
    EXPECT_EQ(ListeFichier.NbLignes, 50) << "a full list refuses a new name";
    EXPECT_STREQ(Message.GetLine1(), "File not created");
    EXPECT_FALSE(test::Exists("dossier/fresh"));
    Acknowledge();

    EditAndSave(last, "x", "x");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("dossier"), {}), 1000)
        << "nothing made, nothing lost, no temporary file left";
}

// 247 bytes is the longest name a note can have: listed, picked, opened and saved through
// the screens. Longer ones, up to the 255 the card allows, are never listed, and no
// operation takes a name of 300 bytes.
TEST_F(HostileCard, NamesOfEveryLength)
{
    const std::string longest(247, 'a'), over(248, 'b'), cardMax(255, 'c'), huge(300, 'd');
    Note(longest, "longest");
    Note(over, "too long");
    Note(cardMax, "too long as well");
    Note("n", "short");
    Restart();
    std::vector<std::string> listed = Listed();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{longest, "n"}));

    EditAndSave(longest, "!", "longest!");

    FnCreateFile(huge.c_str());
    FnCreateFile(over.c_str());
    EXPECT_EQ(ListeFichier.NbLignes, 2);
    EXPECT_FALSE(FindFile(huge.c_str()));
    FnRemoveFile(over.c_str());
    EXPECT_EQ(NoteBytes(over), "too long");
    FnReadFile(huge.c_str());
    EXPECT_TRUE(TexteIncomplet);
    EXPECT_EQ(Texte.NbLignes, 1);
    TexteIncomplet = false;
    EXPECT_NE(FnWriteFile(huge.c_str()), RES_OK);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("dossier"), {}), 4);
}

// Binary files from other programs open as far as they fit and are never written over.
TEST_F(HostileCard, BinaryFilesOpenButAreNeverSavedOver)
{
    std::string picture = test::ReadFile("image/icones.png");
    std::string noise;
    for (int i = 0; i < 4000; i++) noise += (char)((i * 7919) % 256);
    ASSERT_NE(picture.find('\0'), std::string::npos);
    Note("picture", picture);
    Note("noise", noise);
    Restart();
    for (const char* name : {"picture", "noise"}) {
        ASSERT_TRUE(Pick(name));
        OpenIcon();
        ASSERT_EQ(Etape, 1) << name;
        EXPECT_STREQ(Message.GetLine1(), "Note not fully loaded") << "said as it opens";
        Acknowledge();
        for (int i = 0; i < 3; i++) test::Press(&TDOWN);
        Type("typed");
        Save();
        EXPECT_STREQ(Message.GetLine1(), "File not saved") << name;
        EXPECT_STREQ(Message.GetLine2(), "Note not fully loaded") << name;
        Acknowledge();
        Back();
    }
    EXPECT_EQ(NoteBytes("picture"), picture);
    EXPECT_EQ(NoteBytes("noise"), noise);
}

// A name only a save's temporary file has would be created, listed, then never listed
// again by a scan: the note would vanish from sight.
TEST_F(HostileCard, CreateRefusesTheNamesOfASavesTemporaryFiles)
{
    FnCreateFile(".sauve-Ab3xY9");
    EXPECT_EQ(ListeFichier.NbLignes, 0);
    EXPECT_FALSE(test::Exists("dossier/.sauve-Ab3xY9"));
    for (const char* name : {".sauve-Ab3xY", ".sauve-Ab3xY9z", ".sauve-Ab3x.9"}) FnCreateFile(name);
    std::vector<std::string> created = Listed();
    Restart();
    EXPECT_EQ(Listed().size(), 3u);
    for (const std::string& n : created) EXPECT_TRUE(FindFile(n.c_str())) << n;
}

// Runs f as a user other than root (nobody), in a child process. Returns f's status, or
// 77 when the machine does not let the test change user.
template <class F> int AsOrdinaryUser(F f)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
            if (setuid(0) == 0) _exit(77);  // root could come back: not a real drop
        }
        _exit(f());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
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

    int failed = AsOrdinaryUser([] {
        FnReadFile("secret");
        if (!TexteIncomplet || Texte.NbLignes != 1 || Texte.Lignes[0].Caracteres[0]) return 1;
        if (FnWriteFile("secret") == RES_OK) return 2;
        FnReadFile("readonly");
        if (TexteIncomplet || std::string(Texte.Lignes[0].Caracteres) != "look, don't touch") return 3;
        Texte.Lignes[0].Caracteres[0] = 'L';
        if (FnWriteFile("readonly") == RES_OK) return 4;
        return 0;
    });
    // The handheld runs as root: a run that could not become another user proves nothing.
    ASSERT_NE(failed, 77) << "the test could not run as another user";
    EXPECT_EQ(failed, 0) << "check " << failed << " failed in a writable folder";

    ASSERT_EQ(chmod("dossier", 0555), 0);  // now only root may change the folder
    failed = AsOrdinaryUser([] {
        FnReadFile("open");
        if (TexteIncomplet) return 5;
        if (FnWriteFile("open") == RES_OK) return 6;
        FnCreateFile("new");
        if (FindFile("new")) return 7;
        FnRemoveFile("open");
        if (!FindFile("open")) return 8;
        return 0;
    });
    EXPECT_EQ(failed, 0) << "check " << failed << " failed in a read-only folder";

    EXPECT_EQ(Listed().size(), 3u) << "a note the user may not read is still listed";
    chmod("dossier/secret", 0600);
    EXPECT_EQ(NoteBytes("secret"), "not for your eyes");
    EXPECT_EQ(NoteBytes("readonly"), "look, don't touch");
    EXPECT_EQ(NoteBytes("open"), "anyone");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("dossier"), {}), 3)
        << "no new note, no temporary file";
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
