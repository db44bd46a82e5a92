// fill: the kernel and row routines behind the plug-in's func_proc, for tests.
#pragma once

#include "sdk/filter.h"

// Track and check-box values of one call, as the host keeps them.
struct fill_params {
    int top, bottom, left, right;  // band sizes in rows / pixels; clamped to 0 .. half the frame
    bool center;                   // "Center video": move the kept block to the middle
};

// Blackens the bands of a w x h picture, rows `pitch` pixels apart. Without
// centring it works in place (dst must be src); with centring it writes the
// whole picture into dst from src. Nothing outside the picture is written.
void fill_kernel(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const fill_params *p);

int pixel_yc_copy(PIXEL_YC *ycp2, PIXEL_YC *ycp, int w, int h, int max_w);
int pixel_yc_fill(PIXEL_YC *ycp, int w, int h, int max_w);
