/* Host services: the service table that the host stores in FILTER
 * host_func_table, the frame status record, and the host's private messages to
 * a filter window. Only the navigator panel uses them.
 *
 * Every service is a plain cdecl function that takes the host's edit handle
 * (the fifth argument of func_WndProc) first. Slot k of the table lies at byte
 * offset k * sizeof(void *): 4 * k on the host's 32-bit platform.
 */
#ifndef QP_SDK_HOST_H
#define QP_SDK_HOST_H

#include <stddef.h>

#include "wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The status of one frame, as the host keeps it. Seven 32-bit ints. */
typedef struct FRAME_STATE {
    int reserve[4];  /* host-owned; passed back unchanged */
    int profile_no;  /* host-written: changes at a profile boundary */
    int file_no;     /* host-written: changes where one input file ends and the next begins */
    int mark_bits;   /* FRAME_STATE_KEY marks a key frame, FRAME_STATE_MARK a marked frame;
                        the panel toggles FRAME_STATE_MARK only */
} FRAME_STATE;

#define FRAME_STATE_KEY 1
#define FRAME_STATE_MARK 2

typedef void QP_HOST_UNUSED_SLOT;  /* a slot the plug-ins never call */

/* The host's service table. Host-owned and host-filled; valid from before the
 * first message to the filter window until after the last. Called by the panel
 * on the host's user-interface thread only. */
typedef struct HOST_FUNC_TABLE {
    QP_HOST_UNUSED_SLOT *slot0;
    QP_HOST_UNUSED_SLOT *slot1;
    /* 2: the frame as 24-bit bottom-up DIB pixels of the query_frame_size size;
       host-owned, valid until the next call into the host */
    void *(QP_CDECL *get_frame_image)(void *editp, int frame);
    QP_HOST_UNUSED_SLOT *slot3;
    BOOL(QP_CDECL *is_video_open)(void *editp);         /* 4: 1 while a video is open */
    QP_HOST_UNUSED_SLOT *slot5;
    int(QP_CDECL *get_current_frame)(void *editp);      /* 6: current frame, 0-based */
    int(QP_CDECL *get_frame_count)(void *editp);        /* 7: number of frames */
    BOOL(QP_CDECL *query_frame_size)(void *editp, int *w, int *h);  /* 8: frame size in pixels */
    BOOL(QP_CDECL *set_current_frame)(void *editp, int frame);      /* 9: makes the frame current */
    QP_HOST_UNUSED_SLOT *slot10[6];                                 /* 10 .. 15 */
    BOOL(QP_CDECL *read_frame_state)(void *editp, int frame, FRAME_STATE *fs);   /* 16: fills *fs */
    BOOL(QP_CDECL *write_frame_state)(void *editp, int frame, FRAME_STATE *fs);  /* 17: stores *fs */
    QP_HOST_UNUSED_SLOT *slot18;
    BOOL(QP_CDECL *is_step_frame)(void *editp, int frame);  /* 19: non-zero where Frame+ and Frame- stop */
    QP_HOST_UNUSED_SLOT *slot20[8];                          /* 20 .. 27 */
    BOOL(QP_CDECL *get_selection)(void *editp, int *start, int *end);  /* 28: selected range, inclusive */
    BOOL(QP_CDECL *set_selection)(void *editp, int start, int end);    /* 29: sets the selected range */
} HOST_FUNC_TABLE;

/* The host's messages to a filter window (WM_USER + 100 ..). */
#define WM_HOST_UPDATE 0x464       /* current frame or edit state changed */
#define WM_HOST_VIDEO_OPEN 0x465   /* a video was opened */
#define WM_HOST_VIDEO_CLOSE 0x466  /* the video was closed */
#define WM_HOST_INIT 0x467         /* once, first, after the window exists */
#define WM_HOST_EXIT 0x468         /* once, at shutdown */
#define WM_HOST_SUSPEND 0x469      /* stop using the video at once */
#define WM_HOST_RESUME 0x46a       /* the video is available again */

#ifdef __cplusplus
}
#endif

QP_STATIC_ASSERT(sizeof(FRAME_STATE) == 28, "FRAME_STATE");
QP_STATIC_ASSERT(offsetof(FRAME_STATE, profile_no) == 16, "FRAME_STATE");
QP_STATIC_ASSERT(offsetof(FRAME_STATE, file_no) == 20, "FRAME_STATE");
QP_STATIC_ASSERT(offsetof(FRAME_STATE, mark_bits) == 24, "FRAME_STATE");

#define QP_CHECK_SLOT(member, k) \
    QP_STATIC_ASSERT(offsetof(HOST_FUNC_TABLE, member) == (k) * sizeof(void *), #member)
QP_CHECK_SLOT(get_frame_image, 2);
QP_CHECK_SLOT(is_video_open, 4);
QP_CHECK_SLOT(get_current_frame, 6);
QP_CHECK_SLOT(get_frame_count, 7);
QP_CHECK_SLOT(query_frame_size, 8);
QP_CHECK_SLOT(set_current_frame, 9);
QP_CHECK_SLOT(read_frame_state, 16);
QP_CHECK_SLOT(write_frame_state, 17);
QP_CHECK_SLOT(is_step_frame, 19);
QP_CHECK_SLOT(get_selection, 28);
QP_CHECK_SLOT(set_selection, 29);
#undef QP_CHECK_SLOT
QP_STATIC_ASSERT(sizeof(HOST_FUNC_TABLE) == 30 * sizeof(void *), "HOST_FUNC_TABLE");

#endif
