"""The cover's password prompt: nothing pushes it under the cover, nothing hangs it, and the
program can always end cleanly while it is open."""

import unittest

from harness import E2ETestCase, stored_password, wait_for

PROMPT = "Veilora - Password Required"
GENERAL = r"HKCU\Software\Fernwick\Veilora\General"


class PromptTest(E2ETestCase):
    windows_version = "winxp"  # so that muting can be on

    def start(self, sound=False):
        self.session.reg_add(GENERAL, "Offset", stored_password("pw"))
        return self.session.launch((0, 128, 0), sound, **{
            "Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "1",
            "PW Hide Screen Cap": "1", "Mute Sound": "1"})

    def open_prompt(self, program):
        s = self.session
        s.hide_by_key(program)
        s.double_click(512, 400)
        s.wait_window(PROMPT)

    def test_hiding_again_while_the_prompt_is_open_leaves_the_prompt_on_top(self):
        s = self.session
        program = self.start()
        self.open_prompt(program)
        s.key("grave")
        s.move(0, 300)  # the armed edge
        program.wait_event("hide-ignored")
        s.settle(program)
        self.assertIn(PROMPT, [title for title, _ in s.above_cover()], "the prompt stays on top")
        s.enter("pw")
        program.wait_event("restore")

    def test_the_hide_key_ends_the_options_prompt_and_its_message_as_refused(self):
        s = self.session
        s.reg_add(GENERAL, "Offset", stored_password("pw"))
        program = s.launch((0, 128, 0), **{"Hide Method Scr": "1", "PW Options": "1"})
        for wrong_first in (False, True):
            s.from_tray(program, "Options", PROMPT)
            if wrong_first:
                s.enter("no")
                s.wait_window("Error")
            s.hide_by_key(program)
            s.wait_no_window(PROMPT)
            s.wait_no_window("Error")
            self.assertEqual(s.above_cover(), [], "nothing of the program above the cover")
            s.restore_by_double_click(program)
            s.settle(program)
            self.assertEqual(s.find_windows("Veilora - Options"), [], "refused: no Options")

    def test_a_close_request_while_the_prompt_is_open_ends_the_program_cleanly(self):
        s = self.session
        program = self.start(sound=True)
        self.open_prompt(program)
        self.assertEqual(s.probe("send", "VeiloraMain", "0x10", "0", "0").strip(), "0")
        self.assertEqual(program.wait(20), 0)
        self.assertNotIn("restore", [name for _, name, _ in program.trace()])
        # The program's own count of the hooks it still holds, given at its end.
        self.assertEqual(program.values("owners-hook"), [0], "no hook listens after the end")
        (_, before), *writes = program.levels()
        self.assertEqual([w[1] for w in writes], [50, before], "the level came back")
        self.assertIsNone(s.reg_query(GENERAL, "Restore Level"))
        self.assertEqual(s.find_windows(PROMPT), [])

    def test_a_hung_program_in_front_stalls_neither_the_cover_nor_the_prompt(self):
        s = self.session
        program = self.start()
        s.hang("Hung Window")
        # The edge, not the hide key: under Wine keys go through the foreground program's
        # queue, and a hung program never passes them on.
        s.hide_by_edge(program)
        wait_for(lambda: (s.cover() or {}).get("foreground") == "1", 10, "the cover's focus")
        s.double_click(512, 400)
        s.wait_window(PROMPT)
        s.enter("pw")
        program.wait_event("restore")


if __name__ == "__main__":
    unittest.main()
