// edge: gives the edges of the picture a light and a dark fringe. From every
// sample it takes a strength-scaled share of the difference between the mean
// of its upper-left and of its lower-right neighbours, counting only the part
// of that difference whose magnitude lies between a lower and an upper limit.
//
// The frame is read as rows of 16-bit samples (y, cb, cr, y, cb, cr, ...);
// each sample is compared with the same component of its neighbours, and a
// row is processed in groups of four samples that ignore pixel boundaries.
// Every step is 16-bit saturating arithmetic, so the SIMD kernels carry it out
// lane for lane and give exactly the plain kernel's samples.

#include <cstdint>
#include <cstring>

#include "edge.h"

#if defined(__i386__) || defined(__x86_64__)
#define EDGE_X86 1
#include <immintrin.h>
#else
#define EDGE_X86 0
#endif

// ---------------------------------------------------------------------------
// Table and tracks. Names in Shift-JIS, the host's code page.

static const char *const track_name[] = {
    "\x8b\xad\x82\xb3",          // 強さ
    "\x94\xcd\x88\xcd",          // 範囲
    "\x89\xba\x8c\xc0\x92\x6c",  // 下限値
    "\x8f\xe3\x8c\xc0\x92\x6c",  // 上限値
};
static const int track_default[] = {128, 1, 32, 128};
static const int track_s[] = {0, 0, 0, 0};
static const int track_e[] = {256, 2, 256, 256};
static const char *const check_name[] = {
    "\x8b\xad\x92\xb2\x95\xfb\x8c\xfc\x82\xf0\x94\xbd\x93\x5d",  // 強調方向を反転
};
static const int check_default[] = {0};

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip);

static FILTER_DLL filter = {
    0x00040000,  // flag
    0, 0,        // x, y
    "\x83\x47\x83\x62\x83\x57\x8b\xad\x92\xb2\x83\x74\x83\x42\x83\x8b\x83\x5e",  // エッジ強調フィルタ
    4, track_name, track_default, track_s, track_e,
    1, check_name, check_default,
    func_proc,
    nullptr, nullptr, nullptr, nullptr,  // func_init, func_exit, func_update, func_WndProc
    nullptr, nullptr,                    // track, check
    nullptr, 0,                          // ex_data_ptr, ex_data_size
    "\x83\x47\x83\x62\x83\x57\x8b\xad\x92\xb2\x83\x74\x83\x42\x83\x8b\x83\x5e"
    " version 1.00",  // エッジ強調フィルタ version 1.00
    {},
};

QP_EXTERN_C QP_EXPORT FILTER_DLL *QP_CDECL GetFilterTable(void) { return &filter; }

// ---------------------------------------------------------------------------
// Per-frame constants

namespace {

struct edge_consts {
    int kind;     // neighbourhood: 0 two against two, 1 three against three, 2 seven against seven
    int b;        // border width the neighbourhood reaches, in pixels
    int16_t k;    // averaging factor, negative when reversed
    int16_t s;    // strength factor
    uint16_t up;  // 0xFFFF - 4 x upper: saturates magnitudes above 4 x upper
    uint16_t lo;  // up + 4 x lower: takes them back down, and 4 x lower off
};

edge_consts edge_setup(const edge_params *p) {
    static const int k_of[3] = {16384, 21845, 9362};  // 1/2 (of the doubled sum), 1/3, 1/7 as 0.16 fixed point
    static const int s_mul[3] = {256, 384, 896};
    static const int s_div[3] = {5, 7, 15};
    edge_consts c;
    c.kind = p->range == 0 ? 0 : p->range == 1 ? 1 : 2;
    c.b = c.kind == 2 ? 2 : 1;
    c.k = int16_t(p->reverse ? -k_of[c.kind] : k_of[c.kind]);
    c.s = int16_t(int64_t(p->strength) * s_mul[c.kind] / s_div[c.kind]);
    c.up = uint16_t(0xFFFFu - 4u * unsigned(p->upper));
    c.lo = uint16_t(c.up + 4u * unsigned(p->lower));
    return c;
}

// Samples of a frame; a row is 3 x pitch of them.
int16_t *samples(PIXEL_YC *f) { return reinterpret_cast<int16_t *>(f); }

}  // namespace

