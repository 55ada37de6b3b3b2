"""The password prompts: nothing pushes them under the cover, a hide ends the Options one, and
the program can always end cleanly while the cover's is open."""

import unittest

from harness import PASSWORD_PROMPT as PROMPT, E2ETestCase, stored_password

GENERAL = r"HKCU\Software\Fernwick\Veilora\General"


class PromptTest(E2ETestCase):
    windows_version = "winxp"  # so that muting can be on

    def start(self, sound=False, **options):
        self.session.reg_add(GENERAL, "Offset", stored_password("pw"))
        return self.session.launch((0, 128, 0), sound, **{
            "Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "1",
            "PW Hide Screen Cap": "1", "Mute Sound": "1", **options})

    def test_hiding_again_while_the_prompt_is_open_keeps_it_on_top_and_closing_ends_cleanly(self):
        s = self.session
        program = self.start(sound=True)
        s.hide_by_key(program)
        s.open_prompt()
        s.key("grave")
        s.move(0, 300)  # the armed edge
        program.wait_event("hide-ignored")
        s.settle(program)
        self.assertIn(PROMPT, [title for title, _ in s.above_cover()], "the prompt stays on top")

        # A close request while the prompt is open ends the program cleanly.
        self.assertEqual(s.probe("send", "VeiloraMain", "0x10", "0", "0").strip(), "0")
        self.assertEqual(program.wait(20), 0)
        # The program's own count of the hooks it still holds, given at its end.
        self.assertEqual(program.values("owners-hook"), [0], "no hook listens after the end")
        (_, before), *writes = program.levels()
        self.assertEqual([w[1] for w in writes], [50, before], "the level came back")

    def test_the_hide_key_ends_the_options_prompt_and_its_message_as_refused(self):
        s = self.session
        program = self.start(**{"PW Options": "1", "PW Hide Screen Cap": "0"})
        for wrong_first in (False, True):
            s.from_tray(program, "Options", PROMPT)
            if wrong_first:
                s.enter_password("no")
                s.wait_window("Error")
            s.hide_by_key(program)
            s.wait_no_window(PROMPT)
            s.wait_no_window("Error")
            self.assertEqual(s.above_cover(), [], "nothing of the program above the cover")
            s.restore_by_double_click(program)
            s.settle(program)
            self.assertEqual(s.find_windows("Veilora - Options"), [], "refused: no Options")


if __name__ == "__main__":
    unittest.main()
