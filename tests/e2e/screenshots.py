"""Pictures of the main screens, taken from the real program in a real X server.

Usage: python3 tests/e2e/screenshots.py <build dir> <out dir>
Writes list.png, editor.png, numbers.png and question.png into the out dir.
"""
import os
import sys
import unittest


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

    # The harness's checks and clean-ups, outside a test run.
    session = unittest.TestCase()
    try:
        app = harness.Scrivelle(session, notes=dict(NOTES))
        order = app.listing()
        app.pick_row(order.index("groceries"))
        app.type(b"journal")
        save("list.png", app.wait_for(lambda s: app.name_ink(s) > 0, "the typed name"))

        app.open_note("groceries")
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
        save("question.png", app.ask("delete", "the delete question"))
    finally:
        session.doCleanups()
        harness.stop_display()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    take(sys.argv[1], sys.argv[2])
