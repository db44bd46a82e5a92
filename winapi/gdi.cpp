// GDI: objects, device contexts and drawing into real pixels.
#include "winapi/internal.h"

#include <winapi_testing.h>

#include <algorithm>
#include <cstring>

namespace winapi {

void Surface::resize(int nw, int nh, COLORREF fill) {
    nw = std::max(nw, 0);
    nh = std::max(nh, 0);
    std::vector<COLORREF> n((size_t)nw * nh, fill);
    for (int y = 0; y < std::min(h, nh); ++y)
        for (int x = 0; x < std::min(w, nw); ++x) n[(size_t)y * nw + x] = px[(size_t)y * w + x];
    px.swap(n);
    w = nw;
    h = nh;
}

COLORREF to_mono(COLORREF c) {
    int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    return sum >= 384 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

void Target::put(int x, int y, COLORREF c) const {
    if (!s || !inside(x, y)) return;
    x += ox;
    y += oy;
    s->px[(size_t)y * s->w + x] = s->mono ? to_mono(c) : (c & 0xFFFFFF);
}

COLORREF Target::get(int x, int y) const {
    if (!s) return CLR_INVALID;
    x += ox;
    y += oy;
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return CLR_INVALID;
    return s->px[(size_t)y * s->w + x];
}

namespace {

// Default colours of the system elements.
const COLORREF kSysColors[31] = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
    RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
    RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(51, 153, 255),
    RGB(240, 240, 240),
};

constexpr int kStockCount = 18;
constexpr int kDefaultBitmap = 100;  // the 1 x 1 monochrome bitmap of a new memory context
constexpr int kSysBrushBase = 200;

// Stock objects live for the whole run, with fixed handles; created on first use.
HGDIOBJ stock_object(int index) {
    static std::map<int, HGDIOBJ> handles;
    auto it = handles.find(index);
    if (it != handles.end()) return it->second;
    GdiObject o{Kind::brush};
    o.stock = true;
    if (index >= kSysBrushBase) {
        o.color = kSysColors[index - kSysBrushBase];
    } else if (index == kDefaultBitmap) {
        o.kind = Kind::bitmap;
        o.bits.mono = true;
        o.bits.resize(1, 1, RGB(0, 0, 0));
    } else {
        switch (index) {
        case WHITE_BRUSH: o.color = RGB(255, 255, 255); break;
        case LTGRAY_BRUSH: o.color = RGB(192, 192, 192); break;
        case GRAY_BRUSH: o.color = RGB(128, 128, 128); break;
        case DKGRAY_BRUSH: o.color = RGB(64, 64, 64); break;
        case BLACK_BRUSH: o.color = RGB(0, 0, 0); break;
        case NULL_BRUSH: o.null = true; break;
        case WHITE_PEN: o.kind = Kind::pen; o.color = RGB(255, 255, 255); break;
        case BLACK_PEN: o.kind = Kind::pen; o.color = RGB(0, 0, 0); break;
        case NULL_PEN: o.kind = Kind::pen; o.null = true; o.pen_style = PS_NULL; break;
        case 10: case 11: case 12: case 13: case 14: case 16: case 17: o.kind = Kind::font; break;
        default: return nullptr;
        }
    }
    uintptr_t h = new_handle();
    state().stock.emplace(h, o);
    handles[index] = (HGDIOBJ)h;
    return (HGDIOBJ)h;
}

// A brush handle or a system colour index + 1.
bool brush_color(HBRUSH hbr, COLORREF *c) {
    uintptr_t v = (uintptr_t)hbr;
    if (v >= 1 && v <= 31) {
        *c = kSysColors[v - 1];
        return true;
    }
    GdiObject *b = gdi(hbr, Kind::brush);
    if (!b || b->null) return false;
    *c = b->color;
    return true;
}

void fill(const Target &t, int l, int tp, int r, int b, COLORREF c) {
    if (!t.s) return;
    l = std::max(l + t.ox, (int)t.clip.left);
    r = std::min(r + t.ox, (int)t.clip.right);
    tp = std::max(tp + t.oy, (int)t.clip.top);
    b = std::min(b + t.oy, (int)t.clip.bottom);
    if (l >= r || tp >= b) return;
    if (t.s->mono) c = to_mono(c);
    c &= 0xFFFFFF;
    for (int y = tp; y < b; ++y) std::fill_n(t.s->px.begin() + ((ptrdiff_t)y * t.s->w + l), r - l, c);
}

void release_selection(HGDIOBJ h) {
    State &s = state();
    auto it = s.objects.find((uintptr_t)h);
    if (it == s.objects.end()) return;
    if (--it->second.selected <= 0) {
        it->second.selected = 0;
        if (it->second.delete_pending) s.objects.erase(it);
    }
}

void release_dc_selections(Dc &dc) {
    for (HGDIOBJ h : {dc.pen, dc.brush, dc.bitmap, dc.font})
        if (h) release_selection(h);
    dc.pen = dc.brush = dc.bitmap = dc.font = nullptr;
}

HDC new_dc(Dc::Type type, HWND hwnd) {
    GdiObject o{Kind::dc};
    o.dc.type = type;
    o.dc.hwnd = hwnd;
    o.dc.pen = stock_object(BLACK_PEN);
    o.dc.brush = stock_object(WHITE_BRUSH);
    o.dc.font = stock_object(SYSTEM_FONT);
    if (type == Dc::memory) o.dc.bitmap = stock_object(kDefaultBitmap);
    return (HDC)new_gdi(std::move(o));
}

}  // namespace

GdiObject *gdi(HGDIOBJ h) {
    State &s = state();
    auto it = s.objects.find((uintptr_t)h);
    if (it != s.objects.end()) return &it->second;
    auto st = s.stock.find((uintptr_t)h);
    return st == s.stock.end() ? nullptr : &st->second;
}

GdiObject *gdi(HGDIOBJ h, Kind kind) {
    GdiObject *o = gdi(h);
    return o && o->kind == kind ? o : nullptr;
}

HGDIOBJ new_gdi(GdiObject obj) {
    uintptr_t h = new_handle();
    state().objects.emplace(h, std::move(obj));
    return (HGDIOBJ)h;
}

Target target_of(HDC hdc) {
    Target t;
    GdiObject *o = gdi(hdc, Kind::dc);
    if (!o) return t;
    Dc &dc = o->dc;
    if (dc.type == Dc::memory) {
        GdiObject *b = gdi(dc.bitmap, Kind::bitmap);
        if (!b) return t;
        t.s = &b->bits;
        t.clip = RECT{0, 0, b->bits.w, b->bits.h};
        return t;
    }
    if (dc.type != Dc::window) return t;
    Window *w = window(dc.hwnd);
    Window *top = top_level(w);
    if (!w || !top) return t;
    t.s = &top->surface;
    POINT o2 = client_origin_in_top(w);
    t.ox = o2.x;
    t.oy = o2.y;
    RECT clip = client_rect(w);
    OffsetRect(&clip, o2.x, o2.y);
    for (Window *a = w; a && a != top; a = window(a->parent)) {
        Window *p = window(a->parent);
        RECT pc = client_rect(p);
        POINT po = client_origin_in_top(p);
        OffsetRect(&pc, po.x, po.y);
        IntersectRect(&clip, &clip, &pc);
    }
    RECT all{0, 0, top->surface.w, top->surface.h};
    IntersectRect(&clip, &clip, &all);
    if (dc.paint) {
        RECT pr = dc.paint_rect;
        OffsetRect(&pr, o2.x, o2.y);
        IntersectRect(&clip, &clip, &pr);
    }
    t.clip = clip;
    return t;
}

HBITMAP bitmap_from_surface(const Surface &s) {
    GdiObject o{Kind::bitmap};
    o.bits = s;
    return (HBITMAP)new_gdi(std::move(o));
}

// Reads DIB pixel (x, y), y counted from the top.
static COLORREF dib_pixel(const BITMAPINFO *bmi, const BYTE *bits, int x, int y) {
    const BITMAPINFOHEADER &h = bmi->bmiHeader;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    int row = h.biHeight < 0 ? y : height - 1 - y;
    size_t stride = (((size_t)h.biWidth * h.biBitCount + 31) / 32) * 4;
    const BYTE *p = bits + stride * row;
    if (h.biBitCount >= 24) {
        const BYTE *q = p + (size_t)x * (h.biBitCount / 8);
        return RGB(q[2], q[1], q[0]);
    }
    unsigned i;
    switch (h.biBitCount) {
    case 8: i = p[x]; break;
    case 4: i = (p[x / 2] >> (x % 2 ? 0 : 4)) & 15; break;
    case 1: i = (p[x / 8] >> (7 - x % 8)) & 1; break;
    default: return 0;
    }
    // An index past the colour table reads as black, not past the table.
    unsigned colours = h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount;
    if (i >= colours) return 0;
    const RGBQUAD &c = ((const RGBQUAD *)((const BYTE *)bmi + h.biSize))[i];
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

static bool dib_supported(const BITMAPINFO *bmi) {
    if (!bmi) return false;
    const BITMAPINFOHEADER &h = bmi->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
        return false;
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 24: return h.biCompression == BI_RGB;
    case 32: return h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS;
    default: return false;
    }
}

HBITMAP bitmap_from_dib(const BITMAPINFO *bmi, const void *bits) {
    if (!dib_supported(bmi) || !bits) return nullptr;
    const BITMAPINFOHEADER &h = bmi->bmiHeader;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    GdiObject o{Kind::bitmap};
    o.bits.resize(h.biWidth, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < h.biWidth; ++x)
            o.bits.px[(size_t)y * h.biWidth + x] = dib_pixel(bmi, (const BYTE *)bits, x, y);
    return (HBITMAP)new_gdi(std::move(o));
}

}  // namespace winapi

