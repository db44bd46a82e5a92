// spindle: cuts a window out of the frame, optionally turned by a whole number
// of degrees, and stretches or shrinks it bilinearly to an output size of its
// own. It can also flip the frame, draw the window's outline into the picture
// and hand back the source unscaled for checking.
//
// Positions are fixed point with five fractional bits (1/32 pixel), weights
// multiply to at most 1024, and the trigonometry comes from a quarter-wave
// sine table: integers only, the same bytes on every build.

#include "spindle.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define SPINDLE_X86 1
#define SPINDLE_SSE2 __attribute__((target("sse2")))
#define SPINDLE_AVX2 __attribute__((target("avx2")))
#define SPINDLE_AVX512 __attribute__((target("avx2,avx512f,avx512bw")))
#else
#define SPINDLE_X86 0
#endif

// ---------------------------------------------------------------------------
// Table and tracks

enum { kWidth, kHeight, kOffX, kOffY, kHori, kVert, kAngle };
enum { kFlipVer, kFlipHor, kRotate, kBorder, kAspect, kDebug, kFit };

static const char *const track_name[] = {"Width   ", "Height  ", "X off", "Y off", "Hori  ", "Vert  ", "Rotate"};
static const int track_default[] = {352, 240, 0, 0, 352, 240, 0};
static const int track_s[] = {1, 1, -640, -480, 1, 1, 0};
static const int track_e[] = {640, 480, 640, 480, 640, 480, 360};
static const char *const check_name[] = {
    "Flip Ver", "Flip Hor", "Rotate  ", "Border    ", "Maintain Aspect ", "DEBUG",
    "Fit to frame                            ",  // padded with blanks to 40 characters
};
static const int check_default[] = {0, 0, 0, 0, 1, 0, 0};

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip);

static FILTER_DLL filter = {
    0x00040000,           // flag
    0, 0,                 // x, y
    "Rotate/Zoom     ",   // name
    7, track_name, track_default, track_s, track_e,
    7, check_name, check_default,
    func_proc,
    nullptr, nullptr, nullptr, nullptr,  // func_init, func_exit, func_update, func_WndProc
    nullptr, nullptr,                    // track, check
    nullptr, 0,                          // ex_data_ptr, ex_data_size
    "Rotate/Zoom version 1.00",
    {},
};

QP_EXTERN_C QP_EXPORT FILTER_DLL *QP_CDECL GetFilterTable(void) { return &filter; }

// ---------------------------------------------------------------------------
// Working parameters

const int spindle_sine[91] = {
    0,   4,   9,   13,  18,  22,  27,  31,  36,  40,  44,  49,  53,  58,  62,  66,  71,  75,  79,
    83,  88,  92,  96,  100, 104, 108, 112, 116, 120, 124, 128, 132, 136, 139, 143, 147, 150, 154,
    158, 161, 165, 168, 171, 175, 178, 181, 184, 187, 190, 193, 196, 199, 202, 204, 207, 210, 212,
    215, 217, 219, 222, 224, 226, 228, 230, 232, 234, 236, 237, 239, 241, 242, 243, 245, 246, 247,
    248, 249, 250, 251, 252, 253, 254, 254, 255, 255, 255, 256, 256, 256, 256,
};

void spindle_sin_cos(int a, int *sin_a, int *cos_a) {
    const int *t = spindle_sine;
    a = std::clamp(a, 0, 360);
    if (a <= 90) {
        *sin_a = t[a], *cos_a = t[90 - a];
    } else if (a <= 180) {
        *sin_a = t[180 - a], *cos_a = -t[a - 90];
    } else if (a <= 270) {
        *sin_a = -t[a - 180], *cos_a = -t[270 - a];
    } else {
        *sin_a = -t[360 - a], *cos_a = t[a - 270];
    }
}

spindle_params spindle_derive(const int *track, const int *check, int w, int h, int max_w, int max_h) {
    int t[7];
    for (int i = 0; i < 7; ++i) t[i] = std::clamp(track[i], track_s[i], track_e[i]);

    spindle_params p{};
    p.out_w = check[kFit] ? w : t[kWidth];
    p.out_h = check[kFit] ? h : t[kHeight];
    // An output larger than the frames is clipped: the mapping still scales to
    // out_w x out_h, and only the part that the allocation holds is written.
    p.cols = std::clamp(p.out_w, 0, std::max(max_w, 0));
    p.rows = std::clamp(p.out_h, 0, std::max(max_h, 0));
    if (check[kAspect]) {
        const int s = t[kHori] + t[kVert];
        p.win_w = w + h > 0 ? s * w / (w + h) : 0;
        p.win_h = w + h > 0 ? s * h / (w + h) : 0;
    } else {
        p.win_w = t[kHori];
        p.win_h = t[kVert];
    }
    p.off_x = t[kOffX];
    p.off_y = t[kOffY];
    p.rotate = check[kRotate] != 0;
    if (p.rotate) {
        spindle_sin_cos(t[kAngle], &p.sin_a, &p.cos_a);
        p.cx = w / 2;
        p.cy = h / 2;
    }
    p.flip_v = check[kFlipVer] != 0;
    p.flip_h = check[kFlipHor] != 0;
    p.border = check[kBorder] != 0;
    p.debug = check[kDebug] != 0;
    return p;
}

// ---------------------------------------------------------------------------
// Flip pass and outline

void spindle_flip(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, bool flip_v, bool flip_h) {
    for (int y = 0; y < h; ++y) {
        const PIXEL_YC *s = src + ptrdiff_t(flip_v ? h - 1 - y : y) * pitch;
        PIXEL_YC *d = dst + ptrdiff_t(y) * pitch;
        if (flip_h) {
            for (int x = 0; x < w; ++x) d[x] = s[w - 1 - x];
        } else {
            std::memcpy(d, s, size_t(w) * sizeof(PIXEL_YC));
        }
    }
}

namespace {

// Inverts one pixel of the picture; points outside it are skipped. Twice
// restores the pixel, also for luma outside 0 .. 4095 (the arithmetic wraps).
struct Inverter {
    PIXEL_YC *frame;
    int pitch, w, h;
    void operator()(int x, int y) const {
        if (x < 0 || x >= w || y < 0 || y >= h) return;
        PIXEL_YC &p = frame[ptrdiff_t(y) * pitch + x];
        const short cb = p.cb;
        p.y = short(4095 - p.y);
        p.cb = p.cr;
        p.cr = cb;
    }
};

}  // namespace

