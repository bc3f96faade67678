"""Runs the end-to-end modules named on the command line, as `python3 -m unittest -v` does, for
one CTest test. Cases that were skipped are listed again at the end with their reasons; when every
case was skipped (a platform or a tool that is not there), the status is SKIPPED, which CTest
reports as a skipped test rather than a pass."""
import sys
import unittest

SKIPPED = 77


def main(names):
    suite = unittest.defaultTestLoader.loadTestsFromNames(names)
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
    # A class skipped as a whole is reported once, by a holder that is not a case, and never runs.
    skipped_cases = sum(isinstance(case, unittest.TestCase) for case, _ in result.skipped)
    if result.skipped:
        print(f"skipped {len(result.skipped)}, ran {result.testsRun - skipped_cases}:")
        for case, reason in result.skipped:
            print(f"  {case.id()}: {reason}")
    if not result.wasSuccessful():
        return 1
    if result.skipped and result.testsRun == skipped_cases:
        return SKIPPED
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
