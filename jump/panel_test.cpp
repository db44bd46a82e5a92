// The panel in a window of its own on the Win32 stand-in: host events,
// painting checked by pixels and by the pictures asked of the host, sizing,
// the deferral protocol, the settings file and the GDI objects.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "jump/layout.h"
#include "jump/panel.h"
#include "winapi/include/winapi_testing.h"

namespace {

using namespace jump;

Panel &P = panel();

// ---------------------------------------------------------------------------
// A host with one video. Every frame is one flat colour that tells its
// number, so a cell's pixels say which frame it shows.

COLORREF frame_colour(int f) { return RGB(f & 0xFF, (f >> 8) & 0xFF, 200); }
int frame_of(COLORREF c) { return GetBValue(c) == 200 ? GetRValue(c) | GetGValue(c) << 8 : -1; }

const COLORREF kFace = GetSysColor(COLOR_BTNFACE);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct Video {
    int open = 1;  // what is_video_open answers
    int frames = 1000;
    int current = 0;
    int w = 64, h = 32;
    std::vector<unsigned char> pixels;
    std::vector<int> fetched;  // frames asked of get_frame_image, in order
};

Video &video(void *editp) { return *static_cast<Video *>(editp); }

void *QP_CDECL get_frame_image(void *editp, int frame) {
    Video &v = video(editp);
    v.fetched.push_back(frame);
    const int stride = (3 * v.w + 3) & ~3;
    v.pixels.assign(size_t(stride) * v.h, 0);
    const COLORREF c = frame_colour(frame);
    for (int y = 0; y < v.h; ++y)
        for (int x = 0; x < v.w; ++x) {
            unsigned char *p = &v.pixels[size_t(y) * stride + 3 * x];
            p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
        }
    return v.pixels.data();
}
BOOL QP_CDECL is_video_open(void *editp) { return video(editp).open; }
int QP_CDECL get_current_frame(void *editp) { return video(editp).current; }
int QP_CDECL get_frame_count(void *editp) { return video(editp).frames; }
BOOL QP_CDECL query_frame_size(void *editp, int *w, int *h) {
    *w = video(editp).w;
    *h = video(editp).h;
    return TRUE;
}

HOST_FUNC_TABLE host_table() {
    HOST_FUNC_TABLE t = {};
    t.get_frame_image = get_frame_image;
    t.is_video_open = is_video_open;
    t.get_current_frame = get_current_frame;
    t.get_frame_count = get_frame_count;
    t.query_frame_size = query_frame_size;
    return t;
}

HOST_FUNC_TABLE g_table = host_table();
FILTER g_filter;
Video *g_video;

// The host's window procedure: every message goes to the panel first.
LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    func_WndProc(hwnd, msg, wparam, lparam, g_video, &g_filter);
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        winapi_test_reset();
        winapi_test_set_screen_size(1920, 1080);
        P = Panel{};
        g_video = &v;
        g_filter = FILTER{};
        g_filter.host_func_table = &g_table;
        g_filter.instance_handle = GetModuleHandleA(nullptr);

        char tmpl[] = "/tmp/jump_panel_XXXXXX";
        dir = mkdtemp(tmpl);
        ASSERT_EQ(chdir(dir.c_str()), 0);

        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = host_proc;
            wc.lpszClassName = "JumpPanelTest";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        baseline_objects = winapi_test_gdi_objects();
        baseline_dcs = winapi_test_window_dcs();
        hwnd = CreateWindowA("JumpPanelTest", "Skimreel", WS_POPUP | WS_VISIBLE | WS_HSCROLL, 100, 200, 600, 150,
                             nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
    }

    void TearDown() override {
        if (hwnd) DestroyWindow(hwnd);
        hwnd = nullptr;
        std::string ini = dir + "/quillet.ini";
        std::remove(ini.c_str());
        rmdir(dir.c_str());
    }

    // A fresh panel, window and directory within one test.
    void restart() {
        TearDown();
        SetUp();
        v = Video{};
    }

    void write_ini(const std::string &text) { std::ofstream(dir + "/quillet.ini") << "[Skimreel]\r\n" << text; }

