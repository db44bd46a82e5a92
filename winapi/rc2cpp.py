#!/usr/bin/env python3
"""Compiles a resource script (.rc) into C++ for the Linux Win32 stand-in.

    rc2cpp.py input.rc output.cpp [--depfile output.d] [-I dir ...]

The output holds every resource in the binary form that the Windows resource
compiler gives it (bitmaps without their file header, cursors and icons split
into images and a group directory, menus, dialog templates and string tables in
UTF-16), and registers them with winapi_register_resources() when the program
starts. The script is read as UTF-8 (#pragma code_page(65001)).

Understood: #include (quoted headers are read for their #defines; system
headers are skipped), #define, #undef, #ifdef, #ifndef, #if, #elif, #else,
#endif, #pragma code_page; statements BITMAP, CURSOR, ICON, RCDATA and other
file resources, MENU, MENUEX, DIALOG, DIALOGEX, STRINGTABLE; LANGUAGE,
VERSIONINFO and ACCELERATORS are read and left out.
"""
import argparse
import os
import re
import struct
import sys

# Constants that scripts use by name without including a header we read.
CONSTANTS = {
    # windows
    'WS_OVERLAPPED': 0, 'WS_POPUP': 0x80000000, 'WS_CHILD': 0x40000000, 'WS_MINIMIZE': 0x20000000,
    'WS_VISIBLE': 0x10000000, 'WS_DISABLED': 0x08000000, 'WS_CLIPSIBLINGS': 0x04000000,
    'WS_CLIPCHILDREN': 0x02000000, 'WS_MAXIMIZE': 0x01000000, 'WS_CAPTION': 0x00C00000,
    'WS_BORDER': 0x00800000, 'WS_DLGFRAME': 0x00400000, 'WS_VSCROLL': 0x00200000,
    'WS_HSCROLL': 0x00100000, 'WS_SYSMENU': 0x00080000, 'WS_THICKFRAME': 0x00040000,
    'WS_GROUP': 0x00020000, 'WS_TABSTOP': 0x00010000, 'WS_MINIMIZEBOX': 0x00020000,
    'WS_MAXIMIZEBOX': 0x00010000, 'WS_POPUPWINDOW': 0x80880000, 'WS_OVERLAPPEDWINDOW': 0x00CF0000,
    'WS_EX_DLGMODALFRAME': 0x1, 'WS_EX_TOPMOST': 0x8, 'WS_EX_TOOLWINDOW': 0x80,
    'WS_EX_WINDOWEDGE': 0x100, 'WS_EX_CLIENTEDGE': 0x200, 'WS_EX_STATICEDGE': 0x20000,
    # dialogs
    'DS_ABSALIGN': 0x1, 'DS_SYSMODAL': 0x2, 'DS_3DLOOK': 0x4, 'DS_FIXEDSYS': 0x8,
    'DS_NOFAILCREATE': 0x10, 'DS_LOCALEDIT': 0x20, 'DS_SETFONT': 0x40, 'DS_MODALFRAME': 0x80,
    'DS_NOIDLEMSG': 0x100, 'DS_SETFOREGROUND': 0x200, 'DS_CONTROL': 0x400, 'DS_CENTER': 0x800,
    'DS_CENTERMOUSE': 0x1000, 'DS_CONTEXTHELP': 0x2000, 'DS_SHELLFONT': 0x48,
    'IDOK': 1, 'IDCANCEL': 2, 'IDABORT': 3, 'IDRETRY': 4, 'IDIGNORE': 5, 'IDYES': 6, 'IDNO': 7,
    'IDC_STATIC': -1,
    # controls
    'ES_LEFT': 0, 'ES_CENTER': 1, 'ES_RIGHT': 2, 'ES_MULTILINE': 4, 'ES_UPPERCASE': 8,
    'ES_LOWERCASE': 0x10, 'ES_PASSWORD': 0x20, 'ES_AUTOVSCROLL': 0x40, 'ES_AUTOHSCROLL': 0x80,
    'ES_NOHIDESEL': 0x100, 'ES_READONLY': 0x800, 'ES_WANTRETURN': 0x1000, 'ES_NUMBER': 0x2000,
    'SS_LEFT': 0, 'SS_CENTER': 1, 'SS_RIGHT': 2, 'SS_ICON': 3, 'SS_BLACKRECT': 4, 'SS_GRAYRECT': 5,
    'SS_WHITERECT': 6, 'SS_BLACKFRAME': 7, 'SS_LEFTNOWORDWRAP': 0xC, 'SS_BITMAP': 0xE,
    'SS_ETCHEDHORZ': 0x10, 'SS_ETCHEDVERT': 0x11, 'SS_ETCHEDFRAME': 0x12, 'SS_NOPREFIX': 0x80,
    'SS_NOTIFY': 0x100, 'SS_CENTERIMAGE': 0x200, 'SS_SUNKEN': 0x1000,
    'BS_PUSHBUTTON': 0, 'BS_DEFPUSHBUTTON': 1, 'BS_CHECKBOX': 2, 'BS_AUTOCHECKBOX': 3,
    'BS_RADIOBUTTON': 4, 'BS_3STATE': 5, 'BS_AUTO3STATE': 6, 'BS_GROUPBOX': 7,
    'BS_AUTORADIOBUTTON': 9, 'BS_OWNERDRAW': 0xB, 'BS_LEFTTEXT': 0x20, 'BS_FLAT': 0x8000,
    'LBS_NOTIFY': 1, 'LBS_SORT': 2, 'LBS_NOINTEGRALHEIGHT': 0x100, 'LBS_STANDARD': 0xA00003,
    'CBS_SIMPLE': 1, 'CBS_DROPDOWN': 2, 'CBS_DROPDOWNLIST': 3, 'CBS_AUTOHSCROLL': 0x40,
    'CBS_SORT': 0x100, 'CBS_HASSTRINGS': 0x200,
    'SBS_HORZ': 0, 'SBS_VERT': 1,
    'UDS_WRAP': 1, 'UDS_SETBUDDYINT': 2, 'UDS_ALIGNRIGHT': 4, 'UDS_ALIGNLEFT': 8,
    'UDS_AUTOBUDDY': 0x10, 'UDS_ARROWKEYS': 0x20, 'UDS_HORZ': 0x40, 'UDS_NOTHOUSANDS': 0x80,
    'UDS_HOTTRACK': 0x100,
    # menus
    'MFT_STRING': 0, 'MFT_BITMAP': 4, 'MFT_MENUBARBREAK': 0x20, 'MFT_MENUBREAK': 0x40,
    'MFT_OWNERDRAW': 0x100, 'MFT_RADIOCHECK': 0x200, 'MFT_SEPARATOR': 0x800, 'MFT_RIGHTORDER': 0x2000,
    'MFT_RIGHTJUSTIFY': 0x4000, 'MFS_GRAYED': 3, 'MFS_DISABLED': 3, 'MFS_CHECKED': 8, 'MFS_HILITE': 0x80,
    'MFS_ENABLED': 0, 'MFS_UNCHECKED': 0, 'MFS_DEFAULT': 0x1000,
    # languages
    'LANG_NEUTRAL': 0, 'SUBLANG_NEUTRAL': 0, 'SUBLANG_DEFAULT': 1, 'LANG_ENGLISH': 9,
    'LANG_JAPANESE': 0x11, 'SUBLANG_ENGLISH_US': 1,
    # version info
    'VS_FF_DEBUG': 1, 'VOS_NT_WINDOWS32': 0x40004, 'VOS__WINDOWS32': 4, 'VFT_DLL': 2, 'VFT_APP': 1,
    'VFT2_UNKNOWN': 0,
}

