#include "spindle/spindle.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "testkit/filter_table.h"
#include "testkit/frame.h"

namespace {

using testkit::Frame;
using testkit::Rng;

constexpr PIXEL_YC kBlack = {0, 0, 0};

PIXEL_YC inverse(PIXEL_YC p) { return {short(4095 - p.y), p.cr, p.cb}; }

// ---------------------------------------------------------------------------
// Table

TEST(SpindleTable, MatchesTheHostContract) {
    const FILTER_DLL *t = GetFilterTable();
    EXPECT_EQ(t->flag, 0x00040000);
    EXPECT_EQ(std::string(t->name), "Rotate/Zoom     ");
    ASSERT_EQ(t->track_n, 7);
    const struct {
        const char *name;
        int def, lo, hi;
    } tracks[] = {
        {"Width   ", 352, 1, 640}, {"Height  ", 240, 1, 480}, {"X off", 0, -640, 640}, {"Y off", 0, -480, 480},
        {"Hori  ", 352, 1, 640},   {"Vert  ", 240, 1, 480},   {"Rotate", 0, 0, 360},
    };
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(std::string(t->track_name[i]), tracks[i].name) << i;
        EXPECT_EQ(t->track_default[i], tracks[i].def) << i;
        EXPECT_EQ(t->track_s[i], tracks[i].lo) << i;
        EXPECT_EQ(t->track_e[i], tracks[i].hi) << i;
    }
    ASSERT_EQ(t->check_n, 7);
    const std::string checks[] = {"Flip Ver", "Flip Hor", "Rotate  ", "Border    ", "Maintain Aspect ", "DEBUG",
                                  "Fit to frame" + std::string(28, ' ')};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(std::string(t->check_name[i]), checks[i]) << i;
        EXPECT_EQ(t->check_default[i], i == 4) << i;
    }
    EXPECT_EQ(std::strlen(t->check_name[6]), 40u);
    testkit::expect_pixel_filter_table(GetFilterTable);
}

// ---------------------------------------------------------------------------
// Working parameters

TEST(SpindleSine, TableAndQuadrantsAreRoundedSineAndCosine) {
    const double rad = std::acos(-1.0) / 180;
    for (int k = 0; k <= 90; ++k) EXPECT_EQ(spindle_sine[k], std::lround(256 * std::sin(k * rad))) << k;
    for (int a = 0; a <= 360; ++a) {
        int s, c;
        spindle_sin_cos(a, &s, &c);
        EXPECT_EQ(s, std::lround(256 * std::sin(a * rad)) + 0) << a;
        EXPECT_EQ(c, std::lround(256 * std::cos(a * rad)) + 0) << a;
    }
    const int pairs[][3] = {{0, 0, 256},    {90, 256, 0},   {180, 0, -256}, {270, -256, 0},
                            {360, 0, 256},  {30, 128, 222}, {135, 181, -181}};
    for (const auto &p : pairs) {
        int s, c;
        spindle_sin_cos(p[0], &s, &c);
        EXPECT_EQ(s, p[1]) << p[0];
        EXPECT_EQ(c, p[2]) << p[0];
    }
}

using Tracks = std::array<int, 7>;  // Width Height X Y Hori Vert Rotate
using Checks = std::array<int, 7>;  // FlipV FlipH Rotate Border Aspect DEBUG Fit
constexpr Tracks kDefTracks = {352, 240, 0, 0, 352, 240, 0};
constexpr Checks kDefChecks = {0, 0, 0, 0, 1, 0, 0};

