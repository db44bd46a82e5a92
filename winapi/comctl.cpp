// Common controls: the toolbar with its tooltips, and image lists.
#include "winapi/internal.h"

#include <winapi_testing.h>

#include <algorithm>
#include <cstring>

struct _IMAGELIST {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    COLORREF bk = CLR_NONE;
    std::vector<winapi::Surface> images;
    std::vector<std::vector<bool>> transparent;  // per image, per pixel
};

namespace winapi {

namespace {

std::map<HIMAGELIST, std::unique_ptr<_IMAGELIST>> &image_lists() {
    static std::map<HIMAGELIST, std::unique_ptr<_IMAGELIST>> lists;
    return lists;
}

_IMAGELIST *image_list(HIMAGELIST h) {
    auto it = image_lists().find(h);
    return it == image_lists().end() ? nullptr : it->second.get();
}

constexpr int kToolbarHeight = 29;
constexpr int kSeparator = 8;
constexpr int kButtonTop = 2;
constexpr COLORREF kMapToFace = RGB(192, 192, 192);  // the bitmap's grey shows as the button face

struct ToolbarButton {
    int image;
    int id;
    BYTE state;
    BYTE style;
    DWORD_PTR data;
    INT_PTR string;
};

struct Toolbar : Control {
    std::vector<ToolbarButton> buttons;
    UINT struct_size = sizeof(TBBUTTON);
    int button_w = 23;
    int button_h = 22;
    int bitmap_w = 16;
    int bitmap_h = 16;
    Surface images;
    HWND tooltip = nullptr;
    HWND notify = nullptr;
    int pressed = -1;
};

Toolbar *toolbar(HWND h) {
    Window *w = window(h);
    return w ? dynamic_cast<Toolbar *>(w->control.get()) : nullptr;
}

int index_of(Toolbar *tb, int id) {
    for (size_t i = 0; i < tb->buttons.size(); ++i)
        if (tb->buttons[i].id == id && !(tb->buttons[i].style & TBSTYLE_SEP)) return (int)i;
    return -1;
}

RECT button_rect(Toolbar *tb, int index) {
    int x = 0;
    for (int i = 0; i < (int)tb->buttons.size(); ++i) {
        const ToolbarButton &b = tb->buttons[i];
        if (b.state & TBSTATE_HIDDEN) {
            if (i == index) return RECT{0, 0, 0, 0};
            continue;
        }
        int w = (b.style & TBSTYLE_SEP) ? (b.image > 0 ? b.image : kSeparator) : tb->button_w;
        if (i == index) return RECT{x, kButtonTop, x + w, kButtonTop + tb->button_h};
        x += w;
    }
    return RECT{0, 0, 0, 0};
}

int hit(Toolbar *tb, POINT p) {
    for (int i = 0; i < (int)tb->buttons.size(); ++i) {
        RECT r = button_rect(tb, i);
        if (!(tb->buttons[i].style & TBSTYLE_SEP) && PtInRect(&r, p)) return i;
    }
    return -1;
}

void dock(HWND hwnd) {
    Window *w = window(hwnd);
    if (!w || (w->style & CCS_NORESIZE)) return;
    RECT pc{0, 0, 0, 0};
    GetClientRect(w->parent, &pc);
    MoveWindow(hwnd, 0, 0, pc.right, kToolbarHeight, TRUE);
}

void paint_toolbar(HWND hwnd, Toolbar *tb) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Target t = target_of(dc);
    RECT c;
    GetClientRect(hwnd, &c);
    FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
    COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW),
             light = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int i = 0; i < (int)tb->buttons.size(); ++i) {
        const ToolbarButton &b = tb->buttons[i];
        RECT r = button_rect(tb, i);
        if (IsRectEmpty(&r) || (b.style & TBSTYLE_SEP)) continue;
        bool down = (b.state & (TBSTATE_CHECKED | TBSTATE_PRESSED)) != 0;
        bool enabled = (b.state & TBSTATE_ENABLED) != 0;
        if (down) {
            RECT top{r.left, r.top, r.right, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom};
            RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
            HBRUSH sb = CreateSolidBrush(shadow), lb = CreateSolidBrush(light);
            FillRect(dc, &top, sb);
            FillRect(dc, &left, sb);
            FillRect(dc, &bottom, lb);
            FillRect(dc, &right, lb);
            DeleteObject(sb);
            DeleteObject(lb);
        }
        int ix = r.left + (tb->button_w - tb->bitmap_w) / 2 + (down ? 1 : 0);
        int iy = r.top + (tb->button_h - tb->bitmap_h) / 2 + (down ? 1 : 0);
        for (int y = 0; y < tb->bitmap_h; ++y)
            for (int x = 0; x < tb->bitmap_w; ++x) {
                int sx = b.image * tb->bitmap_w + x;
                if (b.image < 0 || sx >= tb->images.w || y >= tb->images.h) continue;
                COLORREF p = tb->images.px[(size_t)y * tb->images.w + sx];
                if (p == kMapToFace) p = face;
                if (!enabled) {  // greyed: the dark parts in the shadow colour
                    if (GetRValue(p) + GetGValue(p) + GetBValue(p) >= 384) continue;
                    p = shadow;
                }
                t.put(ix + x, iy + y, p);
            }
    }
    EndPaint(hwnd, &ps);
}

