"""End-to-end harness: the real veilora.exe under Wine, in a private Xvfb display.

Every test gets its own X display, a fresh Wine prefix copied from a template made once per
run, a Wine virtual desktop of 1024x768 with its taskbar always shown, and a temporary program
folder holding a copy of the exe. Nothing here sleeps blindly: waits poll a condition with a
deadline. Only what a session started is torn down.
"""

import contextlib
import fcntl
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WIN64_DIR = Path(os.environ.get("VEILORA_WIN64_DIR", ROOT / "build" / "win64"))
WIN32_DIR = Path(os.environ.get("VEILORA_WIN32_DIR", ROOT / "build" / "win32"))
# Which program the tests run: the 64-bit one, or with VEILORA_BITS=32 the 32-bit one. Its
# observers (probe, key logger, test DLLs) come from the same build: under Wine a 32-bit
# program's low-level hooks do not chain to 64-bit ones.
BITS = int(os.environ.get("VEILORA_BITS", "64"))
EXE_DIR = WIN32_DIR if BITS == 32 else WIN64_DIR
WINE32_MISSING = ROOT / "build" / "wine32-unavailable"


def wine32_missing_reason():
    """Why 32-bit programs cannot run here, or None when they can."""
    if WINE32_MISSING.exists():
        return WINE32_MISSING.read_text().strip() or "wine32:i386 could not be installed"
    if not Path("/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll").exists():
        return "wine32:i386 is not installed (scripts/ensure-deps.sh installs it)"
    return None
# The compiled help, put beside the program when it has been built (make help).
HELP_FILE = Path(os.environ.get("VEILORA_HELP_FILE",
                                ROOT / "build" / "native" / "help" / "veilora.chm"))
WORK = Path(os.environ.get("VEILORA_E2E_WORK", ROOT / "build" / "e2e"))
ARTIFACTS = Path(os.environ.get("VEILORA_E2E_ARTIFACTS", ROOT / "build" / "e2e-artifacts"))
TEMPLATE = WORK / "template-prefix"
DESKTOP = "veilora"
# The help file's own title, which the help viewer shows.
HELP_VIEWER_TITLE = "Veilora Help"
PASSWORD_PROMPT = "Veilora - Password Required"
SCREEN_W, SCREEN_H = 1024, 768

BASE_ENV = {
    "WINEDEBUG": "-all",
    # No Mono or Gecko installer prompts in a fresh prefix; no menu entries or icons in the
    # real home folder for the shortcuts an installer makes.
    "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=",
    "LANG": "C.UTF-8",
}

DESKTOP_REG = f"""REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="{DESKTOP}"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"{DESKTOP}"="{SCREEN_W}x{SCREEN_H}"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\{DESKTOP}]
"EnableShell"=dword:00000001
"""


class HarnessError(AssertionError):
    pass


def wait_for(condition, timeout, what, interval=0.05):
    """Polls condition() until it returns something truthy; fails with `what` at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise HarnessError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def _run_quiet(cmd, env, timeout=60, cwd=None):
    """Runs a command with its output in a file: Wine's services keep inherited pipes open."""
    with tempfile.TemporaryFile() as out:
        proc = subprocess.run(cmd, env=env, stdout=out, stderr=subprocess.STDOUT,
                              stdin=subprocess.DEVNULL, timeout=timeout, cwd=cwd)
        out.seek(0)
        return proc.returncode, out.read().decode("utf-8", "replace")


