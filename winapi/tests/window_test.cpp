// Windows, messages, timers, scroll bars and the pointer of the stand-in.
#include <windows.h>
#include <winapi_testing.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

std::vector<Seen> g_seen;
bool g_validate = true;

LRESULT CALLBACK record_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_seen.push_back({hwnd, msg, wp, lp});
    if (msg == WM_PAINT && !g_validate) return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Sends itself WM_USER + 1 from inside WM_USER, so the nesting shows in the log.
LRESULT CALLBACK nesting_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_seen.push_back({hwnd, msg, wp, lp});
    if (msg == WM_USER) {
        LRESULT inner = SendMessageA(hwnd, WM_USER + 1, wp + 1, 0);
        g_seen.push_back({hwnd, WM_USER + 2, (WPARAM)inner, 0});
        return inner + 100;
    }
    if (msg == WM_USER + 1) return (LRESULT)wp * 10;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        winapi_test_reset();
        g_seen.clear();
        g_validate = true;
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = record_proc;
            wc.lpszClassName = "Record";
            ASSERT_NE(RegisterClassA(&wc), 0);
            wc.lpfnWndProc = nesting_proc;
            wc.lpszClassName = "Nesting";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
    }

    HWND panel(DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_HSCROLL | WS_VISIBLE) {
        return CreateWindowExA(0, "Record", "Panel", style, 100, 50, 400, 200, nullptr, nullptr, nullptr,
                               nullptr);
    }

    std::vector<UINT> messages_to(HWND h) {
        std::vector<UINT> r;
        for (const Seen &s : g_seen)
            if (s.hwnd == h) r.push_back(s.msg);
        return r;
    }
};

