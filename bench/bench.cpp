// Frame benchmark: the program's real frame (input read, screen, keyboard strip, message
// box, flip) on SDL's dummy video driver, over six fixed scenarios, and a yardstick blit.
//
//   scrivelle_bench <assets dir> [--frames N] [--no-callgrind] [--smoke]
//
// For each scenario it prints frames per second and the heap blocks allocated per frame,
// split between the program's own code and the libraries. When valgrind is on the PATH it
// then runs itself again under callgrind and prints instructions per frame and the share
// of each object: the program (src/), SDL, SDL_ttf, FreeType, the C library and the rest.
// It exits with status 1 when one of the frame's targets is missed. --smoke runs a few
// frames only, and checks that the program allocates nothing in a frame and that every
// BMP is in the screen's pixel format (else its blits would convert every frame).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define HAVE_CALLGRIND 1
#else
#define HAVE_CALLGRIND 0
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(s) ((void)(s))
#endif

#include "app.h"
#include "globals.h"
#include "launcher.h"
#include "message_box.h"
#include "pictures.h"
#include "resources.h"
#include "screens.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- heap counting
//
// malloc and its kin are replaced in this executable, so every allocation of the process
// passes here. A block asked for by the executable's own code (the program's units are
// linked into it) counts as the program's; one that a library allocates on its behalf (an
// SDL surface, a stdio stream) counts as the library's.

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
extern char __executable_start[];
extern char etext[];
}

namespace {
bool counting = false;
unsigned long ownBlocks = 0;
unsigned long libraryBlocks = 0;

void Count(void* caller)
{
    if (!counting) return;
    char* p = static_cast<char*>(caller);
    if (p >= __executable_start && p < etext) ownBlocks++;
    else libraryBlocks++;
}
}  // namespace

extern "C" void* malloc(size_t n)
{
    Count(__builtin_return_address(0));
    return __libc_malloc(n);
}

extern "C" void* calloc(size_t n, size_t size)
{
    Count(__builtin_return_address(0));
    return __libc_calloc(n, size);
}

extern "C" void* realloc(void* p, size_t n)
{
    Count(__builtin_return_address(0));
    return __libc_realloc(p, n);
}

extern "C" void free(void* p) { __libc_free(p); }

// The frame never ends the program here, so nothing hands over to a launcher.
void Terminate() {}

