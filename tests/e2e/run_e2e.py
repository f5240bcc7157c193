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
    parser.add_argument('--saver', required=True, help='the built Tamblorn.scr')
    parser.add_argument('--wine-run', required=True, help="the tree's wine-run.sh")
    parser.add_argument('--build-dir', required=True, help='where the prefixes and work files go')
    parser.add_argument('--launcher', default='')
    parser.add_argument('--preview-parent', default='')
    parser.add_argument('--inspector', default='')
    parser.add_argument('--vanishing-parent', default='')
    parser.add_argument('--command-line-runs', default='')
    parser.add_argument('--logs-bitmap', default='')
    parser.add_argument('--render', default='', help='the Windows tamblorn-render, which tells where the canvas goes')
    parser.add_argument('--verifier', default='', help='the PASSWORD.CPL test double')
    parser.add_argument('--password-change', default='', help='the MPR.DLL test double')
    parser.add_argument('--monitor-report', default='', help='the two-monitor group\'s helper')
    parser.add_argument('--screens', default='', help='where the pictures of the groups pictures and two_monitors go')
    parser.add_argument('unittest_args', nargs='*', help='passed on to unittest, e.g. -k jump')
    parser.parse_args(namespace=CONFIG)
    for name in ('saver', 'wine_run', 'build_dir', 'launcher', 'preview_parent', 'inspector', 'vanishing_parent',
                 'command_line_runs', 'logs_bitmap', 'render', 'monitor_report'):
        if getattr(CONFIG, name):
            setattr(CONFIG, name, os.path.abspath(getattr(CONFIG, name)))

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
