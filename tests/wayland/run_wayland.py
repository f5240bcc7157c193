#!/usr/bin/env python3
"""End-to-end runs of the Wayland program `tamblorn-wayland` on a real compositor: Debian's sway with no screen
(the headless backend, the pixman renderer), one output or two of different sizes and scales. Pictures come from
grim, keys from wtype. Each test starts its own compositor as the plain user and ends it.

    run_wayland.py --group frame|outputs|ending|idle --program .../tamblorn-wayland \\
        --render .../tamblorn-render --work-dir ...
"""

import argparse
import glob
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import native_run  # noqa: E402
import screen  # noqa: E402
import stage  # noqa: E402
from native_run import centred, finish  # noqa: E402

PLAIN_USER = 'tamblorn-user'  # sway refuses root (tools/setup.sh makes the user)
FIRST_OUTPUT = (1024, 768)
SECOND_OUTPUT_SCALE = 2
START_WAIT = 60.0  # an upper bound for a loaded machine: the tests wait for states
JUMP_WAIT = 120.0  # jumps come every ten seconds of ticks
FRAME_TICKS, FRAME_SEED = 60, 7
GROUP_MARK = 'TAMBLORN_MARK'  # what the group starts carries it, sway too (tools/lib.sh)
IDLE_SECONDS = 2
CONFIG = argparse.Namespace()


