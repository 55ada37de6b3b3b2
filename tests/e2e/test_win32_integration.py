"""The Win32 integration tests (GoogleTest, cross-compiled) run under Wine."""

import os
import re
import shutil
import unittest

from harness import EXE_DIR, E2ETestCase, _run_quiet, _winpath


class Win32IntegrationTest(E2ETestCase):
    def read_only_folder(self):
        """A folder holding an old scrcap.bmp that the tests cannot write to. Root writes
        through file permissions, so for root Wine (its server opens the files) runs without
        that privilege. Returns the folder (None when it cannot be made) and the command
        prefix for the tests."""
        folder = self.session.dir / "read-only"
        folder.mkdir()
        (folder / "scrcap.bmp").write_bytes(b"BM an old picture")
        folder.chmod(0o555)
        if os.geteuid() != 0:
            return folder, []
        if not shutil.which("setpriv"):
            return None, []
        prefix = ["setpriv", "--bounding-set=-dac_override,-dac_read_search"]
        env = self.session.env
        _run_quiet(["wineserver", "-k"], env, timeout=60)
        _run_quiet([*prefix, "wineserver", "-p"], env, timeout=60)
        return folder, prefix

    def test_all_win32_integration_tests_pass(self):
        exe = EXE_DIR / "veilora_win32_tests.exe"
        self.assertTrue(exe.exists(), f"{exe} is missing")
        folder, prefix = self.read_only_folder()
        env = dict(self.session.env)
        if folder:
            env["VEILORA_TEST_READONLY_DIR"] = _winpath(folder)
        try:
            rc, out = _run_quiet([*prefix, "wine", _winpath(exe), "--gtest_brief=1"], env,
                                 timeout=600)
        finally:
            (self.session.dir / "read-only").chmod(0o755)  # so that tear-down can remove it
        print(out)
        self.assertEqual(rc, 0, "Win32 integration tests failed:\n" + out[-6000:])
        passed = re.search(r"\[  PASSED  \] (\d+) tests?", out)
        self.assertTrue(passed and int(passed.group(1)) > 0, "no test ran")
        self.assertNotIn("[  FAILED  ]", out)


if __name__ == "__main__":
    unittest.main()
