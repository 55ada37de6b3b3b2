"""The Win32 integration tests (GoogleTest, cross-compiled) run under Wine."""

import re
import unittest

from harness import EXE_DIR, E2ETestCase


class Win32IntegrationTest(E2ETestCase):
    def test_all_win32_integration_tests_pass(self):
        exe = EXE_DIR / "veilora_win32_tests.exe"
        self.assertTrue(exe.exists(), f"{exe} is missing")
        self.session.start_sound()  # the endpoint volume's test needs a sound device
        rc, out = self.session.run_windows_exe(exe, "--gtest_brief=1")
        print(out)
        self.assertEqual(rc, 0, "Win32 integration tests failed:\n" + out[-6000:])
        passed = re.search(r"\[  PASSED  \] (\d+) tests?", out)
        self.assertTrue(passed and int(passed.group(1)) > 0, "no test ran")
        self.assertNotIn("[  FAILED  ]", out)
        # A skipped test checked nothing: here (code page 1252) every one of them can run.
        self.assertIsNone(re.search(r"\[  SKIPPED \]", out), "a test was skipped")


if __name__ == "__main__":
    unittest.main()
