// qhost panel mode: a host window for a panel plug-in, driven by a script of
// host events and window messages, with screenshots.
//
//   panel [--plugin FILE] [--input VIDEO | --frames N --picture WxH] [--out DIR] [-e LINE]... [SCRIPT]
//
// The video behind the host services is the built-in sample clip (300 frames
// of 160 x 120 unless told otherwise) or VIDEO, any input that `qhost run`
// reads. Each line of the script (and each -e LINE, after the script) is one
// command:
//
//   init | open | update | close | suspend | resume | exit   the host's messages to the panel
//   frame N            make frame N current, then send the update message
//   count N            the video now has N frames (then: update)
//   resize W H         move the window to W x H pixels (window size)
//   screen W           the display's width (the Linux stand-in only)
//   send MSG [WP [LP]] / post MSG [WP [LP]]   any window message (numbers: decimal or 0x..)
//   wait MS            let MS milliseconds pass, dispatching messages and timers
//   shot FILE          the window as FILE.png in the output folder
//   check N CELL       the client shows N cells with pictures, and the green mark
//                      on cell CELL only (-1: no mark anywhere)
//   title TEXT         the window title is TEXT
//
// Commands on one line, apart by ';', run one after the other; queued
// messages and due timers are dispatched after every line, as the host's
// message loop would. The panel's settings file lands in the current
// directory. The exit code is 0 when every check held, 1 when one failed, 2 on
// a usage or load error.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/media.h"
#include "host/module.h"
#include "host/panel/png.h"
#include "host/panel/video.h"
#include "sdk/filter.h"
#include "sdk/host.h"

#if !defined(_WIN32)
#include <unistd.h>

#include "winapi/include/winapi_testing.h"
#endif

