// What both fuzz targets add to the tests' scratch folder: a private folder for the whole
// run, entered around each input, and the check that stops the run on a broken promise.
#pragma once

#include <stdio.h>

#include "../support/scratch.h"

namespace atelier {

// Made once, in memory when the machine has /dev/shm; removed at exit and on a failure.
inline test::ScratchDir* Dossier = nullptr;

inline void Nettoie()
{
    delete Dossier;
    Dossier = nullptr;
}

// A broken promise: print what and why, remove the private folder (the input alone
// reproduces it), then abort so that libFuzzer keeps the input.
#define VERIFIE(condition, ...)                                              \
    do {                                                                     \
        if (!(condition)) {                                                  \
            fprintf(stderr, "fuzz: %s:%d: %s: ", __FILE__, __LINE__, #condition); \
            fprintf(stderr, __VA_ARGS__);                                    \
            fprintf(stderr, "\n");                                           \
            atelier::Nettoie();                                              \
            abort();                                                         \
        }                                                                    \
    } while (0)

// Each input runs inside the private folder (Entre), and the fuzzer works between inputs
// in the folder it was started in (Sort), so relative corpus paths keep their meaning.
inline void Prepare()
{
    Dossier = new test::ScratchDir(test::MemoryTmp());
    atexit(Nettoie);
    Dossier->Leave();
}
inline void Entre() { Dossier->Enter(); }
inline void Sort() { Dossier->Leave(); }

// Checks the buffer's and a load's promises (test::BufferFault, test::LoadFault).
inline void VerifieTampon(const STexte& t, const char* quel)
{
    std::string faute = test::BufferFault(t);
    VERIFIE(faute.empty(), "%s: %s", quel, faute.c_str());
}
inline void VerifieCharge(const std::string& octets)
{
    std::string faute = test::LoadFault(octets);
    VERIFIE(faute.empty(), "%s", faute.c_str());
}

}  // namespace atelier
