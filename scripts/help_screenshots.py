#!/usr/bin/env python3
"""Screenshots of the real program's dialogs for the help, taken under Wine.

usage: help_screenshots.py OUT_DIR

Runs build/win64/veilora.exe (or $VEILORA_WIN64_DIR) through the end-to-end harness: a private
Xvfb, a fresh Wine prefix, xdotool. Each picture is cropped to its window's frame as the program
reports it; the whole-screen pictures are halved to fit a help page. Every wait has a deadline.

To add a dialog, open it in one of the scenes below and call `shots.window(FILE, TITLE)`; the
picture is then compiled into the help as images/FILE. The Options dialog is taken when the
first run opens it; the others are opened as a person would, from the tray and the cover.
"""

import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness  # noqa: E402
from harness import stored_password, wait_for  # noqa: E402

PROMPT = "Veilora - Password Required"
OPTIONS = "Veilora - Options"


class Shots:
    def __init__(self, session, out_dir):
        self.session = session
        self.out = Path(out_dir)
        self.taken = []

    def _still_screen(self, timeout=10):
        """A screen grab once two grabs in a row agree: the window has finished painting.
        (A blinking caret may differ between two grabs; the next pair then agrees.)"""
        tmp = Path(tempfile.mkdtemp(prefix="veilora-shot-"))
        try:
            last = None

            def settled():
                nonlocal last
                path = tmp / f"{time.monotonic_ns()}.png"
                self.session.screenshot(path)
                data = _pixels(path)
                if last is not None and data == last[1]:
                    return last[0]
                last = (path, data)
                return None

            path = wait_for(settled, timeout, "the screen to stop changing", interval=0.15)
            final = self.out / ".screen.png"
            shutil.copy2(path, final)
            return final
        finally:
            shutil.rmtree(tmp, ignore_errors=True)

    def window(self, name, title, cls=None):
        """The visible window `title`, cropped to its frame."""
        self.session.wait_window(title)
        info = wait_for(lambda: self.session.window_info(title=title, cls=cls), 10,
                        f"the window '{title}' in the probe")[0]
        screen = self._still_screen()
        _convert(screen, "-crop", f"{info['w']}x{info['h']}+{info['x']}+{info['y']}", "+repage",
                 self.out / name)
        self.taken.append(name)

    def screen(self, name, scale="50%"):
        """The whole screen, scaled down."""
        screen = self._still_screen()
        _convert(screen, "-resize", scale, self.out / name)
        self.taken.append(name)


def _pixels(path):
    return subprocess.run(["convert", str(path), "rgb:-"], capture_output=True, check=True,
                          timeout=30).stdout


def _convert(source, *args):
    *options, target = args
    subprocess.run(["convert", str(source), *options, "-strip", str(target)], check=True,
                   timeout=60)


def first_run(s, shots):
    """A fresh registry: the first-run message, then the Options dialog when it opens."""
    program = s.start()
    shots.window("first-run.png", "Veilora", cls="#32770")
    s.key("Return")
    wait_for(lambda: program.events("ready") or s.find_windows(OPTIONS), 30,
             "the Options dialog or the end of start-up")
    if s.find_windows(OPTIONS):
        shots.window("options.png", OPTIONS)
        s.key("Escape")
    s.stop(program)


def harmless_picture(s):
    """A desktop with a shopping list open, saved as the cover picture."""
    notepad = s.start_notepad()
    s.click(300, 200)
    s.type_text("Shopping list\n\n- bread\n- apples\n- coffee\n- batteries for the mouse\n")
    # The probe prints the multi-line text as it is, so look at its whole output.
    wait_for(lambda: "batteries for the mouse" in s.probe("texts", notepad), 10,
             "the text in notepad")
    screen = s.dir / "desktop.png"
    s.screenshot(screen)
    _convert(screen, "-type", "TrueColor", "BMP3:" + str(s.prog_dir / "scrcap.bmp"))


def cover_and_password(s, shots):
    """The cover, then the password prompt that a double-click on it brings up."""
    s.set_options(**{"Hide Method Scr": "1", "PW Hide Screen Cap": "1", "Start Enabled": "0"})
    s.reg_add(r"HKCU\Software\Fernwick\Veilora\General", "Offset", stored_password("secret"))
    program = s.start()
    program.wait_ready()
    s.key("grave")
    program.wait_event("cover-painted")
    s.move(1023, 767)  # out of the picture's way (the pointer is not captured anyway)
    shots.screen("cover.png")
    s.double_click(512, 400)
    s.wait_window(PROMPT)
    s.type_text("secret")
    shots.window("password-prompt.png", PROMPT)
    s.key("Return")
    program.wait_event("restore")
    s.stop(program)


def dialogs(s, shots):
    """The password dialogs, the capture's depth dialog, the about box and the cover's tools."""
    s.set_options(**{"Hide Method Scr": "1", "Start Enabled": "0", "PW Hide Screen Cap": "0"})
    s.wine("reg", "delete", r"HKCU\Software\Fernwick\Veilora\General", "/v", "Offset", "/f")
    program = s.start()
    program.wait_ready()
    s.choose(s.open_tray_menu(program), "Options")
    s.wait_window(OPTIONS)
    s.click_control(OPTIONS, 225)  # the password button
    shots.window("set-password.png", "Set Password")
    for field in (311, 312):
        s.click_control("Set Password", field)
        s.type_text("secret")
    s.key("Return")
    s.wait_window("Success")
    s.key("Return")
    s.click_control(OPTIONS, 225)
    shots.window("change-password.png", "Change Password")
    s.key("Escape")
    s.click_control(OPTIONS, 204)  # "Capture new screen image"
    shots.window("screen-capture.png", "Screen Capture")
    s.key("Escape")
    s.wait_no_window("Screen Capture")
    s.key("Escape")
    s.wait_no_window(OPTIONS)
    s.choose(s.open_tray_menu(program), "About")
    shots.window("about.png", "About...")
    s.key("Escape")
    s.key("grave")
    program.wait_event("cover-painted")
    for item, title, name in (("Window Management", "Window Management", "window-management.png"),
                              ("Volume", "Volume Control", "volume.png")):
        s.choose(s.open_menu(program, lambda: s.click(100, 100, button=3)), item)
        shots.window(name, title)
        s.key("Escape")
        s.wait_no_window(title)
    s.stop(program)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = Path(argv[1])
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    session = harness.Session("help_screenshots")
    failed = True
    try:
        shots = Shots(session, out)
        first_run(session, shots)
        harmless_picture(session)
        cover_and_password(session, shots)
        dialogs(session, shots)
        failed = False
    finally:
        session.close(failed=failed)
        (out / ".screen.png").unlink(missing_ok=True)
    print(f"help screenshots: {', '.join(shots.taken)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
