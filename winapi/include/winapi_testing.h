/* Test controls of the Linux Win32 stand-in: the clock, the screen, the
 * pointer, pixels, live-object counts, and a reset between tests. Linux only;
 * nothing here exists on Windows. */
#ifndef QP_WINAPI_TESTING_H
#define QP_WINAPI_TESTING_H

#include <windows.h>
#include <commctrl.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Destroys every window (without sending them messages), empties the queue,
 * kills timers, frees every GDI object, image list and device context, and
 * restores the defaults: clock 0, screen 1920 x 1080, pointer at (0, 0), no
 * capture, focus or cursor, key states up. Registered window classes and
 * resources stay. */
WINAPI_STANDIN void winapi_test_reset(void);

/* The display's size, as GetDeviceCaps(HORZRES/VERTRES) and GetSystemMetrics
 * report it. */
WINAPI_STANDIN void winapi_test_set_screen_size(int width, int height);

/* The clock in milliseconds (GetTickCount). Advancing it makes timers due;
 * their WM_TIMER arrives through the queue (PeekMessageA, or the pump below). */
WINAPI_STANDIN DWORD winapi_test_clock(void);
WINAPI_STANDIN void winapi_test_advance_clock(DWORD ms);

/* Dispatches queued, paint and due timer messages (PM_REMOVE, TranslateMessage,
 * DispatchMessageA) until none is left; returns how many. WM_QUIT is left in
 * the queue. Stops after `limit` messages (0: 100000) to end a runaway loop. */
WINAPI_STANDIN int winapi_test_pump(int limit);

/* Messages waiting in the queue (posted ones only). */
WINAPI_STANDIN int winapi_test_queue_length(void);

/* Moves the pointer without generating any message. */
WINAPI_STANDIN void winapi_test_set_cursor_pos(int x, int y);

/* A window's pixels, client coordinates, as COLORREF; CLR_INVALID outside. A
 * child's pixels are those of its area of the top-level window. */
WINAPI_STANDIN COLORREF winapi_test_pixel(HWND hwnd, int x, int y);
/* Copies the client area, row after row from the top, into out (width *
 * height COLORREFs); returns FALSE when the size does not match the client. */
WINAPI_STANDIN BOOL winapi_test_read_client(HWND hwnd, COLORREF *out, int width, int height);
/* A bitmap's pixel as COLORREF (monochrome: black or white); CLR_INVALID
 * outside or for no bitmap. */
WINAPI_STANDIN COLORREF winapi_test_bitmap_pixel(HBITMAP bitmap, int x, int y);

/* Renders the whole window as a person sees it, into out (window width *
 * height COLORREFs): frame, caption with its title, client pixels, and the
 * horizontal scroll bar with its thumb. Returns FALSE on a size mismatch. */
WINAPI_STANDIN BOOL winapi_test_render_window(HWND hwnd, COLORREF *out, int width, int height);

/* Live objects that the program must free: pens, brushes, bitmaps (not stock
 * ones), memory and CreateDCA device contexts, image lists. */
WINAPI_STANDIN int winapi_test_gdi_objects(void);
/* Device contexts from GetDC and BeginPaint not yet given back. */
WINAPI_STANDIN int winapi_test_window_dcs(void);
/* Critical sections initialised and not yet deleted. */
WINAPI_STANDIN int winapi_test_critical_sections(void);
/* Windows alive, timers running. */
WINAPI_STANDIN int winapi_test_windows(void);
WINAPI_STANDIN int winapi_test_timers(void);

/* Sets the track position that GetScrollInfo(SIF_TRACKPOS) reports while the
 * user drags the thumb. */
WINAPI_STANDIN void winapi_test_set_scroll_track(HWND hwnd, int bar, int pos);

/* Whether the window's bar shows (for SB_HORZ / SB_VERT). */
WINAPI_STANDIN BOOL winapi_test_scroll_bar_visible(HWND hwnd, int bar);

/* Asks for a toolbar button's tooltip the way the tooltip control does: sends
 * WM_NOTIFY TTN_NEEDTEXTA for the button's command to the toolbar's parent and
 * returns the text it gave (a string resource when it named one), or NULL when
 * it gave none or the toolbar has no such button or no TBSTYLE_TOOLTIPS. The
 * text stays valid until the next call. */
WINAPI_STANDIN const char *winapi_test_tooltip_text(HWND toolbar, int command);

/* The resource id a cursor was loaded from (system cursors: their IDC_ value),
 * or -1. */
WINAPI_STANDIN int winapi_test_cursor_id(HCURSOR cursor);

/* Sets a key's state for GetKeyState/GetAsyncKeyState without a message. */
WINAPI_STANDIN void winapi_test_set_key_state(int vk, BOOL down);

/* ---- Resources (used by the generated code of qp_add_resources) ---------- */

/* One resource of a module, as the resource compiler emits it. Types and names
 * that are numbers are given as MAKEINTRESOURCEA values; text is upper case. */
typedef struct WINAPI_RESOURCE {
    LPCSTR type;
    LPCSTR name;
    const void *data;
    DWORD size;
} WINAPI_RESOURCE;

/* Adds a module's resources; every module handle finds them. */
WINAPI_STANDIN int winapi_register_resources(const WINAPI_RESOURCE *list, int count);

#ifdef __cplusplus
}
#endif

#endif
