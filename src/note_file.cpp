// Moving a note between its file and Texte. The file is the lines joined by single
// newlines, nothing after the last; every other byte is text.
#include <stdio.h>

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

// Reads `fichier` into the cleared Texte. Returns false when the note did not fit whole:
// more than 50 lines, a line over 255 bytes, a zero byte, or a read error. The longest note
// that fits is 50 full lines and 49 newlines: a byte past those is not read, however large
// the file (a huge or endless one would freeze the screen).
bool FnLitLignes()
{
    bool entier = true;
    int c;
    for (int lus = 0; (c = fgetc(fichier)) != EOF; lus++) {
        if (lus == NOTE_OCTETS_MAX) {
            entier = false;
            break;
        }
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
        ligne->Caracteres[ligne->Longueur++] = (char)c;
        ligne->LongueurInitiale = ligne->Longueur;
    }
    if (ferror(fichier)) entier = false;
    FnFinLigne();
    return entier;
}

// Why the open note cannot be saved, while TexteIncomplet is set.
const char* RaisonLecture = RAISON_INCOMPLETE;

// The bytes of a save, assembled whole before anything is written.
char Octets[NOTE_OCTETS_MAX];

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

void FnReadFile(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    FnClearText(&Texte);
    TexteIncomplet = false;
    RaisonEchec = RAISON_INCOMPLETE;
    int ouverture = FsChemin(chemin, nom) ? FsOuvreLecture(chemin) : FS_ILLISIBLE;
    if (ouverture != FS_OUVERTE) {
        // The editor always needs a line. Only a note that is really absent is an empty
        // note; anything else that cannot be read must not be saved over.
        if (ouverture != FS_ABSENTE) TexteIncomplet = true;
        Texte.NbLignes = 1;
    } else {
        if (!FnLitLignes()) TexteIncomplet = true;
        fclose(fichier);
        fichier = 0;
        RaisonEchec = RAISON_INCOMPLETE;
    }
    RaisonLecture = RaisonEchec;
}

// Writes Texte over the note; see FnWriteFile.
static bool FnEcritNote(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    // An incomplete note would cut its file down to what the buffer holds.
    if (TexteIncomplet) return FsRefuse(RaisonLecture);
    if (!FsChemin(chemin, nom)) return FsRefuse(RAISON_NOM);
    return FsEcritNote(chemin, Octets, FnAssembleLignes());
}

bool FnWriteFile(const char* nom)
{
    bool ecrit = FnEcritNote(nom);
    // Written or not, the last six lines are shown with the cursor on the bottom one.
    if (Texte.NbLignes > 0) Texte.LigneActive = Texte.NbLignes - 1;
    if (Texte.NbLignes > RANGEES) Texte.LigneDebut = Texte.NbLignes - RANGEES;
    return ecrit;
}