namespace {

// ---------------------------------------------------------------- scenarios

const char* const NOTES[] = {"Courses", "Idees", "Rendez-vous", "Livres", "Recettes", "Projets"};
const char* const LINE40 = "The quick brown fox jumps over a lazy do";  // 40 characters

// The 40-character line repeated after a lead to the given length: the longest lines a
// row is given (253 characters and the mark) and the longest names a note can have.
std::string Long(const std::string& lead, size_t length)
{
    std::string s = lead;
    while (s.size() < length) s += std::string(" ") + LINE40;
    return s.substr(0, length);
}

struct Scenario {
    const char* name;
    const char* what;
    void (*setUp)();
};

// Start-up's state, reading the six names from dossier/, and no box left open by the
// scenario before.
void Fresh()
{
    FnEtatInitial();
    Message.SetActive(false);
}

void ListScene()
{
    Fresh();
    strcpy(ChaineTitre, "Shopping list");
    IndChar = (int)strlen(ChaineTitre);
}

// Six names of 247 bytes ("dossier/" and the name make 255), the first picked into the
// name field, which shows its end.
void LongListScene()
{
    Fresh();
    for (int i = 0; i < 6; i++) strcpy(ListeFichier.Lignes[i].Caracteres, Long(NOTES[i], 247).c_str());
    strcpy(ChaineTitre, ListeFichier.Lignes[0].Caracteres);
    IndChar = 0;
}

// The longest start of text that is no wider than largeur pixels in the rows' font.
std::string Fitting(std::string text, int largeur)
{
    int w = 0, h = 0;
    while (!text.empty() && TTF_SizeText(police, text.c_str(), &w, &h) == 0 && w > largeur)
        text.pop_back();
    return text;
}

// The same names cut to what their rows show, and a name that just fills the field: as
// much text on the screen as the long names show, with nothing beyond it.
void RowListScene()
{
    Fresh();
    for (int i = 0; i < 6; i++) {
        strcpy(ListeFichier.Lignes[i].Caracteres, Fitting(Long(NOTES[i], 247), RANGEE_LARGEUR).c_str());
    }
    strcpy(ChaineTitre, Fitting(Long(NOTES[0], 247), NOM_DROITE - NOM_X + 1).c_str());
    IndChar = 0;
}

void Lines(const std::string& line)
{
    Fresh();
    Etape = 1;
    strcpy(ChaineTitre, NOTES[0]);
    for (int i = 0; i < 6; i++) {
        SLigne& l = Texte.Lignes[i];
        strcpy(l.Caracteres, line.c_str());
        l.Longueur = l.LongueurInitiale = (int)line.size();
    }
    Texte.NbLignes = 6;
    Texte.LigneActive = 5;
    Texte.LigneDebut = 0;
}

void EditorScene() { Lines(LINE40); }

// The current line too: the row shows its end.
void LongEditorScene() { Lines(Long("The", 253)); }

void SavedScene()
{
    EditorScene();
    Message.SetMessage("File saved", "", false, MESSAGE_INFORMATION, ACTION_AUCUNE);
}

// The yardstick, not a frame of the program: one full-screen blit of a 32-bit picture onto
// the 16-bit screen, the operation whose time on the handheld is known (about 7.7 ms).
SDL_Surface* reference = nullptr;

void ReferenceScene()
{
    if (reference != nullptr) return;
    reference = SDL_CreateRGBSurface(SDL_SWSURFACE, ECRAN_LARGEUR, ECRAN_HAUTEUR, 32, 0x00FF0000,
                                     0x0000FF00, 0x000000FF, 0);
    Uint32* p = static_cast<Uint32*>(reference->pixels);
    for (int i = 0; i < ECRAN_LARGEUR * ECRAN_HAUTEUR; i++) p[i] = (Uint32)i * 2654435761u;
}

const Scenario SCENARIOS[] = {
    {"list", "file list, six names, a typed name", ListScene},
    {"editor", "editor, six lines of 40 characters, cursor shown", EditorScene},
    {"saved", "editor with the \"File saved\" box open", SavedScene},
    {"listrow", "file list, six names as wide as their rows, one picked", RowListScene},
    {"list247", "file list, six names of 247 bytes, one picked", LongListScene},
    {"edit253", "editor, six lines of 253 characters, cursor shown", LongEditorScene},
    {"blit32", "yardstick: one full-screen 32-to-16-bit blit", ReferenceScene},
};
const int FRAME_SCENARIOS = 6;  // all but the last are the program's frames

// One real frame, or one yardstick blit. The cursor's blink is held at "shown" so every
// frame draws the mark.
void OneFrame(const Scenario& s)
{
    if (s.setUp == ReferenceScene) {
        SDL_BlitSurface(reference, nullptr, ecran, nullptr);
        return;
    }
    tempsPrecedent = (int)SDL_GetTicks();
    AfficheCurseur = 1;
    Trame();
}

struct Figures {
    double fps = 0;
    double ownBlocks = 0, libraryBlocks = 0;  // per frame
};

Figures Run(const Scenario& s, int frames)
{
    s.setUp();
    for (int i = 0; i < 20; i++) OneFrame(s);  // fonts' glyph caches filled
    ownBlocks = libraryBlocks = 0;
    counting = true;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; i++) OneFrame(s);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    counting = false;
    Figures f;
    f.fps = frames / seconds;
    f.ownBlocks = double(ownBlocks) / frames;
    f.libraryBlocks = double(libraryBlocks) / frames;
    return f;
}

// Under callgrind: the counters are zeroed before and dumped after each scenario's frames.
void RunUnderCallgrind(int frames)
{
    for (const Scenario& s : SCENARIOS) {
        s.setUp();
        for (int i = 0; i < 20; i++) OneFrame(s);
        CALLGRIND_ZERO_STATS;
        for (int i = 0; i < frames; i++) OneFrame(s);
        CALLGRIND_DUMP_STATS_AT(s.name);
    }
}

// ---------------------------------------------------------------- set-up

// A scratch working folder with the font and the pictures, and six notes.
std::string Stage(const std::string& assets)
{
    char tmpl[] = "/tmp/scrivelle-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) return "";
    fs::path dir = tmpl;
    fs::create_symlink(fs::absolute(assets) / "arial.ttf", dir / "arial.ttf");
    fs::create_directory_symlink(fs::absolute(assets) / "image", dir / "image");
    fs::create_directory(dir / "dossier");
    for (const char* n : NOTES) std::ofstream(dir / "dossier" / n) << "A note\nof two lines";
    return dir.string();
}

bool StartSdl()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (TTF_Init() != 0 || SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) return false;
    ecran = SDL_SetVideoMode(ECRAN_LARGEUR, ECRAN_HAUTEUR, ECRAN_BPP, 0);
    FnOuvrePolices();
    return ecran != nullptr && FnChargeRessources();
}

