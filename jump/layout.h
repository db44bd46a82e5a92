// jump: the arithmetic of the thumbnail row and of the panel's size. Free of
// window types, so that every rule can be checked on its own.
//
// All values are 32-bit signed ints and every division truncates toward zero.
// Where an intermediate product could leave the 32-bit range it is formed in
// 64 bits; the results are the same wherever the 32-bit sum would not wrap.
#pragma once

namespace jump {

// Toolbar band: the row of cells starts at this client y.
constexpr int kRowTop = 29;
// Window height that the panel adds to the picture height of a cell.
constexpr int kFrameExtra = 72;

// Whole-video mode: the row spans the whole video from frame 0.
bool whole_mode(int interval_index, int custom_interval_index);

// The interval that makes a row of n cells span c frames; at least 1.
int whole_interval(int c, int n);

// Cell count from the preset list: index 0 picks presets[9], d = 1..9 picks
// presets[d - 1]; any other index gives 10.
int preset_count(const short presets[10], int preset_index);

// First frame that puts frame f into cell ceil(n/2) - 1 of a row with interval iv.
int centred_first(int f, int n, int iv);

// The cell under client x of a row of n cells in a client w wide, or -1 when x
// lies right of the last whole cell. Any x below the first cell width is cell 0.
int cell_at(int x, int client_w, int n);

// What update_scroll_bar does to the row: the first frame it leaves, the
// interval it works with (never below 1), and the scroll-bar range and
// position in steps of that interval.
struct ScrollPlan {
    int first_frame;
    int interval;
    int max;
    int pos;
};
// f, iv, n, c: first frame, interval, cell count and frame count on entry.
ScrollPlan plan_scroll(int f, int iv, int n, int c, bool whole);

// The inputs of the two sizing rules.
struct SizeRules {
    int screen_width;    // display width in pixels, as kept (16-bit)
    int width_index;     // 0..5; any other value sizes as 0
    int aspect_mode;     // 0: cells 4:3, 1: cells follow the source picture
    int fixed_size_on;   // 1: every cell fixed_pic_w wide, its picture fixed_pic_h high
    int fixed_pic_w;
    int fixed_pic_h;
    int pic_count;       // N
    int source_width;    // source picture; a width of 0 sizes as 4:3
    int source_height;
};

// A window rectangle in screen coordinates.
struct Rect {
    int left, top, right, bottom;
};

// Where MoveWindow puts the panel: x, width and height (the top stays).
struct Placement {
    int x, width, height;
};

// Width from the preset or the lock, height from the aspect; centred on the
// window's old centre (`window` is its current rectangle).
Placement width_preset(const SizeRules &r, const Rect &window);
// Keeps the window's width (or applies the lock) and sets its height.
Placement refit_height(const SizeRules &r, const Rect &window);

}  // namespace jump
