"""The speakers level while hidden: lowered to near silence with muting, given back after.

Wine keeps the level per process, so the program's own trace of what it read and wrote is
the account we check. Wine reports version 6.1: the endpoint of the default speakers is tried
first. Its level reads, but Wine refuses every write of it, so the program must say so and
keep to the mixer, whose writes work."""

import unittest

from harness import E2ETestCase, wait_for


class VolumeTest(E2ETestCase):
    def start(self, sound=True):
        return self.session.launch((0, 0, 0), sound, **{
            "Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "0", "Mute Sound": "1"})

    def test_muting_lowers_to_50_keeps_the_users_level_and_a_killed_program_gives_it_back(self):
        s = self.session
        program = self.start()
        self.assertEqual(program.values("volume-backend"), ["mixer"])
        self.assertEqual(program.values("level-write-result"), [0], "the endpoint's refusal")
        s.hide_by_key(program)
        s.key("grave")
        program.wait_event("hidem", 2)
        s.settle(program)
        self.assertEqual(s.owner_counts(program)["hook"], 2, "the mouse monitor and one key block")
        s.restore_by_double_click(program)
        s.settle(program)
        (_, before), *writes = program.levels()
        self.assertGreater(before, 50, "a real mixer level was read")
        self.assertEqual(writes, [("level-write", 50, 50), ("level-write", 50, 50),
                                  ("level-write", before, before)])
        self.assertEqual(s.owner_counts(program)["hook"], 1)

        # Killed while hidden, with no chance to give anything back: the next start does.
        backs = program.count("level-read-back")
        s.key("grave")
        program.wait_event("level-read-back", backs + 1)
        again = s.restart(program)
        self.assertEqual(again.levels(), [("level-write", before, before)])
        self.assertEqual(again.values("level-recovered"), [before])
        self.assertIsNone(s.reg_query(r"HKCU\Software\Fernwick\Veilora\General",
                                      "Restore Level"))

    def test_without_any_sound_system_everything_runs_quietly(self):
        s = self.session
        program = self.start(sound=False)
        s.hide_by_key(program)
        s.restore_by_double_click(program)
        wait_for(lambda: s.cover() is None, 10, "the cover to go")
        s.settle(program)
        self.assertEqual(program.levels(), [("level-read-failed", None)],
                         "a failed read is not a level: nothing lowered, nothing written")
        titles = {w["title"] for w in s.window_info() if w["class"] != "VeiloraCover"}
        self.assertEqual(titles - {""}, set(), f"no message appeared: {titles}")
        self.assertTrue(program.running())


if __name__ == "__main__":
    unittest.main()
