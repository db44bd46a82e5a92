// Windows, the message queue, timers, scroll bars, the pointer and painting.
#include "winapi/internal.h"

#include <winapi_testing.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace winapi {

namespace {

constexpr int kCaption = 19;
constexpr int kScrollBar = 17;
constexpr int kThickFrame = 4;
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;

int frame_width(DWORD style) {
    if (style & WS_THICKFRAME) return kThickFrame;
    if (style & WS_DLGFRAME) return kDialogFrame;
    if (style & WS_BORDER) return kBorder;
    return 0;
}

int caption_height(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION ? kCaption : 0; }

bool is_top_level(const Window *w) { return !(w->style & WS_CHILD) || !w->parent; }

}  // namespace

State &state() {
    static State s;
    return s;
}

uintptr_t new_handle() {
    State &s = state();
    s.next_handle += 4;
    return s.next_handle;
}

std::string lower(const std::string &s) {
    std::string r = s;
    for (char &c : r) c = (char)std::tolower((unsigned char)c);
    return r;
}

Window *window(HWND h) {
    State &s = state();
    auto it = s.windows.find((uintptr_t)h);
    return it == s.windows.end() ? nullptr : it->second.get();
}

Window *top_level(Window *w) {
    while (w && !is_top_level(w)) w = window(w->parent);
    return w;
}

// The client area within the window rectangle (window-relative).
static RECT client_in_window(const Window *w) {
    int f = frame_width(w->style);
    int wd = w->rect.right - w->rect.left;
    int ht = w->rect.bottom - w->rect.top;
    RECT r{f, f + caption_height(w->style), wd - f, ht - f};
    if (w->bars[SB_HORZ].shown) r.bottom -= kScrollBar;
    if (w->bars[SB_VERT].shown) r.right -= kScrollBar;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

RECT client_rect(const Window *w) {
    RECT c = client_in_window(w);
    return RECT{0, 0, c.right - c.left, c.bottom - c.top};
}

POINT client_origin_in_top(const Window *w) {
    POINT p{0, 0};
    while (w && !is_top_level(w)) {
        RECT c = client_in_window(w);
        p.x += w->rect.left + c.left;
        p.y += w->rect.top + c.top;
        w = window(w->parent);
    }
    return p;
}

POINT client_origin_on_screen(const Window *w) {
    POINT p = client_origin_in_top(w);
    const Window *t = top_level(const_cast<Window *>(w));
    if (t) {
        RECT c = client_in_window(t);
        p.x += t->rect.left + c.left;
        p.y += t->rect.top + c.top;
    }
    return p;
}

void invalidate(Window *w, const RECT *r, bool erase, int children) {
    RECT c = client_rect(w);
    RECT u = c;
    if (r && !IntersectRect(&u, r, &c)) return;
    if (IsRectEmpty(&u)) return;
    if (w->invalid)
        UnionRect(&w->update, &w->update, &u);
    else
        w->update = u;
    w->invalid = true;
    w->erase = w->erase || erase;
    w->frame_dirty = !is_top_level(w);  // its parent may paint over the frame first
    if (children < 0 || (children == 0 && (w->style & WS_CLIPCHILDREN))) return;
    std::vector<Window *> kids;
    for (auto &[h, k] : state().windows)
        if (k->parent == w->self && !is_top_level(k.get())) kids.push_back(k.get());
    for (Window *k : kids) {
        RECT part;
        if (!IntersectRect(&part, &u, &k->rect)) continue;
        RECT kc = client_in_window(k);
        OffsetRect(&part, -(k->rect.left + kc.left), -(k->rect.top + kc.top));
        invalidate(k, &part, erase, children > 0 ? 1 : 0);
    }
}

static void sync_surface(Window *w) {
    if (!is_top_level(w)) return;
    RECT c = client_rect(w);
    if (c.right != w->surface.w || c.bottom != w->surface.h) w->surface.resize(c.right, c.bottom, 0);
}

void register_builtin_class(const char *name, WNDPROC proc, HBRUSH background) {
    WindowClass wc;
    wc.name = name;
    wc.proc = proc;
    wc.background = background;
    state().classes[lower(name)] = wc;
}

// Draws a child window's frame into its top-level window: a line in the
// window-frame colour, and the rest of a thicker frame in the button face.
void paint_frame(Window *w) {
    if (is_top_level(w) || !IsWindowVisible(w->self)) return;
    int f = frame_width(w->style);
    if (!f) return;
    Window *top = top_level(w);
    Window *parent = window(w->parent);
    if (!top || !parent) return;
    POINT o = client_origin_in_top(parent);
    RECT r = w->rect;
    OffsetRect(&r, o.x, o.y);
    RECT clip = client_rect(parent);
    OffsetRect(&clip, o.x, o.y);
    RECT inner = client_in_window(w);
    OffsetRect(&inner, r.left, r.top);
    COLORREF line = GetSysColor(COLOR_WINDOWFRAME), face = GetSysColor(COLOR_BTNFACE);
    Target t;
    t.s = &top->surface;
    RECT all{0, 0, top->surface.w, top->surface.h};
    IntersectRect(&t.clip, &clip, &all);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            if (x >= inner.left && x < inner.right && y >= inner.top && y < inner.bottom) continue;
            bool edge = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
            t.put(x, y, edge ? line : face);
        }
}

}  // namespace winapi

