// Kernel services: time, strings, critical sections, the current directory,
// private profile files, and the reset between tests.
#include "winapi/internal.h"

#include <winapi_testing.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace winapi;

DWORD GetLastError(void) { return state().last_error; }
void SetLastError(DWORD code) { state().last_error = code; }

HMODULE GetModuleHandleA(LPCSTR name) {
    // Every module shares the one resource table, so any non-null handle does.
    static char self;
    return name ? nullptr : (HMODULE)&self;
}

DWORD GetTickCount(void) { return state().clock; }
void Sleep(DWORD ms) { state().clock += ms; }

// ---- Strings -----------------------------------------------------------------------

int lstrlenA(LPCSTR s) { return s ? (int)strlen(s) : 0; }

LPSTR lstrcpyA(LPSTR d, LPCSTR s) {
    if (!d || !s) return nullptr;
    return strcpy(d, s);
}

LPSTR lstrcpynA(LPSTR d, LPCSTR s, int size) {
    if (!d || !s || size <= 0) return d;
    int i = 0;
    for (; i < size - 1 && s[i]; ++i) d[i] = s[i];
    d[i] = 0;
    return d;
}

LPSTR lstrcatA(LPSTR d, LPCSTR s) {
    if (!d || !s) return nullptr;
    return strcat(d, s);
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
    int r = strcmp(a ? a : "", b ? b : "");
    return r < 0 ? -1 : r > 0;
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
    int r = strcasecmp(a ? a : "", b ? b : "");
    return r < 0 ? -1 : r > 0;
}

int wsprintfA(LPSTR out, LPCSTR format, ...) {
    constexpr size_t kMax = 1024;
    std::string r;
    va_list ap;
    va_start(ap, format);
    for (const char *p = format; *p && r.size() < kMax; ++p) {
        if (*p != '%') {
            r.push_back(*p);
            continue;
        }
        std::string fmt(1, '%');
        ++p;
        while (*p == '-' || *p == '0' || *p == '#') fmt.push_back(*p++);
        while (isdigit((unsigned char)*p)) fmt.push_back(*p++);
        if (*p == '.') {
            fmt.push_back(*p++);
            while (isdigit((unsigned char)*p)) fmt.push_back(*p++);
        }
        bool shrt = false;
        if (*p == 'l')
            ++p;  // long is 32-bit here, like int
        else if (*p == 'h') {
            shrt = true;
            ++p;
        }
        char buf[256];
        char conv = *p == 'i' ? 'd' : *p;
        if (conv == 'd' || conv == 'u' || conv == 'x' || conv == 'X' || conv == 'c' || conv == 's') fmt.push_back(conv);
        switch (conv) {
        case 'd': {
            int v = va_arg(ap, int);
            if (shrt) v = (short)v;
            snprintf(buf, sizeof buf, fmt.c_str(), v);
            r.append(buf);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned v = va_arg(ap, unsigned);
            if (shrt) v = (unsigned short)v;
            snprintf(buf, sizeof buf, fmt.c_str(), v);
            r.append(buf);
            break;
        }
        case 'c':
            snprintf(buf, sizeof buf, fmt.c_str(), (char)va_arg(ap, int));
            r.append(buf);
            break;
        case 's': {
            const char *text = va_arg(ap, const char *);
            if (!text) text = "(null)";
            std::vector<char> big(strlen(text) + 512);
            snprintf(big.data(), big.size(), fmt.c_str(), text);
            r.append(big.data());
            break;
        }
        case '%':
            r.push_back('%');
            break;
        case 0:
            --p;
            break;
        default:
            r.push_back(*p);
        }
    }
    va_end(ap);
    if (r.size() > kMax) r.resize(kMax);
    memcpy(out, r.c_str(), r.size() + 1);
    return (int)r.size();
}

