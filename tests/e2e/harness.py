"""Drives the real program in a real X server: Xvfb for the screen, xdotool for the hands,
xwd for the eyes.

One Xvfb serves the whole run (`start_display`, stopped at interpreter exit whatever
happens).  Each test gets a `Scrivelle`: a fresh working folder with the staged font and
pictures and the notes the test asks for, the program started in it, and helpers that
click at the centres of the program's own hit boxes (read from `scrivelle_positions`) and
wait, with a bound, on what can be observed: a pixel, a file, the process, the frames drawn.
"""
import atexit
import ctypes
import ctypes.util
import functools
import json
import mmap
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import pictures

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(os.environ.get("SCRIVELLE_BUILD", os.path.join(HERE, "..", "..", "build")))
ASSETS = os.path.abspath(os.environ.get("SCRIVELLE_ASSETS", os.path.join(BUILD, "assets")))

# The program counts one click a frame, on a release, and reads the pointer 20 ms later: each
# action waits until frames drawn after it show that the program has taken it (frames.c counts
# them), however busy the machine. The bounds only end a test that would wait forever.
FRAMES = os.path.join(BUILD, "libframes.so")
WAIT = 30.0  # bound of every wait on the program's state
WHITE = (255, 255, 255)
QUIET = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)


def poll(check, timeout=WAIT, interval=0.02):
    """Calls check until it returns a true value or the time is up; returns the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


# ---------------------------------------------------------------- the X server

class _Display:
    process = None
    name = None


def start_display():
    """Starts Xvfb on the first free display number (idempotent); returns its name."""
    if _Display.process is not None:
        return _Display.name
    for tool in ("Xvfb", "xdotool", "xwd"):
        if shutil.which(tool) is None:
            raise RuntimeError("%s is missing (Debian packages xvfb, xdotool, x11-apps)" % tool)
    for number in range(90, 190):
        socket = "/tmp/.X11-unix/X%d" % number
        if os.path.exists(socket) or os.path.exists("/tmp/.X%d-lock" % number):
            continue
        # 16 bits a pixel like the handheld, so the window shows the program's own colours.
        process = subprocess.Popen(
            ["Xvfb", ":%d" % number, "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x16"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        if poll(lambda: os.path.exists(socket) or process.poll() is not None, 10) \
                and process.poll() is None:
            _Display.process, _Display.name = process, ":%d" % number
            return _Display.name
        # Another server took the number first, or this one never came up.
        if process.poll() is None:
            process.kill()
        process.wait()
    raise RuntimeError("no free X display number")


@atexit.register
def stop_display():
    process, _Display.process = _Display.process, None
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


# ---------------------------------------------------------------- what the program knows

class Layout(dict):
    """The program's positions, and the keys that type each byte."""

    def key(self, char=None, function=0):
        """The key of this function (0 typing `char`, 1 new line, 2 backspace)."""
        for k in self["keys"]:
            if k["function"] == function and (char is None or k["char"] == char):
                return k
        raise KeyError((char, function))


@functools.lru_cache(None)
def layout():
    out = subprocess.run([os.path.join(BUILD, "scrivelle_positions")], check=True,
                         stdout=subprocess.PIPE, timeout=10).stdout
    data = Layout(json.loads(out))
    data["keys"] = [dict(k, char=bytes([k["code"]])) for k in data["keys"]]
    return data


def bar_rect(layout, row):
    b = layout["bar"]
    return dict(b, y=b["y"] + b["step"] * row)


# The colour keys the program gives its staged pictures, from its list of them.
with open(os.path.join(HERE, "..", "..", "src", "pictures.h")) as f:
    KEYS = {name: {"CLE_BLANC": WHITE, "CLE_VERT": (0, 255, 0)}.get(key)
            for name, key in re.findall(r'IMAGE\("([^"]+)", *\w+, *\w+, *(\w+)', f.read())}


@functools.lru_cache(None)
def picture(name):
    return pictures.read_bmp(os.path.join(ASSETS, "image", name), KEYS.get(name))


def one_of(first, second, at, source_first, source_second):
    """A predicate: the shot shows the first picture there and not the second."""
    def check(shot):
        shares = pictures.which(shot, first, second, at, source_first, source_second)
        return shares[0] > 0.9 and shares[1] < 0.1
    return check


# ---------------------------------------------------------------- closing the window

