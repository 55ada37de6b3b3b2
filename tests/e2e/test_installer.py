"""The installer and uninstaller, run silently under Wine as a user would from a script."""

import os
import unittest
from pathlib import Path

import harness
from harness import ROOT, WIN64_DIR, E2ETestCase, encode_password, wait_for

DIST = Path(os.environ.get("VEILORA_DIST_DIR", ROOT / "build" / "dist"))
VERSION = (os.environ.get("VEILORA_VERSION")
           or (ROOT / "build" / "native" / "version.txt").read_text().strip())
WIN32_DIR = Path(os.environ.get("VEILORA_WIN32_DIR", ROOT / "build" / "win32"))

SETTINGS = r"HKCU\Software\Fernwick\Veilora"
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilora"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
INSTALLED_FILES = ["License.txt", "uninstall.exe", "veilora.chm", "veilora.exe"]


class InstallerTest(E2ETestCase):
    # ------------------------------------------------------------------ helpers
    def user_dir(self):
        users = [p for p in (self.session.prefix / "drive_c" / "users").iterdir()
                 if p.is_dir() and p.name.lower() != "public"]
        self.assertEqual(len(users), 1, users)
        return users[0]

    def install_dir(self):
        return self.user_dir() / "AppData" / "Local" / "Programs" / "Veilora"

    def shortcut(self):
        return (self.user_dir() / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu"
                / "Programs" / "Veilora.lnk")

    def windows_path(self, path):
        drive_c = self.session.prefix / "drive_c"
        return "C:\\" + str(Path(path).relative_to(drive_c)).replace("/", "\\")

    def install(self, *args, arch="x64"):
        setup = DIST / f"veilora-{VERSION}-{arch}-setup.exe"
        self.assertTrue(setup.exists(), f"{setup} is missing: build it with 'make dist'")
        rc, out = self.session.run_windows_exe(setup, "/S", *args, timeout=180)
        self.assertEqual(rc, 0, out)

    def uninstall(self, *args):
        # The uninstaller hands over to a copy of itself in the temporary folder and returns at
        # once, so wait for what it leaves behind.
        rc, out = self.session.run_windows_exe(self.install_dir() / "uninstall.exe", "/S", *args)
        self.assertEqual(rc, 0, out)
        wait_for(lambda: not (self.install_dir() / "uninstall.exe").exists()
                 and self.session.reg_query(UNINSTALL, "DisplayName") is None,
                 60, "the uninstaller to finish")

    def settings(self):
        """Every value under the program's key, as one text."""
        rc, out = self.session.wine("reg", "query", SETTINGS, "/s")
        return out if rc == 0 else None

    def start_installed(self, bits=64):
        program = self.session.start(exe=self.install_dir() / "veilora.exe")
        program.wait_ready(bits=bits)
        return program

    def keep_some_settings(self):
        s = self.session
        s.set_options(**{"Hide Method Min": "1", "Corner Top Right": "1", "Tray Icon": "0"})
        s.reg_add(SETTINGS + r"\General", "Offset", encode_password("Tulip7"))

    # ------------------------------------------------------------------ scenarios
    def test_silent_install_then_silent_uninstall_keeps_the_settings(self):
        s = self.session
        self.install("/STARTWITHWINDOWS")

        folder = self.install_dir()
        self.assertEqual(sorted(p.name for p in folder.iterdir()), INSTALLED_FILES)
        self.assertEqual((folder / "veilora.exe").read_bytes(),
                         (WIN64_DIR / "veilora.exe").read_bytes())
        exe = self.windows_path(folder / "veilora.exe")
        self.assertIn(exe.encode("utf-16-le"), self.shortcut().read_bytes())
        self.assertEqual(s.reg_query(UNINSTALL, "DisplayVersion"), ("REG_SZ", VERSION))
        self.assertEqual(s.reg_query(UNINSTALL, "Publisher"), ("REG_SZ", "Fernwick"))
        self.assertEqual(s.reg_query(UNINSTALL, "DisplayIcon"), ("REG_SZ", exe + ",0"))
        self.assertEqual(s.reg_query(UNINSTALL, "UninstallString"),
                         ("REG_SZ", '"' + self.windows_path(folder / "uninstall.exe") + '"'))
        kind, size = s.reg_query(UNINSTALL, "EstimatedSize")
        self.assertEqual(kind, "REG_DWORD")
        self.assertGreaterEqual(int(size, 16), (folder / "veilora.exe").stat().st_size // 1024)
        # The Run entry exactly as the program's own Options writes it, and the option behind it.
        self.assertEqual(s.reg_query(RUN, "Veilora"), ("REG_SZ", f'"{exe}"'))
        self.assertEqual(s.reg_query(SETTINGS + r"\Options", "Start with Windows"), ("REG_SZ", "1"))

        self.keep_some_settings()
        program = self.start_installed()
        # The program's folder is the person's own: a capture saves beside the program.
        s.choose(s.open_tray_menu(program), "Options")
        s.wait_window("Veilora - Options")
        s.click_control("Veilora - Options", 204)  # "Capture new screen image"
        s.wait_window("Screen Capture")
        s.key("Return")
        s.wait_no_window("Screen Capture")
        s.key("F11")
        program.wait_event("capture-saved")
        s.wait_window("Screen Capture")  # the confirmation
        s.key("Return")
        self.assertTrue((folder / "scrcap.bmp").read_bytes().startswith(b"BM"))
        before = self.settings()

        self.uninstall()
        self.assertEqual(program.wait(30), 0, "the running copy was asked to end, not killed")
        self.assertEqual([p.name for p in folder.iterdir()], ["scrcap.bmp"],
                         "the program's files are gone, the user's picture stays")
        self.assertFalse(self.shortcut().exists())
        self.assertIsNone(s.reg_query(RUN, "Veilora"))
        self.assertEqual(self.settings(), before)

    def test_uninstall_removes_the_settings_when_asked(self):
        s = self.session
        self.install()
        self.assertIsNone(s.reg_query(RUN, "Veilora"), "not asked for")
        self.keep_some_settings()
        (self.install_dir() / "scrcap.bmp").write_bytes(b"BM")
        # Another program of the same maker keeps its settings.
        s.reg_add(r"HKCU\Software\Fernwick\Other", "Kept", "1")

        self.uninstall("/REMOVESETTINGS")
        wait_for(lambda: not self.install_dir().exists(), 30, "the program folder to go")
        self.assertIsNone(self.settings())
        self.assertEqual(s.reg_query(r"HKCU\Software\Fernwick\Other", "Kept"), ("REG_SZ", "1"))

    def test_installing_over_a_running_older_copy_closes_it_and_keeps_the_settings(self):
        s = self.session
        self.install()
        s.reg_add(UNINSTALL, "DisplayVersion", "2.1.0")
        self.keep_some_settings()
        before = self.settings()
        old = self.start_installed()

        self.install()
        self.assertEqual(old.wait(30), 0, "the running copy was asked to end, not killed")
        self.assertEqual(s.reg_query(UNINSTALL, "DisplayVersion"), ("REG_SZ", VERSION))
        self.assertEqual(self.settings(), before)
        # The update brings the closed program back.
        wait_for(lambda: s.probe("pids", "veilora.exe").split(), 30, "the new copy to start")

    @unittest.skipIf(harness.wine32_missing_reason(), "32-bit Wine cannot run here")
    def test_the_32_bit_installer_installs_a_32_bit_program_that_starts(self):
        self.install(arch="x86")
        installed = self.install_dir() / "veilora.exe"
        self.assertEqual(installed.read_bytes(), (WIN32_DIR / "veilora.exe").read_bytes())
        self.session.set_options()
        self.start_installed(bits=32)


if __name__ == "__main__":
    unittest.main()
