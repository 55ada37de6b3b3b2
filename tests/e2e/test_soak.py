"""A short soak: 50 hide/restore cycles leave nothing behind and let nothing grow
(`make soak` runs 1000)."""

import subprocess
import sys
import unittest
from pathlib import Path

SOAK = Path(__file__).resolve().parents[2] / "scripts" / "soak.py"


class SoakTest(unittest.TestCase):
    def test_fifty_cycles_leave_nothing_behind(self):
        proc = subprocess.run([sys.executable, str(SOAK), "50"], capture_output=True, text=True,
                              timeout=600)
        print(proc.stdout[-4000:])
        self.assertEqual(proc.returncode, 0, proc.stdout[-4000:] + proc.stderr[-2000:])


if __name__ == "__main__":
    unittest.main()
