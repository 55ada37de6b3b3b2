"""The Options dialog, the password dialogs, the first run, help and the about box, as a person
uses them from the tray."""

import unittest

from harness import E2ETestCase, stored_password, wait_for

OPTIONS = "Veilora - Options"
PROMPT = "Veilora - Password Required"
OPTIONS_KEY = r"HKCU\Software\Fernwick\Veilora\Options"
GENERAL = r"HKCU\Software\Fernwick\Veilora\General"
RUN = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
IDOK, IDCANCEL = 1, 2
SHOW_CAPTURE, MINIMIZE, MUTE, CAPTURE_BUTTON, START_WINDOWS, WHEEL = 201, 202, 203, 204, 207, 220
PW_COVER, PASSWORD_BUTTON, HELP = 223, 225, 226
PW_OLD, PW_NEW, PW_REPEAT = 310, 311, 312
FIRST_RUN = ("Since this is the first time you have run Veilora, you should configure the "
             "program's options. The options dialog will now be shown so you can do this.")


class OptionsTest(E2ETestCase):
    def open_options(self, program):
        s = self.session
        s.choose(s.open_tray_menu(program), "Options")

    def test_options_behind_the_password(self):
        s = self.session
        s.reg_add(GENERAL, "Offset", stored_password("opt"))
        program = s.launch(**{"Hide Method Min": "1", "PW Options": "1"})
        self.open_options(program)
        s.wait_window(PROMPT)
        s.key("Escape")
        s.wait_no_window(PROMPT)
        s.settle(program)
        self.assertEqual(s.find_windows(OPTIONS), [], "Cancel shows nothing")
        self.open_options(program)
        s.wait_window(PROMPT)
        s.type_text("opt")
        s.key("Return")
        s.wait_window(OPTIONS)

    def test_ok_checks_in_order_then_saves_everything(self):
        s = self.session
        program = s.launch(**{"Hide Method Scr": "1", "Hide Method Min": "0",
                              "PW Hide Screen Cap": "1", "Start with Windows": "0",
                              "Start Enabled": "1"})
        self.open_options(program)
        s.wait_window(OPTIONS)
        self.assertEqual(s.control(OPTIONS, MUTE)["enabled"], "0",
                         "locked: from Windows 7 on only the mixer answers here")
        # Each refusal with its exact message and focus (the order of the checks is the core's).
        s.click_control(OPTIONS, IDOK)
        s.answer_message("Screen Image File Missing", "Screen capture image file not found. "
                         "Cannot use \"Show screen capture\" as method of hiding. Please click "
                         "\"Capture new screen image\" to capture an image or deselect this method "
                         "of hiding.")
        self.assertEqual(s.focused(OPTIONS), CAPTURE_BUTTON)
        s.click_control(OPTIONS, SHOW_CAPTURE)
        s.click_control(OPTIONS, IDOK)
        s.answer_message("Attention", "You have selected password options but haven't specified a "
                         "password. Please click \"Set Password\" or deselect any password options "
                         "before continuing.")
        self.assertEqual(s.focused(OPTIONS), IDOK)
        s.click_control(OPTIONS, PW_COVER)
        s.click_control(OPTIONS, IDOK)
        s.answer_message("Error", "You must select at least one method of hiding.")
        self.assertEqual(s.focused(OPTIONS), MINIMIZE)

        s.click_control(OPTIONS, MINIMIZE)
        s.click_control(OPTIONS, START_WINDOWS)
        s.click_control(OPTIONS, WHEEL)
        s.click_control(OPTIONS, IDOK)
        program.wait_event("options-saved")
        s.wait_no_window(OPTIONS)
        for name, value in {"Hide Method Min": "1", "Hide Method Scr": "0", "Mouse Wheel": "1",
                            "PW Hide Screen Cap": "0", "Start with Windows": "1"}.items():
            self.assertEqual(s.reg_query(OPTIONS_KEY, name), ("REG_SZ", value), name)
        exe = s.windows_path(s.prog_dir / "veilora.exe")
        self.assertEqual(s.reg_query(RUN, "Veilora"), ("REG_SZ", f'"{exe}"'))
        # The options act at once: the wheel hides now.
        s.click(button=5)
        program.wait_event("hidem")

        self.open_options(program)
        s.wait_window(OPTIONS)
        s.click_control(OPTIONS, START_WINDOWS)
        s.click_control(OPTIONS, IDOK)
        program.wait_event("options-saved", 2)
        self.assertIsNone(s.reg_query(RUN, "Veilora"), "the Run entry follows the box")

        # A store that refuses writes: OK says so with the system's reason and stays open.
        self.assertEqual(s.probe("deny-writes", r"Software\Fernwick\Veilora\Options").strip(), "0")
        self.open_options(program)
        s.wait_window(OPTIONS)
        s.click_control(OPTIONS, WHEEL)
        s.click_control(OPTIONS, IDOK)
        program.wait_event("options-not-saved")
        s.answer_message("Options Not Saved", "Your options could not be saved. Access denied")
        self.assertEqual(s.control(OPTIONS, WHEEL)["checked"], "0", "the choice is kept")
        self.assertEqual(s.reg_query(OPTIONS_KEY, "Mouse Wheel"), ("REG_SZ", "1"))

    def test_cancel_and_the_close_box_bring_back_the_stored_options(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1", "Mouse Wheel": "0"})
        for close in ("cancel", "close box"):
            self.open_options(program)
            s.wait_window(OPTIONS)
            s.click_control(OPTIONS, WHEEL)
            self.assertEqual(s.control(OPTIONS, WHEEL)["checked"], "1")
            reloads = program.count("options-reloaded")
            if close == "cancel":
                s.click_control(OPTIONS, IDCANCEL)
            else:
                s.probe("send", "#32770", "0x10", "0", "0")  # WM_CLOSE, as the close box sends
            program.wait_event("options-reloaded", reloads + 1)
            s.wait_no_window(OPTIONS)
            self.assertEqual(s.reg_query(OPTIONS_KEY, "Mouse Wheel"), ("REG_SZ", "0"))
            s.click(500, 300, button=5)
            s.settle(program)
            self.assertEqual(program.count("hidem"), 0, f"{close}: the wheel stays off")
            self.assertTrue(program.running())

    def test_set_and_change_the_password_then_the_prompt_takes_the_new_one(self):
        s = self.session
        program = s.launch((9, 9, 9), **{"Hide Method Scr": "1"})
        self.open_options(program)
        s.wait_window(OPTIONS)
        self.assertEqual(s.control(OPTIONS, PASSWORD_BUTTON)["text"], "Set &Password")
        s.click_control(OPTIONS, PASSWORD_BUTTON)
        s.wait_window("Set Password")
        self.assertEqual(s.control("Set Password", IDOK)["enabled"], "0", "empty fields")
        self.assertEqual({s.control("Set Password", f)["password"] for f in (PW_NEW, PW_REPEAT)},
                         {str(ord("*"))})
        s.submit("Set Password", {PW_NEW: "first", PW_REPEAT: "firsT"},
                 ("Error", "Passwords do not match."))
        self.assertEqual(s.focused("Set Password"), PW_NEW)
        s.submit("Set Password", {PW_REPEAT: "first"}, ("Success", "Password succesfully set."))
        wait_for(lambda: s.control(OPTIONS, PASSWORD_BUTTON)["text"] == "Change &Password",
                 10, "the button to read Change Password")

        s.click_control(OPTIONS, PASSWORD_BUTTON)
        s.wait_window("Change Password")
        s.submit("Change Password", {PW_OLD: "wrong", PW_NEW: "second", PW_REPEAT: "other"},
                 ("Error", "Incorrect Old Password"))
        self.assertEqual(s.focused("Change Password"), PW_OLD)
        s.submit("Change Password", {PW_OLD: "first"}, ("Error", "New passwords do not match."))
        s.submit("Change Password", {PW_REPEAT: "second"},
                 ("Success", "Password succesfully changed."))

        s.click_control(OPTIONS, PW_COVER)
        s.click_control(OPTIONS, IDOK)
        program.wait_event("options-saved")
        s.hide_by_key(program)
        s.double_click(512, 400)
        s.wait_window(PROMPT)
        s.type_text("second")
        s.key("Return")
        program.wait_event("restore")

    def test_a_hide_closes_the_options_boxes_and_leaves_the_dialog_as_it_was(self):
        s = self.session
        program = s.launch((9, 9, 9), **{"Hide Method Scr": "1", "Mouse Wheel": "0"})
        self.open_options(program)
        s.wait_window(OPTIONS)
        s.click_control(OPTIONS, WHEEL)
        s.click_control(OPTIONS, PASSWORD_BUTTON)
        s.wait_window("Set Password")
        s.type_into("Set Password", PW_NEW, "half")
        s.hide_by_key(program)
        s.wait_no_window("Set Password")
        self.assertEqual(s.above_cover(), [])
        s.restore_by_double_click(program)
        self.assertEqual(s.control(OPTIONS, WHEEL)["checked"], "1", "still there, edits and all")
        s.click_control(OPTIONS, IDOK)
        program.wait_event("options-saved")
        self.assertEqual(s.reg_query(OPTIONS_KEY, "Mouse Wheel"), ("REG_SZ", "1"))
        self.assertIsNone(s.reg_query(GENERAL, "Offset"), "the closed dialog stored nothing")

    def test_help_from_the_tray_and_from_the_options(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1"})
        s.choose(s.open_tray_menu(program), "&Help")
        program.wait_event("help-open")
        s.wait_help_viewer()
        self.open_options(program)
        s.wait_window(OPTIONS)
        s.click_control(OPTIONS, HELP)
        program.wait_event("help-open", 2)
        folder = s.windows_path(s.prog_dir)
        self.assertEqual(program.values("help-open"),
                         [folder + "\\veilora.chm", folder + "\\veilora.chm::/Topic26.htm"])
        self.assertTrue(s.find_windows(OPTIONS), "the dialog stays open")


class FirstRunTest(E2ETestCase):
    def test_cancel_asks_again_next_time_and_ok_ends_the_question(self):
        s = self.session
        program = s.start()
        s.wait_window("Veilora")
        self.assertIn(FIRST_RUN, s.static_texts("Veilora"))
        s.key("Return")
        s.wait_window(OPTIONS)
        self.assertEqual(program.count("ready"), 0, "start-up waits for the dialog")
        s.key("Escape")
        program.wait_ready()
        self.assertIsNone(s.reg_query(GENERAL, "First Run"), "Cancel saves nothing")
        s.stop(program)

        program = s.start()
        s.wait_window("Veilora")
        s.key("Return")
        s.wait_window(OPTIONS)
        s.click_control(OPTIONS, MINIMIZE)
        s.click_control(OPTIONS, IDOK)
        program.wait_ready()
        self.assertEqual(s.reg_query(GENERAL, "First Run"), ("REG_SZ", "False"))
        s.stop(program)
        s.start().wait_ready()
        self.assertEqual(s.find_windows("Veilora"), [], "no question after OK")


class AboutTest(E2ETestCase):
    def test_texts_links_closing_and_one_box_at_a_time(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1"})
        for close in ("Return", "Escape"):
            s.choose(s.open_tray_menu(program), "About")
            s.wait_window("About...")
            self.assertIn("Version 2.2", s.static_texts("About..."))
            s.key(close)
            s.wait_no_window("About...")

        # No program for web or mail addresses: the shell says so, and the box tells the person.
        for scheme in ("http", "https", "mailto"):
            s.wine("reg", "delete", f"HKCR\\{scheme}", "/f")
        s.choose(s.open_tray_menu(program), "About")
        s.wait_window("About...")
        for link, text in ((405, "Could not start your web browser."),
                           (406, "Could not start your email program.")):
            s.click_control("About...", link)
            s.wait_window("Oops!")
            self.assertIn(text, s.static_texts("Oops!"))
            s.key("Return")
            s.wait_no_window("Oops!")
        self.assertEqual(program.values("launch"),
                         ["https://www.fernwick.example/", "mailto:support@fernwick.example"])
        self.assertEqual(program.values("launch-result"), [31, 31])

        # While the box runs, the Options dialog still has its keyboard: Tab moves on, Esc
        # closes it. A second About brings the open box forward instead of another one.
        s.choose(s.open_tray_menu(program), "Options")
        s.wait_window(OPTIONS)
        first = wait_for(lambda: s.focused(OPTIONS), 10, "a focused control")
        s.key("Tab")
        wait_for(lambda: s.focused(OPTIONS) not in (None, first), 10, "Tab to move the focus")
        commands = program.count("menu-command")
        s.choose(s.open_tray_menu(program), "About")
        program.wait_event("menu-command", commands + 1)

        def order():
            return [title for title, _ in s.z_order()]
        wait_for(lambda: order().index("About...") < order().index(OPTIONS), 10,
                 "the box to come forward")
        self.assertEqual(len(s.find_windows("About...")), 1)
        s.click_control(OPTIONS, SHOW_CAPTURE)
        s.key("Escape")
        s.wait_no_window(OPTIONS)
        s.click_control("About...", IDOK)
        s.wait_no_window("About...")

    def test_the_hide_key_closes_the_box_and_the_menu_and_exit_takes_the_box_along(self):
        s = self.session
        program = s.launch((9, 9, 9), **{"Hide Method Scr": "1"})
        for opened in ("About box", "tray menu"):
            if opened == "About box":
                s.choose(s.open_tray_menu(program), "About")
                s.wait_window("About...")
            else:
                s.open_tray_menu(program)
            s.hide_by_key(program)
            s.wait_no_window("About...")
            wait_for(lambda: not s.window_info(cls="#32768"), 10, "the menu to close")
            self.assertEqual(s.above_cover(), [], opened)
            s.restore_by_double_click(program)

        # The tray menu still works while the box is open; Exit leaves nothing behind.
        s.choose(s.open_tray_menu(program), "About")
        s.wait_window("About...")
        s.choose(s.open_tray_menu(program), "Exit")
        self.assertEqual(program.wait(20), 0)
        s.wait_no_window("About...")


if __name__ == "__main__":
    unittest.main()
