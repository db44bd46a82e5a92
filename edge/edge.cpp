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
    static const int k_of[3] = {16384, 21845, 9362};  // 1/4 (of the doubled sum), 1/3, 1/7 in 0.16 fixed point
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
// SIMD kernels: the same steps on 16, 8 or 4 lanes at a time. A row ends with
// blocks of 8 and 4 lanes where its length asks for them, so that the kernels
// write exactly the samples that the plain one does. (32 lanes measured no
// faster than 16 on a full HD frame.)

#if EDGE_X86
namespace {

#define EDGE_SSE2 __attribute__((target("sse2"), always_inline)) inline
#define EDGE_AVX2 __attribute__((target("avx2"), always_inline)) inline

// Asks for the newest row a loop reads well before it gets there; the
// hardware's own prefetch alone leaves these loops waiting on the cache.
constexpr int kAhead = 512;  // samples
EDGE_SSE2 void prefetch(const int16_t *p) { _mm_prefetch(reinterpret_cast<const char *>(p + kAhead), _MM_HINT_T0); }

// ----- 8 and 4 lanes

struct sse2_consts {
    __m128i k, s, up, lo;
};

EDGE_SSE2 sse2_consts consts_sse2(const edge_consts &ec) {
    return {_mm_set1_epi16(ec.k), _mm_set1_epi16(ec.s), _mm_set1_epi16(int16_t(ec.up)), _mm_set1_epi16(int16_t(ec.lo))};
}

template <bool Half>
EDGE_SSE2 __m128i load_sse2(const int16_t *p) {
    const auto *v = reinterpret_cast<const __m128i *>(p);
    return Half ? _mm_loadl_epi64(v) : _mm_loadu_si128(v);
}

template <bool Half>
EDGE_SSE2 void store_sse2(int16_t *p, __m128i v) {
    auto *d = reinterpret_cast<__m128i *>(p);
    if (Half)
        _mm_storel_epi64(d, v);
    else
        _mm_storeu_si128(d, v);
}

// The samples of neighbour (dx, dy) of the samples at s, rows ps apart.
template <bool Half>
struct taps_sse2 {
    const int16_t *s;
    ptrdiff_t ps;
    EDGE_SSE2 __m128i operator()(int dx, int dy) const { return load_sse2<Half>(s + 3 * dx + dy * ps); }
};

// P' and Q': the upper-left and the lower-right sum, scaled by K.
template <int Kind, bool Half>
EDGE_SSE2 __m128i scaled_p_sse2(const taps_sse2<Half> &at, __m128i k) {
    __m128i p;
    if constexpr (Kind == 0) {
        p = _mm_adds_epi16(at(0, -1), at(-1, 0));
        p = _mm_add_epi16(p, p);  // shl 1
    } else if constexpr (Kind == 1) {
        p = _mm_adds_epi16(_mm_adds_epi16(at(-1, -1), at(0, -1)), at(-1, 0));
    } else {
        p = _mm_adds_epi16(at(-1, -2), at(0, -2));
        p = _mm_adds_epi16(p, at(-2, -1));
        p = _mm_adds_epi16(p, at(-1, -1));
        p = _mm_adds_epi16(p, at(0, -1));
        p = _mm_adds_epi16(p, at(-2, 0));
        p = _mm_adds_epi16(p, at(-1, 0));
    }
    return _mm_mulhi_epi16(p, k);
}

template <int Kind, bool Half>
EDGE_SSE2 __m128i scaled_q_sse2(const taps_sse2<Half> &at, __m128i k) {
    __m128i q;
    if constexpr (Kind == 0) {
        q = _mm_adds_epi16(at(1, 0), at(0, 1));
        q = _mm_add_epi16(q, q);
    } else if constexpr (Kind == 1) {
        q = _mm_adds_epi16(_mm_adds_epi16(at(1, 0), at(0, 1)), at(1, 1));
    } else {
        q = _mm_adds_epi16(at(1, 0), at(2, 0));
        q = _mm_adds_epi16(q, at(0, 1));
        q = _mm_adds_epi16(q, at(1, 1));
        q = _mm_adds_epi16(q, at(2, 1));
        q = _mm_adds_epi16(q, at(0, 2));
        q = _mm_adds_epi16(q, at(1, 2));
    }
    return _mm_mulhi_epi16(q, k);
}

// The output samples from P', Q' and the samples themselves.
EDGE_SSE2 __m128i finish_sse2(__m128i p, __m128i q, __m128i centre, const sse2_consts &c) {
    const __m128i d = _mm_sub_epi16(p, q);  // cannot saturate: |P'|, |Q'| <= 10923
    const __m128i m = _mm_cmpgt_epi16(_mm_setzero_si128(), d);
    __m128i a = _mm_xor_si128(d, m);
    a = _mm_adds_epu16(a, c.up);
    a = _mm_subs_epu16(a, c.lo);
    __m128i e = _mm_xor_si128(a, m);
    e = _mm_add_epi16(e, e);  // shl 2 as two additions, which more ports take than shifts
    e = _mm_add_epi16(e, e);
    return _mm_subs_epi16(centre, _mm_mulhi_epi16(e, c.s));
}

// Two against two or three against three: 8 output samples (4 when Half) for
// the samples at s.
template <int Kind, bool Half>
EDGE_SSE2 __m128i lanes_sse2(const int16_t *s, ptrdiff_t ps, const sse2_consts &c) {
    const taps_sse2<Half> at = {s, ps};
    return finish_sse2(scaled_p_sse2<Kind>(at, c.k), scaled_q_sse2<Kind>(at, c.k), at(0, 0), c);
}

// Two against two or three against three, samples [j, m) of Rows rows. The
// rows are computed before any is stored, so that the loads they share are
// made once: fewer loads per sample outweigh making each sum twice.
template <int Kind, int Rows>
EDGE_SSE2 void block_sse2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int j, int m, const sse2_consts &c) {
    __m128i out[Rows];
    for (; j + 8 <= m; j += 8) {
        prefetch(src + Rows * ps + j);
        for (int i = 0; i < Rows; ++i) out[i] = lanes_sse2<Kind, false>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) store_sse2<false>(dst + i * ps + j, out[i]);
    }
    if (j < m) {
        for (int i = 0; i < Rows; ++i) out[i] = lanes_sse2<Kind, true>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) store_sse2<true>(dst + i * ps + j, out[i]);
    }
}