    std::string read_ini() {
        std::ifstream in(dir + "/quillet.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    BOOL send(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) { return BOOL(SendMessageA(hwnd, msg, wparam, lparam)); }

    // Lets the 1 ms deferral timer (10 ms on the platform) fire.
    void run_timers() {
        winapi_test_advance_clock(20);
        winapi_test_pump(0);
    }

    void init() { send(WM_HOST_INIT); }

    // Init and open with the given settings text.
    void open(const std::string &ini = "") {
        if (!ini.empty()) write_ini(ini);
        init();
        send(WM_HOST_VIDEO_OPEN);
    }

    int W() const { return P.client_rect.right; }
    int H() const { return P.client_rect.bottom; }
    int cw() const { return W() / P.pic_count; }
    COLORREF pixel(int x, int y) const { return winapi_test_pixel(hwnd, x, y); }
    // The frame shown in cell i of the window (-1: none).
    int shown(int i) const { return frame_of(pixel(i * cw() + cw() / 2, (31 + H() - 2) / 2)); }
    int back_shown(int i) const {
        return frame_of(winapi_test_bitmap_pixel(P.back_bitmap, i * cw() + cw() / 2, (31 + H() - 2) / 2));
    }
    // Cells outlined in green: the pen, 2 pixels wide, covers the cell's
    // first two columns and the two from its right edge on.
    std::vector<int> marked() const {
        std::vector<int> cells;
        const int y = H() / 2;
        for (int i = 0; i < P.pic_count; ++i) {
            const int left = i * cw(), right = (i + 1) * cw();
            if (pixel(left, y) == kMarkColour && pixel(left + 1, y) == kMarkColour &&
                pixel(right, y) == kMarkColour && pixel(right + 1, y) == kMarkColour)
                cells.push_back(i);
        }
        return cells;
    }
    std::string title() const {
        char text[300];
        GetWindowTextA(hwnd, text, sizeof text);
        return text;
    }
    bool button_enabled(int command) {
        return SendMessageA(P.toolbar_hwnd, TB_ISBUTTONENABLED, WPARAM(command), 0) != 0;
    }

    Video v;
    std::string dir;
    HWND hwnd = nullptr;
    int baseline_objects = 0, baseline_dcs = 0;
};

constexpr int kCommandButtons[] = {40038, 40039, 40040, 40046, 40047, 40050, 40051, 40043, 40041, 40042};

// ---------------------------------------------------------------------------
// Set-up, settings file and shut-down

TEST_F(PanelTest, InitWithoutSettingsFile) {
    init();
    EXPECT_EQ(P.initialised, 1);
    EXPECT_EQ(P.no_video, 1);
    EXPECT_EQ(P.grid_live, 0);
    EXPECT_EQ(P.pic_count, 6);
    EXPECT_EQ(P.pic_interval, 1);
    EXPECT_EQ(P.first_frame, 0);
    EXPECT_EQ(P.frame_count, 0);
    EXPECT_EQ(winapi_test_cursor_id(P.range_cursor), kRangeCursor);
    for (int id : {105, 112, 119, 120, 121})  // the mouse's other cursors
        EXPECT_EQ(winapi_test_cursor_id(LoadCursorA(P.module_instance, MAKEINTRESOURCEA(id))), id);
    EXPECT_EQ(ImageList_GetImageCount(P.wheel_images), 1);
    ASSERT_NE(P.toolbar_hwnd, nullptr);
    for (int id : kCommandButtons) EXPECT_FALSE(button_enabled(id)) << id;
    EXPECT_TRUE(v.fetched.empty());
    EXPECT_EQ(pixel(10, 60), kFace);
}

TEST_F(PanelTest, ToolbarButtons) {
    init();
    const struct {
        int image, command;
        BYTE style;
    } want[kToolbarEntries] = {
        {0, 40038, TBSTYLE_CHECK}, {1, 40039, TBSTYLE_BUTTON}, {2, 40040, TBSTYLE_BUTTON}, {0, 0, TBSTYLE_SEP},
        {3, 40046, TBSTYLE_BUTTON}, {4, 40047, TBSTYLE_BUTTON}, {0, 0, TBSTYLE_SEP},
        {5, 40050, TBSTYLE_BUTTON}, {6, 40051, TBSTYLE_BUTTON}, {0, 0, TBSTYLE_SEP},
        {7, 40043, TBSTYLE_BUTTON}, {0, 0, TBSTYLE_SEP},
        {8, 40041, TBSTYLE_BUTTON}, {0, 0, TBSTYLE_SEP},
        {9, 40042, TBSTYLE_BUTTON},
    };
    ASSERT_EQ(SendMessageA(P.toolbar_hwnd, TB_BUTTONCOUNT, 0, 0), kToolbarEntries);
    for (int i = 0; i < kToolbarEntries; ++i) {
        TBBUTTON b = {};
        ASSERT_TRUE(SendMessageA(P.toolbar_hwnd, TB_GETBUTTON, WPARAM(i), LPARAM(&b))) << i;
        EXPECT_EQ(b.fsStyle, want[i].style) << i;
        EXPECT_EQ(b.idCommand, want[i].command) << i;
        if (want[i].style != TBSTYLE_SEP) {
            EXPECT_EQ(b.iBitmap, want[i].image) << i;
        }
    }
}

TEST_F(PanelTest, WheelMarkerIsMaskedOnBlue) {
    init();
    HDC dc = GetDC(hwnd);
    ImageList_Draw(P.wheel_images, 0, dc, 100, 40, ILD_NORMAL);
    ReleaseDC(hwnd, dc);
    EXPECT_EQ(pixel(100, 40), kFace);               // a blue corner shows through
    EXPECT_EQ(pixel(100 + 13, 40 + 13), RGB(208, 32, 32));  // the red hub
    EXPECT_EQ(pixel(100 + 13, 40 + 1), kBlack);     // the rim
    send(WM_HOST_EXIT);
}

TEST_F(PanelTest, ToolbarTooltips) {
    init();
    const struct {
        int id;
        const char *text;
    } tips[] = {
        {40038, "Define Selection Range:\nDouble Left Click Start,\nDouble Right Click End \nOR\nLeft Click Start,\n"
                "Shift Left Click End "},
        {40039, "Jump to Start Marker  "},
        {40040, "Jump to End Marker    "},
        {40041, "Redisp"},
        {40042, "Command "},
        {40043, "Use Current Frame "},
        {40046, "Previous [mark] or [key] frame"},
        {40047, "Next [mark] or [key] Frame    "},
        {40050, "Jump to the very start of the Input File  "},
        {40051, "Jump to the very end of the Input File    "},
    };
    for (const auto &t : tips) {
        const char *got = winapi_test_tooltip_text(P.toolbar_hwnd, t.id);
        ASSERT_NE(got, nullptr) << t.id;
        EXPECT_STREQ(got, t.text) << t.id;
    }
}

TEST_F(PanelTest, ExitWritesEveryKeyInOrder) {
    write_ini("CustomFrame=0\r\nivframe=-1\r\npieces=3,100,1\r\ninterval=100,5\r\n");
    init();
    EXPECT_EQ(P.set.custom_interval_index, -1);
    EXPECT_EQ(P.pic_interval, 1);
    send(WM_HOST_EXIT);
    EXPECT_EQ(read_ini(),
              "[Skimreel]\r\n"
              "CustomFrame=0\r\n"
              "ivframe=-1\r\n"
              "pieces=3,99,2,2,2,2,2,2,2,2\r\n"
              "interval=100,5,2,2,2,2,2,2\r\n"
              "st0=0\r\n"
              "size=0\r\n"
              "frnum=1\r\n"
              "ivframe2=-1\r\n"
              "aspect=0\r\n"
              "fix_fsize=0\r\n"
              "fix_w=40\r\n"
              "fix_h=30\r\n");
}

TEST_F(PanelTest, ExitToANewFileAndBack) {
    init();
    P.set.zero_based = 1;
    P.set.width_index = 3;
    P.set.custom_intervals_on = 1;
    P.set.interval_index = -1;
    P.set.custom_interval_index = 4;
    P.set.custom_intervals[7] = 1234;
    send(WM_HOST_EXIT);
    EXPECT_EQ(read_ini(),
              "[Skimreel]\r\n"
              "st0=1\r\nsize=3\r\nfrnum=1\r\nivframe=-1\r\nivframe2=4\r\naspect=0\r\nCustomFrame=1\r\n"
              "fix_fsize=0\r\nfix_w=40\r\nfix_h=30\r\ninterval=5,15,30,60,100,300,600,1234\r\n"
              "pieces=6,8,10,12,14,16,18,20,24,30\r\n");
    const Settings written = P.set;

    // A second run of the host reads back what the first one wrote.
    DestroyWindow(hwnd);
    P = Panel{};
    hwnd = CreateWindowA("JumpPanelTest", "Skimreel", WS_POPUP, 0, 0, 600, 150, nullptr, nullptr, nullptr, nullptr);
    init();
    EXPECT_EQ(P.set, written);
    EXPECT_EQ(P.pic_interval, 60);
    send(WM_HOST_EXIT);
}

// ---------------------------------------------------------------------------
// Opening a video and painting

TEST_F(PanelTest, OpenPaintsEveryCellOnce) {
    v.current = 500;
    open();
    EXPECT_EQ(P.no_video, 0);
    EXPECT_EQ(P.grid_live, 1);
    // N = 6, IV = 1: frame 500 lands in cell 2.
    EXPECT_EQ(P.first_frame, 498);
    EXPECT_EQ(v.fetched, (std::vector<int>{498, 499, 500, 501, 502, 503}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(shown(i), 498 + i) << i;
        EXPECT_EQ(back_shown(i), 498 + i) << i;
        if (i == 2 || i == 3) continue;  // the mark's columns
        // The picture starts one column into the cell; the cell's first
        // column keeps the button face.
        EXPECT_EQ(frame_of(pixel(i * cw() + 1, 60)), 498 + i) << i;
        EXPECT_EQ(frame_of(pixel((i + 1) * cw() - 1, 60)), 498 + i) << i;
        EXPECT_EQ(pixel(i * cw(), 60), kFace) << i;
    }
    EXPECT_EQ(marked(), std::vector<int>{2});
    // The mark is drawn on the window only.
    EXPECT_NE(winapi_test_bitmap_pixel(P.back_bitmap, 2 * cw(), 60), kMarkColour);
    // Rows 29 and 30 belong to the row area but no picture.
    EXPECT_EQ(pixel(cw() / 2, 29), kFace);
    EXPECT_EQ(pixel(cw() / 2, 30), kFace);
    for (int id : kCommandButtons) EXPECT_TRUE(button_enabled(id)) << id;
}

TEST_F(PanelTest, GreenMarkOutline) {
    v.current = 500;
    open();
    const int x0 = 2 * cw(), x1 = 3 * cw() + 1;
    // Pen 2 pixels wide around (x0, 30) .. (x1, H): columns x0, x0 + 1 and
    // x1 - 1, x1; rows 30, 31 and H - 1, H (outside the client).
    for (int y : {32, H() / 2, H() - 3}) {
        EXPECT_EQ(pixel(x0, y), kMarkColour) << y;
        EXPECT_EQ(pixel(x0 + 1, y), kMarkColour) << y;
        EXPECT_EQ(pixel(x1 - 1, y), kMarkColour) << y;
        EXPECT_EQ(pixel(x1, y), kMarkColour) << y;
        EXPECT_EQ(frame_of(pixel(x0 + 2, y)), 500) << y;
    }
    EXPECT_EQ(pixel(x0 + cw() / 2, 30), kMarkColour);
    EXPECT_EQ(pixel(x0 + cw() / 2, 31), kMarkColour);
    EXPECT_EQ(pixel(x0 + cw() / 2, H() - 1), kMarkColour);
    EXPECT_EQ(frame_of(pixel(x0 + cw() / 2, 32)), 500);
}

TEST_F(PanelTest, Titles) {
    struct Case {
        int zero_based, frames, current;
        const char *want;
    } cases[] = {
        {0, 1000, 500, "Skimreel  [ 499 - 504 / 1000 ]   IV: 1   CF: 501"},
        {1, 1000, 500, "Skimreel  [ 498 - 503 / 999 ]   IV: 1   CF: 500"},
        // A video shorter than the row: the last number is its last frame.
        {0, 4, 0, "Skimreel  [ 1 - 4 / 4 ]   IV: 1   CF: 1"},
        {1, 4, 3, "Skimreel  [ 0 - 3 / 3 ]   IV: 1   CF: 3"},
    };
    for (const Case &c : cases) {
        restart();
        v.frames = c.frames;
        v.current = c.current;
        open("st0=" + std::to_string(c.zero_based) + "\r\n");
        EXPECT_EQ(title(), c.want);
        send(WM_HOST_EXIT);
    }
}

TEST_F(PanelTest, CellsPastTheEndStayEmpty) {
    v.frames = 4;
    v.current = 1;
    open();
    EXPECT_EQ(P.first_frame, 0);
    EXPECT_EQ(v.fetched, (std::vector<int>{0, 1, 2, 3}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(shown(i), i);
    for (int i = 4; i < 6; ++i) {
        EXPECT_EQ(pixel(i * cw() + cw() / 2, 60), kFace) << i;
        EXPECT_EQ(winapi_test_bitmap_pixel(P.back_bitmap, i * cw() + cw() / 2, 60), kFace) << i;
    }
}

TEST_F(PanelTest, LeftoverColumnsBelongToNoCell) {
    MoveWindow(hwnd, 100, 200, 605, 150, TRUE);  // 605 = 6 x 100 + 5
    v.current = 500;
    open();
    ASSERT_EQ(W() % 6, 5);
    for (int x = 6 * cw() + 1; x < W(); ++x) EXPECT_EQ(pixel(x, 60), kFace) << x;
}

TEST_F(PanelTest, ShiftsFetchOneFrame) {
    v.current = 500;
    open();
    v.fetched.clear();
    P.first_frame += P.pic_interval;
    shift_strip_left(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched, std::vector<int>{504});
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shown(i), 499 + i) << i;
    EXPECT_EQ(marked(), std::vector<int>{1});

    v.fetched.clear();
    P.first_frame -= P.pic_interval;
    shift_strip_right(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched, std::vector<int>{498});
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shown(i), 498 + i) << i;
    EXPECT_EQ(marked(), std::vector<int>{2});

    v.current = 900;  // outside the row: no mark
    P.first_frame += P.pic_interval;
    shift_strip_left(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_TRUE(marked().empty());
}

TEST_F(PanelTest, QuickViews) {
    v.current = 500;
    open();
    const int n = P.pic_count;

    v.fetched.clear();
    P.first_frame += (n - 1) * P.pic_interval;  // 503
    quick_page_forward(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched, std::vector<int>{508});
    EXPECT_EQ(shown(0), 503);  // the old last picture
    for (int i = 1; i < n - 1; ++i) EXPECT_EQ(pixel(i * cw() + cw() / 2, 60), kBlack) << i;
    EXPECT_EQ(shown(n - 1), 508);
    EXPECT_TRUE(marked().empty());

    v.fetched.clear();
    P.first_frame -= (n - 1) * P.pic_interval;  // 498
    quick_page_back(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched, std::vector<int>{498});
    EXPECT_EQ(shown(0), 498);
    EXPECT_EQ(shown(n - 1), 503);  // the old first picture

    v.fetched.clear();
    P.first_frame = 994;
    quick_show_ends(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched, (std::vector<int>{994, 999}));
    EXPECT_EQ(shown(0), 994);
    EXPECT_EQ(pixel(2 * cw() + cw() / 2, 60), kBlack);
    EXPECT_EQ(shown(n - 1), 999);

    // refresh_strip brings every cell back.
    v.fetched.clear();
    refresh_strip(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched.size(), size_t(n));
    for (int i = 0; i < n; ++i) EXPECT_EQ(shown(i), 994 + i) << i;
    EXPECT_EQ(P.painting, 0);
}

TEST_F(PanelTest, QuickViewOfTwoCellsHasNoMiddle) {
    v.current = 500;
    open("frnum=0\r\npieces=6,8,10,12,14,16,18,20,24,2\r\n");
    ASSERT_EQ(P.pic_count, 2);
    quick_show_ends(hwnd, &g_filter, P.window_dc, &v);
    for (int x = 0; x < W(); ++x) EXPECT_NE(pixel(x, 60), kBlack) << x;
}

// ---------------------------------------------------------------------------
// Deferral and the message pump of the repaints

TEST_F(PanelTest, MessageDuringRepaintStopsItAndRunsLater) {
    v.current = 500;
    open();
    v.fetched.clear();
    PostMessageA(hwnd, WM_SIZE, 0, 0);
    repaint_strip(hwnd, &g_filter, P.window_dc, &v);
    // Cell 0, cell 1, then the pump met WM_SIZE: it was put off and the
    // repaint stopped after the cell it was drawing.
    EXPECT_EQ(v.fetched, (std::vector<int>{498, 499}));
    EXPECT_EQ(P.painting, 0);
    EXPECT_EQ(P.deferred_msg, unsigned(WM_SIZE));
    EXPECT_EQ(marked(), std::vector<int>{2});
    EXPECT_EQ(winapi_test_timers(), 1);

    v.fetched.clear();
    run_timers();
    EXPECT_EQ(winapi_test_timers(), 0);
    EXPECT_EQ(v.fetched, (std::vector<int>{498, 499, 500, 501, 502, 503}));
    EXPECT_EQ(P.resized, 1);
}

TEST_F(PanelTest, ExitInThePumpEndsTheRepaintAndStillShutsDown) {
    v.current = 500;
    open();
    v.fetched.clear();
    PostMessageA(hwnd, WM_HOST_EXIT, 0, 0);
    repaint_strip(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched, (std::vector<int>{498, 499}));
    EXPECT_EQ(P.painting, 1);  // ended at once, nothing more drawn
    EXPECT_EQ(winapi_test_timers(), 0);
    // The exit is waiting for the host's loop, which runs the shut-down.
    EXPECT_EQ(winapi_test_queue_length(), 1);
    winapi_test_pump(0);
    EXPECT_EQ(P.painting, 0);
    EXPECT_EQ(P.back_dc, nullptr);
    EXPECT_NE(read_ini().find("frnum=1"), std::string::npos);
}

TEST_F(PanelTest, MessagePutOffKeepsItsParameter) {
    for (UINT msg : std::initializer_list<UINT>{WM_HOST_UPDATE, WM_HOST_VIDEO_OPEN, WM_HOST_VIDEO_CLOSE, WM_SIZE,
                                                WM_JUMP_FINISH_SCROLL}) {
        restart();
        v.current = 500;
        open();
        v.frames = 1200;  // the update repaints only for a new frame count
        PostMessageA(hwnd, msg, 0x1234, 0);
        repaint_strip(hwnd, &g_filter, P.window_dc, &v);
        EXPECT_EQ(P.deferred_msg, msg);
        EXPECT_EQ(P.deferred_wparam, 0x1234u) << msg;
        send(WM_HOST_EXIT);
    }
}

TEST_F(PanelTest, MessagePutOffBeforeExitDoesNotComeBackAfterIt) {
    // Each of these, put off by a repaint, would draw with what the exit has
    // already released if its timer still fired.
    for (UINT msg : std::initializer_list<UINT>{WM_JUMP_FINISH_SCROLL, WM_SIZE, WM_HOST_VIDEO_OPEN}) {
        restart();
        v.current = 500;
        open();
        PostMessageA(hwnd, msg, 0, 0);
        repaint_strip(hwnd, &g_filter, P.window_dc, &v);
        ASSERT_EQ(winapi_test_timers(), 1) << msg;
        send(WM_HOST_EXIT);
        EXPECT_EQ(winapi_test_timers(), 0) << msg;
        v.fetched.clear();
        run_timers();
        EXPECT_TRUE(v.fetched.empty()) << msg;
        EXPECT_EQ(P.back_dc, nullptr) << msg;
        EXPECT_EQ(winapi_test_critical_sections(), 0) << msg;
    }
}

TEST_F(PanelTest, FinishScrollDefersItselfWhilePainting) {
    v.current = 500;
    open();
    v.fetched.clear();
    PostMessageA(hwnd, WM_JUMP_FINISH_SCROLL, 0, 0);
    repaint_strip(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(P.deferred_msg, unsigned(WM_JUMP_FINISH_SCROLL));
    v.fetched.clear();
    run_timers();
    EXPECT_EQ(v.fetched.size(), 6u);  // refresh_strip ran
}

// ---------------------------------------------------------------------------
// Host events

TEST_F(PanelTest, UpdateWithVideoOpenNotOneDoesNothing) {
    v.current = 500;
    open();
    const std::string before = title();
    v.open = 2;
    v.frames = 2000;
    v.current = 10;
    v.fetched.clear();
    send(WM_HOST_UPDATE);
    EXPECT_EQ(title(), before);
    EXPECT_TRUE(v.fetched.empty());
    EXPECT_EQ(P.frame_count, 1000);
}

TEST_F(PanelTest, UpdateAfterTheFrameCountChanged) {
    v.current = 500;
    open("frnum=0\r\npieces=6,8,10,12,14,16,18,20,24,5\r\nivframe=2\r\n");
    ASSERT_EQ(P.pic_count, 5);
    ASSERT_EQ(P.pic_interval, 10);
    v.frames = 2000;
    v.current = 100;
    v.fetched.clear();
    send(WM_HOST_UPDATE);
    // The plain half of N: frame 100 sits in cell 1, not the middle cell 2.
    EXPECT_EQ(P.first_frame, 90);
    EXPECT_EQ(P.frame_count, 2000);
    EXPECT_EQ(v.fetched, (std::vector<int>{90, 100, 110, 120, 130}));
    EXPECT_EQ(marked(), std::vector<int>{1});
}

TEST_F(PanelTest, UpdateMovesTheMarkOnly) {
    v.current = 500;
    open();
    v.fetched.clear();
    v.current = 502;
    send(WM_HOST_UPDATE);
    EXPECT_TRUE(v.fetched.empty());
    EXPECT_EQ(marked(), std::vector<int>{4});
    EXPECT_EQ(title(), "Skimreel  [ 499 - 504 / 1000 ]   IV: 1   CF: 503");

    v.current = 700;  // outside the row: copied back, no mark
    send(WM_HOST_UPDATE);
    EXPECT_TRUE(v.fetched.empty());
    EXPECT_TRUE(marked().empty());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shown(i), 498 + i);
}

TEST_F(PanelTest, PaintBeforeInitDrawsNothing) {
    P.pic_interval = 7;
    const COLORREF before = pixel(10, 60);
    send(WM_PAINT);
    EXPECT_EQ(P.pic_interval, 1);
    EXPECT_EQ(pixel(10, 60), before);
    EXPECT_EQ(winapi_test_gdi_objects(), baseline_objects);
}

TEST_F(PanelTest, ResizeBeforeInitBuildsNothing) {
    MoveWindow(hwnd, 0, 0, 700, 160, TRUE);
    EXPECT_EQ(P.back_dc, nullptr);
    EXPECT_EQ(winapi_test_gdi_objects(), baseline_objects);
    init();
    EXPECT_EQ(P.client_rect.right, 700);  // the set-up reads the size itself
    send(WM_HOST_EXIT);
}

TEST_F(PanelTest, PaintRestoresRowAndMark) {
    v.current = 500;
    open();
    HDC dc = GetDC(hwnd);
    RECT all = {0, 0, W(), H()};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(hwnd, dc);
    InvalidateRect(hwnd, nullptr, FALSE);
    winapi_test_pump(0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shown(i), 498 + i);
    EXPECT_EQ(marked(), std::vector<int>{2});
}

TEST_F(PanelTest, WholeModeWithOneFrame) {
    v.frames = 1;
    open("ivframe=15\r\n");
    EXPECT_EQ(P.pic_interval, 1);
    EXPECT_EQ(P.first_frame, 0);
    for (int id : kCommandButtons) {
        const bool usable = id == 40038 || id == 40041 || id == 40042;
        EXPECT_EQ(button_enabled(id), usable) << id;
    }
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, 0);
    EXPECT_EQ(si.nPos, 0);
}

TEST_F(PanelTest, WholeModeSpansTheVideo) {
    v.frames = 1001;
    v.current = 300;
    open("ivframe=15\r\n");
    EXPECT_EQ(P.pic_interval, 200);
    EXPECT_EQ(P.first_frame, 0);
    EXPECT_EQ(v.fetched, (std::vector<int>{0, 200, 400, 600, 800, 1000}));
}

TEST_F(PanelTest, CloseSuspendResume) {
    v.current = 500;
    open();

    send(WM_HOST_SUSPEND);
    EXPECT_EQ(P.no_video, 1);
    EXPECT_EQ(P.grid_live, 0);
    EXPECT_EQ(P.frame_count, 0);
    EXPECT_EQ(title(), "Skimreel");
    EXPECT_EQ(pixel(cw() / 2, 60), kFace);
    EXPECT_EQ(back_shown(0), 498);  // the back buffer keeps its pictures
    for (int id : kCommandButtons) EXPECT_FALSE(button_enabled(id)) << id;

    v.current = 200;
    v.fetched.clear();
    send(WM_HOST_RESUME);
    EXPECT_EQ(P.grid_live, 1);
    EXPECT_EQ(P.frame_count, 1000);
    EXPECT_EQ(v.fetched, (std::vector<int>{198, 199, 200, 201, 202, 203}));
    for (int id : kCommandButtons) EXPECT_TRUE(button_enabled(id)) << id;

    send(WM_HOST_VIDEO_CLOSE);
    EXPECT_EQ(P.no_video, 1);
    EXPECT_EQ(P.frame_count, 1);
    EXPECT_EQ(title(), "Skimreel");
    EXPECT_EQ(pixel(cw() / 2, 60), kFace);
    EXPECT_EQ(winapi_test_bitmap_pixel(P.back_bitmap, cw() / 2, 60), kFace);
    for (int id : kCommandButtons) EXPECT_FALSE(button_enabled(id)) << id;
}

TEST_F(PanelTest, SuspendStopsARunningRepaint) {
    v.current = 500;
    open();
    v.fetched.clear();
    PostMessageA(hwnd, WM_HOST_SUSPEND, 0, 0);
    repaint_strip(hwnd, &g_filter, P.window_dc, &v);
    EXPECT_EQ(v.fetched.size(), 2u);
    EXPECT_EQ(P.painting, 0);
    EXPECT_EQ(winapi_test_timers(), 0);  // not deferred: it took effect at once
    EXPECT_EQ(P.no_video, 1);
    EXPECT_TRUE(marked().empty());  // the idle row gets no mark
    EXPECT_EQ(pixel(cw() / 2, 60), kFace);
}

TEST_F(PanelTest, OnlyTheRedrawMessageAsksTheHostToRedraw) {
    init();
    for (UINT msg : std::initializer_list<UINT>{WM_HOST_UPDATE, WM_HOST_VIDEO_OPEN, WM_PAINT, WM_SIZE, WM_TIMER, WM_COMMAND, WM_KEYDOWN,
                     WM_LBUTTONDOWN, WM_JUMP_STEP_LATER})
        EXPECT_FALSE(func_WndProc(hwnd, msg, 0, 0, &v, &g_filter)) << msg;
    EXPECT_TRUE(func_WndProc(hwnd, WM_JUMP_HOST_REDRAW, 0, 0, &v, &g_filter));
    send(WM_HOST_EXIT);
}

// ---------------------------------------------------------------------------
// Sizing and scrolling through the window

RECT window_rect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

TEST_F(PanelTest, OpeningRefitsTheHeight) {
    struct Case {
        const char *ini;
        int x, width, height;
    } cases[] = {
        {"", 100, 600, 600 * 3 / (6 * 4) + 72},
        {"aspect=1\r\n", 100, 600, 32 * 600 / (64 * 6) + 72},
        {"fix_fsize=1\r\n", (100 + 700 + 1 - 240) / 2, 241, 102},
    };
    for (const Case &c : cases) {
        restart();
        open(c.ini);
        const RECT r = window_rect(hwnd);
        EXPECT_EQ(r.left, c.x) << c.ini;
        EXPECT_EQ(r.right - r.left, c.width) << c.ini;
        EXPECT_EQ(r.bottom - r.top, c.height) << c.ini;
        EXPECT_EQ(r.top, 200) << c.ini;
        // One repaint, from the size change.
        EXPECT_EQ(v.fetched.size(), 6u) << c.ini;
        EXPECT_EQ(P.resized, 1) << c.ini;
        send(WM_HOST_EXIT);
    }
}

TEST_F(PanelTest, WidthPresetsOnTheScreen) {
    struct Case {
        const char *ini;
        int x, width, height;
    } cases[] = {
        {"size=1\r\nfrnum=3\r\n", 0, 960, 144},
        {"size=1\r\nfrnum=3\r\naspect=1\r\n", 0, 960, 1920 * 32 / (64 * 10 * 2) + 72},
        {"fix_fsize=1\r\nfrnum=3\r\n", 200, 401, 102},
        {"fix_fsize=1\r\nfrnum=3\r\nfix_w=200\r\n", 0, 1920, 30 * 1920 / 2000 + 72},
        {"size=9\r\nfrnum=3\r\n", 80, 640, 120},
    };
    for (const Case &c : cases) {
        restart();
        open(c.ini);
        MoveWindow(hwnd, 200, 300, 401, 150, TRUE);  // centre 400
        apply_width_preset(hwnd);
        const RECT r = window_rect(hwnd);
        EXPECT_EQ(r.left, c.x) << c.ini;
        EXPECT_EQ(r.top, 300) << c.ini;
        EXPECT_EQ(r.right - r.left, c.width) << c.ini;
        EXPECT_EQ(r.bottom - r.top, c.height) << c.ini;
        EXPECT_EQ(P.screen_width, 1920);
        send(WM_HOST_EXIT);
    }
}

TEST_F(PanelTest, SameSizeSendsNoResize) {
    open();
    const RECT r = window_rect(hwnd);
    v.fetched.clear();
    refit_panel_height(hwnd);
    EXPECT_EQ(window_rect(hwnd).bottom, r.bottom);
    EXPECT_TRUE(v.fetched.empty());
}

TEST_F(PanelTest, ScrollBarFollowsTheRow) {
    open("frnum=3\r\nivframe=2\r\n");
    P.first_frame = 995;
    update_scroll_bar(hwnd);
    EXPECT_EQ(P.first_frame, 905);
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_HORZ, &si);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 90);
    EXPECT_EQ(si.nPage, 1u);
    EXPECT_EQ(si.nPos, 90);

    P.pic_interval = -4;  // never stored by the panel; must still end
    update_scroll_bar(hwnd);
    EXPECT_EQ(P.pic_interval, 1);
}

// ---------------------------------------------------------------------------
// Resources

TEST_F(PanelTest, NoObjectLeaks) {
    v.current = 500;
    open();
    MoveWindow(hwnd, 0, 0, 800, 200, TRUE);
    repaint_strip(hwnd, &g_filter, P.window_dc, &v);
    refresh_strip(hwnd, &g_filter, P.window_dc, &v);
    quick_show_ends(hwnd, &g_filter, P.window_dc, &v);
    send(WM_HOST_VIDEO_CLOSE);
    send(WM_HOST_VIDEO_OPEN);
    send(WM_HOST_SUSPEND);
    send(WM_HOST_RESUME);
    InvalidateRect(hwnd, nullptr, FALSE);
    winapi_test_pump(0);
    send(WM_HOST_EXIT);
    DestroyWindow(hwnd);  // the toolbar goes with it
    hwnd = nullptr;
    EXPECT_EQ(winapi_test_gdi_objects(), baseline_objects);
    EXPECT_EQ(winapi_test_window_dcs(), baseline_dcs);
    EXPECT_EQ(winapi_test_critical_sections(), 0);
}

}  // namespace
