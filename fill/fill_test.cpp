#include "fill/fill.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "testkit/filter_table.h"
#include "testkit/frame.h"

namespace {

using testkit::Frame;

TEST(FillTable, MatchesTheHostContract) {
    const FILTER_DLL *t = GetFilterTable();
    EXPECT_EQ(t->flag, 0x00080000);
    EXPECT_EQ(std::string(t->name), "Fill Black    ");
    ASSERT_EQ(t->track_n, 4);
    const char *names[] = {"T ", "B ", "L ", "R "};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::string(t->track_name[i]), names[i]);
        EXPECT_EQ(t->track_default[i], 0);
    }
    EXPECT_EQ(t->track_s, nullptr);
    EXPECT_EQ(t->track_e, nullptr);
    ASSERT_EQ(t->check_n, 1);
    EXPECT_EQ(std::string(t->check_name[0]), "Center video");
    EXPECT_EQ(t->check_default[0], 0);
    testkit::expect_pixel_filter_table(GetFilterTable);
}

// One call of func_proc, and what the result must be: inside the kept
// rectangle [x0, x1) x [y0, y1), pixel (x, y) is source pixel (x + dx, y + dy);
// everywhere else in the picture it is black.
struct Case {
    const char *what;
    int w, h, pitch;
    int top, bottom, left, right;
    bool center;
    int x0, x1, y0, y1, dx, dy;
};

const Case kCases[] = {
    {"all zero, in place", 352, 240, 352, 0, 0, 0, 0, false, 0, 352, 0, 240, 0, 0},
    {"all zero, centred", 352, 240, 360, 0, 0, 0, 0, true, 0, 352, 0, 240, 0, 0},
    {"four bands in place", 352, 240, 360, 5, 7, 11, 13, false, 11, 339, 5, 233, 0, 0},
    {"left 30 right 10 centred", 352, 240, 360, 0, 0, 30, 10, true, 20, 332, 0, 240, 10, 0},
    {"odd width left 31 right 10 centred", 352, 240, 360, 0, 0, 31, 10, true, 20, 331, 0, 240, 11, 0},
    {"top 3 bottom 8 centred", 100, 101, 105, 3, 8, 0, 0, true, 0, 100, 5, 95, 0, -2},
    {"left band clamped to half", 352, 240, 360, 0, 0, 300, 0, false, 176, 352, 0, 240, 0, 0},
    {"block raised to 64 rows", 352, 240, 360, 100, 100, 0, 0, false, 0, 352, 100, 164, 0, 0},
    {"block raised to 64 rows, centred", 352, 240, 360, 100, 100, 0, 0, true, 0, 352, 88, 152, 0, 12},
    {"odd widths leave the slack alone", 353, 67, 359, 1, 1, 3, 5, false, 3, 348, 1, 66, 0, 0},
    {"negative bands count as none", 352, 240, 360, -5, -1, -30, 4, false, 0, 348, 0, 240, 0, 0},
    {"negative bands count as none, centred", 352, 240, 360, -5, -1, -30, 4, true, 2, 350, 0, 240, -2, 0},
    // Frames smaller than the 64 x 64 minimum keep at least the whole frame
    // to the right of and below the left and top bands.
    {"narrow frame in place", 40, 30, 45, 2, 2, 10, 10, false, 10, 40, 2, 30, 0, 0},
    // A kept block that reaches past the picture: its outside part is black.
    {"narrow frame centred", 40, 30, 45, 0, 0, 10, 10, true, 0, 30, 0, 30, 10, 0},
    {"block past the right and bottom edges, centred", 100, 80, 105, 30, 30, 50, 50, true, 18, 68, 8, 58, 32, 22},
    {"one pixel", 1, 1, 6, 1, 1, 1, 1, true, 0, 1, 0, 1, 0, 0},
    {"empty picture", 0, 0, 8, 4, 4, 4, 4, false, 0, 0, 0, 0, 0, 0},
    {"empty picture, centred", 0, 5, 8, 4, 4, 4, 4, true, 0, 0, 0, 0, 0, 0},
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.what; }

class FillCase : public ::testing::TestWithParam<Case> {};

TEST_P(FillCase, BandsBlockAndUntouchedMemory) {
    const Case &c = GetParam();
    Frame edit(c.pitch, c.h + 1), temp(c.pitch, c.h + 1);
    edit.randomize(c.w, c.h, 7);
    Frame source = edit;

    int track[4] = {c.top, c.bottom, c.left, c.right};
    int check[1] = {c.center};
    FILTER fp{};
    fp.track = track;
    fp.check = check;
    FILTER_PROC_INFO fpip{0x100, edit.origin(), temp.origin(), c.w, c.h, c.pitch, c.h + 1};
    ASSERT_EQ(GetFilterTable()->func_proc(&fp, &fpip), 1);

    EXPECT_EQ(fpip.flag, 0x101);
    EXPECT_EQ(fpip.w, c.w);
    EXPECT_EQ(fpip.h, c.h);
    EXPECT_EQ(fpip.max_w, c.pitch);
    EXPECT_EQ(fpip.max_h, c.h + 1);
    Frame &result = c.center ? temp : edit;
    Frame &scratch = c.center ? edit : temp;
    EXPECT_EQ(fpip.ycp_edit, result.origin());
    EXPECT_EQ(fpip.ycp_temp, scratch.origin());

    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            const int sx = x + c.dx, sy = y + c.dy;
            const bool kept = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
            const PIXEL_YC want = kept ? source.at(sx, sy) : PIXEL_YC{0, 0, 0};
            ASSERT_TRUE(testkit::same(result.at(x, y), want)) << "pixel " << x << "," << y;
        }
    EXPECT_EQ(result.changed_outside(0, 0, c.w, c.h), 0) << "wrote outside the picture";
    if (c.center) {
        EXPECT_TRUE(scratch.data() == source.data()) << "the input frame was written";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FillCase, ::testing::ValuesIn(kCases), [](const auto &info) {
    std::string name;
    for (const char *p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

// The row routines move and clear exactly w * 6 bytes per row, however odd.
TEST(FillRows, TouchOnlyTheirBlock) {
    for (int w = 0; w <= 5; ++w) {
        Frame a(8, 3), b(8, 3);
        a.randomize(8, 3, 3);
        b.randomize(8, 3, 4);
        Frame before = b;
        EXPECT_EQ(pixel_yc_copy(&b.at(1, 0), &a.at(2, 0), w, 2, 8), 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool in = y < 2 && x >= 1 && x < 1 + w;
                EXPECT_TRUE(testkit::same(b.at(x, y), in ? a.at(x + 1, y) : before.at(x, y))) << w << " " << x << "," << y;
            }
        EXPECT_EQ(pixel_yc_fill(&b.at(1, 1), w, 2, 8), 1);
        for (int x = 0; x < 8; ++x) {
            const bool in = x >= 1 && x < 1 + w;
            EXPECT_EQ(b.at(x, 2).y == 0 && b.at(x, 2).cb == 0 && b.at(x, 2).cr == 0, in || before.at(x, 2).y == 0);
        }
    }
    Frame c(4, 2);
    c.randomize(4, 2, 5);
    Frame before = c;
    pixel_yc_fill(c.origin(), -3, 2, 4);
    pixel_yc_fill(c.origin(), 3, -2, 4);
    EXPECT_EQ(std::memcmp(c.origin(), before.origin(), sizeof(PIXEL_YC) * 8), 0);
}

}  // namespace
