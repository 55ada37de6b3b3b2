#!/usr/bin/env python3
"""Mutation run over the Win32 shell: do the end-to-end tests catch its mistakes?

The mutants live in tests/mutants/e2e/*.txt, in the format of scripts/mutate.py (a [file]
line, then per mutant "* reason", "- original" and "+ replacement" lines, and the optional
"equivalent:" mark), with one line more per mutant naming the end-to-end tests that claim
to cover it:

    tests: test_cover CoverTest.test_cover_shows   [test_tray TrayTest.test_only ...]

each a module of tests/e2e and a pattern its test names must contain (as run.py takes it).

The 64-bit program of build/win64 is brought up to date first; its objects are the base and
are only read. For each mutant, its file is copied to build/mutate-e2e with the mistake
planted, compiled with the base's own command, and linked with the base's other objects into
build/mutate-e2e/program/veilora.exe (beside copies of the base's test programs). Then the
named tests run against that program: the mutant is killed when one of them fails. Nothing of
the working tree or of build/win64 changes.

Verdicts are kept in build/mutate-e2e/verdicts.json, keyed by the mutant's text: a run that
stops can be started again and goes on where it was (--fresh forgets them). Arguments choose
a subset (files, or data locations such as cover.txt:12). Slow (a build and a Wine session
per mutant): not part of CI; `make mutate-e2e` runs it at low priority.
"""

from __future__ import annotations

import argparse
import dataclasses
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import time
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
DATA_DIR = TOP / "tests" / "mutants" / "e2e"
E2E_DIR = TOP / "tests" / "e2e"
BASE = TOP / "build" / "win64"
SCRATCH = TOP / "build" / "mutate-e2e"
PROGRAM = SCRATCH / "program"
VERDICTS = SCRATCH / "verdicts.json"
TEST_TIMEOUT = 900
TEXT = {"encoding": "utf-8", "errors": "replace"}


from mutate import CannotRun, read_blocks  # noqa: E402  (the same data format)


@dataclasses.dataclass
class Mutant:
    data_file: Path
    line: int
    file: str
    reason: str
    original: str = ""
    replacement: str = ""
    tests: list[tuple[str, str]] = dataclasses.field(default_factory=list)
    equivalent: str | None = None
    outcome: str = ""  # killed, survived, invalid, unbuilt
    detail: str = ""

    @property
    def where(self) -> str:
        return f"{self.data_file.name}:{self.line}"

    @property
    def key(self) -> str:
        text = "\0".join([self.file, self.original, self.replacement,
                          " ".join(f"{m}:{p}" for m, p in self.tests)])
        return hashlib.sha256(text.encode()).hexdigest()[:16]


def parse(path: Path) -> list[Mutant]:
    mutants = []
    for b in read_blocks(path, ("tests", "equivalent")):
        words = b.get("tests", "").split()
        if not words or len(words) % 2:
            raise CannotRun(f"{path}:{b['line']}: a mutant needs tests, as pairs of module "
                            "and pattern")
        mutants.append(Mutant(path, b["line"], b["file"], b["reason"], b["original"],
                              b["replacement"], list(zip(words[::2], words[1::2])),
                              b.get("equivalent")))
    return mutants


def check(mutants: list[Mutant]) -> None:
    """Marks a mutant whose original text is not found exactly once, or whose tests name
    nothing, as invalid."""
    sys.path.insert(0, str(E2E_DIR))
    import unittest
    names: dict[str, list[str]] = {}
    for m in mutants:
        source = TOP / m.file
        found = source.read_text(encoding="utf-8").count(m.original) if source.is_file() else 0
        if found != 1:
            m.outcome, m.detail = "invalid", f"original text found {found} times"
        for module, pattern in m.tests:
            if module not in names:
                suite = unittest.defaultTestLoader.loadTestsFromName(module)
                names[module] = [t.id() for s in suite for t in s]
            if not any(pattern in name for name in names[module]):
                m.outcome, m.detail = "invalid", f"no test of {module} matches {pattern}"


