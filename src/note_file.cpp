// Moving a note between its file and Texte. The file is the lines joined by single
// newlines, nothing after the last; every other byte is text.
#include "fs.h"
#include "globals.h"
#include "notes.h"

namespace {

// Ends the line being read: terminates its text and counts it.
void FnFinLigne()
{
    SLigne* ligne = &Texte.Lignes[Texte.NbLignes];
    ligne->Caracteres[ligne->Longueur] = 0;
    Texte.NbLignes++;
}

// The bytes of a note: those of a save, assembled whole before anything is written, and
// those of a load, read whole before they are cut into lines.
char Octets[NOTE_OCTETS_MAX];

// Cuts the n bytes of a note into the cleared Texte. Returns false when they did not fit
// whole: more than 50 lines, a line over 255 bytes, or a zero byte.
bool FnLitLignes(size_t n)
{
    bool entier = true;
    for (size_t k = 0; k < n; k++) {
        char c = Octets[k];
        if (c == '\n') {
            FnFinLigne();
            if (Texte.NbLignes == TEXTE_NB_LIGNES) return false;  // a 51st line follows
            continue;
        }
        SLigne* ligne = &Texte.Lignes[Texte.NbLignes];
        if (ligne->Longueur == LIGNE_LONGUEUR_MAX) {
            entier = false;  // the rest of a long line is dropped; the next lines still load
            continue;
        }
        // A zero byte is kept as text but hides the rest of the line from a save.
        if (c == 0) entier = false;
        ligne->Caracteres[ligne->Longueur++] = c;
        ligne->LongueurInitiale = ligne->Longueur;
    }
    FnFinLigne();
    return entier;
}

// Why the open note cannot be saved, while TexteIncomplet is set.
Resultat RaisonLecture = RES_INCOMPLETE;

// Puts the lines of Texte into Octets, each up to its zero byte, one newline between two.
// Returns the count: at most 50 lines of 255 bytes and 49 newlines, which Octets holds.
size_t FnAssembleLignes()
{
    size_t n = 0;
    for (int i = 0; i < Texte.NbLignes; i++) {
        const char* texte = Texte.Lignes[i].Caracteres;
        for (int k = 0; k < LIGNE_LONGUEUR_MAX && texte[k] != 0; k++) Octets[n++] = texte[k];
        if (i < Texte.NbLignes - 1) Octets[n++] = '\n';
    }
    return n;
}

}  // namespace

Resultat FnReadFile(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    size_t n = 0;
    FnClearText(&Texte);
    // The longest note that fits is 50 full lines and 49 newlines: a longer file is cut
    // there, so a huge or endless one cannot freeze the screen.
    Resultat r = FsChemin(chemin, nom) ? FsLitNote(chemin, Octets, sizeof Octets, &n) : RES_INCOMPLETE;
    // Anything that cannot be read whole must not be saved over. The editor always needs a
    // line: a missing note is one empty line. The text of a failed save is whole.
    bool entier = r == RES_OK || r == RES_TEXTE_DU_JOURNAL;
    if (!FnLitLignes(n) && entier) r = RES_INCOMPLETE;
    TexteIncomplet = r != RES_OK && r != RES_TEXTE_DU_JOURNAL;
    RaisonLecture = TexteIncomplet ? r : RES_INCOMPLETE;
    return r;
}

// Writes Texte over the note; see FnWriteFile.
static Resultat FnEcritNote(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    // An incomplete note would cut its file down to what the buffer holds.
    if (TexteIncomplet) return RaisonLecture;
    if (!FsChemin(chemin, nom)) return RES_NOM;
    return FsEcritNote(chemin, Octets, FnAssembleLignes());
}

Resultat FnWriteFile(const char* nom)
{
    Resultat r = FnEcritNote(nom);
    // Written or not, the last six lines are shown with the cursor on the bottom one.
    if (Texte.NbLignes > 0) Texte.LigneActive = Texte.NbLignes - 1;
    if (Texte.NbLignes > RANGEES) Texte.LigneDebut = Texte.NbLignes - RANGEES;
    return r;
}