// ---------------------------------------------------------------------------
// Border

void edge_extend_border(PIXEL_YC *frame, int w, int h, int b, int pitch) {
    for (int r = 0; r < h; ++r) {
        PIXEL_YC *row = frame + ptrdiff_t(r) * pitch;
        for (int c = 1; c <= b; ++c) row[-c] = row[0];  // in the slack of the row above
        for (int c = 0; c < b; ++c) row[w + c] = row[w - 1];
    }
    const size_t bytes = (size_t(w + 2 * b) * sizeof(PIXEL_YC) + 3) & ~size_t(3);
    PIXEL_YC *const first = frame - b;
    PIXEL_YC *const last = frame + ptrdiff_t(h - 1) * pitch - b;
    for (int i = 1; i <= b; ++i) std::memmove(first - ptrdiff_t(i) * pitch, first, bytes);
    for (int i = 1; i <= b; ++i) std::memmove(last + ptrdiff_t(i) * pitch, last, bytes);
}

// ---------------------------------------------------------------------------
// Plain kernel: the steps one sample at a time.

namespace {

int16_t sat(int x) { return int16_t(x < -32768 ? -32768 : x > 32767 ? 32767 : x); }
uint16_t usat(int x) { return uint16_t(x < 0 ? 0 : x > 65535 ? 65535 : x); }
int16_t mulhi(int16_t x, int16_t k) { return int16_t((int32_t(x) * k) >> 16); }
int16_t shl(int16_t x, int s) { return int16_t(uint16_t(unsigned(uint16_t(x)) << s)); }

struct neighbour {
    int dx, dy;
};
// The upper-left set P and the mirrored lower-right set Q of each
// neighbourhood, in the order in which they are summed.
const int set_size[3] = {2, 3, 7};
const neighbour set_p[3][7] = {
    {{0, -1}, {-1, 0}},
    {{-1, -1}, {0, -1}, {-1, 0}},
    {{-1, -2}, {0, -2}, {-2, -1}, {-1, -1}, {0, -1}, {-2, 0}, {-1, 0}},
};
const neighbour set_q[3][7] = {
    {{1, 0}, {0, 1}},
    {{1, 0}, {0, 1}, {1, 1}},
    {{1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}},
};

int16_t set_sum(const int16_t *s, ptrdiff_t ps, const neighbour *set, int n) {
    int16_t sum = s[3 * set[0].dx + set[0].dy * ps];
    for (int i = 1; i < n; ++i) sum = sat(sum + s[3 * set[i].dx + set[i].dy * ps]);
    return sum;
}

// The output sample for the sample at s, in a frame whose rows are ps samples apart.
int16_t edge_sample(const int16_t *s, ptrdiff_t ps, const edge_consts &c) {
    const int n = set_size[c.kind];
    int16_t p = set_sum(s, ps, set_p[c.kind], n);
    int16_t q = set_sum(s, ps, set_q[c.kind], n);
    if (c.kind == 0) {
        p = shl(p, 1);
        q = shl(q, 1);
    }
    const int16_t d = sat(mulhi(p, c.k) - mulhi(q, c.k));
    const uint16_t m = d < 0 ? 0xFFFF : 0;
    uint16_t a = uint16_t(d) ^ m;  // the magnitude, one short of it when negative
    a = usat(a + c.up);
    a = usat(a - c.lo);
    const int16_t e = int16_t(a ^ m);
    const int16_t f = mulhi(shl(e, 2), c.s);
    return sat(s[0] - f);
}

}  // namespace

void edge_kernel_c(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const edge_params *p) {
    if (w <= 0 || h <= 0) return;
    const edge_consts c = edge_setup(p);
    edge_extend_border(src, w, h, c.b, pitch);
    const int groups = (w + 1) * 3 / 4;
    const ptrdiff_t ps = ptrdiff_t(pitch) * 3;
    for (int r = 0; r < h; ++r) {
        int16_t *d = samples(dst) + r * ps;
        const int16_t *s = samples(src) + r * ps;
        for (int g = 0; g < groups; ++g)
            for (int k = 4 * g; k < 4 * g + 4; ++k) d[k] = edge_sample(s + k, ps, c);
    }
}