# ---------------------------------------------------------------------------------------
# Building


class Builder:
    """Compiles one mutated file with the base's command and links the program from the
    base's objects with that one exchanged."""

    def __init__(self) -> None:
        done = subprocess.run(["cmake", "--build", str(BASE), "--target", "veilora",
                               "veilora_probe", "--", "-j2"], capture_output=True, **TEXT)
        if done.returncode != 0:
            raise CannotRun(f"build/win64 does not build (make win64):\n{done.stdout[-3000:]}")
        self.compile: dict[str, list[str]] = {}
        shell_objects: list[str] = []
        commands = subprocess.run(["ninja", "-C", str(BASE), "-t", "commands", "veilora"],
                                  capture_output=True, check=True, **TEXT).stdout.splitlines()
        for line in commands:
            words = shlex.split(line)
            if "-c" in words and "-o" in words and "/veilora_shell.dir/" in line:
                source = Path(words[words.index("-c") + 1]).resolve()
                self.compile[source.relative_to(TOP).as_posix()] = words
                shell_objects.append(words[words.index("-o") + 1])
        link = shlex.split(commands[-1].removeprefix(": && ").removesuffix(" && :"))
        archive = next(i for i, w in enumerate(link) if w.endswith("libveilora_shell.a"))
        self.link = link[:archive] + shell_objects + link[archive + 1:]
        PROGRAM.mkdir(parents=True, exist_ok=True)
        for helper in list(BASE.glob("*.exe")) + list(BASE.glob("*.dll")):
            if helper.name != "veilora.exe":
                shutil.copy2(helper, PROGRAM / helper.name)

    def make(self, m: Mutant) -> str | None:
        """Builds the program with the mutant planted; None, or why it did not build."""
        command = self.compile.get(m.file)
        if command is None:
            return "not a source of the Win32 shell"
        source = SCRATCH / "src" / m.file
        source.parent.mkdir(parents=True, exist_ok=True)
        text = (TOP / m.file).read_text(encoding="utf-8")
        source.write_text(text.replace(m.original, m.replacement, 1), encoding="utf-8")
        obj = SCRATCH / "mutant.obj"
        command = list(command)
        command[command.index("-o") + 1] = str(obj)
        command[command.index("-c") + 1] = str(source)
        command[1:1] = ["-iquote", str((TOP / m.file).parent)]
        # Some code only a mistake leaves unused is not a reason to refuse the mutant.
        command = [w for w in command if w != "-Werror"]
        built = subprocess.run(command, cwd=BASE, capture_output=True, **TEXT)
        if built.returncode != 0:
            errors = [line for line in built.stderr.splitlines() if "error" in line]
            return errors[0] if errors else "does not compile"
        original = self.compile[m.file][self.compile[m.file].index("-o") + 1]
        link = list(self.link)
        link[link.index(original)] = str(obj)
        link[link.index("-o") + 1] = str(PROGRAM / "veilora.exe")
        linked = subprocess.run(link, cwd=BASE, capture_output=True, **TEXT)
        if linked.returncode != 0:
            errors = [line for line in linked.stderr.splitlines() if "error" in line]
            return errors[0] if errors else "does not link"
        return None


def run_tests(m: Mutant) -> None:
    env = dict(os.environ, VEILORA_WIN64_DIR=str(PROGRAM), VEILORA_BITS="64",
               VEILORA_E2E_WORK=str(SCRATCH / "e2e"),
               VEILORA_E2E_ARTIFACTS=str(SCRATCH / "artifacts" / m.key))
    for module, pattern in m.tests:
        try:
            done = subprocess.run([sys.executable, str(E2E_DIR / "run.py"), module, pattern],
                                  cwd=E2E_DIR, env=env, capture_output=True, timeout=TEST_TIMEOUT,
                                  **TEXT)
        except subprocess.TimeoutExpired:
            m.outcome, m.detail = "killed", f"{module} {pattern}: timed out"
            return
        if done.returncode != 0:
            failed = re.findall(r"^(?:FAIL|ERROR): (\S+)", done.stderr, re.M)
            m.outcome, m.detail = "killed", f"by {module} {failed[0] if failed else pattern}"
            return
    m.outcome, m.detail = "survived", ""


