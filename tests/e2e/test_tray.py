"""The tray icon and its menu: how a person reaches the program, switches it on and off, and
ends it."""

import unittest

from harness import E2ETestCase, wait_for

MENU = [("Enabled", True, False), ("Disabled", False, False), ("-", False, False),
        ("Options", False, True), ("-", False, False), ("&Help", False, False),
        ("About", False, False), ("-", False, False), ("Exit", False, False)]
EMPTY_TASKBAR = (900, 758)  # a spot of the taskbar where nothing is drawn
OPTIONS = "Veilora - Options"
TRAY_INVISIBLE = 206


class TrayTest(E2ETestCase):
    def start(self, **options):
        program = self.session.launch(**{"Hide Method Min": "1", "Start Enabled": "1", **options})
        self.session.settle(program)
        return program

    def icon_pixels(self, screen):
        x, y = self.session.TRAY_ICON
        return {screen.pixel(x + dx, y + dy) for dx in range(-6, 7, 3) for dy in range(-6, 7, 3)}

    def test_only_a_right_click_opens_the_menu_whose_marks_follow_disabled_and_the_toggle_key(self):
        s = self.session
        program = self.start(**{"ScrEdge Left": "1"})
        s.click(*s.TRAY_ICON)
        s.double_click(*s.TRAY_ICON)
        s.settle(program)
        # Not even a menu that a later click closed again.
        self.assertFalse(s.menu_open())
        self.assertEqual(program.count("menu-command"), 0, "left clicks open nothing")
        items = s.open_tray_menu(program)
        self.assertEqual([(i["text"], i["checked"], i["default"]) for i in items], MENU)
        self.assertTrue(s.menu_open())
        s.close_menu()
        program.wait_event("menu-command")
        self.assertEqual(program.values("menu-command"), [0], "nothing chosen")

        # Whether a trigger then hides is the unit tests' (the marks show the state).
        s.from_tray(program, "Disabled")
        program.wait_event("menu-command", 2)
        self.assertEqual([i["checked"] for i in s.open_tray_menu(program)[:2]], [False, True])
        s.close_menu()
        s.key("ctrl+e")
        program.wait_event("hotkey")
        self.assertEqual([i["checked"] for i in s.open_tray_menu(program)[:2]], [True, False])
        s.close_menu()
        s.move(0, 300)
        program.wait_event("hidem")

    def test_the_invisible_icon_shows_nothing_yet_opens_the_menu_after_a_new_taskbar(self):
        s = self.session
        program = self.start()
        background = s.grab().pixel(*EMPTY_TASKBAR)
        # Drawn there first, so that nothing seen later is a taskbar not yet drawn.
        wait_for(lambda: self.icon_pixels(s.grab()) - {background}, 10, "the icon")
        self.assertEqual(s.probe("new-taskbar", "VeiloraMain").strip(), "1", "the icon was taken")
        wait_for(lambda: self.icon_pixels(s.grab()) - {background}, 10, "the icon to come back")
        s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, TRAY_INVISIBLE)
        s.save_options(program)
        wait_for(lambda: self.icon_pixels(s.grab()) == {background}, 10, "the icon to show nothing")
        self.assertEqual(len(s.open_tray_menu(program)), len(MENU))

    def test_exit_gives_everything_back_and_ends_the_program(self):
        s = self.session
        s.reg_add(r"HKCU\Software\Wine\AppDefaults\veilora.exe", "Version", "winxp")
        program = s.launch((0, 0, 0), True, **{"Hide Method Min": "1", "Start Enabled": "1",
                                                "Mute Sound": "1"})
        background = s.grab().pixel(*EMPTY_TASKBAR)
        s.key("grave")  # minimizes and lowers the sound; nothing covers the screen
        program.wait_event("level-read-back")
        items = s.open_tray_menu(program)
        self.assertEqual(items[0]["text"], "Restore Sound", "the only way back without a cover")
        s.choose(items, "Restore Sound")
        program.wait_event("level-read-back", 2)
        s.key("grave")
        program.wait_event("level-read-back", 3)
        s.from_tray(program, "Exit")
        self.assertEqual(program.wait(20), 0)
        before = program.levels()[0][1]
        self.assertEqual([level[:2] for level in program.levels()],
                         [("level-read", before), ("level-write", 50), ("level-write", before)] * 2)
        wait_for(lambda: self.icon_pixels(s.grab()) == {background}, 10, "the icon to go")
        # The hot keys are free again: the key types into the program that has the focus.
        notepad = s.start_notepad()
        s.click(300, 300)
        s.key("grave")
        wait_for(lambda: s.edit(notepad)["text"] == "`", 10, "the key to reach notepad")


if __name__ == "__main__":
    unittest.main()
