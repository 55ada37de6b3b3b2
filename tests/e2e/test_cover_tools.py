"""The tools on the cover: its menu, the Window Management and Volume dialogs above it."""

import unittest

from harness import E2ETestCase, wait_for

COVER_MENU = [("Minimize all windows", True), ("Window Management", False), ("Volume", False),
              ("Disable", False)]
WM = "Window Management"
CLOSE_SELECTED, MINIMIZE_SELECTED = 603, 604
VK_TAB = 0x09


class CoverToolsTest(E2ETestCase):
    windows_version = "winxp"  # muting can be on

    def start(self, sound=False, **options):
        return self.session.launch((40, 40, 40), sound,
                                   **{"Hide Method Scr": "1", "Start Enabled": "1", **options})

    def cover_menu(self, program):
        return self.session.open_menu(program, lambda: self.session.click(512, 400, button=3))

    def rows(self, program):
        """What the Window Management list shows now, top to bottom."""
        shown = program.values("wm-rows")
        return str(shown[-1]).split(" | ") if shown else []

    def test_the_menu_minimizes_and_disables_with_the_tray_marking_it(self):
        s = self.session
        notepad = s.start_notepad()
        program = self.start()
        s.hide_by_key(program)
        items = self.cover_menu(program)
        self.assertEqual([(i["text"], i["default"]) for i in items], COVER_MENU)
        s.choose(items, "Minimize all windows")
        wait_for(lambda: s.window_info(notepad)[0]["iconic"] == "1", 10, "notepad to minimize")
        self.assertIsNotNone(s.cover(), "the cover stays")

        s.choose(self.cover_menu(program), "Disable")
        program.wait_event("restore")
        checks = [(i["text"], i["checked"]) for i in s.open_tray_menu(program)[:2]]
        self.assertEqual(checks, [("Enabled", False), ("Disabled", True)])

    def test_window_management_above_the_cover(self):
        s = self.session
        draft = s.start_notepad()
        s.click(300, 300)
        s.type_text("unsaved")
        s.probe("retitle", draft, "Draft - Notepad")
        s.start_notepad()  # a second one, with nothing to save
        program = self.start()
        keys = s.start_keylog()
        s.hide_by_key(program)
        s.choose(self.cover_menu(program), "Window Management")
        s.wait_window(WM)
        wait_for(lambda: s.window_info(WM)[0]["foreground"] == "1", 10, "the dialog's keyboard")
        wait_for(lambda: {"Draft - Notepad", "Untitled - Notepad"} <= set(self.rows(program)), 10,
                 "both notepads in the list")
        self.assertNotIn("Veilora Cover", self.rows(program))
        self.assertIn(WM, [title for title, _ in s.above_cover()], "the dialog is on top")
        self.assertEqual(s.cover()["topmost"], "1", "the cover is topmost again")

        # Task switching stays blocked while the dialog is open.
        self.assertNotIn(VK_TAB, [vk for vk, _ in s.try_task_switching(keys)])

        s.probe("retitle", "Untitled - Notepad", "Renamed - Notepad")
        wait_for(lambda: "Renamed - Notepad" in self.rows(program), 10, "the new title")
        self.assertEqual(len(self.rows(program)), 2, "retitled in place")

        # A click on the heading sorts once, the next the other way.
        listing = s.control(WM, 602)
        for x, order in ((30, sorted), (90, lambda rows: sorted(rows, reverse=True))):
            s.click(int(listing["x"]) + x, int(listing["y"]) + 8)  # apart: not a double-click
            wait_for(lambda: self.rows(program) == order(self.rows(program)), 10, "sorted rows")

        # Keyboard selection, then the buttons: the draft minimizes, and asked to close it asks
        # to save and so stays listed; the other one closes and leaves the list.
        def select(title):
            s.click_control(WM, 602)
            s.key("Home", *["Down"] * self.rows(program).index(title))
        select("Draft - Notepad")
        s.click_control(WM, MINIMIZE_SELECTED)
        wait_for(lambda: s.window_info("Draft - Notepad")[0]["iconic"] == "1", 10,
                 "the draft to minimize")
        s.click_control(WM, CLOSE_SELECTED)
        wait_for(lambda: s.find_windows("Notepad"), 10, "notepad's question")
        # A change the list must show: once it does, the list was made again with the question up.
        s.probe("retitle", "Renamed - Notepad", "Asked - Notepad")
        wait_for(lambda: "Asked - Notepad" in self.rows(program), 10, "the list made again")
        self.assertIn("Draft - Notepad", self.rows(program))
        s.click_control("Notepad", 2)  # Cancel: keep the text
        s.wait_no_window("Notepad")
        select("Asked - Notepad")
        s.click_control(WM, CLOSE_SELECTED)
        wait_for(lambda: self.rows(program) == ["Draft - Notepad"], 10, "the closed one to go")

        s.restore_by_double_click(program, 50, 700)
        s.wait_no_window(WM)
        self.assertEqual(s.owner_counts(program)["image-list"], 0, "the pictures go with it")

    def test_a_window_that_comes_up_above_the_cover_goes_below_it_again(self):
        s = self.session
        program = self.start()
        s.hide_by_key(program)
        s.spawn(str(s.probe_path()), "hang", "Pushy Window", "topmost")
        s.wait_window("Pushy Window")
        wait_for(lambda: ("Pushy Window", "VeiloraProbeHung") not in s.above_cover(), 10,
                 "the cover above the newcomer")

    def test_a_hung_program_never_holds_up_the_list_or_the_restore(self):
        s = self.session
        notepad = s.start_notepad()
        program = self.start(**{"ScrEdge Left": "1"})
        s.hang("Hung Window")
        s.hide_by_edge(program)  # keys wait in the hung program's queue under Wine
        s.choose(self.cover_menu(program), "Window Management")
        s.wait_window(WM)
        wait_for(lambda: notepad in self.rows(program), 10, "the list")
        s.double_click(50, 700)  # on the cover, beside the dialog
        program.wait_event("restore", timeout=10)

    def test_volume_chooses_the_level_the_restore_gives_back(self):
        s = self.session
        # A level a run that died left behind: the start gives it to the speakers, so the hide
        # reads a known one. 45874 / 6553.5 = 6.9998: position 7.
        s.reg_add(r"HKCU\Software\Fernwick\Veilora\General", "Restore Level", "45874")
        program = self.start(sound=True, **{"Mute Sound": "1"})
        s.hide_by_key(program)
        program.wait_event("level-read")
        self.assertEqual(program.values("level-read"), [45874])
        s.choose(self.cover_menu(program), "Volume")
        s.wait_window("Volume Control")
        self.assertIn("7", s.static_texts("Volume Control"), "the level from before")
        s.click_control("Volume Control", 803)  # the slider takes the keys
        chosen = program.count("level-chosen")
        s.key("End")
        program.wait_event("level-chosen", chosen + 1)
        s.key("Left")
        program.wait_event("level-chosen", chosen + 2)
        chosen = program.values("level-chosen")[chosen + 1]
        self.assertEqual(chosen, 58982, "position 9: 58981.5 goes to its even neighbour")
        s.key("Return")  # OK
        s.wait_no_window("Volume Control")
        s.restore_by_double_click(program)
        self.assertEqual(program.values("level-write")[-1], chosen)


if __name__ == "__main__":
    unittest.main()
