#include "edge/edge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <iconv.h>
#endif

#include "testkit/filter_table.h"
#include "testkit/frame.h"

namespace {

using testkit::Frame;

const int16_t *samples(const Frame &f) { return reinterpret_cast<const int16_t *>(f.origin()); }

struct Tracks {
    int strength = 128, range = 1, lower = 32, upper = 128;
    int reverse = 0;
};

// One func_proc call as the host makes it.
BOOL run(Frame &edit, Frame &temp, int w, int h, const Tracks &t, FILTER_PROC_INFO *out = nullptr) {
    int track[4] = {t.strength, t.range, t.lower, t.upper};
    int check[1] = {t.reverse};
    FILTER fp{};
    fp.track = track;
    fp.check = check;
    FILTER_PROC_INFO fpip{0, edit.origin(), temp.origin(), w, h, edit.pitch(), edit.max_h()};
    const BOOL r = GetFilterTable()->func_proc(&fp, &fpip);
    if (out) *out = fpip;
    return r;
}

int border_of(int range) { return range == 0 || range == 1 ? 1 : 2; }
int min_pitch(int w, int range) { return w + 2 * border_of(range) + 1; }

TEST(EdgeTable, MatchesTheHostContract) {
    const FILTER_DLL *t = GetFilterTable();
    EXPECT_EQ(t->flag, 0x00040000);
    ASSERT_EQ(t->track_n, 4);
    const int def[] = {128, 1, 32, 128}, lo[] = {0, 0, 0, 0}, hi[] = {256, 2, 256, 256};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(t->track_default[i], def[i]) << i;
        EXPECT_EQ(t->track_s[i], lo[i]) << i;
        EXPECT_EQ(t->track_e[i], hi[i]) << i;
    }
    ASSERT_EQ(t->check_n, 1);
    EXPECT_EQ(t->check_default[0], 0);
    testkit::expect_pixel_filter_table(GetFilterTable);
}

#if defined(__GLIBC__)
std::string sjis_to_utf8(const char *s) {
    iconv_t cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == iconv_t(-1)) return "<no iconv>";
    std::string in(s), out(in.size() * 3 + 1, '\0');
    char *ip = in.data(), *op = out.data();
    size_t il = in.size(), ol = out.size();
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == size_t(-1) || il != 0) return "<invalid>";
    out.resize(out.size() - ol);
    return out;
}

TEST(EdgeTable, NamesAreShiftJis) {
    const FILTER_DLL *t = GetFilterTable();
    EXPECT_EQ(sjis_to_utf8(t->name), "エッジ強調フィルタ");
    const char *tracks[] = {"強さ", "範囲", "下限値", "上限値"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sjis_to_utf8(t->track_name[i]), tracks[i]) << i;
    EXPECT_EQ(sjis_to_utf8(t->check_name[0]), "強調方向を反転");
    EXPECT_EQ(sjis_to_utf8(t->information), "エッジ強調フィルタ version 1.00");
}
#endif

// A 5 x 5 picture split along the diagonal through the centre pixel (2, 2):
// `ul` above and to the left of it, `lr` below and to the right, so that every
// neighbour in the upper-left set reads ul and every one in the lower-right
// set reads lr, whatever the range. All three components alike.
struct Worked {
    const char *what;
    int range, reverse, strength, lower;
    short ul, centre, lr;
    short want;
};

const Worked kWorked[] = {
    {"range 0", 0, 0, 128, 32, 1000, 1000, 0, 847},
    {"range 0 reversed", 0, 1, 128, 32, 1000, 1000, 0, 1154},
    {"range 1", 1, 0, 128, 32, 1000, 1000, 0, 836},
    {"range 2", 2, 0, 128, 32, 1000, 1000, 0, 821},
    {"small negative difference rounds up", 0, 0, 128, 32, 500, 500, 502, 501},
    {"small positive difference vanishes", 0, 0, 128, 32, 502, 500, 500, 500},
    {"strength 0", 2, 0, 0, 32, 1000, 1000, 0, 1000},
};