using namespace winapi;

namespace {

LRESULT send(Window *w, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = w->self;
    WNDPROC p = w->proc;
    return p ? p(h, msg, wp, lp) : DefWindowProcA(h, msg, wp, lp);
}

// After the window's rectangle or frame changed: surface, WM_SIZE, WM_MOVE.
void after_geometry_change(Window *w, RECT old_client, POINT old_origin, bool repaint) {
    HWND h = w->self;
    sync_surface(w);
    RECT c = client_rect(w);
    POINT o = w->parent && !is_top_level(w) ? POINT{w->rect.left, w->rect.top}
                                             : client_origin_on_screen(w);
    bool sized = c.right != old_client.right || c.bottom != old_client.bottom;
    bool moved = o.x != old_origin.x || o.y != old_origin.y;
    if (repaint && sized) invalidate(w, nullptr, true);  // a move alone keeps the pixels
    if (sized || moved) paint_frame(w);
    if (sized) {
        SendMessageA(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
        if (!window(h)) return;
    }
    if (moved) SendMessageA(h, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
}

POINT origin_for_move(const Window *w) {
    return w->parent && !is_top_level(w) ? POINT{w->rect.left, w->rect.top}
                                          : client_origin_on_screen(w);
}

bool bar_scrollable(const ScrollBar &b) {
    if (b.page == 0) return b.max > b.min;
    return (long long)b.max - b.min + 1 > (long long)b.page;
}

bool matches(const MSG &m, HWND filter, UINT first, UINT last) {
    if (filter == (HWND)-1) {
        if (m.hwnd) return false;
    } else if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) {
        return false;
    }
    if (first == 0 && last == 0) return true;
    return m.message >= first && m.message <= last;
}

MSG make_msg(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    MSG m{};
    m.hwnd = h;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = state().clock;
    m.pt = state().cursor_pos;
    return m;
}

// The deepest visible, enabled window under a screen point.
HWND window_at(POINT p) {
    State &s = state();
    Window *best = nullptr;
    // Top-level windows: the newest one on top.
    for (auto &[h, w] : s.windows) {
        if (!is_top_level(w.get()) || !(w->style & WS_VISIBLE)) continue;
        if (p.x >= w->rect.left && p.x < w->rect.right && p.y >= w->rect.top && p.y < w->rect.bottom)
            if (!best || w->order > best->order) best = w.get();
    }
    if (!best) return nullptr;
    for (;;) {
        POINT o = client_origin_on_screen(best);
        Window *child = nullptr;
        for (auto &[h, w] : s.windows) {
            if (w->parent != best->self || is_top_level(w.get()) || !(w->style & WS_VISIBLE)) continue;
            int x = p.x - o.x, y = p.y - o.y;
            if (x >= w->rect.left && x < w->rect.right && y >= w->rect.top && y < w->rect.bottom)
                if (!child || w->order > child->order) child = w.get();
        }
        if (!child) return best->self;
        best = child;
    }
}

void post_mouse(UINT msg, WPARAM extra) {
    State &s = state();
    HWND target = s.capture ? s.capture : window_at(s.cursor_pos);
    if (!target) return;
    POINT p = s.cursor_pos;
    if (msg != WM_MOUSEWHEEL) ScreenToClient(target, &p);
    WPARAM keys = 0;
    if (s.keys[VK_LBUTTON]) keys |= MK_LBUTTON;
    if (s.keys[VK_RBUTTON]) keys |= MK_RBUTTON;
    if (s.keys[VK_MBUTTON]) keys |= MK_MBUTTON;
    if (s.keys[VK_SHIFT]) keys |= MK_SHIFT;
    if (s.keys[VK_CONTROL]) keys |= MK_CONTROL;
    s.queue.push_back(make_msg(target, msg, keys | extra, MAKELPARAM((short)p.x, (short)p.y)));
}

void move_pointer(int x, int y) {
    State &s = state();
    x = std::clamp(x, 0, s.screen_w - 1);
    y = std::clamp(y, 0, s.screen_h - 1);
    if (x == s.cursor_pos.x && y == s.cursor_pos.y) return;
    s.cursor_pos = POINT{x, y};
    post_mouse(WM_MOUSEMOVE, 0);
}

void destroy_tree(Window *w, bool send_messages) {
    State &s = state();
    HWND h = w->self;
    if (send_messages) send(w, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    for (auto &[k, c] : s.windows)
        if (c->parent == h) children.push_back(c->self);
    for (HWND c : children)
        if (Window *cw = window(c)) destroy_tree(cw, send_messages);
    if (Window *again = window(h); again && send_messages) send(again, WM_NCDESTROY, 0, 0);
    if (s.capture == h) s.capture = nullptr;
    if (s.focus == h) s.focus = nullptr;
    if (s.active == h) s.active = nullptr;
    std::erase_if(s.timers, [h](const Timer &t) { return t.hwnd == h; });
    std::erase_if(s.queue, [h](const MSG &m) { return m.hwnd == h; });
    s.windows.erase((uintptr_t)h);
}

// Whether some window needs painting and matches the filter; the oldest first.
Window *paint_candidate(HWND filter, UINT first, UINT last) {
    if (!(first == 0 && last == 0) && !(WM_PAINT >= first && WM_PAINT <= last)) return nullptr;
    Window *best = nullptr;
    for (auto &[h, w] : state().windows) {
        if (!w->invalid || !IsWindowVisible(w->self)) continue;
        MSG m = make_msg(w->self, WM_PAINT, 0, 0);
        if (!matches(m, filter, first, last)) continue;
        if (!best || w->order < best->order) best = w.get();
    }
    return best;
}

Timer *due_timer(HWND filter, UINT first, UINT last) {
    State &s = state();
    Timer *best = nullptr;
    for (Timer &t : s.timers) {
        if (t.due > s.clock) continue;
        MSG m = make_msg(t.hwnd, WM_TIMER, t.id, (LPARAM)t.proc);
        if (!matches(m, filter, first, last)) continue;
        if (!best || t.due < best->due) best = &t;
    }
    return best;
}

}  // namespace

// ---- Rectangles ---------------------------------------------------------------

BOOL SetRect(LPRECT r, int l, int t, int rt, int b) {
    if (!r) return FALSE;
    *r = RECT{l, t, rt, b};
    return TRUE;
}
BOOL SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT d, const RECT *s) {
    if (!d || !s) return FALSE;
    *d = *s;
    return TRUE;
}
BOOL IsRectEmpty(const RECT *r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL PtInRect(const RECT *r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL IntersectRect(LPRECT d, const RECT *a, const RECT *b) {
    if (!d || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *d = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *d = r;
    return TRUE;
}
BOOL UnionRect(LPRECT d, const RECT *a, const RECT *b) {
    if (!d || !a || !b) return FALSE;
    if (IsRectEmpty(a)) {
        *d = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : *b;
    } else if (IsRectEmpty(b)) {
        *d = *a;
    } else {
        *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                  std::max(a->bottom, b->bottom)};
    }
    return !IsRectEmpty(d);
}
BOOL EqualRect(const RECT *a, const RECT *b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}

// ---- Classes and windows --------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA *wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) return 0;
    std::string key = lower(wc->lpszClassName);
    State &s = state();
    register_common_controls();
    if (s.classes.count(key)) {
        s.last_error = 1410;  // class already exists
        return 0;
    }
    WindowClass c;
    c.name = wc->lpszClassName;
    c.proc = wc->lpfnWndProc;
    c.style = wc->style;
    c.instance = wc->hInstance;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    s.classes[key] = c;
    return (ATOM)(0xC000 + s.classes.size());
}

ATOM RegisterClassExA(const WNDCLASSEXA *wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA)) return 0;
    WNDCLASSA a{wc->style,         wc->lpfnWndProc, wc->cbClsExtra,  wc->cbWndExtra,   wc->hInstance,
                wc->hIcon,         wc->hCursor,     wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName};
    return RegisterClassA(&a);
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE) {
    if (!name || IS_INTRESOURCE(name)) return FALSE;
    return state().classes.erase(lower(name)) ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    State &s = state();
    register_common_controls();
    if (!class_name || IS_INTRESOURCE(class_name)) return nullptr;
    auto cit = s.classes.find(lower(class_name));
    if (cit == s.classes.end()) {
        s.last_error = 1407;  // class does not exist
        return nullptr;
    }
    if ((style & WS_CHILD) && !window(parent)) {
        s.last_error = ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    if (parent && !window(parent)) parent = nullptr;
    auto w = std::make_unique<Window>();
    HWND h = (HWND)new_handle();
    w->self = h;
    w->cls = cit->second.name;
    w->proc = cit->second.proc;
    w->style = style;
    w->ex_style = ex_style;
    w->parent = parent;
    w->id = (style & WS_CHILD) ? (LONG_PTR)menu : 0;
    w->instance = instance;
    w->background = cit->second.background;
    w->order = s.next_order++;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = 640;
        height = 480;
    }
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->text = title && !IS_INTRESOURCE(title) ? title : "";
    if (style & WS_HSCROLL) w->bars[SB_HORZ].shown = true;
    if (style & WS_VSCROLL) w->bars[SB_VERT].shown = true;
    Window *wp = w.get();
    s.windows[(uintptr_t)h] = std::move(w);
    sync_surface(wp);

    CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, (LONG)style, title,
                     class_name, ex_style};
    if (!send(wp, WM_NCCREATE, 0, (LPARAM)&cs) || !window(h)) {
        if (window(h)) destroy_tree(window(h), false);
        return nullptr;
    }
    if (send(wp, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        if (Window *again = window(h)) destroy_tree(again, true);
        return nullptr;
    }
    if (!(wp = window(h))) return nullptr;
    RECT c = client_rect(wp);
    SendMessageA(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
    if (!(wp = window(h))) return nullptr;
    POINT o = origin_for_move(wp);
    SendMessageA(h, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
    if ((wp = window(h)) && (wp->style & WS_VISIBLE)) {
        invalidate(wp, nullptr, true);
        paint_frame(wp);
    }
    return window(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    destroy_tree(w, true);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return window(hwnd) != nullptr; }

BOOL IsWindowVisible(HWND hwnd) {
    for (Window *w = window(hwnd); w; w = is_top_level(w) ? nullptr : window(w->parent))
        if (!(w->style & WS_VISIBLE)) return FALSE;
    return window(hwnd) != nullptr;
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window *w = window(hwnd);
    return w && w->enabled;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    BOOL was_disabled = !w->enabled;
    if (w->enabled != (enable != 0)) {
        w->enabled = enable != 0;
        SendMessageA(hwnd, WM_ENABLE, enable, 0);
    }
    return was_disabled;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    BOOL was = (w->style & WS_VISIBLE) != 0;
    bool show = cmd != SW_HIDE;
    if (show != (bool)was) {
        SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
        if (!(w = window(hwnd))) return was;
        if (show)
            w->style |= WS_VISIBLE;
        else
            w->style &= ~WS_VISIBLE;
        if (show) {
            invalidate(w, nullptr, true);
            paint_frame(w);
        }
    }
    return was;
}

BOOL UpdateWindow(HWND hwnd) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    if (w->invalid && IsWindowVisible(hwnd)) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HWND GetParent(HWND hwnd) {
    Window *w = window(hwnd);
    return w ? w->parent : nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    Window *w = window(hwnd);
    while (w && !is_top_level(w)) {
        if (w->parent == parent) return TRUE;
        w = window(w->parent);
    }
    return FALSE;
}

HWND GetDlgItem(HWND parent, int id) {
    for (auto &[h, w] : state().windows)
        if (w->parent == parent && !is_top_level(w.get()) && w->id == id) return w->self;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    Window *w = window(hwnd);
    return w ? (int)w->id : 0;
}

HWND SetFocus(HWND hwnd) {
    State &s = state();
    if (hwnd && !window(hwnd)) return nullptr;
    HWND old = s.focus;
    if (old == hwnd) return old;
    s.focus = hwnd;
    if (old && window(old)) SendMessageA(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    if (hwnd && window(hwnd)) SendMessageA(hwnd, WM_SETFOCUS, (WPARAM)old, 0);
    if (hwnd) s.active = top_level(window(hwnd)) ? top_level(window(hwnd))->self : nullptr;
    return old;
}

HWND GetFocus(void) { return state().focus; }
HWND GetActiveWindow(void) { return state().active; }
HWND WindowFromPoint(POINT p) { return window_at(p); }

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window *w = window(hwnd);
    if (!w) return 0;
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT:
        w->text = lp ? (const char *)lp : "";
        return TRUE;
    case WM_GETTEXT: {
        if (wp == 0) return 0;
        char *out = (char *)lp;
        size_t n = std::min(w->text.size(), (size_t)wp - 1);
        memcpy(out, w->text.data(), n);
        out[n] = 0;
        return (LRESULT)n;
    }
    case WM_GETTEXTLENGTH:
        return (LRESULT)w->text.size();
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (!w->background) return 0;
        RECT r;
        GetClientRect(hwnd, &r);
        if (w->invalid) r = w->update;
        FillRect((HDC)wp, &r, w->background);
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_MOUSEWHEEL:
        if (w->parent && !is_top_level(w)) return SendMessageA(w->parent, msg, wp, lp);
        return 0;
    default:
        return 0;
    }
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    Window *w = window(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWLP_WNDPROC: return (LONG_PTR)w->proc;
    case GWLP_HINSTANCE: return (LONG_PTR)w->instance;
    case GWLP_HWNDPARENT: return (LONG_PTR)w->parent;
    case GWLP_ID: return w->id;
    case GWL_STYLE: return (LONG)w->style;
    case GWL_EXSTYLE: return (LONG)w->ex_style;
    case GWLP_USERDATA: return w->user_data;
    default: return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window *w = window(hwnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    switch (index) {
    case GWLP_WNDPROC: w->proc = (WNDPROC)value; break;
    case GWLP_HINSTANCE: w->instance = (HINSTANCE)value; break;
    case GWLP_ID: w->id = value; break;
    case GWL_STYLE: w->style = (DWORD)value; break;
    case GWL_EXSTYLE: w->ex_style = (DWORD)value; break;
    case GWLP_USERDATA: w->user_data = value; break;
    default: return 0;
    }
    return old;
}

LONG GetWindowLongA(HWND hwnd, int index) { return (LONG)GetWindowLongPtrA(hwnd, index); }
LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
    return (LONG)SetWindowLongPtrA(hwnd, index, value);
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!window(hwnd)) return FALSE;
    return SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR out, int size) {
    if (!window(hwnd) || !out || size <= 0) return 0;
    return (int)SendMessageA(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)out);
}

int GetWindowTextLengthA(HWND hwnd) {
    return window(hwnd) ? (int)SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0) : 0;
}

