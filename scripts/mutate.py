#!/usr/bin/env python3
"""Mutation run over the portable core: do the unit tests catch the faults that matter?

Each mutant is one small mistake of the kind a developer makes (a flipped comparison, an
off-by-one, a dropped statement, a wrong constant, swapped arguments), kept as data in
tests/mutants/*.txt. The sources are built once in a scratch copy (never the working tree),
the way `make native` builds the unit tests (same build type, AddressSanitizer and UBSan;
only warnings are not errors, as a planted fault may leave an unused variable): a mutant the
tests catch only in some other build would slip through the tests as they really run. For
each mutant only its file is compiled again with the mistake planted and linked with the
other objects into a test binary of its own, which is run: first the tests beside the file's
own folder (src/app/x.cpp: tests/unit/app), then all others, so that every test runs on a
survivor. A mutant the tests fail on is killed; one they pass survives. Mutants change the
core's .cpp files (headers are not recompiled per mutant).

Data format (one file per area, read and edited by people):

    # a comment
    [src/settings/options.cpp]          the file the following mutants change

    * a leading tab no longer counts as a blank      (the reason, one line)
    - || text[i] == '\\t'                             original text, one line per "-"
    + || false                                        replacement, one line per "+"
    equivalent: why the program cannot behave differently
    covered end to end: e2e_name (what that test sees)

Text after "- " and "+ " is taken verbatim (a bare "-" or "+" is an empty line); several
lines are joined with newlines. No "+" line means the original text is deleted. The
original text must occur exactly once in the file, otherwise the mutant is invalid.
The two marks are optional and only for survivors.

Counting: a mutant is valid when its original text occurs exactly once and the mutated
sources build; invalid ones are listed, left out of the score, and fail the run (data that
no longer fits the code tests nothing). A valid mutant is killed when the
unit tests fail, crash or time out on it. The score of a file, and of the whole core, is
killed / (valid - survivors marked equivalent). Survivors marked "covered end to end"
still count as not killed here: the mark says where the fault is caught, not that the
unit tests catch it. The run exits 1 when the core score is below 90 %, when a mutant is
invalid or does not build, or when nothing was counted; and 2 when it cannot run at all
(bad data, or sources that fail without any mutant).
"""

from __future__ import annotations

import argparse
import concurrent.futures
import dataclasses
import json
import os
import queue
import re
import shlex
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
DATA_DIR = TOP / "tests" / "mutants"
SCRATCH = TOP / "build" / "mutate"
# What the scratch copies need to build the unit tests: these folders, and the CMakeLists
# of every other folder the top one adds (nothing in them is built or run). tools/ is added
# only when it is there, and would want its own sources.
SYNCED = ("CMakeLists.txt", "cmake/", "src/", "tests/unit/")
TARGET = "veilora_unit_tests"
PASS_MARK = 0.90
# Children's output as text; a failed expectation may print any bytes (a password's 0xFF).
TEXT = {"encoding": "utf-8", "errors": "replace"}


def synced(rel: str) -> bool:
    return rel.startswith(SYNCED) or (rel.endswith("/CMakeLists.txt") and
                                      not rel.startswith("tools/"))


class CannotRun(Exception):
    """The run cannot go on: bad data, or sources that fail without any mutant."""


@dataclasses.dataclass
class Mutant:
    data_file: Path
    line: int
    file: str
    reason: str
    original: str = ""
    replacement: str = ""
    equivalent: str | None = None
    end_to_end: str | None = None
    outcome: str = ""  # killed, survived, invalid, unbuilt
    detail: str = ""
    failed_tests: list[str] = dataclasses.field(default_factory=list)

    @property
    def where(self) -> str:
        return f"{self.data_file.relative_to(TOP)}:{self.line}"