TEST(SpindleDerive, SizesWindowsAndClipping) {
    const struct {
        const char *what;
        int w, h, max_w, max_h;
        Tracks t;
        Checks c;
        int out_w, out_h, cols, rows, win_w, win_h;
    } cases[] = {
        {"defaults on 352x240", 352, 240, 352, 240, kDefTracks, kDefChecks, 352, 240, 352, 240, 352, 240},
        {"defaults on 720x480", 720, 480, 720, 480, kDefTracks, kDefChecks, 352, 240, 352, 240, 355, 236},
        {"fit to frame keeps the frame size", 720, 480, 736, 480, {100, 50, 0, 0, 300, 200, 0},
         {0, 0, 0, 0, 0, 0, 1}, 720, 480, 720, 480, 300, 200},
        {"fit to frame with aspect", 720, 480, 720, 480, kDefTracks, {0, 0, 0, 0, 1, 0, 1}, 720, 480, 720, 480, 355,
         236},
        {"output wider and taller than the frames", 352, 240, 360, 250, {640, 480, 0, 0, 352, 240, 0}, kDefChecks,
         640, 480, 360, 250, 352, 240},
        {"tracks outside their ranges", 352, 240, 1000, 1000, {5000, -3, 9999, -9999, 0, 900, 400},
         {0, 0, 1, 0, 0, 0, 0}, 640, 1, 640, 1, 1, 480},
        {"empty frame", 0, 0, 8, 8, kDefTracks, kDefChecks, 352, 240, 8, 8, 0, 0},
    };
    for (const auto &k : cases) {
        const spindle_params p = spindle_derive(k.t.data(), k.c.data(), k.w, k.h, k.max_w, k.max_h);
        EXPECT_EQ(p.out_w, k.out_w) << k.what;
        EXPECT_EQ(p.out_h, k.out_h) << k.what;
        EXPECT_EQ(p.cols, k.cols) << k.what;
        EXPECT_EQ(p.rows, k.rows) << k.what;
        EXPECT_EQ(p.win_w, k.win_w) << k.what;
        EXPECT_EQ(p.win_h, k.win_h) << k.what;
    }
    const Tracks t = {352, 240, 600, -700, 352, 240, 400};
    const spindle_params p = spindle_derive(t.data(), Checks{0, 0, 1, 0, 0, 0, 0}.data(), 353, 241, 353, 241);
    EXPECT_EQ(p.off_x, 600);
    EXPECT_EQ(p.off_y, -480);
    EXPECT_EQ(p.sin_a, 0);
    EXPECT_EQ(p.cos_a, 256);
    EXPECT_EQ(p.cx, 176);
    EXPECT_EQ(p.cy, 120);
}

// ---------------------------------------------------------------------------
// One call through the plug-in, on frames with guard memory

struct Call {
    Frame edit, temp, source;  // source: the picture as it came in
    FILTER_PROC_INFO fpip{};
    bool swapped() const { return fpip.ycp_edit == temp.origin(); }
    const Frame &out() const { return swapped() ? temp : edit; }
    const Frame &scratch() const { return swapped() ? edit : temp; }
};

// Runs func_proc on a w x h picture in frames of pitch x max_h; `paint`, when
// given, draws the picture, otherwise it is random.
template <class Paint>
Call run(int w, int h, int pitch, int max_h, Tracks t, Checks c, Paint paint) {
    Call k{Frame(pitch, max_h), Frame(pitch, max_h), Frame(pitch, max_h)};
    paint(k.edit);
    k.source = k.edit;
    FILTER fp{};
    fp.track = t.data();
    fp.check = c.data();
    k.fpip = {0, k.edit.origin(), k.temp.origin(), w, h, pitch, max_h};
    EXPECT_EQ(GetFilterTable()->func_proc(&fp, &k.fpip), 1);
    EXPECT_EQ(k.fpip.max_w, pitch);
    EXPECT_EQ(k.fpip.max_h, max_h);
    return k;
}

Call run(int w, int h, int pitch, int max_h, Tracks t, Checks c, uint32_t seed = 1) {
    return run(w, h, pitch, max_h, t, c, [&](Frame &f) { f.randomize(w, h, seed); });
}

