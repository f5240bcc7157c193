"""What the Python test drivers share with the project's scripts (tools/lib.sh):
the virtual display, the Wine server of a prefix, the settings file's name and
the wait for a state. A prefix is made by the tree's wine-run.sh on its first
use, through the same library. Standard library only.
"""

import os
import re
import signal
import subprocess
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


def wait_for(condition, timeout, interval=0.1):
    """The condition's first true value, or its last value when the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def process_gone(pid):
    """Whether the process has ended (a process nobody has reaped yet counts as ended)."""
    try:
        with open('/proc/%d/stat' % pid) as stat:
            return stat.read().rsplit(')', 1)[1].split()[0] == 'Z'
    except OSError:
        return True


def start_display(numbers, screen='1024x768x24', nested_screens=(), inside=None):
    """Starts an X server by the rules of tools/lib.sh on the first free number
    of the range and returns (':N', pid) once it answers: Xvfb with the screen,
    or with nested_screens a Xephyr with those Xinerama heads inside the display
    `inside`."""
    env = dict(os.environ, TAMBLORN_SCREEN=screen, TAMBLORN_NESTED_SCREENS=' '.join(nested_screens))
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


def wineserver(prefix, *args):
    """Runs the Wine server command of the prefix: -k stops it (and every program there), -w waits for that."""
    subprocess.run([WINESERVER] + list(args), env=dict(os.environ, WINEPREFIX=prefix), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def stop_prefix(prefix):
    wineserver(prefix, '-k')
    wineserver(prefix, '-w')


def keep_prefix_up(prefix):
    """Keeps the prefix's Wine server running between programs, so that each starts quickly."""
    subprocess.Popen([WINESERVER, '-p'], env=dict(os.environ, WINEPREFIX=prefix), stdin=subprocess.DEVNULL,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True).wait()


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
