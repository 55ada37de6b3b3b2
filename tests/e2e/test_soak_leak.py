"""The soak can fail: a program that holds one GDI object, one kernel handle and one registry
key more at every hide (a test-only switch of traced runs) is caught, and the verdict names
what grew."""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import soak  # noqa: E402


class SoakLeakTest(unittest.TestCase):
    def test_a_short_soak_names_each_kind_of_handle_that_leaked(self):
        problems = soak.soak_one("soak-leak", 3, None, warm_up=2,
                                 env={"VEILORA_TEST_LEAK": "1"}, keep_failed=False)
        grew = {p.split()[0] for p in problems if " grew from " in p}
        self.assertLessEqual({"gdi", "kernel", "registry-key"}, grew, problems)


if __name__ == "__main__":
    unittest.main()
