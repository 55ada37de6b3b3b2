"""The speakers level while hidden: lowered to near silence with muting, given back after.

Wine keeps the level per process, so the program's own trace of what it read and wrote is
the account we check."""

import unittest

from harness import E2ETestCase, wait_for, write_bmp24


class VolumeTest(E2ETestCase):
    windows_version = "winxp"  # the mute option can be changed only before version 6

    def start(self, mute, sound=True):
        s = self.session
        if sound:
            s.start_sound()
        write_bmp24(s.prog_dir / "scrcap.bmp", 32, 32, lambda x, y: (0, 0, 0))
        s.set_options(**{"Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "0",
                         "Mute Sound": mute})
        program = s.start()
        program.wait_ready()
        return program

    def hide_and_restore(self, program):
        s = self.session
        s.key("grave")
        program.wait_event("cover-painted")
        s.double_click(512, 400)
        program.wait_event("restore")
        wait_for(lambda: s.cover() is None, 10, "the cover to go")
        s.settle(program)

    def levels(self, program):
        return [(name, value) for _, name, value in program.trace()
                if name in ("level-read", "level-write")]

    def test_muting_lowers_to_50_and_restores_the_level_from_before(self):
        program = self.start(mute="1")
        self.hide_and_restore(program)
        levels = self.levels(program)
        self.assertEqual(len(levels), 3, levels)
        (_, before), second, third = levels
        self.assertGreater(before, 50, "a real mixer level was read")
        self.assertEqual(second, ("level-write", 50))
        self.assertEqual(third, ("level-write", before))

    def test_without_muting_the_level_is_only_read(self):
        program = self.start(mute="0")
        self.hide_and_restore(program)
        levels = self.levels(program)
        self.assertEqual([name for name, _ in levels], ["level-read"])

    def test_without_any_sound_system_everything_runs_quietly(self):
        s = self.session
        program = self.start(mute="1", sound=False)
        self.hide_and_restore(program)
        self.assertEqual(self.levels(program), [("level-read", 0), ("level-write", 50),
                                                ("level-write", 0)])
        titles = {w["title"] for w in s.window_info() if w["class"] != "VeiloraCover"}
        self.assertEqual(titles - {""}, set(), f"no message appeared: {titles}")
        self.assertTrue(program.running())


if __name__ == "__main__":
    unittest.main()