void add_buttons(Toolbar *tb, const BYTE *p, int count) {
    for (int i = 0; i < count; ++i, p += tb->struct_size) {
        TBBUTTON src{};
        memcpy(&src, p, std::min<size_t>(tb->struct_size, sizeof src));
        if (tb->struct_size < sizeof src) src.dwData = 0, src.iString = 0;
        tb->buttons.push_back(ToolbarButton{src.iBitmap, src.idCommand, src.fsState, src.fsStyle,
                                            src.dwData, src.iString});
    }
}

void set_state(HWND hwnd, Toolbar *tb, int index, BYTE state) {
    if (tb->buttons[index].state != state) {
        tb->buttons[index].state = state;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

LRESULT CALLBACK toolbar_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Toolbar *tb = toolbar(hwnd);
    if (!tb) {
        if (msg == WM_NCCREATE) {
            auto t = std::make_unique<Toolbar>();
            t->notify = ((CREATESTRUCTA *)lp)->hwndParent;
            window(hwnd)->control = std::move(t);
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    auto flag = [&](BYTE bit, bool on) -> LRESULT {
        int i = index_of(tb, (int)wp);
        if (i < 0) return FALSE;
        BYTE s = tb->buttons[i].state;
        set_state(hwnd, tb, i, on ? (BYTE)(s | bit) : (BYTE)(s & ~bit));
        return TRUE;
    };
    auto test = [&](BYTE bit) -> LRESULT {
        int i = index_of(tb, (int)wp);
        return i < 0 ? -1 : (tb->buttons[i].state & bit) != 0;
    };
    switch (msg) {
    case WM_SIZE: {
        // The parent passes its own WM_SIZE on: follow the parent's width.
        Window *w = window(hwnd);
        RECT pc{0, 0, 0, 0};
        GetClientRect(w->parent, &pc);
        if (w->rect.right - w->rect.left != pc.right || w->rect.bottom - w->rect.top != kToolbarHeight)
            dock(hwnd);
        return 0;
    }
    case TB_AUTOSIZE: dock(hwnd); return 0;
    case TB_ENABLEBUTTON: return flag(TBSTATE_ENABLED, LOWORD(lp) != 0);
    case TB_CHECKBUTTON: return flag(TBSTATE_CHECKED, LOWORD(lp) != 0);
    case TB_PRESSBUTTON: return flag(TBSTATE_PRESSED, LOWORD(lp) != 0);
    case TB_HIDEBUTTON: return flag(TBSTATE_HIDDEN, LOWORD(lp) != 0);
    case TB_ISBUTTONENABLED: return test(TBSTATE_ENABLED);
    case TB_ISBUTTONCHECKED: return test(TBSTATE_CHECKED);
    case TB_ISBUTTONPRESSED: return test(TBSTATE_PRESSED);
    case TB_ISBUTTONHIDDEN: return test(TBSTATE_HIDDEN);
    case TB_GETSTATE: {
        int i = index_of(tb, (int)wp);
        return i < 0 ? -1 : tb->buttons[i].state;
    }
    case TB_SETSTATE: {
        int i = index_of(tb, (int)wp);
        if (i < 0) return FALSE;
        set_state(hwnd, tb, i, (BYTE)LOWORD(lp));
        return TRUE;
    }
    case TB_BUTTONSTRUCTSIZE: tb->struct_size = (UINT)wp; return 0;
    case TB_SETBUTTONSIZE: tb->button_w = LOWORD(lp); tb->button_h = HIWORD(lp); return TRUE;
    case TB_SETBITMAPSIZE: tb->bitmap_w = LOWORD(lp); tb->bitmap_h = HIWORD(lp); return TRUE;
    case TB_ADDBUTTONSA:
        add_buttons(tb, (const BYTE *)lp, (int)wp);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TB_DELETEBUTTON:
        if (wp >= tb->buttons.size()) return FALSE;
        tb->buttons.erase(tb->buttons.begin() + (ptrdiff_t)wp);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TB_BUTTONCOUNT: return (LRESULT)tb->buttons.size();
    case TB_COMMANDTOINDEX: return index_of(tb, (int)wp);
    case TB_GETBUTTON: {
        if (wp >= tb->buttons.size() || !lp) return FALSE;
        const ToolbarButton &b = tb->buttons[wp];
        TBBUTTON out{};
        out.iBitmap = b.image;
        out.idCommand = b.id;
        out.fsState = b.state;
        out.fsStyle = b.style;
        out.dwData = b.data;
        out.iString = b.string;
        memcpy((void *)lp, &out, sizeof out);
        return TRUE;
    }
    case TB_GETITEMRECT: {
        if (wp >= tb->buttons.size() || !lp) return FALSE;
        *(RECT *)lp = button_rect(tb, (int)wp);
        return TRUE;
    }
    case TB_ADDBITMAP: {
        const TBADDBITMAP *ab = (const TBADDBITMAP *)lp;
        if (!ab) return -1;
        HBITMAP bm = ab->hInst ? LoadBitmapA(ab->hInst, MAKEINTRESOURCEA(ab->nID)) : (HBITMAP)ab->nID;
        GdiObject *o = gdi(bm, Kind::bitmap);
        if (!o) return -1;
        int first = tb->bitmap_w ? tb->images.w / tb->bitmap_w : 0;
        Surface grown = tb->images;
        int h = std::max(grown.h, o->bits.h);
        grown.resize(tb->images.w + o->bits.w, h, kMapToFace);
        for (int y = 0; y < o->bits.h; ++y)
            for (int x = 0; x < o->bits.w; ++x)
                grown.px[(size_t)y * grown.w + tb->images.w + x] = o->bits.px[(size_t)y * o->bits.w + x];
        tb->images = std::move(grown);
        if (ab->hInst) DeleteObject(bm);
        return first;
    }
    case TB_GETTOOLTIPS: return (LRESULT)tb->tooltip;
    case TB_SETTOOLTIPS: tb->tooltip = (HWND)wp; return 0;
    case TB_SETPARENT: {
        HWND old = tb->notify;
        tb->notify = (HWND)wp;
        return (LRESULT)old;
    }
    case WM_PAINT: paint_toolbar(hwnd, tb); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: {
        int i = hit(tb, POINT{(short)LOWORD(lp), (short)HIWORD(lp)});
        if (i < 0 || !(tb->buttons[i].state & TBSTATE_ENABLED)) return 0;
        tb->pressed = i;
        set_state(hwnd, tb, i, tb->buttons[i].state | TBSTATE_PRESSED);
        SetCapture(hwnd);
        return 0;
    }
    case WM_LBUTTONUP: {
        int i = tb->pressed;
        if (i < 0) return 0;
        tb->pressed = -1;
        if (GetCapture() == hwnd) ReleaseCapture();
        if (!(tb = toolbar(hwnd)) || i >= (int)tb->buttons.size()) return 0;
        set_state(hwnd, tb, i, tb->buttons[i].state & ~TBSTATE_PRESSED);
        if (hit(tb, POINT{(short)LOWORD(lp), (short)HIWORD(lp)}) != i) return 0;
        if (tb->buttons[i].style & TBSTYLE_CHECK) set_state(hwnd, tb, i, tb->buttons[i].state ^ TBSTATE_CHECKED);
        SendMessageA(tb->notify, WM_COMMAND, MAKEWPARAM(tb->buttons[i].id, 0), (LPARAM)hwnd);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK tooltip_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void register_common_controls() {
    State &s = state();
    if (s.classes.count(lower(TOOLBARCLASSNAMEA))) return;
    register_builtin_class(TOOLBARCLASSNAMEA, toolbar_proc, nullptr);
    register_builtin_class(TOOLTIPS_CLASSA, tooltip_proc, nullptr);
}

void free_image_lists() {
    image_lists().clear();
    state().image_lists = 0;
}

}  // namespace winapi

using namespace winapi;

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX *icc) {
    if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    register_common_controls();
    return TRUE;
}

void InitCommonControls(void) { register_common_controls(); }

HWND CreateToolbarEx(HWND parent, DWORD style, UINT id, int, HINSTANCE bm_module, UINT_PTR bm_id,
                     LPCTBBUTTON buttons, int count, int button_w, int button_h, int bitmap_w, int bitmap_h,
                     UINT struct_size) {
    register_common_controls();
    HWND h = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style | WS_CHILD, 0, 0, 0, kToolbarHeight,
                             parent, (HMENU)(UINT_PTR)id, nullptr, nullptr);
    if (!h) return nullptr;
    SendMessageA(h, TB_BUTTONSTRUCTSIZE, struct_size, 0);
    if (bitmap_w > 0 && bitmap_h > 0) SendMessageA(h, TB_SETBITMAPSIZE, 0, MAKELONG(bitmap_w, bitmap_h));
    if (button_w > 0 && button_h > 0) {
        // As documented, the button is at least the bitmap plus its margins.
        button_w = std::max(button_w, bitmap_w + 7);
        button_h = std::max(button_h, bitmap_h + 6);
        SendMessageA(h, TB_SETBUTTONSIZE, 0, MAKELONG(button_w, button_h));
    }
    if (bm_module != (HINSTANCE)(LONG_PTR)-1) {
        TBADDBITMAP ab{bm_module, bm_id};
        SendMessageA(h, TB_ADDBITMAP, 0, (LPARAM)&ab);
    }
    if (buttons && count > 0) SendMessageA(h, TB_ADDBUTTONSA, (WPARAM)count, (LPARAM)buttons);
    if (style & TBSTYLE_TOOLTIPS) {
        HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, parent, nullptr,
                                   nullptr, nullptr);
        SendMessageA(h, TB_SETTOOLTIPS, (WPARAM)tip, 0);
    }
    dock(h);
    return h;
}

const char *winapi_test_tooltip_text(HWND hwnd, int command) {
    static char text[1024];
    Toolbar *tb = toolbar(hwnd);
    if (!tb || !tb->tooltip || index_of(tb, command) < 0) return nullptr;
    NMTTDISPINFOA di{};
    di.hdr.hwndFrom = tb->tooltip;
    di.hdr.idFrom = (UINT_PTR)command;
    di.hdr.code = TTN_NEEDTEXTA;
    di.lpszText = di.szText;
    SendMessageA(tb->notify, WM_NOTIFY, (WPARAM)command, (LPARAM)&di);
    if (!di.lpszText) return nullptr;
    if (IS_INTRESOURCE(di.lpszText)) {
        if (!di.hinst || !LoadStringA(di.hinst, (UINT)(UINT_PTR)di.lpszText, text, sizeof text)) return nullptr;
        return text;
    }
    lstrcpynA(text, di.lpszText, sizeof text);
    return text[0] ? text : nullptr;
}

// ---- Image lists ----------------------------------------------------------------------

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0) return nullptr;
    auto l = std::make_unique<_IMAGELIST>();
    l->cx = cx;
    l->cy = cy;
    l->flags = flags;
    HIMAGELIST h = l.get();
    image_lists()[h] = std::move(l);
    ++state().image_lists;
    return h;
}

