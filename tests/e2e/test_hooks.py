"""The mouse triggers never die silently: a hook the system removed comes back by itself."""

import time
import unittest

from harness import E2ETestCase, wait_for

WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK = "0x2B1", "8"
DROP_MOUSE_HOOK = "0x8003"  # test-only message, honoured in traced runs


class HookWatchdogTest(E2ETestCase):
    def test_a_removed_mouse_hook_is_installed_again_and_the_edge_hides(self):
        s = self.session
        program = s.launch(**{"Hide Method Min": "1", "Start Enabled": "1", "ScrEdge Left": "1"})
        s.settle(program)

        s.probe("send", "VeiloraMain", DROP_MOUSE_HOOK, "0", "0")
        program.wait_event("hook-dropped")
        for i in range(40):  # the person keeps using the mouse
            s.move(300 + i, 300)
            if program.count("hook-reinstalled"):
                break
            time.sleep(0.1)
        program.wait_event("hook-reinstalled", timeout=10)
        hides = program.count("hidem")
        s.move(0, 300)
        program.wait_event("hidem", hides + 1)

        # Back from a locked session the hooks are installed anew at once.
        s.move(400, 300)
        s.probe("send", "VeiloraMain", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, "0")
        wait_for(lambda: (0, "hook-reinstalled", 3) in [(0, n, v) for _, n, v in program.trace()],
                 10, "the hooks after the unlock")


if __name__ == "__main__":
    unittest.main()