// ---------------------------------------------------------------- pixel formats

bool SameFormat(const SDL_PixelFormat* a, const SDL_PixelFormat* b)
{
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask
        && a->Bmask == b->Bmask && a->Amask == b->Amask;
}

// Prints each picture's pixel format; returns the number of BMPs not in the screen's.
int CheckFormats()
{
    struct {
        const char* name;
        SDL_Surface* s;
    } pictures[] = {
#define PICTURE(file, surface, drawing, key, width, height) {file, surface},
        SCRIVELLE_IMAGES(PICTURE)
#undef PICTURE
    };
    int converted = 0;
    std::printf("Pictures (screen: %d-bit):\n", ecran->format->BitsPerPixel);
    for (auto& p : pictures) {
        bool same = SameFormat(p.s->format, ecran->format);
        bool bmp = strstr(p.name, ".bmp") != nullptr;
        std::printf("  %-13s %2d-bit%s  %s\n", p.name, p.s->format->BitsPerPixel,
                    p.s->format->Amask ? " alpha" : "      ",
                    same ? "blits without conversion"
                         : bmp ? "CONVERTED at every blit" : "converted at every blit (per-pixel alpha)");
        if (bmp && !same) converted++;
    }
    return converted;
}

// ---------------------------------------------------------------- callgrind output

// Self cost of one dump, by object and, inside the executable, by source file.
struct Profile {
    unsigned long long total = 0;
    std::map<std::string, unsigned long long> byObject;
    std::map<std::string, unsigned long long> byFunction;  // "object: function"
};

// Reads callgrind's own output format (callgrind_annotate drops the object of code inlined
// from another file): names are compressed as "(id) name" once and "(id)" after; a cost
// line after "calls=" is the callee's inclusive cost, not self cost. In the executable, a
// function defined under src/ is the program's, any other the harness's.
Profile ReadCallgrind(const std::string& path, const std::string& executable)
{
    Profile p;
    std::ifstream in(path);
    std::map<std::string, std::string> names;  // "ob(3)" -> name
    auto name = [&](const std::string& kind, const std::string& v) {
        if (v.empty() || v[0] != '(') return v;
        size_t close = v.find(')');
        std::string id = kind + v.substr(0, close + 1);
        if (close + 1 < v.size()) names[id] = v.substr(close + 2);
        return names[id];
    };
    std::string line, object, file, function;
    bool callCost = false;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        char c = line[0];
        if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '*') {
            if (callCost) {
                callCost = false;
                continue;
            }
            std::istringstream fields(line);
            std::string position;
            unsigned long long ir = 0;
            fields >> position >> ir;
            std::string where = object;
            if (object == executable)
                where = file.find("/src/") != std::string::npos ? "program (src/)" : "bench harness";
            p.byObject[where] += ir;
            p.byFunction[where + ": " + function] += ir;
            p.total += ir;
        } else if (line.compare(0, 3, "ob=") == 0) {
            object = name("ob", line.substr(3));
        } else if (line.compare(0, 3, "fl=") == 0) {
            file = name("fl", line.substr(3));
        } else if (line.compare(0, 3, "fi=") == 0 || line.compare(0, 3, "fe=") == 0) {
            name("fl", line.substr(3));  // code inlined from another file stays its function's
        } else if (line.compare(0, 3, "fn=") == 0) {
            function = name("fn", line.substr(3));
        } else if (line.compare(0, 4, "cob=") == 0) {
            name("ob", line.substr(4));
        } else if (line.compare(0, 4, "cfi=") == 0 || line.compare(0, 4, "cfl=") == 0) {
            name("fl", line.substr(4));
        } else if (line.compare(0, 4, "cfn=") == 0) {
            name("fn", line.substr(4));
        } else if (line.compare(0, 6, "calls=") == 0) {
            callCost = true;
        }
    }
    return p;
}

// The group an object file belongs to in the report.
std::string Group(const std::string& object)
{
    std::string base = fs::path(object).filename().string();
    if (object == "program (src/)" || object == "bench harness") return object;
    if (base.rfind("libSDL_ttf", 0) == 0) return "SDL_ttf";
    if (base.rfind("libSDL_image", 0) == 0) return "SDL_image";
    if (base.rfind("libSDL", 0) == 0) return "SDL";
    if (base.rfind("libfreetype", 0) == 0) return "FreeType";
    if (base.rfind("libc.so", 0) == 0 || base.rfind("libc-", 0) == 0) return "libc";
    return "other";
}