def read_blocks(path: Path, marks: tuple[str, ...]) -> list[dict]:
    """The mutants of one data file, each a dict of its line, file, reason, original and
    replacement, and the text of each of the given marks ("equivalent", ...) it carries.
    The end-to-end mutation run reads its data with this too."""
    blocks: list[dict] = []
    current_file: str | None = None
    block: dict | None = None
    minus: list[str] = []
    plus: list[str] = []

    def finish() -> None:
        nonlocal block, minus, plus
        if block is not None:
            if not minus:
                raise CannotRun(f"{path}:{block['line']}: mutant without original text")
            block["original"], block["replacement"] = "\n".join(minus), "\n".join(plus)
            blocks.append(block)
        block, minus, plus = None, [], []

    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        mark = next((k for k in marks if line.startswith(k + ":")), None)
        if block is not None and (line == "-" or line.startswith("- ")):
            if plus:
                raise CannotRun(f"{path}:{number}: original text after the replacement")
            minus.append(line[2:])
        elif block is not None and (line == "+" or line.startswith("+ ")):
            plus.append(line[2:])
        elif block is not None and mark:
            block[mark] = line.split(":", 1)[1].strip()
        elif not line.strip() or line.lstrip().startswith("#"):
            continue
        elif m := re.fullmatch(r"\[(.+)\]\s*", line):
            finish()
            current_file = m.group(1)
        elif line.startswith("* "):
            finish()
            if current_file is None:
                raise CannotRun(f"{path}:{number}: mutant before any [file] line")
            block = {"line": number, "file": current_file, "reason": line[2:].strip()}
        else:
            raise CannotRun(f"{path}:{number}: cannot read: {line!r}")
    finish()
    return blocks


def parse(path: Path) -> list[Mutant]:
    return [Mutant(path, b["line"], b["file"], b["reason"], b["original"], b["replacement"],
                   equivalent=b.get("equivalent"), end_to_end=b.get("covered end to end"))
            for b in read_blocks(path, ("equivalent", "covered end to end"))]


def load_all(only: list[str]) -> list[Mutant]:
    mutants = []
    for path in sorted(DATA_DIR.glob("*.txt")):
        mutants += parse(path)
    if only:
        mutants = [m for m in mutants if any(m.file.startswith(o) or m.where.endswith(o) for o in only)]
    return mutants


def check_anchors(mutants: list[Mutant]) -> None:
    """Marks every mutant whose original text is not found exactly once as invalid."""
    for m in mutants:
        source = TOP / m.file
        if not source.is_file():
            m.outcome, m.detail = "invalid", "no such file"
            continue
        found = source.read_text(encoding="utf-8").count(m.original)
        if found != 1:
            m.outcome, m.detail = "invalid", f"original text found {found} times"
        elif m.original == m.replacement:
            m.outcome, m.detail = "invalid", "replacement equals the original"


# ---------------------------------------------------------------------------------------
# Scratch copies


def tracked_files() -> list[str]:
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=TOP,
                         check=True, capture_output=True, **TEXT).stdout.split("\n")
    return [f for f in out if f and synced(f) and (TOP / f).is_file()]


def sync_tree(tree: Path, files: list[str]) -> None:
    """Copies the working tree's files, touching only those that differ, so ninja
    rebuilds no more than changed; files gone from the working tree go here too."""
    wanted = set(files)
    for rel in files:
        src, dst = TOP / rel, tree / rel
        data = src.read_bytes()
        if not dst.is_file() or dst.read_bytes() != data:
            dst.parent.mkdir(parents=True, exist_ok=True)
            dst.write_bytes(data)
    for dst in tree.rglob("*"):
        rel = dst.relative_to(tree).as_posix()
        if dst.is_file() and synced(rel) and rel not in wanted:
            dst.unlink()


def linker_flag() -> str:
    return "-fuse-ld=lld" if shutil.which("ld.lld") else "-fuse-ld=gold"


class Base:
    """The one scratch copy of the sources, built once. Workers never change it: each
    compiles its mutated file on its own and links its own test binary from these objects."""

    def __init__(self, files: list[str]):
        self.root = SCRATCH / "base"
        self.tree = self.root / "tree"
        self.build = self.root / "build"
        sync_tree(self.tree, files)
        self.compile: dict[str, list[str]] = {}  # core source -> its compile command
        self.link: list[str] = []
        self.seconds = 0.0

    def suites_for(self, source: str) -> list[str]:
        """The test suites of the unit tests beside a core file's folder (src/app/x.cpp:
        tests/unit/app): they run first, so that a mutant they kill costs no other test."""
        parts = Path(source).parts
        folder = self.tree / "tests" / "unit" / parts[1] if len(parts) > 2 else None
        suites: list[str] = []
        for test_file in sorted(folder.glob("*.cpp")) if folder and folder.is_dir() else []:
            for suite in re.findall(r"^TEST(?:_F|_P)?\(\s*(\w+)\s*,",
                                    test_file.read_text(encoding="utf-8"), re.M):
                if suite not in suites:
                    suites.append(suite)
        return suites

    def prepare(self, jobs: int) -> None:
        start = time.monotonic()
        if not (self.build / "build.ninja").exists():
            run(["cmake", "-S", str(self.tree), "-B", str(self.build), "-G", "Ninja",
                 "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DVEILORA_SANITIZE=ON",
                 f"-DCMAKE_EXE_LINKER_FLAGS={linker_flag()}",
                 "-DVEILORA_WERROR=OFF", "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON",
                 "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"])
        built = subprocess.run(["ninja", "-C", str(self.build), f"-j{jobs}", TARGET],
                               capture_output=True, **TEXT)
        if built.returncode != 0:
            raise CannotRun(f"the unmutated sources do not build:\n{built.stdout[-3000:]}")
        self.seconds = time.monotonic() - start

        core_objects = []
        for entry in json.loads((self.build / "compile_commands.json").read_text()):
            command = shlex.split(entry["command"])
            output = command[command.index("-o") + 1]
            if "/veilora_core.dir/" in output:
                rel = Path(entry["file"]).resolve().relative_to(self.tree.resolve()).as_posix()
                self.compile[rel] = command
                core_objects.append(output)
        # The link of the test binary as ninja runs it, with the core's objects in place of
        # its archive, so that a worker can swap one of them.
        line = subprocess.run(["ninja", "-C", str(self.build), "-t", "commands", TARGET],
                              capture_output=True, check=True, **TEXT).stdout.splitlines()[-1]
        link = shlex.split(line.removeprefix(": && ").removesuffix(" && :"))
        archive = link.index("libveilora_core.a")
        self.link = link[:archive] + core_objects + link[archive + 1:]