using namespace winapi;

// ---- Device contexts ---------------------------------------------------------------

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const DEVMODEA *) {
    if (!driver || lstrcmpiA(driver, "DISPLAY") != 0) return nullptr;
    return new_dc(Dc::display, nullptr);
}

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !gdi(hdc, Kind::dc)) return nullptr;
    return new_dc(Dc::memory, nullptr);
}

BOOL DeleteDC(HDC hdc) {
    GdiObject *o = gdi(hdc, Kind::dc);
    if (!o || o->stock) return FALSE;
    if (o->dc.type == Dc::window) return FALSE;  // GetDC's contexts go back through ReleaseDC
    Dc dc = o->dc;
    state().objects.erase((uintptr_t)hdc);
    release_dc_selections(dc);
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    if (hwnd && !window(hwnd)) return nullptr;
    HDC dc = new_dc(hwnd ? Dc::window : Dc::display, hwnd);
    gdi(dc)->dc.paint = false;
    gdi(dc)->stock = false;
    gdi(dc)->delete_pending = false;
    gdi(dc)->selected = -1;  // marks a context from GetDC
    ++state().window_dcs;
    return dc;
}

int ReleaseDC(HWND, HDC hdc) {
    GdiObject *o = gdi(hdc, Kind::dc);
    if (!o || o->selected != -1) return 0;
    Dc dc = o->dc;
    state().objects.erase((uintptr_t)hdc);
    release_dc_selections(dc);
    --state().window_dcs;
    return 1;
}

