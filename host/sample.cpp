#include "sample.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/color.h"

namespace qhost {

namespace {

// 5 x 7 glyphs, one byte per row, bit 4 the leftmost column.
struct Glyph {
    char c;
    uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
};

bool glyph_pixel(char c, int gx, int gy) {
    for (const Glyph &g : kFont)
        if (g.c == c) return (g.rows[gy] >> (4 - gx)) & 1;
    return false;
}

// 0 .. 255 .. 0 over a period of 512.
int tri(int v) {
    v &= 511;
    return v < 256 ? v : 511 - v;
}

struct Rgb {
    int r, g, b;
};

constexpr Rgb kBars[8] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                          {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};

// Text at (x0, y0), each glyph pixel a scale x scale block, with a shadow.
struct Text {
    char s[40];
    int x0, y0, scale;
    // 0 outside, 1 shadow, 2 letter
    int at(int x, int y) const {
        int best = 0;
        for (int d = 1; d >= 0; --d) {  // shadow one block down-right, then the letter itself
            const int sx = x - x0 - d * scale, sy = y - y0 - d * scale;
            if (sx < 0 || sy < 0 || sy >= 7 * scale) continue;
            const int cell = sx / (6 * scale), cx = sx % (6 * scale) / scale;
            if (cell >= int(sizeof s) || !s[cell] || cx >= 5) continue;
            if (glyph_pixel(s[cell], cx, sy / scale)) best = d ? 1 : 2;
        }
        return best;
    }
};

}  // namespace

void render_sample(PIXEL_YC *dst, int pitch, int w, int h, int frame) {
    std::vector<uint8_t> row(size_t(w) * 3);
    const int t = frame;
    const int unit = h / 24 > 0 ? h / 24 : 1;  // a block of the text and the stripes

    // A disc that bounces across the frame.
    const int r = h / 6 + 1;
    const int cx = r + (w - 2 * r) * tri(t * 7) / 255, cy = r + (h - 2 * r) * tri(t * 11 + 100) / 255;

    Text title{"QHOST SAMPLE", w / 16, h * 5 / 8, h / 120 > 0 ? h / 120 : 1};
    Text counter{}, *texts[] = {&title, &counter};
    std::snprintf(counter.s, sizeof counter.s, "FRAME %04d", frame);
    counter.x0 = w / 16 + (t * 3) % (w / 4 + 1);
    counter.y0 = title.y0 + 10 * title.scale;
    counter.scale = title.scale;

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb c;
            if (y < h / 4) {
                // Colour bars scrolling to the left, with a hard edge every bar.
                c = kBars[((x + t * 4) * 8 / (w > 0 ? w : 1)) & 7];
            } else if (y >= h * 7 / 8) {
                // A grey ramp over fine vertical stripes whose spacing grows.
                const int ramp = w > 1 ? x * 255 / (w - 1) : 0;
                const bool line = (x * x / (8 * unit + 1) + t) % 4 == 0;
                c = line ? Rgb{255 - ramp, 255 - ramp, 255 - ramp} : Rgb{ramp, ramp, ramp};
            } else {
                // A soft diagonal colour gradient that drifts.
                c = {tri(x + t * 5), tri(y * 2 + 170), tri(x + y + 340 - t * 3)};
            }
            const int dx = x - cx, dy = y - cy, d2 = dx * dx + dy * dy;
            if (d2 < r * r) {
                // The disc: a bright ring around a checkered face.
                const bool ring = d2 > (r - unit) * (r - unit);
                const bool check = ((dx + r) / unit + (dy + r) / unit) % 2;
                c = ring ? Rgb{255, 200, 0} : check ? Rgb{200, 30, 60} : Rgb{30, 60, 200};
            }
            for (const Text *tx : texts) {
                const int v = tx->at(x, y);
                if (v == 1) c = {0, 0, 0};
                if (v == 2) c = {255, 255, 255};
            }
            uint8_t *o = &row[size_t(x) * 3];
            o[0] = uint8_t(c.b), o[1] = uint8_t(c.g), o[2] = uint8_t(c.r);
        }
        bgr_to_yc(dst + ptrdiff_t(y) * pitch, row.data(), w);
    }
}

}  // namespace qhost
