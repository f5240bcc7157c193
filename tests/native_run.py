"""What the drivers of the native programs share: a group's command line and run, a program's end within a
bound, and the renderer's dump a picture is compared with."""

import argparse
import os
import subprocess
import unittest

import screen
import stage

CANVAS_SIZE = (320, 232)  # the default text at 32 pixels


def centred(width, height, size=CANVAS_SIZE):
    """(left, top, right, bottom) of a canvas of the size centred on a screen or window of width and height."""
    left, top = (width - size[0]) // 2, (height - size[1]) // 2
    return (left, top, left + size[0], top + size[1])

def finish(process, timeout=60.0):
    """(exit code, standard error) once the process ends; one that outlives the bound is killed (code -9)."""
    try:
        _, errors = process.communicate(timeout=timeout * stage.WAIT_SCALE)
    except subprocess.TimeoutExpired:
        process.kill()
        _, errors = process.communicate()
    return process.returncode, errors.decode('utf-8', 'replace')


def settings_path(config_home, contents=None):
    """Where the programs read the settings file with XDG_CONFIG_HOME at config_home, its folder made; the file
    written with the contents given."""
    path = os.path.join(config_home, 'tamblorn', 'TamblornScrS')
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if contents is not None:
        with open(path, 'wb') as settings:
            settings.write(contents)
    return path


def render(config, *args, config_home):
    """The renderer's summary line, run with the settings file of the folder config_home."""
    env = dict(os.environ, XDG_CONFIG_HOME=config_home)
    return subprocess.run([config.render] + [str(arg) for arg in args], check=True, stdout=subprocess.PIPE,
                          timeout=60 * stage.WAIT_SCALE, env=env).stdout.decode()


def assert_renderers_canvas(test, shot, raw, message=None):
    """The canvas centred in the picture is the renderer's dump, pixel for pixel, and something burns on it."""
    differing, lit = screen.differing_pixels(shot, raw)
    test.assertEqual((differing, lit > 0), (0, True), message)


def read_group(groups, config):
    """--group, --program, --render and --work-dir into config, the paths absolute, the work folder made."""
    parser = argparse.ArgumentParser()
    parser.add_argument('--group', choices=sorted(groups), required=True)
    for option in ('--program', '--render', '--work-dir'):
        parser.add_argument(option, required=True)
    parser.parse_args(namespace=config)
    config.program, config.work_dir = os.path.abspath(config.program), os.path.abspath(config.work_dir)
    os.makedirs(config.work_dir, exist_ok=True)


def run_group(groups, config):
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(groups[config.group])
    return unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful()