class Worker:
    def __init__(self, index: int, base: Base, every_test: bool):
        self.root = SCRATCH / f"w{index}"
        shutil.rmtree(self.root, ignore_errors=True)  # one mutant's leftovers at a time
        self.root.mkdir(parents=True)
        self.base = base
        self.binary = self.root / TARGET
        self.test_seconds = 60.0
        self.every_test = every_test
        self.seconds = {"build": 0.0, "test": 0.0}  # where a run's time goes

    def make(self, m: Mutant) -> str | None:
        """Builds the test binary with the mutant planted; None, or why it did not build."""
        start = time.monotonic()
        try:
            compile_command = self.base.compile.get(m.file)
            if compile_command is None:
                return "not a .cpp file of the core (headers are not rebuilt per mutant)"
            source = self.root / m.file
            source.parent.mkdir(parents=True, exist_ok=True)
            pristine = (self.base.tree / m.file).read_text(encoding="utf-8")
            source.write_text(pristine.replace(m.original, m.replacement, 1), encoding="utf-8")
            obj = self.root / "mutant.o"
            # Without debug information, which leaves the code as it is and takes most of
            # the compile time; the objects it is linked with keep theirs.
            command = [arg for arg in compile_command if arg != "-g"]
            command[command.index("-o") + 1] = str(obj)
            command[command.index("-c") + 1] = str(source)
            # Quoted includes next to the file are found where the file really lives.
            command[1:1] = ["-iquote", str((self.base.tree / m.file).parent)]
            built = subprocess.run(command, cwd=self.base.build, capture_output=True, **TEXT)
            if built.returncode != 0:
                errors = [l for l in built.stderr.splitlines() if "error" in l]
                return errors[0] if errors else "does not compile"
            link = list(self.base.link)
            original_obj = compile_command[compile_command.index("-o") + 1]
            link[link.index(original_obj)] = str(obj)
            link[link.index("-o") + 1] = str(self.binary)
            linked = subprocess.run(link, cwd=self.base.build, capture_output=True, **TEXT)
            if linked.returncode != 0:
                errors = [l for l in linked.stderr.splitlines() if "error" in l]
                return errors[0] if errors else "does not link"
            return None
        finally:
            self.seconds["build"] += time.monotonic() - start

    def test(self, binary: Path, timeout: float,
             only: str | None = None) -> tuple[bool, list[str]]:
        """Whether the tests pass, and the tests that failed (or why the run ended)."""
        # Every test, and unabridged so that a crash can be put down to the test it ended.
        command = [str(binary)]
        if not self.every_test:
            command += ["--gtest_brief=1", "--gtest_fail_fast"]
        if only:
            command.append(f"--gtest_filter={only}")
        # A mutant that crashes or hangs skips the tests' clean-up: their temporary files go
        # to a folder of the run's own, emptied after every run.
        scratch = self.root / "tmp"
        scratch.mkdir(exist_ok=True)
        start = time.monotonic()
        try:
            done = subprocess.run(command, capture_output=True, **TEXT, timeout=timeout,
                                  cwd=self.root, env=dict(os.environ, TMPDIR=str(scratch)))
        except subprocess.TimeoutExpired:
            return False, ["(timed out)"]
        finally:
            self.seconds["test"] += time.monotonic() - start
            shutil.rmtree(scratch, ignore_errors=True)
        if done.returncode == 0:
            return True, []
        failed = set(re.findall(r"^\[  FAILED  \] ([\w/]+\.[\w/]+)", done.stdout, re.M))
        running = re.findall(r"^\[ RUN      \] ([\w/]+\.[\w/]+)", done.stdout, re.M)
        finished = set(re.findall(r"^\[       OK \] ([\w/]+\.[\w/]+)", done.stdout, re.M))
        if running and running[-1] not in finished | failed:
            failed.add(running[-1])  # it crashed
        return False, sorted(failed) or [f"(exit {done.returncode})"]

    def baseline(self) -> None:
        start = time.monotonic()
        passed, failed = self.test(self.base.build / TARGET, 600)
        if not passed:
            raise CannotRun(f"the unit tests fail without any mutant: {', '.join(failed)}")
        # Generous: a mutant that loops forever must still end, a slow machine must not.
        self.test_seconds = 10 * (time.monotonic() - start) + 20

    def run_one(self, m: Mutant, report) -> None:
        unbuilt = self.make(m)
        if unbuilt:
            m.outcome, m.detail = "unbuilt", unbuilt
        else:
            # The tests of the file's own area first, then the others: every test still runs
            # on a survivor, but most mutants die in the first part.
            start = time.monotonic()
            near = ":".join(f"{suite}.*" for suite in self.base.suites_for(m.file))
            if near and not self.every_test:
                passed, m.failed_tests = self.test(self.binary, self.test_seconds, near)
                if passed:
                    left = self.test_seconds - (time.monotonic() - start)
                    passed, m.failed_tests = self.test(self.binary, max(left, 1.0), "-" + near)
            else:
                passed, m.failed_tests = self.test(self.binary, self.test_seconds)
            m.outcome = "survived" if passed else "killed"
        report(m)


