"""The file list in a real window: a first note from nothing, deleting (the question names
the note; the name field shows the last listed name), quitting by the question."""
import harness


class FirstRun(harness.EndToEnd):
    def test_name_create_open_type_save_back_and_quit(self):
        app = self.start(notes={})
        shot = app.shot()
        self.assertTrue(app.page_shown(0)(shot), "the letters page first")
        self.assertTrue(app.shift_shown(False)(shot))
        self.assertTrue(app.bar_on(0)(shot))
        self.assertEqual(app.rows_with_text(shot), [])
        self.assertEqual(app.name_ink(shot), 0)

        app.type(b"memo")
        app.wait_for(lambda s: app.name_ink(s) > 0, "the typed name in the name field")
        app.icon("create")
        self.assertTrue(harness.poll(lambda: app.listing() == ["memo"]), app.listing())
        self.assertEqual(app.read("memo"), b"")
        app.wait_for(lambda s: app.rows_with_text(s) == [0], "the new name on the first row")

        app.icon("open")
        app.wait_for(app.on_list(False), "the editor")
        # A capital with shift held for one letter, the mark showing while it is on.
        app.shift()
        app.wait_for(app.shift_shown(True), "the shift mark on")
        app.type(b"h")
        app.shift()
        app.wait_for(app.shift_shown(False), "the shift mark off")
        app.type(b"ello\ncaf")
        app.switch_page(1)
        app.wait_for(app.page_shown(1), "the numbers and symbols page")
        app.type(b"\xe9 2")
        app.wait_for(app.bar_on(1), "the bar on the second line")

        shot = app.ask("save", "the save notice")
        self.assertEqual(app.box_second_line(shot), 0, "the notice of a good save has one line")
        self.assertFolder({"memo": b"Hello\ncaf\xe9 2"})
        app.answer("acknowledge", "the notice closed")

        app.icon("back")
        app.wait_for(app.on_list(), "the file list again")
        app.ask("quit", "the quit question")
        self.assertEndsAtOnce(lambda: app.answer("confirm"), {"memo": b"Hello\ncaf\xe9 2"})

    def test_backspace_in_the_name_leaves_no_trailing_space(self):
        app = self.start()  # no notes folder at all: the first create makes it
        app.type(b"draftx")
        app.backspace()
        app.icon("create")
        self.assertTrue(harness.poll(lambda: app.listing() == ["draft"]), app.listing())
        # The created name can be opened: the name field holds exactly what it shows.
        app.icon("open")
        app.wait_for(app.on_list(False), "the editor on the note draft")


class Delete(harness.EndToEnd):
    NOTES = {"alpha": b"first", "beta": b"second\n", "gamma": b"third", "delta": b"4"}

    def test_asks_naming_the_note_then_deletes_the_picked_or_the_typed_name(self):
        app = self.start(notes=dict(self.NOTES))
        order = app.listing()
        app.wait_for(lambda s: app.rows_with_text(s) == [0, 1, 2, 3], "four names listed")

        # Each question names its own note on the second line; declined, nothing goes and
        # the bar stays on the picked row.
        seen = []
        for row in (1, 3):
            app.pick_row(row)
            app.wait_for(lambda s: app.name_ink(s) > 0, "the picked name in the name field")
            shot = app.ask("delete", "the delete question")
            self.assertGreater(app.box_second_line(shot), 0, "the question names the note")
            seen.append(app.box_second_line_pixels(shot))
            shot = app.answer("decline", "the question closed")
            self.assertEqual(app.rows_with_text(shot), [0, 1, 2, 3])
            self.assertTrue(app.bar_on(row)(shot))
            self.assertFolder(self.NOTES)
        self.assertNotEqual(seen[0], seen[1], "two notes, two names in the question")

        # Row 1 deleted: the bar stays on row 1, the name field shows the last listed name.
        app.pick_row(1)
        app.ask("delete", "the delete question")
        app.answer("confirm")
        self.assertTrue(harness.poll(lambda: order[1] not in app.listing()), app.listing())
        app.wait_for(lambda s: app.box_shown(False)(s) and app.rows_with_text(s) == [0, 1, 2]
                     and app.bar_on(1)(s) and app.name_ink(s) > 0,
                     "three names left, the bar on row 1, a name in the name field")

        # A second delete asks first, naming that last note; declined, nothing goes.
        shot = app.ask("delete", "the second delete question")
        self.assertEqual(app.box_second_line_pixels(shot), seen[1], "it names the last note")
        app.answer("decline", "the question closed")
        rest = {k: v for k, v in self.NOTES.items() if k != order[1]}
        self.assertFolder(rest)

        # A typed name: the next key starts a new name in the field, and that note goes.
        app.type(order[0].encode())
        app.ask("delete", "the delete question for the typed name")
        app.answer("confirm")
        self.assertTrue(harness.poll(lambda: order[0] not in app.listing()), app.listing())
        app.wait_for(lambda s: app.box_shown(False)(s) and app.rows_with_text(s) == [0, 1]
                     and app.name_ink(s) > 0, "two names left, the last in the name field")
        del rest[order[0]]
        self.assertFolder(rest)

        # Again after a delete, the next key starts a new name.
        app.type(b"z")
        app.icon("create")
        self.assertTrue(harness.poll(lambda: "z" in app.listing()), app.listing())
        app.wait_for(lambda s: app.rows_with_text(s) == [0, 1, 2] and app.bar_on(2)(s),
                     "the new name listed last, under the bar")
        self.assertFolder(dict(rest, z=b""))