# ---------------------------------------------------------------------------------------
# Report


def report(mutants: list[Mutant]) -> int:
    counted = [m for m in mutants if m.outcome in ("killed", "survived")
               and not (m.outcome == "survived" and m.equivalent)]
    killed = sum(m.outcome == "killed" for m in counted)
    print(f"\n{'file':44} {'mutants':>7} {'killed':>6} {'survived':>8}")
    for f in sorted({m.file for m in mutants}):
        ms = [m for m in mutants if m.file == f]
        print(f"{f:44} {len(ms):7} {sum(m.outcome == 'killed' for m in ms):6} "
              f"{sum(m.outcome == 'survived' for m in ms):8}")
    for title, outcome in (("Survivors", "survived"), ("Invalid", "invalid"),
                           ("Not built", "unbuilt")):
        chosen = [m for m in mutants if m.outcome == outcome]
        if chosen:
            print(f"\n{title}:")
            for m in chosen:
                extra = f"equivalent: {m.equivalent}" if m.equivalent and outcome == "survived" \
                    else m.detail or "tests: " + " ".join(f"{a} {b}" for a, b in m.tests)
                print(f"  {m.where}  {m.file}: {m.reason}\n      {extra}")
    pending = sum(not m.outcome for m in mutants)
    if pending:
        print(f"\n{pending} mutants not run yet")
    if not counted:
        print("\nNothing counted.")
        return 1
    print(f"\nScore: {killed} of {len(counted)} counted mutants killed, "
          f"{100.0 * killed / len(counted):.1f} %")
    return 0


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("only", nargs="*", help="only mutants of files starting with these "
                        "paths, or at these data locations (cover.txt:12)")
    parser.add_argument("--check", action="store_true", help="check the data and stop")
    parser.add_argument("--fresh", action="store_true",
                        help="forget the kept verdicts of the chosen mutants")
    parser.add_argument("--report", action="store_true", help="report the kept verdicts only")
    args = parser.parse_args()

    mutants = [m for path in sorted(DATA_DIR.glob("*.txt")) for m in parse(path)]
    if args.only:
        mutants = [m for m in mutants
                   if any(m.file.startswith(o) or m.where == o for o in args.only)]
    check(mutants)
    if args.check:
        for m in mutants:
            if m.outcome == "invalid":
                print(f"{m.where}: {m.detail}: {m.reason}")
        print(f"{len(mutants)} mutants, {sum(m.outcome == 'invalid' for m in mutants)} invalid")
        return 1 if any(m.outcome == "invalid" for m in mutants) else 0

    SCRATCH.mkdir(parents=True, exist_ok=True)
    verdicts = json.loads(VERDICTS.read_text()) if VERDICTS.exists() else {}
    for m in mutants:
        if args.fresh:
            verdicts.pop(m.key, None)
        elif not m.outcome and m.key in verdicts:
            m.outcome, m.detail = verdicts[m.key]
    if not args.report:
        todo = [m for m in mutants if not m.outcome]
        print(f"{len(mutants)} mutants, {len(todo)} to run", flush=True)
        builder = Builder() if todo else None
        for i, m in enumerate(todo, 1):
            start = time.monotonic()
            unbuilt = builder.make(m)
            if unbuilt:
                m.outcome, m.detail = "unbuilt", unbuilt
            else:
                run_tests(m)
            verdicts[m.key] = [m.outcome, m.detail]
            VERDICTS.write_text(json.dumps(verdicts, indent=1))
            print(f"[{i}/{len(todo)}] {m.outcome:8} {m.where}  {m.reason}  "
                  f"({time.monotonic() - start:.0f} s) {m.detail}", flush=True)
    return report(mutants)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except CannotRun as e:
        print(f"mutate-e2e: {e}", file=sys.stderr)
        sys.exit(2)