BOOL ImageList_Destroy(HIMAGELIST h) {
    if (!image_lists().erase(h)) return FALSE;
    --state().image_lists;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST h) {
    _IMAGELIST *l = image_list(h);
    return l ? (int)l->images.size() : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST h, int *cx, int *cy) {
    _IMAGELIST *l = image_list(h);
    if (!l || !cx || !cy) return FALSE;
    *cx = l->cx;
    *cy = l->cy;
    return TRUE;
}

static int add_images(_IMAGELIST *l, GdiObject *img, GdiObject *mask, const COLORREF *key) {
    int n = img->bits.w / l->cx;
    if (n <= 0) return -1;
    int first = (int)l->images.size();
    for (int k = 0; k < n; ++k) {
        Surface s;
        s.resize(l->cx, l->cy, 0);
        std::vector<bool> tr((size_t)l->cx * l->cy, false);
        for (int y = 0; y < l->cy && y < img->bits.h; ++y)
            for (int x = 0; x < l->cx; ++x) {
                COLORREF c = img->bits.px[(size_t)y * img->bits.w + k * l->cx + x];
                s.px[(size_t)y * l->cx + x] = c;
                bool t = false;
                if (key)
                    t = c == (*key & 0xFFFFFF);
                else if (mask && k * l->cx + x < mask->bits.w && y < mask->bits.h)
                    t = mask->bits.px[(size_t)y * mask->bits.w + k * l->cx + x] != 0;
                tr[(size_t)y * l->cx + x] = (l->flags & ILC_MASK) && t;
            }
        l->images.push_back(std::move(s));
        l->transparent.push_back(std::move(tr));
    }
    return first;
}