TEST_F(Windows, CreationSendsCreateSizeMoveAndSetsTheRectangles) {
    HWND h = panel();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(messages_to(h), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
    RECT w, c;
    ASSERT_TRUE(GetWindowRect(h, &w));
    ASSERT_TRUE(GetClientRect(h, &c));
    EXPECT_EQ(w.left, 100);
    EXPECT_EQ(w.top, 50);
    EXPECT_EQ(w.right, 500);
    EXPECT_EQ(w.bottom, 250);
    // Thick frame 4 on every side, caption 19, scroll bar 17.
    EXPECT_EQ(c.left, 0);
    EXPECT_EQ(c.top, 0);
    EXPECT_EQ(c.right, 400 - 8);
    EXPECT_EQ(c.bottom, 200 - 8 - 19 - 17);
    const Seen &size = g_seen[2];
    EXPECT_EQ(LOWORD(size.lp), c.right);
    EXPECT_EQ(HIWORD(size.lp), c.bottom);
    POINT p{0, 0};
    ClientToScreen(h, &p);
    EXPECT_EQ(p.x, 104);
    EXPECT_EQ(p.y, 50 + 4 + 19);
    ScreenToClient(h, &p);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST_F(Windows, MoveWindowSendsSizeOnlyWhenTheSizeChanges) {
    HWND h = panel();
    struct Case {
        int x, y, w, h;
        std::vector<UINT> expected;
    } cases[] = {
        {100, 50, 400, 200, {}},
        {120, 50, 400, 200, {WM_MOVE}},
        {120, 50, 500, 200, {WM_SIZE}},
        {0, 0, 300, 100, {WM_SIZE, WM_MOVE}},
    };
    for (const Case &k : cases) {
        g_seen.clear();
        ASSERT_TRUE(MoveWindow(h, k.x, k.y, k.w, k.h, TRUE));
        EXPECT_EQ(messages_to(h), k.expected) << k.x << "," << k.w;
    }
}

TEST_F(Windows, ChildCoordinatesFollowTheParentsClientArea) {
    HWND p = panel();
    HWND c = CreateWindowExA(0, "Record", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 50, 30, p,
                             (HMENU)7, nullptr, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(GetParent(c), p);
    EXPECT_TRUE(IsChild(p, c));
    EXPECT_EQ(GetDlgItem(p, 7), c);
    EXPECT_EQ(GetDlgCtrlID(c), 7);
    RECT r;
    GetWindowRect(c, &r);
    EXPECT_EQ(r.left, 104 + 10);
    EXPECT_EQ(r.top, 73 + 20);
    GetClientRect(c, &r);
    EXPECT_EQ(r.right, 48);
    EXPECT_EQ(r.bottom, 28);
    POINT pt{0, 0};
    ClientToScreen(c, &pt);
    EXPECT_EQ(pt.x, 104 + 11);
    EXPECT_EQ(WindowFromPoint(POINT{120, 100}), c);
    EXPECT_EQ(WindowFromPoint(POINT{300, 100}), p);
    DestroyWindow(p);
    EXPECT_FALSE(IsWindow(c));
    EXPECT_EQ(winapi_test_windows(), 0);
}

TEST_F(Windows, SendMessageIsSynchronousAndReentrant) {
    HWND h = CreateWindowExA(0, "Nesting", nullptr, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr);
    g_seen.clear();
    EXPECT_EQ(SendMessageA(h, WM_USER, 4, 0), 150);
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].msg, (UINT)WM_USER);
    EXPECT_EQ(g_seen[1].msg, (UINT)WM_USER + 1);
    EXPECT_EQ(g_seen[1].wp, 5u);
    EXPECT_EQ(g_seen[2].msg, (UINT)WM_USER + 2);
    EXPECT_EQ(g_seen[2].wp, 50u);
    EXPECT_EQ(SendMessageA((HWND)12345, WM_USER, 0, 0), 0);
}

TEST_F(Windows, PeekMessageFiltersAndRemoves) {
    HWND a = panel(WS_OVERLAPPED);
    HWND b = panel(WS_OVERLAPPED);
    HWND child = CreateWindowExA(0, "Record", nullptr, WS_CHILD, 0, 0, 5, 5, a, nullptr, nullptr, nullptr);
    PostMessageA(b, WM_USER + 1, 1, 0);
    PostMessageA(child, WM_MOUSEMOVE, 2, 0);
    PostMessageA(a, WM_USER + 3, 3, 0);
    PostMessageA(nullptr, WM_USER + 4, 4, 0);
    EXPECT_EQ(winapi_test_queue_length(), 4);

    MSG m;
    struct Case {
        const char *what;
        HWND filter;
        UINT first, last;
        bool found;
        WPARAM wp;
    } cases[] = {
        {"any", nullptr, 0, 0, true, 1},
        {"window a and its child", a, 0, 0, true, 2},
        {"range", nullptr, WM_USER + 3, WM_USER + 4, true, 3},
        {"mouse range on b", b, WM_MOUSEFIRST, WM_MOUSELAST, false, 0},
        {"thread messages", (HWND)-1, 0, 0, true, 4},
    };
    for (const Case &k : cases) {
        bool got = PeekMessageA(&m, k.filter, k.first, k.last, PM_NOREMOVE);
        EXPECT_EQ(got, k.found) << k.what;
        if (got) {
            EXPECT_EQ(m.wParam, k.wp) << k.what;
        }
    }
    EXPECT_EQ(winapi_test_queue_length(), 4);
    ASSERT_TRUE(PeekMessageA(&m, a, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, child);
    EXPECT_EQ(winapi_test_queue_length(), 3);
    // Dispatching a posted message reaches the window procedure.
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    g_seen.clear();
    DispatchMessageA(&m);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].msg, (UINT)WM_USER + 1);
    // A destroyed window's messages go with it.
    DestroyWindow(a);
    EXPECT_EQ(winapi_test_queue_length(), 1);
}

TEST_F(Windows, TranslateMessagePostsCharacters) {
    HWND h = panel(WS_OVERLAPPED);
    MSG m{h, WM_KEYDOWN, 'K', 0, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&m));
    m.wParam = VK_PRIOR;
    EXPECT_FALSE(TranslateMessage(&m));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, (UINT)WM_CHAR);
    EXPECT_EQ(m.wParam, (WPARAM)'k');
}