char *_itoa(int value, char *buffer, int radix) {
    if (!buffer || radix < 2 || radix > 36) return buffer;
    char tmp[40];
    int n = 0;
    bool neg = radix == 10 && value < 0;
    unsigned v = neg ? 0u - (unsigned)value : (unsigned)value;
    do {
        int d = (int)(v % (unsigned)radix);
        tmp[n++] = (char)(d < 10 ? '0' + d : 'a' + d - 10);
        v /= (unsigned)radix;
    } while (v);
    char *o = buffer;
    if (neg) *o++ = '-';
    while (n) *o++ = tmp[--n];
    *o = 0;
    return buffer;
}

// ---- Critical sections ------------------------------------------------------------------
// One thread: a section only counts its nesting, and checks its use.

static void *const kLive = (void *)&state;

// Misuse that would deadlock or corrupt memory on Windows stops the program here.
[[noreturn]] static void misuse(const char *what) {
    fprintf(stderr, "critical section: %s\n", what);
    abort();
}

void InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    memset(cs, 0, sizeof *cs);
    cs->DebugInfo = kLive;
    cs->LockCount = -1;
    ++state().critical_sections;
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    if (cs->DebugInfo != kLive) misuse("deleted without being initialised, or twice");
    cs->DebugInfo = nullptr;
    --state().critical_sections;
}

void EnterCriticalSection(LPCRITICAL_SECTION cs) {
    if (cs->DebugInfo != kLive) misuse("entered without being initialised, or after deletion");
    ++cs->RecursionCount;
    ++cs->LockCount;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    EnterCriticalSection(cs);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    if (cs->DebugInfo != kLive || cs->RecursionCount <= 0) misuse("left without being entered");
    --cs->RecursionCount;
    --cs->LockCount;
}

int winapi_test_critical_sections(void) { return state().critical_sections; }

// ---- Current directory ---------------------------------------------------------------------

DWORD GetCurrentDirectoryA(DWORD size, LPSTR out) {
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) return 0;
    DWORD n = (DWORD)strlen(buf);
    if (!out || size <= n) return n + 1;
    memcpy(out, buf, n + 1);
    return n;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
    if (!path) return FALSE;
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return chdir(p.c_str()) == 0;
}

// ---- Private profile files ------------------------------------------------------------------
// The file is read and written whole on every call; lines keep their text,
// new lines are written with CRLF.

namespace {

std::string profile_path(LPCSTR file) {
    std::string p = file ? file : "win.ini";
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

std::string trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> read_lines(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream f(path, std::ios::binary);
    if (!f) return lines;
    std::string line;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool write_lines(const std::string &path, const std::vector<std::string> &lines) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    for (const std::string &l : lines) f << l << "\r\n";
    return (bool)f;
}

// "[name]" lines open sections; returns the name, or false.
bool section_name(const std::string &line, std::string *name) {
    std::string t = trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t e = t.find(']');
    if (e == std::string::npos) return false;
    *name = trim(t.substr(1, e - 1));
    return true;
}

// "key=value" lines; comments (';') and other lines are not entries.
bool entry(const std::string &line, std::string *key, std::string *value) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) {
        *key = t;
        *value = "";
        return true;
    }
    *key = trim(t.substr(0, eq));
    *value = trim(t.substr(eq + 1));
    return true;
}

bool same(const std::string &a, const char *b) { return strcasecmp(a.c_str(), b) == 0; }

// Copies text into out of `size` bytes, NUL-terminated; returns the characters copied.
DWORD copy_out(const std::string &text, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    DWORD n = std::min<DWORD>((DWORD)text.size(), size - 1);
    memcpy(out, text.data(), n);
    out[n] = 0;
    return n;
}