int GetDeviceCaps(HDC hdc, int index) {
    GdiObject *o = gdi(hdc, Kind::dc);
    if (!o) return 0;
    State &s = state();
    switch (index) {
    case HORZRES: return s.screen_w;
    case VERTRES: return s.screen_h;
    case BITSPIXEL: {
        if (o->dc.type == Dc::memory) {
            GdiObject *b = gdi(o->dc.bitmap, Kind::bitmap);
            if (b && b->bits.mono) return 1;
        }
        return 32;
    }
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    GdiObject *o = gdi(hdc, Kind::dc);
    if (hdc && !o) return nullptr;
    if (width <= 0 || height <= 0) return (HBITMAP)stock_object(kDefaultBitmap);
    GdiObject b{Kind::bitmap};
    if (o && o->dc.type == Dc::memory) {
        GdiObject *sel = gdi(o->dc.bitmap, Kind::bitmap);
        b.bits.mono = sel && sel->bits.mono;
    }
    b.bits.resize(width, height, 0);
    return (HBITMAP)new_gdi(std::move(b));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits, const void *data) {
    if (width <= 0 || height <= 0 || planes != 1 || (bits != 1 && bits != 32)) return nullptr;
    GdiObject b{Kind::bitmap};
    b.bits.mono = bits == 1;
    b.bits.resize(width, height, 0);
    if (data) {
        const BYTE *p = (const BYTE *)data;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                COLORREF c;
                if (bits == 1) {
                    size_t stride = ((size_t)width + 15) / 16 * 2;
                    c = (p[stride * y + x / 8] >> (7 - x % 8)) & 1 ? RGB(255, 255, 255) : 0;
                } else {
                    const BYTE *q = p + ((size_t)y * width + x) * 4;
                    c = RGB(q[2], q[1], q[0]);
                }
                b.bits.px[(size_t)y * width + x] = c;
            }
    }
    return (HBITMAP)new_gdi(std::move(b));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    GdiObject *d = gdi(hdc, Kind::dc);
    GdiObject *o = gdi(obj);
    if (!d || !o || o->delete_pending) return nullptr;
    HGDIOBJ *slot;
    switch (o->kind) {
    case Kind::pen: slot = &d->dc.pen; break;
    case Kind::brush: slot = &d->dc.brush; break;
    case Kind::font: slot = &d->dc.font; break;
    case Kind::bitmap:
        if (d->dc.type != Dc::memory) return nullptr;
        if (o->selected > 0 && !o->stock && d->dc.bitmap != obj) return nullptr;  // one context at a time
        slot = &d->dc.bitmap;
        break;
    default: return HGDI_ERROR;
    }
    HGDIOBJ old = *slot;
    if (old == obj) return old;
    *slot = obj;
    if (!o->stock) ++o->selected;
    release_selection(old);
    return old;
}