TEST_F(Windows, TimersArriveThroughTheQueueOnTheTestClock) {
    HWND h = panel(WS_OVERLAPPED);
    ASSERT_NE(SetTimer(h, 1, 1, nullptr), 0u);  // raised to the 10 ms minimum
    ASSERT_NE(SetTimer(h, 2, 25, nullptr), 0u);
    MSG m;
    winapi_test_advance_clock(9);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    winapi_test_advance_clock(1);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, (UINT)WM_TIMER);
    EXPECT_EQ(m.wParam, 1u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // due again at 20
    Sleep(15);                                                 // clock 25: both due, one message each
    g_seen.clear();
    EXPECT_EQ(winapi_test_pump(0), 2);
    EXPECT_EQ(messages_to(h), (std::vector<UINT>{WM_TIMER, WM_TIMER}));
    EXPECT_TRUE(KillTimer(h, 1));
    EXPECT_FALSE(KillTimer(h, 1));
    winapi_test_advance_clock(100);
    g_seen.clear();
    EXPECT_EQ(winapi_test_pump(0), 1);
    EXPECT_EQ(g_seen[0].wp, 2u);
    EXPECT_EQ(GetTickCount(), 125u);
    DestroyWindow(h);
    EXPECT_EQ(winapi_test_timers(), 0);
}

TEST_F(Windows, PaintIsGeneratedUntilValidated) {
    HWND h = panel();
    g_seen.clear();
    EXPECT_EQ(winapi_test_pump(0), 1);  // shown, so invalid; DefWindowProcA validates
    EXPECT_EQ(messages_to(h), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(winapi_test_pump(0), 0);
    g_validate = false;
    InvalidateRect(h, nullptr, FALSE);
    EXPECT_EQ(winapi_test_pump(5), 5);  // a procedure that never validates keeps getting it
    g_validate = true;
    EXPECT_EQ(winapi_test_pump(0), 1);
    // Posted messages come before WM_PAINT.
    InvalidateRect(h, nullptr, FALSE);
    PostMessageA(h, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, (UINT)WM_USER);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, (UINT)WM_PAINT);
    EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // still invalid
    UpdateWindow(h);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Windows, InvalidatingAParentReachesTheChildrenUnderIt) {
    struct Case {
        const char *what;
        DWORD parent_style;
        RECT area;
        UINT redraw_flags;  // 0: InvalidateRect
        bool child_invalid;
        RECT child_update;
    } cases[] = {
        {"all", 0, {0, 0, 400, 200}, 0, true, {0, 0, 48, 28}},
        {"part, in the child's client coordinates", 0, {0, 0, 30, 40}, 0, true, {0, 0, 19, 19}},
        {"beside the child", 0, {200, 0, 300, 100}, 0, false, {}},
        {"parent clips its children", WS_CLIPCHILDREN, {0, 0, 400, 200}, 0, false, {}},
        {"RDW_ALLCHILDREN despite clipping", WS_CLIPCHILDREN, {0, 0, 400, 200},
         RDW_INVALIDATE | RDW_ALLCHILDREN, true, {0, 0, 48, 28}},
        {"RDW_NOCHILDREN", 0, {0, 0, 400, 200}, RDW_INVALIDATE | RDW_NOCHILDREN, false, {}},
    };
    for (const Case &k : cases) {
        HWND p = panel(WS_OVERLAPPED | WS_VISIBLE | k.parent_style);
        HWND c = CreateWindowExA(0, "Record", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 50, 30, p,
                                 nullptr, nullptr, nullptr);
        winapi_test_pump(0);
        if (k.redraw_flags)
            RedrawWindow(p, &k.area, nullptr, k.redraw_flags);
        else
            InvalidateRect(p, &k.area, TRUE);
        RECT u;
        EXPECT_EQ(GetUpdateRect(c, &u, FALSE), k.child_invalid) << k.what;
        if (k.child_invalid) {
            EXPECT_TRUE(EqualRect(&u, &k.child_update)) << k.what;
        }
        DestroyWindow(p);
    }
}