// A double-NUL-terminated list of names; when it does not fit, the last name
// is cut and the result is size - 2, as documented.
DWORD copy_list(const std::vector<std::string> &names, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    if (size == 1) {
        out[0] = 0;
        return 0;
    }
    std::string all;
    for (const std::string &n : names) all += n + '\0';
    if (all.size() + 1 <= size) {
        memcpy(out, all.data(), all.size());
        out[all.size()] = 0;
        if (all.empty()) out[1 < size ? 1 : 0] = 0;
        return (DWORD)all.size();
    }
    memcpy(out, all.data(), size - 2);
    out[size - 2] = 0;
    out[size - 1] = 0;
    return size - 2;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR file) {
    std::vector<std::string> lines = read_lines(profile_path(file));
    std::string cur;
    bool in = false;
    std::vector<std::string> names;
    for (const std::string &l : lines) {
        std::string name, k, v;
        if (section_name(l, &name)) {
            cur = name;
            in = section && same(name, section);
            if (!section) names.push_back(name);
            continue;
        }
        if (!in || !entry(l, &k, &v)) continue;
        if (!key) {
            names.push_back(k);
            continue;
        }
        if (same(k, key)) {
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return copy_out(v, out, size);
        }
    }
    if (!section || !key) return copy_list(names, out, size);
    std::string d = def ? def : "";
    while (!d.empty() && d.back() == ' ') d.pop_back();  // trailing blanks of the default go
    return copy_out(d, out, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file) {
    char buf[256];
    const char *marker = "\x01";  // no value can hold it: tells "missing" from "empty"
    GetPrivateProfileStringA(section, key, marker, buf, sizeof buf, file);
    if (strcmp(buf, marker) == 0 || buf[0] == 0) return (UINT)def;
    // A leading signed decimal integer; anything after it is ignored.
    const char *p = buf;
    while (*p == ' ' || *p == '\t') ++p;
    bool neg = false;
    if (*p == '-' || *p == '+') neg = *p++ == '-';
    unsigned v = 0;
    while (isdigit((unsigned char)*p)) v = v * 10u + (unsigned)(*p++ - '0');
    return neg ? 0u - v : v;
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (!section) return file ? TRUE : FALSE;  // a flush request: nothing is cached
    std::string path = profile_path(file);
    std::vector<std::string> lines = read_lines(path);
    // The section's extent: its header line and the line after its last entry.
    int head = -1, end = (int)lines.size();
    for (int i = 0; i < (int)lines.size(); ++i) {
        std::string name;
        if (!section_name(lines[i], &name)) continue;
        if (head >= 0) {
            end = i;
            break;
        }
        if (same(name, section)) head = i;
    }
    if (!key) {  // delete the section
        if (head >= 0) lines.erase(lines.begin() + head, lines.begin() + end);
        return write_lines(path, lines);
    }
    int found = -1, last = head;
    for (int i = head + 1; head >= 0 && i < end; ++i) {
        std::string k, v;
        if (!entry(lines[i], &k, &v)) continue;
        last = i;
        if (same(k, key)) {
            found = i;
            break;
        }
    }
    std::string line(key);
    line.push_back('=');
    line.append(value ? value : "");
    if (!value) {
        if (found >= 0) lines.erase(lines.begin() + found);
    } else if (found >= 0) {
        lines[found] = line;
    } else if (head >= 0) {
        lines.insert(lines.begin() + last + 1, line);
    } else {
        std::string header(1, '[');
        header.append(section).push_back(']');
        lines.push_back(header);
        lines.push_back(line);
    }
    if (!value && head < 0) return TRUE;
    return write_lines(path, lines);
}

// ---- Reset --------------------------------------------------------------------------------

void winapi_test_reset(void) {
    State &s = state();
    s.windows.clear();
    s.queue.clear();
    s.timers.clear();
    s.objects.clear();
    free_image_lists();
    s.window_dcs = 0;
    s.critical_sections = 0;
    s.clock = 0;
    s.screen_w = 1920;
    s.screen_h = 1080;
    s.cursor_pos = POINT{0, 0};
    s.cursor = nullptr;
    s.capture = nullptr;
    s.focus = nullptr;
    s.active = nullptr;
    s.quit = false;
    s.quit_code = 0;
    s.last_error = 0;
    s.keys.clear();
}
