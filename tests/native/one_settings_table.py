#!/usr/bin/python3
"""The settings table is the one list of the sizes and strengths: the settings description, the manual page and
the usage texts of the X11 program and the renderer, made from the table as built and from one whose size range
is 2 to 99, each offer exactly the table's range (`tamblorn-describe --ranges`), and so do the Wayland program's
usage and manual page as built; the page asks the core (web.page).

    one_settings_table.py --source DIR [--built DESCRIBE PROGRAM RENDER]... --wayland PROGRAM
        (as built first, then altered)
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import unittest
from xml.etree import ElementTree

CONFIG = argparse.Namespace()


def run(*args):
    done = subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    return done.returncode, done.stdout.decode() + done.stderr.decode()


class OneSettingsTable(unittest.TestCase):
    def documents(self, describe):
        folder = tempfile.mkdtemp()
        package = os.path.join(CONFIG.source, 'x11', 'package')
        made = [os.path.join(folder, name) for name in ('tamblorn.xml', 'tamblorn.6', 'tamblorn-wayland.6')]
        code, output = run(describe, os.path.join(package, 'tamblorn.xml.in'), made[0],
                           os.path.join(package, 'tamblorn.6.in'), made[1],
                           os.path.join(CONFIG.source, 'wayland', 'package', 'tamblorn-wayland.6.in'), made[2])
        self.assertEqual(code, 0, output)
        return ElementTree.parse(made[0]).getroot(), open(made[1]).read(), open(made[2]).read()

    def test_every_list_of_the_sizes_and_strengths_follows_the_table(self):
        ranges = []
        for describe, program, render in CONFIG.built:
            with self.subTest(describe):
                found = re.fullmatch(r'size (\d+) (\d+) strengths ([\d ]+) text (\d+)\n', run(describe, '--ranges')[1])
                lowest, highest, strengths, text = found.group(1), found.group(2), found.group(3).split(), found.group(4)
                ranges.append((lowest, highest))
                description, manual, wayland_manual = self.documents(describe)
                # Every size reaches the program, the default one too: the settings program leaves a widget's
                # default out, so each select's first choice is the settings file's and adds no option.
                selects = {select.get('id'): [option.get('arg-set') for option in select.iter('option')]
                           for select in description.iter('select')}
                self.assertEqual(selects['size'], [None] + ['-size %d' % n for n in range(int(lowest),
                                                                                            int(highest) + 1)])
                self.assertEqual(selects['strength'], [None] + ['-strength ' + n for n in strengths])
                self.assertTrue(all(choices[0] is None for choices in selects.values()), selects)
                self.assertIn('size, %s to %s.' % (lowest, highest), manual)
                self.assertIn('\\-strength %s]' % '|'.join(strengths), manual)
                self.assertIn('kept to %s bytes' % text, manual)
                self.assertIn('[--size %s..%s]' % (lowest, highest), run(render, '--wrong')[1])
                self.assertIn('size in the output\'s pixels, %s to %s.' % (lowest, highest), wayland_manual)
                # The Wayland program is built from the table as built only.
                programs = [(program, manual)] + [(CONFIG.wayland, wayland_manual)] * (describe == CONFIG.built[0][0])
                for shown, its_manual in programs:
                    usage = run(shown, '-help')[1]
                    self.assertIn('[-size %s..%s]' % (lowest, highest), usage)
                    self.assertIn('[-strength %s]' % '|'.join(strengths), usage)
                    # The manual page documents every option of the usage (its dashes written \-).
                    for option in re.findall(r'\[?(-[a-z-]+)', usage.split(None, 2)[2]):
                        self.assertRegex(its_manual.split('.SH OPTIONS')[1], r'\\-%s\b(?!\\-)' % re.escape(
                            option[1:].replace('-', '\\-')), option)
        self.assertEqual(ranges, [ranges[0], ('2', '99')])
        self.assertNotEqual(ranges[0], ranges[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--source', required=True)
    parser.add_argument('--built', nargs=3, action='append', required=True)
    parser.add_argument('--wayland', required=True)
    parser.parse_args(namespace=CONFIG)
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(OneSettingsTable)
    return 0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main())
