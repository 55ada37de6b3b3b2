#!/usr/bin/env python3
"""Builds the packages a Windows user downloads, for both bitnesses:
    veilora-VERSION-x64-setup.exe   veilora-VERSION-x64-portable.zip
    veilora-VERSION-x86-setup.exe   veilora-VERSION-x86-portable.zip

usage: dist.py VERSION_FILE HELP_FILE WIN64_DIR WIN32_DIR STAGE_DIR OUT_DIR

The version comes from VERSION_FILE, which CMake writes from the project version.
"""

import re
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
PACKAGING = ROOT / "packaging"
ARCHES = (("x64", "64"), ("x86", "32"))


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def stage(folder, exe, help_file, version, bits):
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copy2(exe, folder / "veilora.exe")
    shutil.copy2(help_file, folder / "veilora.chm")
    # Text files for Notepad: CRLF line ends.
    (folder / "License.txt").write_bytes(crlf((ROOT / "LICENSE").read_text()).encode())
    readme = (PACKAGING / "ReadMe.txt").read_text()
    readme = readme.replace("@VERSION@", version).replace("@BITS@", bits)
    (folder / "ReadMe.txt").write_bytes(crlf(readme).encode())


def installer(folder, arch, version, out):
    cmd = ["makensis", "-NOCD", "-V2", "-WX", f"-DVERSION={version}", f"-DARCH={arch}",
           f"-DSTAGE={folder}", f"-DICON={ROOT / 'res' / 'veilora.ico'}", f"-DOUTFILE={out}",
           str(PACKAGING / "veilora.nsi")]
    proc = subprocess.run(cmd, capture_output=True, text=True)
    if proc.returncode != 0 or not out.exists():
        sys.exit(f"makensis failed for {arch}:\n{proc.stdout}{proc.stderr}")


def portable_zip(folder, out):
    tmp = out.with_suffix(".tmp")
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name in ("veilora.exe", "veilora.chm", "ReadMe.txt", "License.txt"):
            z.write(folder / name, name)
    tmp.replace(out)


def main(argv):
    if len(argv) != 7:
        print(__doc__, file=sys.stderr)
        return 2
    version_file, help_file, win64, win32, stage_dir, out_dir = map(Path, argv[1:])
    version = version_file.read_text().strip()
    if not re.fullmatch(r"\d+\.\d+\.\d+", version):
        sys.exit(f"{version_file}: not a version: {version!r}")
    dirs = {"x64": win64, "x86": win32}
    for arch, _ in ARCHES:
        if not (dirs[arch] / "veilora.exe").exists():
            sys.exit(f"{dirs[arch] / 'veilora.exe'} is missing: build it first")
    if not help_file.exists():
        sys.exit(f"{help_file} is missing: build the help first")

    out_dir.mkdir(parents=True, exist_ok=True)
    # Only this version's packages: older ones would be mistaken for the current build.
    for old in out_dir.glob("veilora-*"):
        old.unlink()
    for arch, bits in ARCHES:
        folder = stage_dir / arch
        stage(folder, dirs[arch] / "veilora.exe", help_file, version, bits)
        setup = out_dir / f"veilora-{version}-{arch}-setup.exe"
        installer(folder, arch, version, setup)
        portable = out_dir / f"veilora-{version}-{arch}-portable.zip"
        portable_zip(folder, portable)
    for package in sorted(out_dir.glob("veilora-*")):
        print(f"{package.name:40} {package.stat().st_size:>10,} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
