"""The speakers level while hidden: lowered to near silence with muting, given back after.

Wine keeps the level per process, so the program's own trace of what it read and wrote is
the account we check."""

import unittest

from harness import E2ETestCase, wait_for


def launch_muted(session, sound=True):
    return session.launch((0, 0, 0), sound, **{
        "Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "0", "Mute Sound": "1"})

class VolumeTest(E2ETestCase):
    windows_version = "winxp"  # the mute option can be changed only before version 6

    def test_muting_lowers_to_50_and_hiding_again_keeps_the_users_level_and_one_key_block(self):
        s = self.session
        program = launch_muted(s)
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

    def test_a_level_left_lowered_by_a_killed_program_comes_back_at_the_next_start(self):
        s = self.session
        program = launch_muted(s)
        s.key("grave")
        program.wait_event("level-read-back")
        (_, before), lowered = program.levels()
        self.assertEqual(lowered, ("level-write", 50, 50))
        again = s.restart(program)  # killed hard: no chance to give anything back
        self.assertEqual(again.levels(), [("level-write", before, before)])
        self.assertEqual(again.values("level-recovered"), [before])
        self.assertIsNone(s.reg_query(r"HKCU\Software\Fernwick\Veilora\General",
                                      "Restore Level"))

    def test_without_any_sound_system_everything_runs_quietly(self):
        s = self.session
        program = launch_muted(s, sound=False)
        s.hide_by_key(program)
        s.restore_by_double_click(program)
        wait_for(lambda: s.cover() is None, 10, "the cover to go")
        s.settle(program)
        self.assertEqual(program.levels(), [("level-read-failed", None)],
                         "a failed read is not a level: nothing lowered, nothing written")
        titles = {w["title"] for w in s.window_info() if w["class"] != "VeiloraCover"}
        self.assertEqual(titles - {""}, set(), f"no message appeared: {titles}")
        self.assertTrue(program.running())


class VolumeBackendTest(E2ETestCase):
    """Wine reports version 6.1: the endpoint of the default speakers is tried first. Its
    level reads, but Wine refuses every write of it, so the program must say so and keep to
    the mixer, whose writes work."""

    def test_an_endpoint_that_refuses_writes_leaves_the_sound_to_the_mixer(self):
        s = self.session
        program = launch_muted(s)
        self.assertEqual(program.values("volume-backend"), ["mixer"])
        self.assertEqual(program.values("level-write-result"), [0], "the endpoint's refusal")
        s.hide_by_key(program)
        s.restore_by_double_click(program)
        s.settle(program)
        (_, before), *writes = program.levels()
        self.assertEqual(writes, [("level-write", 50, 50), ("level-write", before, before)])


if __name__ == "__main__":
    unittest.main()
