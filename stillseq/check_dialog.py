#!/usr/bin/python3
"""Compiles stillseq.rc with windres and reads the "CONFIG" dialog template
back from the binary resource: styles, positions, ids, classes and the exact
(Japanese) texts.

    check_dialog.py WINDRES STILLSEQ_RC
"""
import os
import struct
import subprocess
import sys
import tempfile

RT_DIALOG = 5
# Ordinal window classes of dialog items.
ATOMS = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC"}

EXPECTED_DIALOG = {
    "style": 0x90C800C4, "exstyle": 0, "x": 0, "y": 0, "cx": 128, "cy": 78,
    "menu": "", "class": "", "title": "連番BMP出力の設定",
    "points": 9, "face": "ＭＳ Ｐゴシック",
}
EXPECTED_ITEMS = [
    # id, class, text, x, y, cx, cy, style
    (1, "BUTTON", "OK", 8, 56, 52, 14, 0x50010300),
    (2, "BUTTON", "ｷｬﾝｾﾙ", 68, 56, 52, 14, 0x50010300),
    (-1, "STATIC", "連番ファイル名の付け方", 8, 8, 76, 8, 0x50000000),
    (-1, "STATIC", "%d = 番号 ( printfのように使えます )", 8, 20, 112, 8, 0x50000000),
    (100, "EDIT", "", 8, 34, 112, 12, 0x50810000),
]


class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, n=4):
        self.pos = (self.pos + n - 1) // n * n

    def string(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return text

    def name(self):
        """A string, or 0xFFFF and an ordinal."""
        if self.data[self.pos:self.pos + 2] == b"\xff\xff":
            self.pos += 2
            return self.take("H")
        return self.string()


def resources(data):
    r = Reader(data)
    while r.pos < len(data):
        start = r.pos
        size, header = r.take("II")
        rtype, rname = r.name(), r.name()
        r.pos = start + header
        yield rtype, rname, data[r.pos:r.pos + size]
        r.pos += size
        r.align()


def parse_dialog(data):
    r = Reader(data)
    style, exstyle, count, x, y, cx, cy = r.take("IIHhhhh")
    d = {"style": style, "exstyle": exstyle, "x": x, "y": y, "cx": cx, "cy": cy}
    d["menu"], d["class"], d["title"] = r.name(), r.name(), r.string()
    if style & 0x40:  # DS_SETFONT
        d["points"], d["face"] = r.take("H"), r.string()
    items = []
    for _ in range(count):
        r.align()
        istyle, iexstyle, ix, iy, icx, icy, iid = r.take("IIhhhhh")
        cls = r.name()
        cls = ATOMS.get(cls, cls) if isinstance(cls, int) else cls.upper()
        text = r.name()
        extra = r.take("H")
        r.pos += extra
        items.append((iid, cls, text, ix, iy, icx, icy, istyle, iexstyle))
    return d, items


def main():
    windres, rc = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as folder:
        res = os.path.join(folder, "stillseq.res")
        subprocess.run([windres, "-i", rc, "-O", "res", "-o", res], check=True)
        with open(res, "rb") as f:
            data = f.read()
    dialogs = [body for rtype, rname, body in resources(data) if rtype == RT_DIALOG and rname == "CONFIG"]
    if len(dialogs) != 1:
        print("no single CONFIG dialog in the compiled resources")
        return 1
    dialog, items = parse_dialog(dialogs[0])
    failures = []
    for key, want in EXPECTED_DIALOG.items():
        if dialog.get(key) != want:
            failures.append("dialog %s: %r, expected %r" % (key, dialog.get(key), want))
    if len(items) != len(EXPECTED_ITEMS):
        failures.append("%d controls, expected %d" % (len(items), len(EXPECTED_ITEMS)))
    for got, want in zip(items, EXPECTED_ITEMS):
        if got != want + (0,):
            failures.append("control %r, expected %r" % (got, want + (0,)))
    for line in failures:
        print(line)
    print("ok" if not failures else "%d differences" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