void spindle_outline(PIXEL_YC *frame, int pitch, int w, int h, const spindle_params *p) {
    const Inverter invert{frame, pitch, w, h};
    const int x0 = p->off_x, y0 = p->off_y, ww = p->win_w, wh = p->win_h;
    if (!p->rotate) {
        // Three nested one-pixel rectangles; the rows leave out the columns,
        // so each outline pixel is inverted once.
        for (int d = 0; d < 3; ++d) {
            if (2 * d < wh)
                for (int y = y0 + d; y <= y0 + wh - 1 - d; ++y) invert(x0 + d, y), invert(x0 + ww - 1 - d, y);
            if (2 * (d + 1) < ww)
                for (int x = x0 + d + 1; x <= x0 + ww - 2 - d; ++x) invert(x, y0 + d), invert(x, y0 + wh - 1 - d);
        }
        return;
    }
    // An upright cross on the centre, three pixels thick, 41 long.
    for (int i = 0; i < 3; ++i) {
        for (int e = -20; e <= 20; ++e) invert(x0 - 1 + i, y0 + e);
        for (int e = -20; e <= 20; ++e) invert(x0 + e, y0 - 1 + i);
    }
    // Two turned outlines, one pixel apart. Window point (u, v), relative to
    // the centre, lies at P(u, v).
    const int sn = p->sin_a, cs = p->cos_a;
    const auto at = [&](int u, int v) { invert(x0 + (u * cs - v * sn) / 256, y0 + (u * sn + v * cs) / 256); };
    const int t = ww / 2, o = wh / 2;
    for (int j = 0; j <= 2; j += 2) {
        if (2 * j <= wh)
            for (int s = 0; s <= wh - 2 * j; ++s) at(j - t, j + s - o), at(t - j, j + s - o);
        if (2 * j <= ww)
            for (int s = 0; s <= ww - 2 * j; ++s) at(j + s - t, j - o), at(j + s - t, o - j);
    }
}

// ---------------------------------------------------------------------------
// Resampling: the reference kernel

namespace {

// Reads outside the w x h picture are black.
inline void read_px(const PIXEL_YC *src, int pitch, int w, int h, int x, int y, int v[3]) {
    if (x >= 0 && x < w && y >= 0 && y < h) {
        const PIXEL_YC &p = src[ptrdiff_t(y) * pitch + x];
        v[0] = p.y, v[1] = p.cb, v[2] = p.cr;
    } else {
        v[0] = v[1] = v[2] = 0;
    }
}

// Bilinear sample at (sx + fx / 32, sy + fy / 32), with every read checked.
inline void blend_checked(PIXEL_YC *d, const PIXEL_YC *src, int pitch, int w, int h, int sx, int sy, int fx, int fy) {
    int p00[3], p10[3], p01[3], p11[3];
    read_px(src, pitch, w, h, sx, sy, p00);
    read_px(src, pitch, w, h, sx + 1, sy, p10);
    read_px(src, pitch, w, h, sx, sy + 1, p01);
    read_px(src, pitch, w, h, sx + 1, sy + 1, p11);
    int v[3];
    for (int k = 0; k < 3; ++k)
        v[k] = (fy * (p11[k] * fx + p01[k] * (32 - fx)) + (32 - fy) * (p10[k] * fx + p00[k] * (32 - fx))) / 1024;
    *d = {short(v[0]), short(v[1]), short(v[2])};
}

inline int t8(int v) { return v / 8; }

}  // namespace

void spindle_resample_ref(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p) {
    for (int r = 0; r < p->rows; ++r) {
        for (int c = 0; c < p->cols; ++c) {
            int sx, sy, fx, fy;
            if (!p->rotate) {
                const int qx = c * p->win_w * 32 / p->out_w;
                const int qy = r * p->win_h * 32 / p->out_h;
                sx = p->off_x + qx / 32, fx = qx % 32;
                sy = p->off_y + qy / 32, fy = qy % 32;
            } else {
                const int dx = c - p->cx, dy = r - p->cy;
                const int u = (t8(dx * p->cos_a) - t8(dy * p->sin_a)) * p->win_w / p->out_w;
                const int v = (t8(dx * p->sin_a) + t8(dy * p->cos_a)) * p->win_h / p->out_h;
                sx = p->off_x + (u >> 5), fx = u & 31;  // floor and the low five bits
                sy = p->off_y + (v >> 5), fy = v & 31;
            }
            blend_checked(dst + ptrdiff_t(r) * pitch + c, src, pitch, w, h, sx, sy, fx, fy);
        }
    }
}

// ---------------------------------------------------------------------------
// Resampling: the fast kernel
//
// Same arithmetic, reorganised. The straight mapping takes its column
// positions from a table made once per strip of columns, and goes in two
// passes: each source row is blended horizontally once, two rows at a time
// where the kernel can share its loads between them, and each output row is
// blended vertically from two such rows (rows need one division each).
// The rotated mapping splits both terms of each numerator by the output size
// ahead of time, columns once per frame and rows once per row, so that a
// pixel's quotient is a subtraction and a carry instead of a division. Both
// positions move monotonically along a row, so the pixels whose four taps lie
// inside the picture form one run per row, found by bisection: that run is
// blended without checks and only the pixels on either side are checked.