BOOL DeleteObject(HGDIOBJ obj) {
    State &s = state();
    if (s.stock.count((uintptr_t)obj)) return TRUE;
    if ((uintptr_t)obj >= 1 && (uintptr_t)obj <= 31) return TRUE;  // a system colour "brush"
    auto it = s.objects.find((uintptr_t)obj);
    if (it == s.objects.end() || it->second.kind == Kind::dc) return FALSE;
    GdiObject &o = it->second;
    if (o.selected > 0) {
        if (o.kind == Kind::bitmap) return FALSE;
        o.delete_pending = true;
        return TRUE;
    }
    s.objects.erase(it);
    return TRUE;
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= kStockCount) return nullptr;
    return stock_object(index);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return nullptr;
    switch (type) {
    case OBJ_PEN: return d->dc.pen;
    case OBJ_BRUSH: return d->dc.brush;
    case OBJ_FONT: return d->dc.font;
    case OBJ_BITMAP: return d->dc.bitmap;
    default: return nullptr;
    }
}

DWORD GetObjectType(HGDIOBJ obj) {
    GdiObject *o = gdi(obj);
    if (!o) return 0;
    switch (o->kind) {
    case Kind::pen: return OBJ_PEN;
    case Kind::brush: return OBJ_BRUSH;
    case Kind::font: return OBJ_FONT;
    case Kind::bitmap: return OBJ_BITMAP;
    case Kind::dc: return o->dc.type == Dc::memory ? OBJ_MEMDC : OBJ_DC;
    }
    return 0;
}

