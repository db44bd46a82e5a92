// Our own printf-like integer formatting for the frame number in file names.

#include "name_format.h"

namespace {

// One parsed conversion.
struct conversion {
    bool left = false;       // '-': pad on the right
    bool plus = false;       // '+': always a sign
    bool space = false;      // ' ': a blank where the sign of a positive number goes
    bool alt = false;        // '#': 0x / 0X before a non-zero hex number
    bool zero = false;       // '0': pad with zeros after sign and prefix
    int width = 0;           // minimum field width
    int precision = -1;      // minimum digits; -1 when not given
    char type = 0;           // d i u x X
};

// Widths and precisions beyond this can never fit a name; counting stops here
// so that a long run of digits cannot overflow.
constexpr int kFieldLimit = 100000;

int read_number(const char *&p) {
    int n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < kFieldLimit) n = n * 10 + (*p - '0');
    return n;
}

// Parses the conversion whose '%' is at p[-1]. On success p points past it.
bool parse_conversion(const char *&p, conversion &c) {
    for (;; ++p) {
        switch (*p) {
        case '-': c.left = true; continue;
        case '+': c.plus = true; continue;
        case ' ': c.space = true; continue;
        case '#': c.alt = true; continue;
        case '0': c.zero = true; continue;
        }
        break;
    }
    c.width = read_number(p);
    if (*p == '.') {
        ++p;
        c.precision = read_number(p);
    }
    if (*p == 'l') ++p;  // long is int on the host; accepted and ignored
    switch (*p) {
    case 'd': case 'i': case 'u': case 'x': case 'X':
        c.type = *p++;
        return true;
    }
    return false;
}

// Appends to a bounded buffer; remembers when anything did not fit.
struct writer {
    char *dst;
    int cap;
    int len = 0;
    bool full = false;

    void put(char ch, int count = 1) {
        for (; count > 0; --count) {
            if (len + 1 >= cap) {
                full = true;
                return;
            }
            dst[len++] = ch;
        }
    }
    void put(const char *s, int n) {
        for (int i = 0; i < n; ++i) put(s[i]);
    }
};

void format_conversion(writer &out, const conversion &c, int value) {
    const bool is_signed = c.type == 'd' || c.type == 'i';
    const bool negative = is_signed && value < 0;
    unsigned magnitude = unsigned(value);
    if (negative) magnitude = 0u - magnitude;

    char digits[16];  // at most 10 decimal or 8 hex digits, written backwards
    int ndigits = 0;
    const unsigned base = c.type == 'x' || c.type == 'X' ? 16 : 10;
    const char *numerals = c.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    for (unsigned m = magnitude; m != 0; m /= base) digits[ndigits++] = numerals[m % base];
    if (ndigits == 0 && c.precision != 0) digits[ndigits++] = '0';  // "%.0d" of 0 is empty

    char prefix[2];
    int nprefix = 0;
    if (negative)
        prefix[nprefix++] = '-';
    else if (is_signed && c.plus)
        prefix[nprefix++] = '+';
    else if (is_signed && c.space)
        prefix[nprefix++] = ' ';
    else if (base == 16 && c.alt && magnitude != 0) {
        prefix[nprefix++] = '0';
        prefix[nprefix++] = c.type;
    }

    const int zeros = c.precision > ndigits ? c.precision - ndigits : 0;
    const int body = nprefix + zeros + ndigits;
    const int pad = c.width > body ? c.width - body : 0;
    const bool zero_pad = c.zero && !c.left && c.precision < 0;

    if (!c.left && !zero_pad) out.put(' ', pad);
    out.put(prefix, nprefix);
    if (zero_pad) out.put('0', pad);
    out.put('0', zeros);
    while (ndigits > 0) out.put(digits[--ndigits]);
    if (c.left) out.put(' ', pad);
}

// Walks the pattern; writes to out when it is given. False on an invalid pattern.
bool run(const char *pattern, int value, writer *out) {
    bool converted = false;
    for (const char *p = pattern; *p;) {
        if (*p != '%') {
            if (out) out->put(*p);
            ++p;
            continue;
        }
        ++p;
        if (*p == '%') {
            if (out) out->put('%');
            ++p;
            continue;
        }
        conversion c;
        if (converted || !parse_conversion(p, c)) return false;
        converted = true;
        if (out) format_conversion(*out, c, value);
    }
    return true;
}

}  // namespace

bool name_pattern_valid(const char *pattern) { return run(pattern, 0, nullptr); }

int format_number(char *dst, int cap, const char *pattern, int value) {
    if (cap <= 0) return -1;
    writer out{dst, cap};
    const bool ok = run(pattern, value, &out) && !out.full;
    dst[ok ? out.len : 0] = '\0';
    return ok ? out.len : -1;
}
