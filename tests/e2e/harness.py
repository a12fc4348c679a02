"""Drives the real program in a real X server: Xvfb for the screen, xdotool for the hands,
xwd for the eyes.

One Xvfb serves a whole test module (`start_display` / `stop_display`, also stopped at
interpreter exit whatever happens).  Each test gets a `Scrivelle`: a fresh working folder
with the staged font and pictures and the notes the test asks for, the program started
in it, and helpers that click at the centres of the program's own hit boxes (read from
`scrivelle_positions`) and wait, with a bound, on what can be observed: a pixel, a file,
the process.
"""
import atexit
import ctypes
import ctypes.util
import json
import os
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

# The program counts a click on the button's release and reads the pointer 20 ms later;
# the pointer must stay put until the frame that takes the click has read it.
SETTLE = float(os.environ.get("SCRIVELLE_E2E_SETTLE", "0.06"))
WAIT = 5.0  # bound of every wait on the program's state
WHITE = (255, 255, 255)


def _run(*args, **kwargs):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=10, **kwargs).stdout


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


def _free_display():
    for number in range(90, 190):
        if not (os.path.exists("/tmp/.X11-unix/X%d" % number)
                or os.path.exists("/tmp/.X%d-lock" % number)):
            yield number


def start_display():
    """Starts Xvfb on the first free display number (idempotent); returns its name."""
    if _Display.process is not None:
        return _Display.name
    for tool in ("Xvfb", "xdotool", "xwd"):
        if shutil.which(tool) is None:
            raise RuntimeError("%s is missing (Debian packages xvfb, xdotool, x11-apps)" % tool)
    for number in _free_display():
        # 16 bits a pixel like the handheld, so the window shows the program's own colours.
        process = subprocess.Popen(
            ["Xvfb", ":%d" % number, "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x16"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        socket = "/tmp/.X11-unix/X%d" % number
        if poll(lambda: os.path.exists(socket) or process.poll() is not None, 10):
            if process.poll() is None:
                _Display.process, _Display.name = process, ":%d" % number
                return _Display.name
        # Another server took the number first, or this one never came up.
        if process.poll() is None:
            process.kill()
        process.wait()
    raise RuntimeError("no free X display number")


def stop_display():
    process, _Display.process = _Display.process, None
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


atexit.register(stop_display)


# ---------------------------------------------------------------- what the program knows

def _load_layout():
    out = _run(os.path.join(BUILD, "scrivelle_positions"))
    layout = json.loads(out)
    layout["keys"] = [dict(k, char=bytes([k["code"]])) for k in layout["keys"]]
    return layout


class Layout:
    """The program's positions, and the keys that type each byte."""
    _cache = None

    def __init__(self):
        if Layout._cache is None:
            Layout._cache = _load_layout()
        self.data = Layout._cache

    def __getitem__(self, name):
        return self.data[name]

    def key(self, char=None, function=0, page=None):
        """The key of this function (0 typing `char`, 1 new line, 2 backspace)."""
        for k in self.data["keys"]:
            if k["function"] == function and (char is None or k["char"] == char) \
                    and (page is None or k["page"] == page):
                return k
        raise KeyError((char, function))


def centre(rect):
    return rect["x"] + rect["w"] // 2, rect["y"] + rect["h"] // 2


def bar_rect(layout, row):
    b = layout["bar"]
    return (b["x"], b["y"] + b["step"] * row, b["w"], b["h"])


def row_point(layout, row):
    """Where a click picks row `row`: the middle of its highlight bar."""
    x, y, w, h = bar_rect(layout, row)
    return x + w // 2, y + h // 2


class Pictures:
    """The staged pictures, with the colour keys the program gives them."""
    _cache = {}

    KEYS = {"maj.bmp": (255, 255, 255), "lettre.bmp": (0, 255, 0),
            "speciaux.bmp": (0, 255, 0), "texte.bmp": (0, 255, 0)}

    @classmethod
    def get(cls, name):
        if name not in cls._cache:
            cls._cache[name] = pictures.read_bmp(os.path.join(ASSETS, "image", name),
                                                 cls.KEYS.get(name))
        return cls._cache[name]


# ---------------------------------------------------------------- closing the window

class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def close_window(display, window):
    """Sends the window manager's close request (WM_DELETE_WINDOW), as a close button does.

    No window manager runs under Xvfb and xdotool cannot send client messages, so the
    message is sent through libX11 directly.
    """
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise RuntimeError("cannot open display " + display)
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(dpy, window, 0, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        x11.XSync(dpy, 0)
    finally:
        x11.XCloseDisplay(dpy)


# ---------------------------------------------------------------- the program

class Scrivelle:
    """The program running in a fresh working folder, and the hands and eyes to use it."""

    def __init__(self, test, notes=None, program="scrivelle"):
        """notes: None for no "dossier/", else {name: bytes} written into it."""
        self.test = test
        self.layout = Layout()
        self.display = start_display()
        self.process = None
        self.stderr = None
        self.held = []
        self.window = None
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
        env.update(DISPLAY=self.display, SDL_AUDIODRIVER="dummy")
        self.stderr = open(os.path.join(self.dir, "stderr.log"), "w+b")
        self.process = subprocess.Popen([os.path.join(BUILD, program)], cwd=self.dir, env=env,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr)
        self._find_window()

    # ---- life and death

    def _find_window(self):
        def search():
            self.assert_running()
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                                    str(self.process.pid)], env=self._xenv(),
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
            return found[0] if found else None
        window = poll(search)
        self.test.assertTrue(window, "the program's window never showed")
        self.window = int(window)
        # The first frames may not be on the screen yet: wait for the title strip.
        title = self.layout["title"]
        self.wait_for(lambda shot: pictures.likeness(shot, Pictures.get("titre.bmp"),
                                                     (title["x"], title["y"])) > 0.7,
                      "the title strip drawn")

    def _xenv(self):
        return dict(os.environ, DISPLAY=self.display)

    def assert_running(self):
        if self.process.poll() is not None:
            self.stderr.seek(0)
            self.test.fail("the program ended (status %s): %s"
                           % (self.process.returncode, self.stderr.read().decode(errors="replace")))

    def wait_exit(self, timeout=WAIT):
        """Waits for the program to end; returns its exit status (fails the test if it runs on)."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.test.fail("the program still runs %.1f s later" % timeout)

    def close(self):
        for key in reversed(self.held):
            subprocess.run(["xdotool", "keyup", key], env=self._xenv(), timeout=10,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.held = []
        if self.process is not None:
            if self.process.poll() is None:
                self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        if self.stderr is not None:
            self.stderr.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    # ---- hands

    def _xdotool(self, *args):
        subprocess.run(("xdotool",) + args, env=self._xenv(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=10)

    def click(self, *points):
        """Presses and releases the left button at each window point in turn, leaving the
        pointer still long enough for the program to take each click where it was made."""
        self.assert_running()
        args = []
        for x, y in points:
            args += ["mousemove", "--window", str(self.window), str(x), str(y),
                     "mousedown", "1", "mouseup", "1", "sleep", str(SETTLE)]
        self._xdotool(*args)

    def tap(self, *rects):
        self.click(*(centre(r) for r in rects))

    def press_key(self, key):
        """A desktop key (xdotool names: Up, Down, c, ctrl+c) pressed, held a moment so that
        the press and the release reach the program in different frames, and released."""
        self._point_inside()
        self._xdotool("keydown", key, "sleep", str(SETTLE), "keyup", key, "sleep", str(SETTLE))

    def hold(self, key):
        self._point_inside()
        self._xdotool("keydown", key)
        self.held.append(key)

    def _point_inside(self):
        # Without a window manager the keyboard follows the pointer.
        self._xdotool("mousemove", "--window", str(self.window), "160", "20")

    def close_button(self):
        close_window(self.display, self.window)

    # ---- the keyboard on the screen

    def keys_for(self, text):
        """The on-screen keys, page switches included, that type these bytes: letters,
        digits, signs, é è à, space and new line (b"\\n"); a capital letter is typed with
        shift turned on for it and off again."""
        rects = []
        for byte in text:
            char = bytes([byte])
            if char == b"\n":
                key = self.layout.key(function=1)
            else:
                key = self.layout.key(char.lower() if char.isupper() else char)
            if key["page"] != self.page:
                rects.append(self.layout["switch"])
                self.page = key["page"]
            if char.isupper():
                rects += [self.layout["shift"], key["box"], self.layout["shift"]]
            else:
                rects.append(key["box"])
        return rects

    def type(self, text):
        self.tap(*self.keys_for(text))

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

    def answer(self, button):
        """confirm, decline or acknowledge: a button of the message box."""
        self.tap(self.layout["message"][button])

    def pick_row(self, row):
        self.click(row_point(self.layout, row))

    def arrow(self, which):
        self.tap(self.layout["arrows"][which])

    # ---- eyes

    def shot(self):
        self.assert_running()
        data = subprocess.run(["xwd", "-silent", "-id", str(self.window)], env=self._xenv(),
                              check=True, stdout=subprocess.PIPE, timeout=10).stdout
        return pictures.read_xwd(data)

    def wait_for(self, check, what, timeout=WAIT):
        """Waits until check(screenshot) holds; fails naming `what` and keeping the last shot."""
        last = [None]

        def attempt():
            last[0] = self.shot()
            return check(last[0])
        if not poll(attempt, timeout):
            name = getattr(self.test, "id", lambda: "screenshots")()
            path = os.path.join(tempfile.gettempdir(), "scrivelle-e2e-%s.png" % name)
            with open(path, "wb") as f:
                f.write(last[0].png())
            self.test.fail("not seen within %.1f s: %s (last screen in %s)" % (timeout, what, path))
        return last[0]

    # What the screen shows, as predicates on a screenshot.

    def bar_on(self, row):
        bar = Pictures.get("ligne.bmp")
        x, y, _, _ = bar_rect(self.layout, row)
        return lambda shot: pictures.likeness(shot, bar, (x, y)) > 0.8 and all(
            pictures.likeness(shot, bar, (x, bar_rect(self.layout, r)[1])) < 0.5
            for r in range(self.layout["rows"]["count"]) if r != row)

    def page_shown(self, page):
        k = self.layout["keyboard"]
        pages = (Pictures.get("lettre.bmp"), Pictures.get("speciaux.bmp"))
        whole = (0, 0, k["w"], k["h"])

        def check(shot):
            shares = pictures.which(shot, pages[page], pages[1 - page], (k["x"], k["y"]),
                                    whole, whole)
            return shares[0] > 0.9 and shares[1] < 0.1
        return check

    def shift_shown(self, on):
        mark = Pictures.get("maj.bmp")
        s = self.layout["shift"]
        halves = ((0, 0, s["w"], s["h"]), (s["w"], 0, s["w"], s["h"]))

        def check(shot):
            shares = pictures.which(shot, mark, mark, (s["x"], s["y"]), halves[on], halves[1 - on])
            return shares[0] > 0.9 and shares[1] < 0.1
        return check

    def box_shown(self, shown=True):
        panel = Pictures.get("message.bmp")
        p = self.layout["message"]["panel"]

        def check(shot):
            seen = pictures.likeness(shot, panel, (p["x"], p["y"]), (0, 0, p["w"], p["h"]))
            return seen > 0.6 if shown else seen < 0.3
        return check

    def on_list(self, shown=True):
        """The file list, told from the editor by the name field's lower edge: below the
        name's descenders and left of where a message box reaches."""
        field = Pictures.get("texte.bmp")
        n = self.layout["name_field"]["box"]
        left = self.layout["message"]["panel"]["x"] - 2
        edge = 3

        def check(shot):
            seen = pictures.likeness(shot, field, (n["x"], n["y"] + n["h"] - edge),
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

    def row_ink(self, shot, row):
        """Dark pixels in the upper part of a row's text (a name, or a line that is not
        the current one), clear of the descenders of the row above."""
        r = self.layout["rows"]
        return pictures.ink(shot, (r["text_x"], r["text_y"] + r["height"] * row + 3, 250, 8))

    def rows_with_text(self, shot):
        return [r for r in range(self.layout["rows"]["count"]) if self.row_ink(shot, r) > 0]

    def name_ink(self, shot):
        """Dark pixels of the name field's text, inside the field's white."""
        n = self.layout["name_field"]
        return pictures.ink(shot, (n["text_x"] + 2, n["box"]["y"] + 3, 240, 8))

    # ---- files

    def path(self, name):
        return os.path.join(self.notes, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
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
        found = {}
        for name in os.listdir(self.app.notes):
            found[name] = self.app.read(name)
        self.assertEqual(found, expected)
