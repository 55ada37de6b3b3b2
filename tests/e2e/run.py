"""Runs one end-to-end test module, or the tests of it whose names contain a pattern. For the 32-bit program, when this machine cannot run
32-bit Windows programs, the module is reported as skipped with the reason (ctest reads exit
code 77 as skipped): never passed, never silently dropped."""

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
    unittest.main(module=module, argv=[sys.argv[0], "-v", *(["-k", pattern[0]] if pattern else [])])