BOOL GetWindowRect(HWND hwnd, LPRECT r) {
    Window *w = window(hwnd);
    if (!w || !r) return FALSE;
    *r = w->rect;
    if (!is_top_level(w)) {
        Window *p = window(w->parent);
        POINT o = client_origin_on_screen(p);
        OffsetRect(r, o.x, o.y);
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT r) {
    Window *w = window(hwnd);
    if (!w || !r) return FALSE;
    *r = client_rect(w);
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    RECT old_client = client_rect(w);
    POINT old_origin = origin_for_move(w);
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) OffsetRect(&r, x - r.left, y - r.top);
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(cx, 0);
        r.bottom = r.top + std::max(cy, 0);
    }
    bool show = (flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE);
    bool hide = (flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE);
    w->rect = r;
    if (show) w->style |= WS_VISIBLE;
    if (hide) w->style &= ~WS_VISIBLE;
    bool repaint = !(flags & SWP_NOREDRAW);
    if (show && repaint) invalidate(w, nullptr, true);
    if (flags & SWP_FRAMECHANGED) paint_frame(w);
    after_geometry_change(w, old_client, old_origin, repaint);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    RECT old_client = client_rect(w);
    POINT old_origin = origin_for_move(w);
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    after_geometry_change(w, old_client, old_origin, repaint != 0);
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT p) {
    Window *w = window(hwnd);
    if (!w || !p) return FALSE;
    POINT o = client_origin_on_screen(w);
    p->x -= o.x;
    p->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT p) {
    Window *w = window(hwnd);
    if (!w || !p) return FALSE;
    POINT o = client_origin_on_screen(w);
    p->x += o.x;
    p->y += o.y;
    return TRUE;
}

