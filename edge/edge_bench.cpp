// edge_bench: what one 1920 x 1080 frame costs each kernel and range, as a
// ratio to a memcpy of the same frame timed in the same run. Rounds are
// interleaved and the fastest of each is kept, so that other load on the
// machine weighs on both sides alike.
//
//   edge_bench [rounds [w h]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "edge/edge.h"

namespace {

template <class F>
double seconds(F &&f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const int w = argc > 3 ? std::max(1, std::atoi(argv[2])) : 1920;
    const int h = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1080;
    const int pitch = w + 8;

    // Two rows and two pixels of room before each frame, two rows after.
    const size_t room = size_t(pitch) * (h + 4) + 4;
    std::vector<PIXEL_YC> a(room), b(room);
    PIXEL_YC *src = a.data() + 2 * pitch + 2, *dst = b.data() + 2 * pitch + 2;
    uint32_t s = 1;
    for (PIXEL_YC &px : a) {
        s = s * 1664525u + 1013904223u;
        px = {short((s >> 8) & 4095), short(int((s >> 12) & 4095) - 2048), short(int((s >> 20) & 4095) - 2048)};
    }
    const size_t bytes = size_t(pitch) * h * sizeof(PIXEL_YC);

    std::vector<const edge_impl *> impls;
    for (int i = 0; i < edge_impl_count; ++i)
        if (edge_impls[i].usable()) impls.push_back(&edge_impls[i]);

    double copy = 1e9;
    std::vector<double> best(impls.size() * 3, 1e9);
    for (int r = 0; r < rounds; ++r) {
        copy = std::min(copy, seconds([&] { std::memcpy(dst, src, bytes); }));
        for (size_t i = 0; i < impls.size(); ++i)
            for (int range = 0; range < 3; ++range) {
                const edge_params p = {128, range, 32, 128, false};
                double &t = best[i * 3 + size_t(range)];
                t = std::min(t, seconds([&] { impls[i]->kernel(dst, src, pitch, w, h, &p); }));
            }
    }

    std::printf("%dx%d, best of %d rounds; memcpy of the frame %.3f ms (%.1f GB/s)\n", w, h, rounds, copy * 1e3,
                double(bytes) / copy * 1e-9);
    std::printf("%-8s %10s %10s %10s   (ratio to memcpy; ms)\n", "kernel", "range 0", "range 1", "range 2");
    for (size_t i = 0; i < impls.size(); ++i) {
        std::printf("%-8s", impls[i]->name);
        for (int range = 0; range < 3; ++range) std::printf(" %6.2fx   ", best[i * 3 + size_t(range)] / copy);
        std::printf("  (");
        for (int range = 0; range < 3; ++range) std::printf(" %.3f", best[i * 3 + size_t(range)] * 1e3);
        std::printf(")\n");
    }
    return 0;
}
