#!/usr/bin/env python3
"""Turns the panel's art, kept as text, into the files that jump.rc names.

    make_art.py [OUTDIR]    writes toolbar.bmp, wheel.bmp and the cursors (default: beside this script)

The text files are the source; the written files are checked in next to them
and a test checks that they still match.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

COLOURS = {  # letter -> (r, g, b)
    '.': (192, 192, 192),  # button face
    'k': (0, 0, 0),
    'd': (128, 128, 128),
    'w': (255, 255, 255),
    'r': (208, 32, 32),
    'g': (63, 255, 63),    # the green of the current-frame mark
    'b': (32, 64, 208),
    'B': (0, 0, 255),      # the mask colour of the wheel
}


# Cursors, each a 32 x 32 text picture under a "hotspot X Y" line.
CURSORS = ['range', 'start', 'end', 'scroll_right', 'scroll_left', 'scroll_hub']


def lines(name):
    with open(os.path.join(HERE, name), encoding='ascii') as f:
        return [l.rstrip('\n') for l in f if not l.startswith('#')]


def grid(rows, w, h, what):
    if len(rows) != h or any(len(r) != w for r in rows):
        raise SystemExit(f'{what}: want {h} rows of {w} pixels')
    return rows


def toolbar():
    images = {}
    text = [l for l in lines('toolbar.txt') if l.strip()]
    i = 0
    while i < len(text):
        head = text[i].split()
        n = int(head[1])
        if len(head) == 5 and head[2:4] == ['=', 'mirror']:
            images[n] = [r[::-1] for r in images[int(head[4])]]
            i += 1
        else:
            images[n] = grid(text[i + 1:i + 17], 16, 16, f'toolbar image {n}')
            i += 17
    if sorted(images) != list(range(10)):
        raise SystemExit('toolbar: want images 0 to 9')
    return [''.join(images[n][y] for n in range(10)) for y in range(16)]


def bmp24(rows):
    """A 24-bit bottom-up BMP file of the rows."""
    w, h = len(rows[0]), len(rows)
    stride = (3 * w + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for c in row:
            r, g, b = COLOURS[c]
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def cur(rows, hot_x, hot_y):
    """A monochrome 32 x 32 cursor file: k black, w white, . see-through."""
    w, h = 32, 32
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):
        xbits = mbits = 0
        for c in row:
            xbits = xbits << 1 | (c == 'w')
            mbits = mbits << 1 | (c == '.')
        xor += xbits.to_bytes(4, 'big')
        mask += mbits.to_bytes(4, 'big')
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + bytes(xor) + bytes(mask)
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', w, h, 0, 0, hot_x, hot_y, len(image), 6 + 16)
    return head + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    files = {
        'toolbar.bmp': bmp24(toolbar()),
        'wheel.bmp': bmp24(grid(lines('wheel.txt'), 28, 28, 'wheel')),
    }
    for name in CURSORS:
        text = lines(name + '.txt')
        _, x, y = text[0].split()
        files[name + '.cur'] = cur(grid(text[1:], 32, 32, name), int(x), int(y))
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
