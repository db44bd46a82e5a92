#include "jump/layout.h"

#include <gtest/gtest.h>

namespace {

using namespace jump;

TEST(JumpRow, CellUnderX) {
    struct Case {
        int x, w, n, cell;
    } cases[] = {
        {-5, 100, 3, 0},   // left of the window: still cell 0
        {32, 100, 3, 0},   // cw = 33
        {33, 100, 3, 1},
        {98, 100, 3, 2},
        {99, 100, 3, -1},  // the leftover column belongs to no cell
        {-1, 2, 3, 0},     // cells of width 0: only x below 0 is a cell
        {0, 2, 3, -1},
    };
    for (const Case &c : cases) EXPECT_EQ(cell_at(c.x, c.w, c.n), c.cell) << c.x << " in " << c.w << "/" << c.n;
}

TEST(JumpRow, CentringPutsTheFrameInTheLeftMiddleCell) {
    EXPECT_EQ(centred_first(100, 5, 10), 80);  // odd N: middle cell 2
    EXPECT_EQ(centred_first(100, 4, 10), 90);  // even N: cell 1, left of the middle
    EXPECT_EQ(centred_first(3, 9, 5), -17);    // may leave the video; the scroll bar clamps
}

TEST(JumpRow, WholeModeAndPresets) {
    EXPECT_TRUE(whole_mode(15, -1));
    EXPECT_TRUE(whole_mode(-1, 9));
    EXPECT_FALSE(whole_mode(14, 8));
    EXPECT_EQ(whole_interval(1000, 10), 111);
    EXPECT_EQ(whole_interval(1, 10), 1);  // C = 1: 0 becomes 1
    EXPECT_EQ(whole_interval(0, 10), 1);

    const short presets[10] = {6, 8, 10, 12, 14, 16, 18, 20, 24, 30};
    EXPECT_EQ(preset_count(presets, 0), 30);
    EXPECT_EQ(preset_count(presets, 1), 6);
    EXPECT_EQ(preset_count(presets, 9), 24);
    EXPECT_EQ(preset_count(presets, 12), 10);
    EXPECT_EQ(preset_count(presets, -1), 10);
}

TEST(JumpScroll, Clamping) {
    struct Case {
        const char *what;
        int f, iv, n, c;
        bool whole;
        ScrollPlan want;
    } cases[] = {
        {"fits", 0, 5, 5, 10, false, {0, 5, 0, 0}},
        {"past the end", 995, 10, 10, 1000, false, {905, 10, 90, 90}},
        {"in range", 400, 10, 10, 1000, false, {400, 10, 90, 40}},
        {"before the start", -17, 5, 9, 1000, false, {3, 5, 192, 0}},
        {"video shorter than the row", 7, 5, 5, 10, false, {2, 5, 0, 0}},
        {"whole video", 500, 111, 10, 1000, true, {0, 111, 0, 0}},
        {"interval 0 is 1", 5, 0, 4, 20, false, {5, 1, 16, 5}},
        {"negative interval is 1", 5, -3, 4, 20, false, {5, 1, 16, 5}},
        {"far before the start", -1000000000, 1, 10, 100, false, {0, 1, 90, 0}},
        {"far past the end", 2000000000, 1, 10, 100, false, {90, 1, 90, 90}},
    };
    for (const Case &c : cases) {
        const ScrollPlan got = plan_scroll(c.f, c.iv, c.n, c.c, c.whole);
        EXPECT_EQ(got.first_frame, c.want.first_frame) << c.what;
        EXPECT_EQ(got.interval, c.want.interval) << c.what;
        EXPECT_EQ(got.max, c.want.max) << c.what;
        EXPECT_EQ(got.pos, c.want.pos) << c.what;
    }
}

SizeRules rules(int width_index, int aspect, int n) {
    SizeRules r{};
    r.screen_width = 1920;
    r.width_index = width_index;
    r.aspect_mode = aspect;
    r.fixed_pic_w = 40;
    r.fixed_pic_h = 30;
    r.pic_count = n;
    r.source_width = 720;
    r.source_height = 480;
    return r;
}

TEST(JumpSizing, WidthPreset) {
    const Rect window{1000, 10, 1400, 100};  // centre 1200
    struct Case {
        const char *what;
        SizeRules r;
        Placement want;
    } cases[] = {
        {"1/2, 4:3", rules(1, 0, 10), {720, 960, 144}},
        {"1/2, source 720x480", rules(1, 1, 10), {720, 960, 136}},
        {"1/3", rules(0, 0, 10), {880, 640, 120}},
        {"7/8", rules(4, 0, 10), {360, 1680, 198}},
        {"full width at the left edge", rules(5, 0, 10), {0, 1920, 216}},
        {"full width, source aspect", rules(5, 1, 10), {0, 1920, 200}},
        {"unknown rule sizes as 1/3", rules(7, 0, 10), {880, 640, 120}},
        {"negative rule sizes as 1/3", rules(-1, 0, 10), {880, 640, 120}},
        {"no source yet: 4:3", [] { SizeRules r = rules(1, 1, 10); r.source_width = 0; return r; }(),
         {720, 960, 144}},
        {"locked", [] { SizeRules r = rules(1, 0, 10); r.fixed_size_on = 1; return r; }(), {1000, 401, 102}},
        {"locked, wider than the screen",
         [] { SizeRules r = rules(1, 0, 10); r.fixed_size_on = 1; r.fixed_pic_w = 200; return r; }(),
         {0, 1920, 30 * 1920 / 2000 + 72}},
    };
    for (const Case &c : cases) {
        const Placement got = width_preset(c.r, window);
        EXPECT_EQ(got.x, c.want.x) << c.what;
        EXPECT_EQ(got.width, c.want.width) << c.what;
        EXPECT_EQ(got.height, c.want.height) << c.what;
    }
}

TEST(JumpSizing, CentredXNeverNegative) {
    const Placement p = width_preset(rules(1, 0, 10), Rect{0, 0, 100, 50});
    EXPECT_EQ(p.x, 0);
}

TEST(JumpSizing, RefitHeight) {
    const Rect window{100, 10, 1060, 154};  // 960 wide
    struct Case {
        const char *what;
        SizeRules r;
        Placement want;
    } cases[] = {
        {"4:3", rules(1, 0, 10), {100, 960, 144}},
        {"source 720x480", rules(1, 1, 10), {100, 960, 136}},
        {"no source yet: 4:3", [] { SizeRules r = rules(1, 1, 10); r.source_width = 0; return r; }(),
         {100, 960, 144}},
        {"locked, centred", [] { SizeRules r = rules(1, 0, 10); r.fixed_size_on = 1; return r; }(),
         {(100 + 1060 + 1 - 400) / 2, 401, 102}},
        {"locked, wider than the screen",
         [] { SizeRules r = rules(1, 0, 10); r.fixed_size_on = 1; r.fixed_pic_w = 200; return r; }(),
         {0, 1920, 100}},
    };
    for (const Case &c : cases) {
        const Placement got = refit_height(c.r, window);
        EXPECT_EQ(got.x, c.want.x) << c.what;
        EXPECT_EQ(got.width, c.want.width) << c.what;
        EXPECT_EQ(got.height, c.want.height) << c.what;
    }
}

}  // namespace
