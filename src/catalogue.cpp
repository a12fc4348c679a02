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

// True when a listed name leads to the same file as the path (a link, or a second name
// of one file).
bool FnDejaListe(const char* chemin)
{
    char autre[CHEMIN_TAILLE];
    for (int i = 0; i < ListeFichier.NbLignes; i++) {
        if (FsChemin(autre, ListeFichier.Lignes[i].Caracteres) && FsMemeFichier(autre, chemin)) return true;
    }
    return false;
}

// One note of the start-up scan, listed while the list has room. A file that a listed name
// already leads to is listed once, so no operation acts on it under two names.
void FnPrendEntree(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    if (ListeFichier.NbLignes < TEXTE_NB_LIGNES && FsChemin(chemin, nom) && !FindFile(nom) && !FnDejaListe(chemin)) {
        FnAjouteNom(nom);
    }
}

}  // namespace

void FnLitDossier()
{
    FsRetablitDossier();
    FsListeNotes(FnPrendEntree);
}

bool FindFile(const char* nom)
{
    if (nom[0] == 0) return false;
    for (int i = 0; i < ListeFichier.NbLignes; i++) {
        if (strcmp(ListeFichier.Lignes[i].Caracteres, nom) == 0) return true;
    }
    return false;
}

Resultat FnCreateFile(const char* nom)
{
    char chemin[CHEMIN_TAILLE], liste[CHEMIN_TAILLE];
    if (nom[0] == 0 || FindFile(nom)) return RES_OK;
    if (ListeFichier.NbLignes >= TEXTE_NB_LIGNES) return RES_LISTE_PLEINE;
    // A name shaped like a save's temporary file would vanish from the list at the next
    // start, taking its note out of the user's sight.
    if (!FsChemin(chemin, nom) || FsEstTemporaire(nom)) return RES_NOM;
    Resultat r = FsFaitDossier();
    if (r == RES_OK) r = FsCreeVide(chemin, liste);
    if (r == RES_OK && !FindFile(liste)) FnAjouteNom(liste);
    return r;
}

Resultat FnRemoveFile(const char* nom)
{
    char chemin[CHEMIN_TAILLE];
    if (!FindFile(nom)) return RES_OK;
    if (!FsChemin(chemin, nom)) return RES_NOM;
    // A note that stays on the card stays in the list, so the user can see it and retry.
    Resultat r = FsEffaceNote(chemin);
    if (r == RES_OK) FnDelLigneFichier(nom);
    return r;
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