const char* const GROUPS[] = {"program (src/)", "SDL", "SDL_ttf", "FreeType", "libc", "SDL_image",
                              "bench harness", "other"};
const char* const LABELS[] = {"own", "SDL", "SDL_ttf", "FreeType", "libc", "SDL_img", "harness", "other"};

std::string WhichValgrind()
{
    const char* path = getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string d;
    while (std::getline(dirs, d, ':')) {
        std::string v = d + "/valgrind";
        if (access(v.c_str(), X_OK) == 0) return v;
    }
    return "";
}

// Runs this program again under callgrind and reads each scenario's dump. Returns false
// when the run or one of its dumps failed.
bool Callgrind(const std::string& valgrind, const std::string& self, const std::string& assets,
               int frames, std::map<std::string, Profile>* profiles)
{
    char tmpl[] = "/tmp/scrivelle-callgrind-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) return false;
    std::string out = std::string(tmpl) + "/callgrind.out";
    pid_t pid = fork();
    if (pid == 0) {
        std::string file = "--callgrind-out-file=" + out, n = std::to_string(frames);
        execl(valgrind.c_str(), "valgrind", "--tool=callgrind", "--quiet", file.c_str(),
              self.c_str(), assets.c_str(), "--inner", n.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // Each client-request dump is a file of its own, numbered in the order of the dumps.
    int k = 1;
    for (const Scenario& s : SCENARIOS) {
        std::string dump = out + "." + std::to_string(k++);
        if (!fs::exists(dump)) {
            ok = false;
            continue;
        }
        (*profiles)[s.name] = ReadCallgrind(dump, fs::canonical(self).string());
    }
    std::error_code ec;
    fs::remove_all(tmpl, ec);
    return ok;
}

const double HANDHELD_BLIT_MS = 7.7;  // a full-screen 32-to-16-bit blit on the handheld

// Share of the program's own code in a profile, in percent.
double OwnShare(const Profile& p)
{
    auto it = p.byObject.find("program (src/)");
    return p.total && it != p.byObject.end() ? 100.0 * it->second / p.total : 0.0;
}

void PrintProfiles(const std::map<std::string, Profile>& profiles, int frames)
{
    const Profile& yardstick = profiles.at("blit32");
    double blitIr = double(yardstick.total) / frames;
    std::printf("\nInstructions per frame (callgrind, self cost by object, %d frames each):\n", frames);
    std::printf("  %-8s %10s %8s", "scenario", "Ir/frame", "~ms GP2X");
    for (const char* g : LABELS) std::printf(" %8s", g);
    std::printf("\n");
    for (const Scenario& s : SCENARIOS) {
        const Profile& p = profiles.at(s.name);
        std::map<std::string, unsigned long long> groups;
        for (auto& [object, ir] : p.byObject) groups[Group(object)] += ir;
        double perFrame = double(p.total) / frames;
        std::printf("  %-8s %10.0f %8.1f", s.name, perFrame, perFrame / blitIr * HANDHELD_BLIT_MS);
        for (const char* g : GROUPS) std::printf(" %7.1f%%", p.total ? 100.0 * groups[g] / p.total : 0.0);
        std::printf("\n");
    }
    std::printf("  own: the program's code (src/); harness: this benchmark's.\n"
                "  ~ms GP2X: instructions scaled by the yardstick blit's %.0f to its %.1f ms there,\n"
                "  a rough guide, as the two processors' costs per pixel differ.\n",
                blitIr, HANDHELD_BLIT_MS);
    for (int k = 0; k < FRAME_SCENARIOS; k++) {
        const Profile& p = profiles.at(SCENARIOS[k].name);
        std::vector<std::pair<unsigned long long, std::string>> top;
        for (auto& [f, ir] : p.byFunction) top.push_back({ir, f});
        std::sort(top.rbegin(), top.rend());
        std::printf("\n  %s: the costliest functions (Ir per frame; SDL's own blitters are unnamed\n"
                    "  addresses, as Debian strips their symbols)\n", SCENARIOS[k].name);
        for (size_t i = 0; i < top.size() && i < 8; i++) {
            std::string where = top[i].second;
            size_t colon = where.find(": ");
            size_t slash = where.rfind('/', colon);
            if (slash != std::string::npos) where = where.substr(slash + 1);
            std::printf("    %10llu %5.1f%%  %s\n", top[i].first / frames, 100.0 * top[i].first / p.total,
                        where.c_str());
        }
    }
}

// The instruction targets, checked on the figures. Returns the number missed.
int CheckProfiles(const std::map<std::string, Profile>& profiles, int frames)
{
    int missed = 0;
    double editor = double(profiles.at("editor").total) / frames;
    bool met = editor < 2.0e6;
    missed += !met;
    std::printf("  editor frame under 2.0 million instructions (%.2f million): %s\n", editor / 1e6,
                met ? "met" : "MISSED");
    // What cannot be seen costs nothing: long lines cost no more than a tenth over lines
    // of 40 characters, long names no more than names that just fill their rows (six
    // short names show far fewer characters, so they are no measure of it).
    auto ratio = [&](const char* a, const char* b) {
        return double(profiles.at(a).total) / double(profiles.at(b).total);
    };
    const char* const pairs[][2] = {{"edit253", "editor"}, {"list247", "listrow"}};
    for (auto& [longer, shorter] : pairs) {
        met = ratio(longer, shorter) <= 1.1;
        missed += !met;
        std::printf("  %s within 1.1 times %s (%.3f): %s\n", longer, shorter, ratio(longer, shorter),
                    met ? "met" : "MISSED");
    }
    std::printf("  (list247 is %.2f times list, whose short names fill a fifth of their rows)\n",
                ratio("list247", "list"));
    for (int k = 0; k < FRAME_SCENARIOS; k++) {
        double share = OwnShare(profiles.at(SCENARIOS[k].name));
        met = share < 5.0;
        missed += !met;
        std::printf("  %s: the program's own code under 5%% of the frame (%.2f%%): %s\n",
                    SCENARIOS[k].name, share, met ? "met" : "MISSED");
    }
    return missed;
}

// Frames per second and heap blocks natively. Returns the number of targets missed.
int Native(int frames)
{
    bool converted = CheckFormats() > 0;
    std::printf("\nFrames on the dummy video driver (%d each):\n", frames);
    std::printf("  %-8s %10s %18s\n", "scenario", "frames/s", "heap blocks/frame");
    std::printf("  %-8s %10s %9s %8s\n", "", "", "own", "libs");
    bool allocates = false;
    for (const Scenario& s : SCENARIOS) {
        Figures f = Run(s, frames);
        std::printf("  %-8s %10.0f %9.2f %8.2f  %s\n", s.name, f.fps, f.ownBlocks, f.libraryBlocks, s.what);
        allocates = allocates || f.ownBlocks > 0;
    }
    std::printf("\nTargets:\n  every BMP in the screen's pixel format: %s\n", converted ? "MISSED" : "met");
    std::printf("  no heap block of the program's own in a frame: %s\n", allocates ? "MISSED" : "met");
    return int(converted) + int(allocates);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <assets dir> [--frames N] [--no-callgrind] [--smoke]\n", argv[0]);
        return 2;
    }
    std::string assets = fs::absolute(argv[1]).string();
    int frames = 1000;
    bool inner = false, callgrind = true;
    for (int i = 2; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) frames = atoi(argv[++i]);
        else if (a == "--inner" && i + 1 < argc) inner = true, frames = atoi(argv[++i]);
        else if (a == "--smoke") callgrind = false, frames = 20;
        else if (a == "--no-callgrind") callgrind = false;
    }
    std::string self = fs::canonical("/proc/self/exe").string();

    std::string dir = Stage(assets);
    if (dir.empty() || chdir(dir.c_str()) != 0 || !StartSdl()) {
        std::fprintf(stderr, "scrivelle_bench: cannot set up in %s: %s\n", dir.c_str(), SDL_GetError());
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
        return 1;
    }
    int missed = 0;
    if (inner) RunUnderCallgrind(frames);
    else missed = Native(frames);
    SDL_Quit();
    if (chdir("/") != 0) return 1;
    std::error_code ec;
    fs::remove_all(dir, ec);
    if (inner || !callgrind) return missed ? 1 : 0;

    std::string valgrind = WhichValgrind();
    if (valgrind.empty() || !HAVE_CALLGRIND) {
        std::printf("\n%s: no instruction counts.\n", valgrind.empty()
                    ? "valgrind is not installed" : "built without valgrind's header");
        return missed ? 1 : 0;
    }
    const int cgFrames = 50;
    std::map<std::string, Profile> profiles;
    if (!Callgrind(valgrind, self, assets, cgFrames, &profiles)) {
        std::fprintf(stderr, "scrivelle_bench: the callgrind run failed\n");
        return 1;
    }
    PrintProfiles(profiles, cgFrames);
    std::printf("\nTargets:\n");
    missed += CheckProfiles(profiles, cgFrames);
    return missed ? 1 : 0;
}