namespace qhost {
namespace {

// The host's state for its one panel window.
struct PanelHost {
    PanelVideo video;
    HOST_FUNC_TABLE table = panel_host_table();
    FILTER filter = {};
    int redraws = 0;  // TRUE results: the host would bring its view up to date
};

PanelHost *g_host;

LRESULT CALLBACK panel_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (g_host && g_host->filter.func_WndProc &&
        g_host->filter.func_WndProc(hwnd, msg, wparam, lparam, &g_host->video, &g_host->filter))
        ++g_host->redraws;
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

// The run-time record from the plug-in's table, as a host builds it.
FILTER runtime_record(const FILTER_DLL &t, HOST_FUNC_TABLE *table, HINSTANCE module) {
    FILTER f = {};
    f.flag = t.flag;
    f.x = t.x;
    f.y = t.y;
    f.name = t.name;
    f.track_n = t.track_n;
    f.track_name = t.track_name;
    f.track_default = t.track_default;
    f.track_s = t.track_s;
    f.track_e = t.track_e;
    f.check_n = t.check_n;
    f.check_name = t.check_name;
    f.check_default = t.check_default;
    f.func_proc = t.func_proc;
    f.func_init = t.func_init;
    f.func_exit = t.func_exit;
    f.func_update = t.func_update;
    f.func_WndProc = t.func_WndProc;
    f.information = t.information;
    f.host_func_table = table;
    f.instance_handle = module;
    return f;
}

// Dispatches what is queued, then lets ms milliseconds pass for the timers.
void pump(DWORD ms) {
    MSG m;
    for (int round = 0; round < 2; ++round) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (round == 0) {
#if defined(_WIN32)
            Sleep(ms);
#else
            winapi_test_advance_clock(ms);
#endif
        }
    }
}

// The client area, rows from the top.
Screenshot capture_client(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    Screenshot s;
    s.width = r.right;
    s.height = r.bottom;
    s.pixels.assign(size_t(s.width) * s.height, 0);
#if defined(_WIN32)
    HDC window = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(window);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = s.width;
    bi.bmiHeader.biHeight = -s.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(window, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, s.width, s.height, window, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t *p = static_cast<const uint32_t *>(bits);
    for (size_t i = 0; i < s.pixels.size(); ++i) {
        const uint32_t bgra = p[i];  // 0x00RRGGBB in memory order B, G, R
        s.pixels[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(hwnd, window);
#else
    winapi_test_read_client(hwnd, reinterpret_cast<COLORREF *>(s.pixels.data()), s.width, s.height);
#endif
    return s;
}

// What a person sees: on the stand-in the whole window with its title and
// scroll bar; on Windows the client area.
Screenshot capture_window(HWND hwnd) {
#if defined(_WIN32)
    return capture_client(hwnd);
#else
    RECT r;
    GetWindowRect(hwnd, &r);
    Screenshot s;
    s.width = r.right - r.left;
    s.height = r.bottom - r.top;
    s.pixels.assign(size_t(s.width) * s.height, 0);
    winapi_test_render_window(hwnd, reinterpret_cast<COLORREF *>(s.pixels.data()), s.width, s.height);
    return s;
#endif
}

constexpr COLORREF kMarkGreen = RGB(63, 255, 63);

// The row shows n cells with pictures, the separators between them keep the
// button face, and only cell `mark` carries the green outline. Returns an
// empty string when all holds, else what did not.
std::string check_row(const Screenshot &s, int n, int mark) {
    if (n < 1 || s.width < n) return "no room for " + std::to_string(n) + " cells";
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int cw = s.width / n;
    const int y = (31 + s.height - 2) / 2;
    const auto at = [&](int x) { return COLORREF(s.pixels[size_t(y) * s.width + x]); };
    // A wide pen straddles its line; allow one column either way.
    const auto near_edge = [&](int x, int cell) { return x >= cell * cw - 1 && x <= cell * cw + 2; };
    std::string problems;
    bool left = false, right = false;
    for (int x = 0; x < s.width; ++x) {
        if (at(x) != kMarkGreen) continue;
        if (mark >= 0 && near_edge(x, mark)) {
            left = true;
        } else if (mark >= 0 && near_edge(x, mark + 1)) {
            right = true;
        } else {
            problems += "green at x " + std::to_string(x) + "; ";
            break;
        }
    }
    if (mark >= 0 && !(left && right)) problems += "no green mark around cell " + std::to_string(mark) + "; ";
    for (int i = 0; i < n; ++i) {
        const COLORREF c = at(i * cw + cw / 2);
        if (c == face || c == kMarkGreen) problems += "cell " + std::to_string(i) + " has no picture; ";
        if (i != mark && i != mark + 1 && i > 0 && at(i * cw) != face)
            problems += "no gap before cell " + std::to_string(i) + "; ";
    }
    return problems;
}

struct Options {
    std::string plugin;
    std::string out = ".";
    SourceOptions video;
    std::vector<std::string> lines;
};

int usage(const char *why) {
    std::fprintf(stderr,
                 "panel: %s\n"
                 "usage: panel [--plugin FILE] [--input VIDEO | --frames N --picture WxH] [--out DIR] [-e LINE]... "
                 "[SCRIPT]\n",
                 why);
    return 2;
}

// jump.qfp beside the running program, which lives in the plug-ins' folder.
std::string default_plugin() {
    char self[4096] = "";
#if defined(_WIN32)
    GetModuleFileNameA(nullptr, self, sizeof self);
#else
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = '\0';
#endif
    const std::string path = self;
    const size_t slash = path.find_last_of("/\\");
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/jump.qfp";
}

long number(const std::string &text) { return std::strtol(text.c_str(), nullptr, 0); }

class Session {
  public:
    Session(PanelHost &host, HWND hwnd, const Options &o) : host_(host), hwnd_(hwnd), opt_(o) {}

    // Runs one line: its commands, then what they queued. False for a failed
    // check.
    bool run(const std::string &line) {
        bool ok = true;
        std::string::size_type start = 0;
        if (line.empty() || line[0] != '#') {
            for (std::string::size_type end; (end = line.find(';', start)) != std::string::npos; start = end + 1)
                ok = command(line.substr(start, end - start)) && ok;
        }
        ok = command(line.substr(start)) && ok;
        pump(20);
        return ok;
    }

    bool exited() const { return exited_; }

  private:
    bool command(const std::string &line) {
        std::istringstream in(line);
        std::string cmd;
        if (!(in >> cmd) || cmd[0] == '#') return true;
        PanelVideo &v = host_.video;
        if (cmd == "init") {
            send(WM_HOST_INIT);
        } else if (cmd == "open") {
            v.open = 1;
            send(WM_HOST_VIDEO_OPEN);
        } else if (cmd == "update") {
            send(WM_HOST_UPDATE);
        } else if (cmd == "close") {
            v.open = 0;
            send(WM_HOST_VIDEO_CLOSE);
        } else if (cmd == "suspend") {
            send(WM_HOST_SUSPEND);
        } else if (cmd == "resume") {
            send(WM_HOST_RESUME);
        } else if (cmd == "exit") {
            send(WM_HOST_EXIT);
            exited_ = true;
        } else if (cmd == "frame") {
            int f = 0;
            in >> f;
            v.current = f < 0 ? 0 : f >= v.frames ? v.frames - 1 : f;
            send(WM_HOST_UPDATE);
        } else if (cmd == "count") {
            int n = 1;
            in >> n;
            v.set_frame_count(n);
        } else if (cmd == "resize") {
            int w = 0, h = 0;
            in >> w >> h;
            RECT r;
            GetWindowRect(hwnd_, &r);
            MoveWindow(hwnd_, r.left, r.top, w, h, TRUE);
        } else if (cmd == "screen") {
            int w = 0;
            in >> w;
#if !defined(_WIN32)
            winapi_test_set_screen_size(w, 1080);
#endif
        } else if (cmd == "send" || cmd == "post") {
            std::string m, wp = "0", lp = "0";
            in >> m >> wp >> lp;
            const UINT msg = UINT(number(m));
            if (cmd == "send")
                SendMessageA(hwnd_, msg, WPARAM(number(wp)), LPARAM(number(lp)));
            else
                PostMessageA(hwnd_, msg, WPARAM(number(wp)), LPARAM(number(lp)));
        } else if (cmd == "wait") {
            int ms = 0;
            in >> ms;
            pump(DWORD(ms));
        } else if (cmd == "shot") {
            std::string name;
            in >> name;
            const std::string path = opt_.out + "/" + name;
            if (!write_png(path, capture_window(hwnd_))) return fail(line, "cannot write " + path);
            std::printf("panel: %s\n", path.c_str());
        } else if (cmd == "check") {
            int n = 0, mark = -1;
            in >> n >> mark;
            const std::string problems = check_row(capture_client(hwnd_), n, mark);
            if (!problems.empty()) return fail(line, problems);
        } else if (cmd == "title") {
            std::string want;
            std::getline(in >> std::ws, want);
            char got[300];
            GetWindowTextA(hwnd_, got, sizeof got);
            if (want != got) return fail(line, std::string("title is \"") + got + "\"");
        } else {
            return fail(line, "unknown command");
        }
        return true;
    }

    void send(UINT msg) { SendMessageA(hwnd_, msg, 0, 0); }
    bool fail(const std::string &line, const std::string &why) {
        std::fprintf(stderr, "panel: %s: %s\n", line.c_str(), why.c_str());
        return false;
    }

    PanelHost &host_;
    HWND hwnd_;
    const Options &opt_;
    bool exited_ = false;
};

int run_panel(const Options &o) {
    Module module;
    if (!module.open(o.plugin)) {
        std::fprintf(stderr, "panel: %s: %s\n", o.plugin.c_str(), module.error().c_str());
        return 2;
    }
    const FILTER_DLL *table = module.filter_table();
    if (!table || !table->func_WndProc) {
        std::fprintf(stderr, "panel: %s: not a panel plug-in\n", o.plugin.c_str());
        return 2;
    }
    PanelHost host;
    try {
        host.video.attach(open_source(o.video));
    } catch (const Error &e) {
        std::fprintf(stderr, "panel: %s\n", e.what());
        return 2;
    }
    host.filter = runtime_record(*table, &host.table, module.instance());
    g_host = &host;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = panel_window_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "QuilletPanelHost";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA(wc.lpszClassName, table->name, WS_OVERLAPPED | WS_CAPTION | WS_HSCROLL | WS_VISIBLE,
                              40, 40, 640, 160, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) {
        std::fprintf(stderr, "panel: cannot create the window\n");
        return 2;
    }
    pump(20);

    Session session(host, hwnd, o);
    int status = 0;
    for (const std::string &line : o.lines)
        if (!session.run(line)) status = 1;
    if (!session.exited()) session.run("exit");
    DestroyWindow(hwnd);
    g_host = nullptr;
    return status;
}

}  // namespace
}  // namespace qhost

int panel_main(int argc, char **argv) {
    qhost::Options o;
    o.plugin = qhost::default_plugin();
    o.video.sample_w = 160;
    o.video.sample_h = 120;
    o.video.sample_frames = 300;
    o.video.need_count = true;
    std::vector<std::string> extra;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--plugin" && has_value) {
            o.plugin = argv[++i];
        } else if (a == "--out" && has_value) {
            o.out = argv[++i];
        } else if (a == "--input" && has_value) {
            o.video.path = argv[++i];
        } else if (a == "--frames" && has_value) {
            o.video.sample_frames = std::atoi(argv[++i]);
            if (o.video.sample_frames < 1) return qhost::usage("--frames wants a count of at least 1");
        } else if (a == "--picture" && has_value) {
            if (std::sscanf(argv[++i], "%dx%d", &o.video.sample_w, &o.video.sample_h) != 2 || o.video.sample_w < 1 ||
                o.video.sample_h < 1)
                return qhost::usage("--picture wants WxH");
        } else if (a == "-e" && has_value) {
            extra.push_back(argv[++i]);
        } else if (a == "-h" || a == "--help") {
            return qhost::usage("runs a panel plug-in on the sample clip");
        } else if (script.empty() && a[0] != '-') {
            script = a;
        } else {
            return qhost::usage(("unknown argument " + a).c_str());
        }
    }
    if (!script.empty()) {
        std::ifstream in(script);
        if (!in) return qhost::usage(("cannot read " + script).c_str());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            o.lines.push_back(line);
        }
    }
    o.lines.insert(o.lines.end(), extra.begin(), extra.end());
    return qhost::run_panel(o);
}
