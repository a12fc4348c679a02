// A program that uses the keyboard objects TTouche.o and TClavier.o alone: it declares the
// two classes from their documented interface, independent of src/, and is linked with
// nothing but the two objects and the C++ runtime. It fails to link if an operation is
// missing from the objects or declared differently there, and exits 1 if one misbehaves.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>

class TTouche {
public:
    TTouche();
    ~TTouche();
    void SetTouche(char valeur, int x, int y, int x1, int y1, int x2, int y2);
    void SetValeur(char valeur);
    char GetValeur();
    void SetFonction(int fonction);
    int GetFonction();
    void SetX(int x);
    void SetY(int y);
    void SetX1(int x1);
    void SetY1(int y1);
    void SetX2(int x2);
    void SetY2(int y2);
    int GetX();
    int GetY();
    int GetX1();
    int GetY1();
    int GetX2();
    int GetY2();

private:
    unsigned char Valeur;
    int CodeFonction;
    int X;
    int Y;
    int X1;
    int Y1;
    int X2;
    int Y2;
};

class TClavier {
public:
    TClavier();
    ~TClavier();
    char GetValeur(int index);
    void SetValeur(int index, char valeur);
    int GetFonction(int index);
    void SetFonction(int index, int fonction);
    void SetTouche(int index, char valeur, int x, int y, int x1, int y1, int x2, int y2);
    char* GetChaine();
    void SetChaine(char* s);
    void PositionTexte(int x, int y);
    int GetTextX();
    int GetTextY();
    void SetMaj(bool maj);
    bool GetMaj();
    int GetToucheX(int index);
    int GetToucheY(int index);
    void DeplaceClavier(int x, int y);
    int GetClavierX();
    int GetClavierY();
    int GetCollX1(int index);
    int GetCollY1(int index);
    int GetCollX2(int index);
    int GetCollY2(int index);

private:
    TTouche Touches[60];
    int NbTouches;
    int TextX;
    int TextY;
    int ClavierX;
    int ClavierY;
    bool Maj;
    char ChaineClavier[255];
};

// Each object sits in front of a zeroed guard, which stays zero unless the objects write
// past the memory this declaration gives them.
template <class T> struct Garde {
    T objet;
    unsigned char garde[16];
};
static Garde<TTouche> Seule;
static Garde<TClavier> Gardee;

static int Echecs = 0;

static void Verifie(bool ok, const char* quoi)
{
    if (!ok) {
        std::printf("FAILED: %s\n", quoi);
        Echecs++;
    }
}

static bool GardeIntacte(const unsigned char* garde)
{
    for (int i = 0; i < 16; i++)
        if (garde[i] != 0) return false;
    return true;
}

static void VerifieTouche(TTouche& t)
{
    Verifie(t.GetValeur() == '0' && t.GetFonction() == 0 && t.GetX() + t.GetY() + t.GetX1() + t.GetY1() == 0
                && t.GetX2() == 28 && t.GetY2() == 28,
            "a new key is '0', function 0, at 0 with a 28 by 28 box");
    t.SetValeur((char)0xE9);
    t.SetFonction(2);
    // Each coordinate set to its own value, then all read back.
    void (TTouche::*const pose[])(int) = {&TTouche::SetX, &TTouche::SetY, &TTouche::SetX1,
                                          &TTouche::SetY1, &TTouche::SetX2, &TTouche::SetY2};
    int (TTouche::*const lit[])() = {&TTouche::GetX, &TTouche::GetY, &TTouche::GetX1,
                                     &TTouche::GetY1, &TTouche::GetX2, &TTouche::GetY2};
    for (int i = 0; i < 6; i++) (t.*pose[i])(i + 1);
    bool propres = true;
    for (int i = 0; i < 6; i++) propres = propres && (t.*lit[i])() == i + 1;
    Verifie((unsigned char)t.GetValeur() == 0xE9 && t.GetFonction() == 2, "key character and function");
    Verifie(propres, "each key coordinate is its own field");
    t.SetTouche('k', 10, 20, 30, 40, 50, 60);
    Verifie(t.GetValeur() == 'k' && t.GetFonction() == 0 && t.GetX() == 10 && t.GetY() == 20
                && t.GetX1() == 30 && t.GetY1() == 40 && t.GetX2() == 50 && t.GetY2() == 60,
            "SetTouche sets every field and clears the function");
}

