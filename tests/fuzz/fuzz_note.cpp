// Any bytes as a note file: loading never writes past the buffer and reads no more than
// the longest note that fits, a note that fits loads exactly and saves back to the same
// bytes, and one that does not fit loads as a prefix, is marked incomplete and is never
// written over.
#include <stddef.h>
#include <stdint.h>

#include "atelier.h"
#include "notes.h"

using test::ReadFile;

namespace {

const char Nom[] = "note";
const char Chemin[] = "dossier/note";

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
    VERIFIE(test::WriteBytes(Chemin, octets, n), "cannot stage the note");
    const std::string original(reinterpret_cast<const char*>(octets), n);
    const bool tient = test::Fits(original);

    TexteIncomplet = !tient;  // the load must set it either way
    FnReadFile(Nom);
    VERIFIE(fichier == nullptr, "stream left open by the load");
    atelier::VerifieCharge(original);

    Resultat r = FnWriteFile(Nom);
    VERIFIE(r == (tient ? RES_OK : RES_INCOMPLETE), "save returned %d", (int)r);
    VERIFIE(ReadFile(Chemin) == original, "the file changed through a load and a save");
    const int nb = Texte.NbLignes;
    VERIFIE(Texte.LigneActive == nb - 1 && Texte.LigneDebut == (nb > 6 ? nb - 6 : 0),
            "the save did not go to the end of the note");
    const std::vector<std::string> e = test::Entries("dossier");
    VERIFIE(e.size() == 1 && e[0] == Nom, "%zu entries in the folder after a save", e.size());
    atelier::VerifieTampon(Texte, "Texte after the save");
    atelier::Sort();
    return 0;
}