// ---------------------------------------------------------------------------
// SIMD kernels: the same steps on 16, 8 or 4 lanes at a time. Rows go in
// pairs, so that the loads the two rows share are made once. A row ends with
// a block of 8 lanes and one of 4 where its length asks for them, so every
// kernel reads and writes exactly the samples that the plain one does.

#if EDGE_X86
namespace {

#define EDGE_SSE2 __attribute__((target("sse2"), always_inline)) inline
#define EDGE_AVX2 __attribute__((target("avx2"), always_inline)) inline

struct sse2_consts {
    __m128i k, s, up, lo;
};
struct avx2_consts {
    __m256i k, s, up, lo;
};

// The samples of neighbour (dx, dy) of the samples at s, rows ps apart.
template <bool Half>
struct taps_sse2 {
    const int16_t *s;
    ptrdiff_t ps;
    EDGE_SSE2 __m128i operator()(int dx, int dy) const {
        const auto *p = reinterpret_cast<const __m128i *>(s + 3 * dx + dy * ps);
        return Half ? _mm_loadl_epi64(p) : _mm_loadu_si128(p);
    }
};

// 8 output samples (4 when Half) from the samples at s, rows ps apart.
template <int Kind, bool Half>
EDGE_SSE2 __m128i lanes_sse2(const int16_t *s, ptrdiff_t ps, const sse2_consts &c) {
    const taps_sse2<Half> at = {s, ps};
    __m128i p, q;
    if constexpr (Kind == 0) {
        p = _mm_adds_epi16(at(0, -1), at(-1, 0));
        q = _mm_adds_epi16(at(1, 0), at(0, 1));
        p = _mm_slli_epi16(p, 1);
        q = _mm_slli_epi16(q, 1);
    } else if constexpr (Kind == 1) {
        p = _mm_adds_epi16(_mm_adds_epi16(at(-1, -1), at(0, -1)), at(-1, 0));
        q = _mm_adds_epi16(_mm_adds_epi16(at(1, 0), at(0, 1)), at(1, 1));
    } else {
        p = _mm_adds_epi16(at(-1, -2), at(0, -2));
        p = _mm_adds_epi16(p, at(-2, -1));
        p = _mm_adds_epi16(p, at(-1, -1));
        p = _mm_adds_epi16(p, at(0, -1));
        p = _mm_adds_epi16(p, at(-2, 0));
        p = _mm_adds_epi16(p, at(-1, 0));
        q = _mm_adds_epi16(at(1, 0), at(2, 0));
        q = _mm_adds_epi16(q, at(0, 1));
        q = _mm_adds_epi16(q, at(1, 1));
        q = _mm_adds_epi16(q, at(2, 1));
        q = _mm_adds_epi16(q, at(0, 2));
        q = _mm_adds_epi16(q, at(1, 2));
    }
    const __m128i d = _mm_subs_epi16(_mm_mulhi_epi16(p, c.k), _mm_mulhi_epi16(q, c.k));
    const __m128i m = _mm_srai_epi16(d, 15);
    __m128i a = _mm_xor_si128(d, m);
    a = _mm_adds_epu16(a, c.up);
    a = _mm_subs_epu16(a, c.lo);
    const __m128i e = _mm_xor_si128(a, m);
    const __m128i f = _mm_mulhi_epi16(_mm_slli_epi16(e, 2), c.s);
    return _mm_subs_epi16(at(0, 0), f);
}

template <bool Half>
EDGE_SSE2 void store_sse2(int16_t *p, __m128i v) {
    if (Half)
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), v);
    else
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}

