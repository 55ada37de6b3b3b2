"""The installer and uninstaller, run silently under Wine as a user would from a script."""

import unittest

import harness
from harness import WIN64_DIR, WIN32_DIR, E2ETestCase, stored_password, wait_for
from installing import SETTINGS, UNINSTALL, VERSION, Installer

RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
INSTALLED_FILES = ["License.txt", "uninstall.exe", "veilora.chm", "veilora.exe"]


class InstallerTest(E2ETestCase):
    def setUp(self):
        super().setUp()
        self.setup = Installer(self.session)

    def keep_some_settings(self):
        s = self.session
        s.set_options(**{"Hide Method Min": "1", "Corner Top Right": "1", "Tray Icon": "0"})
        s.reg_add(SETTINGS + r"\General", "Offset", stored_password("Tulip7"))

    def test_silent_install_then_silent_uninstall_keeps_the_settings(self):
        s = self.session
        self.setup.install("/STARTWITHWINDOWS")

        folder = self.setup.install_dir()
        self.assertEqual(sorted(p.name for p in folder.iterdir()), INSTALLED_FILES)
        self.assertEqual((folder / "veilora.exe").read_bytes(),
                         (WIN64_DIR / "veilora.exe").read_bytes())
        exe = self.setup.c_path(folder / "veilora.exe")
        self.assertIn(exe.encode("utf-16-le"), self.setup.shortcut().read_bytes())
        uninstaller = '"' + self.setup.c_path(folder / "uninstall.exe") + '"'
        for name, value in {"DisplayVersion": VERSION, "Publisher": "Fernwick",
                            "DisplayIcon": exe + ",0", "UninstallString": uninstaller}.items():
            self.assertEqual(s.reg_query(UNINSTALL, name), ("REG_SZ", value), name)
        kind, size = s.reg_query(UNINSTALL, "EstimatedSize")
        self.assertEqual(kind, "REG_DWORD")
        self.assertGreaterEqual(int(size, 16), (folder / "veilora.exe").stat().st_size // 1024)
        # The Run entry exactly as the program's own Options writes it, and the option behind it.
        self.assertEqual(s.reg_query(RUN, "Veilora"), ("REG_SZ", f'"{exe}"'))
        self.assertEqual(s.reg_query(SETTINGS + r"\Options", "Start with Windows"), ("REG_SZ", "1"))

        self.keep_some_settings()
        program = self.setup.start_installed()
        (folder / "scrcap.bmp").write_bytes(b"BM")  # a capture saves beside the program
        before = self.setup.settings()

        self.setup.uninstall()
        self.assertEqual(program.wait(30), 0, "the running copy was asked to end, not killed")
        self.assertEqual([p.name for p in folder.iterdir()], ["scrcap.bmp"],
                         "the program's files are gone, the user's picture stays")
        self.assertFalse(self.setup.shortcut().exists())
        self.assertIsNone(s.reg_query(RUN, "Veilora"))
        self.assertEqual(self.setup.settings(), before)

    def test_installing_over_a_running_older_copy_keeps_the_settings_until_asked(self):
        s = self.session
        self.setup.install()
        self.assertIsNone(s.reg_query(RUN, "Veilora"), "not asked for")
        s.reg_add(UNINSTALL, "DisplayVersion", "2.1.0")
        self.keep_some_settings()
        before = self.setup.settings()
        old = self.setup.start_installed()

        self.setup.install()
        self.assertEqual(old.wait(30), 0, "the running copy was asked to end, not killed")
        self.assertEqual(s.reg_query(UNINSTALL, "DisplayVersion"), ("REG_SZ", VERSION))
        self.assertEqual(self.setup.settings(), before)
        # The update brings the closed program back.
        wait_for(lambda: s.probe("pids", "veilora.exe").split(), 30, "the new copy to start")

        (self.setup.install_dir() / "scrcap.bmp").write_bytes(b"BM")
        # Another program of the same maker keeps its settings.
        s.reg_add(r"HKCU\Software\Fernwick\Other", "Kept", "1")
        self.setup.uninstall("/REMOVESETTINGS")
        wait_for(lambda: not self.setup.install_dir().exists(), 30, "the program folder to go")
        self.assertIsNone(self.setup.settings())
        self.assertEqual(s.reg_query(r"HKCU\Software\Fernwick\Other", "Kept"), ("REG_SZ", "1"))

    @unittest.skipIf(harness.wine32_missing_reason(), "32-bit Wine cannot run here")
    def test_the_32_bit_installer_installs_a_32_bit_program_that_starts(self):
        self.setup.install(arch="x86")
        installed = self.setup.install_dir() / "veilora.exe"
        self.assertEqual(installed.read_bytes(), (WIN32_DIR / "veilora.exe").read_bytes())
        self.session.set_options()
        self.setup.start_installed(bits=32)


if __name__ == "__main__":
    unittest.main()
