// Test support: scratch folders, the dummy screen and frame driving.
#include "support.h"

#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app.h"
#include "draw.h"
#include "resources.h"
#include "screens.h"

namespace fs = std::filesystem;

namespace test {

// An ASSERT in a helper ends the whole test, not the helper alone: a failed setup stops it.
struct FatalEndsTheTest : testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& r) override
    {
        if (r.fatally_failed()) throw testing::AssertionException(r);
    }
};
static const bool installed = (testing::UnitTest::GetInstance()->listeners().Append(new FatalEndsTheTest), true);

void WriteFile(const std::string& path, const std::string& bytes)
{
    unlink(path.c_str());
    if (!WriteBytes(path, bytes.data(), bytes.size())) FAIL() << "cannot write " << path;
}

// What a child of RunInChild said failed, in memory it shares with its parent.
static char* said = (char*)mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);

int Failed(const std::string& what)
{
    snprintf(said, 4096, "%s", what.c_str());
    return 1;
}

ChildEnd EndOfChild(pid_t pid)
{
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return {100, "no child process"};
    ChildEnd end = {WIFEXITED(status) ? WEXITSTATUS(status) : 100, said};
    said[0] = 0;
    if (end.failed.empty() && end.status != 0)
        end.failed = WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "exit status " + std::to_string(end.status);
    return end;
}

void StageAssets()
{
    fs::create_symlink(std::string(ASSETS_DIR) + "/arial.ttf", "arial.ttf");
    fs::create_directory_symlink(std::string(ASSETS_DIR) + "/image", "image");
}

void EnsureScreen()
{
    if (ecran != nullptr) return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ScratchDir dir;
    StageAssets();
    ASSERT_EQ(TTF_Init(), 0);
    ASSERT_GE(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
    ecran = SDL_SetVideoMode(ECRAN_LARGEUR, ECRAN_HAUTEUR, ECRAN_BPP, 0);
    ASSERT_NE(ecran, nullptr) << SDL_GetError();
    FnOuvrePolices();
    ASSERT_TRUE(FnChargeRessources());
}

void ResetProgram()
{
    FnEtatInitial();
    Message.SetActive(false);
    Message.SetClick(false);
    Message.SetConfirm(false);
    MonClavier.SetMaj(false);
    Click = false;
    TUP = TDOWN = TFL = TFR = 0;
    tempsActuel = tempsPrecedent = 0;
    AfficheCurseur = 0;
}

Uint32 Pixel(int x, int y, SDL_Surface* s)
{
    SDL_LockSurface(s);
    Uint16 v = ((Uint16*)s->pixels)[y * s->pitch / 2 + x];
    SDL_UnlockSurface(s);
    Uint8 r, g, b;
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return (Uint32)r << 16 | (Uint32)g << 8 | b;
}

std::vector<Uint32> Pixels(int x, int y, int w, int h)
{
    std::vector<Uint32> p;
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++) p.push_back(Pixel(i, j));
    return p;
}

std::vector<Uint32> WholeText(const std::string& text, int tx, int ty, int x, int y, int w, int h)
{
    SDL_FillRect(ecran, nullptr, SDL_MapRGB(ecran->format, 255, 255, 255));
    drawText(ecran, text.c_str(), tx, ty, 0, 0, 0);
    return Pixels(x, y, w, h);
}

int Width(const std::string& text)
{
    int w = 0, h = 0;
    TTF_SizeText(police, text.c_str(), &w, &h);
    return w;
}

bool Ink(Uint32 p)
{
    return (p >> 16) < 0x90 && ((p >> 8) & 0xFF) < 0x90;
}

bool InkIn(int x0, int y0, int x1, int y1)
{
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            if (Ink(Pixel(x, y))) return true;
    return false;
}

int Differences(const std::vector<Uint32>& a, const std::vector<Uint32>& b)
{
    int n = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size() && i < b.size(); i++) n += a[i] != b[i];
    return n;
}

void Frame()
{
    Click = false;
    TUP = TDOWN = 0;
    FnDerouleTrame();
}

void FrameWithMark(int shown)
{
    AfficheCurseur = shown;
    tempsPrecedent = (int)SDL_GetTicks() + 100000;  // no blink however slow the frame
    Frame();
}

