/* Output plug-in records: the description table that an output library hands
 * the host, and the job record through which the host lends it one export.
 *
 * Every field is one 32-bit word on the host's platform, checked at compile
 * time on 32-bit builds; 64-bit builds keep the order with native pointers.
 * Every callback, either way, is cdecl.
 */
#ifndef QP_SDK_OUTPUT_H
#define QP_SDK_OUTPUT_H

#include <stddef.h>

#include "wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One export, described by the host. Host-owned, valid for one func_output
 * call; the plug-in keeps no pointer to it afterwards. The callbacks are
 * called by the plug-in, synchronously, on the thread that called func_output. */
typedef struct OUTPUT_JOB {
    int flag;              /* host's; not read */
    int w;                 /* picture width in pixels */
    int h;                 /* picture height in pixels */
    int reserve_12[2];     /* host's; not read */
    int frame_count;       /* frames 0 .. frame_count - 1 are exported */
    int frame_bytes;       /* bytes that func_get_frame returns per frame: h * ((3 * w + 3) & ~3) */
    int reserve_28[4];     /* host's; not read */
    const char *output_path;  /* the file name the user chose, NUL-terminated, at most 259 characters */
    /* Bottom-up BGR rows of frame `frame`, each padded to 4 bytes, frame_bytes
       long; host-owned, valid until the next call into the job or the return */
    void *(QP_CDECL *func_get_frame)(int frame);
    void *reserve_52;      /* host's; not read */
    BOOL(QP_CDECL *func_stop_requested)(void);                /* called before every frame; non-zero ends the export */
    BOOL(QP_CDECL *func_report_progress)(int frame, int total);  /* the frame about to be written, of total; result unused */
    void *reserve_64;      /* host's; not read */
    BOOL(QP_CDECL *func_notify_frame)(void);  /* once per frame, after fetching, before writing; result unused */
} OUTPUT_JOB;

/* The description table: static, constant data of the plug-in. */
typedef struct OUTPUT_DLL {
    int flag;                 /* 0 */
    const char *name;         /* plug-in name */
    const char *file_filter;  /* pairs of NUL-terminated description and wildcard, ended by an empty string */
    const char *information;  /* author and version, or null */
    BOOL(QP_CDECL *func_init)(void);  /* null in our plug-in */
    BOOL(QP_CDECL *func_exit)(void);  /* null in our plug-in */
    /* Called by the host once per export; TRUE when it ended normally or was
       stopped, FALSE when a file could not be created or written */
    BOOL(QP_CDECL *func_output)(OUTPUT_JOB *job);
    /* Called by the host to show the settings dialog, owned by parent, from the
       plug-in's own module instance; TRUE when the dialog has closed */
    BOOL(QP_CDECL *func_config)(HWND parent, HINSTANCE instance);
    /* Called by the host: the size of the settings block, copied to data unless null */
    int(QP_CDECL *func_get_config)(void *data, int size);
    /* Called by the host: takes a settings block back; bytes taken, 0 when refused */
    int(QP_CDECL *func_set_config)(void *data, int size);
    int reserve[16];          /* all 0 */
} OUTPUT_DLL;

/* Exported by every output library, undecorated. Returns the address of the
 * library's one static table; does nothing else. */
typedef OUTPUT_DLL *(QP_CDECL *GET_OUTPUT_PLUGIN_TABLE_FUNC)(void);
QP_EXPORT OUTPUT_DLL *QP_CDECL GetOutputPluginTable(void);

#ifdef __cplusplus
}
#endif

#if QP_LAYOUT_32
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, w) == 4, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, h) == 8, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, frame_count) == 20, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, frame_bytes) == 24, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, output_path) == 44, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, func_get_frame) == 48, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, func_stop_requested) == 56, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, func_report_progress) == 60, "OUTPUT_JOB");
QP_STATIC_ASSERT(offsetof(OUTPUT_JOB, func_notify_frame) == 68, "OUTPUT_JOB");
QP_STATIC_ASSERT(sizeof(OUTPUT_JOB) == 72, "OUTPUT_JOB");

QP_STATIC_ASSERT(sizeof(OUTPUT_DLL) == 26 * 4, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, name) == 4, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, file_filter) == 8, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, func_init) == 16, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, func_exit) == 20, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, func_output) == 24, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, func_config) == 28, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, func_get_config) == 32, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, func_set_config) == 36, "OUTPUT_DLL");
QP_STATIC_ASSERT(offsetof(OUTPUT_DLL, reserve) == 40, "OUTPUT_DLL");
#endif

#endif