// Seven against seven (two against two alike): the upper-left set of a pixel
// is the lower-right set of the pixel b columns left of it and b rows up, summed
// in the same order, so P' at (x, y) is Q' at (x - b, y - b). A row's Q' is
// kept in a ring of row buffers for the row b further down, and each sum is
// made once. One step of such a row: Q' of the samples at s into q and, with
// Out, the output samples into d, with P' from p.
template <int Kind, bool Out, bool Half>
EDGE_SSE2 void shared_step_sse2(int16_t *d, int16_t *q, const int16_t *p, const int16_t *s, ptrdiff_t ps,
                                const sse2_consts &c) {
    const taps_sse2<Half> at = {s, ps};
    const __m128i qv = scaled_q_sse2<Kind>(at, c.k);
    store_sse2<Half>(q, qv);
    if (Out) store_sse2<Half>(d, finish_sse2(load_sse2<Half>(p), qv, at(0, 0), c));
}

// The samples [j, n) of a row that are left for 8 and 4 lanes.
template <int Kind, bool Out>
EDGE_SSE2 void shared_tail_sse2(int16_t *d, int16_t *q, const int16_t *p, const int16_t *s, ptrdiff_t ps, int j,
                                int n, const sse2_consts &c) {
    for (; j + 8 <= n; j += 8) shared_step_sse2<Kind, Out, false>(d + j, q + j, p + j, s + j, ps, c);
    if (j < n) shared_step_sse2<Kind, Out, true>(d + j, q + j, p + j, s + j, ps, c);
}

// Q' of the 8 samples before a row, which the row b further down takes for
// its first 3b samples.
template <int Kind>
EDGE_SSE2 void shared_lead_sse2(int16_t *q, const int16_t *s, ptrdiff_t ps, const sse2_consts &c) {
    shared_step_sse2<Kind, false, false>(nullptr, q - 8, nullptr, s - 8, ps, c);
}

// ----- 16 lanes

struct avx2_consts {
    __m256i k, s, up, lo;
};

EDGE_AVX2 avx2_consts consts_avx2(const edge_consts &ec) {
    return {_mm256_set1_epi16(ec.k), _mm256_set1_epi16(ec.s), _mm256_set1_epi16(int16_t(ec.up)),
            _mm256_set1_epi16(int16_t(ec.lo))};
}

