#!/usr/bin/env python3
"""Compiles the help sources and the screenshots into veilora.chm with chmcmd.

usage: build_chm.py HELP_SOURCES IMAGES_DIR OUT_CHM

The sources are copied into a working folder beside OUT_CHM with the screenshots in images/,
which are added to the project's file list. chmcmd reports a missing file or link only as a
warning and exits 0 even when it crashes, so its output decides: any warning fails the build.
"""

import shutil
import subprocess
import sys
from pathlib import Path


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    sources, images, out = Path(argv[1]), Path(argv[2]), Path(argv[3])
    work = out.parent / "chm-work"
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(sources, work)
    (work / "images").mkdir(exist_ok=True)
    shots = sorted(p for p in images.glob("*.png")) if images.is_dir() else []
    for shot in shots:
        shutil.copy2(shot, work / "images" / shot.name)

    project = work / "veilora.hhp"
    text = project.read_text()
    if not text.endswith("\n"):
        text += "\n"
    text += "".join(f"images\\{shot.name}\n" for shot in shots)
    project.write_text(text)

    proc = subprocess.run(["chmcmd", "--verbosity", "1", project.name], cwd=work,
                          capture_output=True, text=True)
    output = proc.stdout + proc.stderr
    problems = [line for line in output.splitlines()
                if "warning" in line.lower() or "error" in line.lower()
                or "exception" in line.lower()]
    compiled = work / "veilora.chm"
    if proc.returncode != 0 or problems or not compiled.exists():
        print(output, file=sys.stderr)
        print("error: the help did not compile cleanly", file=sys.stderr)
        return 1
    out.parent.mkdir(parents=True, exist_ok=True)
    shutil.move(str(compiled), out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