TEST(SpindleFlow, DefaultsOn352x240GiveTheInput) {
    const Call k = run(352, 240, 360, 242, kDefTracks, kDefChecks);
    EXPECT_TRUE(k.swapped());
    EXPECT_EQ(k.fpip.w, 352);
    EXPECT_EQ(k.fpip.h, 240);
    EXPECT_EQ(testkit::picture_crc(k.out().origin(), 352, 240, 360),
              testkit::picture_crc(k.source.origin(), 352, 240, 360));
    EXPECT_EQ(k.out().changed_outside(0, 0, 352, 240), 0);
}

TEST(SpindleFlow, DefaultsOn720x480ScaleTheShrunkWindow) {
    const Call k = run(720, 480, 720, 480, kDefTracks, kDefChecks);
    EXPECT_EQ(k.fpip.w, 352);
    EXPECT_EQ(k.fpip.h, 240);
    EXPECT_EQ(k.out().changed_outside(0, 0, 352, 240), 0);
    // The window is 355 x 236: output (351, 239) lies at x = 351·355·32 / 352
    // = 353 + 31/32 and y = 239·236·32 / 240 = 235 exactly.
    const PIXEL_YC a = k.source.at(353, 235), b = k.source.at(354, 235), o = k.out().at(351, 239);
    EXPECT_EQ(o.y, (a.y + 31 * b.y) / 32);
    EXPECT_EQ(o.cb, (a.cb + 31 * b.cb) / 32);
    EXPECT_EQ(o.cr, (a.cr + 31 * b.cr) / 32);
}

TEST(SpindleFlow, FlipsAndCheckMode) {
    const int w = 37, h = 23, pitch = 40, max_h = 25;
    const struct {
        const char *what;
        int flip_v, flip_h, debug;
    } cases[] = {
        {"vertical", 1, 0, 1}, {"horizontal", 0, 1, 1}, {"both", 1, 1, 1}, {"none", 0, 0, 1},
        {"both, resampled 1:1", 1, 1, 0},
    };
    for (const auto &f : cases) {
        // win = out = the frame with aspect off: the resampling copies the picture
        const Call k = run(w, h, pitch, max_h, {w, h, 0, 0, w, h, 0}, {f.flip_v, f.flip_h, 0, 0, 0, f.debug, 0});
        const bool flipped = f.flip_v || f.flip_h;
        EXPECT_EQ(k.swapped(), flipped != !f.debug) << f.what;  // one exchange for the flip, one for the output
        EXPECT_EQ(k.fpip.w, w) << f.what;
        EXPECT_EQ(k.fpip.h, h) << f.what;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(k.out().at(x, y), k.source.at(f.flip_h ? w - 1 - x : x, f.flip_v ? h - 1 - y : y))
                    << f.what << " " << x << "," << y;
        EXPECT_EQ(k.out().changed_outside(0, 0, w, h), 0) << f.what;
        if (f.debug && !flipped) {
            EXPECT_TRUE(k.temp.data() == Frame(pitch, max_h).data()) << f.what;
        }
    }
}

// Check mode with a flip: the outline is drawn into the flipped frame.
TEST(SpindleFlow, CheckModeShowsTheOutlineOnTheFlippedFrame) {
    const int w = 30, h = 20;
    const Call k = run(w, h, w, h, {w, h, 2, 3, 10, 8, 0}, {0, 1, 0, 1, 0, 1, 0});
    EXPECT_TRUE(k.swapped());
    EXPECT_EQ(k.out().at(2, 3), inverse(k.source.at(w - 1 - 2, 3)));
    EXPECT_EQ(k.out().at(20, 3), k.source.at(w - 1 - 20, 3));
    EXPECT_EQ(k.out().changed_outside(0, 0, w, h), 0);
}

// ---------------------------------------------------------------------------
// Resampling, worked cases

// A picture whose pixel (x, y) has luma 8 * x + y + 1 and colours of both signs.
void ramp(Frame &f, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.at(x, y) = {short(8 * x + y + 1), short(x - y), short(-3 * x - 7)};
}

