"""The real program, headless (SDL's dummy video driver): start-up, hand-over, failures."""
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get("SCRIVELLE_BUILD", os.path.join(os.path.dirname(__file__), "../../build"))
ASSETS = os.environ.get("SCRIVELLE_ASSETS", os.path.join(BUILD, "assets"))
STANDIN_DIR = os.path.realpath(os.path.join(BUILD, "standin"))


class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="scrivelle-program-")
        shutil.copy(os.path.join(ASSETS, "arial.ttf"), self.dir)
        shutil.copytree(os.path.join(ASSETS, "image"), os.path.join(self.dir, "image"))
        self.log = os.path.join(self.dir, "launcher.log")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def start(self, program="scrivelle_standin"):
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
                   SCRIVELLE_LAUNCH_LOG=self.log)
        return subprocess.Popen([os.path.join(BUILD, program)], cwd=self.dir, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def wait_running(self, proc, seconds=0.5):
        """Lets the frame loop run for a while; fails if the program ends by itself."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertIsNone(proc.poll(), proc.stderr.read() if proc.poll() is not None else "")
            time.sleep(0.05)

    def launcher_record(self):
        with open(self.log) as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f)

    def test_quits_on_sigterm_and_hands_over_to_the_launcher(self):
        proc = self.start()
        self.wait_running(proc)
        proc.send_signal(signal.SIGTERM)  # SDL turns it into the window's quit event
        self.assertEqual(proc.wait(timeout=5), 0)
        record = self.launcher_record()
        self.assertEqual(record["argv0"], os.path.join(STANDIN_DIR, "gp2xmenu"))
        self.assertEqual(record["argc"], "0")
        self.assertEqual(os.path.realpath(record["cwd"]), STANDIN_DIR)

    def test_starts_without_a_notes_folder(self):
        proc = self.start()
        self.wait_running(proc)
        proc.send_signal(signal.SIGTERM)
        self.assertEqual(proc.wait(timeout=5), 0)
        self.assertEqual(proc.stderr.read(), b"")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "dossier")))

    def test_missing_picture_or_font_is_named_and_ends_with_status_3(self):
        for missing in ("image/btn.bmp", "image/icones.png", "arial.ttf"):
            with self.subTest(missing=missing):
                path = os.path.join(self.dir, missing)
                saved = path + ".away"
                os.rename(path, saved)
                try:
                    proc = self.start("scrivelle")  # its launcher does not exist here
                    self.assertEqual(proc.wait(timeout=5), 3)
                    err = proc.stderr.read().decode()
                    self.assertIn(missing, err)
                    self.assertEqual(err.count("\n"), 1, err)
                finally:
                    os.rename(saved, path)

    def test_missing_picture_still_hands_over(self):
        os.remove(os.path.join(self.dir, "image", "ligne.bmp"))
        proc = self.start()
        proc.wait(timeout=5)
        self.assertIn("image/ligne.bmp", proc.stderr.read().decode())
        self.assertEqual(self.launcher_record()["argc"], "0")


if __name__ == "__main__":
    unittest.main()
