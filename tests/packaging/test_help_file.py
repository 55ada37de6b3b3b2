"""veilora.chm read back by an independent reader (chmls): the contents, the index and every
link inside point at topics that are really in the file."""

import os
import re
import tempfile
import unittest
from pathlib import Path
from urllib.parse import unquote, urlsplit

from chm_reader import chmls, parse

ROOT = Path(__file__).resolve().parents[2]
HELP_FILE = Path(os.environ.get("VEILORA_HELP_FILE",
                                ROOT / "build" / "native" / "help" / "veilora.chm"))


class HelpFileTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not HELP_FILE.exists():
            raise AssertionError(f"{HELP_FILE} is missing: build it with 'make help'")
        tmp = tempfile.TemporaryDirectory()
        cls.addClassCleanup(tmp.cleanup)
        out = Path(tmp.name)
        for what, name in (("all", "files"), ("toc", "toc.hhc"), ("index", "index.hhk")):
            chmls("extract" + what, str(HELP_FILE), str(out / name))
        cls.files = {p.relative_to(out / "files").as_posix().lower(): p
                     for p in (out / "files").rglob("*") if p.is_file()}
        cls.toc, cls.index = (parse((out / name).read_text(errors="replace")).locals
                              for name in ("toc.hhc", "index.hhk"))
        cls.system = chmls("printsystem", str(HELP_FILE))

    def topics(self):
        return sorted(name for name in self.files if name.endswith(".htm"))

    def test_contents_and_index_name_only_topics_that_exist(self):
        self.assertIn("Topic26.htm", self.toc, "the Options topic, named with this exact case")
        self.assertGreaterEqual(len(self.toc), 8)
        self.assertGreater(len(self.index), 20)
        for local in self.toc + self.index:
            self.assertTrue(local.lower() in self.files, f"'{local}' is named but missing")
        self.assertEqual(sorted({t.lower() for t in self.toc}), self.topics(),
                         "every topic is reachable from the contents")

    def test_every_link_inside_points_at_something_inside(self):
        pages = {name: parse(self.files[name].read_text()) for name in self.topics()}
        for name, page in pages.items():
            for target in page.targets:
                parts = urlsplit(target)
                if parts.scheme in ("http", "https", "mailto"):
                    continue
                path = unquote(parts.path).lower() or name
                with self.subTest(page=name, link=target):
                    self.assertTrue(path in self.files, f"{target} is not in the help file")
                    if parts.fragment:
                        self.assertIn(parts.fragment, pages[path].anchors)

    def test_the_viewer_finds_title_and_start_page(self):
        self.assertRegex(self.system, r"Title from \[options\]\s*:Veilora Help")
        start = re.search(r"Default topic from \[options\]\s*:([^\s\x00]+)", self.system)
        self.assertIsNotNone(start)
        self.assertTrue(start.group(1).lower() in self.files, start.group(1))


if __name__ == "__main__":
    unittest.main()
