// What every test of the notes shares, without a test framework so that the fuzz targets
// can include it too: a scratch folder, file helpers that never follow a link nor wait on a
// pipe, and the line buffer's promises (checked after every load, edit and save).
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fs.h"
#include "globals.h"
#include "notes.h"

namespace test {

// The entries of a folder in the order readdir yields them, "." and ".." left out.
inline std::vector<std::string> Entries(const std::string& folder = "dossier")
{
    std::vector<std::string> names;
    DIR* d = opendir(folder.c_str());
    if (!d) return names;
    while (struct dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    }
    closedir(d);
    return names;
}

inline bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Removes a file, a link or a whole folder; folders closed to the owner are opened first.
// A link is removed, never followed.
inline void RemoveTree(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
        unlink(path.c_str());
        return;
    }
    chmod(path.c_str(), 0700);
    for (const std::string& n : Entries(path)) RemoveTree(path + "/" + n);
    rmdir(path.c_str());
}

// What another program does: writes the file at path, making it when missing, never through
// a link (a link in dossier/ may lead out of the scratch folder). A link, a folder or a pipe
// of that name is left as it is, and false returned.
inline bool WriteBytes(const std::string& path, const void* bytes, size_t n)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const char* p = static_cast<const char*>(bytes);
    while (ok && n > 0) {
        ssize_t k = write(fd, p, n);
        ok = k > 0;
        if (ok) p += k, n -= (size_t)k;
    }
    return close(fd) == 0 && ok;
}

// The bytes of a regular file; empty for anything else. Never follows a link and never
// waits on a pipe.
inline std::string ReadFile(const std::string& path)
{
    std::string s;
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return s;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char block[4096];
        ssize_t n;
        while ((n = read(fd, block, sizeof block)) > 0) s.append(block, (size_t)n);
    }
    close(fd);
    return s;
}

// Where a test that saves thousands of times makes its scratch folder: /dev/shm when the
// machine has it, as a save syncs the file and the folder, else TMPDIR or /tmp.
inline std::string MemoryTmp()
{
    const char* tmp = getenv("TMPDIR");
    return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp ? tmp : "/tmp");
}

// A fresh folder made in parent and entered; on destruction it is left (for the folder
// the process was in) and removed with what it holds. A folder that cannot be made or
// entered aborts the run.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& parent = "/tmp")
    {
        std::string tmpl = parent + "/scrivelle-test-XXXXXX";
        if (mkdtemp(&tmpl[0]) == nullptr) abort();
        path_ = tmpl;
        previous_ = open(".", O_RDONLY | O_DIRECTORY);
        if (previous_ < 0) abort();
        Enter();
    }
    ~ScratchDir()
    {
        Leave();
        close(previous_);
        RemoveTree(path_);
    }
    void Enter() const
    {
        if (chdir(path_.c_str()) != 0) abort();
    }
    // Back to the folder the process was in (a fuzzer keeps its corpus paths there).
    void Leave() const
    {
        if (fchdir(previous_) != 0) abort();
    }

private:
    std::string path_;
    int previous_;
};

// ---- Notes and the line buffer ----

// The lines of a note file: k newlines, k + 1 lines.
inline std::vector<std::string> Split(const std::string& bytes)
{
    std::vector<std::string> lines(1);
    for (char c : bytes) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}

inline std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (size_t i = 0; i < lines.size(); i++) s += (i ? "\n" : "") + lines[i];
    return s;
}

// The buffer's lines, each up to its zero byte: the names of ListeFichier, or what a save
// of Texte must write once joined.
inline std::vector<std::string> Lines(const STexte& t = ListeFichier)
{
    std::vector<std::string> lines;
    for (int i = 0; i < t.NbLignes; i++) lines.push_back(t.Lignes[i].Caracteres);
    return lines;
}

// Whether a folder entry of this name can be listed: a valid name, not a save's debris.
inline bool CanBeNote(const std::string& name)
{
    char path[CHEMIN_TAILLE];
    return FsChemin(path, name.c_str()) && !FsEstTemporaire(name.c_str());
}

// Puts these lines into the buffer, with their lengths.
inline void Fill(STexte* t, const std::vector<std::string>& lines)
{
    FnClearText(t);
    for (const std::string& l : lines) {
        SLigne& s = t->Lignes[t->NbLignes++];
        memcpy(s.Caracteres, l.c_str(), l.size() + 1);
        s.Longueur = (int)l.size();
    }
}

// Whether the editor can hold the note exactly: 50 lines of at most 255 bytes, no zero byte.
inline bool Fits(const std::string& bytes)
{
    std::vector<std::string> lines = Split(bytes);
    if (lines.size() > (size_t)TEXTE_NB_LIGNES) return false;
    for (const std::string& l : lines) {
        if (l.size() > (size_t)LIGNE_LONGUEUR_MAX || l.find('\0') != std::string::npos) return false;
    }
    return true;
}

// The first broken promise of the line buffer, "" when it keeps them all: at most 50 lines,
// each terminated within its 256 bytes with a length of 0 to 255, every unused slot empty.
inline std::string BufferFault(const STexte& t)
{
    if (t.NbLignes < 0 || t.NbLignes > TEXTE_NB_LIGNES) return "NbLignes " + std::to_string(t.NbLignes);
    for (int i = 0; i < TEXTE_NB_LIGNES; i++) {
        const SLigne& l = t.Lignes[i];
        std::string line = "line " + std::to_string(i);
        if (memchr(l.Caracteres, 0, LIGNE_TAILLE) == nullptr) return line + " unterminated";
        if (l.Longueur < 0 || l.Longueur > LIGNE_LONGUEUR_MAX) return line + " Longueur";
        if (i >= t.NbLignes && l.Caracteres[0] != 0) return "unused slot " + std::to_string(i) + " holds text";
    }
    return "";
}

// The first way Texte, after loading a file of these bytes, differs from what a load must
// give; "" when none. The longest note that fits is 50 lines of 255 bytes and 49 newlines
// (NOTE_OCTETS_MAX): a load shows the lines of that many bytes at most (reading one more
// only tells a longer file), each cut at 255 bytes, zero bytes kept and counted, the cursor
// at the top, and is incomplete exactly when the file does not fit.
inline std::string LoadFault(const std::string& bytes)
{
    std::string fault = BufferFault(Texte);
    if (!fault.empty()) return fault;
    std::vector<std::string> lines = Split(bytes.substr(0, NOTE_OCTETS_MAX));
    size_t expected = std::min(lines.size(), (size_t)TEXTE_NB_LIGNES);
    if ((size_t)Texte.NbLignes != expected)
        return std::to_string(Texte.NbLignes) + " lines loaded, " + std::to_string(expected) + " expected";
    for (int i = 0; i < Texte.NbLignes; i++) {
        const SLigne& l = Texte.Lignes[i];
        std::string line = "line " + std::to_string(i);
        if (std::string(l.Caracteres, l.Longueur) != lines[i].substr(0, LIGNE_LONGUEUR_MAX)) return line + " differs";
        if (l.Caracteres[l.Longueur] != 0) return line + " not terminated at its length";
        if (l.LongueurInitiale != l.Longueur) return line + " LongueurInitiale";
    }
    if (Texte.LigneActive != 0 || Texte.LigneDebut != 0 || Texte.LigneFin != 0) return "cursor not at the top";
    if (TexteIncomplet == Fits(bytes)) return TexteIncomplet ? "a note that fits is incomplete" : "a note that does not fit is complete";
    return "";
}

}  // namespace test
