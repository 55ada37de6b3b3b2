"""Driving the packaged installer and uninstaller inside a test session, as a script would."""

import os
from pathlib import Path

from harness import ROOT, HarnessError, wait_for

DIST = Path(os.environ.get("VEILORA_DIST_DIR", ROOT / "build" / "dist"))
VERSION = (os.environ.get("VEILORA_VERSION")
           or (ROOT / "build" / "native" / "version.txt").read_text().strip())
SETTINGS = r"HKCU\Software\Fernwick\Veilora"
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilora"


class Installer:
    def __init__(self, session):
        self.session = session

    def user_dir(self):
        users = [p for p in (self.session.prefix / "drive_c" / "users").iterdir()
                 if p.is_dir() and p.name.lower() != "public"]
        if len(users) != 1:
            raise HarnessError(f"not one user folder: {users}")
        return users[0]

    def install_dir(self):
        return self.user_dir() / "AppData" / "Local" / "Programs" / "Veilora"

    def shortcut(self):
        return (self.user_dir() / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu"
                / "Programs" / "Veilora.lnk")

    def c_path(self, path):
        """The C: name of a path inside the prefix, as the installer writes it."""
        drive_c = self.session.prefix / "drive_c"
        return "C:\\" + str(Path(path).relative_to(drive_c)).replace("/", "\\")

    def install(self, *args, arch="x64"):
        setup = DIST / f"veilora-{VERSION}-{arch}-setup.exe"
        if not setup.exists():
            raise HarnessError(f"{setup} is missing: build it with 'make dist'")
        rc, out = self.session.run_windows_exe(setup, "/S", *args, timeout=180)
        if rc != 0:
            raise HarnessError(f"the installer failed ({rc}): {out}")

    def uninstall(self, *args):
        # The uninstaller hands over to a copy of itself in the temporary folder and returns at
        # once, so wait for what it leaves behind.
        rc, out = self.session.run_windows_exe(self.install_dir() / "uninstall.exe", "/S", *args)
        if rc != 0:
            raise HarnessError(f"the uninstaller failed ({rc}): {out}")
        wait_for(lambda: not (self.install_dir() / "uninstall.exe").exists()
                 and self.session.reg_query(UNINSTALL, "DisplayName") is None,
                 60, "the uninstaller to finish")

    def settings(self):
        """Every value under the program's key, as one text (None when there is no key)."""
        rc, out = self.session.wine("reg", "query", SETTINGS, "/s")
        return out if rc == 0 else None

    def start_installed(self, bits=64):
        program = self.session.start(exe=self.install_dir() / "veilora.exe")
        program.wait_ready(bits=bits)
        return program
