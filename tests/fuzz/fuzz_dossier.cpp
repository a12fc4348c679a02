// Any folder contents and any sequence of catalogue operations: the scan, create, remove,
// find, a name dropped from the list, a note opened and saved, and entries that another
// program adds or deletes meanwhile. Checked after every step: the list's buffer, the names
// it holds (valid, unique, never a save's temporary file, present on the card unless
// something else deleted them), what each operation did to the folder, and that nothing
// outside "dossier/" ever changes.
//
// The input is a list of steps: one byte chooses the step (the letters below, or any byte
// modulo their count), the bytes after it are its arguments. A name is a length byte, then
// that many bytes; the length 255 takes one more length byte, so names reach 510 bytes.
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <set>

#include "atelier.h"
#include "fs.h"
#include "notes.h"

using atelier::Existe;
using atelier::Lit;

namespace {

const char Pas[] = "FDLNSCRrfXOTd";
const std::string Garde = "garde";
const std::string GardeOctets = "outside the notes folder";

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

std::vector<std::string> Liste()
{
    std::vector<std::string> noms;
    for (int i = 0; i < ListeFichier.NbLignes; i++) noms.push_back(ListeFichier.Lignes[i].Caracteres);
    return noms;
}

bool Listee(const std::string& nom)
{
    std::vector<std::string> l = Liste();
    return std::find(l.begin(), l.end(), nom) != l.end();
}

bool PeutEtreNote(const std::string& nom)
{
    return FsNomValide(nom.c_str()) && !FsEstTemporaire(nom.c_str());
}

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

// The promises that hold after every step.
void VerifieListe(const Etat& e)
{
    atelier::VerifieTampon(ListeFichier, "ListeFichier");
    std::set<std::string> vus;
    for (int i = 0; i < ListeFichier.NbLignes; i++) {
        const SLigne& l = ListeFichier.Lignes[i];
        std::string nom = l.Caracteres;
        VERIFIE(l.Longueur == 0 && l.LongueurInitiale == 0, "name %d has a length", i);
        VERIFIE(PeutEtreNote(nom), "listed name %d cannot be a note (%zu bytes)", i, nom.size());
        VERIFIE(vus.insert(nom).second, "name %d listed twice", i);
        VERIFIE(Existe(Dans(nom)) || e.effaces.count(nom), "listed name %d is not on the card", i);
    }
    VERIFIE(memchr(ChaineTitre, 0, TITRE_TAILLE) != nullptr, "ChaineTitre unterminated");
    VERIFIE(fichier == nullptr, "a stream was left open");
}

// Only a save makes temporary files, and it must not leave one behind.
void VerifieSansDebris(const Etat& e)
{
    for (const std::string& n : atelier::Entrees("dossier")) {
        VERIFIE(!FsEstTemporaire(n.c_str()) || e.debris.count(n), "a save left a temporary file");
    }
}

// The scan lists the first 50 entries that can be notes, in the folder's order.
void Scanne(Etat& e)
{
    FnClearText(&ListeFichier);
    FnLitDossier();
    e.effaces.clear();
    std::vector<std::string> attendu;
    for (const std::string& n : atelier::Entrees("dossier")) {
        if (PeutEtreNote(n) && attendu.size() < (size_t)TEXTE_NB_LIGNES) attendu.push_back(n);
    }
    VERIFIE(Liste() == attendu, "the scan listed %d names, %zu expected", ListeFichier.NbLignes,
            attendu.size());
}

void Cree(const std::string& brut)
{
    std::string nom = CommeChaine(brut);
    std::vector<std::string> avant = Liste();
    bool existait = Existe(Dans(nom));
    std::string octets = existait ? Lit(Dans(nom)) : "";
    bool permis = PeutEtreNote(nom) && !Listee(nom) && avant.size() < (size_t)TEXTE_NB_LIGNES;
    FnCreateFile(brut.c_str());
    std::vector<std::string> apres = Liste();
    if (!permis) {
        VERIFIE(apres == avant, "create changed the list for a name it must refuse");
        VERIFIE(!FsNomValide(nom.c_str()) || Existe(Dans(nom)) == existait,
                "refused create touched the card");
        return;
    }
    avant.push_back(nom);
    VERIFIE(apres == avant, "create did not append its name");
    VERIFIE(Existe(Dans(nom)), "created name is not on the card");
    if (existait) VERIFIE(Lit(Dans(nom)) == octets, "create changed an existing file");
}

void Retire(const std::string& brut, bool parTitre)
{
    std::string nom = CommeChaine(brut);
    std::vector<std::string> avant = Liste();
    bool listee = !nom.empty() && Listee(nom);
    bool existait = Existe(Dans(nom));
    if (parTitre) {
        snprintf(ChaineTitre, TITRE_TAILLE, "%s", nom.c_str());
        FnRemoveFile(ChaineTitre);
    } else {
        FnRemoveFile(brut.c_str());
    }
    std::vector<std::string> apres = Liste();
    if (!listee) {
        VERIFIE(apres == avant, "remove of an unlisted name changed the list");
        VERIFIE(!FsNomValide(nom.c_str()) || Existe(Dans(nom)) == existait,
                "remove of an unlisted name touched the card");
        return;
    }
    if (Existe(Dans(nom))) {
        VERIFIE(apres == avant, "remove dropped a name whose file stays");
        return;
    }
    avant.erase(std::find(avant.begin(), avant.end(), nom));
    VERIFIE(apres == avant, "remove did not drop exactly its name");
    std::string dernier = avant.empty() ? "" : avant.back();
    VERIFIE(ChaineTitre == dernier, "ChaineTitre is not the last listed name");
}

// A listed note opened and saved at once: a note that loaded whole is written back unchanged.
void OuvreEtSauve(const std::string& nom)
{
    bool fichierAvant = Existe(Dans(nom));
    std::string octets = Lit(Dans(nom));
    FnReadFile(nom.c_str());
    atelier::VerifieTampon(Texte, "Texte");
    bool incomplet = TexteIncomplet;
    bool ecrit = FnWriteFile(nom.c_str());
    VERIFIE(!(ecrit && incomplet), "an incomplete note was saved");
    if (ecrit && fichierAvant) VERIFIE(Lit(Dans(nom)) == octets, "open and save changed the note");
    if (!ecrit && fichierAvant && incomplet)
        VERIFIE(Lit(Dans(nom)) == octets, "a refused save changed the note");
}

const std::string& Nieme(const std::vector<std::string>& v, uint8_t k) { return v[k % v.size()]; }

void Pas1(char pas, Lecteur& in, Etat& e)
{
    switch (pas) {
    case 'F': {
        std::string nom = SurLaCarte(in.Nom()), octets = in.Nom();
        atelier::Ecrit(e.Pose(nom), reinterpret_cast<const uint8_t*>(octets.data()), octets.size());
        break;
    }
    case 'D': {
        std::string nom = SurLaCarte(in.Nom());
        bool plein = in.Octet() % 2;
        if (mkdir(e.Pose(nom).c_str(), 0777) == 0 && plein)
            atelier::Ecrit(Dans(nom) + "/x", nullptr, 0);
        break;
    }
    case 'L': {
        static const char* const cibles[] = {"../garde", "nowhere", ".", "..", "/"};
        std::string nom = SurLaCarte(in.Nom());
        if (symlink(cibles[in.Octet() % 5], e.Pose(nom).c_str()) != 0) break;
        break;
    }
    case 'N':  // many entries at once: up to 1,020
        for (int i = 0, n = in.Octet() * 4; i < n; i++) {
            int fd = open(Dans("m" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0666);
            if (fd >= 0) close(fd);
        }
        break;
    case 'S': Scanne(e); break;
    case 'C': Cree(in.Nom()); break;
    case 'R': Retire(in.Nom(), false); break;
    case 'r':
        if (ListeFichier.NbLignes > 0) Retire(Nieme(Liste(), in.Octet()), true);
        break;
    case 'f': {
        std::string brut = in.Nom(), nom = CommeChaine(brut);
        VERIFIE(FindFile(brut.c_str()) == (!nom.empty() && Listee(nom)), "FindFile is wrong");
        break;
    }
    case 'X': {  // another program deletes an entry
        std::vector<std::string> noms = atelier::Entrees("dossier");
        if (noms.empty()) break;
        std::string nom = Nieme(noms, in.Octet());
        atelier::RetireArbre(Dans(nom));
        e.effaces.insert(nom);
        break;
    }
    case 'O':
        if (ListeFichier.NbLignes > 0) OuvreEtSauve(Nieme(Liste(), in.Octet()));
        VerifieSansDebris(e);
        break;
    case 'T': {  // the debris of an interrupted save, or a name that only looks like one
        std::string nom = SurLaCarte(FS_TEMP_PREFIXE + in.Nom());
        atelier::Ecrit(e.Pose(nom), nullptr, 0);
        break;
    }
    case 'd':
        if (ListeFichier.NbLignes > 0) {
            std::vector<std::string> avant = Liste();
            int k = in.Octet() % ListeFichier.NbLignes;
            FnDelLigneFichier(ListeFichier.Lignes[k].Caracteres);
            avant.erase(avant.begin() + k);
            VERIFIE(Liste() == avant, "FnDelLigneFichier did not drop its line");
        }
        break;
    }
}

// Nothing outside the notes folder: the working folder holds only dossier/ and the guard.
void VerifieDehors()
{
    std::vector<std::string> e = atelier::Entrees(".");
    std::sort(e.begin(), e.end());
    VERIFIE((e == std::vector<std::string>{"dossier", Garde}), "the working folder changed");
    VERIFIE(Lit(Garde) == GardeOctets, "the file outside the notes folder changed");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    atelier::Prepare();
    atelier::Entre();
    atelier::Ecrit(Garde, reinterpret_cast<const uint8_t*>(GardeOctets.data()), GardeOctets.size());
    atelier::Sort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t n)
{
    atelier::Entre();
    atelier::RetireArbre("dossier");
    VERIFIE(mkdir("dossier", 0777) == 0, "cannot make dossier/");
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
        Pas1(p ? *p : Pas[o % nbPas], in, e);
        VerifieListe(e);
    }
    Scanne(e);
    VerifieListe(e);
    VerifieSansDebris(e);
    VerifieDehors();
    atelier::Sort();
    return 0;
}
