"""The Options dialog, the password dialogs, the first run, help and the about box, as a person
uses them from the tray."""

import unittest

from harness import BASE_ENV, E2ETestCase, wait_for

OPTIONS = "Veilora - Options"
OPTIONS_KEY = r"HKCU\Software\Fernwick\Veilora\Options"
GENERAL = r"HKCU\Software\Fernwick\Veilora\General"
RUN = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
IDOK = 1
SHOW_CAPTURE, MINIMIZE, MUTE, CAPTURE_BUTTON, START_WINDOWS, WHEEL = 201, 202, 203, 204, 207, 220
PW_COVER, PASSWORD_BUTTON, HELP, HIDE_KEY, TOGGLE_KEY = 223, 225, 226, 228, 229
PW_OLD, PW_NEW, PW_REPEAT = 310, 311, 312
FIRST_RUN = ("Since this is the first time you have run Veilora, you should configure the "
             "program's options. The options dialog will now be shown so you can do this.")


class OptionsTest(E2ETestCase):
    def test_ok_checks_in_order_then_saves_everything(self):
        s = self.session
        program = s.launch(**{"Hide Method Scr": "1", "Hide Method Min": "0",
                              "PW Hide Screen Cap": "1", "Start with Windows": "0",
                              "Start Enabled": "1"})
        s.from_tray(program, "Options", OPTIONS)
        self.assertEqual(s.control(OPTIONS, MUTE)["enabled"], "0",
                         "locked: from Windows 7 on only the mixer answers here")
        # Each refusal with its exact message and focus (the order of the checks is the core's).
        s.click_control(OPTIONS, IDOK)
        s.answer_message("Screen Image File Missing", "Screen capture image file not found. "
                         "Cannot use \"Show screen capture\" as method of hiding. Please click "
                         "\"Capture new screen image\" to capture an image or deselect this method "
                         "of hiding.")
        self.assertEqual(s.focused(OPTIONS), CAPTURE_BUTTON)
        s.click_control(OPTIONS, SHOW_CAPTURE, IDOK)
        s.answer_message("Attention", "You have selected password options but haven't specified a "
                         "password. Please click \"Set Password\" or deselect any password options "
                         "before continuing.")
        self.assertEqual(s.focused(OPTIONS), IDOK)
        s.click_control(OPTIONS, PW_COVER, IDOK)
        s.answer_message("Error", "You must select at least one method of hiding.")
        self.assertEqual(s.focused(OPTIONS), MINIMIZE)

        s.click_control(OPTIONS, MINIMIZE, START_WINDOWS, WHEEL)
        s.save_options(program)
        s.wait_no_window(OPTIONS)
        for name, value in {"Hide Method Min": "1", "Hide Method Scr": "0", "Mouse Wheel": "1",
                            "PW Hide Screen Cap": "0", "Start with Windows": "1"}.items():
            self.assertEqual(s.reg_query(OPTIONS_KEY, name), ("REG_SZ", value), name)
        self.assertIsNotNone(s.reg_query(RUN, "Veilora"), "its exact text: the capture test's")
        # The options act at once: the wheel hides now.
        s.click(button=5)
        program.wait_event("hidem")

        # A store that refuses writes: OK says so with the system's reason and stays open.
        self.assertEqual(s.probe("deny-writes", r"Software\Fernwick\Veilora\Options").strip(), "0")
        s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, WHEEL, IDOK)
        program.wait_event("options-not-saved")
        s.answer_message("Options Not Saved", "Your options could not be saved. Access denied")
        self.assertEqual(s.control(OPTIONS, WHEEL)["checked"], "0", "the choice is kept")
        self.assertEqual(s.reg_query(OPTIONS_KEY, "Mouse Wheel"), ("REG_SZ", "1"))

    def test_the_close_box_brings_back_the_stored_options(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1", "Mouse Wheel": "0"})
        s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, WHEEL)
        self.assertEqual(s.control(OPTIONS, WHEEL)["checked"], "1")
        reloads = program.count("options-reloaded")
        # WM_CLOSE, as the close box sends: the dialog takes it as Cancel (Esc is the About test's).
        s.probe("send", "#32770", "0x10", "0", "0")
        program.wait_event("options-reloaded", reloads + 1)
        s.wait_no_window(OPTIONS)
        self.assertEqual(s.reg_query(OPTIONS_KEY, "Mouse Wheel"), ("REG_SZ", "0"))
        s.click(500, 300, button=5)
        s.settle(program)
        self.assertEqual(program.count("hidem"), 0, "the wheel stays off")

    def test_set_and_change_the_password_then_the_prompt_takes_the_new_one(self):
        s = self.session
        program = s.launch((9, 9, 9), **{"Hide Method Scr": "1"})
        s.from_tray(program, "Options", OPTIONS)
        self.assertEqual(s.control(OPTIONS, PASSWORD_BUTTON)["text"], "Set &Password")
        s.click_control(OPTIONS, PASSWORD_BUTTON, window="Set Password")
        self.assertEqual(s.control("Set Password", IDOK)["enabled"], "0", "empty fields")
        self.assertEqual({s.control("Set Password", f)["password"] for f in (PW_NEW, PW_REPEAT)},
                         {str(ord("*"))})
        s.submit("Set Password", {PW_NEW: "first", PW_REPEAT: "firsT"},
                 ("Error", "Passwords do not match."))
        self.assertEqual(s.focused("Set Password"), PW_NEW)
        s.submit("Set Password", {PW_REPEAT: "first"}, ("Success", "Password succesfully set."))
        wait_for(lambda: s.control(OPTIONS, PASSWORD_BUTTON)["text"] == "Change &Password",
                 10, "the button to read Change Password")

        s.click_control(OPTIONS, PASSWORD_BUTTON, window="Change Password")
        # Its refusals, and the field each one puts the focus on, are the unit tests'.
        s.submit("Change Password", {PW_OLD: "first", PW_NEW: "second", PW_REPEAT: "second"},
                 ("Success", "Password succesfully changed."))

        s.click_control(OPTIONS, PW_COVER)
        s.save_options(program)
        s.hide_by_key(program)
        s.open_prompt()
        s.enter_password("second")
        program.wait_event("restore")

    def test_about_box_texts_links_and_a_hide_closing_it_the_menu_and_the_password_dialog(self):
        s = self.session
        program = s.launch((9, 9, 9), **{"Hide Method Scr": "1", "Mouse Wheel": "0"})
        for close in ("Return", "Escape"):
            s.from_tray(program, "About", "About...")
            self.assertIn("Version 2.2", s.static_texts("About..."))
            s.key(close)
            s.wait_no_window("About...")

        # No program for web or mail addresses: the shell says so, and the box tells the person.
        for scheme in ("http", "https", "mailto"):
            s.wine("reg", "delete", f"HKCR\\{scheme}", "/f")
        s.from_tray(program, "About", "About...")
        for link, text in ((405, "Could not start your web browser."),
                           (406, "Could not start your email program.")):
            s.click_control("About...", link)
            s.answer_message("Oops!", text)
        self.assertEqual(program.values("launch"),
                         ["https://www.fernwick.example/", "mailto:support@fernwick.example"])

        # The hide key closes the box, the menu and the password dialogs; the Options dialog
        # stays as it was.
        for opened in ("About box", "tray menu", "Set Password"):
            if opened == "tray menu":
                s.open_tray_menu(program)
            elif opened == "Set Password":
                s.from_tray(program, "Options", OPTIONS)
                s.click_control(OPTIONS, WHEEL, PASSWORD_BUTTON, window="Set Password")
                s.type_into("Set Password", PW_NEW, "half")
            s.hide_by_key(program)
            s.wait_no_window("About...")
            s.wait_no_window("Set Password")
            wait_for(lambda: not s.menu_open(), 10, "the menu to close")
            self.assertEqual(s.above_cover(), [], opened)
            s.restore_by_double_click(program)
        self.assertEqual(s.control(OPTIONS, WHEEL)["checked"], "1", "still there, edits and all")

        # While the box runs, the Options dialog still has its keyboard: Tab moves on, Esc
        # closes it. A second About brings the open box forward instead of another one.
        s.from_tray(program, "About", "About...")
        s.from_tray(program, "Options", OPTIONS)
        first = wait_for(lambda: s.focused(OPTIONS), 10, "a focused control")
        s.key("Tab")
        wait_for(lambda: s.focused(OPTIONS) not in (None, first), 10, "Tab to move the focus")
        commands = program.count("menu-command")
        s.from_tray(program, "About")
        program.wait_event("menu-command", commands + 1)

        def order():
            return [title for title, _ in s.z_order()]
        wait_for(lambda: order().index("About...") < order().index(OPTIONS), 10,
                 "the box to come forward")
        self.assertEqual(len(s.find_windows("About...")), 1)
        s.click_control(OPTIONS, SHOW_CAPTURE)
        s.key("Escape")
        s.wait_no_window(OPTIONS)
        self.assertIsNone(s.reg_query(GENERAL, "Offset"), "the closed dialog stored nothing")

        # The tray menu still works while the box is open; Exit leaves nothing behind.
        s.from_tray(program, "Exit")
        self.assertEqual(program.wait(20), 0)
        s.wait_no_window("About...")

    def test_hot_keys_of_ones_own_choosing_but_not_one_another_program_holds(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1"})
        s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, HIDE_KEY)
        s.key("ctrl+shift+h")
        # Taken by another program only now: a held key never reaches the field.
        holder = s.spawn(s.probe_path(), "holdkey", "6", "0x48")  # MOD_CONTROL | MOD_SHIFT, H
        wait_for(lambda: "held" in holder.output(), 20, "the other program's hot key")
        s.click_control(OPTIONS, IDOK)
        s.answer_message("Hot Key in Use", "The key Ctrl+Shift+H is in use by another program.")
        self.assertEqual(s.focused(OPTIONS), HIDE_KEY)
        s.click_control(OPTIONS, HIDE_KEY)
        s.key("F8")
        s.save_options(program)
        self.assertEqual(s.reg_query(OPTIONS_KEY, "Hide Key"), ("REG_SZ", "119"))
        self.assertEqual(s.reg_query(OPTIONS_KEY, "Toggle Key"), ("REG_SZ", "581"))
        # At once, without a restart: the new key hides, the old one is free again.
        s.key("F8")
        program.wait_event("hidem")
        s.key("grave", "F8")
        program.wait_event("hidem", 2)
        self.assertEqual(program.values("hotkey"), [3, 3])

        # The program's own keys can be typed into the fields too: here they trade places.
        s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, HIDE_KEY)
        s.key("ctrl+e")
        s.click_control(OPTIONS, TOGGLE_KEY)
        s.key("F8")
        s.save_options(program)
        self.assertEqual([s.reg_query(OPTIONS_KEY, name)[1] for name in ("Hide Key", "Toggle Key")],
                         ["581", "119"])
        s.key("ctrl+e")
        program.wait_event("hidem", 3)

    def test_help_from_the_tray_and_from_the_options_or_where_it_looked(self):
        s = self.session
        help_file = s.prog_dir / "veilora.chm"
        kept = help_file.read_bytes()
        help_file.unlink()
        program = s.launch(**{"Hide Method Min": "1"})
        s.from_tray(program, "&Help", "Help Not Available")
        # The path is on a line of its own: the probe's whole output holds it.
        self.assertIn("\n" + s.windows_path(help_file), s.probe("texts", "Help Not Available"))
        s.answer_message("Help Not Available")
        help_file.write_bytes(kept)
        s.from_tray(program, "&Help")
        program.wait_event("help-open", 2)
        s.wait_help_viewer()
        s.from_tray(program, "Options", OPTIONS)
        s.click_control(OPTIONS, HELP)
        program.wait_event("help-open", 3)
        folder = s.windows_path(s.prog_dir)
        self.assertEqual(program.values("help-open")[1:],
                         [folder + "\\veilora.chm", folder + "\\veilora.chm::/Topic26.htm"])
        self.assertTrue(s.find_windows(OPTIONS), "the dialog stays open")

        # Without the viewer's library the message names the file all the same.
        s.stop(program)
        program = s.start(env={"WINEDLLOVERRIDES": BASE_ENV["WINEDLLOVERRIDES"] + ";hhctrl.ocx="})
        program.wait_ready()
        s.from_tray(program, "&Help", "Help Not Available")
        texts = s.probe("texts", "Help Not Available")
        self.assertIn("help viewer", texts)
        self.assertIn("\n" + s.windows_path(help_file), texts)


class FirstRunTest(E2ETestCase):
    def test_the_dialog_opens_ready_so_one_ok_gives_a_program_that_hides(self):
        s = self.session
        for answer in ("Escape", "Return"):
            program = s.start()
            s.wait_window("Veilora")
            self.assertIn(FIRST_RUN, s.static_texts("Veilora"))
            s.key("Return")
            s.wait_window(OPTIONS)
            self.assertEqual(program.count("ready"), 0, "start-up waits for the dialog")
            self.assertEqual(s.control(OPTIONS, MINIMIZE)["checked"], "1")
            s.key(answer)
            program.wait_ready()
            stored = [s.reg_query(GENERAL, "First Run"),
                      s.reg_query(OPTIONS_KEY, "Hide Method Min")]
            if answer == "Escape":
                self.assertEqual(stored, [None, None], "Cancel saves nothing")
                s.stop(program)
        self.assertEqual(stored, [("REG_SZ", "False"), ("REG_SZ", "1")])
        s.key("grave")
        program.wait_event("hidem")
        s.restart(program)
        self.assertEqual(s.find_windows("Veilora"), [], "no question after OK")


if __name__ == "__main__":
    unittest.main()
