#!/usr/bin/env python3
"""`make run`: starts veilora.exe under Wine in a virtual desktop with a taskbar.

On the current X display when there is one (until the program ends); otherwise in a private
Xvfb, where it saves a screenshot of the running program to build/run.png and stops it again.
Settings and scrcap.bmp persist between runs in build/run/."""

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness  # noqa: E402

RUN_DIR = ROOT / "build" / "run"
PREFIX = RUN_DIR / "prefix"
PROGRAM_DIR = RUN_DIR / "program"


def display_works(display):
    if not display:
        return False
    return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def main():
    exe = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build" / "win64" / "veilora.exe"
    PROGRAM_DIR.mkdir(parents=True, exist_ok=True)
    shutil.copy2(exe, PROGRAM_DIR / "veilora.exe")
    # make run builds the help first; run by hand, the program says where it looked for it.
    if harness.HELP_FILE.exists():
        shutil.copy2(harness.HELP_FILE, PROGRAM_DIR / "veilora.chm")
    else:
        print(f"No help file at {harness.HELP_FILE} ('make help' builds it): Help will say so.")
    print("Preparing the Wine prefix (the first time takes a few seconds)...")
    harness.make_template(prefix=PREFIX)
    env = dict(os.environ, **harness.BASE_ENV, WINEPREFIX=str(PREFIX))
    program = [harness._winpath(PROGRAM_DIR / "veilora.exe")]

    if display_works(os.environ.get("DISPLAY")):
        print(f"Starting Veilora on {os.environ['DISPLAY']}; end it from its tray icon or close the desktop.")
        return subprocess.call(["wine", *program], env=env)

    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    display = ":" + xvfb.stdout.readline().decode().strip()
    env["DISPLAY"] = display
    trace = RUN_DIR / "run.trace"
    trace.unlink(missing_ok=True)
    env["VEILORA_TRACE"] = harness._winpath(trace)
    log = open(RUN_DIR / "run.log", "wb")
    proc = subprocess.Popen(["wine", *program], env=env, stdout=log, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL)
    try:
        def xdotool(*args):
            return subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True,
                                  text=True).stdout

        def visible(title):
            return xdotool("search", "--onlyvisible", "--name", f"^{title}$").strip()

        def traced(name):
            text = trace.read_text(errors="replace") if trace.exists() else ""
            return sum(1 for line in text.splitlines() if line.split()[1:2] == [name])

        def wait(condition, seconds=60):
            deadline = time.monotonic() + seconds
            while time.monotonic() < deadline and proc.poll() is None and not condition():
                time.sleep(0.2)

        # Up when start-up is done, or when the first-run message waits for the user.
        wait(lambda: traced("ready") or visible("Veilora"))
        if visible("Veilora"):
            # A first run: the message, then the Options dialog. Cancel it (nothing is saved,
            # so the next start asks again) and open it from the tray icon, to show both.
            xdotool("key", "Return")
            wait(lambda: visible("Veilora - Options"))
            xdotool("key", "Escape")
            wait(lambda: traced("ready"))
        if traced("ready"):
            xdotool("mousemove", 1013, 758, "click", 3)
            wait(lambda: traced("menu-shown"), 10)
            lines = trace.read_text(errors="replace").splitlines()
            options = [line.split() for line in lines if " menu-item " in line
                       and line.endswith(" Options")]
            if options:
                left, top, right, bottom = map(int, options[-1][3:7])
                xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
                time.sleep(0.2)
                xdotool("click", 1)
                wait(lambda: visible("Veilora - Options"), 10)
        time.sleep(1)  # let the desktop finish drawing
        shot = ROOT / "build" / "run.png"
        subprocess.run(["import", "-display", display, "-window", "root", str(shot)], env=env,
                       check=True)
        running = proc.poll() is None
        print(f"No X display: ran Veilora in a private Xvfb ({'running' if running else 'ended'}).")
        print(f"Screenshot of the running program, its tray icon and Options dialog: {shot}")
        return 0 if running else 1
    finally:
        proc.kill()
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        xvfb.terminate()


if __name__ == "__main__":
    sys.exit(main())