int GetSystemMetrics(int index) {
    State &s = state();
    switch (index) {
    case SM_CXSCREEN: return s.screen_w;
    case SM_CYSCREEN: return s.screen_h;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return kScrollBar;
    case SM_CYCAPTION: return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME: return kThickFrame;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    default: return 0;
    }
}

// ---- Messages -------------------------------------------------------------------

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window *w = window(hwnd);
    if (!w) {
        state().last_error = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    return send(w, msg, wp, lp);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd && !window(hwnd)) {
        state().last_error = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    state().queue.push_back(make_msg(hwnd, msg, wp, lp));
    return TRUE;
}

void PostQuitMessage(int code) {
    state().quit = true;
    state().quit_code = code;
}

BOOL PeekMessageA(LPMSG out, HWND hwnd, UINT first, UINT last, UINT remove) {
    State &s = state();
    if (!out) return FALSE;
    bool take = remove & PM_REMOVE;
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (!matches(*it, hwnd, first, last)) continue;
        *out = *it;
        if (take) s.queue.erase(it);
        s.message_time = out->time;
        return TRUE;
    }
    if (s.quit && (hwnd == nullptr || hwnd == (HWND)-1) &&
        ((first == 0 && last == 0) || (WM_QUIT >= first && WM_QUIT <= last))) {
        *out = make_msg(nullptr, WM_QUIT, (WPARAM)s.quit_code, 0);
        if (take) s.quit = false;
        return TRUE;
    }
    if (Window *w = paint_candidate(hwnd, first, last)) {
        *out = make_msg(w->self, WM_PAINT, 0, 0);  // stays until validated
        return TRUE;
    }
    if (Timer *t = due_timer(hwnd, first, last)) {
        *out = make_msg(t->hwnd, WM_TIMER, t->id, (LPARAM)t->proc);
        if (take) t->due = s.clock + t->elapse;
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageA(LPMSG out, HWND hwnd, UINT first, UINT last) {
    State &s = state();
    for (;;) {
        if (PeekMessageA(out, hwnd, first, last, PM_REMOVE)) return out->message != WM_QUIT;
        DWORD next = 0;
        bool any = false;
        for (const Timer &t : s.timers)
            if (!any || t.due < next) {
                next = t.due;
                any = true;
            }
        if (!any) {
            *out = make_msg(nullptr, WM_QUIT, 0, 0);
            return FALSE;
        }
        if (next > s.clock) s.clock = next;
    }
}

BOOL TranslateMessage(const MSG *m) {
    if (!m || (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN)) return FALSE;
    int vk = (int)(m->wParam & 0xff);
    State &s = state();
    bool shift = s.keys[VK_SHIFT] != 0;
    int ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = shift ? vk : vk - 'A' + 'a';
    else if (vk >= '0' && vk <= '9' && !shift)
        ch = vk;
    else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        ch = '0' + vk - VK_NUMPAD0;
    else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE)
        ch = vk;
    if (!ch) return FALSE;
    UINT msg = m->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    s.queue.push_back(make_msg(m->hwnd, msg, (WPARAM)ch, m->lParam));
    return TRUE;
}