TEST(SpindleResample, StraightWindowEdges) {
    const auto paint = [](Frame &f) { ramp(f, 352, 240); };
    {
        // off_x 32, win 320 over 640: column 639 is source 351 half and half with black
        const Call k = run(352, 240, 640, 240, {640, 240, 32, 0, 320, 240, 0}, {0, 0, 0, 0, 0, 0, 0}, paint);
        EXPECT_EQ(k.fpip.w, 640);
        for (int y : {0, 100, 239}) {
            const PIXEL_YC s = k.source.at(351, y);
            EXPECT_EQ(k.out().at(639, y), (PIXEL_YC{short(s.y / 2), short(s.cb / 2), short(s.cr / 2)})) << y;
            EXPECT_EQ(k.out().at(638, y), s) << y;
        }
    }
    {
        // off_x -10 at 1:1: columns 0 to 9 are black, column 10 is source column 0
        const Call k = run(352, 240, 352, 240, {352, 240, -10, 0, 352, 240, 0}, {0, 0, 0, 0, 0, 0, 0}, paint);
        for (int y : {0, 239}) {
            for (int x = 0; x < 10; ++x) EXPECT_EQ(k.out().at(x, y), kBlack) << x;
            EXPECT_EQ(k.out().at(10, y), k.source.at(0, y));
            EXPECT_EQ(k.out().at(351, y), k.source.at(341, y));
        }
    }
}

// A weighted sum of -1023 gives 0: the division truncates toward zero.
TEST(SpindleResample, NegativeSumsTruncateTowardZero) {
    // win 1 over out 32 puts output (1, 1) at fx = fy = 1 from source (0, 0)
    const Call k = run(2, 2, 32, 32, {32, 32, 0, 0, 1, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, [](Frame &f) {
        f.at(0, 0) = f.at(1, 0) = f.at(0, 1) = {-1, -1, -1};
        f.at(1, 1) = {0, 0, 0};
    });
    EXPECT_EQ(k.out().at(1, 1), kBlack);  // 31*31 + 31 + 31 = 1023 parts of -1
    EXPECT_EQ(k.out().at(0, 0), (PIXEL_YC{-1, -1, -1}));
}

TEST(SpindleResample, RotatedMappings) {
    const int w = 64, h = 48;
    const auto paint = [](Frame &f) { ramp(f, 64, 48); };
    const Checks rot = {0, 0, 1, 0, 0, 0, 0};
    {
        const Call k = run(w, h, w, h, {w, h, w / 2, h / 2, w, h, 0}, rot, paint);
        EXPECT_EQ(testkit::picture_crc(k.out().origin(), w, h, w), testkit::picture_crc(k.source.origin(), w, h, w));
    }
    {
        // 180 degrees: output (c, r) is source (w - c, h - r); row 0 and column 0 are black
        const Call k = run(w, h, w, h, {w, h, w / 2, h / 2, w, h, 180}, rot, paint);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const PIXEL_YC want = c == 0 || r == 0 ? kBlack : k.source.at(w - c, h - r);
                ASSERT_EQ(k.out().at(c, r), want) << c << "," << r;
            }
    }
    {
        // 90 degrees: the pixel right of the centre shows the source pixel below (off_x, off_y)
        const Call k = run(w, h, w, h, {w, h, 20, 10, w, h, 90}, rot, paint);
        EXPECT_EQ(k.out().at(w / 2, h / 2), k.source.at(20, 10));
        EXPECT_EQ(k.out().at(w / 2 + 1, h / 2), k.source.at(20, 11));
        EXPECT_EQ(k.out().at(w / 2, h / 2 + 1), k.source.at(19, 10));
    }
    {
        // 30 degrees (sin 128, cos 222), window = output: left of the centre
        // U = t8(-222) = -27, not -28, so fx = 5; V = t8(-128) = -16, fy = 16.
        // Only the top-right tap (off_x, off_y - 1) is lit: 3200 * 5 * 16 / 1024.
        const Call k = run(w, h, w, h, {w, h, 20, 10, w, h, 30}, rot, [](Frame &f) {
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x) f.at(x, y) = kBlack;
            f.at(20, 9) = {3200, -3200, 640};
        });
        EXPECT_EQ(k.out().at(w / 2 - 1, h / 2), (PIXEL_YC{250, -250, 50}));
        // Above the centre: U = -t8(-128) = 16, V = t8(-222) = -27, so fx = 16,
        // fy = 5 from (off_x, off_y - 1): the same tap, weighted 16 * (32 - 5).
        EXPECT_EQ(k.out().at(w / 2, h / 2 - 1), (PIXEL_YC{1350, -1350, 270}));
    }
    {
        // U = -1 left of the centre: 1/32 of a pixel left of off_x
        const Call k = run(w, h, w, h, {32, h, 20, 10, 1, h, 0}, rot, paint);
        const PIXEL_YC a = k.source.at(19, 10), b = k.source.at(20, 10);
        EXPECT_EQ(k.out().at(w / 2 - 1, h / 2).y, (a.y + 31 * b.y) / 32);
        EXPECT_EQ(k.out().at(w / 2 - 1, h / 2).cr, (a.cr + 31 * b.cr) / 32);
    }
}

