// jump: the panel's one state record and the window routines that share it.
// Every handler of the window callback, the painting routines and the sizing
// routines read and write this record directly; there is one panel per process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "jump/settings.h"
#include "sdk/filter.h"
#include "sdk/host.h"

namespace jump {

// The panel's own window messages.
constexpr UINT WM_JUMP_HOST_REDRAW = WM_USER + 200;  // answered TRUE, nothing else: the host redraws
constexpr UINT WM_JUMP_STEP_LATER = 0x4c9;           // one interval to later frames
constexpr UINT WM_JUMP_STEP_EARLIER = 0x4ca;         // one interval to earlier frames
constexpr UINT WM_JUMP_PAGE_LATER = 0x4cb;           // one page to later frames
constexpr UINT WM_JUMP_PAGE_EARLIER = 0x4cc;         // one page to earlier frames
constexpr UINT WM_JUMP_FINISH_SCROLL = 0x4cd;        // final repaint after fast scrolling

constexpr UINT_PTR kDeferTimer = 1;  // re-sends a message postponed during a repaint, after 1 ms
constexpr int kToolbarId = 100;
constexpr int kToolbarBitmap = 110;  // ten 16 x 16 button images side by side
constexpr int kRangeCursor = 104;
constexpr int kToolbarEntries = 15;
constexpr COLORREF kMarkColour = RGB(63, 255, 63);

struct Panel {
    Settings set;  // the twelve settings-backed fields

    // View of the video
    int pic_count;       // N: cells in the row
    int pic_interval;    // IV: frames between neighbouring cells
    int first_frame;     // F: frame of cell 0
    int frame_count;     // C: frames of the open video, as last read
    int source_width;    // frame size as last read from the host
    int source_height;
    int sel_start;       // selection as last read or written
    int sel_end;
    FRAME_STATE frame_status;  // scratch for the frame-status services

    // Modes and flags (0 or 1)
    int initialised;      // WM_HOST_INIT handled
    int no_video;         // no video shown
    int grid_live;        // the row shows a video
    int range_mode;       // selection-range mode of the mouse
    int mouse_scroll_on;  // Mouse-Scroll mode
    int step_left_on, step_right_on, page_left_on, page_right_on;  // running Mouse-Scroll loop
    short scroll_delay;   // ms between two Mouse-Scroll steps
    short wheel_x, wheel_y;  // client point where Mouse-Scroll mode started
    int scrolled_far;     // a page or track move since the last line move
    int painting;         // an abortable repaint runs; 0 asks it to stop
    unsigned int deferred_msg;     // message postponed while painting
    unsigned int deferred_wparam;
    int resized;          // the size-change handler repainted
    int dialog_open;

    // Window-system resources, from WM_HOST_INIT to WM_HOST_EXIT
    HINSTANCE module_instance;
    HWND toolbar_hwnd;
    TBBUTTON toolbar_buttons[kToolbarEntries];
    HDC window_dc;      // GetDC of the panel, kept
    HDC back_dc;        // back buffer: W x H, compatible with window_dc
    HBITMAP back_bitmap;
    BITMAPINFO thumb_bitmap_info;  // 24-bit bottom-up description of the host's frame pictures
    RECT client_rect;   // right is W, bottom is H
    CRITICAL_SECTION paint_lock;  // held by each drawing step
    HIMAGELIST wheel_images;      // the Mouse-Scroll marker
    HCURSOR range_cursor;
    HCURSOR pick_cursor;
    char title_text[260];
    RECT owner_rect;
    HWND dialog_hwnd;
    MSG pump_msg;        // message record of every message pump
    short screen_width;  // display width, refreshed by each sizing call
    char ini_path[260];
};

// The record. Zero when the library is loaded.
Panel &panel();

// The host's window callback.
BOOL QP_CDECL func_WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void *editp, FILTER *fp);

// Painting (paint.cpp). dc is the window's device context, editp the host's
// edit handle. The two abortable repaints pump messages between cells.
int repaint_strip(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int refresh_strip(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int shift_strip_left(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int shift_strip_right(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int quick_page_forward(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int quick_page_back(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int quick_show_ends(HWND hwnd, FILTER *fp, HDC dc, void *editp);
int end_mouse_scroll(FILTER *fp, void *editp, HWND hwnd, HDC dc);
void draw_current_mark(HDC dc, int cur);
// Sets the title; true (with the current frame in *cur) when a video is shown.
bool set_panel_title(HWND hwnd, FILTER *fp, void *editp, int *cur);
// Fills the row area of dc, (0, 29) to (W + 1, H + 1), with the button face.
void fill_row_area(HDC dc);

// Sizing and scrolling (sizing.cpp).
void apply_width_preset(HWND hwnd);
void refit_panel_height(HWND hwnd);
int update_scroll_bar(HWND hwnd);

}  // namespace jump