static void VerifieClavier(TClavier& k)
{
    Verifie(!k.GetMaj() && k.GetChaine()[0] == 0 && k.GetTextX() == 0 && k.GetTextY() == 0
                && k.GetClavierX() == 0 && k.GetClavierY() == 0,
            "a new keyboard: no shift, empty string, text position and origin at 0");
    // The layout and the shift rule are the unit suite's (Keyboard.*), on these same objects.
    k.DeplaceClavier(0, 144);
    Verifie(k.GetClavierX() == 0 && k.GetClavierY() == 144 && k.GetCollY1(0) == 144
                && k.GetCollY1(20) == 208 && k.GetCollX2(4) == 32 && k.GetCollY2(4) == 176
                && k.GetToucheY(20) == 208,
            "the origin is added to every key");
    k.DeplaceClavier(10, 20);
    Verifie(k.GetCollX1(3) == 102 && k.GetToucheX(3) == 102 && k.GetCollY1(57) == 84,
            "a second move moves every key");

    k.SetFonction(5, 2);
    k.SetValeur(5, 'a');
    k.SetMaj(true);
    Verifie(k.GetFonction(5) == 2 && k.GetValeur(5) == 'A', "SetValeur and SetFonction");
    k.SetTouche(5, 'y', 1, 2, 3, 4, 5, 6);
    Verifie(k.GetFonction(5) == 0 && k.GetToucheX(5) == 11 && k.GetToucheY(5) == 22
                && k.GetCollX1(5) == 13 && k.GetCollY2(5) == 26,
            "SetTouche through the keyboard clears the function");

    k.PositionTexte(3, 4);  // links: the objects have it as declared

    char longue[300];
    std::memset(longue, 'x', sizeof longue - 1);
    longue[sizeof longue - 1] = 0;
    k.SetChaine(longue);
    Verifie(std::strlen(k.GetChaine()) == 254, "a long string is cut to 254 bytes");
    char mot[] = "note";
    k.SetChaine(mot);
    mot[0] = 'm';
    Verifie(std::strcmp(k.GetChaine(), "note") == 0, "SetChaine copies the string");
    k.GetChaine()[0] = 'b';
    Verifie(std::strcmp(k.GetChaine(), "bote") == 0, "GetChaine is the keyboard's own storage");
}

// A keyboard built over memory full of a pattern: the constructor sets the first byte of
// the string alone, so a key written past the 60 slots shows in the bytes behind it.
static void VerifieConstructeur()
{
    static union { double alignement; unsigned char octets[sizeof(TClavier)]; } zone;
    std::memset(zone.octets, 0xAB, sizeof zone.octets);
    TClavier* k = new (zone.octets) TClavier;
    bool intact = true;
    for (int i = 1; i < 254; i++) intact = intact && (unsigned char)k->GetChaine()[i] == 0xAB;
    Verifie(intact, "the constructor writes only its 60 keys and the fields it sets");
    k->~TClavier();
}

// The string to copy ends the last byte before an inaccessible page: reading past its
// terminator ends the program.
static void VerifieLectureBornee()
{
    long page = sysconf(_SC_PAGESIZE);
    char* zone = (char*)mmap(0, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (zone == MAP_FAILED || mprotect(zone + page, page, PROT_NONE) != 0) {
        Verifie(false, "a guarded page for SetChaine");
        return;
    }
    char* mot = zone + page - 4;
    std::memcpy(mot, "fin", 4);
    Gardee.objet.SetChaine(mot);
    Verifie(std::strcmp(Gardee.objet.GetChaine(), "fin") == 0, "SetChaine stops at the terminator");
    munmap(zone, 2 * page);
}

int main()
{
    VerifieTouche(Seule.objet);
    VerifieClavier(Gardee.objet);
    VerifieConstructeur();
    VerifieLectureBornee();
    Verifie(GardeIntacte(Seule.garde) && GardeIntacte(Gardee.garde),
            "the objects stay within the classes as declared here");
    if (Echecs == 0) std::printf("keyboard objects: every operation links and behaves\n");
    return Echecs == 0 ? 0 : 1;
}