int ImageList_Add(HIMAGELIST h, HBITMAP image, HBITMAP mask) {
    _IMAGELIST *l = image_list(h);
    GdiObject *img = gdi(image, Kind::bitmap);
    if (!l || !img) return -1;
    return add_images(l, img, gdi(mask, Kind::bitmap), nullptr);
}

int ImageList_AddMasked(HIMAGELIST h, HBITMAP image, COLORREF mask) {
    _IMAGELIST *l = image_list(h);
    GdiObject *img = gdi(image, Kind::bitmap);
    if (!l || !img) return -1;
    return add_images(l, img, nullptr, &mask);
}

BOOL ImageList_Draw(HIMAGELIST h, int index, HDC hdc, int x, int y, UINT style) {
    _IMAGELIST *l = image_list(h);
    if (!l || index < 0 || index >= (int)l->images.size() || !gdi(hdc, Kind::dc)) return FALSE;
    Target t = target_of(hdc);
    const Surface &s = l->images[index];
    const std::vector<bool> &tr = l->transparent[index];
    bool use_mask = !(style & ILD_IMAGE);
    for (int j = 0; j < l->cy; ++j)
        for (int i = 0; i < l->cx; ++i) {
            size_t k = (size_t)j * l->cx + i;
            if (style & ILD_MASK) {
                t.put(x + i, y + j, tr[k] ? RGB(255, 255, 255) : RGB(0, 0, 0));
                continue;
            }
            if (use_mask && tr[k]) {
                if (l->bk != CLR_NONE && !(style & ILD_TRANSPARENT)) t.put(x + i, y + j, l->bk);
                continue;
            }
            t.put(x + i, y + j, s.px[k]);
        }
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST h, COLORREF c) {
    _IMAGELIST *l = image_list(h);
    if (!l) return CLR_NONE;
    COLORREF old = l->bk;
    l->bk = c;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST h) {
    _IMAGELIST *l = image_list(h);
    return l ? l->bk : CLR_NONE;
}
