// SSSE3 and AVX2 versions of the 8-bit BGR conversions of color.cpp. They
// give exactly the plain kernels' results: the same 32-bit products, sums,
// rounding and saturation, lane for lane.
//
// Both directions work on blocks of 8 pixels: 24 bytes of BGR and 24 int16 of
// working pixels. Output lane j of a block is component j % 3 of pixel j / 3;
// lanes are made four at a time ("groups"), each from one 16-byte load that
// starts at the group's first pixel: a byte shuffle lines up, per output lane,
// a pair of inputs for one pmaddwd and the third input for a second one. The
// AVX2 versions do two blocks at once, one per 128-bit half.
#include "color_x86.h"

#if QHOST_X86

#include <immintrin.h>

namespace qhost {

namespace {

// Byte shuffles and weights of one group, for each of the 6 groups of a block.
struct Group {
    alignas(16) int8_t pair[16];    // two inputs per lane, as int16
    alignas(16) int8_t single[16];  // the third input per lane, and a zero word
    alignas(16) int16_t wpair[8];
    alignas(16) int16_t wsingle[8];
    int load;                       // offset of the group's load from the block, in bytes
};

struct Tables {
    Group in[6], out[6];
};

// Weights of color.cpp: forward (b, g, r) per output component (y, cb, cr),
// backward (y, cb, cr) per output byte (b, g, r).
constexpr int16_t kFwd[3][3] = {{3749, 19306, 9834}, {16448, -10897, -5551}, {-2675, -13773, 16448}};
constexpr int16_t kBwd[3][3] = {{4081, 7230, 0}, {4081, -1404, -2914}, {4081, 0, 5720}};

Tables make_tables() {
    Tables t{};
    for (int k = 0; k < 6; ++k) {
        const int first = 4 * k / 3;  // pixel of the group's first lane
        Group &gi = t.in[k], &go = t.out[k];
        gi.load = 3 * first;
        go.load = 6 * first;
        for (int i = 0; i < 4; ++i) {
            const int j = 4 * k + i, p = j / 3 - first, c = j % 3;
            // BGR -> working: pair (b, g), single r; bytes zero-extended.
            gi.pair[4 * i + 0] = int8_t(3 * p + 0), gi.pair[4 * i + 1] = -128;
            gi.pair[4 * i + 2] = int8_t(3 * p + 1), gi.pair[4 * i + 3] = -128;
            gi.single[4 * i + 0] = int8_t(3 * p + 2);
            gi.single[4 * i + 1] = gi.single[4 * i + 2] = gi.single[4 * i + 3] = -128;
            gi.wpair[2 * i] = kFwd[c][0], gi.wpair[2 * i + 1] = kFwd[c][1];
            gi.wsingle[2 * i] = kFwd[c][2], gi.wsingle[2 * i + 1] = 0;
            // working -> BGR: pair (y, cb), single cr; int16 as they are.
            go.pair[4 * i + 0] = int8_t(6 * p + 0), go.pair[4 * i + 1] = int8_t(6 * p + 1);
            go.pair[4 * i + 2] = int8_t(6 * p + 2), go.pair[4 * i + 3] = int8_t(6 * p + 3);
            go.single[4 * i + 0] = int8_t(6 * p + 4), go.single[4 * i + 1] = int8_t(6 * p + 5);
            go.single[4 * i + 2] = go.single[4 * i + 3] = -128;
            go.wpair[2 * i] = kBwd[c][0], go.wpair[2 * i + 1] = kBwd[c][1];
            go.wsingle[2 * i] = kBwd[c][2], go.wsingle[2 * i + 1] = 0;
        }
    }
    return t;
}

const Tables kTables = make_tables();

// ---------------------------------------------------------------------------
// SSSE3

__attribute__((target("ssse3"))) inline __m128i group_ssse3(const uint8_t *block, const Group &g, __m128i round,
                                                             int shift) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + g.load));
    const __m128i a = _mm_shuffle_epi8(v, _mm_load_si128(reinterpret_cast<const __m128i *>(g.pair)));
    const __m128i b = _mm_shuffle_epi8(v, _mm_load_si128(reinterpret_cast<const __m128i *>(g.single)));
    __m128i s = _mm_add_epi32(_mm_madd_epi16(a, _mm_load_si128(reinterpret_cast<const __m128i *>(g.wpair))),
                              _mm_madd_epi16(b, _mm_load_si128(reinterpret_cast<const __m128i *>(g.wsingle))));
    return _mm_sra_epi32(_mm_add_epi32(s, round), _mm_cvtsi32_si128(shift));
}

