// Conversion between the outside world's pixels and the working format.
//
// The working format (PIXEL_YC) is YCbCr with BT.601 weights at 12 bits:
//
//   y  = 4095 * Y'               Y' = 0.299 R' + 0.587 G' + 0.114 B'    (0 .. 4095)
//   cb = 4096 * (B' - Y') / 1.772                                        (-2048 .. 2048)
//   cr = 4096 * (R' - Y') / 1.402                                        (-2048 .. 2048)
//
// with R', G', B' the gamma-encoded components in 0 .. 1. A pixel of all zeros
// is black; cb = cr = 0 is grey. Filters may leave values outside these
// ranges; every conversion out of the working format saturates.
//
// 8-bit RGB (BMP files, exports): R' = R / 255, full range. Each component is
// rounded to the nearest integer, so RGB -> working -> RGB returns every
// component within +-1 (in practice almost always exactly).
//
// YUV (y4m): the same matrix; only the scale differs. Limited ("TV") range by
// default: 8-bit luma 16 .. 235 and chroma 16 .. 240 around 128, 16-bit the
// same shifted left by 8. Full range (y4m's XCOLORRANGE=FULL): 8-bit luma
// 0 .. 255 and chroma around 128 with 255 steps for 1.0. Luma and chroma are
// mapped by lookup tables; working -> YUV -> working is exact for every value
// that came from YUV. Subsampled chroma (4:2:0, 4:2:2) is repeated on the way
// in and averaged (rounding half up) on the way out.
#pragma once

#include <cstdint>

#include "sdk/filter.h"

namespace qhost {

// One row of 8-bit B, G, R triplets to working pixels, and back.
void bgr_to_yc(PIXEL_YC *dst, const uint8_t *bgr, int w);
void yc_to_bgr(uint8_t *bgr, const PIXEL_YC *src, int w);

// Which versions bgr_to_yc and yc_to_bgr use: "avx2", "ssse3" or "plain".
const char *bgr_kernels();

// The plain versions of the above, which the fast ones must match exactly.
void bgr_to_yc_ref(PIXEL_YC *dst, const uint8_t *bgr, int w);
void yc_to_bgr_ref(uint8_t *bgr, const PIXEL_YC *src, int w);

// YUV samples of one depth and range to working values and back.
class YuvScale {
  public:
    YuvScale(int bits, bool full_range);  // bits: 8 or 16

    int bits() const { return bits_; }
    bool full_range() const { return full_; }
    // Sample (0 .. 2^bits - 1) to working luma / colour difference.
    short luma_in(unsigned v) const { return luma_in_[v]; }
    short chroma_in(unsigned v) const { return chroma_in_[v]; }
    // Working value (-32768 .. 32767) to sample, saturated to 0 .. 2^bits - 1.
    unsigned luma_out(int v) const { return luma_out_[v + 32768]; }
    unsigned chroma_out(int v) const { return chroma_out_[v + 32768]; }

    // One row: planes to pixels. cshift is the horizontal chroma subsampling
    // (0: one chroma sample per pixel, 1: one per two); u and v may be null
    // for grey pictures.
    void row_in(PIXEL_YC *dst, const void *y, const void *u, const void *v, int w, int cshift) const;
    // One luma row out.
    void luma_row_out(void *y, const PIXEL_YC *src, int w) const;
    // One chroma row out from one or two pixel rows (b may equal a), averaging
    // 1 << cshift pixels across and the two rows down.
    void chroma_row_out(void *u, void *v, const PIXEL_YC *a, const PIXEL_YC *b, int w, int cshift) const;

  private:
    int bits_;
    bool full_;
    short luma_in_[65536];
    short chroma_in_[65536];
    uint16_t luma_out_[65536];
    uint16_t chroma_out_[65536];
};

}  // namespace qhost
