// A filter plug-in for the host's tests. Its "Mode" track makes it behave or
// break the host's rules in one chosen way.
//
//   Mode 0  inverts the luma, writing border copies into the room around the
//           picture as a sharpening filter does; in place, or through the
//           scratch frame with "Swap" on
//   Mode 1  writes one pixel before the room it was lent
//   Mode 2  changes max_w
//   Mode 3  reports a failure
//   Mode 4  hands back a 640 x 480 picture through the scratch frame
#include "sdk/filter.h"

static const char *const track_name[] = {"\x8b\xad\x82\xb3" /* 強さ */, "Size ", "Mode"};
static const int track_default[] = {128, 0, 0};
static const int track_s[] = {0, -10, 0};
static const int track_e[] = {256, 10, 4};
// "Mode " shares its name with a track but for the trailing blank, so both
// are set by number: the "Mode" track is 2.
static const char *const check_name[] = {"\x95\x5c\x8e\xa6" /* 表示 */, "Swap", "Mode "};
static const int check_default[] = {0, 1, 0};

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip);

static FILTER_DLL filter = {
    0x00040000, 0, 0, "Test Filter  ",
    3, track_name, track_default, track_s, track_e,
    3, check_name, check_default,
    func_proc, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, 0,
    "test filter 1.0",
    {},
};

QP_EXTERN_C QP_EXPORT FILTER_DLL *QP_CDECL GetFilterTable(void) { return &filter; }

static BOOL QP_CDECL func_proc(FILTER *fp, FILTER_PROC_INFO *fpip) {
    const int w = fpip->w, h = fpip->h, pitch = fpip->max_w;
    PIXEL_YC *src = fpip->ycp_edit;
    switch (fp->track[2]) {
    case 1:
        src[-2 * pitch - 3].y = 1;
        return TRUE;
    case 2:
        fpip->max_w += 1;
        return TRUE;
    case 3:
        return FALSE;
    case 4: {
        PIXEL_YC *dst = fpip->ycp_temp;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) dst[y * pitch + x] = {short(x * 4), short(y - 240), short(x - 320)};
        fpip->ycp_edit = dst;
        fpip->ycp_temp = src;
        fpip->w = 640;
        fpip->h = 480;
        return TRUE;
    }
    default:
        break;
    }
    if (w <= 0 || h <= 0) return TRUE;
    // Border copies two pixels and two rows around the picture.
    for (int y = 0; y < h; ++y) {
        PIXEL_YC *row = src + y * pitch;
        row[-1] = row[-2] = row[0];
        row[w] = row[w + 1] = row[w - 1];
    }
    for (int i = 1; i <= 2; ++i)
        for (int x = -2; x < w + 2; ++x) {
            src[-i * pitch + x] = src[x];
            src[(h - 1 + i) * pitch + x] = src[(h - 1) * pitch + x];
        }
    PIXEL_YC *dst = fp->check[1] ? fpip->ycp_temp : src;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const PIXEL_YC p = src[y * pitch + x];
            dst[y * pitch + x] = {short(4095 - p.y), p.cb, p.cr};
        }
    if (dst != src) {
        fpip->ycp_edit = dst;
        fpip->ycp_temp = src;
    }
    return TRUE;
}