namespace {

constexpr int kChunk = 1024;  // columns per table of the rotated mapping; wider outputs go in strips

// a = q * d + r with 0 <= r < d, for d > 0.
struct Split {
    int q, r;
};
inline Split split(int a, int d) {
    int q = a / d, r = a % d;
    if (r < 0) --q, r += d;
    return {q, r};
}

// (a - b) / d truncated toward zero, from the splits of a and b by d.
inline int quot(int aq, int ar, Split b, int d) {
    int q = aq - b.q, r = ar - b.r;
    const int borrow = r >> 31;  // -1 when r < 0
    q += borrow;
    r += borrow & d;
    return q + (q < 0 && r != 0);
}

// First i in [lo, hi) for which pred holds, pred being false and then true.
template <class Pred>
int first_true(int lo, int hi, Pred pred) {
    while (lo < hi) {
        const int m = lo + (hi - lo) / 2;
        if (pred(m)) {
            hi = m;
        } else {
            lo = m + 1;
        }
    }
    return lo;
}

// The run [a, b) of i in [0, n) with lo <= f(i) <= hi, for f rising (up) or
// falling monotonically.
template <class F>
void span(int n, bool up, int lo, int hi, F f, int *a, int *b) {
    if (up) {
        *a = first_true(0, n, [&](int i) { return f(i) >= lo; });
        *b = first_true(*a, n, [&](int i) { return f(i) > hi; });
    } else {
        *a = first_true(0, n, [&](int i) { return f(i) <= hi; });
        *b = first_true(*a, n, [&](int i) { return f(i) < lo; });
    }
}

// Column terms of the rotated mapping for one strip: t8(dx * cos) * win_w
// split by out_w (uq, ur) and t8(dx * sin) * win_h split by out_h (vq, vr).
struct RotCols {
    int uq[kChunk], ur[kChunk], vq[kChunk], vr[kChunk];
};
// Row terms: t8(dy * sin) * win_w split by out_w, -t8(dy * cos) * win_h split by out_h.
struct RotRow {
    Split u, v;
    int out_w, out_h, off_x, off_y;
};

inline void rot_pos(const RotCols &c, int i, const RotRow &r, int *sx, int *sy, int *fx, int *fy) {
    const int u = quot(c.uq[i], c.ur[i], r.u, r.out_w), v = quot(c.vq[i], c.vr[i], r.v, r.out_h);
    *sx = r.off_x + (u >> 5), *fx = u & 31;
    *sy = r.off_y + (v >> 5), *fy = v & 31;
}

// A run of interior pixels of the rotated mapping with their positions
// worked out: pixel i blends the 2 x 2 taps whose top-left is base + at[i],
// with the fractions k = wi[i] & 1023 as fx = k % 32, fy = k / 32. kNarrow in
// wi[i] marks a top-left tap in the picture's last-but-one column: nothing may
// be read past the pixel to its right.
constexpr unsigned kNarrow = 1024;
typedef void (*run_fn)(PIXEL_YC *d, const PIXEL_YC *base, int pitch, const int32_t *at, const uint16_t *wi, int n);
// Positions of a run of the rotated mapping, columns [a, a + n) of the strip:
// at[i] = sy * pitch + sx, wi[i] = fy * 32 + fx, plus kNarrow where sx > wlim.
typedef void (*rot_positions_fn)(const RotCols &c, int a, int n, const RotRow &r, int pitch, int wlim, int32_t *at,
                                 uint16_t *wi);

// The straight mapping goes in two passes. A horizontal pass blends the two taps of each column along one source row,
// h[3i + k] = p[sx]·(32 − fx) + p[sx + 1]·fx for the members k = y, cb, cr,
// and is done once per source row; a vertical pass makes one output row from
// the passes of rows sy and sy + 1, (fy·h1 + (32 − fy)·h0) / 1024 truncated
// toward zero: the same sum as the one-pass blend, term for term.
// The horizontal pass takes the columns whose taps sx .. sx + 2 lie in the
// picture, sx given in bytes, with the weights wcol[i] = {32 − fx, fx,
// 32 − fx, fx, 32 − fx, fx, 0, 0}; it may write sixteen bytes past its last
// value.
typedef void (*hrow_fn)(int32_t *h, const PIXEL_YC *row, const int32_t *sx_bytes, const int16_t (*wcol)[8], int n);
typedef void (*vrow_fn)(PIXEL_YC *d, const int32_t *h0, const int32_t *h1, int fy, int n);

// Kernels with a word permute across a whole register may take the
// horizontal pass kGroup columns at a time from one 64-byte load of the row:
// the 2·3·kGroup taps of a group lie in the 32 samples from its first
// column's tap on. Group j reads row + at[j] (bytes), places the taps in
// pairs as idx says, and weighs them as wt says; its 3·kGroup values go to
// h + 3·kGroup·j, and the store spills one value past them. With h2 not
// null the row below, row + below (bytes), goes to h2 in the same sweep.
constexpr int kGroup = 5;
struct alignas(64) HGroup {
    int16_t idx[32];  // sample of the load for each lane: {p[sx].k, p[sx + 1].k} per column and member
    int16_t wt[32];   // {32 − fx, fx} per pair; the last pair weighs nothing
};
typedef void (*hrow2_fn)(int32_t *h, int32_t *h2, const PIXEL_YC *row, ptrdiff_t below, const int32_t *sx_bytes,
                         const int16_t (*wcol)[8], int n);
typedef void (*hgroups_fn)(int32_t *h, int32_t *h2, const PIXEL_YC *row, ptrdiff_t below, const int32_t *at,
                           const HGroup *g, int groups);

struct Impl {
    run_fn run;
    rot_positions_fn rot_positions;
    hrow_fn hrow;
    vrow_fn vrow;
    hgroups_fn hgroups;  // null where the kernel has no such permute
    hrow2_fn hrow2;      // two rows of hrow at once; may be null
};

// Plain C++.

inline void blend_in(PIXEL_YC *d, const PIXEL_YC *p0, int pitch, int fx, int fy) {
    const PIXEL_YC *p1 = p0 + pitch;
    const int gx = 32 - fx, gy = 32 - fy;
    d->y = short((fy * (p1[1].y * fx + p1[0].y * gx) + gy * (p0[1].y * fx + p0[0].y * gx)) / 1024);
    d->cb = short((fy * (p1[1].cb * fx + p1[0].cb * gx) + gy * (p0[1].cb * fx + p0[0].cb * gx)) / 1024);
    d->cr = short((fy * (p1[1].cr * fx + p1[0].cr * gx) + gy * (p0[1].cr * fx + p0[0].cr * gx)) / 1024);
}

void run_c(PIXEL_YC *d, const PIXEL_YC *base, int pitch, const int32_t *at, const uint16_t *wi, int n) {
    for (int i = 0; i < n; ++i) {
        const int k = wi[i] & 1023;
        blend_in(d + i, base + at[i], pitch, k & 31, k >> 5);
    }
}

void rot_positions_c(const RotCols &c, int a, int n, const RotRow &r, int pitch, int wlim, int32_t *at, uint16_t *wi) {
    for (int i = 0; i < n; ++i) {
        int sx, sy, fx, fy;
        rot_pos(c, a + i, r, &sx, &sy, &fx, &fy);
        at[i] = sy * pitch + sx;
        wi[i] = uint16_t(fy * 32 + fx + (sx > wlim ? kNarrow : 0));
    }
}

// One column of the horizontal pass, with the reads checked.
inline void hcol_checked(int32_t *h, const PIXEL_YC *row, int w, int sx, int fx) {
    const PIXEL_YC zero = {0, 0, 0};
    const PIXEL_YC &a = sx >= 0 && sx < w ? row[sx] : zero;
    const PIXEL_YC &b = sx + 1 >= 0 && sx + 1 < w ? row[sx + 1] : zero;
    h[0] = a.y * (32 - fx) + b.y * fx;
    h[1] = a.cb * (32 - fx) + b.cb * fx;
    h[2] = a.cr * (32 - fx) + b.cr * fx;
}

void hrow_c(int32_t *h, const PIXEL_YC *row, const int32_t *sx_bytes, const int16_t (*wcol)[8], int n) {
    for (int i = 0; i < n; ++i) {
        const auto *t = reinterpret_cast<const PIXEL_YC *>(reinterpret_cast<const char *>(row) + sx_bytes[i]);
        const int g = wcol[i][0], f = wcol[i][1];
        h[3 * i] = t[0].y * g + t[1].y * f;
        h[3 * i + 1] = t[0].cb * g + t[1].cb * f;
        h[3 * i + 2] = t[0].cr * g + t[1].cr * f;
    }
}

void vrow_c(PIXEL_YC *d, const int32_t *h0, const int32_t *h1, int fy, int n) {
    short *out = &d->y;
    for (int j = 0; j < 3 * n; ++j) out[j] = short((fy * h1[j] + (32 - fy) * h0[j]) / 1024);
}

const Impl kPlain = {run_c, rot_positions_c, hrow_c, vrow_c, nullptr, nullptr};

#if SPINDLE_X86
// SSE2. One pixel's 2 x 2 taps are one load per source row; interleaving
// the two rows pairs every sample with the one below it, and two
// multiply-adds against the tap weights give the three weighted sums.

// Tap weights for each fraction pair, index fy * 32 + fx, for the rows of
// taps interleaved as {y, y', cb, cb', cr, cr'} (primes one row down):
// a = {w00 w01 w00 w01 w00 w01 0 0} for the left pixel, b = {w10 w11 ...} for
// the right one, where wXY weighs the tap X pixels right and Y pixels down.
struct alignas(32) TapWeights {
    int16_t a[8], b[8];
};

constexpr std::array<TapWeights, 1024> make_tap_weights() {
    std::array<TapWeights, 1024> t{};
    for (int fy = 0; fy < 32; ++fy)
        for (int fx = 0; fx < 32; ++fx) {
            const auto w00 = int16_t((32 - fx) * (32 - fy)), w01 = int16_t((32 - fx) * fy);
            const auto w10 = int16_t(fx * (32 - fy)), w11 = int16_t(fx * fy);
            t[size_t(fy * 32 + fx)] = {{w00, w01, w00, w01, w00, w01, 0, 0}, {w10, w11, w10, w11, w10, w11, 0, 0}};
        }
    return t;
}

constexpr std::array<TapWeights, 1024> kTapWeights = make_tap_weights();

// Pixels p and p + 1 in the six lower 16-bit lanes. The wide load also takes
// y and cb of p + 2, which carry no weight.
SPINDLE_SSE2 inline __m128i load_taps_wide(const PIXEL_YC *p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
SPINDLE_SSE2 inline __m128i load_taps_narrow(const PIXEL_YC *p) {
    int32_t tail;  // cb and cr of p + 1; its y is in the first load
    std::memcpy(&tail, reinterpret_cast<const char *>(p) + 8, sizeof tail);
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_cvtsi32_si128(tail));
}

// The blended pixel in the three lower 16-bit lanes; the fourth is junk.
SPINDLE_SSE2 inline __m128i blend_sse2(__m128i a, __m128i b, int widx) {
    const TapWeights &wt = kTapWeights[size_t(widx)];
    const __m128i lo = _mm_unpacklo_epi16(a, b), hi = _mm_unpackhi_epi16(a, b);
    const __m128i right = _mm_or_si128(_mm_srli_si128(lo, 12), _mm_slli_si128(hi, 4));
    __m128i s = _mm_add_epi32(_mm_madd_epi16(lo, _mm_load_si128(reinterpret_cast<const __m128i *>(wt.a))),
                              _mm_madd_epi16(right, _mm_load_si128(reinterpret_cast<const __m128i *>(wt.b))));
    // divide by 1024, truncating toward zero
    s = _mm_add_epi32(s, _mm_and_si128(_mm_srai_epi32(s, 31), _mm_set1_epi32(1023)));
    s = _mm_srai_epi32(s, 10);
    return _mm_packs_epi32(s, s);
}

SPINDLE_SSE2 inline __m128i blend_at_sse2(const PIXEL_YC *p, int pitch, unsigned k) {
    if (k & kNarrow) return blend_sse2(load_taps_narrow(p), load_taps_narrow(p + pitch), int(k & 1023));
    return blend_sse2(load_taps_wide(p), load_taps_wide(p + pitch), int(k));
}

SPINDLE_SSE2 void run_sse2(PIXEL_YC *d, const PIXEL_YC *base, int pitch, const int32_t *at, const uint16_t *wi,
                           int n) {
    if (n <= 0) return;
    // Each store spills two junk bytes onto the next pixel, which the next
    // store covers; the last pixel is stored exactly.
    for (int i = 0; i < n - 1; ++i)
        _mm_storel_epi64(reinterpret_cast<__m128i *>(d + i), blend_at_sse2(base + at[i], pitch, wi[i]));
    const __m128i v = blend_at_sse2(base + at[n - 1], pitch, wi[n - 1]);
    const int32_t ycb = _mm_cvtsi128_si32(v);
    std::memcpy(d + n - 1, &ycb, 4);
    d[n - 1].cr = short(_mm_extract_epi16(v, 2));
}

// (a - b) / d truncated toward zero in four lanes, as quot().
SPINDLE_SSE2 inline __m128i quot_sse2(__m128i aq, __m128i ar, __m128i bq, __m128i br, __m128i d) {
    __m128i q = _mm_sub_epi32(aq, bq), r = _mm_sub_epi32(ar, br);
    const __m128i borrow = _mm_srai_epi32(r, 31);
    q = _mm_add_epi32(q, borrow);
    r = _mm_add_epi32(r, _mm_and_si128(borrow, d));
    const __m128i zero = _mm_setzero_si128();
    const __m128i up = _mm_andnot_si128(_mm_cmpeq_epi32(r, zero), _mm_cmpgt_epi32(zero, q));
    return _mm_sub_epi32(q, up);
}

// a * b for a >= 0 and a * b < 2^32, four lanes.
SPINDLE_SSE2 inline __m128i mul_u32(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b), odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), b);
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

