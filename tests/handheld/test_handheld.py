"""The SD-card package as the build lays it out, and the cross toolchain files' refusals.

Run by CTest with SCRIVELLE_SOURCE, SCRIVELLE_BUILD and SCRIVELLE_ASSETS set."""
import os
import re
import stat
import struct
import subprocess
import tempfile
import unittest
import zipfile

SOURCE = os.environ["SCRIVELLE_SOURCE"]
BUILD = os.environ["SCRIVELLE_BUILD"]
ASSETS = os.environ["SCRIVELLE_ASSETS"]
with open(os.path.join(SOURCE, "src", "pictures.h")) as f:
    PICTURES = re.findall(r'IMAGE\("([^"]+)"', f.read())


def read(path):
    with open(path, "rb") as f:
        return f.read()


class CardPackage(unittest.TestCase):
    """dist/scrivelle.zip holds the card folder and nothing else, the same as dist/scrivelle/."""

    @classmethod
    def setUpClass(cls):
        cls.zip = zipfile.ZipFile(os.path.join(BUILD, "dist", "scrivelle.zip"))
        cls.members = {i.filename: i for i in cls.zip.infolist()}

    def test_holds_exactly_the_card_folder(self):
        expected = {"scrivelle/", "scrivelle/scrivelle.gpe", "scrivelle/scrivelle.png",
                    "scrivelle/arial.ttf", "scrivelle/readme.txt", "scrivelle/image/",
                    "scrivelle/dossier/"} | {"scrivelle/image/" + p for p in PICTURES}
        self.assertEqual(set(self.members), expected)

    def test_every_file_is_the_build_s_own(self):
        self.assertEqual(self.zip.read("scrivelle/scrivelle.gpe"), read(os.path.join(BUILD, "scrivelle")))
        self.assertEqual(self.zip.read("scrivelle/arial.ttf"), read(os.path.join(ASSETS, "arial.ttf")))
        for p in PICTURES:
            self.assertEqual(self.zip.read("scrivelle/image/" + p),
                             read(os.path.join(ASSETS, "image", p)), p)
        for name, info in self.members.items():
            if not name.endswith("/"):
                self.assertEqual(self.zip.read(name), read(os.path.join(BUILD, "dist", name)), name)

    def test_program_stays_executable_and_notes_folder_empty(self):
        mode = self.members["scrivelle/scrivelle.gpe"].external_attr >> 16
        self.assertTrue(mode & stat.S_IXUSR, oct(mode))
        self.assertEqual(os.listdir(os.path.join(BUILD, "dist", "scrivelle", "dossier")), [])

    def test_menu_icon_is_a_32_pixel_square_png_with_alpha(self):
        png = self.zip.read("scrivelle/scrivelle.png")
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        width, height, depth, colour = struct.unpack(">IIBB", png[16:26])
        self.assertEqual((width, height, depth, colour), (32, 32, 8, 6))

    def test_readme_is_short_plain_text(self):
        text = self.zip.read("scrivelle/readme.txt")
        self.assertLess(len(text), 4000)
        self.assertIn(b"scrivelle.gpe", text)
        text.decode("ascii")


class CrossToolchains(unittest.TestCase):
    """Without their toolchain or SDL the cross builds stop at once and say what to do."""

    def test_refusals(self):
        gp2x, armel = ("-DCMAKE_TOOLCHAIN_FILE=%s/cmake/toolchain-%s.cmake" % (SOURCE, t)
                       for t in ("gp2x", "armel"))
        cases = (  # what the folder root holds, the arguments, what the refusal says
            ("the handheld toolchain missing", (), (gp2x, "-DGP2X_ROOT={root}/none"),
             ("no {root}/none/bin/arm-open2x-linux-g++", "GP2X_ROOT=")),
            ("the handheld toolchain without sdl-config", ("arm-test-linux-gcc", "arm-test-linux-g++"),
             (gp2x, "-DGP2X_ROOT={root}", "-DGP2X_PREFIX=arm-test-linux-"),
             ("no sdl-config", "{root}/bin/sdl-config", "GP2X_SDL_CONFIG=")),
            ("the ARM check build without its root", (), (armel, "-DARMEL_SYSROOT={root}"),
             ("scripts/armel-sysroot",)),
        )
        for what, tools, args, said in cases:
            with self.subTest(what), tempfile.TemporaryDirectory() as root, \
                    tempfile.TemporaryDirectory() as build:
                for tool in tools:
                    os.makedirs(os.path.join(root, "bin"), exist_ok=True)
                    open(os.path.join(root, "bin", tool), "w").close()
                r = subprocess.run(["cmake", "-S", SOURCE, "-B", build]
                                   + [a.format(root=root) for a in args],
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                self.assertNotEqual(r.returncode, 0)
                out = " ".join(r.stdout.split())
                for words in said:
                    self.assertIn(words.format(root=root), out)


if __name__ == "__main__":
    unittest.main()
