"""Leaving at once, without a question: l and r held together, Ctrl with c, the window's
close button.  The open note is never saved on the way out."""
import harness

NOTE = b"keep\nme"


class QuitAtOnce(harness.EndToEnd):
    def test_ends_at_once_on_the_whole_gesture_only(self):
        cases = (  # half of the gesture (None: there is none), then the whole of it; the
            # held keys last, as they are let go only when the test ends
            ("ctrl+c", lambda app: app.press_key("c"), lambda app: app.press_key("ctrl+c")),
            ("the close button", None, lambda app: harness.close_window(app.display, app.window)),
            # l and r one after the other are no gesture either
            ("l and r held together", lambda app: (app.press_key("l"), app.press_key("r"), app.hold("l")),
             lambda app: app.hold("r")),
        )
        for what, half, whole in cases:
            with self.subTest(what):
                app = self.start(notes={"note": NOTE})  # the note open and changed
                app.open_note("note")
                app.type(b"x\ny")  # the new line key moves on to the existing second line
                app.wait_for(app.bar_on(1), "the bar on the second line")
                if half:
                    half(app)
                    app.settle(10)  # not ended on half of a gesture: it goes on drawing frames
                    app.assert_running()
                self.assertEndsAtOnce(lambda: whole(app), {"note": NOTE})