RT = {'CURSOR': 1, 'BITMAP': 2, 'ICON': 3, 'MENU': 4, 'DIALOG': 5, 'STRING': 6, 'RCDATA': 10,
      'GROUP_CURSOR': 12, 'GROUP_ICON': 14, 'HTML': 23}

MEMORY_FLAGS = {'DISCARDABLE', 'PRELOAD', 'LOADONCALL', 'MOVEABLE', 'FIXED', 'PURE', 'IMPURE',
                'SHARED', 'NONSHARED'}

# Control statements: class, type bits, further default bits, whether those
# stay when the statement gives a style, whether the text comes first.
TABSTOP, GROUP, BORDER = 0x00010000, 0x00020000, 0x00800000
CONTROLS = {
    'LTEXT': ('STATIC', 0x0, GROUP, False, True),
    'RTEXT': ('STATIC', 0x2, GROUP, False, True),
    'CTEXT': ('STATIC', 0x1, GROUP, False, True),
    'PUSHBUTTON': ('BUTTON', 0x0, TABSTOP, True, True),
    'DEFPUSHBUTTON': ('BUTTON', 0x1, TABSTOP, True, True),
    'CHECKBOX': ('BUTTON', 0x2, TABSTOP, True, True),
    'AUTOCHECKBOX': ('BUTTON', 0x3, TABSTOP, True, True),
    'STATE3': ('BUTTON', 0x5, TABSTOP, True, True),
    'AUTO3STATE': ('BUTTON', 0x6, TABSTOP, True, True),
    'RADIOBUTTON': ('BUTTON', 0x4, TABSTOP, False, True),
    'AUTORADIOBUTTON': ('BUTTON', 0x9, TABSTOP, False, True),
    'GROUPBOX': ('BUTTON', 0x7, 0, True, True),
    'EDITTEXT': ('EDIT', 0x0, BORDER | TABSTOP, True, False),
    'LISTBOX': ('LISTBOX', 0x1, BORDER, True, False),
    'COMBOBOX': ('COMBOBOX', 0x0, 0x1 | TABSTOP, False, False),
    'SCROLLBAR': ('SCROLLBAR', 0x0, 0, True, False),
    'ICON': ('STATIC', 0x3, 0, True, True),
}
CLASS_ATOMS = {'BUTTON': 0x80, 'EDIT': 0x81, 'STATIC': 0x82, 'LISTBOX': 0x83, 'SCROLLBAR': 0x84,
               'COMBOBOX': 0x85}


