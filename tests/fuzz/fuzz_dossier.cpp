// Any folder contents and any sequence of catalogue operations: the scan, create, remove,
// find, a name dropped from the list, a note opened (and edited) and saved, and what another
// program does meanwhile (adds files, folders, pipes and links, changes permissions, deletes).
// Checked after every step: the list's buffer and the names it holds (valid, unique, never a
// save's temporary file, present on the card unless something else deleted them). Around
// every operation the whole private folder is compared before and after: an operation may
// change only what it is for, and nothing outside "dossier/" changes but the file that a
// linked note leads to, when that note is saved.
//
// The input is a list of steps: one byte chooses the step, the bytes after it are its
// arguments. A name is a length byte, then that many bytes; the length 255 takes one more
// length byte, so names reach 510 bytes. SCRIVELLE_FUZZ_TRACE=1 prints the steps.
#include <limits.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#include <map>
#include <set>
#include <tuple>

#include "atelier.h"
#include "fs.h"
#include "notes.h"

using test::ReadFile;

namespace {

// Any byte that is none of the letters stands for one of these (byte modulo their count).
// Later steps are reached by their letter alone, so that older inputs keep their meaning.
const char Pas[] = "FDLNSCRrfXOTd";
const char PasNommes[] = "PKME";
const std::string Garde = "garde";
const std::string GardeOctets = "outside the notes folder";

// A name for a message: bytes outside printable ASCII escaped, long names cut.
std::string Montre(const std::string& nom)
{
    std::string s;
    for (unsigned char c : nom.substr(0, 48)) {
        char b[8];
        snprintf(b, sizeof b, c >= 32 && c < 127 && c != '\\' ? "%c" : "\\x%02x", c);
        s += b;
    }
    return nom.size() > 48 ? s + "...(" + std::to_string(nom.size()) + " bytes)" : s;
}

const bool Tracant = getenv("SCRIVELLE_FUZZ_TRACE") != nullptr;

void Trace(const char* format, ...)
{
    if (!Tracant) return;
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

// Reads the steps; each name read is traced.
class Lecteur {
public:
    Lecteur(const uint8_t* o, size_t n) : o_(o), n_(n) {}
    bool Fini() const { return i_ >= n_; }
    uint8_t Octet() { return i_ < n_ ? o_[i_++] : 0; }
    std::string Nom()
    {
        size_t n = Octet();
        if (n == 255) n += Octet();
        n = std::min(n, n_ - i_);
        std::string s(reinterpret_cast<const char*>(o_ + i_), n);
        i_ += n;
        if (Tracant) Trace(" %s", Montre(s).c_str());
        return s;
    }
private:
    const uint8_t* o_;
    size_t n_;
    size_t i_ = 0;
};

// A name as it can exist on the card: no "/" and no zero byte, at most 255 bytes.
std::string SurLaCarte(std::string nom)
{
    for (char& c : nom) {
        if (c == '/' || c == 0) c = '_';
    }
    return nom.substr(0, 255);
}

// Up to the zero byte, as the program sees a C string.
std::string CommeChaine(const std::string& nom)
{
    return nom.substr(0, nom.find('\0'));
}

std::string Dans(const std::string& nom) { return "dossier/" + nom; }

bool Listee(const std::string& nom)
{
    std::vector<std::string> l = test::Lines();
    return std::find(l.begin(), l.end(), nom) != l.end();
}

std::string Reel(const std::string& chemin)
{
    char r[PATH_MAX];
    return realpath(chemin.c_str(), r) ? r : "";
}

// ---- What the private folder holds ----

// An entry as far as it can change. A file of dossier/ is told by its inode, size and
// modification time (a replacement or a write changes them), which is cheap for a thousand
// files; the files beside dossier/ (the guard) by their bytes as well.
struct Entree {
    explicit Entree(const std::string& c = "") : chemin(c) {}
    std::string chemin;
    char genre = 0;  // 0 absent, 'f' file, 'd' folder, 'l' link, 'p' pipe, '?' anything else
    mode_t mode = 0;
    std::string contenu;  // a link's target, the names in a folder, the guard's bytes
    ino_t inode = 0;
    off_t taille = 0;
    long long temps = 0;
    auto Tout() const { return std::tie(chemin, genre, mode, contenu, inode, taille, temps); }
    bool operator==(const Entree& a) const { return Tout() == a.Tout(); }
};

// noms: a folder with the names it holds.
Entree Decrit(const std::string& chemin, bool noms = true)
{
    Entree e(chemin);
    struct stat st;
    if (lstat(chemin.c_str(), &st) != 0) return e;
    e.mode = st.st_mode & 07777;
    if (S_ISREG(st.st_mode)) {
        e.genre = 'f';
        e.inode = st.st_ino;
        e.taille = st.st_size;
        e.temps = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    } else if (S_ISDIR(st.st_mode)) {
        e.genre = 'd';
        std::vector<std::string> v = noms ? test::Entries(chemin.c_str()) : std::vector<std::string>();
        std::sort(v.begin(), v.end());
        for (const std::string& n : v) e.contenu += n + '/';
    } else if (S_ISLNK(st.st_mode)) {
        e.genre = 'l';
        e.mode = 0;
        char cible[PATH_MAX];
        ssize_t n = readlink(chemin.c_str(), cible, sizeof cible);
        if (n > 0) e.contenu.assign(cible, (size_t)n);
    } else {
        e.genre = S_ISFIFO(st.st_mode) ? 'p' : '?';
    }
    return e;
}

// The working folder (dossier/ itself by its permissions alone) and each entry of dossier/.
struct Photo {
    std::map<std::string, Entree> entrees;
    static Photo Prend()
    {
        Photo p;
        for (const std::string& n : test::Entries(".")) {
            Entree e = Decrit(n, n != "dossier");  // its entries are told one by one
            if (e.genre == 'f') e.contenu = ReadFile(n);
            p.Met(e);
        }
        for (const std::string& n : test::Entries("dossier")) p.Met(Decrit(Dans(n)));
        return p;
    }
    Entree operator[](const std::string& chemin) const
    {
        auto i = entrees.find(chemin);
        return i != entrees.end() ? i->second : Entree(chemin);
    }
    void Met(const Entree& e)
    {
        if (e.genre) entrees[e.chemin] = e;
        else entrees.erase(e.chemin);
    }
};

// Stops at the first entry that differs.
void Compare(const Photo& attendu, const Photo& vu, const char* quoi)
{
    auto compare = [quoi](const Entree& ea, const Entree& ev) {
        VERIFIE(ea == ev, "%s: %s was %c %o (%lld bytes), is %c %o (%lld bytes)", quoi,
                Montre(ea.chemin).c_str(), ea.genre ? ea.genre : '-', (unsigned)ea.mode,
                (long long)ea.taille, ev.genre ? ev.genre : '-', (unsigned)ev.mode,
                (long long)ev.taille);
    };
    for (const auto& c : attendu.entrees) compare(c.second, vu[c.first]);
    for (const auto& c : vu.entrees) {
        if (!attendu.entrees.count(c.first)) compare(Entree(c.first), c.second);
    }
}

bool DossierFerme(const Photo& p) { return (p["dossier"].mode & 0222) == 0; }

struct Etat {
    std::set<std::string> effaces;  // names another program deleted since they were listed
    std::set<std::string> debris;   // save-shaped names this input put in the folder itself
    // Notes down a name that the input itself puts in the folder.
    std::string Pose(const std::string& nom)
    {
        if (FsEstTemporaire(nom.c_str())) debris.insert(nom);
        return Dans(nom);
    }
};

// ---- The promises ----

// Those that hold after every step.
void VerifieListe(const Etat& e)
{
    atelier::VerifieTampon(ListeFichier, "ListeFichier");
    std::set<std::string> vus;
    for (int i = 0; i < ListeFichier.NbLignes; i++) {
        const SLigne& l = ListeFichier.Lignes[i];
        std::string nom = l.Caracteres;
        VERIFIE(l.Longueur == 0 && l.LongueurInitiale == 0, "name %d has a length", i);
        VERIFIE(test::CanBeNote(nom), "listed name %d cannot be a note (%zu bytes)", i, nom.size());
        VERIFIE(vus.insert(nom).second, "name %d listed twice", i);
        VERIFIE(test::Exists(Dans(nom)) || e.effaces.count(nom), "listed name %d is not on the card", i);
    }
    VERIFIE(memchr(ChaineTitre, 0, TITRE_TAILLE) != nullptr, "ChaineTitre unterminated");
    VERIFIE(fichier == nullptr, "a stream was left open");
}

// Only a save makes temporary files, and it must not leave one behind.
void VerifieSansDebris(const Etat& e)
{
    for (const std::string& n : test::Entries("dossier")) {
        VERIFIE(!FsEstTemporaire(n.c_str()) || e.debris.count(n), "a save left a temporary file");
    }
}

// The scan removes nothing this input put in the folder (it acts only on the whole records
// of saves and deletes, and on empty files under a record's name, which no input makes),
// then lists the first 50 entries that can be notes, in the folder's order.
void Scanne(Etat& e)
{
    Photo avant = Photo::Prend();
    FnClearText(&ListeFichier);
    FnLitDossier();
    Photo apres = Photo::Prend();
    for (const auto& c : avant.entrees) {
        const Entree& d = c.second;
        if (d.chemin.compare(0, strlen(DOSSIER_NOTES), DOSSIER_NOTES) != 0) continue;
        std::string nom = d.chemin.substr(strlen(DOSSIER_NOTES));
        if (!FsEstTemporaire(nom.c_str()) || d.genre != 'f') continue;
        VERIFIE(apres[d.chemin].genre, "the scan removed a file it cannot prove it wrote");
    }
    Compare(avant, apres, "the scan changed the card");
    e.effaces.clear();
    // A file that a listed name already leads to (a link, a second hard link) is listed once.
    std::vector<std::string> attendu;
    std::set<std::pair<dev_t, ino_t>> fichiers;
    for (const std::string& n : test::Entries("dossier")) {
        if (!test::CanBeNote(n) || attendu.size() >= (size_t)TEXTE_NB_LIGNES) continue;
        struct stat st;
        if (stat(("dossier/" + n).c_str(), &st) == 0 && !fichiers.insert({st.st_dev, st.st_ino}).second)
            continue;
        attendu.push_back(n);
    }
    VERIFIE(test::Lines() == attendu, "the scan listed %d names, %zu expected", ListeFichier.NbLignes,
            attendu.size());
}

void Cree(const std::string& brut)
{
    std::string nom = CommeChaine(brut), cle = Dans(nom), titre = ChaineTitre;
    std::vector<std::string> liste = test::Lines();
    Photo avant = Photo::Prend();
    bool rien = nom.empty() || Listee(nom);
    bool existait = avant[cle].genre;
    bool refus = !rien && (!test::CanBeNote(nom) || liste.size() >= (size_t)TEXTE_NB_LIGNES ||
                           (DossierFerme(avant) && !existait));
    Resultat r = FnCreateFile(brut.c_str());
    bool fait = r == RES_OK;
    Photo apres = Photo::Prend();
    VERIFIE(ChaineTitre == titre, "create changed ChaineTitre");
    if (rien) VERIFIE(fait, "create of an empty or listed name failed");
    if (refus) VERIFIE(!fait, "create of %s made it", Montre(nom).c_str());
    if (!rien && !refus && !DossierFerme(avant)) VERIFIE(fait, "create failed: %d", r);
    if (fait && !rien) {
        liste.push_back(nom);
        if (!existait) {
            VERIFIE(apres[cle].genre == 'f' && apres[cle].taille == 0, "create did not make an empty file");
            avant.Met(apres[cle]);
        }
    }
    VERIFIE(test::Lines() == liste, "create did not append exactly its name");
    Compare(avant, apres, "create");
}

void Retire(const std::string& brut, bool parTitre)
{
    std::string nom = CommeChaine(brut), cle = Dans(nom);
    if (parTitre) snprintf(ChaineTitre, TITRE_TAILLE, "%s", nom.c_str());
    std::string titre = ChaineTitre;
    std::vector<std::string> liste = test::Lines();
    Photo avant = Photo::Prend();
    bool listee = !nom.empty() && Listee(nom);
    Entree entree = avant[cle];
    bool ferme = DossierFerme(avant);
    // A file's own mode bits do not matter: removing it changes the folder.
    bool doitRefuser = listee && entree.genre &&
                       (ferme || (entree.genre == 'd' && !entree.contenu.empty()));
    bool doitFaire = listee && !ferme &&
                     (!entree.genre || entree.genre == 'l' || entree.genre == 'f' || entree.genre == 'p');
    Resultat r = parTitre ? FnRemoveFile(ChaineTitre) : FnRemoveFile(brut.c_str());
    bool fait = r == RES_OK;
    Photo apres = Photo::Prend();
    if (!listee) VERIFIE(fait, "remove of an unlisted name failed");
    if (doitRefuser) VERIFIE(!fait, "remove of %s was not refused", Montre(nom).c_str());
    if (doitFaire) VERIFIE(fait, "remove failed: %d", r);
    if (fait && listee) {
        VERIFIE(!apres[cle].genre, "remove said done and the entry stays");
        liste.erase(std::find(liste.begin(), liste.end(), nom));
        VERIFIE(ChaineTitre == (liste.empty() ? std::string() : liste.back()),
                "ChaineTitre is not the last listed name after a removal");
        avant.entrees.erase(cle);
    } else {
        VERIFIE(ChaineTitre == titre, "a remove that removed nothing changed ChaineTitre");
    }
    VERIFIE(test::Lines() == liste, "remove did not drop exactly its name");
    Compare(avant, apres, "remove");
}

// A listed note opened, maybe given one more line, and saved at once. It opens only when it
// is (or leads to) a regular file that may be read; a save writes it only when it may be
// written, and through a link only into the regular file at the link's end, in place.
void OuvreEtSauve(const std::string& nom, const std::string* ajout)
{
    std::string cle = Dans(nom), racine = Reel(".");
    Photo avant = Photo::Prend();
    Entree entree = avant[cle];
    bool lien = entree.genre == 'l';
    struct stat cs;
    bool existe = stat(cle.c_str(), &cs) == 0;
    bool reguliere = existe && S_ISREG(cs.st_mode);
    std::string vrai = lien && existe ? Reel(cle) : "";
    bool dedans =
        !lien || !existe || vrai == racine || vrai.compare(0, racine.size() + 1, racine + "/") == 0;
    std::string ou = lien ? vrai : cle;  // the file that holds the note, if any
    std::string octets = reguliere ? ReadFile(ou) : "";
    // The file a save may write, as the photo names it: the note's own entry, or the file a
    // link leads to when that is in the working folder or in dossier/ (else "").
    std::string cible = cle;
    if (lien) {
        cible = existe && dedans && vrai != racine ? vrai.substr(racine.size() + 1) : "";
        size_t barre = cible.find('/');
        if (barre != std::string::npos && (cible.compare(0, barre + 1, DOSSIER_NOTES) != 0 ||
                                           cible.find('/', barre + 1) != std::string::npos))
            cible = "";
    }
    Trace(": %c%s", entree.genre ? entree.genre : '-', lien ? (" -> " + Montre(vrai)).c_str() : "");

    FnReadFile(nom.c_str());
    atelier::VerifieTampon(Texte, "Texte");
    VERIFIE(Texte.NbLignes >= 1, "a note opened without a line");
    VERIFIE(fichier == nullptr, "stream left open by the load");
    bool vide = Texte.NbLignes == 1 && Texte.Lignes[0].Caracteres[0] == 0;
    if (!entree.genre) {
        VERIFIE(vide && !TexteIncomplet, "a missing note did not open as one empty line");
    } else if (existe && !reguliere) {
        VERIFIE(vide && TexteIncomplet, "a folder, a pipe or a device opened as a note");
    } else if (reguliere && (cs.st_mode & 0444) == 0) {
        VERIFIE(TexteIncomplet, "a note without read permission opened complete");
    } else if (reguliere) {
        atelier::VerifieCharge(octets);
    }
    VERIFIE(Decrit(cle) == entree, "opening the note changed it");  // the rest: after the save

    // A link that leads out of the private folder (a device, the root) is only read: a wrong
    // save through it would write the machine's own files.
    if (!dedans) return;

    if (ajout && Texte.NbLignes < TEXTE_NB_LIGNES) {
        SLigne& l = Texte.Lignes[Texte.NbLignes++];
        std::string t = ajout->substr(0, LIGNE_LONGUEUR_MAX);
        for (char& c : t) {
            if (c == 0 || c == '\n') c = '_';
        }
        memcpy(l.Caracteres, t.data(), t.size());
        l.Caracteres[t.size()] = 0;
        l.Longueur = l.LongueurInitiale = (int)t.size();
    }
    bool incomplet = TexteIncomplet, ferme = DossierFerme(avant);
    bool doitRefuser = incomplet || (lien && !reguliere) || (reguliere && (cs.st_mode & 0222) == 0) ||
                       (entree.genre && !lien && entree.genre != 'f') || (ferme && !lien);
    // A link straight to a regular file of the working folder or of dossier/ (no chain).
    struct stat ls;
    std::string direct = entree.contenu[0] == '/' ? entree.contenu : Dans(entree.contenu);
    bool unSeulLien = lien && !cible.empty() && lstat(direct.c_str(), &ls) == 0 && S_ISREG(ls.st_mode);
    bool doitFaire = !doitRefuser && !ferme && (!entree.genre || entree.genre == 'f' || unSeulLien);
    Resultat r = FnWriteFile(nom.c_str());
    bool ecrit = r == RES_OK;
    Trace(", saved %d", (int)ecrit);
    Photo apres = Photo::Prend();
    VERIFIE(TexteIncomplet == incomplet, "the save changed TexteIncomplet");
    if (doitRefuser) VERIFIE(!ecrit, "a note that must not be written was saved");
    if (doitFaire) VERIFIE(ecrit, "the save failed: %d", r);
    if (!ecrit) {
        VERIFIE(!reguliere || ReadFile(ou) == octets, "a refused save changed the note");
        Compare(avant, apres, "a refused save changed the card");
        return;
    }
    struct stat ss;
    VERIFIE(lstat(ou.c_str(), &ss) == 0 && S_ISREG(ss.st_mode), "the save did not leave a regular file");
    VERIFIE(ReadFile(ou) == test::Join(test::Lines(Texte)), "the saved file does not hold the note");
    VERIFIE(!reguliere || (ss.st_mode & 07777) == (cs.st_mode & 07777), "the save changed the permissions");
    if (!cible.empty()) avant.Met(apres[cible]);
    Compare(avant, apres, "the save changed more than its note");
}

// A name of the list, or an entry of the folder, picked by a byte (and traced).
const std::string& Nieme(const std::vector<std::string>& v, uint8_t k)
{
    if (Tracant) Trace(" %s", Montre(v[k % v.size()]).c_str());
    return v[k % v.size()];
}

void Pas1(char pas, Lecteur& in, Etat& e)
{
    switch (pas) {
    case 'F': {
        std::string nom = SurLaCarte(in.Nom()), octets = in.Nom();
        test::WriteBytes(e.Pose(nom), reinterpret_cast<const uint8_t*>(octets.data()), octets.size());
        break;
    }
    case 'D': {
        std::string nom = SurLaCarte(in.Nom());
        bool plein = in.Octet() % 2;
        Trace("%s", plein ? " holding x" : "");
        if (mkdir(e.Pose(nom).c_str(), 0777) == 0 && plein)
            test::WriteBytes(Dans(nom) + "/x", nullptr, 0);
        break;
    }
    case 'L': {
        static const char* const cibles[] = {"../garde", "nowhere", ".", "..", "/"};
        std::string nom = SurLaCarte(in.Nom());
        const char* cible = cibles[in.Octet() % 5];
        Trace(" -> %s", cible);
        symlink(cible, e.Pose(nom).c_str());
        break;
    }
    case 'K': {  // a link to a device, to an entry of the folder or to a file in a sub-folder
        std::string nom = SurLaCarte(in.Nom());
        uint8_t k = in.Octet();
        std::string cible = k % 4 == 0 ? "/dev/zero" : k % 4 == 1 ? "/dev/null" : SurLaCarte(in.Nom());
        if (k % 4 == 3) cible += "/x";
        Trace(" -> %s", Montre(cible).c_str());
        if (!cible.empty()) symlink(cible.c_str(), e.Pose(nom).c_str());
        break;
    }
    case 'P': mkfifo(e.Pose(SurLaCarte(in.Nom())).c_str(), 0666); break;
    case 'M': {  // another program changes the permissions of an entry, or of dossier/ itself
        static const mode_t modes[] = {0, 0444, 0222, 0666, 0555, 0777, 0111};
        std::vector<std::string> noms = test::Entries("dossier");
        size_t k = in.Octet() % (noms.size() + 1);
        uint8_t m = in.Octet();
        std::string chemin = k == noms.size() ? "dossier" : Dans(noms[k]);
        mode_t mode = k == noms.size() ? (m % 2 ? 0555 : 0777) : modes[m % 7];
        Trace(" %s %o", Montre(chemin).c_str(), (unsigned)mode);
        struct stat st;
        if (lstat(chemin.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) chmod(chemin.c_str(), mode);
        break;
    }
    case 'N': {  // many entries at once: up to 1,020
        int n = in.Octet() * 4;
        Trace(" %d", n);
        for (int i = 0; i < n; i++) {
            int fd = open(Dans("m" + std::to_string(i)).c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK, 0666);
            if (fd >= 0) close(fd);
        }
        break;
    }
    case 'S': Scanne(e); break;
    case 'C': Cree(in.Nom()); break;
    case 'R': Retire(in.Nom(), false); break;
    case 'r': {
        uint8_t k = in.Octet();
        if (ListeFichier.NbLignes > 0) Retire(Nieme(test::Lines(), k), true);
        break;
    }
    case 'f': {
        std::string brut = in.Nom(), nom = CommeChaine(brut);
        VERIFIE(FindFile(brut.c_str()) == (!nom.empty() && Listee(nom)), "FindFile is wrong");
        break;
    }
    case 'X': {  // another program deletes an entry
        std::vector<std::string> noms = test::Entries("dossier");
        uint8_t k = in.Octet();
        if (noms.empty()) break;
        std::string nom = Nieme(noms, k);
        test::RemoveTree(Dans(nom));
        e.effaces.insert(nom);
        break;
    }
    case 'O':
    case 'E': {
        uint8_t k = in.Octet();
        std::string ajout = pas == 'E' ? in.Nom() : "";
        if (ListeFichier.NbLignes > 0) OuvreEtSauve(Nieme(test::Lines(), k), pas == 'E' ? &ajout : nullptr);
        VerifieSansDebris(e);
        break;
    }
    // The debris of an interrupted save, or a name that only looks like one.
    case 'T': test::WriteBytes(e.Pose(SurLaCarte(FS_TEMP_PREFIXE + in.Nom())), nullptr, 0); break;
    case 'd': {
        uint8_t o = in.Octet();
        if (ListeFichier.NbLignes == 0) break;
        std::vector<std::string> avant = test::Lines();
        int k = &Nieme(avant, o) - &avant[0];
        FnDelLigneFichier(ListeFichier.Lignes[k].Caracteres);
        avant.erase(avant.begin() + k);
        VERIFIE(test::Lines() == avant, "FnDelLigneFichier did not drop its line");
        VERIFIE(ChaineTitre == (avant.empty() ? std::string() : avant.back()),
                "ChaineTitre is not the last listed name after a name was dropped");
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    atelier::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t n)
{
    atelier::Entre();
    test::RemoveTree("dossier");
    test::RemoveTree(Garde);
    VERIFIE(mkdir("dossier", 0777) == 0, "cannot make dossier/");
    VERIFIE(test::WriteBytes(Garde, reinterpret_cast<const uint8_t*>(GardeOctets.data()), GardeOctets.size()),
            "cannot write the guard");
    FnClearText(&ListeFichier);
    FnClearText(&Texte);
    ChaineTitre[0] = 0;
    TexteIncomplet = false;

    Lecteur in(octets, n);
    Etat e;
    const size_t nbPas = sizeof Pas - 1;
    while (!in.Fini()) {
        uint8_t o = in.Octet();
        const char* p = (const char*)memchr(Pas, o, nbPas);
        if (!p) p = (const char*)memchr(PasNommes, o, sizeof PasNommes - 1);
        char pas = p ? *p : Pas[o % nbPas];
        Trace("%c", pas);
        Pas1(pas, in, e);
        Trace("\n");
        VerifieListe(e);
    }
    Scanne(e);
    VerifieListe(e);
    VerifieSansDebris(e);
    // Nothing was added beside dossier/ and the guard, which only a save through a link to
    // it may have changed (the photos around each operation checked that).
    std::vector<std::string> dehors = test::Entries(".");
    std::sort(dehors.begin(), dehors.end());
    VERIFIE((dehors == std::vector<std::string>{"dossier", Garde}), "the working folder changed");
    atelier::Sort();
    return 0;
}