LRESULT DispatchMessageA(const MSG *m) {
    if (!m) return 0;
    if (m->message == WM_TIMER && m->lParam) {
        ((TIMERPROC)m->lParam)(m->hwnd, WM_TIMER, (UINT_PTR)m->wParam, state().clock);
        return 0;
    }
    if (!m->hwnd) return 0;
    return SendMessageA(m->hwnd, m->message, m->wParam, m->lParam);
}

LONG GetMessageTime(void) { return (LONG)state().message_time; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    State &s = state();
    if (hwnd && !window(hwnd)) return 0;
    if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
    if (!hwnd) {
        // A thread timer gets an id of its own.
        static UINT_PTR next_id = 0x7000;
        if (!id) id = ++next_id;
    }
    for (Timer &t : s.timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.proc = proc;
            t.due = s.clock + elapse;
            return hwnd ? 1 : id;
        }
    s.timers.push_back(Timer{hwnd, id, elapse, proc, s.clock + elapse});
    return hwnd ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    State &s = state();
    auto n = std::erase_if(s.timers, [&](const Timer &t) { return t.hwnd == hwnd && t.id == id; });
    std::erase_if(s.queue, [&](const MSG &m) {
        return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id;
    });
    return n ? TRUE : FALSE;
}

// ---- Painting -------------------------------------------------------------------