// The last 8 and 4 samples of Rows rows, when m leaves them after j.
template <int Kind, int Rows>
EDGE_SSE2 void tail_sse2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int j, int m, const sse2_consts &c) {
    __m128i out[Rows];
    if (j + 8 <= m) {
        for (int i = 0; i < Rows; ++i) out[i] = lanes_sse2<Kind, false>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) store_sse2<false>(dst + i * ps + j, out[i]);
        j += 8;
    }
    if (j < m) {
        for (int i = 0; i < Rows; ++i) out[i] = lanes_sse2<Kind, true>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) store_sse2<true>(dst + i * ps + j, out[i]);
    }
}

EDGE_SSE2 sse2_consts consts_sse2(const edge_consts &ec) {
    return {_mm_set1_epi16(ec.k), _mm_set1_epi16(ec.s), _mm_set1_epi16(int16_t(ec.up)), _mm_set1_epi16(int16_t(ec.lo))};
}

template <int Kind, int Rows>
EDGE_SSE2 void block_sse2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int m, const sse2_consts &c) {
    int j = 0;
    for (; j + 8 <= m; j += 8) {
        __m128i out[Rows];
        for (int i = 0; i < Rows; ++i) out[i] = lanes_sse2<Kind, false>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) store_sse2<false>(dst + i * ps + j, out[i]);
    }
    tail_sse2<Kind, Rows>(dst, src, ps, j, m, c);
}

template <int Kind>
__attribute__((target("sse2"))) void rows_sse2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int h, int m,
                                               const edge_consts &ec) {
    const sse2_consts c = consts_sse2(ec);
    int r = 0;
    for (; r + 2 <= h; r += 2) block_sse2<Kind, 2>(dst + r * ps, src + r * ps, ps, m, c);
    if (r < h) block_sse2<Kind, 1>(dst + r * ps, src + r * ps, ps, m, c);
}

struct taps_avx2 {
    const int16_t *s;
    ptrdiff_t ps;
    EDGE_AVX2 __m256i operator()(int dx, int dy) const {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + 3 * dx + dy * ps));
    }
};

// 16 output samples from the samples at s, rows ps apart.
template <int Kind>
EDGE_AVX2 __m256i lanes_avx2(const int16_t *s, ptrdiff_t ps, const avx2_consts &c) {
    const taps_avx2 at = {s, ps};
    __m256i p, q;
    if constexpr (Kind == 0) {
        p = _mm256_adds_epi16(at(0, -1), at(-1, 0));
        q = _mm256_adds_epi16(at(1, 0), at(0, 1));
        p = _mm256_slli_epi16(p, 1);
        q = _mm256_slli_epi16(q, 1);
    } else if constexpr (Kind == 1) {
        p = _mm256_adds_epi16(_mm256_adds_epi16(at(-1, -1), at(0, -1)), at(-1, 0));
        q = _mm256_adds_epi16(_mm256_adds_epi16(at(1, 0), at(0, 1)), at(1, 1));
    } else {
        p = _mm256_adds_epi16(at(-1, -2), at(0, -2));
        p = _mm256_adds_epi16(p, at(-2, -1));
        p = _mm256_adds_epi16(p, at(-1, -1));
        p = _mm256_adds_epi16(p, at(0, -1));
        p = _mm256_adds_epi16(p, at(-2, 0));
        p = _mm256_adds_epi16(p, at(-1, 0));
        q = _mm256_adds_epi16(at(1, 0), at(2, 0));
        q = _mm256_adds_epi16(q, at(0, 1));
        q = _mm256_adds_epi16(q, at(1, 1));
        q = _mm256_adds_epi16(q, at(2, 1));
        q = _mm256_adds_epi16(q, at(0, 2));
        q = _mm256_adds_epi16(q, at(1, 2));
    }
    const __m256i d = _mm256_subs_epi16(_mm256_mulhi_epi16(p, c.k), _mm256_mulhi_epi16(q, c.k));
    const __m256i m = _mm256_srai_epi16(d, 15);
    __m256i a = _mm256_xor_si256(d, m);
    a = _mm256_adds_epu16(a, c.up);
    a = _mm256_subs_epu16(a, c.lo);
    const __m256i e = _mm256_xor_si256(a, m);
    const __m256i f = _mm256_mulhi_epi16(_mm256_slli_epi16(e, 2), c.s);
    return _mm256_subs_epi16(at(0, 0), f);
}