class RcError(Exception):
    pass


class Preprocessor:
    def __init__(self, include_dirs):
        self.defines = {}
        self.include_dirs = include_dirs
        self.deps = []

    def run(self, path):
        out = []
        self._file(path, out, top=True)
        return '\n'.join(out)

    def _find(self, name, here):
        for d in [os.path.dirname(here)] + self.include_dirs:
            p = os.path.join(d, name)
            if os.path.exists(p):
                return p
        return None

    def _file(self, path, out, top):
        self.deps.append(os.path.abspath(path))
        with open(path, encoding='utf-8-sig') as f:
            text = strip_comments(f.read())
        lines = text.split('\n')
        # Join continued lines.
        joined, buf = [], ''
        for line in lines:
            if line.endswith('\\'):
                buf += line[:-1]
                continue
            joined.append(buf + line)
            buf = ''
        stack = []  # (active, taken)
        for line in joined:
            s = line.strip()
            active = all(a for a, _ in stack)
            if s.startswith('#'):
                d = s[1:].strip()
                word = re.match(r'\w*', d).group(0)
                rest = d[len(word):].strip()
                if word in ('ifdef', 'ifndef'):
                    cond = (rest in self.defines) == (word == 'ifdef')
                    stack.append((active and cond, cond))
                elif word == 'if':
                    cond = bool(self._eval_cond(rest)) if active else False
                    stack.append((active and cond, cond))
                elif word == 'elif':
                    _, taken = stack.pop()
                    outer = all(a for a, _ in stack)
                    cond = not taken and outer and bool(self._eval_cond(rest))
                    stack.append((outer and cond, taken or cond))
                elif word == 'else':
                    _, taken = stack.pop()
                    outer = all(a for a, _ in stack)
                    stack.append((outer and not taken, True))
                elif word == 'endif':
                    stack.pop()
                elif not active:
                    pass
                elif word == 'include':
                    m = re.match(r'"([^"]+)"', rest)
                    if m:
                        p = self._find(m.group(1), path)
                        if not p:
                            raise RcError(f'{path}: cannot find include "{m.group(1)}"')
                        self._file(p, [], top=False)  # headers give #defines only
                elif word == 'define':
                    m = re.match(r'(\w+)(\(.*?\))?\s*(.*)', rest)
                    if m and not m.group(2):
                        self.defines[m.group(1)] = m.group(3).strip()
                elif word == 'undef':
                    self.defines.pop(rest, None)
                elif word == 'pragma':
                    m = re.match(r'code_page\s*\(\s*(\w+)\s*\)', rest)
                    if m and m.group(1) not in ('65001', 'DEFAULT'):
                        raise RcError(f'{path}: only #pragma code_page(65001) (UTF-8) is supported')
                elif word in ('error',):
                    raise RcError(f'{path}: #error {rest}')
                out.append('')
                continue
            out.append(line if active and top else '')

    def _eval_cond(self, expr):
        expr = re.sub(r'defined\s*\(\s*(\w+)\s*\)', lambda m: '1' if m.group(1) in self.defines else '0', expr)
        expr = re.sub(r'defined\s+(\w+)', lambda m: '1' if m.group(1) in self.defines else '0', expr)
        tokens = tokenize(expr, '<#if>')
        try:
            return Expr(tokens, self.defines, cpp=True).parse()
        except RcError:
            return 0


