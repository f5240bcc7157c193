#!/usr/bin/env python3
"""End-to-end runs of the X11 program `tamblorn` on virtual displays.

Each group starts its own Xvfb through tools/start-display.sh (the two-head
group a nested Xephyr with two Xinerama heads, as the Windows tests do) and
drives the program as the XScreenSaver daemon and a user would: window ids,
XSCREENSAVER_WINDOW, -root, signals, resizes; screenshots through Xlib (tests/screen.py).

    run_x11.py --group windows|depths|ending|two_heads|frame --program .../tamblorn \\
        --render .../tamblorn-render --work-dir ...
"""

import argparse
import ctypes
import os
import re
import signal
import subprocess
import sys
import threading
import time
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import native_run  # noqa: E402
import screen  # noqa: E402
import stage  # noqa: E402
import two_heads  # noqa: E402
from native_run import centred, finish  # noqa: E402

TARGET_SIZE = (640, 480)
SCREEN_CANVAS = centred(1024, 768)
STOP_WAIT = 5.0  # an upper bound for a loaded machine; the figure itself is printed, not judged
SHM_DEST = 0o1000  # the mode bit `ipcs` shows as "dest"
STOP_SIGNALS = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)
START_WAIT = 60.0  # an upper bound: the tests wait for the state, on a busy machine too
SELECT_TRIES = 3
CYCLES = 100
FRAME_TICKS = 60
FRAME_SEED = 7
# The sizes and strengths refused are the reader's (native.unix): one here, with the rest the program checks.
BAD_OPTIONS = (['-bogus'], ['-size'], ['-size', '0'], ['-size', '3x'], ['-window-id', 'zero'], ['-window-id', '0'],
               ['root'], ['-ticks', '-1'], ['--seed', 'x'], ['-size', 'abc'], ['-text', '\U0001F525'], ['-text', ''])
FIFO, FONTS = None, 'fonts'  # the settings file a FIFO; a font set without the Mincho face
UNBURNABLE = ((b'[FONT]\nSIZE=200', 'SIZE'), (b'[WHITCH]\nFIRE=2', 'FIRE'), (FIFO, 'not a regular file'),
              (FONTS, 'IPAMincho is missing'))  # each burns all the same, with a line on what it set back
FONTS_WITHOUT_MINCHO = ('<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><dir>/usr/share/fonts/opentype/'
                        'ipafont-gothic</dir><alias><family>IPAMincho</family><prefer><family>DejaVu Sans</family>'
                        '</prefer></alias><cachedir>%s</cachedir></fontconfig>')
JUMP_TICKS, JUMP_WINDOW = 102, (512, 768)  # the first jump at the 101st tick; two windows side by side
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
PLAIN_USER = 'tamblorn-user'  # the daemon refuses root (tools/setup.sh makes the user)
STRING_VALUES = {'-text %': 'Tamblorn', '-font %': 'IPAGothic'}
SIZES_RUN = ('', '-size 1', '-size 32', '-size 127')  # the description offers every size (native.one_settings_table)
DAEMON_FILE = ('mode: one\nselected: 0\nlock: False\nsplash: False\ntimeout: 1:00:00\n'
               'programs: \\\n%s\n')
BIG_SCREEN, BIG_SCREEN_WIDTH = '3840x2160x24', 3840
SHOTS = 30  # xwd failed 7 times in 30 shots beside windows that came and went

CONFIG = argparse.Namespace()