template <int Kind, int Rows>
EDGE_AVX2 void block_avx2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int m, const avx2_consts &c,
                          const sse2_consts &c4) {
    int j = 0;
    for (; j + 16 <= m; j += 16) {
        __m256i out[Rows];
        for (int i = 0; i < Rows; ++i) out[i] = lanes_avx2<Kind>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + i * ps + j), out[i]);
    }
    tail_sse2<Kind, Rows>(dst, src, ps, j, m, c4);
}

template <int Kind>
__attribute__((target("avx2"))) void rows_avx2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int h, int m,
                                               const edge_consts &ec) {
    const avx2_consts c = {_mm256_set1_epi16(ec.k), _mm256_set1_epi16(ec.s), _mm256_set1_epi16(int16_t(ec.up)),
                           _mm256_set1_epi16(int16_t(ec.lo))};
    const sse2_consts c4 = consts_sse2(ec);
    int r = 0;
    for (; r + 4 <= h; r += 4) block_avx2<Kind, 4>(dst + r * ps, src + r * ps, ps, m, c, c4);
    for (; r + 2 <= h; r += 2) block_avx2<Kind, 2>(dst + r * ps, src + r * ps, ps, m, c, c4);
    if (r < h) block_avx2<Kind, 1>(dst + r * ps, src + r * ps, ps, m, c, c4);
}

using rows_fn = void (*)(int16_t *dst, const int16_t *src, ptrdiff_t ps, int h, int m, const edge_consts &ec);

// Border, then the rows through the kernel of the neighbourhood.
template <rows_fn Rows0, rows_fn Rows1, rows_fn Rows2>
void simd_kernel(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const edge_params *p) {
    if (w <= 0 || h <= 0) return;
    const edge_consts c = edge_setup(p);
    edge_extend_border(src, w, h, c.b, pitch);
    const int m = (w + 1) * 3 / 4 * 4;
    const ptrdiff_t ps = ptrdiff_t(pitch) * 3;
    const rows_fn rows = c.kind == 0 ? Rows0 : c.kind == 1 ? Rows1 : Rows2;
    rows(samples(dst), samples(src), ps, h, m, c);
}

bool has_sse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}
bool has_avx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

}  // namespace
#endif

// ---------------------------------------------------------------------------
// Choice of kernel, once per load

namespace {
bool always() { return true; }
}  // namespace

const edge_impl edge_impls[] = {
    {"c", edge_kernel_c, always},
#if EDGE_X86
    {"sse2", simd_kernel<rows_sse2<0>, rows_sse2<1>, rows_sse2<2>>, has_sse2},
    {"avx2", simd_kernel<rows_avx2<0>, rows_avx2<1>, rows_avx2<2>>, has_avx2},
#endif
};
const int edge_impl_count = int(sizeof edge_impls / sizeof edge_impls[0]);

static edge_kernel_fn choose_kernel() {
    edge_kernel_fn best = edge_kernel_c;
    for (const edge_impl &i : edge_impls)
        if (i.usable()) best = i.kernel;
    return best;
}

const edge_kernel_fn edge_kernel = choose_kernel();

// ---------------------------------------------------------------------------
// Per-frame callback

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip) {
    const edge_params p = {fp->track[0], fp->track[1], fp->track[2], fp->track[3], fp->check[0] != 0};
    if (p.lower >= p.upper) return TRUE;  // nothing passes the limits: the frame goes through as it is
    if (fpip->w <= 0 || fpip->h <= 0) return TRUE;
    PIXEL_YC *const src = fpip->ycp_edit;
    PIXEL_YC *const dst = fpip->ycp_temp;
    fpip->ycp_edit = dst;
    fpip->ycp_temp = src;
    edge_kernel(dst, src, fpip->max_w, fpip->w, fpip->h, &p);
    return TRUE;
}
