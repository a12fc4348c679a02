// Test fixture for the notes: every test runs in a fresh temporary working directory with
// an empty "dossier/", and leaves the buffers and the process directory as it found them.
#ifndef TEST_NOTES_DOSSIER_H
#define TEST_NOTES_DOSSIER_H

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "globals.h"
#include "notes.h"

class NotesDossier : public ::testing::Test {
protected:
    void SetUp() override
    {
        // SCRIVELLE_TESTS_DOSSIER puts the folders elsewhere: on a FAT card, for the card tests.
        const char* parent = getenv("SCRIVELLE_TESTS_DOSSIER");
        std::string modele = std::string(parent ? parent : "/tmp") + "/notes-test-XXXXXX";
        ASSERT_NE(mkdtemp(&modele[0]), nullptr) << modele;
        racine_ = modele;
        ancien_ = std::filesystem::current_path();
        ASSERT_EQ(chdir(racine_.c_str()), 0);
        ASSERT_EQ(mkdir("dossier", 0777), 0);
        FnClearText(&Texte);
        FnClearText(&ListeFichier);
        TexteIncomplet = false;
        ChaineTitre[0] = 0;
    }

    void TearDown() override
    {
        ASSERT_EQ(chdir(ancien_.c_str()), 0);
        std::error_code ignore;
        std::filesystem::remove_all(racine_, ignore);
    }

    // Writes a new file: a FAT driver in user space ignores O_TRUNC on an existing one.
    static void Ecrit(const std::string& chemin, const std::string& octets)
    {
        unlink(chemin.c_str());
        std::ofstream f(chemin, std::ios::binary | std::ios::trunc);
        f.write(octets.data(), (std::streamsize)octets.size());
        ASSERT_TRUE(f.good()) << chemin;
    }

    static std::string Lit(const std::string& chemin)
    {
        std::ifstream f(chemin, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    static bool Existe(const std::string& chemin)
    {
        struct stat st;
        return lstat(chemin.c_str(), &st) == 0;
    }

    // The entries of a folder in the order readdir gives them, "." and ".." left out.
    static std::vector<std::string> Entrees(const char* dossier = "dossier")
    {
        std::vector<std::string> noms;
        DIR* d = opendir(dossier);
        if (!d) return noms;
        while (struct dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") noms.push_back(n);
        }
        closedir(d);
        return noms;
    }

    static std::vector<std::string> Liste()
    {
        std::vector<std::string> noms;
        for (int i = 0; i < ListeFichier.NbLignes; i++) noms.push_back(ListeFichier.Lignes[i].Caracteres);
        return noms;
    }

    static void Liste(const std::vector<std::string>& noms)
    {
        FnClearText(&ListeFichier);
        for (const std::string& n : noms) {
            strcpy(ListeFichier.Lignes[ListeFichier.NbLignes++].Caracteres, n.c_str());
        }
    }

    std::string racine_;
    std::string ancien_;
};

#endif
