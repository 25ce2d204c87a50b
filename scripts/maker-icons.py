#!/usr/bin/env python3
"""Writes the intro maker's PNG icons (192 and 512 pixels square) from its
SVG icon, a 10 x 10 grid of filled rectangles, with Python's standard
library only. The PNGs are kept in the repository; run this after changing
the SVG:  scripts/maker-icons.py"""
import re
import struct
import sys
import zlib
from pathlib import Path

PAGE = Path(__file__).resolve().parent.parent / 'platform/maker/page'


def grid(svg):
    """The icon's 10 x 10 cells as (r, g, b), from its <rect> elements in order (later ones on top)."""
    cells = [[(0, 0, 0)] * 10 for _ in range(10)]
    for x, y, w, h, fill in re.findall(
            r'<rect x="(-?\d+)" y="(-?\d+)" width="(\d+)" height="(\d+)" fill="#([0-9a-f]{3}|[0-9a-f]{6})"/>', svg):
        if len(fill) == 3:
            fill = ''.join(c * 2 for c in fill)
        rgb = tuple(int(fill[i:i + 2], 16) for i in (0, 2, 4))
        for row in range(int(y) + 1, int(y) + 1 + int(h)):
            for column in range(int(x) + 1, int(x) + 1 + int(w)):
                cells[row][column] = rgb
    return cells


def png(cells, size):
    """An RGB PNG of `size` pixels square, each pixel the colour of the cell it falls in."""
    rows = b''.join(b'\0' + b''.join(bytes(cells[y * 10 // size][x * 10 // size]) for x in range(size))
                    for y in range(size))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))


def main():
    cells = grid((PAGE / 'maker-icon.svg').read_text())
    for size in (192, 512):
        (PAGE / f'maker-icon-{size}.png').write_bytes(png(cells, size))
    return 0


if __name__ == '__main__':
    sys.exit(main())
