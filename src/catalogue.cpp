// The catalogue: the names of the notes folder, one a line of ListeFichier, in the order
// the folder gave them, created notes appended.
#include <string.h>

#include "fs.h"
#include "globals.h"
#include "notes.h"

namespace {

// Appends a name that is known to fit (valid names are at most 247 bytes).
void FnAjouteNom(const char* nom)
{
    SLigne* ligne = &ListeFichier.Lignes[ListeFichier.NbLignes];
    strcpy(ligne->Caracteres, nom);
    ListeFichier.NbLignes++;
}

// One folder entry of the start-up scan. Names that could not be opened as notes, and
// the temporary files of a save, are not notes; a temporary file left by a save that was
// cut short (a power cut) is removed, or they would pile up on the card. The scan reads
// the whole folder, past a full list too, so that no debris escapes.
bool FnPrendEntree(const char* nom)
{
    if (FsEstTemporaire(nom)) {
        char chemin[CHEMIN_TAILLE];
        if (FsChemin(chemin, nom)) FsRetireDebris(chemin);
    } else if (FsNomValide(nom) && ListeFichier.NbLignes < TEXTE_NB_LIGNES) {
        FnAjouteNom(nom);
    }
    return true;
}

}  // namespace

void FnLitDossier()
{
    FsListeDossier(FnPrendEntree);
}

bool FindFile(const char* nom)
{
    if (nom[0] == 0) return false;
    for (int i = 0; i < ListeFichier.NbLignes; i++) {
        if (strcmp(ListeFichier.Lignes[i].Caracteres, nom) == 0) return true;
    }
    return false;
}

bool FnCreateFile(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    if (nom[0] == 0 || FindFile(nom)) return true;
    if (ListeFichier.NbLignes >= TEXTE_NB_LIGNES) return FsRefuse(RAISON_LISTE_PLEINE);
    // A name shaped like a save's temporary file would vanish from the list at the next
    // start, taking its note out of the user's sight.
    if (!FsChemin(chemin, nom) || FsEstTemporaire(nom)) return FsRefuse(RAISON_NOM);
    if (!FsFaitDossier()) return FsEchec();
    if (!FsCreeVide(chemin)) return false;
    // Listed only when the folder really has it, so the list never promises a missing note.
    if (!FsExiste(chemin)) return FsRefuse(RAISON_ECRITURE);
    FnAjouteNom(nom);
    return true;
}

bool FnRemoveFile(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    if (!FindFile(nom)) return true;
    if (!FsChemin(chemin, nom)) return FsRefuse(RAISON_NOM);
    // A note that stays on the card stays in the list, so the user can see it and retry.
    if (!FsSupprime(chemin)) return false;
    FnDelLigneFichier(nom);
    return true;
}

void FnDelLigneFichier(const char* nom)
{
    // nom is usually ChaineTitre, or even a line of the list: both are rewritten below,
    // so it is read only by this search.
    int n = ListeFichier.NbLignes;
    int i = 0;
    while (i < n && strcmp(ListeFichier.Lignes[i].Caracteres, nom) != 0) i++;
    if (i >= n) return;
    for (int j = i; j < n - 1; j++) {
        memcpy(ListeFichier.Lignes[j].Caracteres, ListeFichier.Lignes[j + 1].Caracteres, LIGNE_TAILLE);
    }
    n--;
    ListeFichier.Lignes[n].Caracteres[0] = 0;
    ListeFichier.NbLignes = n;
    // The name field shows the last listed name, not a neighbour of the deleted one.
    // Listed names have at most 247 bytes: they fit.
    if (n > 0) strcpy(ChaineTitre, ListeFichier.Lignes[n - 1].Caracteres);
    else ChaineTitre[0] = 0;
}
