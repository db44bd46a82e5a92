// fill: blackens bands along the four edges of the frame and, with "Center
// video" on, moves the picture between the bands to the middle of the frame.

#include <cstring>

#include "fill.h"

// ---------------------------------------------------------------------------
// Table and tracks

static const char *const track_name[] = {"T ", "B ", "L ", "R "};
static const int track_default[] = {0, 0, 0, 0};
static const char *const check_name[] = {"Center video"};
static const int check_default[] = {0};

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip);

static FILTER_DLL filter = {
    0x00080000,       // flag
    0, 0,             // x, y
    "Fill Black    ",  // name
    4, track_name, track_default,
    nullptr, nullptr,  // track_s, track_e: the host's default range
    1, check_name, check_default,
    func_proc,
    nullptr, nullptr, nullptr, nullptr,  // func_init, func_exit, func_update, func_WndProc
    nullptr, nullptr,                    // track, check
    nullptr, 0,                          // ex_data_ptr, ex_data_size
    "Fill Black version 1.00",
    {},
};

QP_EXTERN_C QP_EXPORT FILTER_DLL *QP_CDECL GetFilterTable(void) { return &filter; }

// ---------------------------------------------------------------------------
// Row routines. They work through file-level statics, so a frame must be
// finished before the next one starts: func_proc is not re-entrant.

static PIXEL_YC *asm_ycp;   // current source row of a copy, or current row of a fill
static PIXEL_YC *asm_ycp2;  // current destination row of a copy
static int asm_c;           // whole 32-bit words per row
static int asm_c2;          // bytes left over per row (0 or 2)

// Copies a w x h block from ycp to ycp2, both with the pitch max_w. Returns 1.
int pixel_yc_copy(PIXEL_YC *ycp2, PIXEL_YC *ycp, int w, int h, int max_w) {
    if (w <= 0 || h <= 0) return 1;
    asm_c = w * int(sizeof(PIXEL_YC)) / 4;
    asm_c2 = w * int(sizeof(PIXEL_YC)) % 4;
    asm_ycp = ycp;
    asm_ycp2 = ycp2;
    for (int y = 0; y < h; ++y) {
        std::memmove(asm_ycp2, asm_ycp, size_t(asm_c) * 4 + size_t(asm_c2));
        asm_ycp += max_w;
        asm_ycp2 += max_w;
    }
    return 1;
}

// Sets a w x h block at ycp, pitch max_w, to black (all members 0). Returns 1.
int pixel_yc_fill(PIXEL_YC *ycp, int w, int h, int max_w) {
    if (w <= 0 || h <= 0) return 1;
    asm_c = w * int(sizeof(PIXEL_YC)) / 4;
    asm_c2 = w * int(sizeof(PIXEL_YC)) % 4;
    asm_ycp = ycp;
    for (int y = 0; y < h; ++y) {
        std::memset(asm_ycp, 0, size_t(asm_c) * 4 + size_t(asm_c2));
        asm_ycp += max_w;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Kernel

static int clamp_band(int v, int limit) { return v < 0 ? 0 : v > limit ? limit : v; }

// The kept block never shrinks below 64 x 64, or below the whole frame when
// the frame itself is smaller than that.
static int min_block(int kept, int size) {
    const int floor = size < 64 ? size : 64;
    return kept > floor ? kept : floor;
}

void fill_kernel(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const fill_params *p) {
    const int left = clamp_band(p->left, w / 2);
    const int top = clamp_band(p->top, h / 2);
    const int right = clamp_band(p->right, w / 2);
    const int bottom = clamp_band(p->bottom, h / 2);
    const int bw = min_block(w - right - left, w);
    const int bh = min_block(h - bottom - top, h);

    if (p->center) {
        const int ww = (w - bw) / 2;
        const int hh = (h - bh) / 2;
        // The source block may reach past the right or bottom edge of the
        // picture when the minimum took effect; only its part inside the
        // picture is copied and the rest of the block is black.
        const int cw = bw < w - left ? bw : w - left;
        const int ch = bh < h - top ? bh : h - top;
        PIXEL_YC *block = dst + ww + hh * pitch;
        pixel_yc_copy(block, src + left + top * pitch, cw, ch, pitch);
        pixel_yc_fill(block + cw, bw - cw, bh, pitch);
        pixel_yc_fill(block + ch * pitch, cw, bh - ch, pitch);
        if (ww != 0) pixel_yc_fill(dst, ww, h, pitch);
        if (hh != 0) pixel_yc_fill(dst, w, hh, pitch);
        const int rw = w - bw - ww;
        if (rw != 0) pixel_yc_fill(dst + (w - rw), rw, h, pitch);
        const int rh = h - bh - hh;
        if (rh != 0) pixel_yc_fill(dst + (h - rh) * pitch, w, rh, pitch);
    } else {
        pixel_yc_fill(dst, left, h, pitch);
        pixel_yc_fill(dst, w, top, pitch);
        const int rw = w - bw - left;
        if (rw != 0) pixel_yc_fill(dst + (w - rw), rw, h, pitch);
        const int rh = h - bh - top;
        if (rh != 0) pixel_yc_fill(dst + (h - rh) * pitch, w, rh, pitch);
    }
}

// ---------------------------------------------------------------------------
// Per-frame callback

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip) {
    const fill_params p = {fp->track[0], fp->track[1], fp->track[2], fp->track[3], fp->check[0] != 0};
    PIXEL_YC *const ycp_s = fpip->ycp_edit;
    PIXEL_YC *const ycp_d = fpip->ycp_temp;
    if (p.center) {
        fill_kernel(ycp_d, ycp_s, fpip->max_w, fpip->w, fpip->h, &p);
        fpip->ycp_edit = ycp_d;
        fpip->ycp_temp = ycp_s;
    } else {
        fill_kernel(ycp_s, ycp_s, fpip->max_w, fpip->w, fpip->h, &p);
    }
    fpip->flag |= 1;
    return 1;
}
