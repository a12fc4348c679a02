// The file list: the notes six at a time and a name field, typed on or picked.
#include <string.h>
#include "globals.h"
#include "draw.h"
#include "notes.h"
#include "screens.h"
#include "text_copy.h"
#include "message_box.h"

static void FnTapeNom()
{
    int i = FnToucheSousPointeur(true);
    if (i < 0) return;
    int f = MonClavier.GetFonction(i);
    if (f == TOUCHE_CARACTERE && IndChar < NOM_SAISI_MAX) {
        ChaineTitre[IndChar] = MonClavier.GetValeur(i);
        IndChar++;
        ChaineTitre[IndChar] = 0;
    } else if (f == TOUCHE_EFFACE && IndChar > 0) {
        IndChar--;
        ChaineTitre[IndChar] = 0;
    }
}

// Keeps the list's window on its names after any change: it never starts past the last
// six names, nor before the first. The bar keeps its row, and every row stays shown.
static void FnCadreListe()
{
    int dernier = ListeFichier.NbLignes - RANGEES;
    if (ListeFichier.LigneDebut > dernier) ListeFichier.LigneDebut = dernier;
    if (ListeFichier.LigneDebut < 0) ListeFichier.LigneDebut = 0;
}

// Says in an information box that an operation on a note failed, and why, when it did.
static void FnDitEchec(const char* quoi, Resultat r)
{
    if (r != RES_OK) {
        Message.SetMessage(quoi, FnTexteResultat(r), false, MESSAGE_INFORMATION, ACTION_AUCUNE);
    }
}

// Creates the named note (a failure says so); either way the bar goes to the last name,
// the window to the end of the list. The name field takes the new note's name as the card
// lists it, which an older kernel spells in small letters.
static void FnCree()
{
    int avant = ListeFichier.NbLignes;
    FnDitEchec("File not created", FnCreateFile(ChaineTitre));
    if (ListeFichier.NbLignes > avant) strcpy(ChaineTitre, ListeFichier.Lignes[avant].Caracteres);
    ListeFichier.LigneDebut = ListeFichier.NbLignes - RANGEES;
    FnCadreListe();
    int rangee = ListeFichier.NbLignes - 1 - ListeFichier.LigneDebut;
    ListeFichier.LigneActive = rangee < 0 ? 0 : rangee;
}

// Opens the named note in the editor; one that did not load whole says why and that it
// cannot be saved, one that shows the text of a failed save says so.
static void FnOuvre()
{
    Etape = 1;
    Resultat r = FnReadFile(ChaineTitre);
    if (r != RES_OK) {
        const char* suite = r == RES_TEXTE_DU_JOURNAL ? "Save it again" : "It cannot be saved";
        Message.SetMessage(FnTexteResultat(r), suite, false, MESSAGE_INFORMATION,
                           ACTION_AUCUNE);
    }
}

// The delete question names the note on its second line, cut to fit the box.
static void FnDemandeSuppression()
{
    char nom[MESSAGE_TAILLE];
    FnCoupeTexteMessage(nom, ChaineTitre, MESSAGE_TEXTE_L);
    Message.SetMessage("Would you want to delete this file?", nom, false, MESSAGE_QUESTION,
                       ACTION_SUPPRIMER);
}

static void FnIcones()
{
    if (FnIconeTouchee(CREER_X)) FnCree();
    FnBoutonMaj();
    if (FnIconeTouchee(OUVRIR_X) && FindFile(ChaineTitre)) FnOuvre();
    if (FnIconeTouchee(SUPPRIMER_X) && ChaineTitre[0] != 0 && FindFile(ChaineTitre)) {
        FnDemandeSuppression();
    }
    if (FnIconeTouchee(QUITTER_X)) {
        Message.SetMessage("Would you want to quit?", "", false, MESSAGE_QUESTION, ACTION_QUITTER);
    }
}

void FnSupprimeNote()
{
    FnDitEchec("File not deleted", FnRemoveFile(ChaineTitre));
    IndChar = 0;
    FnCadreListe();
}

// The name field: a name wider than the field shows its end, the last characters typed.
static void DessineNom()
{
    int n = FnCopieBornee(Chaine, ChaineTitre, LIGNE_VISIBLE_MAX);
    int debut = FnDebutVisible(Chaine, n, NOM_DROITE - NOM_X + 1);
    drawTextDepuis(ecran, Chaine, n, debut, NOM_X, CHAMP_Y, NOM_DROITE, false, 0, 0, 0);
}

void Menu()
{
    DessineDecor();
    DrawImage(ImgTexte, 0, CHAMP_Y, 0, 0, ECRAN_LARGEUR, CHAMP_H);
    DessineIcone(CREER_X, ICONE_CREER);
    DessineIcone(OUVRIR_X, ICONE_OUVRIR);
    DessineIcone(SUPPRIMER_X, ICONE_SUPPRIMER);
    DessineIcone(QUITTER_X, ICONE_QUITTER);

    if (!Message.GetActive()) {
        FnTapeNom();
        FnIcones();
    }

    DrawImage(Curseur, BARRE_X, BARRE_Y + RANGEE_H * ListeFichier.LigneActive, 0, 0, BARRE_L,
              RANGEE_H);

    // The first screenful always shows six numbered rows, empty past the last name.
    ListeFichier.LigneFin = ListeFichier.NbLignes > RANGEES ? ListeFichier.LigneDebut + RANGEES
                                                            : RANGEES;
    for (int i = ListeFichier.LigneDebut; i < ListeFichier.LigneFin; i++) {
        int r = i - ListeFichier.LigneDebut;
        DessineRangee(r, i + 1, ListeFichier.Lignes[i].Caracteres);
        if (FnRangeeTouchee(r)) {
            ListeFichier.LigneActive = r;
            strcpy(ChaineTitre, Chaine);
            IndChar = 0;
        }
    }

    DessineNom();

    DessineFleches();
    if (!Message.GetActive()) {
        if (FnDemandeHaut() && ListeFichier.LigneDebut > 0) ListeFichier.LigneDebut--;
        if (FnDemandeBas() && ListeFichier.LigneDebut < ListeFichier.NbLignes - RANGEES)
            ListeFichier.LigneDebut++;
    }
    DessinePuce();
}