TEST(EdgeWorked, CentreSample) {
    for (const Worked &c : kWorked) {
        Frame edit(10, 5), temp(10, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const short v = x + y < 4 ? c.ul : x + y == 4 ? c.centre : c.lr;
                edit.at(x, y) = {v, v, v};
            }
        Tracks t;
        t.range = c.range;
        t.reverse = c.reverse;
        t.strength = c.strength;
        t.lower = c.lower;
        ASSERT_EQ(run(edit, temp, 5, 5, t), TRUE);
        EXPECT_TRUE(testkit::same(temp.at(2, 2), PIXEL_YC{c.want, c.want, c.want}))
            << c.what << ": " << temp.at(2, 2).y << " " << temp.at(2, 2).cb << " " << temp.at(2, 2).cr;
    }
}

// The steps for one sample, on a picture read through clamped coordinates
// instead of border copies: what func_proc must give for every sample.
short model(const Frame &f, int w, int h, int x, int y, int comp, const Tracks &t) {
    struct Off {
        int dx, dy;
    };
    static const std::vector<Off> sets[3][2] = {
        {{{0, -1}, {-1, 0}}, {{1, 0}, {0, 1}}},
        {{{-1, -1}, {0, -1}, {-1, 0}}, {{1, 0}, {0, 1}, {1, 1}}},
        {{{-1, -2}, {0, -2}, {-2, -1}, {-1, -1}, {0, -1}, {-2, 0}, {-1, 0}},
         {{1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}}},
    };
    const int kind = t.range == 0 || t.range == 1 ? t.range : 2;
    const auto sample = [&](int px, int py) {
        const PIXEL_YC &p = f.at(std::clamp(px, 0, w - 1), std::clamp(py, 0, h - 1));
        return int(comp == 0 ? p.y : comp == 1 ? p.cb : p.cr);
    };
    const auto sat = [](int v) { return std::clamp(v, -32768, 32767); };
    const auto wrap = [](int v) { return int(int16_t(uint16_t(v))); };
    const auto mulhi = [](int a, int b) { return (a * b) >> 16; };
    int sum[2];
    for (int s = 0; s < 2; ++s) {
        const auto &set = sets[kind][s];
        sum[s] = sample(x + set[0].dx, y + set[0].dy);
        for (size_t i = 1; i < set.size(); ++i) sum[s] = sat(sum[s] + sample(x + set[i].dx, y + set[i].dy));
        if (kind == 0) sum[s] = wrap(sum[s] * 2);
    }
    static const int k_of[3] = {16384, 21845, 9362}, s_mul[3] = {256, 384, 896}, s_div[3] = {5, 7, 15};
    const int k = t.reverse ? -k_of[kind] : k_of[kind];
    const int s = wrap(t.strength * s_mul[kind] / s_div[kind]);
    const int d = sat(mulhi(sum[0], k) - mulhi(sum[1], k));
    const int mag = d < 0 ? -d - 1 : d;
    const int limited = std::max(0, std::min(mag, 4 * t.upper) - 4 * t.lower);
    const int e = d < 0 ? -limited - 1 : limited;
    return short(sat(sample(x, y) - mulhi(wrap(4 * e), s)));
}

// Small pictures, one pixel wide or high included, where every sample of the
// first and last rows and columns reads the nearest edge pixels.
TEST(EdgeModel, EverySampleOfSmallPictures) {
    const int sizes[][2] = {{1, 1}, {1, 4}, {4, 1}, {2, 2}, {3, 3}, {5, 4}, {7, 6}, {12, 3}};
    uint32_t seed = 1;
    for (const auto &sz : sizes)
        for (int range = 0; range < 3; ++range)
            for (int reverse = 0; reverse < 2; ++reverse) {
                const int w = sz[0], h = sz[1], pitch = min_pitch(w, range);
                Frame edit(pitch, h), temp(pitch, h);
                edit.randomize(w, h, seed++);
                // Sharp steps, so that the limits and the strength matter.
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        if ((x * 7 + y * 3 + int(seed)) % 5 < 2) edit.at(x, y).y = short(edit.at(x, y).y / 8);
                const Frame source = edit;
                Tracks t;
                t.range = range;
                t.reverse = reverse;
                t.strength = 200;
                t.lower = 3;
                t.upper = 200;
                ASSERT_EQ(run(edit, temp, w, h, t), TRUE);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const PIXEL_YC want = {model(source, w, h, x, y, 0, t), model(source, w, h, x, y, 1, t),
                                               model(source, w, h, x, y, 2, t)};
                        ASSERT_TRUE(testkit::same(temp.at(x, y), want))
                            << w << "x" << h << " range " << range << " reverse " << reverse << " pixel " << x
                            << "," << y << ": y " << temp.at(x, y).y << " want " << want.y;
                    }
            }
}