SPINDLE_SSE2 inline __m128i load4(const int *v) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(v)); }

SPINDLE_SSE2 void rot_positions_sse2(const RotCols &c, int a, int n, const RotRow &r, int pitch, int wlim,
                                     int32_t *at, uint16_t *wi) {
    const __m128i uq = _mm_set1_epi32(r.u.q), ur = _mm_set1_epi32(r.u.r), vq = _mm_set1_epi32(r.v.q),
                  vr = _mm_set1_epi32(r.v.r), dw = _mm_set1_epi32(r.out_w), dh = _mm_set1_epi32(r.out_h),
                  ox = _mm_set1_epi32(r.off_x), oy = _mm_set1_epi32(r.off_y), p = _mm_set1_epi32(pitch),
                  lim = _mm_set1_epi32(wlim), f31 = _mm_set1_epi32(31), narrow = _mm_set1_epi32(kNarrow);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i u = quot_sse2(load4(c.uq + a + i), load4(c.ur + a + i), uq, ur, dw);
        const __m128i v = quot_sse2(load4(c.vq + a + i), load4(c.vr + a + i), vq, vr, dh);
        const __m128i sx = _mm_add_epi32(ox, _mm_srai_epi32(u, 5)), sy = _mm_add_epi32(oy, _mm_srai_epi32(v, 5));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + i), _mm_add_epi32(mul_u32(sy, p), sx));
        __m128i k = _mm_or_si128(_mm_slli_epi32(_mm_and_si128(v, f31), 5), _mm_and_si128(u, f31));
        k = _mm_or_si128(k, _mm_and_si128(_mm_cmpgt_epi32(sx, lim), narrow));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(wi + i), _mm_packs_epi32(k, k));
    }
    rot_positions_c(c, a + i, n - i, r, pitch, wlim, at + i, wi + i);
}

// The horizontal pass: the wide load and the same load moved on by one pixel,
// interleaved, pair each sample with the one to its right.
SPINDLE_SSE2 void hrow_sse2(int32_t *h, const PIXEL_YC *row, const int32_t *sx_bytes, const int16_t (*wcol)[8],
                            int n) {
    const char *base = reinterpret_cast<const char *>(row);
    for (int i = 0; i < n; ++i) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(base + sx_bytes[i]));
        const __m128i pairs = _mm_unpacklo_epi16(a, _mm_srli_si128(a, 6));  // {y, y', cb, cb', cr, cr', ..}
        _mm_storeu_si128(reinterpret_cast<__m128i *>(h + 3 * i),
                         _mm_madd_epi16(pairs, _mm_loadu_si128(reinterpret_cast<const __m128i *>(wcol + i))));
    }
}

