// jump: row and panel arithmetic.

#include "jump/layout.h"

#include <cstdint>

namespace jump {

namespace {

// Quotient that truncates toward zero, formed in 64 bits.
int quot(int64_t a, int64_t b) { return int(a / b); }

int non_negative(int v) { return v < 0 ? 0 : v; }

// Panel width as a fraction of the screen, by width_index.
struct Fraction {
    int num, den;
};
constexpr Fraction kWidthRules[6] = {{1, 3}, {1, 2}, {2, 3}, {3, 4}, {7, 8}, {1, 1}};

}  // namespace

bool whole_mode(int interval_index, int custom_interval_index) {
    return interval_index == 15 || custom_interval_index == 9;
}

int whole_interval(int c, int n) {
    const int iv = n > 1 ? (c - 1) / (n - 1) : c - 1;
    return iv < 1 ? 1 : iv;
}

int preset_count(const short presets[10], int preset_index) {
    if (preset_index < 0 || preset_index > 9) return 10;
    return presets[(preset_index + 9) % 10];
}

int centred_first(int f, int n, int iv) {
    return int(f - int64_t(n / 2 + n % 2 - 1) * iv);
}

int cell_at(int x, int client_w, int n) {
    if (n < 1) return -1;
    const int cw = client_w / n;
    if (x < cw) return 0;
    if (cw <= 0 || int64_t(x) >= int64_t(n) * cw) return -1;
    return x / cw;
}

ScrollPlan plan_scroll(int f, int iv, int n, int c, bool whole) {
    if (whole) return {0, iv, 0, 0};
    // A zero interval is taken as 1; so is a negative one, with which the
    // clamps below would never end.
    if (iv < 1) iv = 1;
    int max = quot(int64_t(c) - f - 1, iv) + f / iv - n + 1;
    if (max < 0) max = 0;
    // Pull the row back until its last cell is a frame of the video, then push
    // it forward to a non-negative first frame, in whole intervals.
    int64_t first = f;
    const int64_t last = first + int64_t(n - 1) * iv;
    if (last > int64_t(c) - 1) first -= (last - (int64_t(c) - 1) + iv - 1) / iv * iv;
    if (first < 0) first += (-first + iv - 1) / iv * iv;
    return {int(first), iv, max, int(first / iv)};
}

namespace {

// Picture height of a cell w pixels wide in the wanted aspect, the product
// formed before the one division: num/den of the screen width shared by n cells.
int aspect_height(const SizeRules &r, int64_t width, int num, int den) {
    const int n = r.pic_count > 0 ? r.pic_count : 1;
    // Without a source size (no video yet) the cells are 4:3.
    if (r.aspect_mode == 1 && r.source_width > 0)
        return quot(width * r.source_height * num, int64_t(r.source_width) * n * den);
    return quot(width * num * 3, int64_t(n) * den * 4);
}

// The locked size: T = fixed_pic_w x N columns, or the screen width and a
// height shrunk in proportion when T does not fit.
bool locked_fits(const SizeRules &r, int64_t t) { return t < r.screen_width; }

int locked_height(const SizeRules &r, int64_t t) {
    if (locked_fits(r, t) || t <= 0) return r.fixed_pic_h + kFrameExtra;
    return quot(int64_t(r.fixed_pic_h) * r.screen_width, t) + kFrameExtra;
}

}  // namespace

Placement width_preset(const SizeRules &r, const Rect &window) {
    const int centre = quot(int64_t(window.left) + window.right, 2);
    if (r.fixed_size_on) {
        const int64_t t = int64_t(r.fixed_pic_w) * r.pic_count;
        if (locked_fits(r, t)) {
            const int width = int(t + 1);
            return {non_negative(centre - width / 2), width, locked_height(r, t)};
        }
        return {0, r.screen_width, locked_height(r, t)};
    }
    // A width_index that no rule covers (only a hand-edited settings file
    // holds one) sizes the panel as the default rule does.
    const int index = r.width_index >= 0 && r.width_index <= 5 ? r.width_index : 0;
    const Fraction f = kWidthRules[index];
    const int width = quot(int64_t(r.screen_width) * f.num, f.den);
    const int height = aspect_height(r, r.screen_width, f.num, f.den) + kFrameExtra;
    if (index == 5) return {0, r.screen_width, height};
    return {non_negative(centre - width / 2), width, height};
}

Placement refit_height(const SizeRules &r, const Rect &window) {
    if (r.fixed_size_on) {
        const int64_t t = int64_t(r.fixed_pic_w) * r.pic_count;
        if (locked_fits(r, t)) {
            const int x = quot(int64_t(window.left) + window.right + 1 - t, 2);
            return {non_negative(x), int(t + 1), locked_height(r, t)};
        }
        return {0, r.screen_width, locked_height(r, t)};
    }
    const int width = window.right - window.left;
    const int x = quot(int64_t(window.left) + window.right, 2) - width / 2;
    return {non_negative(x), width, aspect_height(r, width, 1, 1) + kFrameExtra};
}

}  // namespace jump
