// jump: the navigator panel. It processes no pixels; its whole behaviour is
// the window callback below, which the host calls for every message of the
// panel window and for its own notifications, on its user-interface thread.

#include <windows.h>
#include <commctrl.h>

#include "jump/layout.h"
#include "jump/panel.h"
#include "jump/settings.h"

namespace jump {

// ---------------------------------------------------------------------------
// Table

static FILTER_DLL filter = {
    0x008AAC04,  // flag
    0, 0,        // x, y
    "Skimreel",
    0, nullptr, nullptr, nullptr, nullptr,  // no tracks
    0, nullptr, nullptr,                    // no check boxes
    nullptr,                                // func_proc: no pixels
    nullptr, nullptr, nullptr,              // func_init, func_exit, func_update
    func_WndProc,
    nullptr, nullptr,  // track, check
    nullptr, 0,        // ex_data_ptr, ex_data_size
    "Skimreel frame navigator version 1.00",
    {},
};

}  // namespace jump

QP_EXTERN_C QP_EXPORT FILTER_DLL *QP_CDECL GetFilterTable(void) { return &jump::filter; }

namespace jump {

Panel &panel() {
    static Panel record;
    return record;
}

namespace {

Panel &P = panel();

HOST_FUNC_TABLE &host(FILTER *fp) { return *fp->host_func_table; }

// ---------------------------------------------------------------------------
// Toolbar

struct Button {
    int image;    // index in bitmap 110, or -1 for a separator
    int command;  // WM_COMMAND id
    BYTE style;
};
constexpr Button kButtons[kToolbarEntries] = {
    {0, 40038, TBSTYLE_CHECK}, {1, 40039, TBSTYLE_BUTTON}, {2, 40040, TBSTYLE_BUTTON}, {-1, 0, TBSTYLE_SEP},
    {3, 40046, TBSTYLE_BUTTON}, {4, 40047, TBSTYLE_BUTTON}, {-1, 0, TBSTYLE_SEP},
    {5, 40050, TBSTYLE_BUTTON}, {6, 40051, TBSTYLE_BUTTON}, {-1, 0, TBSTYLE_SEP},
    {7, 40043, TBSTYLE_BUTTON}, {-1, 0, TBSTYLE_SEP},
    {8, 40041, TBSTYLE_BUTTON}, {-1, 0, TBSTYLE_SEP},
    {9, 40042, TBSTYLE_BUTTON},
};

// The buttons that stay usable in whole-video mode.
bool whole_mode_button(int command) { return command == 40038 || command == 40041 || command == 40042; }

void create_toolbar(HWND hwnd) {
    for (int i = 0; i < kToolbarEntries; ++i) {
        TBBUTTON &b = P.toolbar_buttons[i];
        b = TBBUTTON{};
        b.iBitmap = kButtons[i].image < 0 ? 0 : kButtons[i].image;
        b.idCommand = kButtons[i].command;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = kButtons[i].style;
    }
    P.toolbar_hwnd = CreateToolbarEx(hwnd, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS, kToolbarId, 15,
                                     P.module_instance, kToolbarBitmap, P.toolbar_buttons, kToolbarEntries, 16, 16,
                                     16, 16, sizeof(TBBUTTON));
}

// Enables the ten command buttons, or in whole-video mode only the three
// that still apply; with enable false disables all ten.
void enable_buttons(bool enable) {
    const bool whole = whole_mode(P.set.interval_index, P.set.custom_interval_index);
    for (const Button &b : kButtons) {
        if (b.image < 0) continue;
        const bool on = enable && (!whole || whole_mode_button(b.command));
        SendMessageA(P.toolbar_hwnd, TB_ENABLEBUTTON, WPARAM(b.command), MAKELONG(on, 0));
    }
}

struct Tip {
    int command;
    const char *text;
};
constexpr Tip kTips[] = {
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

void on_notify(LPARAM lparam) {
    auto *info = reinterpret_cast<NMTTDISPINFOA *>(lparam);
    if (info->hdr.code != TTN_NEEDTEXTA) return;
    for (const Tip &t : kTips)
        if (UINT_PTR(t.command) == info->hdr.idFrom) info->lpszText = const_cast<char *>(t.text);
}

// ---------------------------------------------------------------------------
// Settings file

// The private profile calls on the host's settings file.
class IniFile : public ProfileIO {
  public:
    int get_int(const char *key, int def) override { return int(GetPrivateProfileIntA(kSection, key, def, P.ini_path)); }
    void get_string(const char *key, const char *def, char *buf, int size) override {
        GetPrivateProfileStringA(kSection, key, def, buf, DWORD(size), P.ini_path);
    }
    void put_string(const char *key, const char *text) override {
        WritePrivateProfileStringA(kSection, key, text, P.ini_path);
    }
};

void read_settings_file(void *editp, FILTER *fp) {
    P.pic_interval = 1;
    const DWORD len = GetCurrentDirectoryA(MAX_PATH, P.ini_path);
    const size_t name = sizeof "\\quillet.ini";
    if (len + name > sizeof P.ini_path) P.ini_path[0] = '\0';  // too long a directory: only the file name
    lstrcatA(P.ini_path, kIniName);
    IniFile file;
    read_settings(P.set, file);
    const RowStart row = derive_row(P.set, host(fp).get_frame_count(editp));
    P.pic_count = row.pic_count;
    P.pic_interval = row.pic_interval;
}

// ---------------------------------------------------------------------------
// Back buffer

void create_back_buffer() {
    P.back_bitmap = CreateCompatibleBitmap(P.window_dc, P.client_rect.right, P.client_rect.bottom);
    P.back_dc = CreateCompatibleDC(P.window_dc);
    SelectObject(P.back_dc, P.back_bitmap);
}

void delete_back_buffer() {
    DeleteDC(P.back_dc);
    DeleteObject(P.back_bitmap);
    P.back_dc = nullptr;
    P.back_bitmap = nullptr;
}

void set_thumb_bitmap_info() {
    ZeroMemory(&P.thumb_bitmap_info, sizeof P.thumb_bitmap_info);
    BITMAPINFOHEADER &h = P.thumb_bitmap_info.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = P.source_width;
    h.biHeight = P.source_height;  // positive: bottom-up rows
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
}

void clear_scroll_loops() { P.step_left_on = P.step_right_on = P.page_left_on = P.page_right_on = 0; }

// ---------------------------------------------------------------------------
// Deferral: a handler that would move the view while a repaint runs stops
// the repaint after its current cell and comes back 1 ms later, re-sent from
// the timer with lparam 0, once the repaint's stack has unwound.

bool deferred(HWND hwnd, UINT message, WPARAM wparam) {
    if (!P.painting) return false;
    P.painting = 0;
    P.deferred_msg = message;
    P.deferred_wparam = unsigned(wparam);
    SetTimer(hwnd, kDeferTimer, 1, nullptr);
    return true;
}

void on_timer(HWND hwnd) {
    KillTimer(hwnd, kDeferTimer);
    SendMessageA(hwnd, P.deferred_msg, P.deferred_wparam, 0);
}

// ---------------------------------------------------------------------------
// Host lifecycle

void on_init(HWND hwnd, void *editp, FILTER *fp) {
    P.grid_live = P.range_mode = P.mouse_scroll_on = 0;
    clear_scroll_loops();
    P.no_video = 1;
    P.module_instance = fp->instance_handle;
    P.range_cursor = LoadCursorA(P.module_instance, MAKEINTRESOURCEA(kRangeCursor));
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    create_toolbar(hwnd);
    GetClientRect(hwnd, &P.client_rect);
    P.window_dc = GetDC(hwnd);
    create_back_buffer();
    FillRect(P.back_dc, &P.client_rect, GetSysColorBrush(COLOR_BTNFACE));
    FillRect(P.window_dc, &P.client_rect, GetSysColorBrush(COLOR_BTNFACE));
    P.initialised = 1;
    read_settings_file(editp, fp);
    enable_buttons(false);
    InitializeCriticalSection(&P.paint_lock);
    P.wheel_images = ImageList_Create(28, 28, ILC_MASK, 1, 0);
    HBITMAP wheel = LoadBitmapA(P.module_instance, "WHEEL");
    ImageList_AddMasked(P.wheel_images, wheel, RGB(0, 0, 255));
    DeleteObject(wheel);
    P.first_frame = 0;
    P.frame_count = 0;
    update_scroll_bar(hwnd);
}

void on_exit(HWND hwnd) {
    if (P.dialog_open) SendMessageA(P.dialog_hwnd, WM_CLOSE, 0, 0);
    P.painting = 0;
    clear_scroll_loops();
    // A message that a repaint put off must not come back once everything it
    // would draw with is gone.
    KillTimer(hwnd, kDeferTimer);
    delete_back_buffer();
    DeleteCriticalSection(&P.paint_lock);
    ImageList_Destroy(P.wheel_images);
    P.wheel_images = nullptr;
    // The window's own context goes back too; the window itself is the host's.
    ReleaseDC(hwnd, P.window_dc);
    P.window_dc = nullptr;
    IniFile file;
    write_settings(P.set, file);
    // Whatever reaches the panel while the host's window goes away finds
    // nothing left to draw with, and leaves it so.
    P.initialised = 0;
    P.grid_live = 0;
}

void centre_on(int frame) { P.first_frame = centred_first(frame, P.pic_count, P.pic_interval); }

void on_update(HWND hwnd, WPARAM wparam, void *editp, FILTER *fp) {
    HOST_FUNC_TABLE &h = host(fp);
    if (h.is_video_open(editp) != 1) return;
    const int c = h.get_frame_count(editp);
    if (c != P.frame_count) {
        if (deferred(hwnd, WM_HOST_UPDATE, wparam)) return;
        // Keeps the current frame left of the middle by the plain half of N.
        P.first_frame = h.get_current_frame(editp) - (P.pic_count / 2 - 1) * P.pic_interval;
        P.frame_count = c;
        update_scroll_bar(hwnd);
        repaint_strip(hwnd, fp, P.window_dc, editp);
        return;
    }
    if (!P.grid_live) return;
    int cur;
    set_panel_title(hwnd, fp, editp, &cur);
    cur = h.get_current_frame(editp);
    const int cw = P.client_rect.right / P.pic_count;
    BitBlt(P.window_dc, 0, kRowTop, cw * P.pic_count + 2, P.client_rect.bottom - kRowTop, P.back_dc, 0, kRowTop,
           SRCCOPY);
    if (P.first_frame <= cur && cur <= P.first_frame + (P.pic_count - 1) * P.pic_interval)
        draw_current_mark(P.window_dc, cur);
}

void on_video_open(HWND hwnd, WPARAM wparam, void *editp, FILTER *fp) {
    if (deferred(hwnd, WM_HOST_VIDEO_OPEN, wparam)) return;
    HOST_FUNC_TABLE &h = host(fp);
    enable_buttons(true);
    centre_on(h.get_current_frame(editp));
    h.query_frame_size(editp, &P.source_width, &P.source_height);
    P.frame_count = h.get_frame_count(editp);
    if (whole_mode(P.set.interval_index, P.set.custom_interval_index)) {
        P.first_frame = 0;
        P.pic_interval = (P.frame_count - 1) / (P.pic_count - 1);
    }
    if (P.pic_interval == 0) P.pic_interval = 1;
    update_scroll_bar(hwnd);

    GetClientRect(hwnd, &P.client_rect);
    delete_back_buffer();
    ReleaseDC(hwnd, P.window_dc);
    P.window_dc = GetDC(hwnd);
    GetClientRect(hwnd, &P.client_rect);
    set_thumb_bitmap_info();
    create_back_buffer();
    SetStretchBltMode(P.back_dc, COLORONCOLOR);

    clear_scroll_loops();
    P.no_video = 0;
    P.grid_live = 1;
    P.resized = 0;
    refit_panel_height(hwnd);  // a new size repaints through WM_SIZE
    if (!P.resized) {
        GetClientRect(hwnd, &P.client_rect);
        repaint_strip(hwnd, fp, P.window_dc, editp);
    }
}

void show_bare_title(HWND hwnd) {
    wsprintfA(P.title_text, "%s", kSection);
    SetWindowTextA(hwnd, P.title_text);
}

void on_video_close(HWND hwnd, WPARAM wparam) {
    if (deferred(hwnd, WM_HOST_VIDEO_CLOSE, wparam)) return;
    enable_buttons(false);
    P.first_frame = 0;
    P.frame_count = 1;
    update_scroll_bar(hwnd);
    show_bare_title(hwnd);
    FillRect(P.back_dc, &P.client_rect, GetSysColorBrush(COLOR_BTNFACE));
    fill_row_area(P.window_dc);
    P.grid_live = 0;
    P.no_video = 1;
}

void on_suspend(HWND hwnd) {
    P.no_video = 1;
    P.painting = 0;
    clear_scroll_loops();
    P.frame_count = 0;
    P.first_frame = 0;
    update_scroll_bar(hwnd);
    show_bare_title(hwnd);
    fill_row_area(P.window_dc);  // the back buffer keeps its pictures
    enable_buttons(false);
    P.grid_live = 0;
}

void on_resume(HWND hwnd, void *editp, FILTER *fp) {
    P.no_video = 0;
    P.grid_live = 1;
    enable_buttons(true);
    centre_on(host(fp).get_current_frame(editp));
    P.frame_count = host(fp).get_frame_count(editp);
    update_scroll_bar(hwnd);
    repaint_strip(hwnd, fp, P.window_dc, editp);
}

// ---------------------------------------------------------------------------
// Window messages

void on_size(HWND hwnd, WPARAM wparam, LPARAM lparam, void *editp, FILTER *fp) {
    // Before the set-up there is no back buffer to rebuild; the set-up reads
    // the size itself.
    if (!P.initialised) return;
    if (deferred(hwnd, WM_SIZE, wparam)) return;
    SendMessageA(P.toolbar_hwnd, WM_SIZE, wparam, lparam);
    delete_back_buffer();
    GetClientRect(hwnd, &P.client_rect);
    create_back_buffer();
    SetStretchBltMode(P.back_dc, COLORONCOLOR);
    if (P.grid_live) {
        repaint_strip(hwnd, fp, P.window_dc, editp);
        P.resized = 1;
    }
}

void on_paint(HWND hwnd, void *editp, FILTER *fp) {
    const int w = P.client_rect.right, h = P.client_rect.bottom;
    if (P.no_video) {
        fill_row_area(P.window_dc);
    } else if (P.initialised) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        BitBlt(dc, 0, kRowTop, w, h - kRowTop, P.back_dc, 0, kRowTop, SRCCOPY);
        const int cur = host(fp).get_current_frame(editp);
        if (P.grid_live && P.first_frame <= cur && cur <= P.first_frame + (P.pic_count - 1) * P.pic_interval)
            draw_current_mark(dc, cur);
        P.mouse_scroll_on = 0;
        EndPaint(hwnd, &ps);
    } else {
        P.pic_interval = 1;
    }
}

// Keys, commands, the scroll bar, the mouse and the four steps: not handled
// yet, so none of them moves the view.
BOOL on_key(HWND, UINT, WPARAM, void *, FILTER *) { return FALSE; }
BOOL on_command(HWND, WPARAM, void *, FILTER *) { return FALSE; }
BOOL on_hscroll(HWND, WPARAM, void *, FILTER *) { return FALSE; }
BOOL on_mouse(HWND, UINT, WPARAM, LPARAM, void *, FILTER *) { return FALSE; }
BOOL on_step(HWND, UINT, void *, FILTER *) { return FALSE; }

}  // namespace

BOOL QP_CDECL func_WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void *editp, FILTER *fp) {
    switch (message) {
    case WM_HOST_INIT: on_init(hwnd, editp, fp); return FALSE;
    case WM_HOST_EXIT: on_exit(hwnd); return FALSE;
    case WM_HOST_UPDATE: on_update(hwnd, wparam, editp, fp); return FALSE;
    case WM_HOST_VIDEO_OPEN: on_video_open(hwnd, wparam, editp, fp); return FALSE;
    case WM_HOST_VIDEO_CLOSE: on_video_close(hwnd, wparam); return FALSE;
    case WM_HOST_SUSPEND: on_suspend(hwnd); return FALSE;
    case WM_HOST_RESUME: on_resume(hwnd, editp, fp); return FALSE;
    case WM_JUMP_HOST_REDRAW: return TRUE;
    case WM_JUMP_STEP_LATER:
    case WM_JUMP_STEP_EARLIER:
    case WM_JUMP_PAGE_LATER:
    case WM_JUMP_PAGE_EARLIER: return on_step(hwnd, message, editp, fp);
    case WM_JUMP_FINISH_SCROLL:
        if (!deferred(hwnd, message, wparam)) refresh_strip(hwnd, fp, P.window_dc, editp);
        return FALSE;
    case WM_SIZE: on_size(hwnd, wparam, lparam, editp, fp); return FALSE;
    case WM_PAINT: on_paint(hwnd, editp, fp); return FALSE;
    case WM_TIMER: on_timer(hwnd); return FALSE;
    case WM_NCACTIVATE:
        if (P.mouse_scroll_on) end_mouse_scroll(fp, editp, hwnd, P.window_dc);
        return FALSE;
    case WM_NOTIFY: on_notify(lparam); return FALSE;
    case WM_KEYDOWN:
    case WM_KEYUP: return on_key(hwnd, message, wparam, editp, fp);
    case WM_COMMAND: return on_command(hwnd, wparam, editp, fp);
    case WM_HSCROLL: return on_hscroll(hwnd, wparam, editp, fp);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL: return on_mouse(hwnd, message, wparam, lparam, editp, fp);
    default: return FALSE;
    }
}

}  // namespace jump
