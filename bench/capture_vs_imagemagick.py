#!/usr/bin/env python3
"""The capture step under Wine on a 1920x1080 screen, against ImageMagick doing the same work.

Ours, inside one running process as when the user presses F11: grab the primary screen, encode
it, write it to a temporary file, flush it and put it in the place of scrcap.bmp; then the
cover's own loading of the new file. ImageMagick, in the same run and on the same screen,
alternating with ours: `import -window root` then `convert -dither None -remap` with the
halftone table for 256 colours, and `import -window root` straight to a 24-bit bitmap for
true colour (each a whole process, as there is no other way to run it).
Reported as p50/p99 against the targets for the capture step (start to file replaced): 256
colours <= 150 ms, true colour <= 100 ms; and at least 10 times faster than ImageMagick's
256-colour pipeline, counting our cover reload too. The first capture after each program start
is shown apart: it is the one a user usually waits for."""

import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness  # noqa: E402
from harness import Session, WIN64_DIR, _run_quiet, _winpath, wait_for  # noqa: E402

WIDTH, HEIGHT = 1920, 1080
ROUNDS = int(os.environ.get("CAPTURE_ROUNDS", "8"))
RUNS_PER_ROUND = int(os.environ.get("CAPTURE_RUNS", "10"))
MAGICK_PER_ROUND = int(os.environ.get("MAGICK_RUNS", "2"))
TARGET_MS = {2: 150.0, 3: 100.0}
TARGET_RATIO = 10.0
NAMES = {2: "256 colours", 3: "true colour"}
MAGICK_NAMES = {2: "ImageMagick import + remap", 3: "ImageMagick import to 24 bits"}


class WideSession(Session):
    """A session whose X screen and Wine desktop are 1920x1080."""

    def _copy_prefix(self):
        super()._copy_prefix()
        # Before the prefix's server starts: any Wine command would make the desktop at once.
        reg = self.prefix / "user.reg"
        text = reg.read_text()
        old = f'"{harness.DESKTOP}"="{harness.SCREEN_W}x{harness.SCREEN_H}"'
        if old not in text:
            raise harness.HarnessError("the template prefix has no desktop size to change")
        reg.write_text(text.replace(old, f'"{harness.DESKTOP}"="{WIDTH}x{HEIGHT}"'))

    def _start_x(self):
        self._xvfb, self.display = self._start_server(
            ["Xvfb", "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp", "-noreset"], {})


def percentile(values, p):
    ordered = sorted(values)
    k = (len(ordered) - 1) * p / 100
    lo, hi = int(k), min(int(k) + 1, len(ordered) - 1)
    return ordered[lo] + (ordered[hi] - ordered[lo]) * (k - lo)


def firsts_of(runs):
    """The first capture of each program start (runs come in blocks of RUNS_PER_ROUND)."""
    return runs[::RUNS_PER_ROUND]


def timed(cmd, env):
    start = time.perf_counter()
    rc, out = _run_quiet(cmd, env, timeout=120)
    if rc != 0:
        raise harness.HarnessError(f"{' '.join(map(str, cmd))} failed: {out[-500:]}")
    return (time.perf_counter() - start) * 1000


def main():
    s = WideSession("bench-capture")
    work = Path(tempfile.mkdtemp(prefix="veilora-capture-bench-"))
    try:
        exe = WIN64_DIR / "capture_bench_win32.exe"
        if not exe.exists():
            raise harness.HarnessError(f"{exe} is missing: build it with 'make win64'")
        ready = s.dir / "picture-shown"
        s.spawn(_winpath(exe), "show", _winpath(ready))
        wait_for(ready.exists, 60, "the bench picture on the screen")

        halftone = work / "halftone.ppm"
        levels = (0, 64, 128, 192, 255)
        halftone.write_text("P3 125 1 255\n" + "".join(
            f"{r} {g} {b}\n" for b in levels for g in levels for r in levels))
        out_dir = s.prog_dir

        env = dict(s.env)
        ours = {2: [], 3: []}
        magick = {2: [], 3: []}
        for _ in range(ROUNDS):
            for depth in (2, 3):
                rc, out = s.run_windows_exe(exe, "capture", str(depth), str(RUNS_PER_ROUND),
                                            _winpath(out_dir), timeout=300)
                if rc != 0:
                    raise harness.HarnessError(f"capture bench failed ({rc}): {out[-2000:]}")
                for line in out.splitlines():
                    parts = line.split()
                    if len(parts) == 8 and parts[0] == "run":
                        ours[depth].append([int(v) / 1000 for v in parts[2:]])
                for _ in range(MAGICK_PER_ROUND):
                    grab = work / "screen.miff"
                    if depth == 2:
                        ms = timed(["import", "-display", s.display, "-window", "root",
                                    str(grab)], env)
                        ms += timed(["convert", str(grab), "-dither", "None", "-remap",
                                     str(halftone), "-type", "Palette", f"BMP3:{work}/m8.bmp"], env)
                    else:
                        ms = timed(["import", "-display", s.display, "-window", "root",
                                    "-type", "TrueColor", f"BMP3:{work}/m24.bmp"], env)
                    magick[depth].append(ms)

        print(f"capture step on a {WIDTH}x{HEIGHT} screen under Wine: {ROUNDS} program starts x "
              f"{RUNS_PER_ROUND} captures per depth; ImageMagick {MAGICK_PER_ROUND} per round")
        parts = ("grab", "encode", "write+flush+replace", "capture step (file replaced)",
                 "cover picture reloaded", "capture step + reload")
        for depth in (2, 3):
            runs = ours[depth]
            print(f"  {NAMES[depth]} ({len(runs)} captures)")
            for i, label in enumerate(parts):
                values = [r[i] for r in runs]
                print(f"    {label:30s} p50 {percentile(values, 50):7.1f} ms   "
                      f"p99 {percentile(values, 99):7.1f} ms")
            firsts = [r[3] for r in firsts_of(runs)]
            print(f"    {'first capture after a start':30s} p50 {percentile(firsts, 50):7.1f} ms   "
                  f"max {max(firsts):7.1f} ms")
            m = magick[depth]
            print(f"    {MAGICK_NAMES[depth]:30s} p50 {percentile(m, 50):7.1f} ms   "
                  f"p99 {percentile(m, 99):7.1f} ms   ({len(m)} runs)")
            step_p99 = percentile([r[3] for r in runs], 99)
            ratio = percentile(m, 50) / percentile([r[5] for r in runs], 50)
            verdict = f"met" if step_p99 <= TARGET_MS[depth] else "NOT met"
            print(f"    capture step p99 {step_p99:.1f} ms, target <= {TARGET_MS[depth]:.0f} ms: "
                  f"{verdict}")
            if depth == 2:
                print(f"    {ratio:.1f}x faster than ImageMagick (p50, with the reload), target "
                      f"{TARGET_RATIO:.0f}x: {'met' if ratio >= TARGET_RATIO else 'NOT met'}")
            else:
                print(f"    {ratio:.1f}x faster than ImageMagick (p50, with the reload); both read "
                      "the same 8 MB from the X server, which bounds this ratio")
        return 0
    finally:
        s.close()
        subprocess.run(["rm", "-rf", str(work)])


if __name__ == "__main__":
    sys.exit(main())