def strip_comments(text):
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c == '"':
            j = i + 1
            while j < n and text[j] != '\n':
                if text[j] == '"':
                    if j + 1 < n and text[j + 1] == '"':
                        j += 2
                        continue
                    break
                if text[j] == '\\':
                    j += 1
                j += 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith('//', i):
            while i < n and text[i] != '\n':
                i += 1
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append('\n' * text.count('\n', i, j))
            i = j
        else:
            out.append(c)
            i += 1
    return ''.join(out)


TOKEN = re.compile(r'\s*(?:(?P<str>L?"(?:[^"\n]|"")*")|(?P<num>0[xX][0-9a-fA-F]+[lLuU]*|\d+[lLuU]*)'
                   r'|(?P<id>[A-Za-z_][\w.]*)|(?P<punct>[{}(),|&+\-~*/!<>=]))')


def tokenize(text, where):
    tokens, pos = [], 0
    while True:
        while pos < len(text) and text[pos].isspace():
            pos += 1
        if pos >= len(text):
            return tokens
        m = TOKEN.match(text, pos)
        if not m:
            raise RcError(f'{where}: cannot read "{text[pos:pos + 20]}"')
        kind = m.lastgroup
        tokens.append((kind, m.group(kind)))
        pos = m.end()


def unquote(tok):
    s = tok[1:] if tok.startswith('L') else tok
    s = s[1:-1].replace('""', '"')
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c == '\\' and i + 1 < len(s):
            e = s[i + 1]
            i += 2
            if e == 'n':
                out.append('\n')
            elif e == 't':
                out.append('\t')
            elif e == 'r':
                out.append('\r')
            elif e == 'a':
                out.append('\x08')  # rc's \a is a backspace: it right-aligns menu text
            elif e == '\\':
                out.append('\\')
            elif e == '"':
                out.append('"')
            elif e in 'xX':
                m = re.match(r'[0-9a-fA-F]{1,4}', s[i:])
                out.append(chr(int(m.group(0), 16)))
                i += len(m.group(0))
            elif e.isdigit():
                m = re.match(r'[0-7]{1,3}', s[i - 1:])
                out.append(chr(int(m.group(0), 8)))
                i += len(m.group(0)) - 1
            else:
                out.append('\\' + e)
        else:
            out.append(c)
            i += 1
    return ''.join(out)


class Expr:
    """Integer expressions: | & + - * / ~ ( ) NOT, names from #define and the constants."""

    def __init__(self, tokens, defines, cpp=False):
        self.t, self.i, self.defines, self.cpp = tokens, 0, defines, cpp

    def peek(self):
        return self.t[self.i] if self.i < len(self.t) else (None, None)

    def take(self):
        tok = self.peek()
        self.i += 1
        return tok

    def parse(self):
        return self.bor()

    def bor(self):
        v = self.band()
        while self.peek()[1] == '|':
            self.take()
            v |= self.band()
        return v

    def band(self):
        v = self.add()
        while self.peek()[1] == '&':
            self.take()
            v &= self.add()
        return v

    def add(self):
        v = self.mul()
        while self.peek()[1] in ('+', '-'):
            op = self.take()[1]
            r = self.mul()
            v = v + r if op == '+' else v - r
        return v

    def mul(self):
        v = self.unary()
        while self.peek()[1] in ('*', '/'):
            op = self.take()[1]
            r = self.unary()
            v = v * r if op == '*' else int(v / r)
        return v

    def unary(self):
        kind, val = self.take()
        if val == '-':
            return -self.unary()
        if val == '+':
            return self.unary()
        if val == '~':
            return ~self.unary()
        if val == '!':
            return int(not self.unary())
        if val == 'NOT':
            return ~self.unary()
        if val == '(':
            v = self.parse()
            if self.take()[1] != ')':
                raise RcError('missing )')
            return v
        if kind == 'num':
            return int(val.rstrip('lLuU'), 0)
        if kind == 'id':
            return self.name(val)
        raise RcError(f'expected a number, found {val!r}')

    def name(self, n, depth=0):
        if n in self.defines:
            if depth > 20:
                raise RcError(f'{n}: recursive #define')
            toks = tokenize(self.defines[n], n)
            if not toks:
                return 1
            return Expr(toks, self.defines, self.cpp).parse()
        if n in CONSTANTS:
            return CONSTANTS[n]
        if self.cpp:
            return 0
        raise RcError(f'unknown name {n}')