EDGE_AVX2 __m256i load_avx2(const int16_t *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
EDGE_AVX2 void store_avx2(int16_t *p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v); }

struct taps_avx2 {
    const int16_t *s;
    ptrdiff_t ps;
    EDGE_AVX2 __m256i operator()(int dx, int dy) const { return load_avx2(s + 3 * dx + dy * ps); }
};

template <int Kind>
EDGE_AVX2 __m256i scaled_p_avx2(const taps_avx2 &at, __m256i k) {
    __m256i p;
    if constexpr (Kind == 0) {
        p = _mm256_adds_epi16(at(0, -1), at(-1, 0));
        p = _mm256_add_epi16(p, p);
    } else if constexpr (Kind == 1) {
        p = _mm256_adds_epi16(_mm256_adds_epi16(at(-1, -1), at(0, -1)), at(-1, 0));
    } else {
        p = _mm256_adds_epi16(at(-1, -2), at(0, -2));
        p = _mm256_adds_epi16(p, at(-2, -1));
        p = _mm256_adds_epi16(p, at(-1, -1));
        p = _mm256_adds_epi16(p, at(0, -1));
        p = _mm256_adds_epi16(p, at(-2, 0));
        p = _mm256_adds_epi16(p, at(-1, 0));
    }
    return _mm256_mulhi_epi16(p, k);
}

template <int Kind>
EDGE_AVX2 __m256i scaled_q_avx2(const taps_avx2 &at, __m256i k) {
    __m256i q;
    if constexpr (Kind == 0) {
        q = _mm256_adds_epi16(at(1, 0), at(0, 1));
        q = _mm256_add_epi16(q, q);
    } else if constexpr (Kind == 1) {
        q = _mm256_adds_epi16(_mm256_adds_epi16(at(1, 0), at(0, 1)), at(1, 1));
    } else {
        q = _mm256_adds_epi16(at(1, 0), at(2, 0));
        q = _mm256_adds_epi16(q, at(0, 1));
        q = _mm256_adds_epi16(q, at(1, 1));
        q = _mm256_adds_epi16(q, at(2, 1));
        q = _mm256_adds_epi16(q, at(0, 2));
        q = _mm256_adds_epi16(q, at(1, 2));
    }
    return _mm256_mulhi_epi16(q, k);
}

EDGE_AVX2 __m256i finish_avx2(__m256i p, __m256i q, __m256i centre, const avx2_consts &c) {
    const __m256i d = _mm256_sub_epi16(p, q);
    const __m256i m = _mm256_cmpgt_epi16(_mm256_setzero_si256(), d);
    __m256i a = _mm256_xor_si256(d, m);
    a = _mm256_adds_epu16(a, c.up);
    a = _mm256_subs_epu16(a, c.lo);
    __m256i e = _mm256_xor_si256(a, m);
    e = _mm256_add_epi16(e, e);
    e = _mm256_add_epi16(e, e);
    return _mm256_subs_epi16(centre, _mm256_mulhi_epi16(e, c.s));
}

template <int Kind>
EDGE_AVX2 __m256i lanes_avx2(const int16_t *s, ptrdiff_t ps, const avx2_consts &c) {
    const taps_avx2 at = {s, ps};
    return finish_avx2(scaled_p_avx2<Kind>(at, c.k), scaled_q_avx2<Kind>(at, c.k), at(0, 0), c);
}

template <int Kind, int Rows>
EDGE_AVX2 void block_avx2(int16_t *dst, const int16_t *src, ptrdiff_t ps, int j, int m, const avx2_consts &c,
                          const sse2_consts &c4) {
    __m256i out[Rows];
    for (; j + 16 <= m; j += 16) {
        if (j % 32 == 0)  // once a cache line, for each row that no block before has read
            for (int i = 1; i <= Rows; ++i) prefetch(src + i * ps + j);
        for (int i = 0; i < Rows; ++i) out[i] = lanes_avx2<Kind>(src + i * ps + j, ps, c);
        for (int i = 0; i < Rows; ++i) store_avx2(dst + i * ps + j, out[i]);
    }
    block_sse2<Kind, Rows>(dst, src, ps, j, m, c4);
}

