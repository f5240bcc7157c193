#!/usr/bin/env python3
"""Writes engine/core/shift_jis_table.cpp: what code page 932 writes for each character, as the Windows
profile functions hand out a Unicode-marked settings file, and what it reads for each cell. The double-byte
rows come from the system's iconv (CP932), every cell that holds a character; the
characters Windows writes by best fit, and the single bytes, are listed here (measured with
WideCharToMultiByte(932) under Wine; the Windows tests hold the table to it for every character)."""
import subprocess
import sys

LEADS = [lead for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)) if not 0xF0 <= lead <= 0xF9]
TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))
HOLE = ' '
NEC_SELECTED_LEADS = (0xED, 0xEE)
# Written by Windows, not by iconv: best fit and the single bytes other than the half-width katakana.
EXTRAS = {0x00A2: 0x8191, 0x00A3: 0x8192, 0x00AB: 0x81E1, 0x00AC: 0x81CA, 0x00AF: 0x8150, 0x00B5: 0x83CA,
          0x00B7: 0x8145, 0x00B8: 0x8143, 0x00BB: 0x81E2, 0x3094: 0x8394, 0xF8F0: 0xA0, 0xF8F1: 0xFD,
          0xF8F2: 0xFE, 0xF8F3: 0xFF, 0x0080: 0x80}
EXTRAS.update(dict(zip(range(0xC0, 0x100), b'AAAAAAACEEEEIIIIDNOOOOO?OUUUUYTsaaaaaaaceeeeiiiidnooooo?ouuuuyty')))
EXTRAS.update({0x00A1: 0x21, 0x00A5: 0x5C, 0x00A6: 0x7C, 0x00A9: 0x63, 0x00AA: 0x61, 0x00AD: 0x2D,
               0x00AE: 0x52, 0x00B2: 0x32, 0x00B3: 0x33, 0x00B9: 0x31, 0x00BA: 0x6F})
del EXTRAS[0xD7], EXTRAS[0xF7]


def iconv(source, target, lines):
    data = b''.join(line + b'\n' for line in lines)
    result = subprocess.run(['iconv', '-c', '-f', source, '-t', target], input=data, capture_output=True, check=True)
    return result.stdout.split(b'\n')


def main(output):
    cells = [bytes([lead, trail]) for lead in LEADS for trail in TRAILS]
    characters = [line.decode('utf-8') for line in iconv('CP932', 'UTF-8', cells)]
    written = iconv('UTF-8', 'CP932', [character.encode('utf-8') for character in characters])
    # A cell that iconv reads as a character it writes as a single byte is none in code page 932.
    row = [character if len(character) == 1 and ord(character) >= 0x80 and len(back) == 2 else HOLE
           for cell, character, back in zip(cells, characters, written)]
    # A character of several cells is written as the first of them outside the rows that repeat the IBM
    # extensions, as the reader of the table assumes: held here against iconv for every such character.
    first = {}
    for cell, character in zip(cells, row):
        if character != HOLE and cell[0] not in NEC_SELECTED_LEADS:
            first.setdefault(character, cell)
    for cell, character, back in zip(cells, row, written):
        assert character == HOLE or first.get(character) == back, (cell.hex(), character, back.hex())
    rows = [row[at:at + len(TRAILS)] for at in range(0, len(row), len(TRAILS))]
    leads = [lead for lead, cells in zip(LEADS, rows) if cells.count(HOLE) < len(TRAILS)]
    row = [cell for cells in rows if cells.count(HOLE) < len(TRAILS) for cell in cells]
    with open(output, 'w', encoding='utf-8') as out:
        out.write('// Written by tools/make-shift-jis-table.py; do not edit.\n#include "shift_jis.h"\n\n')
        lead_lines = [', '.join('0x%02X' % lead for lead in leads[at:at + 16]) for at in range(0, len(leads), 16)]
        out.write('extern const unsigned char SHIFT_JIS_ROW_LEADS[] = {\n    %s};\n' % ',\n    '.join(lead_lines))
        out.write('extern const size_t SHIFT_JIS_ROW_COUNT = sizeof SHIFT_JIS_ROW_LEADS;\n\n')
        # Where each row starts in the UTF-8 text, so that a cell is found without reading the rows before it.
        starts = [0]
        for cells in rows:
            if cells.count(HOLE) < len(TRAILS):
                starts.append(starts[-1] + len(''.join(cells).encode('utf-8')))
        start_lines = [', '.join('%d' % start for start in starts[at:at + 12]) for at in range(0, len(starts) - 1, 12)]
        out.write('extern const uint16_t SHIFT_JIS_ROW_STARTS[] = {\n    %s};\n\n' % ',\n    '.join(start_lines))
        out.write('extern const char SHIFT_JIS_ROWS[] =\n')
        half = len(TRAILS) // 2
        for start in range(0, len(row), half):
            out.write('    "%s"\n' % ''.join(row[start:start + half]))
        out.write('    ;\n\nextern const uint16_t SHIFT_JIS_EXTRAS[][2] = {\n')
        pairs = ['{0x%04X, 0x%04X}' % pair for pair in sorted(EXTRAS.items())]
        for start in range(0, len(pairs), 6):
            out.write('    %s,\n' % ', '.join(pairs[start:start + 6]))
        out.write('};\nextern const size_t SHIFT_JIS_EXTRA_COUNT = sizeof SHIFT_JIS_EXTRAS / sizeof SHIFT_JIS_EXTRAS[0];\n')


main(sys.argv[1] if len(sys.argv) > 1 else 'engine/core/shift_jis_table.cpp')
