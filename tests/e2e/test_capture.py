"""Capturing the cover's picture: the colour-depth dialog, F11, the saved file and the next
cover; and a failed save that costs nothing."""

import shutil
import unittest

from harness import E2ETestCase, read_bmp, wait_for, write_bmp24

OPTIONS = "Veilora - Options"
DEPTH = "Screen Capture"
QUESTION = "Screen Capture in Progress"
CAPTURE_BUTTON, IDOK, IDCANCEL = 204, 1, 2
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
TRUE_COLOUR = 503  # the dialog's second choice


def block_colour(x, y):
    """A screen of 8 x 8 blocks, each its own colour, some between halftone levels."""
    i, j = x * 8 // 1024, y * 8 // 768
    return ((i * 37 + 5) % 256, (j * 59 + 30) % 256, (i * j * 17 + 96) % 256)


class CaptureTest(E2ETestCase):
    def start(self, **options):
        return self.session.launch(**{"Hide Method Scr": "1", "Start Enabled": "1", **options})

    def arm(self, program, true_colour=False, cancel=False):
        """Options (from the tray unless open), the capture button, a depth, OK (or Cancel)."""
        s = self.session
        if not s.find_windows(OPTIONS):
            s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, CAPTURE_BUTTON, window=DEPTH)
        if true_colour:
            s.click_control(DEPTH, TRUE_COLOUR)
        s.click_control(DEPTH, IDCANCEL if cancel else IDOK)
        s.wait_no_window(DEPTH if cancel else OPTIONS)  # armed, the Options dialog goes
        s.settle(program)  # under load a tray click sent sooner was seen to get lost

    def capture(self, program):
        """Shows a screen of `block_colour` over the whole screen, presses F11 and closes the
        message that follows; returns the message's texts."""
        s = self.session
        picture = s.dir / "screen.bmp"
        if not picture.exists():
            write_bmp24(picture, 1024, 768, block_colour)
        shown = s.spawn(str(s.probe_path()), "picture", s.windows_path(picture))
        wait_for(lambda: "shown" in shown.output(), 10, "the test picture")
        s.key("F11")
        s.wait_window(DEPTH)  # "Screen captured succesfully." has the same title
        shown.kill()
        texts = s.static_texts(DEPTH)
        s.key("Return")
        s.wait_window(OPTIONS)  # it comes back
        return texts

    def hot_keys_after_f11(self, program):
        """F11, then how many hot keys the program has had."""
        self.session.key("F11")
        self.session.settle(program)
        return program.count("hotkey")

    def test_true_colour_and_256_colours_save_the_screen_beside_the_program_for_the_cover(self):
        s = self.session
        # In a folder named outside the code page: the Run entry, the capture and the cover.
        folder = s.dir / "Женя" / "Программы" / "Veilora"
        folder.mkdir(parents=True)
        shutil.copy2(s.prog_dir / "veilora.exe", folder / "veilora.exe")
        s.set_options(**{"Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "0",
                         "Start with Windows": "1"})
        program = s.start(exe=folder / "veilora.exe")
        program.wait_ready()
        self.arm(program)  # 256 colours, as the dialog opens
        self.capture(program)
        width, height, bits, table, rows = read_bmp(folder / "scrcap.bmp")
        self.assertEqual((width, height, bits), (1024, 768, 8))
        # The screen itself reached the halftone table (whose ties are the unit tests').
        for y in range(48, 768, 96):
            for x in range(64, 1024, 128):  # the nearest levels, 64 apart: at most 32 off
                shown = zip(table[rows[y][x]], block_colour(x, y))
                self.assertLessEqual(max(abs(a - b) for a, b in shown), 32, (x, y))

        self.arm(program, true_colour=True)
        self.assertIn("Screen captured succesfully.", self.capture(program))
        width, height, bits, _, rows = read_bmp(folder / "scrcap.bmp")
        self.assertEqual((width, height, bits), (1024, 768, 24))
        for y in range(0, 768, 41):
            for x in range(0, 1024, 37):
                self.assertEqual(tuple(rows[y][3 * x: 3 * x + 3][::-1]), block_colour(x, y))
        s.save_options(program)  # the picture is there now: OK saves
        self.assertEqual(s.reg_read_exactly(RUN, "Veilora"),
                         '"' + s.windows_path(folder / "veilora.exe") + '"')
        s.hide_by_key(program)
        wait_for(lambda: s.grab().pixel(700, 500) == block_colour(700, 500), 10, "the new cover")

    def test_f11_works_only_between_the_depth_dialog_and_one_capture_and_the_tray_settles_it(self):
        s = self.session
        program = self.start()
        self.arm(program, cancel=True)
        self.assertEqual(self.hot_keys_after_f11(program), 0, "Cancel arms nothing")
        s.click_control(OPTIONS, CAPTURE_BUTTON, window=DEPTH)  # the Options dialog stays
        self.assertEqual(self.hot_keys_after_f11(program), 0, "not yet: the dialog is open")
        s.click_control(DEPTH, IDOK)
        s.wait_no_window(OPTIONS)
        s.settle(program)
        s.from_tray(program, "Options", QUESTION)
        s.key("Return")  # OK: still armed, no Options dialog
        s.wait_no_window(QUESTION)
        self.assertEqual(s.find_windows(OPTIONS), [])
        self.capture(program)
        self.assertEqual(self.hot_keys_after_f11(program), 1, "one capture per arming")

        self.arm(program)
        s.from_tray(program, "Options", QUESTION)
        s.key("Escape")  # Cancel: disarmed, the Options dialog comes
        s.wait_window(OPTIONS)
        self.assertEqual(self.hot_keys_after_f11(program), 1, "F11 released")

    def test_a_save_that_fails_keeps_the_old_picture_and_says_why(self):
        s = self.session
        if not s.drop_root_file_override():
            self.skipTest("cannot make a folder read-only for root here")
        old = b"BM an old picture"
        (s.prog_dir / "scrcap.bmp").write_bytes(old)
        program = self.start(**{"Hide Method Scr": "0", "Hide Method Min": "1"})
        files = sorted(p.name for p in s.prog_dir.iterdir())
        s.prog_dir.chmod(0o555)
        try:
            self.arm(program)
            s.key("F11")
            s.wait_window(DEPTH)
            texts = s.static_texts(DEPTH)
            self.assertTrue(any("denied" in t.lower() for t in texts), texts)
            s.key("Return")
            s.wait_window(OPTIONS)
            self.assertEqual((s.prog_dir / "scrcap.bmp").read_bytes(), old)
            self.assertEqual(sorted(p.name for p in s.prog_dir.iterdir()), files, "nothing left")
        finally:
            s.prog_dir.chmod(0o755)


if __name__ == "__main__":
    unittest.main()