// After the border copies every pixel within b of the picture holds the
// nearest picture pixel, the corners included.
TEST(EdgeBorder, HoldsTheNearestPicturePixel) {
    const int sizes[][2] = {{1, 1}, {1, 3}, {3, 1}, {2, 5}, {6, 4}};
    for (const auto &sz : sizes)
        for (int b = 1; b <= 2; ++b) {
            const int w = sz[0], h = sz[1];
            Frame f(w + 2 * b + 1, h);
            f.randomize(w, h, uint32_t(w * 10 + h + b));
            const Frame source = f;
            edge_extend_border(f.origin(), w, h, b, f.pitch());
            for (int y = -b; y < h + b; ++y)
                for (int x = -b; x < w + b; ++x)
                    ASSERT_TRUE(testkit::same(f.at(x, y), source.at(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1))))
                        << w << "x" << h << " b " << b << " at " << x << "," << y;
        }
}

// Which samples a call may change, as offsets from the first sample of pixel
// (0, 0), where rows are 3 * pitch samples apart.
struct Room {
    int w, h, pitch, b;
    // The edit frame: the border copies, b pixels around the picture; the
    // row copies above and below carry the luma of column w + b along when
    // their length in bytes is not a multiple of four.
    bool edit(ptrdiff_t off) const {
        const ptrdiff_t ps = 3 * ptrdiff_t(pitch);
        ptrdiff_t row = off >= 0 ? off / ps : -((-off + ps - 1) / ps);
        ptrdiff_t x = (off - row * ps) / 3;
        const ptrdiff_t comp = (off - row * ps) % 3;
        if (x >= pitch - b) x -= pitch, ++row;  // a left border, in the slack of the row above
        const bool in_rows = row >= -b && row < h + b;
        const bool in_picture = row >= 0 && row < h && x >= 0 && x < w;
        if (in_rows && x >= -b && x < w + b) return !in_picture;
        const bool copied_row = (row < 0 || row >= h) && in_rows;
        return copied_row && (w + 2 * b) % 2 == 1 && x == w + b && comp == 0;
    }
    // The scratch frame: whole groups of four samples of the picture's rows.
    bool temp(ptrdiff_t off) const {
        const ptrdiff_t ps = 3 * ptrdiff_t(pitch);
        const ptrdiff_t n4 = (w + 1) * 3 / 4 * 4;
        return off >= 0 && off < h * ps && off % ps < n4;
    }
};

// Offsets of the samples of f (guard memory included) that differ from g.
std::vector<ptrdiff_t> changed(const Frame &f, const Frame &g) {
    const auto *a = reinterpret_cast<const int16_t *>(f.data().data());
    const auto *b = reinterpret_cast<const int16_t *>(g.data().data());
    const ptrdiff_t base = samples(f) - a;
    std::vector<ptrdiff_t> out;
    for (size_t i = 0; i < f.data().size() * 3; ++i)
        if (a[i] != b[i]) out.push_back(ptrdiff_t(i) - base);
    return out;
}

// Tight frames: the pitch at its minimum and exactly the two rows and two
// pixels of room before the picture and the two rows after it.
TEST(EdgeRoom, WritesStayInsideTheRoom) {
    for (int range = 0; range < 3; ++range)
        for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 13, 64})
            for (int h : {1, 2, 5}) {
                const int b = border_of(range), pitch = min_pitch(w, range);
                Frame edit(pitch, h), temp(pitch, h);
                edit.randomize(w, h, uint32_t(w * 31 + h));
                const Frame edit0 = edit, temp0 = temp;
                Tracks t;
                t.range = range;
                ASSERT_EQ(run(edit, temp, w, h, t), TRUE);
                const Room room = {w, h, pitch, b};
                for (ptrdiff_t off : changed(edit, edit0))
                    ASSERT_TRUE(room.edit(off)) << "edit frame, range " << range << " " << w << "x" << h << " at " << off;
                const auto written = changed(temp, temp0);
                for (ptrdiff_t off : written)
                    ASSERT_TRUE(room.temp(off)) << "scratch, range " << range << " " << w << "x" << h << " at " << off;
            }
}