int GetObjectA(HGDIOBJ obj, int size, LPVOID out) {
    GdiObject *o = gdi(obj);
    if (!o) return 0;
    if (o->kind == Kind::bitmap) {
        if (!out) return sizeof(BITMAP);
        if (size < (int)sizeof(BITMAP)) return 0;
        BITMAP bm{};
        bm.bmWidth = o->bits.w;
        bm.bmHeight = o->bits.h;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = o->bits.mono ? 1 : 32;
        bm.bmWidthBytes = o->bits.mono ? (o->bits.w + 15) / 16 * 2 : o->bits.w * 4;
        memcpy(out, &bm, sizeof bm);
        return sizeof bm;
    }
    if (o->kind == Kind::pen) {
        if (!out) return sizeof(LOGPEN);
        if (size < (int)sizeof(LOGPEN)) return 0;
        LOGPEN lp{(UINT)o->pen_style, POINT{o->pen_width, 0}, o->color};
        memcpy(out, &lp, sizeof lp);
        return sizeof lp;
    }
    if (o->kind == Kind::brush) {
        if (!out) return sizeof(LOGBRUSH);
        if (size < (int)sizeof(LOGBRUSH)) return 0;
        LOGBRUSH lb{o->null ? (UINT)BS_NULL : (UINT)BS_SOLID, o->color, 0};
        memcpy(out, &lb, sizeof lb);
        return sizeof lb;
    }
    return 0;
}

HPEN CreatePen(int style, int width, COLORREF color) {
    GdiObject o{Kind::pen};
    o.pen_style = style;
    o.pen_width = std::max(width, 1);
    o.color = color & 0xFFFFFF;
    o.null = style == PS_NULL;
    return (HPEN)new_gdi(std::move(o));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    GdiObject o{Kind::brush};
    o.color = color & 0xFFFFFF;
    return (HBRUSH)new_gdi(std::move(o));
}

DWORD GetSysColor(int index) { return index >= 0 && index < 31 ? kSysColors[index] : 0; }

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= 31) return nullptr;
    return (HBRUSH)stock_object(kSysBrushBase + index);
}

int SetStretchBltMode(HDC hdc, int mode) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int old = d->dc.stretch_mode;
    d->dc.stretch_mode = mode;
    return old;
}

int GetStretchBltMode(HDC hdc) {
    GdiObject *d = gdi(hdc, Kind::dc);
    return d ? d->dc.stretch_mode : 0;
}

COLORREF SetTextColor(HDC hdc, COLORREF c) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return CLR_INVALID;
    COLORREF old = d->dc.text_color;
    d->dc.text_color = c;
    return old;
}

COLORREF SetBkColor(HDC hdc, COLORREF c) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return CLR_INVALID;
    COLORREF old = d->dc.bk_color;
    d->dc.bk_color = c;
    return old;
}

int SetBkMode(HDC hdc, int mode) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return 0;
    int old = d->dc.bk_mode;
    d->dc.bk_mode = mode;
    return old;
}

// ---- Drawing -------------------------------------------------------------------------

int FillRect(HDC hdc, const RECT *r, HBRUSH hbr) {
    if (!gdi(hdc, Kind::dc) || !r) return 0;
    COLORREF c;
    if (!brush_color(hbr, &c)) return (uintptr_t)hbr >= 1 && gdi(hbr, Kind::brush) ? 1 : 0;
    fill(target_of(hdc), r->left, r->top, r->right, r->bottom, c);
    return 1;
}