template <int Kind, bool Out>
EDGE_AVX2 void shared_step_avx2(int16_t *d, int16_t *q, const int16_t *p, const int16_t *s, ptrdiff_t ps,
                                const avx2_consts &c) {
    const taps_avx2 at = {s, ps};
    const __m256i qv = scaled_q_avx2<Kind>(at, c.k);
    store_avx2(q, qv);
    if (Out) store_avx2(d, finish_avx2(load_avx2(p), qv, at(0, 0), c));
}

// Rows rows at once, rows ps apart in the frame, each with its own ring
// buffers: the rows share most of their loads.
template <int Kind, bool Out, int Rows>
EDGE_AVX2 void shared_rows_avx2(int16_t *const *d, int16_t *const *q, const int16_t *const *p, const int16_t *s,
                                ptrdiff_t ps, int n, const avx2_consts &c, const sse2_consts &c4) {
    for (int i = 0; i < Rows; ++i) shared_lead_sse2<Kind>(q[i], s + i * ps, ps, c4);
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        for (int i = 0; i < Rows; ++i) prefetch(s + (i + (Kind == 0 ? 1 : 2)) * ps + j);
        __m256i qv[Rows], out[Rows];
        for (int i = 0; i < Rows; ++i) {
            const taps_avx2 at = {s + i * ps + j, ps};
            qv[i] = scaled_q_avx2<Kind>(at, c.k);
            if (Out) out[i] = finish_avx2(load_avx2(p[i] + j), qv[i], at(0, 0), c);
        }
        for (int i = 0; i < Rows; ++i) {
            store_avx2(q[i] + j, qv[i]);
            if (Out) store_avx2(d[i] + j, out[i]);
        }
    }
    for (int i = 0; i < Rows; ++i) shared_tail_sse2<Kind, Out>(d[i], q[i], p[i], s + i * ps, ps, j, n, c4);
}

template <int Kind, bool Out>
EDGE_AVX2 void shared_tail_avx2(int16_t *d, int16_t *q, const int16_t *p, const int16_t *s, ptrdiff_t ps, int j,
                                int n, const avx2_consts &c, const sse2_consts &c4) {
    for (; j + 16 <= n; j += 16) {
        prefetch(s + (Kind == 0 ? 1 : 2) * ps + j);
        shared_step_avx2<Kind, Out>(d + j, q + j, p + j, s + j, ps, c);
    }
    shared_tail_sse2<Kind, Out>(d, q, p, s, ps, j, n, c4);
}

// ----- One kernel per instruction set. Each call builds its constants, so
// the row loops below stay free of any instruction set.

struct isa_sse2 {
    static constexpr int block_rows = 2;  // eight registers on 32-bit x86
    static constexpr int shared_rows = 1;

    template <int Kind, int Rows>
    static __attribute__((target("sse2"))) void block(int16_t *dst, const int16_t *src, ptrdiff_t ps, int m,
                                                      const edge_consts &ec) {
        block_sse2<Kind, Rows>(dst, src, ps, 0, m, consts_sse2(ec));
    }

    template <int Kind, bool Out>
    static __attribute__((target("sse2"))) void shared_row(int16_t *d, int16_t *q, const int16_t *p,
                                                           const int16_t *s, ptrdiff_t ps, int n,
                                                           const edge_consts &ec) {
        const sse2_consts c = consts_sse2(ec);
        shared_lead_sse2<Kind>(q, s, ps, c);
        int j = 0;
        for (; j + 8 <= n; j += 8) {
            prefetch(s + (Kind == 0 ? 1 : 2) * ps + j);
            shared_step_sse2<Kind, Out, false>(d + j, q + j, p + j, s + j, ps, c);
        }
        shared_tail_sse2<Kind, Out>(d, q, p, s, ps, j, n, c);
    }
};

struct isa_avx2 {
    static constexpr int block_rows = 4;

    template <int Kind, int Rows>
    static __attribute__((target("avx2"))) void block(int16_t *dst, const int16_t *src, ptrdiff_t ps, int m,
                                                      const edge_consts &ec) {
        block_avx2<Kind, Rows>(dst, src, ps, 0, m, consts_avx2(ec), consts_sse2(ec));
    }