TEST_F(Windows, TitleGoesThroughTheWindowProcedure) {
    HWND h = panel();
    g_seen.clear();
    ASSERT_TRUE(SetWindowTextA(h, "Skimreel  [ 1 - 6 / 100 ]"));
    EXPECT_EQ(messages_to(h), (std::vector<UINT>{WM_SETTEXT}));
    char buf[64];
    EXPECT_EQ(GetWindowTextA(h, buf, sizeof buf), 25);
    EXPECT_STREQ(buf, "Skimreel  [ 1 - 6 / 100 ]");
    EXPECT_EQ(GetWindowTextA(h, buf, 5), 4);
    EXPECT_STREQ(buf, "Skim");
    EXPECT_EQ(GetWindowTextLengthA(h), 25);
}

TEST_F(Windows, ScrollInfoIsClamped) {
    HWND h = panel();
    struct Case {
        const char *what;
        UINT mask;
        int min, max;
        UINT page;
        int pos;
        int want_pos;
        UINT want_page;
    } cases[] = {
        {"plain", SIF_RANGE | SIF_PAGE | SIF_POS, 0, 90, 1, 90, 90, 1},
        {"position above max - page + 1", SIF_RANGE | SIF_PAGE | SIF_POS, 0, 90, 11, 90, 80, 11},
        {"negative position", SIF_POS, 0, 0, 0, -5, 0, 11},
        {"page larger than the range", SIF_RANGE | SIF_PAGE | SIF_POS, 0, 9, 50, 3, 0, 10},
        {"single position", SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 1, 7, 0, 1},
    };
    for (const Case &k : cases) {
        SCROLLINFO si{sizeof si, k.mask, k.min, k.max, k.page, k.pos, 0};
        EXPECT_EQ(SetScrollInfo(h, SB_HORZ, &si, TRUE), k.want_pos) << k.what;
        SCROLLINFO out{sizeof out, SIF_ALL, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(h, SB_HORZ, &out));
        EXPECT_EQ(out.nPos, k.want_pos) << k.what;
        EXPECT_EQ(out.nPage, k.want_page) << k.what;
    }
    winapi_test_set_scroll_track(h, SB_HORZ, 42);
    SCROLLINFO t{sizeof t, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(h, SB_HORZ, &t);
    EXPECT_EQ(t.nTrackPos, 42);
}

TEST_F(Windows, AScrollBarHidesWhenNotNeededUnlessKeptShown) {
    HWND h = panel();
    RECT before;
    GetClientRect(h, &before);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 1, 0, 0};
    g_seen.clear();
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
    EXPECT_TRUE(winapi_test_scroll_bar_visible(h, SB_HORZ));
    EXPECT_TRUE(messages_to(h).empty());
    si.fMask &= ~SIF_DISABLENOSCROLL;
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
    EXPECT_FALSE(winapi_test_scroll_bar_visible(h, SB_HORZ));
    ASSERT_EQ(messages_to(h), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(HIWORD(g_seen[0].lp), before.bottom + 17);
    // A window created without the bar gets it when the range becomes scrollable.
    HWND bare = panel(WS_OVERLAPPED | WS_CAPTION);
    si = SCROLLINFO{sizeof si, SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
    SetScrollInfo(bare, SB_HORZ, &si, TRUE);
    EXPECT_TRUE(winapi_test_scroll_bar_visible(bare, SB_HORZ));
}

TEST_F(Windows, PointerMovesPostMouseMessagesToTheCaptureWindow) {
    HWND a = panel(WS_OVERLAPPED | WS_VISIBLE);  // client at (100, 50)
    HWND b = CreateWindowExA(0, "Record", nullptr, WS_OVERLAPPED | WS_VISIBLE, 600, 50, 100, 100, nullptr,
                             nullptr, nullptr, nullptr);
    winapi_test_pump(0);
    g_seen.clear();
    SetCursorPos(650, 60);  // over b
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(GetCapture(), a);
    SetCursorPos(650, 70);  // captured: a gets it, in a's client coordinates
    SetCursorPos(650, 70);  // no move, no message
    mouse_event(MOUSEEVENTF_MOVE, (DWORD)-10, 0, 0, 0);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 640);
    EXPECT_EQ(p.y, 70);
    winapi_test_pump(0);
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].hwnd, b);
    EXPECT_EQ(g_seen[1].hwnd, a);
    EXPECT_EQ((short)LOWORD(g_seen[1].lp), 550);
    EXPECT_EQ((short)HIWORD(g_seen[1].lp), 20);
    EXPECT_EQ((short)LOWORD(g_seen[2].lp), 540);
    g_seen.clear();
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(messages_to(a), (std::vector<UINT>{WM_CAPTURECHANGED}));
    winapi_test_set_cursor_pos(150, 80);  // no message at all
    EXPECT_EQ(winapi_test_queue_length(), 0);
    mouse_event(MOUSEEVENTF_MIDDLEDOWN, 0, 0, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, (UINT)WM_MBUTTONDOWN);
    EXPECT_EQ(m.hwnd, a);
    EXPECT_EQ(m.wParam, (WPARAM)MK_MBUTTON);
    EXPECT_TRUE(GetKeyState(VK_MBUTTON) & 0x8000);
}