// fy·v for |v| < 2^22 in four lanes, with one multiply-add: v = 1024·hi + lo
// with 0 <= lo < 1024, and fy·v = fy·lo + (1024·fy)·hi, every factor 16 bits.
SPINDLE_SSE2 inline __m128i mul_fy_sse2(__m128i v, __m128i fy_pairs) {
    const __m128i lo_hi = _mm_or_si128(_mm_and_si128(v, _mm_set1_epi32(1023)), _mm_slli_epi32(_mm_srai_epi32(v, 10), 16));
    return _mm_madd_epi16(lo_hi, fy_pairs);
}

SPINDLE_SSE2 void vrow_sse2(PIXEL_YC *d, const int32_t *h0, const int32_t *h1, int fy, int n) {
    const __m128i fy_pairs = _mm_set1_epi32(fy | (fy << 26));  // {fy, 1024·fy} in every lane
    const __m128i bias = _mm_set1_epi32(1023);
    short *out = &d->y;
    const int m = 3 * n;
    int j = 0;
    for (; j + 8 <= m; j += 8) {
        __m128i s[2];
        for (int k = 0; k < 2; ++k) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h0 + j + 4 * k));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h1 + j + 4 * k));
            // 32·h0 + fy·(h1 − h0), then / 1024 truncated toward zero
            __m128i v = _mm_add_epi32(_mm_slli_epi32(a, 5), mul_fy_sse2(_mm_sub_epi32(b, a), fy_pairs));
            v = _mm_add_epi32(v, _mm_and_si128(_mm_srai_epi32(v, 31), bias));
            s[k] = _mm_srai_epi32(v, 10);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + j), _mm_packs_epi32(s[0], s[1]));
    }
    for (; j < m; ++j) out[j] = short((fy * h1[j] + (32 - fy) * h0[j]) / 1024);
}

const Impl kSse2 = {run_sse2, rot_positions_sse2, hrow_sse2, vrow_sse2, nullptr, nullptr};

// AVX2: the same blend for two pixels at once, one in each 128-bit half, and
// the positions eight at a time.

SPINDLE_AVX2 inline __m256i load_halves(const void *lo, const void *hi) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i *>(lo))),
                                   _mm_loadu_si128(static_cast<const __m128i *>(hi)), 1);
}

SPINDLE_AVX2 void run_avx2(PIXEL_YC *d, const PIXEL_YC *base, int pitch, const int32_t *at, const uint16_t *wi,
                           int n) {
    if (n <= 0) return;
    int i = 0;
    // Pairs while a later store still covers the junk of the second pixel.
    for (; i + 2 < n; i += 2) {
        const unsigned k0 = wi[i], k1 = wi[i + 1];
        const PIXEL_YC *p0 = base + at[i], *p1 = base + at[i + 1];
        if ((k0 | k1) & kNarrow) {
            _mm_storel_epi64(reinterpret_cast<__m128i *>(d + i), blend_at_sse2(p0, pitch, k0));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(d + i + 1), blend_at_sse2(p1, pitch, k1));
            continue;
        }
        const __m256i a = load_halves(p0, p1), b = load_halves(p0 + pitch, p1 + pitch);
        const __m256i w0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(&kTapWeights[k0]));  // {a | b}
        const __m256i w1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(&kTapWeights[k1]));
        const __m256i wa = _mm256_permute2x128_si256(w0, w1, 0x20), wb = _mm256_permute2x128_si256(w0, w1, 0x31);
        const __m256i lo = _mm256_unpacklo_epi16(a, b), hi = _mm256_unpackhi_epi16(a, b);
        __m256i s = _mm256_add_epi32(_mm256_madd_epi16(lo, wa), _mm256_madd_epi16(_mm256_alignr_epi8(hi, lo, 12), wb));
        // divide by 1024, truncating toward zero
        s = _mm256_sign_epi32(_mm256_srli_epi32(_mm256_abs_epi32(s), 10), s);
        s = _mm256_packs_epi32(s, s);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(d + i), _mm256_castsi256_si128(s));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(d + i + 1), _mm256_extracti128_si256(s, 1));
    }
    _mm256_zeroupper();  // the SSE2 code below must not run with the upper halves in use
    run_sse2(d + i, base, pitch, at + i, wi + i, n - i);
}

SPINDLE_AVX2 inline __m256i quot_avx2(__m256i aq, __m256i ar, __m256i bq, __m256i br, __m256i d) {
    __m256i q = _mm256_sub_epi32(aq, bq), r = _mm256_sub_epi32(ar, br);
    const __m256i borrow = _mm256_srai_epi32(r, 31);
    q = _mm256_add_epi32(q, borrow);
    r = _mm256_add_epi32(r, _mm256_and_si256(borrow, d));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i up = _mm256_andnot_si256(_mm256_cmpeq_epi32(r, zero), _mm256_cmpgt_epi32(zero, q));
    return _mm256_sub_epi32(q, up);
}

SPINDLE_AVX2 inline __m256i load8(const int *v) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(v)); }

SPINDLE_AVX2 void rot_positions_avx2(const RotCols &c, int a, int n, const RotRow &r, int pitch, int wlim,
                                     int32_t *at, uint16_t *wi) {
    const __m256i uq = _mm256_set1_epi32(r.u.q), ur = _mm256_set1_epi32(r.u.r), vq = _mm256_set1_epi32(r.v.q),
                  vr = _mm256_set1_epi32(r.v.r), dw = _mm256_set1_epi32(r.out_w), dh = _mm256_set1_epi32(r.out_h),
                  ox = _mm256_set1_epi32(r.off_x), oy = _mm256_set1_epi32(r.off_y), p = _mm256_set1_epi32(pitch),
                  lim = _mm256_set1_epi32(wlim), f31 = _mm256_set1_epi32(31), narrow = _mm256_set1_epi32(kNarrow);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i u = quot_avx2(load8(c.uq + a + i), load8(c.ur + a + i), uq, ur, dw);
        const __m256i v = quot_avx2(load8(c.vq + a + i), load8(c.vr + a + i), vq, vr, dh);
        const __m256i sx = _mm256_add_epi32(ox, _mm256_srai_epi32(u, 5));
        const __m256i sy = _mm256_add_epi32(oy, _mm256_srai_epi32(v, 5));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(at + i), _mm256_add_epi32(_mm256_mullo_epi32(sy, p), sx));
        __m256i k = _mm256_or_si256(_mm256_slli_epi32(_mm256_and_si256(v, f31), 5), _mm256_and_si256(u, f31));
        k = _mm256_or_si256(k, _mm256_and_si256(_mm256_cmpgt_epi32(sx, lim), narrow));
        k = _mm256_packs_epi32(k, k);  // words 0-3 and 8-11
        _mm_storeu_si128(reinterpret_cast<__m128i *>(wi + i),
                         _mm256_castsi256_si128(_mm256_permute4x64_epi64(k, _MM_SHUFFLE(3, 1, 2, 0))));
    }
    _mm256_zeroupper();
    rot_positions_sse2(c, a + i, n - i, r, pitch, wlim, at + i, wi + i);
}

