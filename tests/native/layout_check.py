#!/usr/bin/env python3
"""The README's drawing of the includes against the sources: each folder includes headers of just the folders
its arrow names, and no folder of the drawing includes one that (through any chain) includes it back."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
FOLDERS = ['host', 'dialog', 'engine/win32', 'engine/core', 'engine/unix', 'contract', 'x11', 'web', 'resources']


def folder_includes():
    """Each folder's set of other folders whose headers its files include."""
    home = {name: folder for folder in FOLDERS for name in os.listdir(os.path.join(ROOT, folder))
            if name.endswith('.h')}
    arrows = {folder: set() for folder in FOLDERS}
    for folder in FOLDERS:
        for name in os.listdir(os.path.join(ROOT, folder)):
            if name.endswith(('.cpp', '.h')):
                with open(os.path.join(ROOT, folder, name), encoding='utf-8') as source:
                    included = re.findall(r'#include "([^"]+)"', source.read())
                arrows[folder] |= {home[header] for header in included if home.get(header, folder) != folder}
    return arrows


def drawn_includes():
    """The drawing's arrows: `folder/ -> target/, target/ (a remark)` lines, resources/ left out."""
    with open(os.path.join(ROOT, 'README.md'), encoding='utf-8') as readme:
        lines = re.findall(r'^ {6}(\S+)/ +-> (.*)$', readme.read(), re.MULTILINE)
    return {folder: set(re.findall(r'\b([a-z0-9/]+)/', re.sub(r'\([^)]*\)', '', targets))) for folder, targets in lines}


def reaches(arrows, start, goal):
    seen, todo = set(), [start]
    while todo:
        folder = todo.pop()
        if folder == goal:
            return True
        if folder not in seen:
            seen.add(folder)
            todo += arrows.get(folder, ())
    return False


def main():
    found, drawn = folder_includes(), drawn_includes()
    faults = ['%s/ includes %s, the drawing shows %s' % (folder, sorted(found[folder] - {'resources'}),
                                                        sorted(drawn.get(folder, ())))
              for folder in FOLDERS if folder != 'resources' and found[folder] - {'resources'} != drawn.get(folder)]
    faults += ['%s/ and %s/ include each other' % (folder, target) for folder in FOLDERS
               for target in found[folder] if reaches(found, target, folder)]
    print('\n'.join(faults) or 'the drawing matches the includes, all one way')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