BOOL InvalidateRect(HWND hwnd, const RECT *r, BOOL erase) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    invalidate(w, r, erase != 0);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT *r) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    if (!r) {
        w->invalid = false;
        w->erase = false;
        return TRUE;
    }
    // The update area is kept as one rectangle: validating a part that covers
    // it fully clears it, and a band across one side trims it.
    RECT u = w->update;
    if (r->left <= u.left && r->right >= u.right) {
        if (r->top <= u.top && r->bottom > u.top) u.top = std::min(r->bottom, u.bottom);
        if (r->bottom >= u.bottom && r->top < u.bottom) u.bottom = std::max(r->top, u.top);
    }
    if (r->top <= u.top && r->bottom >= u.bottom) {
        if (r->left <= u.left && r->right > u.left) u.left = std::min(r->right, u.right);
        if (r->right >= u.right && r->left < u.right) u.right = std::max(r->left, u.left);
    }
    w->update = u;
    if (IsRectEmpty(&u)) {
        w->invalid = false;
        w->erase = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT r, BOOL erase) {
    Window *w = window(hwnd);
    if (!w) return FALSE;
    if (r) *r = w->invalid ? w->update : RECT{0, 0, 0, 0};
    if (erase && w->invalid && w->erase) {
        HDC dc = GetDC(hwnd);
        w->erase = false;
        SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)dc, 0);
        ReleaseDC(hwnd, dc);
    }
    return w->invalid;
}

