#!/usr/bin/env python3
"""Ends what a test started once the test's own process is gone, however it
ended: a normal end, a failure, a time limit's kill or SIGKILL. A virtual
display and a Wine server are no children that die with their starter (the
display is started in a session of its own, the server puts itself into the
background), so tools/lib.sh and tests/stage.py start one of these beside each.

    watchdog.py OWNER-PID [--pid PID]... [--prefix WINEPREFIX --wineserver PATH]...

When OWNER-PID has ended it stops the Wine server of every prefix (and with it
every Windows program there) and ends every PID that still runs (SIGTERM, then
SIGKILL). It ends by itself when every PID has ended and there is no prefix to
stop. Processes are followed through pidfds, so a number used again by a new
process is never taken for the old one. Standard library only.
"""

import argparse
import os
import select
import signal
import subprocess

TERM_WAIT_MS = 5000
STOP_LIMIT = 60


def open_process(pid):
    try:
        return os.pidfd_open(pid)
    except ProcessLookupError:
        return None


def ended(pidfd, wait_ms=0):
    poller = select.poll()
    poller.register(pidfd, select.POLLIN)
    return bool(poller.poll(wait_ms))


def end_process(pidfd):
    for sent in (signal.SIGTERM, signal.SIGKILL):
        try:
            signal.pidfd_send_signal(pidfd, sent)
        except ProcessLookupError:
            return
        if ended(pidfd, TERM_WAIT_MS):
            return


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('owner', type=int)
    parser.add_argument('--pid', type=int, action='append', default=[])
    parser.add_argument('--prefix', action='append', default=[])
    parser.add_argument('--wineserver', default='wineserver')
    args = parser.parse_args()
    followed = [fd for fd in map(open_process, args.pid) if fd is not None]
    owner = open_process(args.owner)
    if owner is not None:
        poller = select.poll()
        poller.register(owner, select.POLLIN)
        running = set(followed)
        for pidfd in running:
            poller.register(pidfd, select.POLLIN)
        while not ended(owner):
            if followed and not running and not args.prefix:
                return
            for pidfd, _ in poller.poll():
                if pidfd in running:
                    running.discard(pidfd)
                    poller.unregister(pidfd)
    for prefix in args.prefix:
        subprocess.run([args.wineserver, '-k'], env=dict(os.environ, WINEPREFIX=prefix), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STOP_LIMIT)
    for pidfd in followed:
        end_process(pidfd)


if __name__ == '__main__':
    main()
