// jump: sizing the panel window and keeping the row inside the video. The
// arithmetic is in layout.cpp; this reads the screen and the window and
// applies the result. A size change makes the window send WM_SIZE, whose
// handler rebuilds the back buffer and repaints.

#include <windows.h>

#include "jump/layout.h"
#include "jump/panel.h"

namespace jump {

namespace {

Panel &P = panel();

// Reads the display width into the record; the caller deletes the context.
HDC read_screen_width() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    P.screen_width = short(GetDeviceCaps(display, HORZRES));
    return display;
}

SizeRules size_rules() {
    return {P.screen_width, P.set.width_index, P.set.aspect_mode, P.set.fixed_size_on, P.set.fixed_pic_w,
            P.set.fixed_pic_h, P.pic_count, P.source_width, P.source_height};
}

Rect window_rect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void place(HWND hwnd, const Rect &old, const Placement &p) { MoveWindow(hwnd, p.x, old.top, p.width, p.height, TRUE); }

}  // namespace

void apply_width_preset(HWND hwnd) {
    HDC display = read_screen_width();
    const Rect old = window_rect(hwnd);
    place(hwnd, old, width_preset(size_rules(), old));
    DeleteDC(display);
}

void refit_panel_height(HWND hwnd) {
    HDC display = read_screen_width();
    const Rect old = window_rect(hwnd);
    place(hwnd, old, refit_height(size_rules(), old));
    DeleteDC(display);
}

int update_scroll_bar(HWND hwnd) {
    const ScrollPlan plan = plan_scroll(P.first_frame, P.pic_interval, P.pic_count, P.frame_count,
                                        whole_mode(P.set.interval_index, P.set.custom_interval_index));
    P.first_frame = plan.first_frame;
    P.pic_interval = plan.interval;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = plan.max;
    si.nPage = 1;
    si.nPos = plan.pos;
    return SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

}  // namespace jump
