// Any bytes as a note file: loading never writes past the buffer, a note that fits loads
// exactly and saves back to the same bytes, and one that does not fit loads as a prefix,
// is marked incomplete and is never written over.
#include <stddef.h>
#include <stdint.h>

#include "atelier.h"
#include "notes.h"

using atelier::Lit;

namespace {

const char Nom[] = "note";
const char Chemin[] = "dossier/note";

std::vector<std::string> Lignes(const uint8_t* octets, size_t n)
{
    std::vector<std::string> lignes(1);
    for (size_t i = 0; i < n; i++) {
        if (octets[i] == '\n') lignes.emplace_back();
        else lignes.back() += (char)octets[i];
    }
    return lignes;
}

// Whether the editor can hold the note exactly: 50 lines of at most 255 bytes, no zero byte.
bool Tient(const std::vector<std::string>& lignes)
{
    if (lignes.size() > (size_t)TEXTE_NB_LIGNES) return false;
    for (const std::string& l : lignes) {
        if (l.size() > (size_t)LIGNE_LONGUEUR_MAX || l.find('\0') != std::string::npos) return false;
    }
    return true;
}

// Each loaded line is the file's line, cut at 255 bytes; zero bytes are kept and counted.
void VerifieCharge(const std::vector<std::string>& lignes)
{
    size_t attendu = lignes.size() < (size_t)TEXTE_NB_LIGNES ? lignes.size() : TEXTE_NB_LIGNES;
    VERIFIE((size_t)Texte.NbLignes == attendu, "%d lines loaded, %zu expected", Texte.NbLignes, attendu);
    for (int i = 0; i < Texte.NbLignes; i++) {
        const SLigne& l = Texte.Lignes[i];
        std::string voulu = lignes[i].substr(0, LIGNE_LONGUEUR_MAX);
        VERIFIE(std::string(l.Caracteres, l.Longueur) == voulu, "line %d differs", i);
        VERIFIE(l.Caracteres[l.Longueur] == 0, "line %d not terminated at its length", i);
        VERIFIE(l.LongueurInitiale == l.Longueur, "line %d LongueurInitiale", i);
    }
    VERIFIE(Texte.LigneActive == 0 && Texte.LigneDebut == 0, "cursor not at the top after a load");
}

void VerifieSeulFichier()
{
    std::vector<std::string> e = atelier::Entrees("dossier");
    VERIFIE(e.size() == 1 && e[0] == Nom, "%zu entries in the folder after a save", e.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    atelier::Prepare();
    atelier::Entre();
    VERIFIE(mkdir("dossier", 0777) == 0, "cannot make dossier/");
    atelier::Sort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* octets, size_t n)
{
    atelier::Entre();
    VERIFIE(atelier::Ecrit(Chemin, octets, n), "cannot stage the note");
    const std::string original(reinterpret_cast<const char*>(octets), n);
    const std::vector<std::string> lignes = Lignes(octets, n);
    const bool tient = Tient(lignes);

    TexteIncomplet = !tient;  // the load must set it either way
    FnReadFile(Nom);
    atelier::VerifieTampon(Texte, "Texte");
    VERIFIE(fichier == nullptr, "stream left open by the load");
    VERIFIE(TexteIncomplet == !tient, "TexteIncomplet %d for a note that %s", (int)TexteIncomplet,
            tient ? "fits" : "does not fit");
    VerifieCharge(lignes);

    bool ecrit = FnWriteFile(Nom);
    VERIFIE(ecrit == tient, "save returned %d", (int)ecrit);
    VERIFIE(Lit(Chemin) == original, "the file changed through a load and a save");
    VERIFIE(Texte.LigneActive == Texte.NbLignes - 1, "cursor not on the last line after a save");
    VERIFIE(Texte.LigneDebut >= 0 && Texte.LigneDebut <= Texte.LigneActive, "window misplaced");
    VerifieSeulFichier();
    atelier::VerifieTampon(Texte, "Texte after the save");
    atelier::Sort();
    return 0;
}
