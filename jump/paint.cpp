// jump: the thumbnail row. Pictures go into the back buffer first and are
// copied to the window from there; only the green mark is drawn straight onto
// the window, so every copy from the back buffer erases it.
//
// Geometry, with W x H the client size, N cells and cw = W / N:
//   cell i          columns i*cw .. (i+1)*cw, from row 29 (the toolbar is above)
//   picture of i    (i*cw + 1, 31), cw - 1 wide, H - 33 high
//   green mark      outline (i*cw, 30) .. ((i+1)*cw + 1, H), pen 2 pixels wide

#include <windows.h>

#include "jump/gdi.h"
#include "jump/layout.h"
#include "jump/panel.h"

namespace jump {

namespace {

Panel &P = panel();

int client_w() { return P.client_rect.right; }
int client_h() { return P.client_rect.bottom; }
int cell_w() { return P.pic_count > 0 ? client_w() / P.pic_count : 0; }
int last_shown() { return P.first_frame + (P.pic_count - 1) * P.pic_interval; }
bool frame_exists(int f) { return f >= 0 && f < P.frame_count; }
bool shown(int cur) { return P.first_frame <= cur && cur <= last_shown(); }

HOST_FUNC_TABLE &host(FILTER *fp) { return *fp->host_func_table; }

// Stretches frame f into cell i of the back buffer; nothing for a frame past
// the end of the video.
void stretch_cell(FILTER *fp, void *editp, int i, int f) {
    if (!frame_exists(f)) return;
    const void *pixels = host(fp).get_frame_image(editp, f);
    const int cw = cell_w();
    StretchDIBits(P.back_dc, i * cw + 1, 31, cw - 1, client_h() - 33, 0, 0, P.source_width, P.source_height,
                  pixels, &P.thumb_bitmap_info, DIB_RGB_COLORS, SRCCOPY);
}

void copy_to_window(HDC dc, int x, int y, int w, int h) { BitBlt(dc, x, y, w, h, P.back_dc, x, y, SRCCOPY); }

// The whole row, back buffer to window.
void strip_copy(HDC dc, int extra) { copy_to_window(dc, 0, kRowTop, P.pic_count * cell_w() + extra, client_h()); }

// Pumps the thread's messages. False when the host's exit message came: it
// is posted again for the host's own loop, and the repaint must end at once.
bool pump(bool stop_on_exit) {
    while (PeekMessageA(&P.pump_msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&P.pump_msg);
        if (stop_on_exit && P.pump_msg.message == WM_HOST_EXIT) {
            PostMessageA(P.pump_msg.hwnd, P.pump_msg.message, P.pump_msg.wParam, P.pump_msg.lParam);
            return false;
        }
        DispatchMessageA(&P.pump_msg);
    }
    return true;
}

// Paging shows only the end cells at once; the middle ones go black, with a
// black pen 2 pixels wide and the black brush, until the next full repaint.
void black_out() {
    if (P.pic_count < 3) return;  // no middle cell
    const int cw = cell_w();
    Pen black(2, RGB(0, 0, 0));
    Selection pen(P.back_dc, black);
    Selection brush(P.back_dc, GetStockObject(BLACK_BRUSH));
    Rectangle(P.back_dc, cw + 2, 32, cw * (P.pic_count - 1), client_h() - 2);
}

}  // namespace

bool set_panel_title(HWND hwnd, FILTER *fp, void *editp, int *cur) {
    const bool open = host(fp).is_video_open(editp) && P.frame_count != 0;
    *cur = -1;
    if (open) {
        *cur = host(fp).get_current_frame(editp);
        int last = last_shown();
        if (P.pic_interval > 0)
            while (last > P.frame_count - 1) last -= P.pic_interval;
        const int z = P.set.zero_based;
        wsprintfA(P.title_text, "%s  [ %d - %d / %d ]   IV: %d   CF: %d", kSection, P.first_frame - z + 1,
                  last - z + 1, P.frame_count - z, P.pic_interval, *cur - z + 1);
    } else {
        wsprintfA(P.title_text, "%s", kSection);
    }
    SetWindowTextA(hwnd, P.title_text);
    return open;
}

void draw_current_mark(HDC dc, int cur) {
    int i = 0;
    while (i < P.pic_count && P.first_frame + i * P.pic_interval != cur) ++i;
    if (i == P.pic_count) return;
    const int cw = cell_w();
    Pen green(2, kMarkColour);
    Selection pen(dc, green);
    Selection brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, i * cw, 30, (i + 1) * cw + 1, client_h());
}

void fill_row_area(HDC dc) {
    Selection brush(dc, GetSysColorBrush(COLOR_BTNFACE));
    Selection pen(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 0, kRowTop, client_w() + 1, client_h() + 1);
}

// After a pump: true when the repaint was stopped, by a newer command, which
// runs next, or by a suspend, after which the row is idle and carries no mark.
static bool stopped(HDC dc, FILTER *fp, void *editp) {
    if (P.painting != 0) return false;
    if (P.grid_live) draw_current_mark(dc, host(fp).get_current_frame(editp));
    return true;
}

