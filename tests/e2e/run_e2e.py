#!/usr/bin/env python3
"""End-to-end runs of the real saver program under Wine on a virtual display.

Every group of cases runs on its own Xvfb display (1024 x 768 x 24), in its
own Wine prefix and work folder inside the build tree, and drives the program
as the platform and the user would: command lines, key presses and mouse
moves through xdotool, screenshots through Xlib (tests/screen.py), and small Windows helpers of
this directory (an exact-command-line launcher, a preview parent window and a
window inspector). Groups share nothing, so CTest runs them side by side, one
group per test:

    python3 run_e2e.py --group full_screen --saver .../Tamblorn.scr \
        --wine-run .../wine-run.sh --build-dir ... --launcher ... ...

Each group is a module of this directory; support.py holds what they share,
../stage.py and ../screen.py what they share with the other drivers. Standard library only.
"""

import argparse
import os
import signal
import sys
import time
import unittest

sys.dont_write_bytecode = True  # the suite leaves no byte code in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from bonfire import Bonfire  # noqa: E402
from command_line import CommandLine  # noqa: E402
from dialog import Dialog, DialogOnCodePage1252, DialogOnCodePage65001  # noqa: E402
from full_screen import FullScreen, Pictures  # noqa: E402
from preview import Preview  # noqa: E402
from support import CONFIG, SKIPPED, STAGE, close_stage  # noqa: E402
from two_monitors import TwoMonitors  # noqa: E402
from win9x import Win9x  # noqa: E402

GROUPS = {
    'command_line': CommandLine,
    'full_screen': FullScreen,
    'bonfire': Bonfire,
    'preview': Preview,
    'dialog': Dialog,
    'dialog_cp1252': DialogOnCodePage1252,
    'dialog_cp65001': DialogOnCodePage65001,
    'win9x': Win9x,
    'two_monitors': TwoMonitors,
}
# Groups that "all" leaves out.
EXTRA_GROUPS = {'pictures': Pictures}


def stop_on_signal(number, frame):
    """Termination runs the same clean-up as an interruption: no display, Wine
    server or saver outlives the run."""
    raise KeyboardInterrupt('signal %d' % number)


def main():
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGHUP, stop_on_signal)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--group', action='append', choices=sorted(GROUPS) + sorted(EXTRA_GROUPS) + ['all'],
                        required=True)
    # The built Tamblorn.scr, the tree's wine-run.sh and where the prefixes go; the helper programs, the test
    # doubles (PASSWORD.CPL, MPR.DLL), the renderer that tells where the canvas goes, the logs picture and where the
    # pictures of the groups pictures and two_monitors go: each group uses its own.
    for name in ('launcher', 'preview-parent', 'inspector', 'vanishing-parent', 'command-line-runs', 'verifier',
                 'password-change', 'render', 'logs-bitmap', 'screens'):
        parser.add_argument('--' + name, default='')
    for name in ('saver', 'wine-run', 'build-dir'):
        parser.add_argument('--' + name, required=True)
    parser.add_argument('unittest_args', nargs='*', help='passed on to unittest, e.g. -k jump')
    parser.parse_args(namespace=CONFIG)
    for name, value in vars(CONFIG).items():
        if isinstance(value, str) and value:
            setattr(CONFIG, name, os.path.abspath(value))

    groups = sorted(GROUPS) if 'all' in CONFIG.group else CONFIG.group
    loader = unittest.TestLoader()
    if CONFIG.unittest_args:
        loader.testNamePatterns = ['*%s*' % pattern for pattern in CONFIG.unittest_args]
    cases = dict(GROUPS, **EXTRA_GROUPS)
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(cases[group]) for group in groups)
    started = time.monotonic()
    try:
        result = unittest.TextTestRunner(verbosity=2).run(suite)
    finally:
        close_stage()
    for label, seconds in STAGE.timings:
        print('timing: %s %.2f' % (label, seconds))
    for text in STAGE.counts:
        print('count: ' + text)
    print('e2e %s: %.1f s' % (', '.join(groups), time.monotonic() - started))
    if result.testsRun and len(result.skipped) == result.testsRun:
        return SKIPPED
    return 0 if result.wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main())
