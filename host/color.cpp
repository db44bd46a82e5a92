#include "color.h"

#include "host/color_x86.h"

#include <algorithm>

namespace qhost {

// ---------------------------------------------------------------------------
// 8-bit RGB. Forward weights are the matrix of color.h times 2^11, backward
// weights times 2^16; both round half up.

namespace {

inline uint8_t sat8(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

inline void to_yc(PIXEL_YC &p, int b, int g, int r) {
    p.y = short((9834 * r + 19306 * g + 3749 * b + 1024) >> 11);
    p.cb = short((-5551 * r - 10897 * g + 16448 * b + 1024) >> 11);
    p.cr = short((16448 * r - 13773 * g - 2675 * b + 1024) >> 11);
}

inline void to_bgr(uint8_t *o, const PIXEL_YC &p) {
    const int y = 4081 * p.y + 32768;
    o[0] = sat8((y + 7230 * p.cb) >> 16);
    o[1] = sat8((y - 1404 * p.cb - 2914 * p.cr) >> 16);
    o[2] = sat8((y + 5720 * p.cr) >> 16);
}

}  // namespace

void bgr_to_yc_ref(PIXEL_YC *dst, const uint8_t *bgr, int w) {
    for (int x = 0; x < w; ++x, bgr += 3) to_yc(dst[x], bgr[0], bgr[1], bgr[2]);
}

void yc_to_bgr_ref(uint8_t *bgr, const PIXEL_YC *src, int w) {
    for (int x = 0; x < w; ++x, bgr += 3) to_bgr(bgr, src[x]);
}

namespace {

// The fastest kernels that this processor runs, chosen once.
struct Kernels {
    void (*in)(PIXEL_YC *, const uint8_t *, int) = bgr_to_yc_ref;
    void (*out)(uint8_t *, const PIXEL_YC *, int) = yc_to_bgr_ref;
    const char *name = "plain";
    Kernels() {
#if QHOST_X86
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) in = bgr_to_yc_avx2, out = yc_to_bgr_avx2, name = "avx2";
        else if (__builtin_cpu_supports("ssse3")) in = bgr_to_yc_ssse3, out = yc_to_bgr_ssse3, name = "ssse3";
#endif
    }
};
const Kernels &kernels() {
    static const Kernels k;
    return k;
}

}  // namespace

void bgr_to_yc(PIXEL_YC *dst, const uint8_t *bgr, int w) { kernels().in(dst, bgr, w); }
void yc_to_bgr(uint8_t *bgr, const PIXEL_YC *src, int w) { kernels().out(bgr, src, w); }
const char *bgr_kernels() { return kernels().name; }

// ---------------------------------------------------------------------------
// YUV planes.

namespace {

// round(n / d) for d > 0, halves away from zero.
int64_t div_round(int64_t n, int64_t d) { return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d)); }

}  // namespace

YuvScale::YuvScale(int bits, bool full_range) : bits_(bits), full_(full_range) {
    const int64_t top = (int64_t(1) << bits) - 1, step = int64_t(1) << (bits - 8);
    const int64_t luma_black = full_range ? 0 : 16 * step, luma_span = full_range ? top : 219 * step;
    const int64_t chroma_mid = int64_t(1) << (bits - 1), chroma_span = full_range ? top : 224 * step;
    for (int64_t s = 0; s <= top; ++s) {
        luma_in_[s] = short(div_round((s - luma_black) * 4095, luma_span));
        chroma_in_[s] = short(div_round((s - chroma_mid) * 4096, chroma_span));
    }
    // Out: the nearest sample, halves away from zero, then saturated.
    for (int64_t v = -32768; v <= 32767; ++v) {
        luma_out_[v + 32768] = uint16_t(std::clamp<int64_t>(luma_black + div_round(v * luma_span, 4095), 0, top));
        chroma_out_[v + 32768] = uint16_t(std::clamp<int64_t>(chroma_mid + div_round(v * chroma_span, 4096), 0, top));
    }
}

namespace {

template <typename T>
void row_in_t(const YuvScale &s, PIXEL_YC *dst, const T *y, const T *u, const T *v, int w, int cshift) {
    for (int x = 0; x < w; ++x) {
        dst[x].y = s.luma_in(y[x]);
        dst[x].cb = u ? s.chroma_in(u[x >> cshift]) : 0;
        dst[x].cr = v ? s.chroma_in(v[x >> cshift]) : 0;
    }
}

template <typename T>
void luma_out_t(const YuvScale &s, T *y, const PIXEL_YC *src, int w) {
    for (int x = 0; x < w; ++x) y[x] = T(s.luma_out(src[x].y));
}

// The mean of n = (1 << cshift) * (a != b ? 2 : 1) values, rounding half up,
// so that values repeated on the way in come back unchanged.
template <typename T>
void chroma_out_t(const YuvScale &s, T *u, T *v, const PIXEL_YC *a, const PIXEL_YC *b, int w, int cshift) {
    const int across = 1 << cshift;
    for (int cx = 0; cx < (w + across - 1) >> cshift; ++cx) {
        int su = 0, sv = 0, n = 0;
        for (int i = 0; i < across; ++i) {
            const int x = std::min(cx * across + i, w - 1);
            su += a[x].cb;
            sv += a[x].cr;
            ++n;
            if (b != a) su += b[x].cb, sv += b[x].cr, ++n;
        }
        // floor((s + n/2) / n), n a power of two
        const int shift = n == 1 ? 0 : n == 2 ? 1 : 2;
        u[cx] = T(s.chroma_out((su + n / 2) >> shift));
        v[cx] = T(s.chroma_out((sv + n / 2) >> shift));
    }
}

}  // namespace

void YuvScale::row_in(PIXEL_YC *dst, const void *y, const void *u, const void *v, int w, int cshift) const {
    if (bits_ == 8)
        row_in_t(*this, dst, static_cast<const uint8_t *>(y), static_cast<const uint8_t *>(u),
                 static_cast<const uint8_t *>(v), w, cshift);
    else
        row_in_t(*this, dst, static_cast<const uint16_t *>(y), static_cast<const uint16_t *>(u),
                 static_cast<const uint16_t *>(v), w, cshift);
}

void YuvScale::luma_row_out(void *y, const PIXEL_YC *src, int w) const {
    if (bits_ == 8) luma_out_t(*this, static_cast<uint8_t *>(y), src, w);
    else luma_out_t(*this, static_cast<uint16_t *>(y), src, w);
}

void YuvScale::chroma_row_out(void *u, void *v, const PIXEL_YC *a, const PIXEL_YC *b, int w, int cshift) const {
    if (bits_ == 8)
        chroma_out_t(*this, static_cast<uint8_t *>(u), static_cast<uint8_t *>(v), a, b, w, cshift);
    else
        chroma_out_t(*this, static_cast<uint16_t *>(u), static_cast<uint16_t *>(v), a, b, w, cshift);
}

}  // namespace qhost