// ---------------------------------------------------------------------------
// Outline

TEST(SpindleOutline, InvertsTheWindowOutline) {
    const struct {
        const char *what;
        Tracks t;
        int rotate;
        long inverted;                            // pixels that change
        std::vector<std::array<int, 2>> on, off;  // pixels that must and must not change
    } cases[] = {
        {"15 x 11 at (3, 2)", {0, 0, 3, 2, 15, 11, 0}, 0, 120,
         {{3, 2}, {3, 12}, {17, 2}, {17, 12}, {10, 2}, {10, 12}, {4, 3}, {5, 4}, {7, 4}}, {{6, 5}, {2, 2}, {18, 12}}},
        {"win_w 1: the doubled column cancels", {0, 0, 10, 10, 1, 9, 0}, 0, 24, {{11, 11}, {9, 17}, {12, 12}, {8, 16}},
         {{10, 10}, {10, 14}, {11, 10}, {12, 11}}},
        {"6 x 5: the innermost rows are skipped", {0, 0, 20, 20, 6, 5, 0}, 0, 30, {{22, 22}, {23, 22}, {22, 21}},
         {{19, 20}, {26, 22}, {22, 25}}},
        {"partly outside", {0, 0, -5, -4, 12, 10, 0}, 0, 6 + 6 + 5 + 5 + 4 + 4, {{6, 0}, {0, 5}}, {{7, 0}, {0, 6}}},
        {"rotated 0, even window", {0, 0, 40, 30, 20, 10, 0}, 1, -1, {{35, 25}, {30, 27}, {50, 33}, {42, 30}, {40, 22}},
         {{30, 25}, {50, 25}, {30, 35}, {50, 35}, {40, 30}, {30, 30}, {40, 25}}},
        {"rotated 90", {0, 0, 40, 30, 20, 10, 90}, 1, -1, {{36, 20}, {35, 25}, {45, 39}, {44, 40}},
         {{35, 20}, {45, 40}, {35, 40}, {45, 20}, {40, 30}, {34, 25}}},
        // 30 degrees: P(-30, 0) = (40 - 6660 / 256, 30 - 3840 / 256) = (14, 15),
        // the division truncated toward zero; rounded down it would be (13, 15).
        {"rotated 30, positions truncated toward zero", {0, 0, 40, 30, 60, 40, 30}, 1, -1, {{14, 15}}, {{13, 15}}},
    };
    for (const auto &k0 : cases) {
        const Call k = run(80, 60, 80, 60, k0.t, {0, 0, k0.rotate, 1, 0, 1, 0});
        long changed = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const PIXEL_YC a = k.out().at(x, y), s = k.source.at(x, y);
                if (a == s) continue;
                ++changed;
                ASSERT_EQ(a, inverse(s)) << k0.what << " " << x << "," << y;
            }
        if (k0.inverted >= 0) {
            EXPECT_EQ(changed, k0.inverted) << k0.what;
        }
        for (auto [x, y] : k0.on) EXPECT_NE(k.out().at(x, y), k.source.at(x, y)) << k0.what << " " << x << "," << y;
        for (auto [x, y] : k0.off) EXPECT_EQ(k.out().at(x, y), k.source.at(x, y)) << k0.what << " " << x << "," << y;
        EXPECT_EQ(k.out().changed_outside(0, 0, 80, 60), 0) << k0.what;
    }
}