def run(command: list[str]) -> None:
    done = subprocess.run(command, capture_output=True, **TEXT)
    if done.returncode != 0:
        raise CannotRun(f"{' '.join(command)} failed:\n{done.stdout[-2000:]}{done.stderr[-2000:]}")


# ---------------------------------------------------------------------------------------
# Report


def percent(killed: int, counted: int) -> str:
    return f"{100.0 * killed / counted:5.1f} %" if counted else "   -   "


def score(mutants: list[Mutant]) -> tuple[int, int]:
    killed = sum(m.outcome == "killed" for m in mutants)
    counted = sum(m.outcome in ("killed", "survived") for m in mutants) - sum(
        m.outcome == "survived" and m.equivalent is not None for m in mutants)
    return killed, counted


def report(mutants: list[Mutant], seconds: float) -> int:
    files = sorted({m.file for m in mutants})
    print(f"\n{'file':44} {'mutants':>7} {'invalid':>7} {'killed':>6} {'equiv':>5} "
          f"{'survived':>8}  score")
    for f in files:
        ms = [m for m in mutants if m.file == f]
        killed, counted = score(ms)
        invalid = sum(m.outcome in ("invalid", "unbuilt") for m in ms)
        equivalent = sum(m.outcome == "survived" and m.equivalent is not None for m in ms)
        survived = sum(m.outcome == "survived" and m.equivalent is None for m in ms)
        print(f"{f:44} {len(ms):7} {invalid:7} {killed:6} {equivalent:5} {survived:8}  "
              f"{percent(killed, counted)}")
    killed, counted = score(mutants)
    print(f"{'core':44} {len(mutants):7} {'':7} {killed:6} {'':5} {'':8}  "
          f"{percent(killed, counted)}   ({seconds:.0f} s)")

    def listing(title: str, chosen: list[Mutant], extra) -> None:
        if chosen:
            print(f"\n{title}:")
            for m in chosen:
                print(f"  {m.where}  {m.file}: {m.reason}{extra(m)}")

    listing("Invalid mutants", [m for m in mutants if m.outcome in ("invalid", "unbuilt")],
            lambda m: f"\n      {m.detail}")
    listing("Survivors", [m for m in mutants if m.outcome == "survived"],
            lambda m: f"\n      equivalent: {m.equivalent}" if m.equivalent is not None else
            f"\n      covered end to end: {m.end_to_end}" if m.end_to_end else
            "\n      NOT ACCOUNTED FOR: strengthen a test, or mark it")
    listing("Killed although marked (drop the mark)",
            [m for m in mutants if m.outcome == "killed" and (m.equivalent or m.end_to_end)],
            lambda m: "")
    if not counted:
        print("\nNo mutant was counted.")
        return 1
    ok = killed / counted >= PASS_MARK
    print(f"\nCore score {100.0 * killed / counted:.1f} % of {counted} counted mutants: "
          f"{'at or above' if ok else 'BELOW'} {PASS_MARK:.0%}.")
    invalid = sum(m.outcome in ("invalid", "unbuilt") for m in mutants)
    if invalid:
        print(f"{invalid} mutant(s) invalid or not built: fix or drop them.")
    return 0 if ok and not invalid else 1


