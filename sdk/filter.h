/* Filter plug-in records: what a filter library hands the host, and what the
 * host hands back on every call.
 *
 * A filter library exports one function, GetFilterTable, which returns its
 * constant FILTER_DLL. The host builds a run-time FILTER from it and passes that
 * to every callback, together with a FILTER_PROC_INFO for each frame.
 *
 * Layout: on 32-bit x86 every record below matches the host's byte offsets,
 * checked at compile time at the end of this file. On 64-bit builds the same
 * members keep their order with native pointers.
 */
#ifndef QP_SDK_FILTER_H
#define QP_SDK_FILTER_H

#include <stddef.h>

#include "wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One pixel of the host's working frames. */
typedef struct PIXEL_YC {
    short y;   /* luma: 0 black .. 4095 white; the host may pass values outside */
    short cb;  /* blue colour difference, signed; 0 is no colour */
    short cr;  /* red colour difference, signed; 0 is no colour */
} PIXEL_YC;

/* The frame record of one func_proc call. Owned by the host; the frames are
 * lent to the filter for the length of the call.
 *
 * A frame is max_w pixels per row, row after row from the top; pixel (x, y) is
 * element x + y * max_w. The first w pixels of the first h rows are picture,
 * the rest of every row is slack. */
typedef struct FILTER_PROC_INFO {
    int flag;            /* host flag bits; a filter may only set bit 0 (fill does) */
    PIXEL_YC *ycp_edit;  /* the edited frame: input on entry, result on return; the filter may swap it with ycp_temp */
    PIXEL_YC *ycp_temp;  /* scratch frame, same pitch and allocation as ycp_edit; contents undefined on entry */
    int w;               /* picture width in pixels; a filter may change it to its output width */
    int h;               /* picture height in pixels; a filter may change it to its output height */
    int max_w;           /* row pitch of both frames, in pixels; never changed by a filter */
    int max_h;           /* rows allocated in each frame; set by the host, read by no filter */
} FILTER_PROC_INFO;

typedef struct FILTER FILTER;

/* Per-frame callback. Called by the host for each frame; returns non-zero on
 * success (the pixel filters return 1 on every path). */
typedef BOOL(QP_CDECL *FILTER_PROC_FUNC)(FILTER *fp, FILTER_PROC_INFO *fpip);
/* Start-up, shut-down and update callbacks; no plug-in of ours provides them. */
typedef BOOL(QP_CDECL *FILTER_HOOK_FUNC)(FILTER *fp);
/* Window callback. Called by the host on its user-interface thread for every
 * message of the plug-in's window and for the host's own notifications.
 * editp is opaque: the plug-in only passes it back to host services.
 * A TRUE result asks the host to bring its own view up to date. */
typedef BOOL(QP_CDECL *FILTER_WNDPROC_FUNC)(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                            void *editp, FILTER *fp);

/* The description table. Static, constant data of the plug-in, returned by
 * GetFilterTable; every array and string it points to lives as long as the
 * library. Strings are NUL-terminated bytes in the host's ANSI code page
 * (Shift-JIS for Japanese); trailing blanks are part of a name. */
typedef struct FILTER_DLL {
    int flag;                           /* capability bits for the host; read by the host only */
    int x, y;                           /* 0 in every plug-in of ours */
    const char *name;                   /* filter name */
    int track_n;                        /* number of tracks (sliders), 0 for none */
    const char *const *track_name;      /* track_n names */
    const int *track_default;           /* track_n initial values */
    const int *track_s;                 /* track_n minimum values, or null for the host's default range */
    const int *track_e;                 /* track_n maximum values, or null for the host's default range */
    int check_n;                        /* number of check boxes, 0 for none */
    const char *const *check_name;      /* check_n names */
    const int *check_default;           /* check_n initial states: 0 off, 1 on */
    FILTER_PROC_FUNC func_proc;         /* per-frame callback, or null */
    FILTER_HOOK_FUNC func_init;         /* null in every plug-in of ours */
    FILTER_HOOK_FUNC func_exit;         /* null in every plug-in of ours */
    FILTER_HOOK_FUNC func_update;       /* null in every plug-in of ours */
    FILTER_WNDPROC_FUNC func_WndProc;   /* window callback, or null */
    int *track;                         /* null in the table */
    int *check;                         /* null in the table */
    void *ex_data_ptr;                  /* null in every plug-in of ours */
    int ex_data_size;                   /* 0 in every plug-in of ours */
    const char *information;            /* author and version */
    int reserve[13];                    /* all zero */
} FILTER_DLL;

struct HOST_FUNC_TABLE;

/* The run-time record. Owned and filled by the host from the table; the same
 * members at the same offsets. A plug-in reads nothing from it but track,
 * check, host_func_table and instance_handle. */
