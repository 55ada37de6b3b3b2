"""Each way of asking for a hide works when chosen, and only then."""

import unittest

from harness import E2ETestCase, wait_for


class TriggerTest(E2ETestCase):
    def start(self, **options):
        """Starts the program with these options and "Minimize all windows" as the method."""
        program = self.session.launch(**{"Hide Method Min": "1", "Start Enabled": "1",
                                         "ScrEdge Left": "0", **options})
        self.session.settle(program)
        return program

    def hides_after(self, program, action):
        """How many hides `action` caused."""
        before = program.count("hidem")
        action()
        self.session.settle(program)
        return program.count("hidem") - before

    def test_left_edge_minimizes_a_program_without_typing_into_it(self):
        s = self.session
        notepad = s.start_notepad()
        program = self.start(**{"ScrEdge Left": "1"})
        s.click(300, 300)
        s.type_text("abc")
        self.assertEqual(self.hides_after(program, lambda: s.move(10, 300)), 0)
        self.assertEqual(s.window_info(notepad)[0]["iconic"], "0")
        self.assertEqual(self.hides_after(program, lambda: s.move(2, 300)), 1)
        # Minimizing is asynchronous: the program only asks the window to go.
        wait_for(lambda: s.window_info(notepad)[0]["iconic"] == "1", 10, "notepad to minimize")
        self.assertEqual(s.edit(notepad)["text"], "abc", "no stray character reached the program")

    def test_the_middle_button_hides_and_the_wheel_only_when_chosen(self):
        s = self.session
        program = self.start(**{"Mouse Wheel": "0", "Middle Button": "1"})
        self.assertEqual(self.hides_after(program, lambda: s.click(button=5)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=2)), 1)

    def test_both_buttons_in_either_order(self):
        s = self.session
        program = self.start(**{"Both Buttons": "1"})

        def press(first, second):
            s.xdotool("mousedown", first)
            s.xdotool("mousedown", second)
            s.xdotool("mouseup", second)
            s.xdotool("mouseup", first)

        s.move(500, 300)
        self.assertEqual(self.hides_after(program, lambda: press(1, 3)), 1)
        self.assertEqual(self.hides_after(program, lambda: press(3, 1)), 1)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=1)), 0)


if __name__ == "__main__":
    unittest.main()
