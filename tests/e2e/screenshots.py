"""Pictures of the main screens, taken from the real program in a real X server.

Usage: python3 tests/e2e/screenshots.py <build dir> <out dir>
Writes list.png, editor.png, numbers.png and question.png into the out dir.
"""
import os
import sys


class _Session:
    """What the harness asks of a test case, for use outside a test run."""

    def __init__(self):
        self.cleanups = []

    def addCleanup(self, function, *args):
        self.cleanups.append((function, args))

    def fail(self, message):
        raise RuntimeError(message)

    def assertTrue(self, value, message=None):
        if not value:
            self.fail(message or "assertion failed")

    def close(self):
        while self.cleanups:
            function, args = self.cleanups.pop()
            function(*args)


NOTES = {
    "groceries": b"Bread\nMilk and butter\nCaf\xe9 beans\nApples",
    "ideas": b"A garden on the roof",
    "letter": b"Dear \xc9lise,\n",
    "todo": b"Call the bank",
}


def take(build, out):
    os.environ["SCRIVELLE_BUILD"] = os.path.abspath(build)
    os.environ.setdefault("SCRIVELLE_ASSETS", os.path.join(os.environ["SCRIVELLE_BUILD"], "assets"))
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import harness

    os.makedirs(out, exist_ok=True)

    def save(name, shot):
        with open(os.path.join(out, name), "wb") as f:
            f.write(shot.png())
        print("wrote", os.path.join(out, name))

    session = _Session()
    try:
        app = harness.Scrivelle(session, notes=dict(NOTES))
        order = app.listing()
        row = order.index("groceries")
        app.pick_row(row)
        app.type(b"journal")
        save("list.png", app.wait_for(lambda s: app.name_ink(s) > 0, "the typed name"))

        app.pick_row(row)
        app.icon("open")
        app.wait_for(app.on_list(False), "the editor")
        app.pick_row(3)  # the last line, so that the new line key adds one
        app.type(b"\nTea for two")
        save("editor.png", app.wait_for(app.bar_on(4), "the bar on the fifth line"))

        app.switch_page(1)
        app.type(b"?")
        save("numbers.png", app.wait_for(app.page_shown(1), "the numbers and symbols page"))

        app.icon("back")
        app.wait_for(app.on_list(), "the file list")
        app.switch_page(0)
        app.pick_row(order.index("todo"))
        app.icon("delete")
        save("question.png", app.wait_for(app.box_shown(), "the delete question"))
    finally:
        session.close()
        harness.stop_display()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    take(sys.argv[1], sys.argv[2])
