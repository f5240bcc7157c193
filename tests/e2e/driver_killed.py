#!/usr/bin/env python3
"""A group whose driver is killed leaves nothing running. The driver command
(a group of run_e2e.py) is started again and again and killed with SIGKILL at a
random moment: alone, or with every process below it as CTest does at a time
limit. Then no display, Wine server, Windows program or saver of that start
may remain: the state is waited for (a bounded while), no time is judged.

    driver_killed.py --work DIR --wine-run .../wine-run.sh -- python3 run_e2e.py --group bonfire ...

The tree's template prefix is made first: in a fresh tree the first groups
wait for it, and a killed driver's wine-run.sh would wait there too (it ends
by itself once the template is made) rather than start anything.

Standard library only.
"""

import argparse
import os
import random
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import stage  # noqa: E402

MARK = 'TAMBLORN_GROUP_MARK'
KILLS = (4, 12)  # (sample, full count)
LATEST_KILL = 20.0  # seconds after the start: the display, the prefix and the saver come up in that time
LEFT_WAIT = 30.0  # an upper bound for the watchdogs on a busy machine; the figure is printed, not judged


def kill_tree(pid):
    """What CTest does to a test past its limit: stops the process, kills what runs below it, then it."""
    os.kill(pid, signal.SIGSTOP)
    table = stage.process_table()
    for child, (parent, _, _) in table.items():
        if parent == pid:
            kill_tree(child)
    os.kill(pid, signal.SIGKILL)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--work', required=True)
    parser.add_argument('--wine-run', required=True)
    parser.add_argument('driver', nargs='+')
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    env = dict(os.environ, DISPLAY='', TAMBLORN_WINE_PREFIX=os.path.join(args.work, 'prefix'))
    code, output = stage.run_to_file([args.wine_run, 'cmd', '/c', 'exit', '0'], env,
                                     os.path.join(args.work, 'template.txt'), 600)
    if code != 0:
        print('the template prefix could not be made: %s' % output.decode('utf-8', 'replace'))
        return code
    seed = random.randrange(1 << 31)
    rng = random.Random(seed)
    kills = KILLS[os.environ.get('TAMBLORN_STRESS') == '1']
    left_over = 0
    for number in range(kills):
        value = '%d-%d' % (os.getpid(), number)
        whole_tree = number % 2 == 1
        with open(os.path.join(args.work, 'driver-%d.txt' % number), 'wb') as output:
            driver = subprocess.Popen(args.driver, env=dict(os.environ, **{MARK: value}), stdin=subprocess.DEVNULL,
                                      stdout=output, stderr=subprocess.STDOUT)
        moment = rng.uniform(0, LATEST_KILL)
        try:
            driver.wait(moment)
        except subprocess.TimeoutExpired:
            pass
        running = stage.marked_processes(MARK, value, driver.pid)
        if driver.poll() is None:
            if whole_tree:
                kill_tree(driver.pid)
            else:
                driver.kill()
            driver.wait()
        killed = time.monotonic()
        stage.wait_for(lambda: not stage.marked_processes(MARK, value), LEFT_WAIT)
        left = stage.marked_processes(MARK, value)
        print('kill %d (%s) at %.1f s with %d of its processes running outside it: %d left after %.1f s%s' % (
            number + 1, 'with its tree' if whole_tree else 'driver alone', moment, len(running), len(left),
            time.monotonic() - killed, ''.join('\n  left: %d %s' % (pid, command[:80]) for pid, command in left)))
        left_over += len(left)
        for pid, _ in left:
            os.kill(pid, signal.SIGKILL)
    print('driver kills: %d (seed %d), processes left: %d' % (kills, seed, left_over))
    return 1 if left_over else 0


if __name__ == '__main__':
    sys.exit(main())