def make_template(force=False, prefix=None):
    """Creates a prefix (by default the tests' template) once, under a lock so parallel tests
    share it: a virtual desktop with its taskbar always shown, and Wine's own fonts."""
    prefix = Path(prefix or TEMPLATE)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    with open(prefix.parent / (prefix.name + ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        ready = prefix / ".ready"
        # A prefix made before the 32-bit Wine was there cannot run 32-bit programs.
        wow64 = wine32_missing_reason() is None
        stale = wow64 and not (prefix / "drive_c" / "windows" / "syswow64").exists()
        if ready.exists() and not force and not stale:
            return prefix
        shutil.rmtree(prefix, ignore_errors=True)
        env = dict(os.environ, **BASE_ENV, WINEPREFIX=str(prefix))
        env.pop("DISPLAY", None)
        rc, out = _run_quiet(["wineboot", "-i"], env, timeout=300)
        if rc != 0:
            raise HarnessError(f"wineboot failed ({rc}): {out[-2000:]}")
        reg = prefix.parent / (prefix.name + "-desktop.reg")
        reg.write_text(DESKTOP_REG.replace("\n", "\r\n"))
        _run_quiet(["wine", "regedit", "/S", _winpath(reg)], env, timeout=120)
        _run_quiet(["wineserver", "-w"], env, timeout=120)
        # Debian's Wine does not find fonts-wine by itself (caption buttons would draw as letters).
        fonts = prefix / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in Path("/usr/share/wine/fonts").glob("*"):
            link = fonts / font.name
            if not link.exists():
                link.symlink_to(font)
        ready.write_text("ok\n")
        return prefix


def _winpath(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class Program:
    """A running veilora.exe (the wine process becomes the program itself)."""

    def __init__(self, proc, log_path, trace_path):
        self.proc = proc
        self.log_path = log_path
        self.trace_path = Path(trace_path)

    def trace(self):
        """The program's trace: a list of (microseconds, event, value or None). A value is a
        number, or for text events (such as "help-open") the rest of the line."""
        try:
            lines = self.trace_path.read_text(encoding="utf-8", errors="replace").splitlines()
        except OSError:
            return []
        events = []
        for line in lines:
            parts = line.split(" ", 2)
            if len(parts) >= 2:
                value = None
                if len(parts) > 2:
                    try:
                        value = int(parts[2])
                    except ValueError:
                        value = parts[2]
                events.append((int(parts[0]), parts[1], value))
        return events

    def events(self, name):
        return [e for e in self.trace() if e[1] == name]

    def count(self, name):
        return len(self.events(name))

    def values(self, name):
        """The values traced with `name`, in order."""
        return [e[2] for e in self.events(name)]

    def levels(self):
        """The speakers level as the program read and wrote it: ("level-read", n),
        ("level-read-failed", None) and ("level-write", n, what the mixer then held)."""
        out = []
        for _, name, value in self.trace():
            if name in ("level-read", "level-read-failed", "level-write"):
                out.append((name, value))
            elif name == "level-read-back" and out:
                out[-1] = out[-1] + (value,)
        return out

    def wait_event(self, name, count=1, timeout=15):
        """Waits until `name` has been traced at least `count` times; returns the last one."""
        wait_for(lambda: self.count(name) >= count, timeout, f"{count} x '{name}'")
        return self.events(name)[count - 1]

    def moves_handled(self):
        return [(v // 65536, v % 65536) for _, n, v in self.trace() if n == "mouse-move"]

    def wait_ready(self, timeout=30, bits=None):
        """Waits until start-up is complete (the monitor listens, the hot keys work), and
        checks that the program of the expected bitness ran."""
        wait_for(lambda: self.events("ready") or not self.running(), timeout, "start-up")
        if not self.running():
            traced = " ".join(name for _, name, _ in self.trace()) or "nothing"
            raise HarnessError(f"the program ended during start-up with exit code "
                               f"{self.proc.returncode} (traced: {traced}): {self.output()}")
        expected = bits or BITS
        ran = [v for _, name, v in self.trace() if name == "program-bits"]
        if ran and ran[0] != expected:
            raise HarnessError(f"the {ran[0]}-bit program ran where the {expected}-bit one was meant")

    @property
    def pid(self):
        return self.proc.pid

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=15):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"program still running after {timeout} s")

    def output(self):
        try:
            return Path(self.log_path).read_text(errors="replace")
        except OSError:
            return ""

    def kill(self):
        if self.running():
            self.proc.kill()
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.proc.wait(timeout=5)


class Session:
    """One test's private world: X display, Wine prefix, program folder."""

    def __init__(self, name, windows_version=None, monitors=1):
        # The 32-bit run of a test may run beside the 64-bit one: each needs its own folder.
        self.name = re.sub(r"[^A-Za-z0-9_.-]", "_", name) + (".x86" if BITS == 32 else "")
        self.monitors = monitors
        self._xephyr = None
        self.dir = WORK / "runs" / self.name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.prefix = self.dir / "prefix"
        self.prog_dir = self.dir / "prog"
        self.prog_dir.mkdir()
        self.programs = []
        self._pulse_env = None
        self._xvfb = None
        self._wineserver_started = False
        self._desktop_up = False
        self.exe = EXE_DIR / "veilora.exe"
        if not self.exe.exists():
            raise HarnessError(f"{self.exe} is missing: build it with 'make win{BITS}'")
        shutil.copy2(self.exe, self.prog_dir / "veilora.exe")
        if HELP_FILE.exists():
            shutil.copy2(HELP_FILE, self.prog_dir / "veilora.chm")
        self._copy_prefix()
        if monitors > 1:
            # Each Wine window an X window of its own: no virtual desktop spanning one head. Taken
            # out of the copy before any Wine process starts the desktop.
            reg = self.prefix / "user.reg"
            reg.write_text(reg.read_text().replace('"Desktop"="veilora"\n', ""))
        self._start_x()
        self.env = dict(os.environ, **BASE_ENV, WINEPREFIX=str(self.prefix), DISPLAY=self.display)
        # Only the session's own sound server, if it starts one: never the developer's.
        for name in [n for n in self.env if n.startswith("PULSE_")] + ["XDG_RUNTIME_DIR"]:
            self.env.pop(name, None)
        self.env["XDG_RUNTIME_DIR"] = str(self.dir)
        self.env.pop("VEILORA_TRACE", None)
        # A persistent wineserver makes the many short wine commands fast.
        subprocess.Popen(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL).wait(timeout=30)
        self._wineserver_started = True
        if windows_version:
            self.reg_add(r"HKCU\Software\Wine\AppDefaults\veilora.exe", "Version", windows_version)

    # ------------------------------------------------------------------ set-up and tear-down
    def _copy_prefix(self):
        template = make_template()
        # Hard links are cheap; the .reg files are rewritten in place by Wine, so copy those.
        subprocess.run(["cp", "-al", str(template), str(self.prefix)], check=True)
        for reg in ("system.reg", "user.reg", "userdef.reg"):
            subprocess.run(["cp", "--remove-destination", str(template / reg),
                            str(self.prefix / reg)], check=True)
        (self.prefix / ".ready").unlink(missing_ok=True)

    def _start_x(self):
        size = "2000x1000" if self.monitors > 1 else f"{SCREEN_W}x{SCREEN_H}"
        self._xvfb, self.display = self._start_server(
            ["Xvfb", "-screen", "0", f"{size}x24", "-nolisten", "tcp", "-noreset"], {})
        if self.monitors > 1:
            # Xvfb gives Wine one monitor; a nested Xephyr with Xinerama gives it two side by
            # side: 1024x768 (primary) and 800x600 to its right.
            outer = self.display
            self._xephyr, self.display = self._start_server(
                ["Xephyr", "-screen", f"{SCREEN_W}x{SCREEN_H}+0+0", "-screen", "800x600+1024+0",
                 "+xinerama", "-extension", "RANDR", "-nolisten", "tcp", "-noreset"],
                {"DISPLAY": outer})

    @staticmethod
    def _start_server(cmd, env):
        rfd, wfd = os.pipe()
        proc = subprocess.Popen(cmd[:1] + ["-displayfd", str(wfd)] + cmd[1:], pass_fds=(wfd,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True, env=dict(os.environ, **env))
        os.close(wfd)
        with os.fdopen(rfd) as r:
            number = r.readline().strip()
        if not number:
            raise HarnessError(f"{cmd[0]} did not start")
        return proc, f":{number}"

    def close(self, failed=False):
        if failed:
            self.save_artifacts()
        for program in self.programs:
            program.kill()
        if self._pulse_env:
            with contextlib.suppress(Exception):
                _run_quiet(["pulseaudio", "--kill"], self._pulse_env, timeout=20)
            shutil.rmtree(self._pulse_dir, ignore_errors=True)
        if self._wineserver_started:
            with contextlib.suppress(Exception):
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for server in (self._xephyr, self._xvfb):
            if server and server.poll() is None:
                server.terminate()
                with contextlib.suppress(subprocess.TimeoutExpired):
                    server.wait(timeout=5)
                if server.poll() is None:
                    server.kill()
        if not failed and not os.environ.get("VEILORA_E2E_KEEP"):
            shutil.rmtree(self.dir, ignore_errors=True)

    def save_artifacts(self):
        out = ARTIFACTS / self.name
        out.mkdir(parents=True, exist_ok=True)
        with contextlib.suppress(Exception):
            self.screenshot(out / "screen.png")
        for i, program in enumerate(self.programs):
            with contextlib.suppress(Exception):
                (out / f"program-{i}.log").write_text(program.output())
        for trace in self.dir.glob("*.trace"):
            with contextlib.suppress(Exception):
                shutil.copy2(trace, out / trace.name)
        with contextlib.suppress(Exception):
            (out / "windows.txt").write_text(self.probe("windows"))

    def start_sound(self):
        """A private PulseAudio server with a null sink, which gives Wine a working mixer.
        Programs started afterwards use it."""
        # Short: a unix socket path must stay under 108 bytes.
        run = Path(tempfile.mkdtemp(prefix="veilora-pa-"))
        self._pulse_dir = run
        env = dict(self.env, XDG_RUNTIME_DIR=str(run), HOME=str(self.dir))
        rc, out = _run_quiet(["pulseaudio", "--daemonize=yes", "--exit-idle-time=-1", "-n",
                              "--load=module-native-protocol-unix",
                              "--load=module-null-sink sink_name=nullsink"], env, timeout=30)
        if rc != 0:
            raise HarnessError(f"pulseaudio did not start: {out}")
        self._pulse_env = env
        wait_for(lambda: (run / "pulse" / "native").exists(), 10, "the sound server")
        # Wine reads the server's address from the runtime folder.
        self.env["XDG_RUNTIME_DIR"] = str(run)

    # ------------------------------------------------------------------ running things
    def ensure_desktop(self, timeout=60):
        """Starts Wine's desktop (its explorer) once and waits until it is up. A program that
        finds none starts it itself but gives it only 10 s; on a loaded machine that can pass,
        and the program then cannot make a window at all."""
        if self._desktop_up:
            return
        self._desktop_up = True
        self.spawn("explorer.exe", "/desktop")
        if self.monitors == 1:  # several monitors: no virtual desktop window to wait for
            wait_for(lambda: self.find_windows(f"{DESKTOP} - Wine desktop"), timeout,
                     "Wine's desktop")

    def without_desktop(self):
        """Wine's desktop can never start in this session: its explorer is switched off."""
        self._desktop_up = True
        self.env["WINEDLLOVERRIDES"] = BASE_ENV["WINEDLLOVERRIDES"] + ";explorer.exe="

    def wine(self, *args, timeout=60, env=None):
        """Runs a wine command to its end; returns (exit code, output)."""
        return _run_quiet(["wine", *args], dict(self.env, **(env or {})), timeout=timeout)

    def run_windows_exe(self, path, *args, timeout=600, env=None):
        self.ensure_desktop()
        return self.wine(_winpath(path), *args, timeout=timeout, env=env)

    def start(self, *args, env=None, name="veilora.exe", exe=None):
        """Starts the program from its folder (or the full path `exe`); returns a Program."""
        self.ensure_desktop()
        exe = Path(exe) if exe else self.prog_dir / name
        log = self.dir / f"program-{len(self.programs)}.log"
        trace = self.dir / f"program-{len(self.programs)}.trace"
        # Every run is traced: tests read the program's own account of what it did.
        full_env = dict(self.env, VEILORA_TRACE=_winpath(trace), **(env or {}))
        with open(log, "wb") as out:
            proc = subprocess.Popen(["wine", _winpath(exe), *args],
                                    env=full_env, stdout=out, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL, cwd=exe.parent)
        program = Program(proc, log, trace)
        self.programs.append(program)
        return program

    def launch(self, picture=None, sound=False, **options):
        """The program started and ready: these Options (the first run done), a plain cover
        picture of the colour `picture` when given, and the session's sound server when asked."""
        if sound:
            self.start_sound()
        if picture:
            write_bmp24(self.prog_dir / "scrcap.bmp", 16, 16, lambda x, y: picture)
        self.set_options(**options)
        program = self.start()
        program.wait_ready()
        return program

    def hide_by_key(self, program):
        """The hide key, then a wait until the cover has been painted once more."""
        painted = program.count("cover-painted")
        self.key("grave")
        program.wait_event("cover-painted", painted + 1)

    def hide_by_edge(self, program):
        """The left edge (armed by the test), then a wait until the cover has been painted
        once more; the pointer moves back to the middle."""
        painted = program.count("cover-painted")
        self.move(0, 300)
        program.wait_event("cover-painted", painted + 1)
        self.move(512, 400)

    def restore_by_double_click(self, program, x=512, y=400):
        restored = program.count("restore")
        self.double_click(x, y)
        program.wait_event("restore", restored + 1)

    def open_prompt(self, x=512, y=400):
        """A double-click on the cover, and a wait for the password prompt it asks for."""
        self.double_click(x, y)
        self.wait_window(PASSWORD_PROMPT)

    def spawn(self, *args):
        """Starts a background wine process that the session ends at tear-down."""
        self.ensure_desktop()
        log = self.dir / f"spawn-{len(self.programs)}.log"
        with open(log, "wb") as out:
            proc = subprocess.Popen(["wine", *args], env=self.env, stdout=out,
                                    stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        program = Program(proc, log, self.dir / "none.trace")
        self.programs.append(program)
        return program

    def wait_minimized(self, title):
        wait_for(lambda: self.window_info(title)[0]["iconic"] == "1", 10, f"'{title}' minimized")

    def start_notepad(self):
        """Wine's notepad, waited for; its title is "Untitled - Notepad"."""
        self.spawn("notepad")
        self.wait_window("Untitled - Notepad")
        return "Untitled - Notepad"

    def start_keylog(self):
        """A probe that records the key events reaching the end of the hook chain."""
        path = self.dir / f"keylog-{len(self.programs)}.txt"
        self.spawn(_winpath(EXE_DIR / "veilora_probe.exe"), "keylog", _winpath(path))
        log = KeyLog(path)
        wait_for(lambda: "ready" in log.lines(), 20, "the key log probe")
        return log

    def try_task_switching(self, keys, right_hand=False):
        """Sends Alt+Tab, Alt+Esc and Ctrl+Esc (first with the right-hand Alt and Ctrl when
        asked), waits for the left Ctrl's release as the barrier and returns the key events
        the log `keys` saw meanwhile."""
        mark = len(keys.events())
        for alt, ctrl in ([("Alt_R", "Control_R")] if right_hand else []) + [("alt", "ctrl")]:
            self.xdotool("keydown", alt, "key", "Tab", "keyup", alt)
            self.xdotool("keydown", alt, "key", "Escape", "keyup", alt)
            self.xdotool("keydown", ctrl, "key", "Escape", "keyup", ctrl)
        keys.wait_for_key(0xA2, "up", after=mark)  # VK_LCONTROL
        return keys.since(mark)

    def try_windows_keys(self, keys):
        """Sends the Windows keys alone and with other keys (Start, Win+Tab, Win+D, Win+M, the
        right-hand key), then Shift, which always passes, as the barrier; returns the key
        events the log `keys` saw meanwhile."""
        mark = len(keys.events())
        self.xdotool("key", "super")
        for key in ("Tab", "d", "m"):
            self.xdotool("keydown", "super", "key", key, "keyup", "super")
        self.xdotool("key", "Super_R")
        self.xdotool("key", "Shift_L")
        keys.wait_for_key(0xA0, "up", after=mark)  # VK_LSHIFT
        return keys.since(mark)

    def stop(self, program):
        """Kills a program and waits until Wine no longer counts it (so its single-instance
        lock is gone before the next start)."""
        program.kill()
        wait_for(lambda: not self.probe("pids", "veilora.exe").split(), 20, "the program's end")

    def restart(self, program, **start):
        """Kills the program and starts it again, ready (`start` as for start())."""
        self.stop(program)
        program = self.start(**start)
        program.wait_ready()
        return program

    def hang(self, title):
        """A window titled `title` whose program stops answering."""
        hung = self.spawn(str(self.probe_path()), "hang", title)
        wait_for(lambda: "hung" in hung.output(), 20, "the program to stop answering")

    @staticmethod
    def windows_path(path):
        """The name Wine gives a Linux path."""
        return _winpath(path)

    def owner_counts(self, program):
        """The program's own count of live owners of each handle kind (a traced run answers
        a test-only message with it)."""
        reports = program.count("owners-reported")
        self.probe("send", "VeiloraMain", "0x8004", "0", "0")
        program.wait_event("owners-reported", reports + 1)
        counts = {}
        for _, name, value in program.trace():
            if name.startswith("owners-") and name != "owners-reported":
                counts[name[len("owners-"):]] = value
        return counts

    def probe_path(self):
        return _winpath(EXE_DIR / "veilora_probe.exe")

    def probe(self, *args, timeout=30):
        """Runs the test-only probe inside this prefix and desktop; returns its output."""
        self.ensure_desktop()
        probe = EXE_DIR / "veilora_probe.exe"
        rc, out = _run_quiet(["wine", _winpath(probe), *args], self.env, timeout=timeout)
        if rc != 0:
            raise HarnessError(f"probe {' '.join(args)} failed ({rc}): {out}")
        return out.replace("\r\n", "\n")

    def controls(self, title):
        """The child controls of the visible window `title`: dicts of class, id, text and flags."""
        out = []
        for line in self.probe("texts", title).splitlines():
            parts = line.split("\t")
            if len(parts) < 4:
                continue
            flags = dict(kv.split("=", 1) for kv in parts[3].split())
            out.append({"class": parts[0].lower(), "id": int(parts[1]), "text": parts[2], **flags})
        return out

    def control(self, title, control_id):
        """One control of the visible window `title`, by its id."""
        return next(c for c in self.controls(title) if c["id"] == control_id)

    def focused(self, title):
        """The id of the control that has the focus in the window `title`."""
        return next((c["id"] for c in self.controls(title) if c["focused"] == "1"), None)

    def type_into(self, title, control_id, text):
        """Clicks into a dialog's field and types, replacing what it held."""
        self.click_control(title, control_id)
        self.key("ctrl+a", "BackSpace")
        self.type_text(text)

    def submit(self, title, fields, answer):
        """Types each field's text anew into the dialog `title` ({control id: text}), clicks
        OK and answers the message box (title, text) that follows."""
        for control_id, text in fields.items():
            self.type_into(title, control_id, text)
        self.click_control(title, 1)  # IDOK
        self.answer_message(*answer)

    def answer_message(self, title, text=None):
        """Waits for a message box titled `title`, checks that one of its texts holds `text`
        (when given), closes it with Enter."""
        self.wait_window(title)
        if text is not None and not any(text in t for t in self.static_texts(title)):
            raise HarnessError(f"'{title}' says {self.static_texts(title)}, not '{text}'")
        self.key("Return")
        self.wait_no_window(title)

    def edit(self, title):
        """The first edit field of a window, as the probe reports controls."""
        return next(c for c in self.controls(title) if c["class"] == "edit")

    def z_order(self):
        """(title, class) of the visible windows that show something, topmost first."""
        return [(w["title"], w["class"]) for w in self.window_info() if w.get("region") != "empty"]

    def above_cover(self):
        """What shows above the showing cover, topmost first."""
        order = self.z_order()
        return order[:[cls for _, cls in order].index("VeiloraCover")]

    def static_texts(self, title):
        return [c["text"] for c in self.controls(title) if c["class"] == "static" and c["text"]]

    def window_info(self, title=None, cls=None):
        """Visible top-level windows (as dicts) matching a title and/or class."""
        found = []
        for line in self.probe("windows").splitlines():
            parts = line.split("\t")
            if len(parts) < 9:
                continue
            info = {"hwnd": parts[0], "pid": parts[1], "class": parts[2], "title": parts[3],
                    "x": int(parts[4]), "y": int(parts[5]), "w": int(parts[6]), "h": int(parts[7])}
            info.update(dict(kv.split("=", 1) for kv in parts[8].split()))
            if (title is None or info["title"] == title) and (cls is None or info["class"] == cls):
                found.append(info)
        return found

    def cover(self):
        """The program's cover window when it is showing (it stays concealed otherwise)."""
        for info in self.window_info(cls="VeiloraCover"):
            if info.get("region") != "empty":
                return info
        return None

    def drop_root_file_override(self):
        """Root writes through file permissions; Wine's server opens the files, so it is started
        again without that privilege. False when that cannot be done here."""
        if os.geteuid() != 0:
            return True
        if not shutil.which("setpriv"):
            return False
        _run_quiet(["wineserver", "-k"], self.env, timeout=60)
        _run_quiet(["setpriv", "--bounding-set=-dac_override,-dac_read_search", "wineserver",
                    "-p"], self.env, timeout=60)
        return True

    # ------------------------------------------------------------------ registry
    def reg_add(self, key, name, value, kind="REG_SZ"):
        args = ["reg", "add", key, "/f", "/t", kind, "/d", str(value)]
        args[3:3] = ["/ve"] if name is None else ["/v", name]
        rc, out = self.wine(*args)
        if rc != 0:
            raise HarnessError(f"reg add {key} {name} failed: {out}")

    def reg_import(self, text):
        """Imports a REGEDIT4 text in one go (faster than many reg add calls)."""
        path = self.dir / "import.reg"
        path.write_text(("REGEDIT4\n\n" + text).replace("\n", "\r\n"), encoding="latin-1")
        rc, out = self.wine("regedit", "/S", _winpath(path))
        if rc != 0:
            raise HarnessError(f"regedit import failed: {out}")

    def reg_query(self, key, name):
        """Returns (type, data) of a value, or None when it or its key is missing."""
        args = ["reg", "query", key] + (["/ve"] if name is None else ["/v", name])
        rc, out = self.wine(*args)
        if rc != 0:
            return None
        for line in out.splitlines():
            parts = re.split(r"    ", line.strip(), maxsplit=2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                shown = "(Default)" if name is None else name
                if parts[0].lower() in (shown.lower(), "(default)"):
                    return parts[1], (parts[2] if len(parts) > 2 else "")
        return None

    def reg_read_exactly(self, key, name):
        """A string value exactly as stored, also with characters outside the code page (which
        `reg query` prints as "?"): exported as UTF-16 and decoded. None when missing."""
        path = self.dir / "export.reg"
        path.unlink(missing_ok=True)
        rc, out = self.wine("reg", "export", key, _winpath(path), "/y")
        if rc != 0 or not path.exists():
            return None
        text = path.read_bytes().decode("utf-16")
        quoted = re.escape(name)
        found = re.search(rf'^"{quoted}"="(.*)"\r?$', text, re.M)
        return re.sub(r"\\(.)", r"\1", found.group(1)) if found else None

    def set_options(self, **values):
        """Writes Options values (name -> text) and marks the first run as done."""
        lines = ["[HKEY_CURRENT_USER\\Software\\Fernwick\\Veilora\\General]",
                 '"First Run"="False"', "",
                 "[HKEY_CURRENT_USER\\Software\\Fernwick\\Veilora\\Options]"]
        for name, value in values.items():
            lines.append(f'"{name}"="{value}"')
        self.reg_import("\n".join(lines) + "\n")

    # ------------------------------------------------------------------ X input and windows
    def xdotool(self, *args, check=True):
        proc = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                              text=True, timeout=30)
        if check and proc.returncode != 0 and args[0] != "search":
            raise HarnessError(f"xdotool {' '.join(map(str, args))}: {proc.stderr}")
        return proc.stdout

    def find_windows(self, title):
        """Visible X windows whose title is exactly `title`."""
        out = self.xdotool("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$")
        return [w for w in out.split() if w]

    def wait_window(self, title, timeout=20):
        return wait_for(lambda: self.find_windows(title), timeout, f"window '{title}'")[0]

    def wait_help_viewer(self, timeout=30):
        """The help viewer showing veilora.chm (Wine's shows the window, not the pages)."""
        return self.wait_window(HELP_VIEWER_TITLE, timeout)

    def wait_no_window(self, title, timeout=20):
        wait_for(lambda: not self.find_windows(title), timeout, f"window '{title}' to go")

    def move(self, x, y):
        self.xdotool("mousemove", "--", x, y)

    def click(self, x=None, y=None, button=1, repeat=1):
        if x is not None:
            self.move(x, y)
        args = ["click"]
        if repeat > 1:
            args += ["--repeat", repeat, "--delay", 80]
        self.xdotool(*args, button)

    def double_click(self, x=None, y=None):
        self.click(x, y, repeat=2)

    def settle(self, program, timeout=10):
        """Barrier: moves the mouse to a quiet spot and waits until the program has handled
        that move, so everything sent before it has been handled too."""
        self._settle_spot = 601 if getattr(self, "_settle_spot", 600) == 600 else 600
        spot = (self._settle_spot, 401)
        seen = len(program.moves_handled())
        self.move(*spot)
        wait_for(lambda: spot in program.moves_handled()[seen:], timeout, "the program to settle")

    def key(self, *keys):
        self.xdotool("key", "--delay", 30, *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 30, text)

    def enter(self, text):
        """Types `text` and presses Enter."""
        self.type_text(text)
        self.key("Return")

    def enter_password(self, text):
        """Types `text` into the password prompt once its field has the keyboard (on a busy
        machine keys come sooner and are lost), and presses Enter."""
        wait_for(lambda: self.focused(PASSWORD_PROMPT) == 102, 10, "the password field's focus")
        # After a cover was removed, Wine (with no window manager) may leave X's keyboard
        # focus on the taskbar's X window, which had it before, while the prompt is the
        # foreground window with the field focused: every key typed would be lost, and a click
        # does not move X's focus. The X focus is put where Windows already has it.
        prompt = self.find_windows(PASSWORD_PROMPT)
        if prompt and self.xdotool("getwindowfocus", check=False).strip() != prompt[0]:
            self.xdotool("windowfocus", "--sync", prompt[0])
        self.enter(text)

    # ------------------------------------------------------------------ menus and the tray
    TRAY_ICON = (1013, 758)  # the first icon's centre on the taskbar

    def open_menu(self, program, action):
        """Runs `action` (a click that opens one of the program's popup menus) and returns the
        menu as the program traced it: dicts of text, checked, default and the item's rect."""
        shown = program.count("menu-shown")
        mark = len(program.trace())
        action()
        program.wait_event("menu-shown", shown + 1)
        items = []
        for _, name, value in program.trace()[mark:]:
            if name == "menu-item":
                i, left, top, right, bottom, checked, default, text = str(value).split(" ", 7)
                items.append({"text": text, "checked": checked == "1", "default": default == "1",
                              "rect": (int(left), int(top), int(right), int(bottom))})
        return items

    def open_tray_menu(self, program):
        return self.open_menu(program, lambda: self.click(*self.TRAY_ICON, button=3))

    def open_cover_menu(self, program, x=512, y=400):
        """The showing cover's menu, opened by a right click on it."""
        return self.open_menu(program, lambda: self.click(x, y, button=3))

    def menu_open(self):
        return any(w["class"] == "#32768" for w in self.window_info())

    def close_menu(self):
        """Closes an open popup menu by a click beside it."""
        self.click(500, 300)
        wait_for(lambda: not self.menu_open(), 10, "the menu to close")

    def choose(self, items, text):
        """Clicks the menu item `text` (menus take no keys under Wine)."""
        item = next(i for i in items if i["text"] == text)
        other = next(i for i in items if i is not item and i["text"] != "-")
        left, top, right, bottom = item["rect"]
        self.move((left + right) // 2, (top + bottom) // 2)

        def spot(i):  # the right margin, where no text or mark is drawn
            return i["rect"][2] - 3, (i["rect"][1] + i["rect"][3]) // 2

        # The menu takes the click for the item it has highlighted, once it has followed the
        # pointer there: that item then looks unlike the others.
        wait_for(lambda: (lambda g: g.pixel(*spot(item)) != g.pixel(*spot(other)))(self.grab()),
                 10, f"the menu to highlight '{text}'")
        self.xdotool("click", 1)

    def from_tray(self, program, item, window=None):
        """Chooses `item` from the tray menu and waits for the window titled `window`."""
        self.choose(self.open_tray_menu(program), item)
        if window:
            self.wait_window(window)

    def save_options(self, program):
        """OK in the open Options dialog, and a wait until the program saved them."""
        saved = program.count("options-saved")
        self.click_control("Veilora - Options", 1)  # IDOK
        program.wait_event("options-saved", saved + 1)

    def click_control(self, title, *control_ids, window=None):
        """Clicks the middle of a dialog's controls, one after the other, then waits for the
        window titled `window`."""
        for control_id in control_ids:
            c = self.control(title, control_id)
            self.click(int(c["x"]) + int(c["w"]) // 2, int(c["y"]) + int(c["h"]) // 2)
        if window:
            self.wait_window(window)

    # ------------------------------------------------------------------ screen
    def screenshot(self, path):
        rc, out = _run_quiet(["import", "-display", self.display, "-window", "root", str(path)],
                             self.env, timeout=30)
        if rc != 0:
            raise HarnessError(f"screenshot failed: {out}")
        return Path(path)

    def grab(self):
        """The whole screen as an Image (RGB)."""
        proc = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8",
                               "ppm:-"],
                              env=self.env, capture_output=True, timeout=30)
        if proc.returncode != 0:
            raise HarnessError(f"screen grab failed: {proc.stderr[-500:]}")
        return Image.from_ppm(proc.stdout)


class KeyLog:
    """Key events seen by the probe's hook, as (virtual key, "down"/"up") pairs."""

    def __init__(self, path):
        self.path = Path(path)

    def lines(self):
        try:
            return self.path.read_text().splitlines()
        except OSError:
            return []

    def events(self):
        return [(vk, state) for vk, state, _ in self.timed_events()]

    def timed_events(self):
        """(virtual key, "down"/"up", microseconds on the program trace's clock)."""
        out = []
        for line in self.lines():
            parts = line.split()
            if len(parts) == 3:
                out.append((int(parts[0]), parts[1], int(parts[2])))
        return out

    def wait_for_key(self, vk, state="up", after=0, timeout=10):
        """Waits until the key event arrives after the first `after` events (a barrier after
        sending keys: take the mark with len(events()) before sending)."""
        wait_for(lambda: (vk, state) in self.events()[after:], timeout, f"key {vk:#x} {state}")

    def since(self, mark):
        """Events after the first `mark` ones (take the mark with len(events()))."""
        return self.events()[mark:]


class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @classmethod
    def from_ppm(cls, blob):
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", blob)
        if not m:
            raise HarnessError("not a PPM image")
        w, h = int(m.group(1)), int(m.group(2))
        return cls(w, h, blob[m.end():m.end() + w * h * 3])

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


# The stored forms of the passwords the tests use, worked out by hand from the stored
# layout with the key "3A9F0C7B" and the mask B2 (10110010): the mask, then K7 K4 K3 K1 in
# front of the body, K2 K5 K6 K8 behind it. "Tulip7" wraps (116 - 67 + 255 = F3).
STORED_PASSWORDS = {
    "pw": "B27F93A336A0CB",
    "Se7ret": "B27F938624702C9531A0CB",
    "secret": "B27F93A6249C2C9531A0CB",
    "Tulip7": "B27F938734A523A0F3A0CB",
}


def stored_password(password):
    """The registry's "Offset" text for one of the passwords above."""
    return STORED_PASSWORDS[password]


def write_bmp24(path, width, height, color_at):
    """Writes an uncompressed 24-bit bitmap file; color_at(x, y) gives (r, g, b), y from the top."""
    row = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = color_at(x, y)
            line += bytes((b, g, r))
        line += bytes(row - width * 3)
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    Path(path).write_bytes(header + info + pixels)


def read_bmp(path):
    """(width, height, bits, colour table, rows top to bottom) of an uncompressed bitmap file."""
    data = Path(path).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    table = [tuple(data[54 + 4 * i: 54 + 4 * i + 3][::-1]) for i in range((offset - 54) // 4)]
    stride = (width * bits + 31) // 32 * 4
    rows = [data[offset + (height - 1 - y) * stride: offset + (height - y) * stride]
            for y in range(height)]
    return width, height, bits, table, rows


class E2ETestCase(unittest.TestCase):
    """Gives each test its own Session; on failure, screenshots and logs are kept."""

    windows_version = None
    monitors = 1

    def setUp(self):
        self.session = Session(self.id().split(".", 1)[-1], windows_version=self.windows_version,
                               monitors=self.monitors)

    def tearDown(self):
        # The test's own failure is already on the result when tear-down runs.
        result = getattr(getattr(self, "_outcome", None), "result", None)
        failed = True
        if result is not None and hasattr(result, "failures"):
            failed = any(test is self for test, _ in result.failures + result.errors)
        self.session.close(failed=failed)


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--make-template":
        make_template(force=True)
        print(f"template prefix ready at {TEMPLATE}")
        return 0
    print("usage: harness.py --make-template", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
