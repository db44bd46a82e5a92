#include "color.h"

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

void bgr_to_yc(PIXEL_YC *dst, const uint8_t *bgr, int w) { bgr_to_yc_ref(dst, bgr, w); }
void yc_to_bgr(uint8_t *bgr, const PIXEL_YC *src, int w) { yc_to_bgr_ref(bgr, src, w); }

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
    luma_off_ = int(luma_black);
    chroma_off_ = int(chroma_mid);
    luma_mul_ = div_round(luma_span << 24, 4095);
    chroma_mul_ = div_round(chroma_span << 24, 4096);
}

unsigned YuvScale::luma_out(int v) const {
    const int64_t s = luma_off_ + ((v * luma_mul_ + (int64_t(1) << 23)) >> 24);
    return unsigned(std::clamp<int64_t>(s, 0, (int64_t(1) << bits_) - 1));
}

unsigned YuvScale::chroma_out(int v) const {
    const int64_t s = chroma_off_ + ((v * chroma_mul_ + (int64_t(1) << 23)) >> 24);
    return unsigned(std::clamp<int64_t>(s, 0, (int64_t(1) << bits_) - 1));
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
