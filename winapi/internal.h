// Shared state of the Linux Win32 stand-in. One thread, one queue, one
// screen; handles are numbers that are never reused, so a stale handle fails
// cleanly instead of reaching freed memory.
#ifndef QP_WINAPI_INTERNAL_H
#define QP_WINAPI_INTERNAL_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace winapi {

// ---- Pixels ----------------------------------------------------------------

// A pixel buffer, row after row from the top, in COLORREF form (0x00bbggrr).
struct Surface {
    int w = 0;
    int h = 0;
    bool mono = false;  // monochrome bitmap: every pixel is black or white
    std::vector<COLORREF> px;

    void resize(int nw, int nh, COLORREF fill);  // keeps the overlapping part
};

// Where a device context draws: a surface, an origin for its coordinates and
// a clip rectangle, both in surface coordinates. No surface: draws nowhere.
struct Target {
    Surface *s = nullptr;
    int ox = 0;
    int oy = 0;
    RECT clip{0, 0, 0, 0};

    bool inside(int x, int y) const {  // logical coordinates
        x += ox;
        y += oy;
        return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
    }
    void put(int x, int y, COLORREF c) const;
    COLORREF get(int x, int y) const;  // CLR_INVALID outside the surface
};

COLORREF to_mono(COLORREF c);

// ---- GDI objects -----------------------------------------------------------

enum class Kind { pen, brush, bitmap, font, dc };

struct Dc {
    enum Type { display, memory, window } type = display;
    HWND hwnd = nullptr;       // window contexts
    bool paint = false;        // from BeginPaint: clipped to paint_rect
    RECT paint_rect{0, 0, 0, 0};
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ bitmap = nullptr;  // memory contexts
    HGDIOBJ font = nullptr;
    int stretch_mode = BLACKONWHITE;
    COLORREF text_color = RGB(0, 0, 0);
    COLORREF bk_color = RGB(255, 255, 255);
    int bk_mode = OPAQUE;
    POINT pos{0, 0};
};

struct GdiObject {
    explicit GdiObject(Kind k) : kind(k) {}
    Kind kind;
    bool stock = false;
    int selected = 0;             // how many device contexts hold it
    bool delete_pending = false;  // deleted while selected: freed on release
    // pen
    int pen_style = PS_SOLID;
    int pen_width = 1;
    // pen and brush
    COLORREF color = 0;
    bool null = false;            // null pen / hollow brush
    // bitmap
    Surface bits;
    // device context
    Dc dc;
};

GdiObject *gdi(HGDIOBJ h);
GdiObject *gdi(HGDIOBJ h, Kind kind);
HGDIOBJ new_gdi(GdiObject obj);
Target target_of(HDC hdc);
HBITMAP bitmap_from_dib(const BITMAPINFO *bmi, const void *bits);  // new, counted
HBITMAP bitmap_from_surface(const Surface &s);

// ---- Windows ---------------------------------------------------------------

struct ScrollBar {
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    int track = 0;
    bool shown = false;
    bool disabled = false;
};

// The state of a built-in control class; each control keeps its own.
struct Control {
    virtual ~Control() = default;
};

struct Window {
    HWND self = nullptr;
    std::string cls;           // class name as registered
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    HWND parent = nullptr;
    LONG_PTR id = 0;
    HINSTANCE instance = nullptr;
    RECT rect{0, 0, 0, 0};     // screen (top-level) or parent-client (child)
    std::string text;
    bool enabled = true;
    ScrollBar bars[2];
    bool invalid = false;      // has an update region (its bounding box below)
    RECT update{0, 0, 0, 0};
    bool erase = false;
    bool frame_dirty = false;  // a child's frame to draw again at its next paint
    LONG_PTR user_data = 0;
    HBRUSH background = nullptr;
    uint64_t order = 0;        // creation order
    Surface surface;           // top-level windows: the client area's pixels
    std::unique_ptr<Control> control;
};

Window *window(HWND h);
Window *top_level(Window *w);
RECT client_rect(const Window *w);        // (0, 0, cx, cy)
POINT client_origin_in_top(const Window *w);  // client (0, 0) in top-level client coords
POINT client_origin_on_screen(const Window *w);
// Adds r (client coordinates; NULL: all) to the window's update area, and to
// the children under it: always (+1), never (-1), or unless the window has
// WS_CLIPCHILDREN (0), as RedrawWindow documents.
void invalidate(Window *w, const RECT *r, bool erase, int children = 0);

struct WindowClass {
    std::string name;
    WNDPROC proc = nullptr;
    UINT style = 0;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};
void register_builtin_class(const char *name, WNDPROC proc, HBRUSH background);

// ---- Everything --------------------------------------------------------------

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
};

struct CursorInfo {
    int id;  // resource or IDC_ id
};

struct State {
    uintptr_t next_handle = 0x10000;
    uint64_t next_order = 1;
    DWORD clock = 0;
    int screen_w = 1920;
    int screen_h = 1080;
    POINT cursor_pos{0, 0};
    HCURSOR cursor = nullptr;
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND active = nullptr;
    bool quit = false;
    int quit_code = 0;
    DWORD last_error = 0;
    DWORD message_time = 0;
    std::map<uintptr_t, std::unique_ptr<Window>> windows;
    std::map<std::string, WindowClass> classes;  // key: lower-case name
    std::deque<MSG> queue;
    std::vector<Timer> timers;
    std::map<uintptr_t, GdiObject> objects;
    std::map<uintptr_t, GdiObject> stock;
    int window_dcs = 0;
    int critical_sections = 0;
    int image_lists = 0;
    std::map<int, BYTE> keys;  // vk -> down
};

State &state();
uintptr_t new_handle();
std::string lower(const std::string &s);

// Resources
struct Resource {
    std::string type;  // "#n" or upper-case text
    std::string name;
    const void *data;
    DWORD size;
};
const Resource *find_resource(LPCSTR name, LPCSTR type);
std::string resource_key(LPCSTR name);

// Common controls
void register_common_controls();
void free_image_lists();

}  // namespace winapi

#endif