// {y, y', cb, cb', cr, cr', 0, 0} of pixels p and p + 1, in each half
#define SPINDLE_TAP_PAIRS 0, 1, 6, 7, 2, 3, 8, 9, 4, 5, 10, 11, -1, -1, -1, -1

SPINDLE_AVX2 void hrow_avx2(int32_t *h, const PIXEL_YC *row, const int32_t *sx_bytes, const int16_t (*wcol)[8],
                            int n) {
    const __m256i pairs = _mm256_setr_epi8(SPINDLE_TAP_PAIRS, SPINDLE_TAP_PAIRS);
    const __m256i close_up = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    const char *base = reinterpret_cast<const char *>(row);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m256i a = _mm256_shuffle_epi8(load_halves(base + sx_bytes[i], base + sx_bytes[i + 1]), pairs);
        const __m256i v = _mm256_madd_epi16(a, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(wcol + i)));
        // {y, cb, cr} of both columns side by side; two zero lanes spill onto the next pair
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(h + 3 * i), _mm256_permutevar8x32_epi32(v, close_up));
    }
    if (i < n) {
        const __m128i a = _mm256_castsi256_si128(pairs);
        const __m128i t = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base + sx_bytes[i])), a);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(h + 3 * i),
                         _mm_madd_epi16(t, _mm_loadu_si128(reinterpret_cast<const __m128i *>(wcol + i))));
    }
}

// Two rows, row and row + below (bytes), into h and h2, from one load of the
// positions and weights.
SPINDLE_AVX2 void hrow2_avx2(int32_t *h, int32_t *h2, const PIXEL_YC *row, ptrdiff_t below, const int32_t *sx_bytes,
                             const int16_t (*wcol)[8], int n) {
    const __m256i pairs = _mm256_setr_epi8(SPINDLE_TAP_PAIRS, SPINDLE_TAP_PAIRS);
    const __m256i close_up = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    const char *base = reinterpret_cast<const char *>(row);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const char *p0 = base + sx_bytes[i], *p1 = base + sx_bytes[i + 1];
        const __m256i wt = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(wcol + i));
        const __m256i a = _mm256_shuffle_epi8(load_halves(p0, p1), pairs);
        const __m256i b = _mm256_shuffle_epi8(load_halves(p0 + below, p1 + below), pairs);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(h + 3 * i),
                            _mm256_permutevar8x32_epi32(_mm256_madd_epi16(a, wt), close_up));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(h2 + 3 * i),
                            _mm256_permutevar8x32_epi32(_mm256_madd_epi16(b, wt), close_up));
    }
    if (i < n) {
        hrow_avx2(h + 3 * i, row, sx_bytes + i, wcol + i, n - i);
        hrow_avx2(h2 + 3 * i, reinterpret_cast<const PIXEL_YC *>(base + below), sx_bytes + i, wcol + i, n - i);
    }
}

#undef SPINDLE_TAP_PAIRS

SPINDLE_AVX2 void vrow_avx2(PIXEL_YC *d, const int32_t *h0, const int32_t *h1, int fy, int n) {
    const __m256i f = _mm256_set1_epi32(fy), g = _mm256_set1_epi32(32 - fy);
    short *out = &d->y;
    const int m = 3 * n;
    int j = 0;
    for (; j + 16 <= m; j += 16) {
        __m256i s[2];
        for (int k = 0; k < 2; ++k) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h0 + j + 8 * k));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h1 + j + 8 * k));
            // fy·h1 + (32 − fy)·h0, then / 1024 truncated toward zero
            const __m256i v = _mm256_add_epi32(_mm256_mullo_epi32(b, f), _mm256_mullo_epi32(a, g));
            s[k] = _mm256_sign_epi32(_mm256_srli_epi32(_mm256_abs_epi32(v), 10), v);
        }
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(s[0], s[1]), _MM_SHUFFLE(3, 1, 2, 0));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + j), packed);
    }
    for (; j < m; ++j) out[j] = short((fy * h1[j] + (32 - fy) * h0[j]) / 1024);
}

const Impl kAvx2 = {run_avx2, rot_positions_avx2, hrow_avx2, vrow_avx2, nullptr, hrow2_avx2};

// AVX-512: the straight mapping's two passes, four columns or sixteen samples
// to a register.

// GCC 12's AVX-512 intrinsics start some results from a deliberately
// undefined register, which its own uninitialised-use warnings then flag.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

SPINDLE_AVX512 inline __m128i load16(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }

SPINDLE_AVX512 inline __m512i load_quarters(const void *p0, const void *p1, const void *p2, const void *p3) {
    __m512i v = _mm512_castsi128_si512(load16(p0));
    v = _mm512_inserti32x4(v, load16(p1), 1);
    v = _mm512_inserti32x4(v, load16(p2), 2);
    return _mm512_inserti32x4(v, load16(p3), 3);
}

// v / 1024 truncated toward zero: negative v is moved up by 1023 before the shift.
SPINDLE_AVX512 inline __m512i div1024_avx512(__m512i v) {
    const __m512i up = _mm512_mask_add_epi32(v, _mm512_cmplt_epi32_mask(v, _mm512_setzero_si512()), v,
                                             _mm512_set1_epi32(1023));
    return _mm512_srai_epi32(up, 10);
}

SPINDLE_AVX512 void hrow_avx512(int32_t *h, const PIXEL_YC *row, const int32_t *sx_bytes, const int16_t (*wcol)[8],
                                int n) {
    // {y, y', cb, cb', cr, cr', 0, 0} of pixels p and p + 1, in each quarter
    const __m512i pairs =
        _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 6, 7, 2, 3, 8, 9, 4, 5, 10, 11, -1, -1, -1, -1));
    // {y, cb, cr} of the four columns side by side, then the zero lanes
    const __m512i close_up = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15);
    const char *base = reinterpret_cast<const char *>(row);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m512i a = load_quarters(base + sx_bytes[i], base + sx_bytes[i + 1], base + sx_bytes[i + 2],
                                        base + sx_bytes[i + 3]);
        const __m512i v = _mm512_madd_epi16(_mm512_shuffle_epi8(a, pairs), _mm512_loadu_si512(wcol + i));
        _mm512_storeu_si512(h + 3 * i, _mm512_permutexvar_epi32(close_up, v));
    }
    hrow_avx2(h + 3 * i, row, sx_bytes + i, wcol + i, n - i);
}