// Paints the window, then the children that the update reaches.
static void update_now(HWND hwnd, int children) {
    Window *w = window(hwnd);
    if (!w) return;
    bool clip = children < 0 || (children == 0 && (w->style & WS_CLIPCHILDREN));
    if (w->invalid) UpdateWindow(hwnd);
    if (clip) return;
    std::vector<HWND> kids;
    for (auto &[h, k] : state().windows)
        if (k->parent == hwnd && !is_top_level(k.get())) kids.push_back(k->self);
    for (HWND k : kids) update_now(k, children > 0 ? 1 : 0);
}

BOOL RedrawWindow(HWND hwnd, const RECT *r, HRGN, UINT flags) {
    if (!hwnd) return FALSE;
    Window *w = window(hwnd);
    if (!w) return FALSE;
    int children = (flags & RDW_ALLCHILDREN) ? 1 : (flags & RDW_NOCHILDREN) ? -1 : 0;
    if (flags & RDW_INVALIDATE) invalidate(w, r, (flags & RDW_ERASE) != 0, children);
    if ((flags & RDW_INVALIDATE) && (flags & RDW_FRAME)) paint_frame(w);
    if (flags & RDW_VALIDATE) ValidateRect(hwnd, r);
    if (flags & RDW_UPDATENOW) update_now(hwnd, children);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    Window *w = window(hwnd);
    if (!w || !ps) return nullptr;
    memset(ps, 0, sizeof *ps);
    if (w->frame_dirty) {  // the frame of a child that its parent painted over
        w->frame_dirty = false;
        paint_frame(w);
    }
    HDC dc = GetDC(hwnd);
    GdiObject *o = gdi(dc, Kind::dc);
    o->dc.paint = true;
    o->dc.paint_rect = w->invalid ? w->update : RECT{0, 0, 0, 0};
    ps->hdc = dc;
    ps->rcPaint = o->dc.paint_rect;
    bool erase = w->invalid && w->erase;
    w->invalid = false;
    w->erase = false;
    if (erase) ps->fErase = SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)dc, 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT *ps) {
    if (!ps) return FALSE;
    ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

// ---- Scroll bars ------------------------------------------------------------------

static ScrollBar *bar_of(HWND hwnd, int bar, Window **win = nullptr) {
    Window *w = window(hwnd);
    if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
    if (win) *win = w;
    return &w->bars[bar];
}

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO si, BOOL) {
    Window *w = nullptr;
    ScrollBar *b = bar_of(hwnd, bar, &w);
    if (!b || !si) return 0;
    if (si->fMask & SIF_RANGE) {
        b->min = si->nMin;
        b->max = si->nMax;
    }
    if (si->fMask & SIF_PAGE) b->page = si->nPage;
    if (si->fMask & SIF_POS) b->pos = si->nPos;
    long long span = (long long)b->max - b->min + 1;
    if (span < 0) span = 0;
    if ((long long)b->page > span) b->page = (UINT)span;
    int top = (int)std::max<long long>(b->min, (long long)b->max - std::max<long long>((long long)b->page - 1, 0));
    b->pos = std::clamp(b->pos, b->min, std::max(b->min, top));
    if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
        bool scrollable = bar_scrollable(*b);
        bool show = scrollable || (si->fMask & SIF_DISABLENOSCROLL);
        b->disabled = !scrollable;
        if (show != b->shown) {
            RECT old_client = client_rect(w);
            POINT old_origin = origin_for_move(w);
            b->shown = show;
            if (show)
                w->style |= bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
            else
                w->style &= ~(bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL);
            after_geometry_change(w, old_client, old_origin, false);
            if (!(b = bar_of(hwnd, bar))) return 0;
        }
    }
    return b->pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO si) {
    ScrollBar *b = bar_of(hwnd, bar);
    if (!b || !si) return FALSE;
    if (si->fMask & SIF_RANGE) {
        si->nMin = b->min;
        si->nMax = b->max;
    }
    if (si->fMask & SIF_PAGE) si->nPage = b->page;
    if (si->fMask & SIF_POS) si->nPos = b->pos;
    if (si->fMask & SIF_TRACKPOS) si->nTrackPos = b->track;
    return (si->fMask & SIF_ALL) ? TRUE : FALSE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    ScrollBar *b = bar_of(hwnd, bar);
    if (!b) return 0;
    int old = b->pos;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar) {
    ScrollBar *b = bar_of(hwnd, bar);
    return b ? b->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
    if (!bar_of(hwnd, bar)) return FALSE;
    SCROLLINFO si{sizeof si, SIF_RANGE, min, max, 0, 0, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return TRUE;
}

// ---- Pointer, capture, keys ---------------------------------------------------------

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = state().cursor;
    state().cursor = cursor;
    return old;
}

HCURSOR GetCursor(void) { return state().cursor; }

