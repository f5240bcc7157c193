"""What the Python test drivers share with the project's scripts (tools/lib.sh):
the stage of a group (its virtual display, the Wine server of its prefix), the
settings file's name, the X tools on the display and the wait for a state. A
prefix is made by the tree's wine-run.sh on its first use, through the same
library. Standard library only.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIB = os.path.join(ROOT, 'tools', 'lib.sh')
SKIPPED = 77  # CTest's skip code: this machine's Wine cannot run the tree


def lib_value(name):
    """A value that tools/lib.sh sets, read from there so that it is written once."""
    with open(LIB) as lib:
        return re.search(r'^%s=(\S+)$' % name, lib.read(), re.M).group(1)


SETTINGS_FILE_NAME = lib_value('TAMBLORN_SETTINGS_FILE_NAME')
WINESERVER = os.path.join(lib_value('TAMBLORN_WINE_DIR'), 'wineserver')


# The display, the Wine prefix and the work folder of the running group.
STAGE = argparse.Namespace(display=None, xvfb=None, host_xvfb=None, prefix=None, work=None, started=[], timings=[],
                           counts=[])

# Every wait is an upper bound for a busy machine; an emulated PC runs many times slower and stretches them all.
WAIT_SCALE = float(os.environ.get('TAMBLORN_WAIT_SCALE') or 1)


def wait_for(condition, timeout, interval=0.1):
    """The condition's first true value, or its last value when the time is up."""
    deadline = time.monotonic() + timeout * WAIT_SCALE
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def x_tool(*args):
    """What an X tool (xdotool, xwininfo, xprop) prints about the stage's display."""
    env = dict(os.environ, DISPLAY=STAGE.display)
    return subprocess.run(list(args), env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=20).stdout.decode('utf-8', 'replace')


def process_gone(pid):
    """Whether the process has ended (a process nobody has reaped yet counts as ended)."""
    try:
        with open('/proc/%d/stat' % pid) as stat:
            return stat.read().rsplit(')', 1)[1].split()[0] == 'Z'
    except OSError:
        return True


def process_table():
    """{pid: (parent pid, command line as text, environment as a set of bytes)} of the readable processes."""
    table = {}
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open('/proc/%s/stat' % entry) as stat:
                parent = int(stat.read().rsplit(')', 1)[1].split()[1])
            with open('/proc/%s/cmdline' % entry, 'rb') as cmdline:
                command = cmdline.read().replace(b'\0', b' ').decode('utf-8', 'replace').strip()
            with open('/proc/%s/environ' % entry, 'rb') as environ:
                table[int(entry)] = (parent, command, set(environ.read().split(b'\0')))
        except (OSError, IndexError, ValueError):
            continue
    return table


def marked_processes(name, value, outside=None):
    """[(pid, command line)] of the running processes whose environment holds name=value, but for the
    process `outside` and those below it: what a run or a group (TAMBLORN_RUN_MARK, TAMBLORN_GROUP_MARK)
    started, told apart from other runs on the same machine."""
    table = process_table()
    mark = ('%s=%s' % (name, value)).encode()

    def below_outside(pid):
        while pid in table and pid != outside:
            pid = table[pid][0]
        return pid == outside

    return sorted((pid, command) for pid, (_, command, env) in table.items()
                  if mark in env and not process_gone(pid) and not below_outside(pid))


def start_display(numbers, screen='1024x768x24', nested_screens=(), inside=None):
    """Starts an X server by the rules of tools/lib.sh on the first free number
    of the range and returns (':N', pid) once it answers: Xvfb with the screen,
    or with nested_screens a Xephyr with those Xinerama heads inside the display
    `inside`."""
    env = dict(os.environ, TAMBLORN_SCREEN=screen, TAMBLORN_NESTED_SCREENS=' '.join(nested_screens),
               TAMBLORN_OWNER_PID=str(os.getpid()))
    if inside:
        env['DISPLAY'] = inside
    found = subprocess.run(['bash', os.path.join(ROOT, 'tools', 'start-display.sh'), str(numbers[0]),
                            str(numbers[-1])], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, timeout=120)
    if found.returncode != 0:
        raise RuntimeError('no virtual display came up on :%d to :%d' % (numbers[0], numbers[-1]))
    number, pid = found.stdout.split()
    return ':' + number.decode(), int(pid)


def stop_display(pid):
    if pid:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            return
        wait_for(lambda: process_gone(pid), 10)


def stop_prefix(prefix):
    """Stops the prefix's Wine server and every program there (-k), and waits for that (-w)."""
    for option in ('-k', '-w'):
        subprocess.run([WINESERVER, option], env=dict(os.environ, WINEPREFIX=prefix), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def lib_call(function, *args):
    """Runs a function of tools/lib.sh for this process, which owns what it starts."""
    return subprocess.run(['bash', '-c', '. "$0" && "$@"', LIB, function] + list(args), stdin=subprocess.DEVNULL,
                          env=dict(os.environ, TAMBLORN_OWNER_PID=str(os.getpid())), timeout=600).returncode


WATCHED_PREFIXES = set()


def watch_prefix(prefix):
    """The prefix's Wine server and programs end when this process does, however it ends."""
    if prefix not in WATCHED_PREFIXES:
        WATCHED_PREFIXES.add(prefix)
        lib_call('tamblorn_watch_prefix', prefix)


def keep_prefix_up(prefix):
    """Keeps the made prefix's Wine server up for the whole group (tamblorn_hold_prefix), so that
    no program of the group meets a server on its way out."""
    watch_prefix(prefix)
    if lib_call('tamblorn_hold_prefix', prefix) != 0:
        raise RuntimeError('no lasting Wine server for ' + prefix)


def run_to_file(command, env, output_path, timeout):
    """Runs a command to its end and gives (exit code, output bytes). The output
    goes through a file, not a pipe: Wine's service processes, started by
    whichever program comes first, inherit the descriptors and would hold a pipe
    open for as long as the prefix's server runs."""
    with open(output_path, 'wb') as output:
        code = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                              timeout=timeout).returncode
    with open(output_path, 'rb') as output:
        return code, output.read()


def settings_path(prefix):
    return os.path.join(prefix, 'drive_c', 'windows', SETTINGS_FILE_NAME)


def windows_path(path):
    """The path of a Unix file as Wine's drive Z: shows it."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


if __name__ == '__main__':
    # stage.py leftovers NAME VALUE OUTSIDE-PID WAIT-SECONDS: waits that long at most for the
    # marked processes to end, prints how many remain and what they are, and ends those.
    _, _, mark_name, mark_value, outside_pid, limit = sys.argv
    wait_for(lambda: not marked_processes(mark_name, mark_value, int(outside_pid)), float(limit))
    left = marked_processes(mark_name, mark_value, int(outside_pid))
    print('%d%s' % (len(left), ''.join(' [%d %s]' % (pid, command[:60]) for pid, command in left)))
    for pid, _ in left:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
