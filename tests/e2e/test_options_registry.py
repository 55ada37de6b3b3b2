"""Options that another program wrote into the registry, garbage included, load without harm
and are saved back as clean texts."""

import unittest

from harness import EXE_DIR, E2ETestCase

OPTIONS = r"HKCU\Software\Fernwick\Veilora\Options"
GENERAL = r"HKCU\Software\Fernwick\Veilora\General"
RUN = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"


class OptionsRegistryTest(E2ETestCase):
    def test_garbage_loads_and_saves_back_clean(self):
        s = self.session
        prepared = [
            ("ScrEdge Left", "REG_SZ", "abc"),
            ("ScrEdge Right", "REG_SZ", "1"),
            ("ScrEdge Top", "REG_DWORD", "1"),
            ("ScrEdge Bottom", "REG_SZ", "2"),
            ("Corner Top Right", "REG_SZ", " 1"),
            ("Corner Bottom Left", "REG_SZ", ""),
            ("Corner Bottom Right", "REG_BINARY", "31"),
            ("Mouse Wheel", "REG_EXPAND_SZ", "1"),
            ("Middle Button", "REG_SZ", "7" * 4000),
            ("Hide Method Min", "REG_SZ", "1"),
            ("Hide Method Scr", "REG_SZ", "0"),
            ("Start Enabled", "REG_SZ", "junk"),
            ("Start with Windows", "REG_SZ", "1"),
            ("Mute Sound", "REG_SZ", "1"),
            ("Tray Icon", "REG_SZ", "0"),
        ]
        for name, kind, data in prepared:
            s.reg_add(OPTIONS, name, data, kind)
        s.reg_add(GENERAL, "Offset", "ZZ-not-a-password")

        rc, out = s.run_windows_exe(EXE_DIR / "veilora_win32_tests.exe",
                                    "--gtest_filter=PreparedRegistry.*",
                                    env={"VEILORA_PREPARED_REGISTRY": "1"})
        self.assertEqual(rc, 0, out)
        self.assertIn("[  PASSED  ] 1 test", out)

        expected = {
            "ScrEdge Left": "0", "ScrEdge Right": "1", "ScrEdge Top": "0", "ScrEdge Bottom": "0",
            "Corner Top Left": "0", "Corner Top Right": "1", "Corner Bottom Left": "0",
            "Corner Bottom Right": "0", "Mouse Wheel": "1", "Middle Button": "0",
            "Both Buttons": "0", "Hide Method Min": "1", "Hide Method Scr": "0",
            "PW Hide Screen Cap": "0", "PW Options": "0", "Tray Icon": "0",
            "Start with Windows": "1", "Start Enabled": "0", "Mute Sound": "1",
        }
        for name, value in expected.items():
            self.assertEqual(s.reg_query(OPTIONS, name), ("REG_SZ", value), name)
        self.assertEqual(s.reg_query(GENERAL, "First Run"), ("REG_SZ", "False"))
        self.assertEqual(s.reg_query(RUN, "Veilora"),
                         ("REG_SZ", '"C:\\Program Files\\Veilora\\veilora.exe"'))
        self.assertEqual(s.reg_query(GENERAL, "Offset"), ("REG_SZ", "ZZ-not-a-password"),
                         "saving options never touches the password")


if __name__ == "__main__":
    unittest.main()