BOOL Rectangle(HDC hdc, int l, int t, int r, int b) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return FALSE;
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    Target tg = target_of(hdc);
    GdiObject *pen = gdi(d->dc.pen, Kind::pen);
    bool outline = pen && !pen->null;
    COLORREF fc;
    bool filled = brush_color((HBRUSH)d->dc.brush, &fc);
    if (!outline) {
        if (filled) fill(tg, l, t, r - 1, b - 1, fc);
        return TRUE;
    }
    if (filled) fill(tg, l + 1, t + 1, r - 1, b - 1, fc);
    int w = pen->pen_width;
    int lo = (w - 1) / 2, hi = w / 2;  // an edge at c covers c - lo .. c + hi
    int x0 = l, x1 = r - 1, y0 = t, y1 = b - 1;
    COLORREF pc = pen->color;
    fill(tg, x0 - lo, y0 - lo, x1 + hi + 1, y0 + hi + 1, pc);  // top
    fill(tg, x0 - lo, y1 - lo, x1 + hi + 1, y1 + hi + 1, pc);  // bottom
    fill(tg, x0 - lo, y0 - lo, x0 + hi + 1, y1 + hi + 1, pc);  // left
    fill(tg, x1 - lo, y0 - lo, x1 + hi + 1, y1 + hi + 1, pc);  // right
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return FALSE;
    if (old) *old = d->dc.pos;
    d->dc.pos = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d) return FALSE;
    GdiObject *pen = gdi(d->dc.pen, Kind::pen);
    Target tg = target_of(hdc);
    int x0 = d->dc.pos.x, y0 = d->dc.pos.y;
    d->dc.pos = POINT{x, y};
    if (!pen || pen->null) return TRUE;
    int lo = (pen->pen_width - 1) / 2, hi = pen->pen_width / 2;
    int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {  // the end point is not drawn
        fill(tg, x0 - lo, y0 - lo, x0 + hi + 1, y0 + hi + 1, pen->color);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    if (!gdi(hdc, Kind::dc)) return CLR_INVALID;
    Target t = target_of(hdc);
    if (!t.s || !t.inside(x, y)) return CLR_INVALID;
    return t.get(x, y);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
    if (!gdi(hdc, Kind::dc)) return CLR_INVALID;
    Target t = target_of(hdc);
    if (!t.s || !t.inside(x, y)) return (COLORREF)-1;
    t.put(x, y, c);
    return t.get(x, y);
}

