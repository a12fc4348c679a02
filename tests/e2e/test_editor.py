"""The editor in a real window: an existing note changed in one place, a save that goes
to the end of the note, new line and backspace in the middle of a note, backspace and the
keys that overlap, a note too big to save, a line typed past the row's end."""
import harness
import pictures


class ExistingNote(harness.EndToEnd):
    # Ten lines ended by CR LF, Latin-1 text, and the empty line after the last LF.
    LINES = [b"Courses du march\xe9\r", b"- cr\xe8me fra\xeeche\r", b"- p\xe2t\xe9\r",
             b"\r", b"Rendez-vous \xe0 9h\r", b"Lettre \xe0 \xc9lise\r", b"\xff\xfe bytes\r",
             b"tab\there\r", b"na\xefve\r", b"fin\r", b""]

    def test_scroll_pick_a_line_add_a_character_save(self):
        original = b"\n".join(self.LINES)
        app = self.start(notes={"other": b"x", "journal": original})
        app.open_note("journal")

        # Eleven lines: the window can go down five lines at most.  Arrows and cursor
        # keys scroll by one, the current line keeping its row.
        for _ in range(3):
            app.arrow("down")
        for _ in range(3):
            app.press_key("Down")  # the third one at the bottom already: nothing
        app.press_key("Up")
        app.arrow("up")
        app.wait_for(app.bar_on(0), "the bar still on the first row")

        # The window starts at line 4 now: its third row is line 6.
        app.pick_row(2)
        app.type(b"x")
        shot = app.ask("save", "the save notice")
        self.assertEqual(app.box_second_line(shot), 0)

        expected = list(self.LINES)
        expected[5] += b"x"
        self.assertFolder({"other": b"x", "journal": b"\n".join(expected)})
        # The save goes to the end: the last line current on the bottom row, and what is
        # typed next goes there.
        app.answer("acknowledge")
        app.wait_for(lambda s: app.box_shown(False)(s) and app.bar_on(5)(s),
                     "the notice closed and the bar on the last row")
        app.type(b"y")
        app.ask("save", "the second save notice")
        expected[10] += b"y"
        self.assertFolder({"other": b"x", "journal": b"\n".join(expected)})


class LinesInTheMiddle(harness.EndToEnd):
    def test_new_line_moves_down_and_backspace_removes_only_the_empty_line(self):
        app = self.start(notes={"list": b"abc\nb\nc"})
        app.open_note("list")

        # New line on the first of three lines: the second line current, nothing added.
        app.type(b"\n")
        app.wait_for(lambda s: app.bar_on(1)(s) and app.rows_with_text(s) == [0, 2],
                     "the second line current (blue), still three lines")
        app.type(b"x\n\n")
        app.wait_for(lambda s: app.bar_on(3)(s) and app.rows_with_text(s) == [0, 1, 2],
                     "on the last line, new line adds an empty fourth line")

        # Backspace on it: the empty line goes and the line above is current, whole.
        app.backspace()
        app.wait_for(lambda s: app.bar_on(2)(s) and app.rows_with_text(s) == [0, 1],
                     "the empty line gone, the third line current")
        app.type(b"d")
        app.ask("save", "the save notice")
        self.assertFolder({"list": b"abc\nbx\ncd"})


class Typing(harness.EndToEnd):
    def overlap_points(self, first, second):
        """Every column that both boxes answer to, in the middle of their row."""
        a, b = self.app.layout.key(first)["box"], self.app.layout.key(second)["box"]
        xs = range(max(a["x"], b["x"]) + 1, min(a["x"] + a["w"], b["x"] + b["w"]))
        return [(x, a["y"] + a["h"] // 2) for x in xs]

    def test_overlap_strip_types_one_key_and_backspace_erases_cleanly(self):
        app = self.start(notes={"note": b""})
        app.open_note("note")
        pairs = [(b"e", b"r"), (b"d", b"f"), (b"c", b"v")]
        strip = [self.overlap_points(*pair) for pair in pairs]
        columns = [[x for x, _ in points] for points in strip]
        self.assertEqual([len(c) for c in columns], [3] * 3, "each overlap is three columns wide")
        self.assertEqual(columns, [columns[0]] * 3, "at the same place on every row")

        # Each press in the strip types the left key only, whichever of the three columns.
        app.click(strip[0][0], strip[1][1], strip[2][2])
        app.backspace()
        app.type(b"\n")
        app.switch_page(1)
        signs = [self.overlap_points(*pair) for pair in [(b"2", b"3"), (b":", b";"), (b"%", b"$")]]
        app.click(signs[0][2], signs[1][0], signs[2][1])
        app.backspace()
        app.ask("save", "the save notice")
        self.assertFolder({"note": b"ed\n2:"})


class OversizedNote(harness.EndToEnd):
    def test_sixty_lines_are_never_saved_over(self):
        original = b"\n".join(b"line %d" % i for i in range(1, 61))
        app = self.start(notes={"long": original})
        shot = app.open_note("long", notice=True)
        self.assertGreater(app.box_second_line(shot), 0, "the opening notice says it cannot be saved")
        app.answer("acknowledge", "the opening notice closed")
        app.type(b"x")
        shot = app.ask("save", "the save notice")
        self.assertGreater(app.box_second_line(shot), 0, "the notice tells why it did not save")
        self.assertFolder({"long": original})
        app.answer("acknowledge", "the notice closed")
        self.assertFolder({"long": original})


class LongLine(harness.EndToEnd):
    def test_typing_past_the_rows_end_keeps_the_last_character_and_the_mark_in_sight(self):
        app = self.start(notes={"dots": b"." * 90})
        app.open_note("dots")
        rows = app.layout["rows"]
        right = app.layout["arrows"]["up"]["x"] - 1  # a row's last column

        def inked(shot, x0, x1):
            """Columns with blue ink in the upper half of the first row, above the dots."""
            return [x for x in range(x0, x1 + 1)
                    if pictures.ink(shot, (x, rows["text_y"] + 2, 1, 6), near=(0, 0, 255))]

        # Ninety dots and the mark fit the row; forty w's more do not, and the row then
        # shows the line's end, w's from its start on.
        app.type(b"w" * 40)
        app.wait_for(lambda s: inked(s, rows["text_x"], rows["text_x"] + 30),
                     "the row showing the end of the line")

        # The mark blinks right after the last w, before the arrows, the text staying put.
        shots = {}

        def both_phases(shot):
            shots[max(inked(shot, right - 50, app.layout["screen"]["w"] - 1) or [0])] = shot
            return len(shots) >= 2
        app.wait_for(both_phases, "the mark shown and hidden")
        last_w, mark = min(shots), max(shots)
        self.assertLessEqual(mark, right, "the mark is not under the arrows")
        self.assertGreater(last_w, right - 20, "the last w is at the row's end")
        self.assertLessEqual(min(inked(shots[mark], last_w + 1, mark)) - last_w, 3,
                             "the mark follows the last w")
        self.assertEqual(inked(shots[mark], rows["text_x"], last_w),
                         inked(shots[last_w], rows["text_x"], last_w), "the text moved")

        app.ask("save", "the save notice")
        self.assertFolder({"dots": b"." * 90 + b"w" * 40})
