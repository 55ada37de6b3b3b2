"""The help beside the program, opened in a real HTML Help viewer (Wine's)."""

import unittest

from harness import E2ETestCase, _winpath


class HelpViewerTest(E2ETestCase):
    def test_the_viewer_opens_the_options_topic_of_the_help_beside_the_program(self):
        s = self.session
        chm = s.prog_dir / "veilora.chm"
        self.assertTrue(chm.exists(), "veilora.chm is missing: build it with 'make help'")
        # The form the program hands to the viewer for the Options dialog's Help.
        s.spawn("hh.exe", _winpath(chm) + "::/Topic26.htm")
        s.wait_help_viewer()


if __name__ == "__main__":
    unittest.main()