namespace {

bool rop_known(DWORD rop) {
    switch (rop) {
    case SRCCOPY: case SRCPAINT: case SRCAND: case SRCINVERT: case NOTSRCCOPY:
    case PATCOPY: case DSTINVERT: case BLACKNESS: case WHITENESS: return true;
    default: return false;
    }
}

bool rop_uses_source(DWORD rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT || rop == NOTSRCCOPY;
}

COLORREF apply_rop(DWORD rop, COLORREF dst, COLORREF src, COLORREF pat) {
    switch (rop) {
    case SRCCOPY: return src;
    case SRCPAINT: return dst | src;
    case SRCAND: return dst & src;
    case SRCINVERT: return dst ^ src;
    case NOTSRCCOPY: return ~src & 0xFFFFFF;
    case PATCOPY: return pat;
    case DSTINVERT: return ~dst & 0xFFFFFF;
    case BLACKNESS: return 0;
    default: return 0xFFFFFF;
    }
}

// Colour conversion between a monochrome and a colour surface, as a blit does.
COLORREF convert(COLORREF c, const Target &src, const Dc &sdc, const Target &dst, const Dc &ddc) {
    if (!src.s || !dst.s || src.s->mono == dst.s->mono) return c;
    if (dst.s->mono) return c == (sdc.bk_color & 0xFFFFFF) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return c ? ddc.bk_color : ddc.text_color;
}

BOOL blit(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    GdiObject *dd = gdi(dst, Kind::dc);
    if (!dd || !rop_known(rop) || w <= 0 || h <= 0) return FALSE;
    Target dt = target_of(dst);
    GdiObject *sd = nullptr;
    Target st;
    if (rop_uses_source(rop)) {
        sd = gdi(src, Kind::dc);
        if (!sd || sw <= 0 || sh <= 0) return FALSE;
        st = target_of(src);
    }
    COLORREF pat = 0;
    if (rop == PATCOPY && !brush_color((HBRUSH)dd->dc.brush, &pat)) return TRUE;
    if (!dt.s) return TRUE;
    // Only the part of the destination inside its clip is touched.
    int i0 = std::max(0, (int)dt.clip.left - dt.ox - x), i1 = std::min(w, (int)dt.clip.right - dt.ox - x);
    int j0 = std::max(0, (int)dt.clip.top - dt.oy - y), j1 = std::min(h, (int)dt.clip.bottom - dt.oy - y);
    if (i0 >= i1 || j0 >= j1) return TRUE;
    // Read that block of the source first: source and destination may overlap.
    int bw = i1 - i0;
    std::vector<COLORREF> block((size_t)bw * (j1 - j0), CLR_INVALID);
    if (sd) {
        for (int j = j0; j < j1; ++j)
            for (int i = i0; i < i1; ++i) {
                COLORREF c = st.get(sx + (int)((long long)i * sw / w), sy + (int)((long long)j * sh / h));
                if (c != CLR_INVALID) c = convert(c, st, sd->dc, dt, dd->dc);
                block[(size_t)(j - j0) * bw + (i - i0)] = c;
            }
    }
    for (int j = j0; j < j1; ++j)
        for (int i = i0; i < i1; ++i) {
            COLORREF s = block[(size_t)(j - j0) * bw + (i - i0)];
            if (sd && s == CLR_INVALID) continue;  // outside the source
            dt.put(x + i, y + j, apply_rop(rop, dt.get(x + i, y + j), s, pat));
        }
    return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    return blit(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    return blit(dst, x, y, w, h, src, sx, sy, sw, sh, rop);
}

int StretchDIBits(HDC hdc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void *bits,
                  const BITMAPINFO *bmi, UINT usage, DWORD rop) {
    GdiObject *d = gdi(hdc, Kind::dc);
    if (!d || !bits || !dib_supported(bmi) || usage != DIB_RGB_COLORS || !rop_known(rop)) return 0;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return 0;
    const BITMAPINFOHEADER &hd = bmi->bmiHeader;
    int height = hd.biHeight < 0 ? -hd.biHeight : hd.biHeight;
    int top = hd.biHeight < 0 ? sy : height - sy - sh;  // source rectangle's top row, from the top
    Target t = target_of(hdc);
    COLORREF pat = 0;
    brush_color((HBRUSH)d->dc.brush, &pat);
    if (t.s) {
        int i0 = std::max(0, (int)t.clip.left - t.ox - x), i1 = std::min(w, (int)t.clip.right - t.ox - x);
        int j0 = std::max(0, (int)t.clip.top - t.oy - y), j1 = std::min(h, (int)t.clip.bottom - t.oy - y);
        for (int j = j0; j < j1; ++j) {
            int row = top + (int)((long long)j * sh / h);
            if (row < 0 || row >= height) continue;
            for (int i = i0; i < i1; ++i) {
                int col = sx + (int)((long long)i * sw / w);
                if (col < 0 || col >= hd.biWidth) continue;
                COLORREF s = dib_pixel(bmi, (const BYTE *)bits, col, row);
                t.put(x + i, y + j, apply_rop(rop, t.get(x + i, y + j), s, pat));
            }
        }
    }
    return sh;
}

// ---- Test controls ------------------------------------------------------------------

COLORREF winapi_test_bitmap_pixel(HBITMAP bitmap, int x, int y) {
    GdiObject *b = gdi(bitmap, Kind::bitmap);
    if (!b || x < 0 || y < 0 || x >= b->bits.w || y >= b->bits.h) return CLR_INVALID;
    return b->bits.px[(size_t)y * b->bits.w + x];
}

int winapi_test_gdi_objects(void) {
    int n = 0;
    for (auto &[h, o] : state().objects)
        if (!(o.kind == Kind::dc && o.selected == -1)) ++n;
    return n + state().image_lists;
}

int winapi_test_window_dcs(void) { return state().window_dcs; }
