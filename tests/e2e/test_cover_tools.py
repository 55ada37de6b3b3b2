"""The tools on the cover: its menu, the Window Management and Volume dialogs above it."""

import unittest

from harness import E2ETestCase, stored_password, wait_for

COVER_MENU = [("Minimize all windows", True), ("Window Management", False), ("Volume", False),
              ("Disable", False)]
WM = "Window Management"
CLOSE_SELECTED, MINIMIZE_SELECTED = 603, 604
VK_TAB = 0x09
GENERAL = r"HKCU\Software\Fernwick\Veilora\General"


class CoverToolsTest(E2ETestCase):
    windows_version = "winxp"  # muting can be on

    def start(self, sound=False, **options):
        return self.session.launch((40, 40, 40), sound,
                                   **{"Hide Method Scr": "1", "Start Enabled": "1", **options})

    def rows(self, program):
        """What the Window Management list shows now, top to bottom."""
        shown = program.values("wm-rows")
        return str(shown[-1]).split(" | ") if shown else []

    def test_the_menu_minimizes_and_disables_and_nothing_new_stays_above_the_cover(self):
        s = self.session
        notepad = s.start_notepad()
        program = self.start()
        s.hide_by_key(program)
        # Before the menu, whose closing raises the cover too.
        # One newcomer takes the activation from the cover, the other shows without it. Known
        # by class: a hung window's title reads as empty.
        for title, how in (("Pushy Window", "topmost"), ("Quiet Window", "quiet")):
            s.spawn(str(s.probe_path()), "hang", title, how)
            s.wait_window(title)
            wait_for(lambda: "VeiloraProbeHung" not in [c for _, c in s.above_cover()], 10,
                     f"the cover above {title}")
        items = s.open_cover_menu(program)
        self.assertEqual([(i["text"], i["default"]) for i in items], COVER_MENU)
        s.choose(items, "Minimize all windows")
        s.wait_minimized(notepad)
        self.assertIsNotNone(s.cover(), "the cover stays")

        s.choose(s.open_cover_menu(program), "Disable")
        program.wait_event("restore")

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
        s.choose(s.open_cover_menu(program), "Window Management")
        s.wait_window(WM)
        wait_for(lambda: s.window_info(WM)[0]["foreground"] == "1", 10, "the dialog's keyboard")
        wait_for(lambda: {"Draft - Notepad", "Untitled - Notepad"} <= set(self.rows(program)), 10,
                 "both notepads in the list")
        self.assertIn(WM, [title for title, _ in s.above_cover()], "the dialog is on top")
        self.assertEqual(s.cover()["topmost"], "1", "the cover is topmost again")

        # Task switching stays blocked while the dialog is open.
        self.assertNotIn(VK_TAB, [vk for vk, _ in s.try_task_switching(keys)])

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
        s.wait_minimized("Draft - Notepad")
        s.click_control(WM, CLOSE_SELECTED)
        wait_for(lambda: s.find_windows("Notepad"), 10, "notepad's question")
        # A change the list must show: once it does, the list was made again with the question up.
        s.probe("retitle", "Untitled - Notepad", "Asked - Notepad")
        wait_for(lambda: "Asked - Notepad" in self.rows(program), 10, "the list made again")
        self.assertEqual(sorted(self.rows(program)), ["Asked - Notepad", "Draft - Notepad"])
        s.click_control("Notepad", 2)  # Cancel: keep the text
        s.wait_no_window("Notepad")
        select("Asked - Notepad")
        s.click_control(WM, CLOSE_SELECTED)
        wait_for(lambda: self.rows(program) == ["Draft - Notepad"], 10, "the closed one to go")

        s.restore_by_double_click(program, 50, 700)
        s.wait_no_window(WM)
        self.assertEqual(s.owner_counts(program)["image-list"], 0, "the pictures go with it")

    def test_a_hung_program_stalls_neither_the_cover_the_list_nor_the_prompt(self):
        s = self.session
        notepad = s.start_notepad()
        s.reg_add(GENERAL, "Offset", stored_password("pw"))
        program = self.start(**{"ScrEdge Left": "1", "PW Hide Screen Cap": "1"})
        s.hang("Hung Window")
        # The edge, not the hide key: under Wine keys go through the foreground program's
        # queue, and a hung program never passes them on.
        s.hide_by_edge(program)
        wait_for(lambda: (s.cover() or {}).get("foreground") == "1", 10, "the cover's focus")
        s.choose(s.open_cover_menu(program), "Window Management")
        s.wait_window(WM)
        wait_for(lambda: notepad in self.rows(program), 10, "the list")
        s.open_prompt(50, 700)  # on the cover, beside the dialog
        s.enter_password("pw")
        program.wait_event("restore")

    def test_volume_chooses_the_level_the_restore_gives_back(self):
        s = self.session
        # A level a run that died left behind: the start gives it to the speakers, so the hide
        # reads a known one. 45874 / 6553.5 = 6.9998: position 7.
        s.reg_add(GENERAL, "Restore Level", "45874")
        program = self.start(sound=True, **{"Mute Sound": "1"})
        s.hide_by_key(program)
        program.wait_event("level-read")
        self.assertEqual(program.values("level-read"), [45874])
        s.choose(s.open_cover_menu(program), "Volume")
        s.wait_window("Volume Control")
        self.assertIn("7", s.static_texts("Volume Control"), "the level from before")
        s.click_control("Volume Control", 803)  # the slider takes the keys
        s.key("End", "Left")  # position 9: 58981.5 goes to its even neighbour
        wait_for(lambda: program.values("level-chosen")[-1:] == [58982], 10, "position 9")
        s.key("Return")  # OK
        s.wait_no_window("Volume Control")
        s.restore_by_double_click(program)
        self.assertEqual(program.values("level-write")[-1], 58982)


if __name__ == "__main__":
    unittest.main()