struct FILTER {
    int flag;                                  /* copied from the table; read by no plug-in */
    int x, y;                                  /* not read */
    const char *name;                          /* not read */
    int track_n;                               /* not read */
    const char *const *track_name;             /* not read */
    const int *track_default;                  /* not read */
    const int *track_s;                        /* not read */
    const int *track_e;                        /* not read */
    int check_n;                               /* not read */
    const char *const *check_name;             /* not read */
    const int *check_default;                  /* not read */
    FILTER_PROC_FUNC func_proc;                /* as in the table */
    FILTER_HOOK_FUNC func_init;                /* as in the table */
    FILTER_HOOK_FUNC func_exit;                /* as in the table */
    FILTER_HOOK_FUNC func_update;              /* as in the table */
    FILTER_WNDPROC_FUNC func_WndProc;          /* as in the table */
    int *track;                                /* host-owned: track_n current values, in track_name order */
    int *check;                                /* host-owned: check_n current values, 0 off, non-zero on */
    void *ex_data_ptr;                         /* not read */
    int ex_data_size;                          /* not read */
    const char *information;                   /* not read */
    int reserve[2];                            /* reserved; not read */
    struct HOST_FUNC_TABLE *host_func_table;   /* host-set before the first message: its service table */
    int reserve3;                              /* reserved; not read */
    HINSTANCE instance_handle;                 /* host-set: the plug-in's own loaded module, for its resources */
    int reserve5[8];                           /* reserved; not read */
};

/* Exported by every filter library, undecorated. Returns the address of the
 * library's one static table, the same on every call; does nothing else. */
typedef FILTER_DLL *(QP_CDECL *GET_FILTER_TABLE_FUNC)(void);
QP_EXPORT FILTER_DLL *QP_CDECL GetFilterTable(void);

#ifdef __cplusplus
}
#endif

#if QP_LAYOUT_32
QP_STATIC_ASSERT(sizeof(PIXEL_YC) == 6, "PIXEL_YC");
QP_STATIC_ASSERT(offsetof(PIXEL_YC, cb) == 2 && offsetof(PIXEL_YC, cr) == 4, "PIXEL_YC");

QP_STATIC_ASSERT(sizeof(FILTER_PROC_INFO) == 28, "FILTER_PROC_INFO");
QP_STATIC_ASSERT(offsetof(FILTER_PROC_INFO, ycp_edit) == 4, "FILTER_PROC_INFO");
QP_STATIC_ASSERT(offsetof(FILTER_PROC_INFO, ycp_temp) == 8, "FILTER_PROC_INFO");
QP_STATIC_ASSERT(offsetof(FILTER_PROC_INFO, w) == 12, "FILTER_PROC_INFO");
QP_STATIC_ASSERT(offsetof(FILTER_PROC_INFO, h) == 16, "FILTER_PROC_INFO");
QP_STATIC_ASSERT(offsetof(FILTER_PROC_INFO, max_w) == 20, "FILTER_PROC_INFO");
QP_STATIC_ASSERT(offsetof(FILTER_PROC_INFO, max_h) == 24, "FILTER_PROC_INFO");

/* FILTER_DLL and FILTER share every offset up to the reserve words. */
#define QP_CHECK_FILTER_LAYOUT(T)                                                         \
    QP_STATIC_ASSERT(sizeof(T) == 140, #T);                                               \
    QP_STATIC_ASSERT(offsetof(T, x) == 4 && offsetof(T, y) == 8, #T);                     \
    QP_STATIC_ASSERT(offsetof(T, name) == 12, #T);                                        \
    QP_STATIC_ASSERT(offsetof(T, track_n) == 16, #T);                                     \
    QP_STATIC_ASSERT(offsetof(T, track_name) == 20, #T);                                  \
    QP_STATIC_ASSERT(offsetof(T, track_default) == 24, #T);                               \
    QP_STATIC_ASSERT(offsetof(T, track_s) == 28, #T);                                     \
    QP_STATIC_ASSERT(offsetof(T, track_e) == 32, #T);                                     \
    QP_STATIC_ASSERT(offsetof(T, check_n) == 36, #T);                                     \
    QP_STATIC_ASSERT(offsetof(T, check_name) == 40, #T);                                  \
    QP_STATIC_ASSERT(offsetof(T, check_default) == 44, #T);                               \
    QP_STATIC_ASSERT(offsetof(T, func_proc) == 48, #T);                                   \
    QP_STATIC_ASSERT(offsetof(T, func_init) == 52, #T);                                   \
    QP_STATIC_ASSERT(offsetof(T, func_exit) == 56, #T);                                   \
    QP_STATIC_ASSERT(offsetof(T, func_update) == 60, #T);                                 \
    QP_STATIC_ASSERT(offsetof(T, func_WndProc) == 64, #T);                                \
    QP_STATIC_ASSERT(offsetof(T, track) == 68, #T);                                       \
    QP_STATIC_ASSERT(offsetof(T, check) == 72, #T);                                       \
    QP_STATIC_ASSERT(offsetof(T, ex_data_ptr) == 76, #T);                                 \
    QP_STATIC_ASSERT(offsetof(T, ex_data_size) == 80, #T);                                \
    QP_STATIC_ASSERT(offsetof(T, information) == 84, #T);                                 \
    QP_STATIC_ASSERT(offsetof(T, reserve) == 88, #T)
QP_CHECK_FILTER_LAYOUT(FILTER_DLL);
QP_CHECK_FILTER_LAYOUT(FILTER);
#undef QP_CHECK_FILTER_LAYOUT
QP_STATIC_ASSERT(offsetof(FILTER, host_func_table) == 96, "FILTER");
QP_STATIC_ASSERT(offsetof(FILTER, reserve3) == 100, "FILTER");
QP_STATIC_ASSERT(offsetof(FILTER, instance_handle) == 104, "FILTER");
QP_STATIC_ASSERT(offsetof(FILTER, reserve5) == 108, "FILTER");
#endif

#endif
