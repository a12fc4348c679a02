// The editor: the open note six lines at a time, typed into at the end of the current line.
#include "globals.h"
#include "draw.h"
#include "notes.h"
#include "screens.h"
#include "text_copy.h"

enum {
    CLIGNOTEMENT = 500   // milliseconds between two changes of the cursor mark
};

static SLigne& LigneCourante()
{
    return Texte.Lignes[Texte.LigneActive];
}

static void FnAjouteCaractere(char c)
{
    SLigne& l = LigneCourante();
    if (l.Longueur >= LIGNE_SAISIE_MAX) return;  // the line and its cursor mark must fit Chaine
    l.Caracteres[l.Longueur] = c;
    l.Longueur++;
    l.Caracteres[l.Longueur] = 0;
}

// Keeps the current line in the window after the line under it went away.
static void FnSuitLigneActive()
{
    if (Texte.LigneActive < Texte.LigneDebut) Texte.LigneDebut = Texte.LigneActive;
    else if (Texte.LigneActive == Texte.LigneDebut && Texte.LigneDebut > 0) Texte.LigneDebut--;
}

// The terminator takes the erased position, so nothing of it stays in the line.
static bool FnRetireDernier(SLigne& l)
{
    if (l.Longueur == 0) return false;
    l.Longueur--;
    l.Caracteres[l.Longueur] = 0;
    return true;
}

// Erases the last character; on an empty line other than the first, removes that line
// alone: the line above becomes current with its text whole.
static void FnEfface()
{
    if (FnRetireDernier(LigneCourante()) || Texte.LigneActive == 0) return;
    FnDelLigneTexte(Texte.LigneActive);
    Texte.LigneActive--;
    FnSuitLigneActive();
}

// Ends the current line at its length and goes to the next line, the mark at its end.
// Only on the last line does the note grow, by one empty line; refused at 50 lines.
static void FnNouvelleLigne()
{
    SLigne& l = LigneCourante();
    bool derniere = Texte.LigneActive >= Texte.NbLignes - 1;
    if (derniere && Texte.NbLignes >= TEXTE_NB_LIGNES) return;
    l.Caracteres[l.Longueur] = 0;
    Texte.LigneActive++;
    if (derniere) Texte.NbLignes = Texte.LigneActive + 1;
    if (Texte.LigneActive > Texte.LigneDebut + RANGEES - 1) Texte.LigneDebut++;
}

static void FnTouche()
{
    int i = FnToucheSousPointeur(false);
    if (i < 0) return;
    switch (MonClavier.GetFonction(i)) {
    case TOUCHE_CARACTERE: FnAjouteCaractere(MonClavier.GetValeur(i)); break;
    case TOUCHE_EFFACE: FnEfface(); break;
    case TOUCHE_RETOUR: FnNouvelleLigne(); break;
    default: break;
    }
}

// Saves and tells the user truthfully whether the note was written.
static void FnSauve()
{
    Resultat r = FnWriteFile(ChaineTitre);
    if (r == RES_OK) {
        Message.SetMessage("File saved", "", false, MESSAGE_INFORMATION, ACTION_AUCUNE);
    } else {
        Message.SetMessage("File not saved", FnTexteResultat(r), false, MESSAGE_INFORMATION,
                           ACTION_AUCUNE);
    }
}

void FnClignote(int maintenant)
{
    tempsActuel = maintenant;
    if (tempsActuel - tempsPrecedent > CLIGNOTEMENT) {
        AfficheCurseur = 1 - AfficheCurseur;
        tempsPrecedent = tempsActuel;
    }
}

// The current line in Chaine with its cursor mark after its last character; returns the
// length of both. A loaded line too long for Chaine beside the mark is far wider than its
// row, which shows it by its end: only that end is copied.
static int FnChaineCourante()
{
    const SLigne& l = LigneCourante();
    int fin = 0;  // the text ends at its length, or sooner at a zero byte
    while (fin < l.Longueur && l.Caracteres[fin] != 0) fin++;
    int debut = fin > LIGNE_SAISIE_MAX ? fin - LIGNE_SAISIE_MAX : 0;
    int n = FnCopieBornee(Chaine, l.Caracteres + debut, fin - debut);
    Chaine[n] = '|';
    Chaine[n + 1] = 0;
    return n + 1;
}

// The first character shown of the current line: 0 when the line and its mark fit the
// row, else the first of the last characters that fit before the mark. Measured with the
// mark whether or not it shows, so that the text stays put while the mark blinks.
static int FnDebutLigneCourante()
{
    return FnDebutVisible(Chaine, FnChaineCourante(), RANGEE_LARGEUR);
}

// The current line in blue with the blinking mark after its last character; from debut,
// a line too wide for its row.
static void DessineLigneCourante(int debut)
{
    drawTextDepuis(ecran, Chaine, FnChaineCourante(), debut, TEXTE_X,
                   RANGEE_Y + RANGEE_H * (Texte.LigneActive - Texte.LigneDebut), RANGEE_DROITE,
                   AfficheCurseur != 1, 0, 0, 255);
}

void AfficheTexte()
{
    DessineDecor();
    DessineIcone(SAUVER_X, ICONE_SAUVER);
    DessineIcone(RETOUR_X, ICONE_RETOUR);
    DrawImage(Curseur, BARRE_X, BARRE_Y + RANGEE_H * (Texte.LigneActive - Texte.LigneDebut), 0, 0,
              BARRE_L, RANGEE_H);

    if (!Message.GetActive()) {
        FnTouche();
        if (FnIconeTouchee(SAUVER_X)) FnSauve();
        if (FnIconeTouchee(RETOUR_X)) Etape = 0;
        FnBoutonMaj();
    }

    // Never beyond the note: a removed line must not leave an empty numbered row behind.
    Texte.LigneFin = Texte.LigneDebut + RANGEES;
    if (Texte.LigneFin > Texte.NbLignes) Texte.LigneFin = Texte.NbLignes;

    // The pick comes first, so that the rows are drawn knowing the current line: one shown
    // by its end has no black copy under it.
    for (int i = Texte.LigneDebut; i < Texte.LigneFin; i++) {
        if (FnRangeeTouchee(i - Texte.LigneDebut)) Texte.LigneActive = i;
    }
    int debut = FnDebutLigneCourante();
    for (int i = Texte.LigneDebut; i < Texte.LigneFin; i++) {
        bool parSaFin = i == Texte.LigneActive && debut > 0;
        DessineRangee(i - Texte.LigneDebut, i + 1, parSaFin ? "" : Texte.Lignes[i].Caracteres);
    }

    FnClignote((int)SDL_GetTicks());
    DessineLigneCourante(debut);

    DessineFleches();
    if (!Message.GetActive()) {
        if (FnDemandeHaut() && Texte.LigneDebut > 0) {
            Texte.LigneDebut--;
            Texte.LigneActive--;
        }
        if (FnDemandeBas() && Texte.LigneDebut < Texte.NbLignes - RANGEES) {
            Texte.LigneDebut++;
            Texte.LigneActive++;
        }
    }
    DessinePuce();
}