// Without DEBUG the outline shows in the output, and the input frame is the
// one it was drawn into.
TEST(SpindleOutline, ShowsInTheOutput) {
    const Call k = run(64, 48, 64, 48, {64, 48, 5, 6, 64, 48, 0}, {0, 0, 0, 1, 0, 0, 0});
    EXPECT_TRUE(k.swapped());
    EXPECT_EQ(k.out().at(0, 0), inverse(k.source.at(5, 6)));
    EXPECT_EQ(k.out().at(3, 3), k.source.at(8, 9));
}

// ---------------------------------------------------------------------------
// Frames: clipping and guard memory

TEST(SpindleFrames, LargestOutputsAreClippedToTheAllocation) {
    const struct {
        const char *what;
        int w, h, pitch, max_h;
        Tracks t;
        Checks c;
    } cases[] = {
        {"640 x 480 into 352 x 240", 352, 240, 352, 240, {640, 480, 0, 0, 352, 240, 0}, kDefChecks},
        {"640 x 480 rotated into 360 x 250", 352, 240, 360, 250, {640, 480, 176, 120, 300, 200, 33},
         {0, 0, 1, 1, 0, 0, 0}},
        {"wider only", 100, 80, 120, 300, {640, 200, -20, 5, 90, 70, 0}, {1, 1, 0, 1, 1, 0, 0}},
        {"taller only, flipped", 100, 80, 700, 90, {300, 480, 0, 0, 90, 70, 0}, {1, 0, 0, 0, 1, 0, 0}},
        {"fit to frame, rotated", 200, 150, 203, 150, {1, 1, 100, 75, 640, 480, 359}, {0, 0, 1, 1, 0, 0, 1}},
        {"window wholly outside", 50, 40, 60, 45, {640, 480, -640, 480, 640, 480, 0}, {0, 0, 0, 1, 0, 0, 0}},
        {"one pixel", 1, 1, 1, 1, {640, 480, 0, 0, 1, 1, 270}, {1, 1, 1, 1, 1, 0, 0}},
    };
    for (const auto &f : cases) {
        const Call k = run(f.w, f.h, f.pitch, f.max_h, f.t, f.c);
        const spindle_params p = spindle_derive(f.t.data(), f.c.data(), f.w, f.h, f.pitch, f.max_h);
        EXPECT_EQ(k.fpip.w, std::min(p.out_w, f.pitch)) << f.what;
        EXPECT_EQ(k.fpip.h, std::min(p.out_h, f.max_h)) << f.what;
        EXPECT_EQ(k.out().changed_outside(0, 0, k.fpip.w, k.fpip.h), 0) << f.what;
        EXPECT_EQ(k.scratch().changed_outside(0, 0, f.w, f.h), 0) << f.what;

        // The clipped output is the top-left part of the whole one.
        const Call big = run(f.w, f.h, 640, 480, f.t, f.c);
        for (int y = 0; y < k.fpip.h; ++y)
            ASSERT_EQ(std::memcmp(&k.out().at(0, y), &big.out().at(0, y), sizeof(PIXEL_YC) * size_t(k.fpip.w)), 0)
                << f.what << " row " << y;
    }
}