def start(args, extra_env=None):
    env = dict(os.environ, DISPLAY=stage.STAGE.display, XDG_CONFIG_HOME=CONFIG.work_dir)
    env.pop('XSCREENSAVER_WINDOW', None)
    env.update(extra_env or {})
    return subprocess.Popen([CONFIG.program] + args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def segments_of(pid):
    """The shared-memory segments the process created that still exist, as (id, mode): what `ipcs -m -p`
    lists, read from the kernel's table without a process for every look."""
    with open('/proc/sysvipc/shm') as table:
        rows = [line.split() for line in table.read().splitlines()[1:]]
    return [(int(row[1]), int(row[2], 8)) for row in rows if int(row[4]) == pid]


def marked_segments(pid):
    """The process's segments, once every one is marked for removal (as it is once attached)."""
    segments = segments_of(pid)
    return segments if segments and all(mode & SHM_DEST for _, mode in segments) else []


def make_window(test, size=TARGET_SIZE, title='xlogo', left=0):
    """A plain window of the test's own (xlogo), as the daemon would give one, gone when the test ends."""
    holder = subprocess.Popen(['xlogo', '-display', stage.STAGE.display, '-geometry', '%dx%d+%d+0' % (size + (left,)),
                               '-title', title, '-bg', 'black', '-fg', 'black'], stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE)
    test.addCleanup(lambda: (holder.kill(), holder.wait()))
    found = window_named(title, holder)
    # The named window is the toolkit's shell: its one child covers it and is the one to draw on.
    children = stage.wait_for(lambda: re.findall(r'^\s+(0x[0-9a-f]+)', stage.x_tool('xwininfo', '-children', '-id',
                                                                                 str(found)), re.M), START_WAIT)
    return holder, int(children[0], 16)


def window_named(name, process):
    """The last visible window of that name, once there is one; fails saying what it knows when the
    process that should show it ends first or none comes."""
    found = stage.wait_for(lambda: stage.x_tool('xdotool', 'search', '--onlyvisible', '--name', '^%s$' % name).split() or
                         process.poll() is not None, START_WAIT)
    if isinstance(found, list):
        return int(found[-1])
    state = 'runs' if process.poll() is None else 'ended with %s: %s' % (
        process.returncode, process.stderr.read().decode('utf-8', 'replace') if process.stderr else '')
    raise AssertionError('no window %r (its process %s); the display shows: %s' % (
        name, state, stage.x_tool('xwininfo', '-root', '-tree')))


def argb_window(size=TARGET_SIZE):
    """A window of a 32-bit ARGB visual, as compositing desktops give, made through Xlib; open while the
    returned connection is."""
    (x, ulong), (connection, root) = (screen.X11, ctypes.c_ulong), screen.connect()
    visual_info = (ctypes.c_void_p * 8)()  # the visual first
    assert x.XMatchVisualInfo(connection, 0, 32, 4, visual_info), 'no 32-bit TrueColor visual'
    attributes = (ulong * 14)()  # XSetWindowAttributes as LP64 lays it out: the colormap is the 13th word
    attributes[12] = x.XCreateColormap(connection, root, ctypes.c_void_p(visual_info[0]), 0)
    window = ulong(x.XCreateWindow(connection, root, 0, 0, *size, 0, 32, 1, ctypes.c_void_p(visual_info[0]),
                                   ulong(1 << 1 | 1 << 3 | 1 << 13), attributes))  # back, border pixel, colormap
    x.XMapWindow(connection, window)
    x.XSync(connection, 0)
    return connection, window.value


def set_resources(text):
    """The root's resources (what xrdb sets), through Xlib."""
    connection, root = screen.connect()
    atom = ctypes.c_ulong(screen.X11.XInternAtom(connection, b'RESOURCE_MANAGER', 0))
    screen.X11.XChangeProperty(connection, root, atom, ctypes.c_ulong(31), 8, 0, text, len(text))  # XA_STRING, replace
    screen.X11.XCloseDisplay(connection)


def window_alpha(window):
    """The alpha bytes of a 32-bit window's pixels."""
    return screen.x_image(window, lambda image, _: ctypes.string_at(image.data, image.bytes_per_line * image.height)[
        (3 if image.byte_order == screen.X_LSB_FIRST else 0)::4])


def wait_flames(rect, shot=screen.screenshot, timeout=START_WAIT, only=False):
    """The picture once fire burns in the rectangle (with nothing lit outside it, if only), else None."""
    return stage.wait_for(lambda: (lambda image: image if screen.lit_bytes(image, rect) and not (
        only and screen.lit_outside(image, rect)) else None)(shot()), timeout)


def burns_only_in(test, rect, shot=screen.screenshot, timeout=START_WAIT, message=None):
    """The picture once fire burns in the rectangle with nothing lit outside it: a frame before may still show."""
    image = wait_flames(rect, shot, timeout, True)
    test.assertIsNotNone(image, message or 'no flames in %s alone' % (rect,))
    return image


def lit_width_within(low, high):
    """Whether the screen's lit width comes to be in (low, high] within the bound."""
    return stage.wait_for(lambda: (lambda box: box and low < box[2] - box[0] <= high)(
        screen.lit_box(screen.screenshot())), START_WAIT)


def assert_stops(test, process, send=None, timeout=60.0):
    """The process, sent its end (a terminate when none is given), ends within the bound with 0 and leaves no
    segment."""
    (send or process.terminate)()
    code, errors = finish(process, timeout)
    test.assertEqual(code, 0, errors)
    test.assertEqual(segments_of(process.pid), [])


class Windows(unittest.TestCase):
    """Where the program draws, and how it follows and leaves its window."""

    def test_own_window_burns_centred_and_ends_on_q_and_escape(self):
        for key in ('q', 'Escape'):
            process = start(['-seed', '3'])
            self.addCleanup(process.kill)  # a failed check leaves no window over the next tests
            window = window_named('Tamblorn', process)
            self.assertIn('"tamblorn", "Tamblorn"', stage.x_tool('xprop', '-id', str(window), 'WM_CLASS'))
            burns_only_in(self, SCREEN_CANVAS)
            assert_stops(self, process, lambda: stage.x_tool('xdotool', 'key', '--window', str(window), key))

    def test_resize_recentres_the_canvas(self):
        process = start(['-bonfire'])
        self.addCleanup(process.kill)  # a failed check leaves no window over the next tests
        window = str(window_named('Tamblorn', process))
        bonfire = (286, 306)
        burns_only_in(self, centred(1024, 768, bonfire))
        stage.x_tool('xdotool', 'windowsize', '--sync', window, '800', '700')
        burns_only_in(self, centred(800, 700, bonfire), message='the canvas did not move')
        assert_stops(self, process)

    def test_window_id_and_the_daemons_window_ends_with_the_window(self):
        for how in ('option', 'environment', 'daemon'):
            holder, window = make_window(self)
            # The daemon passes --root with its window in the environment.
            args = {'option': ['-window-id', hex(window)], 'environment': [], 'daemon': ['--root']}[how]
            env = {} if how == 'option' else {'XSCREENSAVER_WINDOW': hex(window)}
            process = start(args, env)
            burns_only_in(self, centred(*TARGET_SIZE), lambda: screen.window_image(window), message=how)
            assert_stops(self, process, holder.kill)

    def test_a_daemon_window_that_names_no_window_is_left_aside(self):
        """Cut, wider than the protocol's 32 bits (Xlib would cut it to the holder), 0 or signed: with --root the
        program burns on the root (which keeps the last run's flames: the fire is seen by its change) and leaves a
        fresh holder beside the root's centre black."""
        for case in range(4):
            holder, window = make_window(self, (200, 150), 'holder%d' % case, 800)
            value = ('0x12zz', hex(window + (1 << 32)), '0', '-%d' % window)[case]
            before = screen.screenshot()
            process = start(['--root'], {'XSCREENSAVER_WINDOW': value})
            self.addCleanup(process.kill)  # a failed check leaves nothing drawing over the next tests
            changed = stage.wait_for(lambda: process.poll() is not None or (lambda i: i if screen.lit_bytes(
                i, SCREEN_CANVAS) and i[2] != before[2] else None)(screen.screenshot()), START_WAIT)
            self.assertIsInstance(changed, tuple, '%s: no fire on the root (%s)' % (value, process.poll()))
            self.assertEqual(screen.lit_bytes(screen.window_image(window), (0, 0, 200, 150)), 0, value)
            self.assertEqual(stage.x_tool('xdotool', 'search', '--name', '^Tamblorn$'), '', '%s: its own window' % value)
            assert_stops(self, process)
            holder.kill()  # a fresh holder for the next value
            holder.wait()

    def test_settings_it_cannot_burn_fall_back_and_say_so(self):
        path, fonts = native_run.settings_path(CONFIG.work_dir), os.path.join(CONFIG.work_dir, 'fonts.conf')
        with open(fonts, 'w') as config:
            config.write(FONTS_WITHOUT_MINCHO % os.path.join(CONFIG.work_dir, 'font-cache'))
        for content, word in UNBURNABLE:
            if content is FIFO:
                os.mkfifo(path)
            elif content is not FONTS:
                native_run.settings_path(CONFIG.work_dir, content)
            holder, window = make_window(self)  # black until the program draws, unlike the root
            process = start(['-window-id', str(window)], {'FONTCONFIG_FILE': fonts} if content is FONTS else {})
            image = wait_flames(centred(*TARGET_SIZE), lambda: screen.window_image(window))
            process.terminate()
            code, errors = finish(process)
            holder.kill()
            if os.path.lexists(path):
                os.remove(path)
            self.assertEqual((image is not None, code, len(errors.splitlines())), (True, 0, 1), errors)
            self.assertIn(word, errors)

    def test_two_copies_jump_to_different_places(self):
        windows = [make_window(self, JUMP_WINDOW, 'copy%d' % copy, copy * JUMP_WINDOW[0]) for copy in range(2)]
        runs = [start(['-window-id', str(window), '-ticks', str(JUMP_TICKS)]) for _, window in windows]
        self.assertEqual([finish(process, START_WAIT)[0] for process in runs], [0, 0])
        # The leftmost column and the lowest row that burn follow the canvas's place (to a pixel).
        boxes = [screen.lit_box(screen.window_image(window)) for _, window in windows]
        self.assertTrue(abs(boxes[0][0] - boxes[1][0]) > 1 or abs(boxes[0][3] - boxes[1][3]) > 1, boxes)

    def test_screenshots_hold_while_other_windows_come_and_go(self):
        (x, stop), (connection, root) = (screen.X11, threading.Event()), screen.connect()

        def come_and_go():  # as the daemon's windows and those of the case before come and go
            while not stop.is_set():
                window = ctypes.c_ulong(x.XCreateSimpleWindow(connection, root, 0, 0, 8, 8, 0, 0, 0))
                x.XMapWindow(connection, window)
                x.XSync(connection, 0)
                x.XDestroyWindow(connection, window)
                x.XSync(connection, 0)
        threading.Thread(target=come_and_go, daemon=True).start()
        shots = [screen.screenshot()[:2] for _ in range(SHOTS)]
        stop.set()
        self.assertEqual(shots, [(1024, 768)] * SHOTS)

    def test_root_burns_in_the_middle_and_leaves_the_rest_black(self):
        process = start(['--root', '--seed', '5'])
        self.addCleanup(process.kill)
        burns_only_in(self, SCREEN_CANVAS)
        assert_stops(self, process)


class Depths(unittest.TestCase):
    """TrueColor of depth 16 burns too; a visual it cannot draw on ends with a message and 1."""

    def test_depths_15_16_and_30_burn_and_depth_8_is_refused(self):
        for depth, expected in ((16, 0), (15, 0), (30, 0), (8, 1)):
            display, xvfb = stage.start_display(range(440, 460), '1024x768x%d' % depth)
            saved, stage.STAGE.display = stage.STAGE.display, display
            try:
                process = start(['-root'])
                image = wait_flames(SCREEN_CANVAS) if expected == 0 else screen.screenshot()
                process.terminate()
                code, errors = finish(process)
            finally:
                stage.stop_display(xvfb)
                stage.STAGE.display = saved
            self.assertEqual(code, expected, errors)
            self.assertEqual(image is not None and screen.lit_bytes(image, SCREEN_CANVAS) > 0, expected == 0, depth)
            self.assertEqual('TrueColor' in errors, expected == 1, errors)


    def test_argb_window_is_drawn_opaque(self):
        connection, window = argb_window()
        code, errors = finish(start(['-window-id', str(window), '-ticks', '20']))
        self.assertEqual((code, window_alpha(window).count(0xFF)), (0, TARGET_SIZE[0] * TARGET_SIZE[1]), errors)
        screen.X11.XCloseDisplay(connection)


class Ending(unittest.TestCase):
    """Signals, wrong options and many starts and stops leave nothing behind."""

    def started(self, args=('-root', '-bonfire'), env=None):
        process = start(list(args), env)
        self.assertTrue(stage.wait_for(lambda: marked_segments(process.pid) or process.poll() is not None,
                                     START_WAIT, 0.05), 'no shared image')
        return process

    def test_each_signal_ends_it_at_once_with_0_and_no_segment(self):
        for number in STOP_SIGNALS:
            # The sanitizers' leak scan at exit is theirs, not the program's ending: it is left out here.
            process = self.started(env={'ASAN_OPTIONS': 'detect_leaks=0'})
            sent = time.monotonic()
            assert_stops(self, process, lambda: process.send_signal(number), STOP_WAIT)
            print('%s: ended after %.0f ms' % (signal.Signals(number).name, (time.monotonic() - sent) * 1000))

    def test_segment_is_gone_even_after_sigkill(self):
        process = self.started()
        process.kill()
        process.wait()
        # The X server lets go of the segment when it sees the client gone.
        self.assertTrue(stage.wait_for(lambda: not segments_of(process.pid), 5), segments_of(process.pid))

    def test_bad_options_exit_1_with_the_usage(self):
        # Japanese text under a locale without UTF-8 leaves no character either.
        for args, env in [(args, {}) for args in BAD_OPTIONS] + [(['-text', '\u4e94\u5b57'], {'LC_ALL': 'C'})]:
            code, errors = finish(start(args, env))
            self.assertEqual(code, 1, args)
            self.assertIn('usage: tamblorn', errors, args)

    def test_help_and_version_print_on_standard_output(self):
        with open(os.path.join(ROOT, 'VERSION')) as version:
            version = 'tamblorn %s\n' % version.read().strip()
        for option, text in (('--help', 'usage: tamblorn'), ('-help', 'usage: tamblorn'), ('--version', version)):
            run = subprocess.run([CONFIG.program, option], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
            self.assertEqual((run.returncode, run.stderr), (0, b''), option)
            self.assertIn(text, run.stdout.decode(), option)

    def test_many_starts_and_stops_leave_no_process_or_segment(self):
        pids = []
        for _ in range(CYCLES):
            process = self.started()
            assert_stops(self, process)
            pids.append(process.pid)
        self.assertEqual([pid for pid in pids if segments_of(pid) or not stage.process_gone(pid)], [])
        print('cycles: %d starts and stops' % CYCLES)


class TwoHeads(unittest.TestCase):
    """On two Xinerama heads the canvas starts on the primary and jumps inside one head."""

    def test_start_and_first_jump_stay_inside_one_head(self):
        start_place, target, _ = two_heads.canvas_places(
            two_heads.HEADS, lambda *options: native_run.render(CONFIG, *options, config_home=CONFIG.work_dir))
        process = start(['-root', '-seed', '1'])
        burns_only_in(self, start_place)
        burns_only_in(self, target, timeout=two_heads.JUMP_WAIT)
        self.assertTrue(any(two_heads.inside(target, head) for head in two_heads.HEADS))
        assert_stops(self, process)


class Frame(unittest.TestCase):
    """A bonfire frame read back from the window is the native renderer's canvas."""

    def test_bonfire_frame_equals_the_renderers_pixels(self):
        _, window = make_window(self)
        code, errors = finish(start(['-window-id', str(window), '-bonfire', '-seed', str(FRAME_SEED),
                                     '-ticks', str(FRAME_TICKS)]))
        self.assertEqual(code, 0, errors)
        shot = screen.window_image(window)
        raw = os.path.join(CONFIG.work_dir, 'x11-frame.raw')
        native_run.render(CONFIG, '--bonfire', '--seed', FRAME_SEED, '--ticks', FRAME_TICKS, '--client',
                          '%dx%d' % TARGET_SIZE, '--raw', raw, config_home=CONFIG.work_dir)
        native_run.assert_renderers_canvas(self, shot, raw)


def panel_choices():
    """The argument lists the settings program writes for each state of each control, one control at a time:
    a select's chosen option adds its arg-set (the settings file's, none), a boolean its arg-set when on, a
    text field its arg with the text."""
    choices = []
    for widget in ElementTree.parse(os.path.join(os.path.dirname(CONFIG.program), 'generated', 'tamblorn.xml')).getroot().iter():
        if widget.tag == 'select':
            states = [option.get('arg-set', '') for option in widget.iter('option')]
            choices += [state for state in states if widget.get('id') != 'size' or state in SIZES_RUN]
        elif widget.tag == 'boolean':
            choices += ['', widget.get('arg-set')]
        elif widget.tag == 'string':
            choices.append(widget.get('arg').replace('%', STRING_VALUES[widget.get('arg')]))
    return choices


class Desktop(unittest.TestCase):
    """The settings program's choices through the xscreensaver daemon's own reading of ~/.xscreensaver, and the
    text fitted to a big screen and to a display of 192 dpi."""

    def program_lines(self):
        """The running copies' command lines, as lists; the daemon may double an option's dash (the program takes
        both), so one is taken off."""
        lines = subprocess.run(['pgrep', '-a', '-f', '^' + CONFIG.program], stdout=subprocess.PIPE).stdout.decode()
        return [[word.replace('--', '-', 1) for word in line.split()[1:]] for line in lines.splitlines()]

    def start_daemon(self, home, lines):
        with open(os.path.join(home, '.xscreensaver'), 'w') as settings:
            settings.write(DAEMON_FILE % ' \\n\\\n'.join('  %s -root %s' % (CONFIG.program, line) for line in lines))
        user = PLAIN_USER if os.getuid() == 0 else None
        if user:
            subprocess.run(['chown', '-R', user, home], check=True)
        env = dict(os.environ, HOME=home, DISPLAY=stage.STAGE.display, LC_ALL='C.UTF-8',
                   ASAN_OPTIONS='detect_leaks=0')
        env.pop('XDG_CONFIG_HOME', None)
        # The daemon's and its programs' messages go to a file kept with the work: a pipe nobody reads could
        # hold them up once full.
        log = open(os.path.join(CONFIG.work_dir, 'daemon.log'), 'w')
        self.addCleanup(log.close)
        daemon = subprocess.Popen(['xscreensaver', '-no-splash'], env=env, user=user, cwd=home,
                                  stdout=subprocess.DEVNULL, stderr=log, start_new_session=True)
        def command(*words):
            """The command's exit status, None when the daemon did not answer within its limit."""
            try:
                return subprocess.run(['xscreensaver-command'] + list(words), env=env, user=user,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30).returncode
            except subprocess.TimeoutExpired:
                return None
        self.addCleanup(lambda: (command('-exit'), daemon.wait(30)))
        self.assertTrue(stage.wait_for(lambda: command('-version') == 0, START_WAIT), 'no daemon')
        return command

    def test_each_panel_choice_reaches_the_program_through_the_daemon(self):
        home = os.path.join(CONFIG.work_dir, 'home')
        native_run.settings_path(os.path.join(home, '.config'), b'[FONT]\nSIZE=48\n[FLAME]\nLOOP=1\n')
        choices = panel_choices()
        self.assertIn('-size 32', choices)
        self.assertIn('-no-loop', choices)
        command = self.start_daemon(home, choices)
        for number, choice in enumerate(choices, 1):
            wanted = [CONFIG.program, '-root'] + choice.split()
            # A daemon on a busy machine may let a command go: it is asked again while the choice does not run.
            for _ in range(SELECT_TRIES):
                command('-select', str(number))
                if stage.wait_for(lambda: wanted in self.program_lines(), START_WAIT / SELECT_TRIES):
                    break
            else:
                with open(os.path.join(CONFIG.work_dir, 'daemon.log')) as log:
                    self.fail('%r never ran; running: %r; the daemon said: %s' %
                              (wanted, self.program_lines(), log.read()[-2000:]))
            # The file's 48 against an explicit 32: the burning text is 10 cells of the size wide.
            if choice in ('', '-size 32'):
                self.assertTrue(lit_width_within(*((200, 320) if choice else (320, BIG_SCREEN_WIDTH))),
                                'the text of %r is not %s' % (choice, 'at 32' if choice else 'at 48'))

    def fitted(self, low, high):
        """Whether the fitted text's lit width comes to be in (low, high]."""
        process = start(['-root', '-fit', '-seed', '3'])
        self.addCleanup(process.kill)
        fitted = lit_width_within(low, high)
        assert_stops(self, process)
        return fitted

    def test_fit_sizes_the_text_to_a_big_screen_and_to_192_dpi(self):
        # 32 of 1024 is 120 of 3840: ten cells of 120 pixels; at 192 dpi twice that.
        self.assertTrue(self.fitted(900, 1200), 'the fitted text is not 120 pixels a cell')
        set_resources(b'Xft.dpi:\t192\n')
        self.assertTrue(self.fitted(1800, 2400), 'the fitted text is not 240 pixels a cell at 192 dpi')


GROUPS = {'windows': Windows, 'depths': Depths, 'ending': Ending, 'two_heads': TwoHeads, 'frame': Frame,
          'desktop': Desktop}


def main():
    native_run.read_group(GROUPS, CONFIG)
    stage.STAGE.host_xvfb = None
    if CONFIG.group == 'two_heads':
        two_heads.start_two_heads(numbers=range(460, 500, 2))
    else:
        screen_size = BIG_SCREEN if CONFIG.group == 'desktop' else '1024x768x24'
        stage.STAGE.display, stage.STAGE.xvfb = stage.start_display(range(400, 460), screen_size)
    try:
        return 0 if native_run.run_group(GROUPS, CONFIG) else 1
    finally:
        for server in (stage.STAGE.xvfb, stage.STAGE.host_xvfb):
            if server:
                stage.stop_display(server)


if __name__ == '__main__':
    sys.exit(main())
