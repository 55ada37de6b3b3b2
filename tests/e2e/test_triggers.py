"""Each way of asking for a hide works when chosen, and only then; and never dies silently: a
hook the system removed comes back by itself."""

import unittest

from harness import E2ETestCase, wait_for

WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK = "0x2B1", "8"
DROP_MOUSE_HOOK = "0x8003"  # test-only message, honoured in traced runs


class TriggerTest(E2ETestCase):
    def hides_after(self, program, action):
        """How many hides `action` caused."""
        before = program.count("hidem")
        action()
        self.session.settle(program)
        return program.count("hidem") - before

    def test_left_edge_middle_and_both_buttons_hide_but_not_the_wheel_unchosen(self):
        s = self.session
        notepad = s.start_notepad()
        program = s.launch(**{"Hide Method Min": "1", "Start Enabled": "1", "ScrEdge Left": "1",
                              "Mouse Wheel": "0", "Middle Button": "1", "Both Buttons": "1"})
        s.click(300, 300)
        s.type_text("abc")
        self.assertEqual(self.hides_after(program, lambda: s.move(10, 300)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.move(2, 300)), 1)
        # Minimizing is asynchronous: the program only asks the window to go.
        s.wait_minimized(notepad)
        self.assertEqual(s.edit(notepad)["text"], "abc", "no stray character reached the program")

        s.move(500, 300)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=5)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=2)), 1)

        def press(first, second):
            s.xdotool("mousedown", first, "mousedown", second, "mouseup", second, "mouseup", first)
        self.assertEqual(self.hides_after(program, lambda: press(1, 3)), 1)
        self.assertEqual(self.hides_after(program, lambda: press(3, 1)), 1)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=1)), 0)


    def test_a_removed_mouse_hook_is_installed_again_and_the_edge_hides(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1", "Start Enabled": "1", "ScrEdge Left": "1"})
        s.settle(program)
        s.probe("send", "VeiloraMain", DROP_MOUSE_HOOK, "0", "0")
        program.wait_event("hook-dropped")
        spots = iter(range(300, 1000))  # the person keeps using the mouse
        wait_for(lambda: s.move(next(spots), 300) or program.count("hook-reinstalled"), 10,
                 "the hook to come back")
        self.assertEqual(self.hides_after(program, lambda: s.move(0, 300)), 1)

        # Back from a locked session the hooks are installed anew at once.
        s.move(400, 300)
        s.probe("send", "VeiloraMain", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, "0")
        wait_for(lambda: 3 in program.values("hook-reinstalled"), 10, "the hooks after the unlock")

if __name__ == "__main__":
    unittest.main()