SPINDLE_AVX512 void hgroups_avx512(int32_t *h, int32_t *h2, const PIXEL_YC *row, ptrdiff_t below, const int32_t *at,
                                   const HGroup *g, int groups) {
    const char *base = reinterpret_cast<const char *>(row);
    if (!h2) {
        for (int j = 0; j < groups; ++j) {
            const __m512i t = _mm512_permutexvar_epi16(_mm512_load_si512(g[j].idx), _mm512_loadu_si512(base + at[j]));
            _mm512_storeu_si512(h + 3 * kGroup * j, _mm512_madd_epi16(t, _mm512_load_si512(g[j].wt)));
        }
        return;
    }
    // Both rows from one load of the group's permute and weights.
    for (int j = 0; j < groups; ++j) {
        const __m512i idx = _mm512_load_si512(g[j].idx), wt = _mm512_load_si512(g[j].wt);
        const __m512i t0 = _mm512_permutexvar_epi16(idx, _mm512_loadu_si512(base + at[j]));
        const __m512i t1 = _mm512_permutexvar_epi16(idx, _mm512_loadu_si512(base + below + at[j]));
        _mm512_storeu_si512(h + 3 * kGroup * j, _mm512_madd_epi16(t0, wt));
        _mm512_storeu_si512(h2 + 3 * kGroup * j, _mm512_madd_epi16(t1, wt));
    }
}

SPINDLE_AVX512 void vrow_avx512(PIXEL_YC *d, const int32_t *h0, const int32_t *h1, int fy, int n) {
    const __m512i f = _mm512_set1_epi32(fy), g = _mm512_set1_epi32(32 - fy);
    // the packed halves back in order: qwords of the first source, then of the second
    const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    short *out = &d->y;
    const int m = 3 * n;
    int j = 0;
    for (; j + 32 <= m; j += 32) {
        __m512i s[2];
        for (int k = 0; k < 2; ++k) {
            const __m512i a = _mm512_loadu_si512(h0 + j + 16 * k), b = _mm512_loadu_si512(h1 + j + 16 * k);
            // fy·h1 + (32 − fy)·h0, then / 1024 truncated toward zero
            s[k] = div1024_avx512(_mm512_add_epi32(_mm512_mullo_epi32(b, f), _mm512_mullo_epi32(a, g)));
        }
        _mm512_storeu_si512(out + j, _mm512_permutexvar_epi64(order, _mm512_packs_epi32(s[0], s[1])));
    }
    for (; j < m; ++j) out[j] = short((fy * h1[j] + (32 - fy) * h0[j]) / 1024);
}

#pragma GCC diagnostic pop

// The rotated blends gain nothing from the wider registers: AVX2 does them.
const Impl kAvx512 = {run_avx2, rot_positions_avx2, hrow_avx512, vrow_avx512, hgroups_avx512, hrow2_avx2};
#endif

constexpr int kStrip = 640;  // columns per strip of the two-pass straight mapping: the widest output of the tracks

// The horizontal passes of source rows, each made once while consecutive
// output rows share it: the row that an output row keeps, and two more that
// are made together, the second ahead of need.
struct HRows {
    struct Row {
        int y;
        alignas(64) int32_t h[3 * kStrip + 4];
    } row[3];
};

void resample_straight(const Impl &impl, PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h,
                       const spindle_params *p) {
    int32_t sx[kStrip], sx_bytes[kStrip];
    uint8_t fx[kStrip];
    alignas(32) int16_t wcol[kStrip][8];
    HGroup groups[kStrip / kGroup];
    int32_t group_at[kStrip / kGroup];
    HRows rows;
    for (int c0 = 0; c0 < p->cols; c0 += kStrip) {
        const int n = std::min(kStrip, p->cols - c0);
        for (int i = 0; i < n; ++i) {
            const int q = (c0 + i) * p->win_w * 32 / p->out_w;
            const auto f = int16_t(q % 32), g = int16_t(32 - f);
            sx[i] = p->off_x + q / 32;
            sx_bytes[i] = sx[i] * int(sizeof(PIXEL_YC));
            fx[i] = uint8_t(f);
            const int16_t wc[8] = {g, f, g, f, g, f, 0, 0};
            std::memcpy(wcol[i], wc, sizeof wc);
        }
        // Columns [a, b) read sx .. sx + 2 inside the picture; the others are checked.
        int a, b;
        span(n, true, 0, w - 3, [&](int i) { return sx[i]; }, &a, &b);
        // Columns [a, grouped) go by groups, while a group's taps fit in one
        // load that stays inside the row's picture.
        int grouped = a, ng = 0;
        while (impl.hgroups && grouped + kGroup <= b) {
            const int s0 = sx[grouped];
            if (sx[grouped + kGroup - 1] - s0 > 8 || 3 * s0 + 32 > 3 * w) break;  // 10 whole pixels, 64 bytes
            HGroup &g = groups[ng];
            for (int j = 0; j < kGroup; ++j)
                for (int k = 0; k < 3; ++k) {
                    const int lane = 2 * (3 * j + k), tap = 3 * (sx[grouped + j] - s0) + k;
                    g.idx[lane] = int16_t(tap), g.idx[lane + 1] = int16_t(tap + 3);
                    g.wt[lane] = wcol[grouped + j][0], g.wt[lane + 1] = wcol[grouped + j][1];
                }
            g.idx[30] = g.idx[31] = g.wt[30] = g.wt[31] = 0;
            group_at[ng++] = sx_bytes[grouped];
            grouped += kGroup;
        }

        for (auto &rw : rows.row) rw.y = -1 - kSpindleMaxSide;  // no source row
        // The passes of source row y into ra and, with rb, of y + 1 into rb.
        const ptrdiff_t row_bytes = ptrdiff_t(pitch) * ptrdiff_t(sizeof(PIXEL_YC));
        const auto make = [&](HRows::Row *ra, int y, HRows::Row *rb) {
            HRows::Row *const both[2] = {ra, rb};
            const bool inside[2] = {y >= 0 && y < h, rb && y + 1 >= 0 && y + 1 < h};
            const bool pair = inside[0] && inside[1];
            const PIXEL_YC *line[2] = {inside[0] ? src + ptrdiff_t(y) * pitch : nullptr,
                                       inside[1] ? src + ptrdiff_t(y + 1) * pitch : nullptr};
            // The interior first, the groups before the rest: a pass may
            // spill a store onto the column after the ones it makes.
            if (ng > 0) {
                if (pair) {
                    impl.hgroups(ra->h + 3 * a, rb->h + 3 * a, line[0], row_bytes, group_at, groups, ng);
                } else {
                    for (int k = 0; k < 2; ++k)
                        if (inside[k]) impl.hgroups(both[k]->h + 3 * a, nullptr, line[k], 0, group_at, groups, ng);
                }
            }
            const int m = b - grouped;
            const bool pair_rest = pair && m > 0 && impl.hrow2;
            if (pair_rest)
                impl.hrow2(ra->h + 3 * grouped, rb->h + 3 * grouped, line[0], row_bytes, sx_bytes + grouped,
                           wcol + grouped, m);
            for (int k = 0; k < 2; ++k) {
                HRows::Row *rw = both[k];
                if (!rw) continue;
                rw->y = y + k;
                if (!inside[k]) {
                    std::memset(rw->h, 0, sizeof(int32_t) * 3 * size_t(n));
                    continue;
                }
                if (m > 0 && !pair_rest) impl.hrow(rw->h + 3 * grouped, line[k], sx_bytes + grouped, wcol + grouped, m);
                for (int i = 0; i < a; ++i) hcol_checked(rw->h + 3 * i, line[k], w, sx[i], fx[i]);
                for (int i = b; i < n; ++i) hcol_checked(rw->h + 3 * i, line[k], w, sx[i], fx[i]);
            }
        };
        const auto find = [&](int y) -> HRows::Row * {
            for (auto &rw : rows.row)
                if (rw.y == y) return &rw;
            return nullptr;
        };
        // The k-th slot (0 or 1) other than keep.
        const auto spare = [&](const HRows::Row *keep, int k) {
            HRows::Row *rw = rows.row;
            if (rw == keep) ++rw;
            if (k == 1 && ++rw == keep) ++rw;
            return rw;
        };
        // The last source row that an output row reads.
        const int y_last = p->rows > 0 ? p->off_y + (p->rows - 1) * p->win_h * 32 / p->out_h / 32 + 1 : 0;
        for (int r = 0; r < p->rows; ++r) {
            const int q = r * p->win_h * 32 / p->out_h;
            const int sy = p->off_y + q / 32, fy = q % 32;
            HRows::Row *r0 = find(sy), *r1 = find(sy + 1);
            if (!r0 && !r1) {
                make(r0 = spare(nullptr, 0), sy, r1 = spare(nullptr, 1));
            } else if (!r0) {
                make(r0 = spare(r1, 0), sy, nullptr);
            } else if (!r1) {
                r1 = spare(r0, 0);
                make(r1, sy + 1, sy + 2 <= y_last ? spare(r0, 1) : nullptr);
            }
            const int32_t *h0 = r0->h, *h1 = r1->h;
            impl.vrow(dst + ptrdiff_t(r) * pitch + c0, h0, h1, fy, n);
        }
    }
}