class Script:
    def __init__(self, tokens, defines, base_dir, deps):
        self.t, self.i = tokens, 0
        self.defines, self.base = defines, base_dir
        self.deps = deps
        self.resources = []  # (type, name, bytes)
        self.strings = {}
        self.next_image_id = 1

    # -- token helpers
    def peek(self, k=0):
        j = self.i + k
        return self.t[j] if j < len(self.t) else (None, None)

    def take(self):
        tok = self.peek()
        if tok[0] is None:
            raise RcError('unexpected end of script')
        self.i += 1
        return tok

    def word(self, k=0):
        kind, val = self.peek(k)
        return val.upper() if kind == 'id' else None

    def accept(self, val):
        if self.peek()[1] == val:
            self.i += 1
            return True
        return False

    def expect(self, val):
        if not self.accept(val):
            raise RcError(f'expected {val!r}, found {self.peek()[1]!r}')

    def comma(self):
        self.accept(',')

    def expr(self):
        e = Expr(self.t, self.defines)
        e.i = self.i
        v = e.parse()
        self.i = e.i
        return v

    def is_begin(self):
        return self.peek()[1] == '{' or self.word() == 'BEGIN'

    def is_end(self):
        return self.peek()[1] == '}' or self.word() == 'END'

    def begin(self):
        if not self.is_begin():
            raise RcError(f'expected BEGIN, found {self.peek()[1]!r}')
        self.i += 1

    def end(self):
        if not self.is_end():
            raise RcError(f'expected END, found {self.peek()[1]!r}')
        self.i += 1

    def skip_block(self):
        while not self.is_begin():
            self.take()
        self.begin()
        depth = 1
        while depth:
            if self.is_begin():
                depth += 1
            elif self.is_end():
                depth -= 1
            self.take()

    def text(self):
        kind, val = self.take()
        if kind != 'str':
            raise RcError(f'expected a string, found {val!r}')
        return unquote(val)

    def name_or_id(self):
        kind, val = self.peek()
        if kind == 'str':
            self.take()
            return unquote(val).upper()
        if kind == 'id' and val not in self.defines and val not in CONSTANTS:
            self.take()
            return val.upper()
        return self.expr()

    # -- statements
    def parse(self):
        while self.peek()[0] is not None:
            w = self.word()
            if w == 'LANGUAGE':
                self.take()
                self.expr()
                self.comma()
                self.expr()
            elif w == 'STRINGTABLE':
                self.take()
                self.stringtable()
            else:
                self.resource()
        self.flush_strings()

    def resource(self):
        name = self.name_or_id()
        kind, val = self.take()
        rtype = val.upper() if kind == 'id' else (unquote(val).upper() if kind == 'str' else int(val.rstrip('lL'), 0))
        while self.word() in MEMORY_FLAGS:
            self.take()
        if rtype in ('BITMAP', 'CURSOR', 'ICON'):
            data = self.read_file(self.text())
            getattr(self, rtype.lower())(name, data)
        elif rtype in ('MENU', 'MENUEX'):
            self.menu(name, rtype == 'MENUEX')
        elif rtype in ('DIALOG', 'DIALOGEX'):
            self.dialog(name, rtype == 'DIALOGEX')
        elif rtype in ('VERSIONINFO', 'ACCELERATORS', 'TOOLBAR', 'DLGINIT', 'TEXTINCLUDE'):
            self.skip_block()
        else:
            t = RT.get(rtype, rtype) if isinstance(rtype, str) else rtype
            if self.peek()[0] == 'str':
                data = self.read_file(self.text())
            else:
                data = self.raw_block()
            self.resources.append((t, name, data))

    def read_file(self, rel):
        p = rel if os.path.isabs(rel) else os.path.join(self.base, rel.replace('\\', '/'))
        if not os.path.exists(p):
            raise RcError(f'cannot find file "{rel}"')
        self.deps.append(os.path.abspath(p))
        with open(p, 'rb') as f:
            return f.read()

    def raw_block(self):
        # Numbers are 16-bit words, or 32-bit with an L suffix; strings are bytes.
        self.begin()
        out = b''
        while not self.is_end():
            kind, val = self.peek()
            if kind == 'str':
                out += self.text().encode('utf-8')
            elif val == ',':
                self.take()
            else:
                wide = kind == 'num' and val.upper().endswith('L')
                v = self.expr()
                out += struct.pack('<I', v & 0xFFFFFFFF) if wide else struct.pack('<H', v & 0xFFFF)
        self.end()
        return out

    def bitmap(self, name, data):
        if data[:2] != b'BM':
            raise RcError(f'bitmap {name}: not a BMP file')
        self.resources.append((RT['BITMAP'], name, data[14:]))

    def cursor(self, name, data):
        self.icon_group(name, data, cursor=True)

    def icon(self, name, data):
        self.icon_group(name, data, cursor=False)

    def icon_group(self, name, data, cursor):
        reserved, kind, count = struct.unpack_from('<HHH', data, 0)
        if reserved != 0 or kind != (2 if cursor else 1) or count == 0:
            raise RcError(f'{name}: not a {"cursor" if cursor else "icon"} file')
        group = struct.pack('<HHH', 0, 2 if cursor else 1, count)
        for k in range(count):
            w, h, colors, _, a, b, size, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * k)
            image = data[offset:offset + size]
            if len(image) != size:
                raise RcError(f'{name}: truncated image')
            planes, bits = (struct.unpack_from('<HH', image, 12) if image[:4] == b'(\0\0\0' else (a, b))
            rid = self.next_image_id
            self.next_image_id += 1
            if cursor:  # a, b are the hot spot
                self.resources.append((RT['CURSOR'], rid, struct.pack('<HH', a, b) + image))
                group += struct.pack('<HHHHIH', w or 256, 2 * (h or 256), planes, bits, size + 4, rid)
            else:
                self.resources.append((RT['ICON'], rid, image))
                group += struct.pack('<BBBBHHIH', w, h, colors, 0, planes, bits, size, rid)
        self.resources.append((RT['GROUP_CURSOR' if cursor else 'GROUP_ICON'], name, group))

    def stringtable(self):
        while self.word() in MEMORY_FLAGS:
            self.take()
        self.begin()
        while not self.is_end():
            sid = self.expr()
            self.comma()
            self.strings[sid & 0xFFFF] = self.text()
        self.end()

    def flush_strings(self):
        blocks = {}
        for sid, s in self.strings.items():
            blocks.setdefault(sid // 16 + 1, {})[sid % 16] = s
        for block, entries in sorted(blocks.items()):
            out = b''
            for k in range(16):
                u = entries.get(k, '').encode('utf-16-le')
                out += struct.pack('<H', len(u) // 2) + u
            self.resources.append((RT['STRING'], block, out))

    # -- menus
    def menu(self, name, ex):
        if ex:
            out = bytearray(struct.pack('<HHI', 1, 4, 0))
            self.menuex_items(out)
        else:
            out = struct.pack('<HH', 0, 0) + self.menu_items()
        self.resources.append((RT['MENU'], name, bytes(out)))

    def menu_options(self):
        flags = 0
        table = {'GRAYED': 0x1, 'INACTIVE': 0x2, 'BITMAP': 0x4, 'CHECKED': 0x8, 'MENUBARBREAK': 0x20,
                 'MENUBREAK': 0x40, 'OWNERDRAW': 0x100, 'HELP': 0x4000}
        while True:
            self.comma()
            w = self.word()
            if w not in table:
                return flags
            self.take()
            flags |= table[w]

    def menu_items(self):
        self.begin()
        items = []
        while not self.is_end():
            w = self.word()
            self.take()
            if w == 'POPUP':
                text = self.text()
                flags = self.menu_options() | 0x10
                items.append((flags, None, text, self.menu_items()))
            elif w == 'MENUITEM':
                if self.word() == 'SEPARATOR':
                    self.take()
                    items.append((0, 0, '', None))
                    continue
                text = self.text()
                self.comma()
                mid = self.expr()
                items.append((self.menu_options(), mid, text, None))
            else:
                raise RcError(f'unexpected {w} in a menu')
        self.end()
        out = b''
        for k, (flags, mid, text, sub) in enumerate(items):
            if k == len(items) - 1:
                flags |= 0x80  # MF_END
            out += struct.pack('<H', flags)
            if sub is None:
                out += struct.pack('<H', mid & 0xFFFF)
            out += text.encode('utf-16-le') + b'\0\0'
            if sub is not None:
                out += sub
        return out

    def menuex_items(self, out):
        # Items start on 32-bit boundaries of the resource; a popup's help id too.
        self.begin()
        items = []
        while not self.is_end():
            w = self.word()
            self.take()
            text = self.text() if self.peek()[0] == 'str' else ''
            vals = []
            while self.accept(','):
                vals.append(self.expr() if self.peek()[1] != ',' else 0)
            mid, ftype, fstate, help_id = (vals + [0, 0, 0, 0])[:4]
            start = self.i
            if w == 'POPUP':
                self.skip_block()
            items.append((w == 'POPUP', start, ftype, fstate, mid, text, help_id))
        end = self.i
        for k, (popup, start, ftype, fstate, mid, text, help_id) in enumerate(items):
            out += b'\0' * (-len(out) % 4)
            res = (0x80 if k == len(items) - 1 else 0) | (0x01 if popup else 0)
            out += struct.pack('<IIIH', ftype & 0xFFFFFFFF, fstate & 0xFFFFFFFF, mid & 0xFFFFFFFF, res)
            out += text.encode('utf-16-le') + b'\0\0'
            if popup:
                out += b'\0' * (-len(out) % 4)
                out += struct.pack('<I', help_id & 0xFFFFFFFF)
                self.i = start
                self.menuex_items(out)
        self.i = end
        self.end()

    # -- dialogs
    def dialog(self, name, ex):
        x = self.expr(); self.comma(); y = self.expr(); self.comma()
        cx = self.expr(); self.comma(); cy = self.expr()
        help_id = 0
        if ex and self.accept(','):
            help_id = self.expr()
        style, style_set = 0x80000000 | 0x00800000 | 0x00080000, False  # WS_POPUP | WS_BORDER | WS_SYSMENU
        ex_style, caption, font, menu, cls = 0, '', None, None, None
        while not self.is_begin():
            w = self.word()
            self.take()
            if w == 'STYLE':
                style, style_set = self.expr() & 0xFFFFFFFF, True
            elif w == 'EXSTYLE':
                ex_style = self.expr() & 0xFFFFFFFF
            elif w == 'CAPTION':
                caption = self.text()
                if not style_set:
                    style |= 0x00C00000
            elif w == 'FONT':
                size = self.expr(); self.comma()
                face = self.text()
                weight, italic, charset = 0, 0, 1
                if self.accept(','):
                    weight = self.expr()
                    if self.accept(','):
                        italic = self.expr()
                        if self.accept(','):
                            charset = self.expr()
                font = (size, face, weight, italic, charset)
                style |= 0x40  # DS_SETFONT
            elif w == 'MENU':
                menu = self.name_or_id()
            elif w == 'CLASS':
                cls = self.name_or_id()
            elif w in ('LANGUAGE', 'CHARACTERISTICS', 'VERSION'):
                self.expr()
                if self.accept(','):
                    self.expr()
            else:
                raise RcError(f'unexpected {w} in dialog {name}')
        controls = self.controls(ex)
        if ex:
            out = struct.pack('<HHIIIHhhhh', 1, 0xFFFF, help_id, ex_style, style, len(controls), x, y, cx, cy)
        else:
            out = struct.pack('<IIHhhhh', style, ex_style, len(controls), x, y, cx, cy)
        out += sz_or_ord(menu) + sz_or_ord(cls) + caption.encode('utf-16-le') + b'\0\0'
        if font:
            size, face, weight, italic, charset = font
            out += struct.pack('<H', size)
            if ex:
                out += struct.pack('<HBB', weight, italic, charset)
            out += face.encode('utf-16-le') + b'\0\0'
        for c in controls:
            out += b'\0' * (-len(out) % 4)
            out += c
        self.resources.append((RT['DIALOG'], name, out))

    def controls(self, ex):
        self.begin()
        out = []
        while not self.is_end():
            w = self.word()
            self.take()
            text, help_id, ex_style, quoted = '', 0, 0, False
            if w == 'CONTROL':
                text = self.name_or_text()
                self.comma()
                cid = self.expr(); self.comma()
                kind, val = self.take()
                cls = unquote(val).upper() if kind == 'str' else val.upper()
                quoted = kind == 'str'
                self.comma()
                style = self.style_expr(0x50000000)
                self.comma()
                x, y, cx, cy = self.four()
                if self.accept(','):
                    ex_style = self.expr()
                    if self.accept(','):
                        help_id = self.expr()
            elif w in CONTROLS:
                cls, kind_bits, extra, keep, has_text = CONTROLS[w]
                if has_text:
                    text = self.name_or_text()
                    self.comma()
                cid = self.expr(); self.comma()
                if w == 'ICON':  # the size is optional
                    x = self.expr(); self.comma(); y = self.expr()
                    cx = cy = 0
                    if self.peek()[1] == ',' and self.peek(1)[1] != ',':
                        self.take(); cx = self.expr(); self.comma(); cy = self.expr()
                else:
                    x, y, cx, cy = self.four()
                style = 0x50000000 | kind_bits | extra
                if self.accept(','):
                    style = self.style_expr(0x50000000 | kind_bits | (extra if keep else 0))
                    if self.accept(','):
                        ex_style = self.expr()
                        if self.accept(','):
                            help_id = self.expr()
            else:
                raise RcError(f'unexpected {w} among dialog controls')
            atom = cls in CLASS_ATOMS and not quoted  # a quoted class name stays a name
            cls_bytes = struct.pack('<HH', 0xFFFF, CLASS_ATOMS[cls]) if atom else sz_or_ord(cls)
            title = sz_or_ord(text) if isinstance(text, int) else text.encode('utf-16-le') + b'\0\0'
            if ex:
                item = struct.pack('<IIIhhhhI', help_id, ex_style & 0xFFFFFFFF, style & 0xFFFFFFFF, x, y, cx, cy,
                                   cid & 0xFFFFFFFF)
            else:
                item = struct.pack('<IIhhhhH', style & 0xFFFFFFFF, ex_style & 0xFFFFFFFF, x, y, cx, cy, cid & 0xFFFF)
            item += cls_bytes + title + struct.pack('<H', 0)
            out.append(item)
        self.end()
        return out

    def name_or_text(self):
        if self.peek()[0] == 'str':
            return self.text()
        return self.expr()

    def style_expr(self, default):
        # A control's style adds to its default; "NOT x" takes bits away.
        value = default
        while True:
            if self.word() == 'NOT':
                self.take()
                value &= ~self.unary_term()
            else:
                value |= self.unary_term()
            if not self.accept('|'):
                return value & 0xFFFFFFFF

    def unary_term(self):
        e = Expr(self.t, self.defines)
        e.i = self.i
        v = e.add()
        self.i = e.i
        return v

    def four(self):
        x = self.expr(); self.comma(); y = self.expr(); self.comma()
        cx = self.expr(); self.comma(); cy = self.expr()
        return x, y, cx, cy


def sz_or_ord(v):
    if v is None:
        return b'\0\0'
    if isinstance(v, int):
        return struct.pack('<HH', 0xFFFF, v & 0xFFFF)
    return v.encode('utf-16-le') + b'\0\0'


def c_name(v):
    if isinstance(v, int):
        return f'MAKEINTRESOURCEA({v & 0xFFFF})'
    return '"' + ''.join(c if c.isalnum() or c in ' _-.' else f'\\x{ord(c):02x}' for c in v) + '"'


def emit(resources, source):
    lines = [f'// Resources of {os.path.basename(source)}, for the Win32 stand-in. Generated; do not edit.',
             '#include <winapi_testing.h>', '', 'namespace {', '']
    for k, (_, _, data) in enumerate(resources):
        lines.append(f'alignas(4) const unsigned char r{k}[] = {{')
        data = data or b'\0'
        for off in range(0, len(data), 20):
            lines.append('    ' + ','.join(str(b) for b in data[off:off + 20]) + ',')
        lines.append('};')
    lines.append('')
    lines.append('const WINAPI_RESOURCE kResources[] = {')
    for k, (t, name, data) in enumerate(resources):
        lines.append(f'    {{{c_name(t)}, {c_name(name)}, r{k}, {len(data)}}},')
    if not resources:
        lines.append('    {nullptr, nullptr, nullptr, 0},')
    lines.append('};')
    lines.append('')
    lines.append(f'[[maybe_unused]] const int kRegistered = winapi_register_resources(kResources, {len(resources)});')
    lines.append('')
    lines.append('}  // namespace')
    return '\n'.join(lines) + '\n'


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('rc')
    ap.add_argument('out')
    ap.add_argument('--depfile')
    ap.add_argument('-I', dest='include', action='append', default=[])
    a = ap.parse_args()
    try:
        pp = Preprocessor(a.include)
        text = pp.run(a.rc)
        script = Script(tokenize(text, a.rc), pp.defines, os.path.dirname(os.path.abspath(a.rc)), pp.deps)
        script.parse()
    except (RcError, OSError, struct.error, KeyError) as e:
        sys.exit(f'{a.rc}: {e}')
    code = emit(script.resources, a.rc)
    old = open(a.out).read() if os.path.exists(a.out) else None
    if old != code:
        with open(a.out, 'w') as f:
            f.write(code)
    if a.depfile:
        with open(a.depfile, 'w') as f:
            f.write(a.out.replace(' ', '\\ ') + ': ' + ' '.join(d.replace(' ', '\\ ') for d in script.deps) + '\n')


if __name__ == '__main__':
    main()
