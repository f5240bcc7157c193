#!/usr/bin/env python3
"""The README's drawing of the includes against the sources: each folder includes headers of just the folders
its arrow names (resources/ aside), and none includes a folder that leads back to it."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
FOLDERS = ['host', 'dialog', 'engine/win32', 'engine/core', 'engine/unix', 'contract', 'x11', 'wayland', 'web']


def read(path):
    with open(os.path.join(ROOT, path), encoding='utf-8') as text:
        return text.read()


def main():
    home = {name: folder for folder in FOLDERS + ['resources'] for name in os.listdir(os.path.join(ROOT, folder))}
    found = {folder: {home[header] for name in os.listdir(os.path.join(ROOT, folder)) if name.endswith(('.cpp', '.h'))
                      for header in re.findall(r'#include "([^"]+)"', read(os.path.join(folder, name)))
                      if home.get(header, folder) not in (folder, 'resources')} for folder in FOLDERS}
    drawn = {folder: set(re.findall(r'\b([a-z0-9/]+)/', re.sub(r'\([^)]*\)', '', targets)))
             for folder, targets in re.findall(r'^ {6}(\S+)/ +-> (.*)$', read('README.md'), re.MULTILINE)}
    faults = ['%s/ includes %s, the drawing shows %s' % (folder, sorted(found[folder]), sorted(drawn.get(folder, ())))
              for folder in FOLDERS if found[folder] != drawn.get(folder)]
    for folder in FOLDERS:
        reached, todo = set(), list(found[folder])
        while todo:
            target = todo.pop()
            if target not in reached:
                reached.add(target)
                todo += found[target]
        faults += ['%s/ leads back to itself' % folder] if folder in reached else []
    print('\n'.join(faults) or 'the drawing matches the includes, all one way')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