void resample_rotated(const Impl &impl, PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h,
                      const spindle_params *p) {
    RotCols col;
    int32_t at[kChunk];
    uint16_t wi[kChunk];
    RotRow row{};
    row.out_w = p->out_w, row.out_h = p->out_h, row.off_x = p->off_x, row.off_y = p->off_y;
    for (int c0 = 0; c0 < p->cols; c0 += kChunk) {
        const int n = std::min(kChunk, p->cols - c0);
        for (int i = 0; i < n; ++i) {
            const int dx = c0 + i - p->cx;
            const Split u = split(t8(dx * p->cos_a) * p->win_w, p->out_w);
            const Split v = split(t8(dx * p->sin_a) * p->win_h, p->out_h);
            col.uq[i] = u.q, col.ur[i] = u.r, col.vq[i] = v.q, col.vr[i] = v.r;
        }
        for (int r = 0; r < p->rows; ++r) {
            const int dy = r - p->cy;
            row.u = split(t8(dy * p->sin_a) * p->win_w, p->out_w);
            row.v = split(-t8(dy * p->cos_a) * p->win_h, p->out_h);
            // sx rises along the row with cos >= 0, sy with sin >= 0.
            const auto sx_at = [&](int i) {
                int sx, sy, fx, fy;
                rot_pos(col, i, row, &sx, &sy, &fx, &fy);
                return sx;
            };
            const auto sy_at = [&](int i) {
                int sx, sy, fx, fy;
                rot_pos(col, i, row, &sx, &sy, &fx, &fy);
                return sy;
            };
            int a, b, a2, b2;
            span(n, p->cos_a >= 0, 0, w - 2, sx_at, &a, &b);
            span(n, p->sin_a >= 0, 0, h - 2, sy_at, &a2, &b2);
            a = std::max(a, a2);
            b = std::max(a, std::min(b, b2));

            PIXEL_YC *d = dst + ptrdiff_t(r) * pitch + c0;
            const auto checked = [&](int i) {
                int sx, sy, fx, fy;
                rot_pos(col, i, row, &sx, &sy, &fx, &fy);
                blend_checked(d + i, src, pitch, w, h, sx, sy, fx, fy);
            };
            for (int i = 0; i < a; ++i) checked(i);
            if (a < b) {
                impl.rot_positions(col, a, b - a, row, pitch, w - 3, at, wi);
                impl.run(d + a, src, pitch, at, wi, b - a);
            }
            for (int i = b; i < n; ++i) checked(i);
        }
    }
}

void resample_fast(const Impl &impl, PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h,
                   const spindle_params *p) {
    if (p->rotate) {
        resample_rotated(impl, dst, src, pitch, w, h, p);
    } else {
        resample_straight(impl, dst, src, pitch, w, h, p);
    }
}

void resample_plain(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p) {
    resample_fast(kPlain, dst, src, pitch, w, h, p);
}

#if SPINDLE_X86
void resample_sse2(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p) {
    resample_fast(kSse2, dst, src, pitch, w, h, p);
}
void resample_avx2(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p) {
    resample_fast(kAvx2, dst, src, pitch, w, h, p);
}
void resample_avx512(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p) {
    resample_fast(kAvx512, dst, src, pitch, w, h, p);
}
bool has_avx512() { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"); }
#endif

spindle_resample_fn best_variant() {
#if SPINDLE_X86
    __builtin_cpu_init();  // may run before the runtime's own start-up
    if (has_avx512()) return resample_avx512;
    if (__builtin_cpu_supports("avx2")) return resample_avx2;
    if (__builtin_cpu_supports("sse2")) return resample_sse2;
#endif
    return resample_plain;
}

// Chosen once, when the library loads.
const spindle_resample_fn best_resample = best_variant();

}  // namespace

void spindle_resample(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p) {
    best_resample(dst, src, pitch, w, h, p);
}

int spindle_variants(spindle_variant *out, int max) {
    int n = 0;
    if (n < max) out[n++] = {"plain", resample_plain};
#if SPINDLE_X86
    if (n < max && __builtin_cpu_supports("sse2")) out[n++] = {"sse2", resample_sse2};
    if (n < max && __builtin_cpu_supports("avx2")) out[n++] = {"avx2", resample_avx2};
    if (n < max && has_avx512()) out[n++] = {"avx512", resample_avx512};
#endif
    return n;
}

// ---------------------------------------------------------------------------
// Per-frame callback

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip) {
    const int max_w = std::max(fpip->max_w, 0), max_h = std::max(fpip->max_h, 0);
    const int w = std::clamp(fpip->w, 0, max_w), h = std::clamp(fpip->h, 0, max_h);
    if (w > kSpindleMaxSide || h > kSpindleMaxSide) return 1;
    const spindle_params p = spindle_derive(fp->track, fp->check, w, h, max_w, max_h);

    if (p.flip_v || p.flip_h) {
        spindle_flip(fpip->ycp_temp, fpip->ycp_edit, max_w, w, h, p.flip_v, p.flip_h);
        std::swap(fpip->ycp_edit, fpip->ycp_temp);
    }
    if (p.border) spindle_outline(fpip->ycp_edit, max_w, w, h, &p);
    if (p.debug) return 1;

    spindle_resample(fpip->ycp_temp, fpip->ycp_edit, max_w, w, h, &p);
    fpip->w = p.cols;
    fpip->h = p.rows;
    std::swap(fpip->ycp_edit, fpip->ycp_temp);
    return 1;
}
