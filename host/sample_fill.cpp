// sample_fill: the fill filter on a generated frame, written as a BMP image.
//
//   sample_fill PLUGIN OUT.bmp
#include <algorithm>
#include <cstdio>
#include <vector>

#include "host/module.h"

namespace {

constexpr int W = 352, H = 240, PITCH = W + 8;

// Working format from 8-bit RGB: luma 0..4095 (BT.601 weights), colour
// differences signed around 0.
PIXEL_YC from_rgb(int r, int g, int b) {
    const int y = (1225 * r + 2404 * g + 467 * b) >> 8;  // 4096 * (0.299, 0.587, 0.114) / 256, scaled to 0..4095
    const int cb = (-691 * r - 1357 * g + 2048 * b) >> 8;
    const int cr = (2048 * r - 1715 * g - 333 * b) >> 8;
    return {short(std::min(y, 4095)), short(cb), short(cr)};
}

void to_rgb(const PIXEL_YC &p, unsigned char *bgr) {
    const int r = (p.y * 256 + 359 * p.cr) >> 12;
    const int g = (p.y * 256 - 88 * p.cb - 183 * p.cr) >> 12;
    const int b = (p.y * 256 + 454 * p.cb) >> 12;
    bgr[0] = (unsigned char)std::clamp(b, 0, 255);
    bgr[1] = (unsigned char)std::clamp(g, 0, 255);
    bgr[2] = (unsigned char)std::clamp(r, 0, 255);
}

void put32(unsigned char *p, unsigned v) {
    for (int i = 0; i < 4; ++i) p[i] = (unsigned char)(v >> (8 * i));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sample_fill PLUGIN OUT.bmp\n");
        return 2;
    }
    qhost::Module module;
    if (!module.open(argv[1])) {
        std::fprintf(stderr, "%s: %s\n", argv[1], module.error().c_str());
        return 2;
    }
    const FILTER_DLL *table = module.filter_table();
    if (!table || !table->func_proc) {
        std::fprintf(stderr, "%s: not a filter plug-in\n", argv[1]);
        return 2;
    }

    // Colour bars over a luma ramp, with a checkerboard block in the middle.
    std::vector<PIXEL_YC> edit(size_t(PITCH) * H), temp(edit.size());
    static const int bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                   {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int *c = bars[x * 8 / W];
            const int ramp = x * 255 / (W - 1);
            const bool check = (x / 16 + y / 16) % 2;
            PIXEL_YC &p = edit[size_t(y) * PITCH + x];
            if (y < H * 2 / 3) p = from_rgb(c[0], c[1], c[2]);
            else p = from_rgb(ramp, check ? ramp : 255 - ramp, 128);
        }

    int track[4] = {16, 16, 40, 8};  // top, bottom, left, right
    int check[1] = {1};              // centre the picture
    FILTER fp{};
    fp.track = track;
    fp.check = check;
    FILTER_PROC_INFO fpip{0, edit.data(), temp.data(), W, H, PITCH, H};
    table->func_proc(&fp, &fpip);

    const int row = (3 * fpip.w + 3) & ~3;
    std::vector<unsigned char> file(54 + size_t(row) * fpip.h);
    file[0] = 'B', file[1] = 'M';
    put32(&file[2], unsigned(file.size()));
    put32(&file[10], 54);
    put32(&file[14], 40);
    put32(&file[18], unsigned(fpip.w));
    put32(&file[22], unsigned(fpip.h));
    file[26] = 1, file[28] = 24;
    for (int y = 0; y < fpip.h; ++y)
        for (int x = 0; x < fpip.w; ++x)
            to_rgb(fpip.ycp_edit[size_t(y) * PITCH + x], &file[54 + size_t(fpip.h - 1 - y) * row + 3 * size_t(x)]);
    FILE *out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", argv[2]);
    return 0;
}