TEST(SpindleFrames, EmptyAndOversizedFrames) {
    {
        const Call k = run(0, 0, 8, 8, kDefTracks, kDefChecks);
        EXPECT_EQ(k.fpip.w, 8);
        EXPECT_EQ(k.fpip.h, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) EXPECT_EQ(k.out().at(x, y), kBlack);
    }
    {
        const Call k = run(0, 0, 8, 8, kDefTracks, {1, 1, 1, 1, 1, 0, 1});
        EXPECT_EQ(k.fpip.w, 0);
        EXPECT_EQ(k.fpip.h, 0);
        EXPECT_EQ(k.out().changed_outside(0, 0, 0, 0), 0);
    }
    {
        // wider than the frames can be worked on: handed back untouched
        const Call k = run(kSpindleMaxSide + 1, 1, kSpindleMaxSide + 1, 1, kDefTracks, {1, 1, 1, 1, 1, 0, 1});
        EXPECT_FALSE(k.swapped());
        EXPECT_EQ(k.fpip.w, kSpindleMaxSide + 1);
        EXPECT_TRUE(k.edit.data() == k.source.data());
        EXPECT_TRUE(k.temp.data() == Frame(kSpindleMaxSide + 1, 1).data());
    }
}

// ---------------------------------------------------------------------------
// Fast kernels against the reference

std::vector<spindle_variant> variants() {
    spindle_variant v[8];
    const int n = spindle_variants(v, 8);
    return {v, v + n};
}

TEST(SpindleKernels, MatchTheReferenceOnRandomFrames) {
    const auto fast = variants();
    ASSERT_GE(fast.size(), 1u);
    Rng rng(20261211);
    for (int iter = 0; iter < 1500; ++iter) {
        const int w = rng.range(1, iter % 50 == 0 ? 400 : 70), h = rng.range(1, iter % 50 == 0 ? 300 : 50);
        const int pitch = w + rng.range(0, 5), max_h = h + rng.range(0, 3);
        Frame src(pitch, max_h);
        src.randomize(w, h, rng.next());
        // Full-range samples now and then, to exercise the extremes of the sums.
        if (iter % 7 == 0)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    src.at(x, y) = {short(rng.next()), short(rng.next()), short(rng.next())};

        Tracks t;
        t[0] = rng.range(1, 640), t[1] = rng.range(1, 480);
        t[2] = rng.range(-2 * w, 2 * w), t[3] = rng.range(-2 * h, 2 * h);
        t[4] = rng.range(1, 640), t[5] = rng.range(1, 480);
        t[6] = rng.range(0, 360);
        if (iter % 3 == 0) t[0] = rng.range(1, 2 * w), t[1] = rng.range(1, 2 * h);
        if (iter % 3 == 1) t[4] = rng.range(1, 2 * w), t[5] = rng.range(1, 2 * h);
        Checks c = {0, 0, int(rng.below(3) != 0), 0, int(rng.below(2)), 0, int(rng.below(4) == 0)};
        const spindle_params p = spindle_derive(t.data(), c.data(), w, h, pitch, max_h);

        Frame want(pitch, max_h);
        spindle_resample_ref(want.origin(), src.origin(), pitch, w, h, &p);
        ASSERT_EQ(want.changed_outside(0, 0, p.cols, p.rows), 0);
        // The fast kernels read from a source that ends with the frame, so
        // that the sanitizer sees any read past it.
        const std::vector<PIXEL_YC> tight(src.origin(), src.origin() + ptrdiff_t(pitch) * max_h);
        for (const auto &v : fast) {
            Frame got(pitch, max_h);
            v.fn(got.origin(), tight.data(), pitch, w, h, &p);
            ASSERT_TRUE(got.data() == want.data())
                << v.name << " iter " << iter << ": " << w << "x" << h << " pitch " << pitch << " out " << p.out_w
                << "x" << p.out_h << " win " << p.win_w << "x" << p.win_h << " off " << p.off_x << "," << p.off_y
                << " rotate " << p.rotate << " angle " << t[6];
        }
    }
}

