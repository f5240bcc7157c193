"""The command-line group: the switches, the blanks before them, the window
numbers, the program-name forms and generated command lines as separate
processes."""

import os
import random
import re
import time

from support import *  # noqa: F401,F403

REJECT_WAIT = 30.0  # an upper bound for a busy machine: "within a few seconds" is a figure, not judged
COMMAND_LINE_CASES = (30, 300)  # (sample, full count)


class CommandLine(StageCase):
    """The switches, the blanks before them, the window numbers and the program-name forms."""

    group = 'command_line'

    def test_full_screen_switches(self):
        for arguments in (b' /s', b' -S', b' s', b'  /s', b' /S/P 5'):
            with self.subTest(arguments=arguments):
                self.run_full_screen_and_press_key(launch(saver_command_line(arguments)), arguments)

    def test_no_switch_opens_the_dialog_without_parent(self):
        for arguments, close_by in ((b'', 'escape'), (b' - /', 'cancel-click')):
            with self.subTest(arguments=arguments):
                process = launch(saver_command_line(arguments))
                if close_by == 'escape':
                    output = self.escape_dialog(process, arguments)
                else:
                    output = self.open_dialog(process, arguments)
                    rect = self.drive_dialog('rect', 2)
                    left, top, right, bottom = map(int, re.search(r'^rect 2 (.*)$', rect, re.M).group(1).split())
                    x_tool('xdotool', 'mousemove', str((left + right) // 2), str((top + bottom) // 2), 'click', '1')
                    self.assertEqual(saver_exit(process, 10), EXIT_CANCEL)
                self.assertRegex(output, r'^dialog \d+ owner 0 ', 'the dialog has an owner')

    def test_rejected_command_lines_exit_with_minus_one(self):
        # Wine takes a number below 2^16 as any generation of a handle: after
        # many windows (the generated lines) 123 may name one. A fresh server
        # has too few for that.
        stop_prefix(STAGE.prefix)
        keep_prefix_up(STAGE.prefix)
        code, output = inspect('iswindow', 123, 'iswindow', 1)
        self.assertIn('iswindow 123 0', output, 'window 123 exists in this prefix; the case needs one that does not')
        self.assertIn('iswindow 1 0', output)
        full_width_s = 'ｓ'.encode('cp932')
        rejected = (b' /p', b' /p 0', b' /p abc', b' /p 123', b' /p\t5', b' /x', b' /1', b' /' + full_width_s,
                    b' ' + full_width_s, b' /a', b' /a 99', b' /p 4294967297', b' /p 4294967296')
        for arguments in rejected:
            with self.subTest(arguments=arguments):
                self.assert_rejected(launch(saver_command_line(arguments)), arguments)

    def test_full_width_letter_from_the_unix_command_line(self):
        # The Unix argument is UTF-8; Wine hands it to the program in code page 932.
        process = start_wine(CONFIG.saver, ['/ｓ'])
        self.assert_rejected(process, '/ｓ (UTF-8)')

    def assert_rejected(self, process, label):
        started = time.monotonic()
        seen = []
        while process.poll() is None and time.monotonic() - started < REJECT_WAIT:
            seen += x_tool('xdotool', 'search', '--name', '^%s$|Tamblorn|Preview' % SAVER_TITLE).split()
            time.sleep(0.05)
        note_time('%s: rejected after (s)' % label, time.monotonic() - started)
        self.assertEqual(saver_exit(process, 1), EXIT_REJECTED, '%s: exit code' % label)
        self.assertEqual(seen, [], '%s: a window appeared' % label)

    def test_program_name_forms(self):
        # A quoted name needs no blank before the switch.
        self.run_full_screen_and_press_key(launch(saver_command_line(b'/s')), 'quoted name + /s')
        if b' ' in saver_command_line(b'', quoted=False):
            self.skipTest('the program path has a blank; an unquoted name cannot be formed')
        # An unquoted name runs up to the first blank: "Tamblorn.scr/s" is all name.
        self.escape_dialog(launch(saver_command_line(b'/s', quoted=False)), 'unquoted name + /s')
        # A tab ends an unquoted name like a blank.
        self.run_full_screen_and_press_key(launch(saver_command_line(b'\t/s', quoted=False)), 'unquoted name + tab')

    def test_generated_command_lines_as_separate_processes(self):
        def case_file(count, seed):
            rng = random.Random(seed)
            makers = (switch_body, saver_body, random_body, preview_body, dialog_body, switch_body)
            path = os.path.join(STAGE.work, 'command-lines.txt')
            # The helper judges each line by the program's own reading of it, as the program receives it.
            with open(path, 'w') as cases:
                cases.writelines('h%s\n' % command_line(rng, makers[number % len(makers)]).hex()
                                 for number in range(count))
            return [windows_path(path)]
        self.run_counted(CONFIG.command_line_runs, COMMAND_LINE_CASES[STRESS], case_file, 30,
                         'command lines through the program')


# --- Generated command lines -----------------------------------------------------

NEVER_A_WINDOW = 32  # Wine's first window handle is 0x20
SHIFT_JIS_LEADS = bytes(range(0x81, 0xA0)) + bytes(range(0xE0, 0xFD))


def junk(rng, most=12):
    """Random bytes, never NUL (a command line ends there)."""
    return bytes(rng.randrange(1, 256) for _ in range(rng.randrange(most + 1)))


def tail(rng):
    """What may follow a switch and its number: nothing, junk that starts with no
    digit, or a Shift-JIS lead byte at the very end."""
    return rng.choice((b'', b' /s', b' /p 5', b'x' + junk(rng), b'\t' + junk(rng), junk(rng, 3) + b'\x82',
                       bytes([rng.choice(SHIFT_JIS_LEADS)])))


def window_number(rng):
    return rng.choice((b'', b'0', b'abc', b'-5', b'\t5', b'4294967296', b'18446744073709551617',
                       str(rng.randrange(NEVER_A_WINDOW)).encode(),
                       str(rng.randrange(1, 1 << 40) * WINDOW_WRAP + rng.randrange(NEVER_A_WINDOW)).encode(),
                       str(rng.randrange(1 << 200)).encode()))


def separators(rng):
    return bytes(rng.choice(b' -/') for _ in range(rng.randrange(4)))


def switch_body(rng):
    letter = rng.choice((b's', b'S', b'p', b'P', b'l', b'L', b'c', b'C', b'a', b'A', b'x', b'1', b'\t',
                         'ｓ'.encode('cp932'), bytes([rng.randrange(0x80, 0x100)])))
    if letter.lower() in (b'p', b'l', b'a'):
        return separators(rng) + letter + b' ' * rng.randrange(3) + window_number(rng) + tail(rng)
    if letter.lower() == b'c':
        return separators(rng) + letter + rng.choice((b'', b':', b':0', b':' + window_number(rng))) + tail(rng)
    return separators(rng) + letter + tail(rng)


def saver_body(rng):
    return separators(rng) + rng.choice((b's', b'S')) + tail(rng)


def preview_body(rng):
    return separators(rng) + rng.choice((b'p', b'P', b'l', b'L')) + b' ' * rng.randrange(3) + \
        rng.choice((b'{P}', b'{W}')) + rng.choice((b'', b' /s', b'x' + junk(rng)))


def dialog_body(rng):
    return rng.choice((separators(rng), separators(rng) + rng.choice((b'c', b'C')) + rng.choice((b'', b':{P}', b':7')),
                       separators(rng) + b'c:' + window_number(rng) + tail(rng)))


def random_body(rng):
    return junk(rng, 30)


def command_line(rng, make_body):
    """A program name quoted, unquoted or missing, blanks or none, then a generated argument text."""
    name = windows_path(CONFIG.saver).encode('cp932')
    head = rng.choice((b'"' + name + b'"', b'"' + name + b'" ', name + b' ', name + b'\t', b'', b' ', b'\t'))
    return head + make_body(rng)