BOOL GetCursorPos(LPPOINT p) {
    if (!p) return FALSE;
    *p = state().cursor_pos;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    move_pointer(x, y);
    return TRUE;
}

void mouse_event(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR) {
    State &s = state();
    if (flags & MOUSEEVENTF_MOVE) {
        if (flags & MOUSEEVENTF_ABSOLUTE)
            move_pointer((int)((long long)dx * s.screen_w / 65536), (int)((long long)dy * s.screen_h / 65536));
        else
            move_pointer(s.cursor_pos.x + (int)dx, s.cursor_pos.y + (int)dy);
    }
    struct Button {
        DWORD flag;
        int vk;
        UINT msg;
        bool down;
    };
    const Button buttons[] = {
        {MOUSEEVENTF_LEFTDOWN, VK_LBUTTON, WM_LBUTTONDOWN, true},
        {MOUSEEVENTF_LEFTUP, VK_LBUTTON, WM_LBUTTONUP, false},
        {MOUSEEVENTF_RIGHTDOWN, VK_RBUTTON, WM_RBUTTONDOWN, true},
        {MOUSEEVENTF_RIGHTUP, VK_RBUTTON, WM_RBUTTONUP, false},
        {MOUSEEVENTF_MIDDLEDOWN, VK_MBUTTON, WM_MBUTTONDOWN, true},
        {MOUSEEVENTF_MIDDLEUP, VK_MBUTTON, WM_MBUTTONUP, false},
    };
    for (const Button &b : buttons)
        if (flags & b.flag) {
            s.keys[b.vk] = b.down;
            post_mouse(b.msg, 0);
        }
    if (flags & MOUSEEVENTF_WHEEL) post_mouse(WM_MOUSEWHEEL, (WPARAM)MAKELONG(0, (WORD)data));
}

HWND SetCapture(HWND hwnd) {
    State &s = state();
    HWND old = s.capture;
    if (!window(hwnd)) return old;
    s.capture = hwnd;
    if (old && old != hwnd && window(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
    return old;
}

BOOL ReleaseCapture(void) {
    State &s = state();
    HWND old = s.capture;
    s.capture = nullptr;
    if (old && window(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture(void) { return state().capture; }

SHORT GetKeyState(int vk) { return state().keys[vk & 0xff] ? (SHORT)0x8000 : 0; }
SHORT GetAsyncKeyState(int vk) { return GetKeyState(vk); }

// ---- Test controls ----------------------------------------------------------------

void winapi_test_set_screen_size(int width, int height) {
    state().screen_w = width;
    state().screen_h = height;
}

DWORD winapi_test_clock(void) { return state().clock; }
void winapi_test_advance_clock(DWORD ms) { state().clock += ms; }

int winapi_test_pump(int limit) {
    if (limit <= 0) limit = 100000;
    int n = 0;
    MSG m;
    while (n < limit && PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) {
        if (m.message == WM_QUIT) break;
        PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
        TranslateMessage(&m);
        DispatchMessageA(&m);
        ++n;
    }
    return n;
}

int winapi_test_queue_length(void) { return (int)state().queue.size(); }

void winapi_test_set_cursor_pos(int x, int y) { state().cursor_pos = POINT{x, y}; }

int winapi_test_windows(void) { return (int)state().windows.size(); }
int winapi_test_timers(void) { return (int)state().timers.size(); }

void winapi_test_set_scroll_track(HWND hwnd, int bar, int pos) {
    if (ScrollBar *b = bar_of(hwnd, bar)) b->track = pos;
}

BOOL winapi_test_scroll_bar_visible(HWND hwnd, int bar) {
    ScrollBar *b = bar_of(hwnd, bar);
    return b && b->shown;
}

void winapi_test_set_key_state(int vk, BOOL down) { state().keys[vk & 0xff] = down ? 1 : 0; }

COLORREF winapi_test_pixel(HWND hwnd, int x, int y) {
    Window *w = window(hwnd);
    if (!w) return CLR_INVALID;
    RECT c = client_rect(w);
    if (x < 0 || y < 0 || x >= c.right || y >= c.bottom) return CLR_INVALID;
    Window *t = top_level(w);
    POINT o = client_origin_in_top(w);
    Target tg;
    tg.s = &t->surface;
    return tg.get(x + o.x, y + o.y);
}

BOOL winapi_test_read_client(HWND hwnd, COLORREF *out, int width, int height) {
    Window *w = window(hwnd);
    if (!w || !out) return FALSE;
    RECT c = client_rect(w);
    if (c.right != width || c.bottom != height) return FALSE;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out[(size_t)y * width + x] = winapi_test_pixel(hwnd, x, y);
    return TRUE;
}