class Compositor:
    """A headless sway of the test's own, with the sockets of its runtime folder."""

    def __init__(self, name):
        self.folder = os.path.join(CONFIG.work_dir, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        config = os.path.join(self.folder, 'sway.conf')
        with open(config, 'w') as text:
            text.write('output HEADLESS-1 resolution %dx%d\n' % FIRST_OUTPUT)
        # A socket's path has room for about a hundred bytes: the runtime folder is a short one of its own.
        self.base = tempfile.mkdtemp(prefix='tamblorn-wayland-')
        os.chmod(self.base, 0o755)
        self.runtime = os.path.join(self.base, 'runtime')
        started = subprocess.run(['bash', '-c', '. "$0" && tamblorn_start_sway "$@"', stage.LIB, config, self.runtime],
                                 env=dict(os.environ, TAMBLORN_OWNER_PID=str(os.getpid()), TAMBLORN_MARK=CONFIG.mark),
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        if started.returncode != 0:
            shutil.rmtree(self.base, ignore_errors=True)
            raise AssertionError(started.stderr.decode('utf-8', 'replace'))
        self.display, pid = started.stdout.decode().split()
        self.pid = int(pid)
        self.ipc = glob.glob(os.path.join(self.runtime, 'sway-ipc.*.sock'))[0]

    def env(self, extra=None):
        env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.display, SWAYSOCK=self.ipc,
                   XDG_CONFIG_HOME=self.folder, TAMBLORN_MARK=CONFIG.mark)
        env.update(extra or {})
        return env

    def tool(self, *args):
        return subprocess.run(list(args), env=self.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=30)

    def start(self, args, extra_env=None):
        return subprocess.Popen([CONFIG.program] + list(args), env=self.env(extra_env), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)

    def shot(self, output):
        """A picture of the output as (width, height, RGB bytes)."""
        run = self.tool('grim', '-t', 'ppm', '-o', output, '-')
        return screen.parse_ppm(run.stdout) if run.returncode == 0 else None

    def covered_outputs(self, pid):
        """The outputs on which a surface of the process stands full screen."""
        tree = json.loads(self.tool('swaymsg', '-t', 'get_tree').stdout)

        def views(node):
            return [node] * (node.get('pid') == pid) + [view for child in node.get('nodes', []) +
                                                        node.get('floating_nodes', []) for view in views(child)]
        return sorted(output['name'] for output in tree['nodes'] if any(view['fullscreen_mode'] == 1 and
                                                                           view['visible'] for view in views(output)))

    def press_key_until_gone(self, process):
        """Types a key until the process ends: a key typed while the program is not yet listening to the
        keyboard wtype adds to the seat is lost, so one comes each turn."""
        return stage.wait_for(lambda: self.tool('wtype', '-k', 'space') and process.poll() is not None, START_WAIT)

    def stop(self):
        if not stage.process_gone(self.pid):
            os.kill(self.pid, signal.SIGTERM)
        stage.wait_for(lambda: stage.process_gone(self.pid), START_WAIT)
        shutil.rmtree(self.base, ignore_errors=True)


def lit(image):
    """The picture when fire burns on black: the compositor's grey shows until the program's first frame."""
    if not image:
        return None
    lit_share = screen.lit_bytes(image, (0, 0, image[0], image[1])) / (image[0] * image[1] * 3)
    return image if 0 < lit_share < 0.5 else None


class WithCompositor(unittest.TestCase):
    def setUp(self):
        # A short folder: fontconfig leaks while it reads its configuration under a long XDG_CONFIG_HOME
        # (checked with Debian's 2.14: one of 96 bytes), which the sanitizers report at the program's exit.
        self.sway = Compositor(self.id().rsplit('.', 1)[1][len('test_'):][:12])
        self.addCleanup(self.sway.stop)

    def started(self, args, output='HEADLESS-1', extra_env=None):
        process = self.sway.start(args, extra_env)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        # The picture counts once the process's own surface covers the output: a program that ended just before
        # may still show its last frame.
        image = stage.wait_for(lambda: process.poll() is not None or output in self.sway.covered_outputs(process.pid)
                               and lit(self.sway.shot(output)), START_WAIT)
        if not isinstance(image, tuple):
            self.fail('no fire on %s: %s' % (output, finish(process, 1)))
        return process, image


class Frame(WithCompositor):
    """The seeded bonfire on an output is the native renderer's canvas, bit for bit: at scale 1, and at scale 2
    too, where the buffer has the output's pixels (a buffer of the surface's size would be enlarged, blurred)."""

    def test_bonfire_equals_the_renderers_pixels_at_scales_1_and_2(self):
        raw = os.path.join(self.sway.folder, 'bonfire.raw')
        native_run.render(CONFIG, '--bonfire', '--seed', FRAME_SEED, '--ticks', FRAME_TICKS, '--client',
                          '%dx%d' % FIRST_OUTPUT, '--raw', raw, config_home=self.sway.folder)
        wanted = screen.raw_canvas(raw)
        for scale in (1, 2):
            self.sway.tool('swaymsg', 'output', 'HEADLESS-1', 'scale', str(scale))
            process, _ = self.started(['-bonfire', '-seed', str(FRAME_SEED), '-ticks', str(FRAME_TICKS)])
            # The last of the ticks stays on the output: the picture is taken once it no longer changes.
            pictures = []
            stage.wait_for(lambda: pictures.append(self.sway.shot('HEADLESS-1')) or
                           len(pictures) > 1 and pictures[-1] == pictures[-2], START_WAIT, 0.5)
            shot = pictures[-1]
            self.assertEqual(shot[:2], FIRST_OUTPUT, scale)
            native_run.assert_renderers_canvas(self, shot, raw, 'scale %d' % scale)
            self.assertEqual(screen.lit_box(shot)[2] - screen.lit_box(shot)[0] <= wanted[0], True, scale)
            process.kill()
            process.wait()


class Outputs(WithCompositor):
    """On two outputs of different sizes and scales both are covered; the text starts centred on the first and
    burns inside one output at every picture, until it has jumped onto the second; an output that comes is covered."""

    def test_text_starts_on_the_first_output_and_jumps_within_one(self):
        self.sway.tool('swaymsg', 'create_output')
        self.sway.tool('swaymsg', 'output', 'HEADLESS-2', 'scale', str(SECOND_OUTPUT_SCALE))
        process, first = self.started(['-seed', '1'])
        self.assertEqual(stage.wait_for(lambda: self.sway.covered_outputs(process.pid), START_WAIT),
                         ['HEADLESS-1', 'HEADLESS-2'])
        box, canvas = screen.lit_box(first), centred(*FIRST_OUTPUT)
        self.assertTrue(all(canvas[i] <= box[i] and box[i + 2] <= canvas[i + 2] for i in (0, 1)), (box, canvas))
        # Each output's own picture, until the fire has burned on the second alone: no picture shows it
        # touching an edge, as a canvas across the two outputs would.
        seen = []

        def on_second_output():
            shots = [self.sway.shot(output) for output in ('HEADLESS-1', 'HEADLESS-2')]
            seen.extend((lit(shot) and screen.lit_box(shot), shot and shot[:2]) for shot in shots)
            return seen[-2][0] is None and seen[-1][0] is not None

        self.assertTrue(stage.wait_for(on_second_output, JUMP_WAIT, 0.5), 'never on the second output alone')
        touching = [(box, size) for box, size in seen
                    if box and (box[0] == 0 or box[1] == 0 or box[2] == size[0] or box[3] == size[1])]
        self.assertEqual(touching, [])
        # An output that comes while it burns is covered too.
        self.sway.tool('swaymsg', 'create_output')
        self.assertTrue(stage.wait_for(lambda: 'HEADLESS-3' in self.sway.covered_outputs(process.pid), START_WAIT))
        self.assertTrue(self.sway.press_key_until_gone(process))
        self.assertEqual(finish(process)[0], 0)


class Ending(WithCompositor):
    """A key ends it with 0, so does a signal; wrong options end it with the usage; settings it cannot burn fall
    back with one line; a compositor that goes away ends it with 1 and a line, never a hang."""

    def test_a_key_and_a_signal_end_it_with_0(self):
        for how in ('key', 'signal'):
            process, _ = self.started([])
            if how == 'key':
                self.assertTrue(self.sway.press_key_until_gone(process))
            else:
                process.send_signal(signal.SIGTERM)
            code, errors = finish(process)
            self.assertEqual((code, errors), (0, ''), how)

    def test_a_compositor_that_goes_away_ends_it_with_a_line(self):
        process, _ = self.started([])
        os.kill(self.sway.pid, signal.SIGKILL)
        code, errors = finish(process)
        self.assertEqual(code, 1, 'still running or not a failure: %s' % errors)
        self.assertEqual(errors, 'tamblorn-wayland: the compositor went away\n')
        code, errors = finish(self.sway.start([]))
        self.assertEqual((code, errors.count('\n')), (1, 1), errors)
        self.assertIn('compositor', errors)

    def test_wrong_options_and_settings_it_cannot_burn(self):
        # Which options the Wayland program refuses is its reader's (native.unix); one of each kind here.
        for args in (['-root'], ['-size', '0']):
            code, errors = finish(self.sway.start(args))
            self.assertEqual(code, 1, args)
            self.assertTrue(errors.startswith('usage: tamblorn-wayland'), errors)
        # The mends' line is the Wayland program's call; a settings file that is no regular file is told by the
        # start both programs share (x11.windows).
        native_run.settings_path(self.sway.folder, b'[WHITCH]\nFIRE=2')
        process, _ = self.started([])
        process.terminate()
        code, errors = finish(process)
        self.assertEqual((code, errors.count('\n')), (0, 1), errors)
        self.assertTrue(errors.startswith('tamblorn-wayland: fire mode 2 (FIRE)'), errors)


class Idle(WithCompositor):
    """swayidle starts it after the idle time: the fire shows with no input, and a key ends it."""

    def test_swayidle_shows_the_fire_after_two_idle_seconds(self):
        idle = subprocess.Popen(['swayidle', '-w', 'timeout', str(IDLE_SECONDS), CONFIG.program],
                                env=self.sway.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        stage.lib_call('tamblorn_watch', str(os.getpid()), '--pid', str(idle.pid))
        self.addCleanup(lambda: (idle.terminate(), idle.wait(START_WAIT)))
        programs = stage.wait_for(lambda: [pid for pid, command in stage.marked_processes(GROUP_MARK, CONFIG.mark)
                                           if command.startswith(CONFIG.program)], START_WAIT)
        self.assertEqual(len(programs), 1, 'swayidle did not start the program')
        self.assertTrue(stage.wait_for(lambda: 'HEADLESS-1' in self.sway.covered_outputs(programs[0]) and
                                       lit(self.sway.shot('HEADLESS-1')), START_WAIT), 'no fire')
        self.assertTrue(stage.wait_for(lambda: self.sway.tool('wtype', '-k', 'space') and
                                       stage.process_gone(programs[0]), START_WAIT), 'the key did not end it')
        self.assertIsNone(idle.poll(), 'swayidle ended with the program')


GROUPS = {'frame': Frame, 'outputs': Outputs, 'ending': Ending, 'idle': Idle}


def main():
    native_run.read_group(GROUPS, CONFIG)
    CONFIG.mark = '%s-%d' % (CONFIG.group, os.getpid())
    passed = native_run.run_group(GROUPS, CONFIG)
    # Nothing the group started may outlive it: the compositors, the programs, swayidle.
    left = stage.wait_for(lambda: not stage.marked_processes(GROUP_MARK, CONFIG.mark), START_WAIT) or \
        stage.marked_processes(GROUP_MARK, CONFIG.mark)
    if left is not True:
        print('left running: %s' % left)
    return 0 if passed and left is True else 1


if __name__ == '__main__':
    sys.exit(main())
