// edge: the kernels behind the plug-in's func_proc, for tests and benchmarks.
#pragma once

#include "sdk/filter.h"

// Track and check-box values of one call, as the host keeps them.
struct edge_params {
    int strength;  // 0 .. 256: share of the limited difference taken off each sample
    int range;     // 0: two against two, 1: three against three, any other: seven against seven
    int lower;     // 0 .. 256: differences up to 4 x lower count as none
    int upper;     // 0 .. 256: differences above 4 x upper count as 4 x upper
    bool reverse;  // "reverse the emphasis direction": light and dark fringes change sides
};

// A kernel filters the w x h picture at src into dst, both with rows `pitch`
// pixels apart. It first writes border copies around src (up to two rows and
// two pixels on every side, see edge_extend_border), then writes each row of
// dst in whole groups of four samples, up to one pixel past the row's last
// pixel. Nothing else is written. w or h <= 0 writes nothing. The SIMD
// kernels keep row buffers of up to 50 KB on the stack; none allocates.
//
// Room: src must be addressable from 2 * pitch + 2 pixels before its first
// pixel to the end of row h + 1; pitch >= w + 5 (w + 3 for ranges 0 and 1).
using edge_kernel_fn = void (*)(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const edge_params *p);

// The plain kernel that every other one must match sample for sample.
void edge_kernel_c(PIXEL_YC *dst, PIXEL_YC *src, int pitch, int w, int h, const edge_params *p);

// Every kernel of this build, the plain one first; `usable` tells whether the
// CPU that runs us has the instructions it needs.
struct edge_impl {
    const char *name;
    edge_kernel_fn kernel;
    bool (*usable)();
};
extern const edge_impl edge_impls[];
extern const int edge_impl_count;

// The fastest usable kernel, chosen once when the library loads.
extern const edge_kernel_fn edge_kernel;

// Copies the edge pixels of a w x h picture (w, h >= 1) into a border b
// pixels wide (b = 1 or 2) around it: columns -b .. -1 and w .. w + b - 1 of
// every row, then rows -b .. -1 and h .. h + b - 1 from the first and last
// row, corners included. The row copies move whole 32-bit words, so when
// w + 2b is odd they also carry the luma of column w + b along.
void edge_extend_border(PIXEL_YC *frame, int w, int h, int b, int pitch);
