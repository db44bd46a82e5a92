#include "text.h"

#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace qhost {

namespace {

std::string escape_byte(unsigned char c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", c);
    return buf;
}

// Length of the Shift-JIS character that starts with c: 2 for a lead byte.
int sjis_length(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1; }

// One character of 1 or 2 bytes to UTF-8; false when it does not decode.
bool decode_char(const char *p, size_t n, std::string &out) {
#if defined(_WIN32)
    wchar_t wide[2];
    const int nw = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, p, int(n), wide, 2);
    if (nw <= 0) return false;
    char utf8[8];
    const int nu = WideCharToMultiByte(CP_UTF8, 0, wide, nw, utf8, sizeof utf8, nullptr, nullptr);
    if (nu <= 0) return false;
    out.append(utf8, size_t(nu));
    return true;
#else
    static iconv_t cd = [] {
        iconv_t c = iconv_open("UTF-8", "CP932");
        return c == iconv_t(-1) ? iconv_open("UTF-8", "SHIFT_JIS") : c;
    }();
    if (cd == iconv_t(-1)) return false;
    char utf8[8];
    char *in = const_cast<char *>(p), *o = utf8;
    size_t left = n, room = sizeof utf8;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &left, &o, &room) == size_t(-1) || left) return false;
    out.append(utf8, size_t(o - utf8));
    return true;
#endif
}

}  // namespace

std::string ansi_to_utf8(const char *text) {
    std::string out;
    if (!text) return out;
    const size_t len = std::strlen(text);
    for (size_t i = 0; i < len;) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        const size_t n = std::min<size_t>(size_t(sjis_length(c)), len - i);
        if (decode_char(text + i, n, out)) {
            i += n;
        } else {
            out += escape_byte(c);
            ++i;
        }
    }
    return out;
}

std::string quoted(const std::string &utf8) {
    std::string out = "\"";
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') out += '\\', out += ch;
        else if (c < 0x20 || c == 0x7F) out += escape_byte(c);
        else out += ch;
    }
    return out + "\"";
}

std::string trim_right(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace qhost