// w = 5: 15 samples a row, four groups, so the luma of pixel 5 is written
// too and its colour samples are not.
TEST(EdgeRoom, FiveWideWritesSixteenSamples) {
    const int w = 5, h = 3, pitch = 10;
    Frame edit(pitch, h), temp(pitch, h);
    edit.randomize(w, h, 5);
    Tracks t;
    t.range = 2;
    ASSERT_EQ(run(edit, temp, w, h, t), TRUE);
    for (int y = 0; y < h; ++y) {
        EXPECT_NE(temp.at(5, y).y, testkit::kPoison.y) << y;
        EXPECT_EQ(temp.at(5, y).cb, testkit::kPoison.cb) << y;
        EXPECT_EQ(temp.at(5, y).cr, testkit::kPoison.cr) << y;
        for (int x = 6; x < pitch; ++x) EXPECT_TRUE(testkit::same(temp.at(x, y), testkit::kPoison)) << x << "," << y;
    }
}

// Calls that must leave both frames and both pointers as they were.
TEST(EdgeProc, PassThroughTouchesNothing) {
    struct Case {
        const char *what;
        int w, h, lower, upper;
    } cases[] = {
        {"lower = upper", 8, 4, 128, 128},
        {"lower > upper", 8, 4, 200, 100},
        {"upper negative", 8, 4, 5, -1},
        {"empty width", 0, 4, 32, 128},
        {"empty height", 8, 0, 32, 128},
        {"negative size", -3, -1, 32, 128},
    };
    for (const Case &c : cases) {
        Frame edit(16, 4), temp(16, 4);
        edit.randomize(8, 4, 9);
        const Frame edit0 = edit, temp0 = temp;
        Tracks t;
        t.lower = c.lower;
        t.upper = c.upper;
        FILTER_PROC_INFO out;
        EXPECT_EQ(run(edit, temp, c.w, c.h, t, &out), TRUE) << c.what;
        EXPECT_EQ(out.ycp_edit, edit.origin()) << c.what;
        EXPECT_EQ(out.ycp_temp, temp.origin()) << c.what;
        EXPECT_TRUE(edit.data() == edit0.data()) << c.what;
        EXPECT_TRUE(temp.data() == temp0.data()) << c.what;
    }
}

// A limit below the lower one still filters: only lower >= upper passes through.
TEST(EdgeProc, NegativeLowerLimitFilters) {
    Frame edit(10, 3), temp(10, 3);
    edit.randomize(5, 3, 4);
    Tracks t;
    t.lower = -5;
    t.upper = 0;
    FILTER_PROC_INFO out;
    ASSERT_EQ(run(edit, temp, 5, 3, t, &out), TRUE);
    EXPECT_EQ(out.ycp_edit, temp.origin());
}

TEST(EdgeProc, StrengthZeroCopiesAndExchanges) {
    for (int range = 0; range < 3; ++range)
        for (int reverse = 0; reverse < 2; ++reverse) {
            const int w = 9, h = 4;
            Frame edit(min_pitch(w, range), h), temp(min_pitch(w, range), h);
            edit.randomize(w, h, 3);
            const Frame source = edit;
            Tracks t;
            t.strength = 0;
            t.range = range;
            t.reverse = reverse;
            FILTER_PROC_INFO out;
            ASSERT_EQ(run(edit, temp, w, h, t, &out), TRUE);
            EXPECT_EQ(out.ycp_edit, temp.origin());
            EXPECT_EQ(out.ycp_temp, edit.origin());
            EXPECT_EQ(out.w, w);
            EXPECT_EQ(out.h, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    ASSERT_TRUE(testkit::same(temp.at(x, y), source.at(x, y))) << range << " " << x << "," << y;
                    ASSERT_TRUE(testkit::same(edit.at(x, y), source.at(x, y))) << "input changed at " << x << "," << y;
                }
        }
}

