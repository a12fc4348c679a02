"""Leaving at once, without a question: l and r held together, Ctrl with c, the window's
close button.  The open note is never saved on the way out."""
import time

import harness

NOTE = b"keep\nme"


class QuitAtOnce(harness.EndToEnd):
    def start_editing(self):
        """The program with the note open and changed; returns it."""
        app = self.start(notes={"note": NOTE})
        app.open_note("note")
        app.type(b"x\ny")  # the new line key moves on to the existing second line
        app.wait_for(app.bar_on(1), "the bar on the second line")
        return app

    def assertStillRunning(self, app):
        # The program must not end on half of a gesture; a few frames is plenty to tell.
        app.shot()
        time.sleep(0.2)
        app.assert_running()

    def test_l_and_r_held_together(self):
        app = self.start_editing()
        app.hold("l")
        self.assertStillRunning(app)
        self.assertEndsAtOnce(lambda: app.hold("r"), {"note": NOTE})

    def test_l_and_r_one_after_the_other_do_not_quit(self):
        app = self.start(notes={"note": NOTE})
        app.press_key("l")
        app.press_key("r")
        self.assertStillRunning(app)

    def test_ctrl_c(self):
        app = self.start_editing()
        app.press_key("c")
        self.assertStillRunning(app)
        self.assertEndsAtOnce(lambda: app.press_key("ctrl+c"), {"note": NOTE})

    def test_close_button(self):
        app = self.start_editing()
        self.assertEndsAtOnce(app.close_button, {"note": NOTE})