    template <int Kind, bool Out>
    static __attribute__((target("avx2"))) void shared_row(int16_t *d, int16_t *q, const int16_t *p,
                                                           const int16_t *s, ptrdiff_t ps, int n,
                                                           const edge_consts &ec) {
        const sse2_consts c4 = consts_sse2(ec);
        shared_lead_sse2<Kind>(q, s, ps, c4);
        shared_tail_avx2<Kind, Out>(d, q, p, s, ps, 0, n, consts_avx2(ec), c4);
    }

    static constexpr int shared_rows = 2;

    template <int Kind, bool Out, int Rows>
    static __attribute__((target("avx2"))) void shared_block(int16_t *const *d, int16_t *const *q,
                                                             const int16_t *const *p, const int16_t *s,
                                                             ptrdiff_t ps, int n, const edge_consts &ec) {
        shared_rows_avx2<Kind, Out, Rows>(d, q, p, s, ps, n, consts_avx2(ec), consts_sse2(ec));
    }
};

// ----- Rows

// Wide frames go in strips of kStrip samples, which bounds the ring of row
// buffers on the stack; a full HD row is one strip.
constexpr int kStrip = 6144;
constexpr int kLead = 16;  // Q' kept before a strip's first sample, 3b of them used; keeps the rows aligned

template <class Isa, int Kind>
void rows_simd(int16_t *dst, const int16_t *src, ptrdiff_t ps, int h, int m, const edge_consts &ec) {
    if constexpr (Kind != 2) {
        int r = 0;
        if constexpr (Isa::block_rows >= 4)
            for (; r + 4 <= h; r += 4) Isa::template block<Kind, 4>(dst + r * ps, src + r * ps, ps, m, ec);
        for (; r + 2 <= h; r += 2) Isa::template block<Kind, 2>(dst + r * ps, src + r * ps, ps, m, ec);
        if (r < h) Isa::template block<Kind, 1>(dst + r * ps, src + r * ps, ps, m, ec);
    } else {
        constexpr int b = Kind == 0 ? 1 : 2;
        constexpr int rows = Isa::shared_rows;
        constexpr int ring_n = b + rows;  // rows r - b .. r + rows - 1
        alignas(32) int16_t ring[ring_n][kLead + kStrip];
        const auto q_of = [&](int r) { return ring[(r + b) % ring_n] + kLead; };
        const auto p_of = [&](int r) -> const int16_t * { return q_of(r - b) - 3 * b; };  // b pixels left
        for (int j0 = 0; j0 < m; j0 += kStrip) {
            const int n = m - j0 < kStrip ? m - j0 : kStrip;
            int r = -b;
            for (; r < 0; ++r)  // Q' of the rows above the picture
                Isa::template shared_row<Kind, false>(nullptr, q_of(r), nullptr, src + r * ps + j0, ps, n, ec);
            if constexpr (rows > 1)
                for (; r + rows <= h; r += rows) {
                    int16_t *d[rows], *q[rows];
                    const int16_t *p[rows];
                    for (int i = 0; i < rows; ++i) {
                        d[i] = dst + (r + i) * ps + j0;
                        q[i] = q_of(r + i);
                        p[i] = p_of(r + i);
                    }
                    Isa::template shared_block<Kind, true, rows>(d, q, p, src + r * ps + j0, ps, n, ec);
                }
            for (; r < h; ++r)
                Isa::template shared_row<Kind, true>(dst + r * ps + j0, q_of(r), p_of(r), src + r * ps + j0, ps, n, ec);
        }
    }
}

// Border, then the rows through the kernel of the neighbourhood.
template <class Isa>
void simd_kernel(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const edge_params *p) {
    if (w <= 0 || h <= 0) return;
    const edge_consts c = edge_setup(p);
    edge_extend_border(src, w, h, c.b, pitch);
    const int m = (w + 1) * 3 / 4 * 4;
    const ptrdiff_t ps = ptrdiff_t(pitch) * 3;
    switch (c.kind) {
    case 0: rows_simd<Isa, 0>(samples(dst), samples(src), ps, h, m, c); break;
    case 1: rows_simd<Isa, 1>(samples(dst), samples(src), ps, h, m, c); break;
    default: rows_simd<Isa, 2>(samples(dst), samples(src), ps, h, m, c); break;
    }
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
    {"sse2", simd_kernel<isa_sse2>, has_sse2},
    {"avx2", simd_kernel<isa_avx2>, has_avx2},
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