def report_by_test(mutants: list[Mutant], base: Base) -> None:
    listed = subprocess.run([str(base.build / TARGET), "--gtest_list_tests"],
                            capture_output=True, **TEXT).stdout
    tests, suite = [], ""
    for line in listed.splitlines():
        if line and not line.startswith(" "):
            suite = line.split()[0]
        elif line.strip():
            tests.append(suite + line.split()[0])
    kills: dict[str, list[Mutant]] = {t: [] for t in tests}
    for m in mutants:
        for t in m.failed_tests:
            kills.setdefault(t, []).append(m)
    print(f"\n{'test':80} {'kills':>5} {'alone':>5}")
    for t in sorted(kills, key=lambda t: (sum(len(m.failed_tests) == 1 for m in kills[t]),
                                          len(kills[t]))):
        alone = sum(len(m.failed_tests) == 1 for m in kills[t])
        print(f"{t:80} {len(kills[t]):5} {alone:5}")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("only", nargs="*",
                        help="run only mutants of files starting with these paths "
                             "(or at these data locations, e.g. settings.txt:12)")
    parser.add_argument("-j", "--jobs", type=int, default=2,
                        help="mutants built and tested side by side (default 2)")
    parser.add_argument("--check", action="store_true",
                        help="only check that every mutant's original text occurs exactly once")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument("--by-test", action="store_true",
                        help="run every test on every mutant (slower) and print which tests "
                             "kill which mutants: a test that kills none only on its own is "
                             "a candidate for merging or removal")
    args = parser.parse_args()

    mutants = load_all(args.only)
    check_anchors(mutants)
    if args.list:
        for m in mutants:
            print(f"{m.where}  {m.file}: {m.reason}")
        return 0
    if args.check:
        bad = [m for m in mutants if m.outcome == "invalid"]
        for m in bad:
            print(f"{m.where}: {m.file}: {m.detail}: {m.reason}")
        print(f"{len(mutants)} mutants, {len(bad)} invalid")
        return 1 if bad else 0

    start = time.monotonic()
    jobs = max(1, args.jobs)
    print(f"{len(mutants)} mutants; building the unmutated sources in "
          f"{SCRATCH.relative_to(TOP)} ...", flush=True)
    base = Base(tracked_files())
    base.prepare(jobs)
    workers = [Worker(i, base, args.by_test) for i in range(jobs)]
    workers[0].baseline()
    for w in workers[1:]:
        w.test_seconds = workers[0].test_seconds

    pending: queue.Queue = queue.Queue()
    for m in mutants:
        if not m.outcome:
            pending.put(m)
    lock = threading.Lock()
    done = [0]
    total = pending.qsize()

    def progress(m: Mutant) -> None:
        with lock:
            done[0] += 1
            mark = {"killed": "killed", "survived": "SURVIVED", "unbuilt": "does not build"}
            by = f"  (by {m.failed_tests[0]})" if m.failed_tests else ""
            print(f"[{done[0]:3}/{total}] {mark[m.outcome]:14} {m.where}  {m.reason}{by}",
                  flush=True)

    def drain(worker: Worker) -> None:
        while True:
            try:
                m = pending.get_nowait()
            except queue.Empty:
                return
            worker.run_one(m, progress)

    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        for f in [pool.submit(drain, w) for w in workers]:
            f.result()
    if args.by_test:
        report_by_test(mutants, base)
    spent = {k: sum(w.seconds[k] for w in workers) for k in workers[0].seconds}
    print(f"\nTime: {base.seconds:.0f} s building the unmutated sources; then {jobs} workers "
          f"side by side, together {spent['build']:.0f} s building mutants and "
          f"{spent['test']:.0f} s testing")
    return report(mutants, time.monotonic() - start)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except CannotRun as e:
        print(f"mutate: {e}", file=sys.stderr)
        sys.exit(2)
    except KeyboardInterrupt:
        sys.exit(130)
