#!/usr/bin/env python3
"""Soak: many hide/restore cycles in the real program under Wine, then a check that nothing
was left behind and nothing grew.

Two runs of the program share the cycles: one restores with a plain double-click, the other
asks for a password each time. Each run mixes the ways of hiding (an edge, the hide key, the
wheel, both buttons) with muting on. After twenty warm-up cycles (what a system sets up once,
lazily, is then in place) the program's own count of
live owners of each handle kind, and the resident memory, open descriptors and threads of
its process, are taken; at the end they are taken again. The system's own object counters
show nothing under Wine, so these are the figures that can show a leak.

At the end of each run: no hook beyond the mouse monitor's, no key held, the speakers level
back where it started, no owner count or descriptor or thread more, and resident memory
within MEMORY_MARGIN_KB of the start. A figure that rose is given a second chance: the same
number of cycles again. A leak rises again; what Wine sets up once, late (it hands a process
the descriptor of one of its objects only when first used), does not.

Usage: soak.py [CYCLES]   (default 1000; `make test` runs 50)
"""

import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import HarnessError, Session, stored_password, write_bmp24  # noqa: E402

WARM_UP = 20  # every way of hiding several times: one-time set-ups happen before the count
MEMORY_MARGIN_KB = 2048
PROMPT = "Veilora - Password Required"
GENERAL = r"HKCU\Software\Fernwick\Veilora\General"


def unix_pid(session):
    """The Linux process that runs the program (the one started is only Wine's launcher)."""
    exe = session.windows_path(session.prog_dir / "veilora.exe").lower()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            argv0 = (entry / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
        except OSError:
            continue
        if argv0.lower() == exe:
            return int(entry.name)
    raise HarnessError(f"no process runs {exe}")


def open_files(pid):
    """What each open descriptor of a process refers to."""
    targets = []
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            targets.append(os.readlink(f"/proc/{pid}/fd/{fd}"))
        except OSError:
            pass
    return sorted(targets)


def unix_figures(pid):
    """Resident memory (kB), open descriptors and threads of a process, as Linux sees it."""
    status = Path(f"/proc/{pid}/status").read_text()
    fields = dict(line.split(":", 1) for line in status.splitlines() if ":" in line)
    return {
        "rss-kb": int(fields["VmRSS"].split()[0]),
        "descriptors": len(os.listdir(f"/proc/{pid}/fd")),
        "threads": int(fields["Threads"]),
    }


def figures(session, program):
    return {**session.owner_counts(program), **unix_figures(unix_pid(session))}


def grown(before, after):
    """The figures that rose between two samples (resident memory beyond its margin)."""
    return [key for key in before
            if after[key] > before[key] + (MEMORY_MARGIN_KB if key == "rss-kb" else 0)]


def opened(files_before, files_after):
    """What the descriptors opened between two samples refer to."""
    new = list(files_after)
    for target in files_before:
        if target in new:
            new.remove(target)
    return new


class Run:
    def __init__(self, session, program, password):
        self.s, self.program, self.password = session, program, password
        self.hides = 0

    def hide(self, way):
        s, program = self.s, self.program
        painted = program.count("cover-painted")
        if way == "edge":
            s.move(0, 300)
        elif way == "key":
            s.key("grave")
        elif way == "wheel":
            s.click(button=5)
        else:  # both buttons
            s.xdotool("mousedown", 1, "mousedown", 3, "mouseup", 3, "mouseup", 1)
        program.wait_event("cover-painted", painted + 1)
        self.hides += 1

    def restore(self):
        s, program = self.s, self.program
        restores = program.count("restore")
        s.move(512, 400)
        s.double_click(512, 400)
        if self.password:
            s.wait_window(PROMPT)
            s.type_text(self.password)
            s.key("Return")
        program.wait_event("restore", restores + 1)
        s.settle(program)

    def cycle(self, i):
        self.hide(("edge", "key", "wheel", "both")[i % 4])
        self.restore()


def soak_one(name, cycles, password, warm_up=WARM_UP, env=None, keep_failed=True):
    """One run of the program through `cycles` cycles; returns the problems found (none when
    it passed). `env` is added to the program's environment."""
    s = Session(name, windows_version="winxp")  # muting can be switched on before version 6
    problems = ["did not finish"]
    try:
        s.start_sound()
        write_bmp24(s.prog_dir / "scrcap.bmp", 1024, 768, lambda x, y: (x % 256, y % 256, 128))
        s.set_options(**{"Hide Method Scr": "1", "Start Enabled": "1", "ScrEdge Left": "1",
                         "Mouse Wheel": "1", "Both Buttons": "1", "Mute Sound": "1",
                         "PW Hide Screen Cap": "1" if password else "0"})
        if password:
            s.reg_add(GENERAL, "Offset", stored_password(password))
        program = s.start(env=env)
        program.wait_ready()
        s.settle(program)
        run = Run(s, program, password)
        for i in range(warm_up):
            run.cycle(i)
        before = figures(s, program)
        files_before = open_files(unix_pid(s))
        started = time.monotonic()
        for i in range(cycles):
            run.cycle(i)
        seconds = time.monotonic() - started
        after = figures(s, program)
        files_after = open_files(unix_pid(s))

        print(f"{name}: {cycles} cycles in {seconds:.0f} s ({1000 * seconds / max(cycles, 1):.0f} ms each)")
        print(f"  {'figure':14s} {'start':>9s} {'end':>9s}")
        for key in before:
            print(f"  {key:14s} {before[key]:9d} {after[key]:9d}")
        rose = grown(before, after)
        if rose:
            print(f"  rose: {rose}; {cycles} cycles more tell a leak from a late set-up")
            if "descriptors" in rose:
                print(f"  descriptors opened meanwhile: {opened(files_before, files_after)}")
            for i in range(cycles):
                run.cycle(i)
            again = figures(s, program)
            print(f"  {'':14s} then {' '.join(f'{key}={again[key]}' for key in rose)}")
            before, after, files_before = after, again, files_after
            files_after = open_files(unix_pid(s))
        problems = [f"{key} grew from {before[key]} to {after[key]}"
                    for key in grown(before, after)]
        if after["hook"] != 1:
            problems.append(f"{after['hook']} hooks held; only the mouse monitor's should be")
        held = s.probe("held").split()
        if held:
            problems.append(f"keys held at the end: {held}")
        first_level = program.events("level-read")[0][2]
        last_back = program.events("level-read-back")[-1][2]
        if last_back != first_level:
            problems.append(f"the level ended at {last_back}, not {first_level}")
        if program.count("hidem") != run.hides:
            problems.append(f"{program.count('hidem')} hides traced for {run.hides} asked")
        if after["descriptors"] > before["descriptors"]:
            problems.append(f"descriptors opened meanwhile: {opened(files_before, files_after)}")
        for problem in problems:
            print(f"  PROBLEM: {problem}")
        return problems
    finally:
        s.close(failed=bool(problems) and keep_failed)


def main():
    cycles = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
    plain = cycles // 2
    try:
        results = [not soak_one("soak-plain", plain, None),
                   not soak_one("soak-password", cycles - plain, "pw")]
    except HarnessError as error:
        print(f"soak failed: {error}")
        return 1
    print("soak passed" if all(results) else "soak FAILED")
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