// The same group of two blocks at once, the second `next` bytes after the first.
__attribute__((target("avx2"))) inline __m256i group_avx2(const uint8_t *block, size_t next, const Group &g,
                                                          __m256i round, int shift) {
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + g.load))),
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + next + g.load)), 1);
    const __m256i a = _mm256_shuffle_epi8(v, _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(g.pair))));
    const __m256i b = _mm256_shuffle_epi8(v, _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(g.single))));
    const __m256i s = _mm256_add_epi32(
        _mm256_madd_epi16(a, _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(g.wpair)))),
        _mm256_madd_epi16(b, _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(g.wsingle)))));
    return _mm256_sra_epi32(_mm256_add_epi32(s, round), _mm_cvtsi32_si128(shift));
}

}  // namespace

// A block reads up to 34 bytes (forward) or 52 bytes (backward) from its
// start; the loops stop early enough for that, and the plain kernel does the
// rest of the row.

__attribute__((target("ssse3"))) void bgr_to_yc_ssse3(PIXEL_YC *dst, const uint8_t *bgr, int w) {
    const __m128i round = _mm_set1_epi32(1024);
    int x = 0;
    for (; x + 12 <= w; x += 8) {
        const uint8_t *in = bgr + 3 * x;
        __m128i g[6];
        for (int k = 0; k < 6; ++k) g[k] = group_ssse3(in, kTables.in[k], round, 11);
        auto *out = reinterpret_cast<__m128i *>(dst + x);
        _mm_storeu_si128(out + 0, _mm_packs_epi32(g[0], g[1]));
        _mm_storeu_si128(out + 1, _mm_packs_epi32(g[2], g[3]));
        _mm_storeu_si128(out + 2, _mm_packs_epi32(g[4], g[5]));
    }
    bgr_to_yc_ref(dst + x, bgr + 3 * x, w - x);
}

__attribute__((target("ssse3"))) void yc_to_bgr_ssse3(uint8_t *bgr, const PIXEL_YC *src, int w) {
    const __m128i round = _mm_set1_epi32(32768);
    int x = 0;
    for (; x + 9 <= w; x += 8) {
        const auto *in = reinterpret_cast<const uint8_t *>(src + x);
        __m128i g[6];
        for (int k = 0; k < 6; ++k) g[k] = group_ssse3(in, kTables.out[k], round, 16);
        const __m128i lo = _mm_packus_epi16(_mm_packs_epi32(g[0], g[1]), _mm_packs_epi32(g[2], g[3]));
        const __m128i hi = _mm_packus_epi16(_mm_packs_epi32(g[4], g[5]), _mm_setzero_si128());
        _mm_storeu_si128(reinterpret_cast<__m128i *>(bgr + 3 * x), lo);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(bgr + 3 * x + 16), hi);
    }
    yc_to_bgr_ref(bgr + 3 * x, src + x, w - x);
}

__attribute__((target("avx2"))) void bgr_to_yc_avx2(PIXEL_YC *dst, const uint8_t *bgr, int w) {
    const __m256i round = _mm256_set1_epi32(1024);
    int x = 0;
    for (; x + 20 <= w; x += 16) {
        const uint8_t *in = bgr + 3 * x;
        __m256i g[6];
        for (int k = 0; k < 6; ++k) g[k] = group_avx2(in, 24, kTables.in[k], round, 11);
        auto *out = reinterpret_cast<__m128i *>(dst + x);
        for (int k = 0; k < 3; ++k) {
            const __m256i p = _mm256_packs_epi32(g[2 * k], g[2 * k + 1]);
            _mm_storeu_si128(out + k, _mm256_castsi256_si128(p));
            _mm_storeu_si128(out + 3 + k, _mm256_extracti128_si256(p, 1));
        }
    }
    bgr_to_yc_ssse3(dst + x, bgr + 3 * x, w - x);
}

__attribute__((target("avx2"))) void yc_to_bgr_avx2(uint8_t *bgr, const PIXEL_YC *src, int w) {
    const __m256i round = _mm256_set1_epi32(32768);
    int x = 0;
    for (; x + 17 <= w; x += 16) {
        const auto *in = reinterpret_cast<const uint8_t *>(src + x);
        __m256i g[6];
        for (int k = 0; k < 6; ++k) g[k] = group_avx2(in, 48, kTables.out[k], round, 16);
        const __m256i lo = _mm256_packus_epi16(_mm256_packs_epi32(g[0], g[1]), _mm256_packs_epi32(g[2], g[3]));
        const __m256i hi = _mm256_packus_epi16(_mm256_packs_epi32(g[4], g[5]), _mm256_setzero_si256());
        uint8_t *o = bgr + 3 * x;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_castsi256_si128(lo));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 16), _mm256_castsi256_si128(hi));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 24), _mm256_extracti128_si256(lo, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 40), _mm256_extracti128_si256(hi, 1));
    }
    yc_to_bgr_ssse3(bgr + 3 * x, src + x, w - x);
}

}  // namespace qhost

#endif
