"""Runs one end-to-end test module, or the tests of it whose names contain a pattern. For the 32-bit program, when this machine cannot run
32-bit Windows programs, the module is reported as skipped with the reason (ctest reads exit
code 77 as skipped): never passed, never silently dropped. A pattern that matches no test
fails: a misspelt selector must not pass for a run."""

import sys
import unittest

import harness

SKIPPED = 77

if __name__ == "__main__":
    module = sys.argv[1]
    if harness.BITS == 32:
        reason = harness.wine32_missing_reason()
        if reason:
            print(f"SKIPPED {module} for the 32-bit program: {reason}")
            sys.exit(SKIPPED)
    pattern = sys.argv[2:3]
    run = unittest.main(module=module, exit=False,
                        argv=[sys.argv[0], "-v", *(["-k", pattern[0]] if pattern else [])])
    if run.result.testsRun == 0:
        print(f"no test of {module} matches {pattern[0] if pattern else '(all)'}: nothing ran")
        sys.exit(1)
    ok = run.result.wasSuccessful()
    if not ok:
        # Under load Wine now and then stops delivering keys after a cover was removed (X's
        # keyboard focus left on the taskbar; enter_password mends that for the prompt): a
        # test that failed runs once more, alone, and the first failure stays in the output.
        failed = [test.id() for test, _ in run.result.failures + run.result.errors]
        print(f"RETRYING once for the {harness.BITS}-bit program: {', '.join(failed)}",
              flush=True)
        again = unittest.main(module=None, exit=False, argv=[sys.argv[0], "-v", *failed])
        ok = again.result.wasSuccessful() and again.result.testsRun == len(failed)
    sys.exit(0 if ok else 1)
