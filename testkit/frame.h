// Test frames as the host lends them, with guard memory all around.
//
// A Frame allocates `before` guard rows above pixel (0, 0) and `after` guard
// rows below row max_h - 1, every pixel set to a poison value. The test then
// writes the picture, runs a filter, and asks which pixels outside the region
// that the filter may write have changed.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/filter.h"

namespace testkit {

inline constexpr PIXEL_YC kPoison = {0x5a5a, -0x2b2b, 0x3c3c};

inline bool same(const PIXEL_YC &a, const PIXEL_YC &b) { return a.y == b.y && a.cb == b.cb && a.cr == b.cr; }
}  // namespace testkit

inline bool operator==(const PIXEL_YC &a, const PIXEL_YC &b) { return testkit::same(a, b); }

namespace testkit {

// xorshift32: small, fast and the same on every platform.
struct Rng {
    uint32_t s;
    explicit Rng(uint32_t seed) : s(seed ? seed : 0x9e3779b9u) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int below(int n) { return int(next() % uint32_t(n)); }  // 0 .. n - 1
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }  // lo .. hi
};

class Frame {
  public:
    Frame(int pitch, int max_h, int before = 2, int after = 2)
        : pitch_(pitch), max_h_(max_h), before_(before),
          buf_(size_t(pitch) * size_t(before + max_h + after) + 2 * size_t(before), kPoison) {}

    PIXEL_YC *origin() { return buf_.data() + size_t(before_) * size_t(pitch_) + size_t(before_); }
    const PIXEL_YC *origin() const { return const_cast<Frame *>(this)->origin(); }
    PIXEL_YC &at(int x, int y) { return origin()[ptrdiff_t(y) * pitch_ + x]; }
    const PIXEL_YC &at(int x, int y) const { return origin()[ptrdiff_t(y) * pitch_ + x]; }
    int pitch() const { return pitch_; }
    // The whole allocation, guard memory included.
    const std::vector<PIXEL_YC> &data() const { return buf_; }
    int max_h() const { return max_h_; }

    // Fills the w x h picture with random samples: luma 0..4095, colour -2048..2047.
    void randomize(int w, int h, uint32_t seed) {
        Rng rng(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(x, y) = {short(rng.below(4096)), short(rng.range(-2048, 2047)), short(rng.range(-2048, 2047))};
    }

    // Counts the pixels of the whole allocation, outside the rectangle
    // [x0, x1) x [y0, y1) of picture coordinates, that no longer hold the poison.
    long changed_outside(int x0, int y0, int x1, int y1) const {
        long n = 0;
        const ptrdiff_t base = origin() - buf_.data();
        for (size_t i = 0; i < buf_.size(); ++i) {
            const ptrdiff_t off = ptrdiff_t(i) - base;
            // floor division, so guard memory before the origin maps to negative rows
            ptrdiff_t y = off / pitch_, x = off % pitch_;
            if (x < 0) x += pitch_, --y;
            const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
            if (!inside && !same(buf_[i], kPoison)) ++n;
        }
        return n;
    }

  private:
    int pitch_, max_h_, before_;
    std::vector<PIXEL_YC> buf_;
};

// CRC-32 (IEEE), bitwise: for checksums of pictures in golden files.
inline uint32_t crc32(uint32_t crc, const void *data, size_t n) {
    const auto *p = static_cast<const unsigned char *>(data);
    crc = ~crc;
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// CRC of a w x h picture, rows `pitch` pixels apart.
inline uint32_t picture_crc(const PIXEL_YC *p, int w, int h, int pitch) {
    uint32_t crc = 0;
    for (int y = 0; y < h; ++y) crc = crc32(crc, p + ptrdiff_t(y) * pitch, size_t(w) * sizeof(PIXEL_YC));
    return crc;
}

}  // namespace testkit
