#!/usr/bin/env python3
"""Checks that rc2cpp.py gives every resource of the scripts the same bytes as windres.

    rc_matches_windres.py WINDRES file.rc ...
"""
import os
import struct
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # leave no cache in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import rc2cpp  # noqa: E402


def read_res(path):
    data = open(path, 'rb').read()
    out, pos = {}, 0

    def sz_or_ord(p):
        if struct.unpack_from('<H', data, p)[0] == 0xFFFF:
            return struct.unpack_from('<H', data, p + 2)[0], p + 4
        end = p
        while struct.unpack_from('<H', data, end)[0]:
            end += 2
        return data[p:end].decode('utf-16-le').upper(), end + 2

    while pos + 8 <= len(data):
        size, header = struct.unpack_from('<II', data, pos)
        rtype, p = sz_or_ord(pos + 8)
        name, p = sz_or_ord(p)
        body = data[pos + header:pos + header + size]
        if size and rtype != 16:  # version information is left out
            out[(rtype, name)] = body
        pos = (pos + header + size + 3) & ~3
    return out


def compare(windres, rc):
    with tempfile.TemporaryDirectory() as tmp:
        res = os.path.join(tmp, 'out.res')
        subprocess.run([windres, rc, '-O', 'res', '-o', res, '-I', os.path.dirname(os.path.abspath(rc))],
                       check=True)
        theirs = read_res(res)
    pp = rc2cpp.Preprocessor([])
    script = rc2cpp.Script(rc2cpp.tokenize(pp.run(rc), rc), pp.defines,
                           os.path.dirname(os.path.abspath(rc)), pp.deps)
    script.parse()
    ours = {(t, n): d for t, n, d in script.resources}
    good = bad = 0
    for key in sorted(set(theirs) | set(ours), key=str):
        if theirs.get(key) == ours.get(key):
            good += 1
            continue
        bad += 1
        print(f'{os.path.basename(rc)} {key}:\n  windres {theirs.get(key)!r}\n  ours    {ours.get(key)!r}')
    return good, bad


def main():
    good = bad = 0
    for rc in sys.argv[2:]:
        g, b = compare(sys.argv[1], rc)
        good, bad = good + g, bad + b
    print(f'{good} passed, {bad} failed')
    sys.exit(1 if bad else 0)


if __name__ == '__main__':
    main()
