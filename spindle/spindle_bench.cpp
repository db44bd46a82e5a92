// spindle_bench: the cost of the resampling against a memcpy of the output
// frame, both timed in this run. Prints one line per case:
//   case  resample-ms  memcpy-ms  ratio
// The best of several repetitions is taken for each, to keep other load out.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "spindle/spindle.h"
#include "testkit/frame.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double best_ms(int reps, F f) {
    double best = 1e30;
    for (int i = 0; i < reps; ++i) {
        const auto t0 = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

void bench(const char *what, int w, int h, std::array<int, 7> track, std::array<int, 7> check, int reps) {
    testkit::Frame src(w, h), dst(w, h), copy(w, h);
    src.randomize(w, h, 1);
    const spindle_params p = spindle_derive(track.data(), check.data(), w, h, w, h);
    const size_t bytes = size_t(p.cols) * size_t(p.rows) * sizeof(PIXEL_YC);

    spindle_variant v[8];
    const int n = spindle_variants(v, 8);
    const double copy_ms = best_ms(reps, [&] { std::memcpy(copy.origin(), src.origin(), bytes); });
    const double ref_ms = best_ms(std::max(1, reps / 4), [&] {
        spindle_resample_ref(dst.origin(), src.origin(), w, w, h, &p);
    });
    std::printf("%-9s %4dx%-4d -> %4dx%-4d  memcpy %7.3f ms\n", what, w, h, p.cols, p.rows, copy_ms);
    std::printf("  %-10s %8.3f ms  %6.2fx memcpy\n", "reference", ref_ms, ref_ms / copy_ms);
    for (int i = 0; i < n; ++i) {
        const double ms = best_ms(reps, [&] { v[i].fn(dst.origin(), src.origin(), w, w, h, &p); });
        std::printf("  %-10s %8.3f ms  %6.2fx memcpy\n", v[i].name, ms, ms / copy_ms);
    }
    std::fflush(stdout);
}

}  // namespace

int main() {
    // 1920 x 1080, "Fit to frame", 30 degrees, window 640 x 360 around (640, 480)
    bench("rotated", 1920, 1080, {352, 240, 640, 480, 640, 360, 30}, {0, 0, 1, 0, 1, 0, 1}, 20);
    // 720 x 480 -> 640 x 480; the largest window the tracks allow, 672 x 448 with the frame's aspect
    bench("straight", 720, 480, {640, 480, 24, 16, 640, 480, 0}, {0, 0, 0, 0, 1, 0, 0}, 100);
    return 0;
}
