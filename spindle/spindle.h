// spindle: the parameters and kernels behind the plug-in's func_proc, for
// tests and benchmarks.
//
// One call works in four steps: the flip pass (spindle_flip), the window
// outline (spindle_outline), and, unless DEBUG is on, the resampling of the
// window into the output (spindle_resample). spindle_derive turns the host's
// track and check-box values into the working parameters of that call.
#pragma once

#include "sdk/filter.h"

// Largest frame side that func_proc works on. Up to this size every
// intermediate of the mappings fits in 32 bits; larger frames are handed back
// unchanged.
inline constexpr int kSpindleMaxSide = 16384;

// Working parameters of one call.
struct spindle_params {
    int out_w, out_h;    // output size that the mapping scales to (tracks 0, 1, or the frame's size)
    int cols, rows;      // part of the output written: out_w x out_h clipped to max_w x max_h
    int win_w, win_h;    // source window size in pixels, >= 0
    int off_x, off_y;    // window top-left corner (straight) or centre (rotated), source pixels
    bool rotate;         // "Rotate  ": rotated mapping and outline
    int sin_a, cos_a;    // 256 * sin and cos of the angle, rounded; only with rotate
    int cx, cy;          // output pixel that samples (off_x, off_y); only with rotate
    bool flip_v, flip_h; // "Flip Ver", "Flip Hor"
    bool border;         // "Border    ": draw the window outline into the source
    bool debug;          // "DEBUG": hand back the source without resampling
};

// 256 * sin(k degrees) rounded, for k = 0 .. 90.
extern const int spindle_sine[91];

// Sine and cosine times 256 of an angle of 0 .. 360 whole degrees, by quadrant.
void spindle_sin_cos(int angle, int *sin_a, int *cos_a);

// Working parameters from the host's values (track_n = 7, check_n = 7) for a
// picture of w x h on entry in frames of max_w x max_h. Track values outside
// the ranges of the filter's table are taken at the nearest end of the range.
spindle_params spindle_derive(const int *track, const int *check, int w, int h, int max_w, int max_h);

// Flip pass: dst(x, y) = src(x', y') over the w x h picture, x' and y'
// mirrored as flip_h and flip_v ask. dst and src are different frames.
void spindle_flip(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, bool flip_v, bool flip_h);

// Draws the window's outline into the w x h picture by inverting pixels
// (y -> 4095 - y, cb <-> cr). Points outside the picture are skipped.
void spindle_outline(PIXEL_YC *frame, int pitch, int w, int h, const spindle_params *p);

// Resamples the window of the w x h source into the cols x rows block of dst,
// both with the row pitch `pitch`. dst and src are different frames; nothing
// of dst outside the block is written.
typedef void (*spindle_resample_fn)(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h,
                                    const spindle_params *p);

// Reference: every output pixel computed from scratch, step by step.
void spindle_resample_ref(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p);

// The fastest variant for this CPU, chosen on first use; the same bytes as the reference.
void spindle_resample(PIXEL_YC *dst, const PIXEL_YC *src, int pitch, int w, int h, const spindle_params *p);

// Every fast variant that this CPU can run, for tests that hold them to the reference.
struct spindle_variant {
    const char *name;
    spindle_resample_fn fn;
};
int spindle_variants(spindle_variant *out, int max);