void ClickAt(int x, int y)
{
    Click = true;
    TUP = TDOWN = 0;
    MouseX = x;
    MouseY = y;
    FnDerouleTrame();
    Click = false;
}

void Press(int* button)
{
    Click = false;
    TUP = TDOWN = 0;
    *button = 1;
    FnDerouleTrame();
    *button = 0;
}

int KeyX(int i) { return MonClavier.GetCollX1(i) + 16; }
int KeyY(int i) { return MonClavier.GetCollY1(i) + 16; }

// The key that types c on either page (shift applied for capitals), or -1.
static int KeyFor(unsigned char c, bool* upper)
{
    *upper = c >= 'A' && c <= 'Z';
    unsigned char want = *upper ? (unsigned char)(c + 32) : c;
    bool maj = MonClavier.GetMaj();
    MonClavier.SetMaj(false);
    int found = -1;
    for (int i = 0; i <= PAGE_SIGNES_FIN && found < 0; i++) {
        if (MonClavier.GetFonction(i) == TOUCHE_CARACTERE && (unsigned char)MonClavier.GetValeur(i) == want)
            found = i;
    }
    MonClavier.SetMaj(maj);
    return found;
}

static void ShowPage(int page)
{
    if (Fonction != page) SwitchPage();
}

void Type(const std::string& text)
{
    for (unsigned char c : text) {
        int key;
        bool upper = false;
        if (c == '\n') key = INDICE_RETOUR;
        else if (c == '\b') key = INDICE_EFFACE;
        else key = KeyFor(c, &upper);
        ASSERT_GE(key, 0) << "no key types byte " << (int)c;
        ShowPage(key <= PAGE_LETTRES_FIN ? 0 : 1);
        if (key <= PAGE_LETTRES_FIN && MonClavier.GetMaj() != upper && c >= 'A' && c <= 'z')
            Shift();
        ClickAt(KeyX(key), KeyY(key));
    }
    ShowPage(0);
}

long OpenDescriptors()
{
    auto fd = fs::directory_iterator("/proc/self/fd");
    return std::distance(fd, fs::directory_iterator());
}

bool Pick(const std::string& name)
{
    while (ListeFichier.LigneDebut > 0) Press(&TUP);
    for (int i = 0; i < ListeFichier.NbLignes; i++) {
        if (name != ListeFichier.Lignes[i].Caracteres) continue;
        while (i - ListeFichier.LigneDebut >= RANGEES) Press(&TDOWN);
        ClickAt(40, RowY(i - ListeFichier.LigneDebut));
        return name == ChaineTitre;
    }
    return false;
}

void FolderTest::SetUp()
{
    const char* parent = getenv("SCRIVELLE_TESTS_DOSSIER");
    SetUpIn(parent ? parent : "/tmp");
}

void FolderTest::SetUpIn(const std::string& parent)
{
    dir_ = new ScratchDir(parent);
    ASSERT_EQ(mkdir("dossier", 0777), 0);
    FnClearText(&Texte);
    FnClearText(&ListeFichier);
    TexteIncomplet = false;
    ChaineTitre[0] = 0;
}

void ProgramTest::SetUpIn(const std::string& parent)
{
    EnsureScreen();
    FolderTest::SetUpIn(parent);
    StageAssets();
    ResetProgram();
}

void ProgramTest::Names(const std::vector<std::string>& names)
{
    for (const std::string& n : names) Note(n, "");
    Restart();
}

void ProgramTest::Open(const std::string& name, const std::string& bytes)
{
    Note(name, bytes);
    Restart();
    std::snprintf(ChaineTitre, sizeof ChaineTitre, "%s", name.c_str());
    OpenIcon();
    ASSERT_EQ(Etape, 1);
}

int ProgramTest::RowOf(const std::string& name)
{
    int i = 0;
    while (i < ListeFichier.NbLignes && name != ListeFichier.Lignes[i].Caracteres) i++;
    [&] { ASSERT_LT(i, ListeFichier.NbLignes) << name << " not listed"; }();  // ends the test
    return i - ListeFichier.LigneDebut;
}

}  // namespace test
