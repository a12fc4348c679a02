"""The real program, headless (SDL's dummy video driver): start-up, hand-over, failures."""
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

BUILD = os.environ.get("SCRIVELLE_BUILD", os.path.join(os.path.dirname(__file__), "../../build"))
ASSETS = os.environ.get("SCRIVELLE_ASSETS", os.path.join(BUILD, "assets"))
STANDIN_DIR = os.path.realpath(os.path.join(BUILD, "standin"))


def bmp(width, height):
    """A 24-bit BMP of the given size."""
    row = (width * 3 + 3) // 4 * 4
    pixels = b"\x00" * (row * height)
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
            + struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
            + pixels)


def png(width, height):
    """An opaque RGBA PNG of the given size."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))
    rows = b"".join(b"\x00" + b"\x80\x80\x80\xff" * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="scrivelle-program-")
        shutil.copy(os.path.join(ASSETS, "arial.ttf"), self.dir)
        shutil.copytree(os.path.join(ASSETS, "image"), os.path.join(self.dir, "image"))
        self.log = os.path.join(self.dir, "launcher.log")
        self.procs = []

    def tearDown(self):
        # A program that did not end when it should have must not outlive its test.
        for proc in self.procs:
            if proc.poll() is None:
                proc.kill()
                proc.communicate()
        shutil.rmtree(self.dir, ignore_errors=True)

    def start(self, program="scrivelle_standin", env=None, stdout=subprocess.PIPE, pass_fds=()):
        env = env or dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        env["SCRIVELLE_LAUNCH_LOG"] = self.log
        # Never the terminal the tests run in: a text-mode driver would take it over.
        proc = subprocess.Popen([os.path.join(BUILD, program)], cwd=self.dir, env=env,
                                stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.PIPE,
                                pass_fds=pass_fds)
        self.procs.append(proc)
        return proc

    def wait_running(self, proc, seconds=0.5):
        """Lets the frame loop run for a while; fails if the program ends by itself."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertIsNone(proc.poll(), proc.stderr.read() if proc.poll() is not None else "")
            time.sleep(0.05)

    def finish(self, proc, seconds=30):
        """Waits for the program to end by itself (killing it if it does not): status, stderr."""
        try:
            err = proc.communicate(timeout=seconds)[1]
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.communicate()
            self.fail("still running after %d s" % seconds)
        return proc.returncode, err.decode()

    def launcher_record(self):
        with open(self.log) as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f)

    def test_quits_on_sigterm_and_hands_over_to_the_launcher(self):
        # A picture larger than the program needs is accepted.
        with open(os.path.join(self.dir, "image", "message.bmp"), "wb") as f:
            f.write(bmp(240, 60))
        # A descriptor the program inherited open must not reach the launcher either.
        inherited_fd = os.open(self.dir, os.O_RDONLY)
        try:
            proc = self.start(pass_fds=(inherited_fd,))
            self.wait_running(proc)
        finally:
            os.close(inherited_fd)
        proc.send_signal(signal.SIGTERM)  # SDL turns it into the window's quit event
        self.assertEqual(proc.wait(timeout=30), 0)
        self.assertEqual(proc.stderr.read(), b"")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "dossier")), "a start makes no folder")
        record = self.launcher_record()
        self.assertEqual(record["argv0"], os.path.join(STANDIN_DIR, "gp2xmenu"))
        self.assertEqual(record["argc"], "0")
        self.assertEqual(os.path.realpath(record["cwd"]), STANDIN_DIR)
        inherited = {k: v for k, v in record.items() if k.startswith("fd")}
        self.assertEqual(sorted(inherited), ["fd0", "fd1", "fd2"], inherited)

    def test_missing_or_broken_picture_or_font_is_named_and_ends_with_status_3(self):
        with open(os.path.join(ASSETS, "arial.ttf"), "rb") as f:
            font = f.read()
        cases = (  # file, what it holds instead (None: missing)
            ("image/btn.bmp", None),
            ("image/icones.png", None),
            ("arial.ttf", None),
            ("arial.ttf", font[:len(font) // 10]),  # opens, but draws every text blank
            ("arial.ttf", font[:len(font) * 7 // 10]),
            ("image/lettre.bmp", bmp(1, 1)),
            ("image/icones.png", png(1, 1)),
            ("image/btn.bmp", bmp(71, 12)),  # one column short of the third button
            ("image/message.bmp", bmp(200, 49)),
        )
        for name, content in cases:
            with self.subTest(name=name, size=None if content is None else len(content)):
                path = os.path.join(self.dir, name)
                saved = path + ".away"
                os.rename(path, saved)
                try:
                    if content is not None:
                        with open(path, "wb") as f:
                            f.write(content)
                    status, err = self.finish(self.start("scrivelle"))  # no launcher here
                    self.assertEqual(status, 3, err)
                    self.assertIn(name, err)
                    self.assertEqual(err.count("\n"), 1, err)
                finally:
                    os.replace(saved, path)

    def test_missing_picture_still_hands_over(self):
        os.remove(os.path.join(self.dir, "image", "ligne.bmp"))
        proc = self.start()
        proc.wait(timeout=30)
        self.assertIn("image/ligne.bmp", proc.stderr.read().decode())
        self.assertEqual(self.launcher_record()["argc"], "0")

    def test_no_display_is_named_unless_text_mode_is_asked_for(self):
        # Debian's SDL always carries the caca text-mode driver, and a framebuffer that
        # cannot be opened leaves it as SDL's only choice without a display.
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "CACA_DRIVER")}
        env.update(SDL_AUDIODRIVER="dummy", SDL_FBDEV="/nonexistent", TERM="xterm")
        status, err = self.finish(self.start(env=env))
        self.assertEqual(status, 1, err)
        self.assertIn("no graphical display", err)
        self.assertIn("xvfb-run", err)
        self.assertFalse(os.path.exists(self.log), "there is no launcher to go back to")

        env["SDL_VIDEODRIVER"] = "caca"  # asked for by name: it runs, in the terminal
        proc = self.start(env=env, stdout=subprocess.DEVNULL)
        try:
            self.wait_running(proc)
        finally:
            proc.kill()  # the terminal library's own SIGTERM handler would end it anyway
            proc.wait()
        self.assertNotIn(b"no graphical display", proc.stderr.read())


if __name__ == "__main__":
    unittest.main()