// Outputs wider than one column table, at every quarter and a few odd angles.
TEST(SpindleKernels, MatchTheReferenceOnWideFrames) {
    const auto fast = variants();
    const int w = 1500, h = 40, pitch = 1503;
    Frame src(pitch, h);
    src.randomize(w, h, 99);
    for (int angle : {0, 30, 90, 135, 180, 225, 270, 333, 360})
        for (int fit : {0, 1}) {
            const Tracks t = {640, 40, 700, 20, 500, 30, angle};
            const Checks c = {0, 0, angle != 0, 0, 0, 0, fit};
            const spindle_params p = spindle_derive(t.data(), c.data(), w, h, pitch, h);
            Frame want(pitch, h);
            spindle_resample_ref(want.origin(), src.origin(), pitch, w, h, &p);
            for (const auto &v : fast) {
                Frame got(pitch, h);
                v.fn(got.origin(), src.origin(), pitch, w, h, &p);
                ASSERT_TRUE(got.data() == want.data()) << v.name << " angle " << angle << " fit " << fit;
            }
        }
}

// Straight mappings whose columns run up to the picture's right edge, in a
// source that ends with the picture: fast horizontal passes that take several
// columns from one wide load must stop where that load would leave the row,
// and at the scales where the taps of those columns no longer fit in it.
TEST(SpindleKernels, MatchTheReferenceUpToTheRightEdge) {
    const auto fast = variants();
    struct Scale {
        int win, out;  // win_w : out_w
    };
    const Scale scales[] = {{1, 1}, {5, 7}, {16, 15}, {7, 4}, {2, 1}, {41, 20}, {9, 4}, {3, 1}};
    Rng rng(7);
    for (const Scale s : scales)
        for (int w = 1; w <= 48; ++w)
            for (int off_x : {-1, 0, 3, w / 2}) {
                const int h = 3;
                const int win_w = std::max(1, w + 2 - off_x), out_w = std::max(1, win_w * s.out / s.win);
                const int pitch = std::max(w, out_w);
                std::vector<PIXEL_YC> src(size_t(pitch) * (h - 1) + size_t(w));  // ends with the picture
                for (auto &px : src) px = {short(rng.next()), short(rng.next()), short(rng.next())};
                const Tracks t = {out_w, h, off_x, 0, win_w, h - 1, 0};
                const Checks c = {0, 0, 0, 0, 0, 0, 0};
                const spindle_params p = spindle_derive(t.data(), c.data(), w, h, pitch, h);
                Frame want(pitch, h);
                spindle_resample_ref(want.origin(), src.data(), pitch, w, h, &p);
                for (const auto &v : fast) {
                    Frame got(pitch, h);
                    v.fn(got.origin(), src.data(), pitch, w, h, &p);
                    ASSERT_TRUE(got.data() == want.data())
                        << v.name << " w " << w << " off_x " << off_x << " win_w " << win_w << " out_w " << out_w;
                }
            }
}

TEST(SpindleKernels, DispatchPicksAVariant) {
    const Tracks t = {40, 30, 3, 4, 50, 20, 17};
    const Checks c = {0, 0, 1, 0, 0, 0, 0};
    const spindle_params p = spindle_derive(t.data(), c.data(), 40, 30, 40, 30);
    Frame src(40, 30), a(40, 30), b(40, 30);
    src.randomize(40, 30, 5);
    spindle_resample_ref(a.origin(), src.origin(), 40, 40, 30, &p);
    spindle_resample(b.origin(), src.origin(), 40, 40, 30, &p);
    EXPECT_TRUE(a.data() == b.data());
}

}  // namespace
