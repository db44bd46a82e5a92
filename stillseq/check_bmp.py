#!/usr/bin/python3
"""Decodes the files that stillseq writes with an outside BMP reader (PIL) and
compares every pixel with the frames that were handed in.

    check_bmp.py STILLSEQ_EXPORT PLUGIN
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image


def pixel(x, y, f):
    """The (r, g, b) that stillseq_export hands in for pixel (x, y) of frame f."""
    b, g, r = ((x * 37 + y * 11 + f * 101 + c * 59) & 255 for c in range(3))
    return (r, g, b)


def main():
    exporter, plugin = sys.argv[1:3]
    failures = 0
    # Widths 1 to 4 cover every row padding; height 1 and odd sizes included.
    for w, h, frames in [(1, 1, 2), (2, 3, 3), (3, 2, 1), (4, 5, 2), (5, 1, 1), (33, 17, 2)]:
        with tempfile.TemporaryDirectory() as folder:
            out = os.path.join(folder, "clip.bmp")
            subprocess.run([exporter, plugin, out, str(w), str(h), str(frames)], check=True)
            names = sorted(os.listdir(folder))
            expect = sorted("clip_%d.bmp" % f for f in range(frames))
            if names != expect:
                print("%dx%d: files %s, expected %s" % (w, h, names, expect))
                failures += 1
                continue
            for f in range(frames):
                path = os.path.join(folder, "clip_%d.bmp" % f)
                with Image.open(path) as im:
                    im.load()
                    if im.format != "BMP" or im.mode != "RGB" or im.size != (w, h):
                        print("%s: %s %s %s" % (path, im.format, im.mode, im.size))
                        failures += 1
                        continue
                    got = [im.getpixel((x, y)) for y in range(h) for x in range(w)]
                want = [pixel(x, y, f) for y in range(h) for x in range(w)]
                if got != want:
                    bad = next(i for i in range(len(got)) if got[i] != want[i])
                    print("%dx%d frame %d: pixel (%d, %d) is %s, expected %s"
                          % (w, h, f, bad % w, bad // w, got[bad], want[bad]))
                    failures += 1
    print("%s" % ("ok" if failures == 0 else "%d failures" % failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
