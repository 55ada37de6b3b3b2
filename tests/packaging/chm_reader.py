"""Reading a compiled help file back with an independent reader (chmls)."""

import subprocess
from html.parser import HTMLParser


class Links(HTMLParser):
    """Collects link targets, anchor names and sitemap "Local" values of one page."""

    def __init__(self):
        super().__init__()
        self.targets, self.anchors, self.locals = [], set(), []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a" and a.get("href"):
            self.targets.append(a["href"])
        if tag in ("img", "script") and a.get("src"):
            self.targets.append(a["src"])
        if tag == "link" and a.get("href"):
            self.targets.append(a["href"])
        for key in ("name", "id"):
            if tag == "a" and a.get(key):
                self.anchors.add(a[key])
        if tag == "param" and (a.get("name") or "").lower() == "local":
            self.locals.append(a.get("value", ""))


def parse(text):
    links = Links()
    links.feed(text)
    return links


def chmls(*args):
    proc = subprocess.run(["chmls", *args], capture_output=True, text=True, timeout=60)
    if proc.returncode != 0:
        raise AssertionError(f"chmls {' '.join(args)} failed: {proc.stdout}{proc.stderr}")
    return proc.stdout
