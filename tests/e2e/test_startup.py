"""Starting, refusing a second copy, and ending on request."""

import shutil
import unittest

from harness import PASSWORD_PROMPT, BASE_ENV, EXE_DIR, E2ETestCase, stored_password

GENERAL = r"HKCU\Software\Fernwick\Veilora\General"
OPTIONS = "Veilora - Options"


class StartupTest(E2ETestCase):
    def test_second_start_is_refused_and_brings_the_first_ones_options_behind_the_password(self):
        s = self.session
        s.reg_add(GENERAL, "Offset", stored_password("pw"))
        # With the invisible icon this is the way back to the options.
        first = s.launch(**{"Hide Method Min": "1", "Tray Icon": "0", "PW Options": "1"})
        second = s.start()
        s.answer_message("Already Running", "This program is already running.")
        self.assertEqual(second.wait(20), 0)
        first.wait_event("options-requested")
        s.wait_window(PASSWORD_PROMPT)
        s.enter_password("pw")
        s.wait_window(OPTIONS)

    def test_the_end_of_the_session_ends_the_program_cleanly(self):
        s = self.session
        program = s.launch(**{"Hide Method Scr": "1"})
        s.key("grave")  # even while hidden
        program.wait_event("cover-painted")
        # What the system sends when the user logs off: may we end, then the end itself.
        self.assertEqual(s.probe("send", "VeiloraMain", "0x11", "0", "0").strip(), "1")
        s.probe("send", "VeiloraMain", "0x16", "1", "0")
        self.assertEqual(program.wait(20), 0)
        self.assertEqual(s.probe("pids", "veilora.exe").split(), [])

    def test_a_start_without_a_desktop_ends_and_keeps_the_systems_reason(self):
        s = self.session
        s.without_desktop()
        program = s.start()
        self.assertEqual(program.wait(20), 1)
        self.assertEqual(program.values("startup-failed"), [1400])  # no window could be made


class PlantedLibraryTest(E2ETestCase):
    windows_version = "winxp"

    def test_system_libraries_planted_beside_the_program_are_never_loaded(self):
        s = self.session
        s.start_sound()
        for name in ("winmm.dll", "wtsapi32.dll", "hhctrl.ocx", "vdmdbg.dll"):
            shutil.copy2(EXE_DIR / "planted.dll", s.prog_dir / name)
        s.set_options(**{"Hide Method Scr": "1", "Mute Sound": "1"})
        # As on Windows, a DLL beside the program comes first unless the program says where
        # to look (Wine otherwise prefers its own copies of these).
        native_first = BASE_ENV["WINEDLLOVERRIDES"] + ";winmm,wtsapi32,hhctrl.ocx,vdmdbg=n,b"
        program = s.start(env={"WINEDLLOVERRIDES": native_first})
        program.wait_ready()
        s.from_tray(program, "&Help")  # the help viewer's library
        program.wait_event("help-open")
        s.key("grave")
        program.wait_event("level-read-back")
        s.choose(s.open_cover_menu(program, 300, 300), "Window Management")
        s.wait_window("Window Management")  # the 16-bit task library, where there is one
        s.double_click(50, 700)
        program.wait_event("restore")
        self.assertGreater(program.events("level-read")[0][2], 50, "the real mixer was used")
        self.assertEqual(sorted(p.name for p in s.prog_dir.glob("*.loaded")), [])


if __name__ == "__main__":
    unittest.main()