TEST(EdgeProc, UniformFrameIsUnchanged) {
    const PIXEL_YC values[] = {{0, 0, 0}, {4095, -2048, 2047}, {32767, -32768, 1}, {-32768, 32767, -1}};
    for (const PIXEL_YC &v : values)
        for (int range = 0; range < 3; ++range)
            for (int reverse = 0; reverse < 2; ++reverse) {
                const int w = 11, h = 5;
                Frame edit(min_pitch(w, range), h), temp(min_pitch(w, range), h);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) edit.at(x, y) = v;
                Tracks t;
                t.range = range;
                t.reverse = reverse;
                t.strength = 256;
                t.lower = 0;
                t.upper = 256;
                ASSERT_EQ(run(edit, temp, w, h, t), TRUE);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_TRUE(testkit::same(temp.at(x, y), v)) << v.y << " range " << range << " " << x << "," << y;
            }
}

// Every SIMD kernel against the plain one on random frames: every sample of
// both frames, guard memory included, must come out the same.
TEST(EdgeSimd, MatchesThePlainKernel) {
    const short extremes[] = {-32768, -32767, -16384, -8192, -1, 0, 1, 4095, 8191, 16384, 32766, 32767};
    const int large[] = {127, 128, 129, 255, 333, 720, 1921, 2049, 2051, 4099};
    int checked = 0;
    for (int i = 0; i < edge_impl_count; ++i) {
        const edge_impl &impl = edge_impls[i];
        if (impl.kernel == edge_kernel_c || !impl.usable()) continue;
        testkit::Rng rng(uint32_t(1234 + i));
        for (int n = 0; n < 600; ++n) {
            edge_params p;
            p.range = rng.below(8) == 0 ? rng.range(-3, 9) : rng.below(3);
            p.reverse = rng.below(2) != 0;
            p.strength = rng.below(10) == 0 ? rng.range(-70000, 70000) : rng.range(0, 256);
            p.lower = rng.below(10) == 0 ? int(rng.next()) : rng.range(0, 256);
            p.upper = rng.below(10) == 0 ? int(rng.next()) : rng.range(0, 256);
            const int w = n % 3 == 2 ? large[rng.below(10)] : rng.range(1, 70);
            const int h = rng.range(1, 9);  // blocks of 4, 2 and 1 rows, and pairs of rows, in one frame
            const int pitch = min_pitch(w, p.range) + (rng.below(3) == 0 ? rng.range(1, 9) : 0);
            const int mode = rng.below(4);

            Frame src(pitch, h);
            src.randomize(w, h, rng.next());
            auto *s = reinterpret_cast<int16_t *>(src.origin());
            for (int y = 0; y < h; ++y)
                for (int k = 0; k < 3 * w; ++k) {
                    int16_t &v = s[ptrdiff_t(y) * 3 * pitch + k];
                    if (mode == 1) v = int16_t(rng.next());
                    if (mode == 2) v = extremes[rng.below(12)];
                    if (mode == 3 && rng.below(2)) v = int16_t(v * 8);
                }
            Frame src_c = src, src_simd = src, dst_c(pitch, h), dst_simd(pitch, h);
            edge_kernel_c(dst_c.origin(), src_c.origin(), pitch, w, h, &p);
            impl.kernel(dst_simd.origin(), src_simd.origin(), pitch, w, h, &p);
            const auto diff = changed(dst_simd, dst_c);
            ASSERT_TRUE(diff.empty()) << impl.name << " case " << n << ": " << w << "x" << h << " pitch " << pitch
                                      << " range " << p.range << " reverse " << p.reverse << " strength "
                                      << p.strength << " limits " << p.lower << ".." << p.upper << " mode " << mode
                                      << ", first difference at sample " << diff[0];
            ASSERT_TRUE(src_simd.data() == src_c.data()) << impl.name << " case " << n << ": border differs";
            ++checked;
        }
    }
    if (checked == 0) GTEST_SKIP() << "this CPU runs no SIMD kernel";
}

}  // namespace