TEST_F(Windows, CursorAndMessageLoopBasics) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(SetCursor(arrow), nullptr);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(winapi_test_cursor_id(arrow), 32512);
    // GetMessageA ends a loop that nothing can wake, instead of blocking.
    PostQuitMessage(3);
    MSG m;
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.wParam, 3u);
    HWND h = panel(WS_OVERLAPPED);
    SetTimer(h, 9, 50, nullptr);
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, (UINT)WM_TIMER);
    EXPECT_EQ(GetTickCount(), 50u);
}

TEST_F(Windows, StringHelpersFollowTheWindowsRules) {
    char buf[2048];
    const char *title = "Skimreel  [ 1 - 10 / 100 ]   IV: 1   CF: 5";
    EXPECT_EQ(wsprintfA(buf, "%s  [ %d - %d / %d ]   IV: %d   CF: %d", "Skimreel", 1, 10, 100, 1, 5),
              (int)strlen(title));
    EXPECT_STREQ(buf, title);
    wsprintfA(buf, "%ld|%5d|%-3d|%03u|%x|%X|%c|%%|%hd", -7L, 42, 1, 7u, 255u, 255u, 'Z', 65537);
    EXPECT_STREQ(buf, "-7|   42|1  |007|ff|FF|Z|%|1");
    std::string long_text(3000, 'a');
    EXPECT_EQ(wsprintfA(buf, "%s", long_text.c_str()), 1024);
    struct Itoa {
        int v;
        int radix;
        const char *want;
    } itoa_cases[] = {{-1, 10, "-1"}, {0, 10, "0"}, {2147483647, 10, "2147483647"},
                      {-2147483647 - 1, 10, "-2147483648"}, {255, 16, "ff"}, {-1, 16, "ffffffff"}};
    for (const Itoa &k : itoa_cases) EXPECT_STREQ(_itoa(k.v, buf, k.radix), k.want);
}

}  // namespace

namespace {

TEST(CriticalSection, NestsAndIsCountedUntilDeleted) {
    winapi_test_reset();
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EXPECT_EQ(winapi_test_critical_sections(), 1);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EXPECT_EQ(cs.RecursionCount, 2);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    EXPECT_DEATH(LeaveCriticalSection(&cs), "left without being entered");
    DeleteCriticalSection(&cs);
    EXPECT_EQ(winapi_test_critical_sections(), 0);
    EXPECT_DEATH(EnterCriticalSection(&cs), "after deletion");
}

}  // namespace
