"""Each way of asking for a hide works when chosen, and only then."""

import unittest

from harness import E2ETestCase, wait_for

VK_OEM_3 = "grave"  # the key left of 1: hides at once


class TriggerTest(E2ETestCase):
    def start(self, enabled="1", **options):
        """Starts the program with these options and "Minimize all windows" as the method."""
        options.setdefault("ScrEdge Left", "0")
        self.session.set_options(**{"Hide Method Min": "1", "Start Enabled": enabled}, **options)
        program = self.session.start()
        program.wait_ready()
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
        edit = [c for c in s.controls(notepad) if c["class"] == "edit"][0]
        self.assertEqual(edit["text"], "abc", "no stray character reached the program")

    def test_edges_fire_only_in_their_zone(self):
        s = self.session
        program = self.start(**{"ScrEdge Right": "1", "ScrEdge Bottom": "1"})
        self.assertEqual(self.hides_after(program, lambda: s.move(1019, 300)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.move(1020, 300)), 1)
        self.assertEqual(self.hides_after(program, lambda: s.move(500, 763)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.move(500, 764)), 1)

    def test_a_corner_alone_fires_only_in_the_corner(self):
        s = self.session
        program = self.start(**{"Corner Top Right": "1"})
        self.assertEqual(self.hides_after(program, lambda: s.move(1023, 300)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.move(700, 0)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.move(1023, 0)), 1)

    def test_wheel_and_middle_button(self):
        s = self.session
        program = self.start()
        self.assertEqual(self.hides_after(program, lambda: s.click(button=4)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=2)), 0)
        s.stop(program)

        s.set_options(**{"Mouse Wheel": "1", "Middle Button": "1"})
        program = s.start()
        program.wait_ready()
        self.assertEqual(self.hides_after(program, lambda: s.click(button=5)), 1)
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

    def test_both_buttons_off_does_nothing(self):
        s = self.session
        program = self.start()
        s.move(500, 300)

        def press():
            s.xdotool("mousedown", 1)
            s.xdotool("mousedown", 3)
            s.xdotool("mouseup", 3)
            s.xdotool("mouseup", 1)

        self.assertEqual(self.hides_after(program, press), 0)

    def test_nothing_hides_while_disabled_except_the_hide_key(self):
        s = self.session
        program = self.start(enabled="0", **{"ScrEdge Left": "1", "Mouse Wheel": "1",
                                             "Middle Button": "1"})
        self.assertEqual(self.hides_after(program, lambda: s.move(0, 300)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=4)), 0)
        self.assertEqual(self.hides_after(program, lambda: s.click(button=2)), 0)
        before = program.count("hidem")
        s.key(VK_OEM_3)
        program.wait_event("hidem", before + 1)

    def test_toggle_key_twice_returns_to_where_it_was(self):
        s = self.session
        program = self.start(**{"ScrEdge Left": "1"})
        s.key("ctrl+e")
        program.wait_event("hotkey", 1)
        self.assertEqual(self.hides_after(program, lambda: s.move(0, 300)), 0)
        s.move(500, 300)
        s.key("ctrl+e")
        program.wait_event("hotkey", 2)
        self.assertEqual(self.hides_after(program, lambda: s.move(0, 300)), 1)


if __name__ == "__main__":
    unittest.main()