def close_window(display, window):
    """Sends the window manager's close request (WM_DELETE_WINDOW), as a close button does.

    No window manager runs under Xvfb and xdotool cannot send client messages, so the
    message is sent through libX11 directly.
    """
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    dpy = ctypes.c_void_p(x11.XOpenDisplay(display.encode()))
    if not dpy:
        raise RuntimeError("cannot open display " + display)
    try:
        def atom(name):
            return x11.XInternAtom(dpy, name, 0)
        # An XClientMessageEvent, its fields a long each on a 64-bit machine: type
        # (ClientMessage), serial, send_event, display, window, message_type, format, then
        # the data (the protocol, CurrentTime); 24 longs are the size of any XEvent.
        event = (ctypes.c_long * 24)(33, 0, 0, 0, window, atom(b"WM_PROTOCOLS"), 32,
                                     atom(b"WM_DELETE_WINDOW"), 0)
        if not x11.XSendEvent(dpy, ctypes.c_ulong(window), 0, ctypes.c_long(0), event):
            raise RuntimeError("XSendEvent failed")
        x11.XSync(dpy, 0)
    finally:
        x11.XCloseDisplay(dpy)


# ---------------------------------------------------------------- the program

class Scrivelle:
    """The program running in a fresh working folder, and the hands and eyes to use it."""

    def __init__(self, test, notes=None):
        """notes: None for no "dossier/", else {name: bytes} written into it."""
        self.test = test
        self.layout = layout()
        self.display = start_display()
        self.xenv = dict(os.environ, DISPLAY=self.display)
        self.process = self.stderr = None
        self.held = []
        self.page = 0
        self.dir = tempfile.mkdtemp(prefix="scrivelle-e2e-")
        test.addCleanup(self.close)
        self.notes = os.path.join(self.dir, "dossier")
        shutil.copy(os.path.join(ASSETS, "arial.ttf"), self.dir)
        shutil.copytree(os.path.join(ASSETS, "image"), os.path.join(self.dir, "image"))
        if notes is not None:
            os.mkdir(self.notes)
            for name, content in notes.items():
                with open(os.path.join(self.notes, name), "wb") as f:
                    f.write(content)
        env = {k: v for k, v in os.environ.items() if k not in ("SDL_VIDEODRIVER", "XAUTHORITY")}
        self.frames_file = os.path.join(self.dir, "frames")
        with open(self.frames_file, "wb") as f:
            f.write(bytes(8))
        with open(self.frames_file, "r+b") as f:
            self.frames_map = mmap.mmap(f.fileno(), 8)
        env.update(DISPLAY=self.display, SDL_AUDIODRIVER="dummy", LD_PRELOAD=FRAMES,
                   SCRIVELLE_FRAMES=self.frames_file)
        self.stderr = open(os.path.join(self.dir, "stderr.log"), "w+b")
        self.process = subprocess.Popen([os.path.join(BUILD, "scrivelle")], cwd=self.dir, env=env,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr)

        def search():
            self.assert_running()
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                                    str(self.process.pid)], env=self.xenv,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
            return found[0] if found else None
        window = poll(search)
        test.assertTrue(window, "the program's window never showed")
        self.window = int(window)
        # The first frames may not be on the screen yet: wait for the title strip.
        title = self.layout["title"]
        self.wait_for(lambda shot: pictures.likeness(shot, picture("titre.bmp"),
                                                     (title["x"], title["y"])) > 0.7,
                      "the title strip drawn")

    # ---- life and death

    def assert_running(self):
        if self.process.poll() is not None:
            self.stderr.seek(0)
            self.test.fail("the program ended (status %s): %s"
                           % (self.process.returncode, self.stderr.read().decode(errors="replace")))

    def close(self):
        for key in reversed(self.held):
            subprocess.run(["xdotool", "keyup", key], env=self.xenv, **QUIET)
        self.held = []
        if self.process is not None:
            if self.process.poll() is None:
                self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        if self.stderr is not None:
            self.stderr.close()
        self.frames_map.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    # ---- hands

    def _xdotool(self, *args):
        subprocess.run(("xdotool",) + args, env=self.xenv, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=10)

    def frames(self):
        return int.from_bytes(self.frames_map[:8], "little")

    def settle(self, count=3):
        """Waits until the program has drawn `count` more frames, or has ended (the action
        may end it). An event sent before the call is in the program's queue by the end of
        the frame under way, so the frame after that has drained it; the third is a margin
        for the X server's own delivery. True while the program runs."""
        first = self.frames()
        if not poll(lambda: self.frames() >= first + count or self.process.poll() is not None):
            self.test.fail("the program drew no frame for %.0f s" % WAIT)
        return self.process.poll() is None

    def click(self, *points):
        """Presses and releases the left button at each window point in turn; the pointer
        stays there until the program has taken the click."""
        self.assert_running()
        for i, (x, y) in enumerate(points):
            if i:
                self.assert_running()
            self._xdotool("mousemove", "--window", str(self.window), str(x), str(y),
                          "mousedown", "1", "mouseup", "1")
            self.settle()

    def tap(self, *rects):
        """Clicks the centre of each rectangle."""
        self.click(*((r["x"] + r["w"] // 2, r["y"] + r["h"] // 2) for r in rects))

    def press_key(self, key):
        """A desktop key (xdotool names: Up, Down, c, ctrl+c) pressed, held a moment so that
        the press and the release reach the program in different frames, and released."""
        self._keys("keydown", key)
        running = self.settle()
        # Let go even when the press ended the program: a key left down repeats into the
        # next program's window.
        self._xdotool("keyup", key)
        if running:
            self.settle()

    def hold(self, key):
        self._keys("keydown", key)
        self.held.append(key)

    def _keys(self, *args):
        # Without a window manager the keyboard follows the pointer.
        self.assert_running()
        self._xdotool("mousemove", "--window", str(self.window), "160", "20", *args)

    # ---- the keyboard on the screen

    def type(self, text):
        """Taps the on-screen keys, page switches included, that type these bytes: letters,
        digits, signs, é è à, space and new line (b"\\n"); a capital letter is typed with
        shift turned on for it and off again."""
        rects = []
        for byte in text:
            char = bytes([byte])
            key = self.layout.key(function=1) if char == b"\n" else self.layout.key(char.lower())
            if key["page"] != self.page:
                rects.append(self.layout["switch"])
                self.page = key["page"]
            rects += [self.layout["shift"], key["box"], self.layout["shift"]] if char.isupper() \
                else [key["box"]]
        self.tap(*rects)

    def switch_page(self, page):
        if self.page != page:
            self.tap(self.layout["switch"])
            self.page = page

    def backspace(self, times=1):
        self.switch_page(0)
        self.tap(*[self.layout.key(function=2)["box"]] * times)

    def shift(self):
        self.tap(self.layout["shift"])

    def icon(self, name):
        self.tap(self.layout["icons"][name])

    def ask(self, icon, what):
        """Taps the icon and waits for the box it opens, a notice or a question: the shot."""
        self.icon(icon)
        return self.wait_for(self.box_shown(), what)

    def answer(self, button, closed=None):
        """confirm, decline or acknowledge: a button of the message box; given `closed`,
        waits for the box to close (named so in a failure) and returns that shot."""
        self.tap(self.layout["message"][button])
        return closed and self.wait_for(self.box_shown(False), closed)

    def pick_row(self, row):
        """Clicks the middle of row `row`'s highlight bar and waits for the bar there."""
        self.tap(bar_rect(self.layout, row))
        return self.wait_for(self.bar_on(row), "the bar on row %d" % row)

    def arrow(self, which):
        self.tap(self.layout["arrows"][which])

    def open_note(self, name, notice=False):
        """Picks the note's row on the list (the list keeps the folder's order) and opens it;
        notice: the note does not load whole, and a box says so as it opens."""
        self.pick_row(self.listing().index(name))
        self.icon("open")
        return self.wait_for(lambda s: self.on_list(False)(s) and self.bar_on(0)(s)
                             and self.box_shown(notice)(s), "the editor on line 1")

    # ---- eyes

    def shot(self):
        self.assert_running()
        data = subprocess.run(["xwd", "-silent", "-id", str(self.window)], env=self.xenv,
                              check=True, stdout=subprocess.PIPE, timeout=10).stdout
        return pictures.read_xwd(data)

    def wait_for(self, check, what, timeout=WAIT):
        """Waits until check(screenshot) holds; fails naming `what` and keeping the last shot."""
        last = [None]

        def attempt():
            last[0] = self.shot()
            return check(last[0])
        if not poll(attempt, timeout):
            path = os.path.join(tempfile.gettempdir(), "scrivelle-e2e-%s.png" % self.test.id())
            with open(path, "wb") as f:
                f.write(last[0].png())
            self.test.fail("not seen within %.1f s: %s (last screen in %s)" % (timeout, what, path))
        return last[0]

    # What the screen shows, as predicates on a screenshot.

    def bar_on(self, row):
        bar = picture("ligne.bmp")
        x, y = self.layout["bar"]["x"], bar_rect(self.layout, row)["y"]
        return lambda shot: pictures.likeness(shot, bar, (x, y)) > 0.8 and all(
            pictures.likeness(shot, bar, (x, bar_rect(self.layout, r)["y"])) < 0.5
            for r in range(self.layout["rows"]["count"]) if r != row)

    def page_shown(self, page):
        k = self.layout["keyboard"]
        pages = (picture("lettre.bmp"), picture("speciaux.bmp"))
        whole = (0, 0, k["w"], k["h"])
        return one_of(pages[page], pages[1 - page], (k["x"], k["y"]), whole, whole)

    def shift_shown(self, on):
        mark = picture("maj.bmp")
        s = self.layout["shift"]
        halves = ((0, 0, s["w"], s["h"]), (s["w"], 0, s["w"], s["h"]))
        return one_of(mark, mark, (s["x"], s["y"]), halves[on], halves[1 - on])

    def box_shown(self, shown=True):
        panel = picture("message.bmp")
        p = self.layout["message"]["panel"]

        def check(shot):
            seen = pictures.likeness(shot, panel, (p["x"], p["y"]), (0, 0, p["w"], p["h"]))
            return seen > 0.6 if shown else seen < 0.3
        return check

    def on_list(self, shown=True):
        """The file list, told from the editor by the name field's lower edge: below the
        name's descenders and left of where a message box reaches."""
        n = self.layout["name_field"]["box"]
        left = self.layout["message"]["panel"]["x"] - 2
        edge = 3

        def check(shot):
            seen = pictures.likeness(shot, picture("texte.bmp"), (n["x"], n["y"] + n["h"] - edge),
                                     (0, n["h"] - edge, left, edge), ignore=WHITE)
            return seen > 0.9 if shown else seen < 0.2
        return check

    def box_second_line(self, shot):
        """Ink of the box's second line: the delete question names the note there, and a
        failure or an incomplete note says why; "File saved" and the quit question leave it
        empty."""
        m = self.layout["message"]
        return pictures.ink(shot, (m["text_x"], m["line2_y"] + 3, 120, 8))

    def box_second_line_pixels(self, shot):
        """The pixels of the box's second line, to tell one text there from another."""
        m = self.layout["message"]
        p = m["panel"]
        return [shot.pixel(x, y) for y in range(m["line2_y"], m["line2_y"] + 14)
                for x in range(m["text_x"], p["x"] + p["w"])]

    def rows_with_text(self, shot):
        """The rows with dark pixels in the upper part of their text (a name, or a line that
        is not the current one), clear of the descenders of the row above."""
        r = self.layout["rows"]
        return [row for row in range(r["count"]) if pictures.ink(
            shot, (r["text_x"], r["text_y"] + r["height"] * row + 3, 250, 8))]

    def name_ink(self, shot):
        """Dark pixels of the name field's text, inside the field's white."""
        n = self.layout["name_field"]
        return pictures.ink(shot, (n["text_x"] + 2, n["box"]["y"] + 3, 240, 8))

    # ---- files

    def read(self, name):
        with open(os.path.join(self.notes, name), "rb") as f:
            return f.read()

    def listing(self):
        """Names in "dossier/" in the order the folder gives them: the list's order."""
        return os.listdir(self.notes)


class EndToEnd(unittest.TestCase):
    """Base of the end-to-end tests: a fresh program per test through `self.start`."""

    def start(self, notes=None):
        self.app = Scrivelle(self, notes)
        return self.app

    def assertFolder(self, expected):
        """dossier/ holds exactly these files with exactly these bytes (no stray temporary)."""
        self.assertEqual({name: self.app.read(name) for name in self.app.listing()}, expected)

    def assertEndsAtOnce(self, action, folder):
        """The program ends with status 0 after the action, with no further input, leaving
        dossier/ so."""
        action()
        try:
            self.assertEqual(self.app.process.wait(WAIT), 0)
        except subprocess.TimeoutExpired:
            self.fail("the program still runs %.0f s later" % WAIT)
        self.assertFolder(folder)