int repaint_strip(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    P.painting = 1;
    FillRect(P.back_dc, &P.client_rect, GetSysColorBrush(COLOR_BTNFACE));
    fill_row_area(dc);
    int cur;
    if (set_panel_title(hwnd, fp, editp, &cur)) draw_current_mark(dc, cur);

    const int cw = cell_w();
    const int h = client_h() - 33;
    {
        Locked lock(P.paint_lock);
        if (frame_exists(P.first_frame)) {
            stretch_cell(fp, editp, 0, P.first_frame);
            copy_to_window(dc, 1, 31, cw, h);
        }
    }
    int x = 0;
    for (int i = 1; i < P.pic_count; ++i) {
        {
            Locked lock(P.paint_lock);
            x += cw;
            const int f = P.first_frame + i * P.pic_interval;
            if (frame_exists(f)) {
                stretch_cell(fp, editp, i, f);
                copy_to_window(dc, x + 1, 31, cw, h);
            }
        }
        if (!pump(true)) return 0;  // the host is shutting down: painting stays 1
        if (stopped(dc, fp, editp)) return 0;
    }
    draw_current_mark(dc, host(fp).get_current_frame(editp));
    P.painting = 0;
    return 0;
}

int refresh_strip(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    const int first_cur = host(fp).get_current_frame(editp);
    P.painting = 1;
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    draw_current_mark(dc, first_cur);

    const int cw = cell_w();
    const int h = client_h() - 33;
    {
        Selection pen(P.back_dc, GetStockObject(NULL_PEN));
        Selection brush(P.back_dc, GetSysColorBrush(COLOR_BTNFACE));
        for (int i = 0, x = 0; i < P.pic_count; ++i) {
            x += cw;
            Rectangle(P.back_dc, x, kRowTop, x + 2, client_h() + 1);
        }
    }
    {
        Locked lock(P.paint_lock);
        stretch_cell(fp, editp, 0, P.first_frame);
        copy_to_window(dc, 1, 31, cw - 1, h);
    }
    int x = 0;
    for (int i = 1; i < P.pic_count; ++i) {
        {
            Locked lock(P.paint_lock);
            x += cw;
            stretch_cell(fp, editp, i, P.first_frame + i * P.pic_interval);
            copy_to_window(dc, x + 1, 31, cw, h);
            copy_to_window(dc, x, kRowTop, cw, client_h() - kRowTop);
        }
        pump(false);
        if (stopped(dc, fp, editp)) return 0;
    }
    draw_current_mark(dc, host(fp).get_current_frame(editp));
    P.painting = 0;
    return 0;
}

int shift_strip_left(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    cur = host(fp).get_current_frame(editp);
    const int cw = cell_w();
    {
        Locked lock(P.paint_lock);
        BitBlt(P.back_dc, 1, 31, client_w(), client_h() - 33, P.back_dc, cw + 1, 31, SRCCOPY);
        stretch_cell(fp, editp, P.pic_count - 1, last_shown());
        strip_copy(dc, 1);
    }
    if (shown(cur)) draw_current_mark(dc, cur);
    return 0;
}

int shift_strip_right(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    cur = host(fp).get_current_frame(editp);
    const int cw = cell_w();
    {
        Locked lock(P.paint_lock);
        BitBlt(P.back_dc, cw + 1, 31, cw * (P.pic_count - 1), client_h() - 33, P.back_dc, 1, 31, SRCCOPY);
        stretch_cell(fp, editp, 0, P.first_frame);
        strip_copy(dc, 1);
    }
    if (shown(cur)) draw_current_mark(dc, cur);
    return 0;
}

int quick_page_forward(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    const int cw = cell_w();
    Locked lock(P.paint_lock);
    // The old last picture becomes the first.
    BitBlt(P.back_dc, 1, 31, client_w(), client_h() - 33, P.back_dc, cw * (P.pic_count - 1) + 1, 31, SRCCOPY);
    black_out();
    stretch_cell(fp, editp, P.pic_count - 1, last_shown());
    strip_copy(dc, 1);
    return 0;
}

int quick_page_back(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    const int cw = cell_w();
    Locked lock(P.paint_lock);
    // The old first picture becomes the last.
    BitBlt(P.back_dc, cw * (P.pic_count - 1) + 1, 31, cw, client_h() - 33, P.back_dc, 1, 31, SRCCOPY);
    black_out();
    stretch_cell(fp, editp, 0, P.first_frame);
    strip_copy(dc, 1);
    return 0;
}

int quick_show_ends(HWND hwnd, FILTER *fp, HDC dc, void *editp) {
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    Locked lock(P.paint_lock);
    black_out();
    stretch_cell(fp, editp, 0, P.first_frame);
    stretch_cell(fp, editp, P.pic_count - 1, last_shown());
    strip_copy(dc, 2);
    return 0;
}

int end_mouse_scroll(FILTER *fp, void *editp, HWND hwnd, HDC dc) {
    ReleaseCapture();
    P.mouse_scroll_on = 0;
    RECT band;
    GetClientRect(P.toolbar_hwnd, &band);
    band.left = P.wheel_x - 14;
    band.right = P.wheel_x + 14;
    band.bottom += 1;
    RedrawWindow(P.toolbar_hwnd, &band, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    const bool paged = P.page_right_on || P.page_left_on;
    P.step_right_on = P.page_right_on = P.step_left_on = P.page_left_on = 0;
    if (paged) refresh_strip(hwnd, fp, dc, editp);
    copy_to_window(dc, 1, kRowTop, client_w(), client_h() - kRowTop);
    if (P.grid_live) {
        const int cur = host(fp).get_current_frame(editp);
        if (shown(cur)) draw_current_mark(dc, cur);
    }
    return 0;
}

}  // namespace jump
