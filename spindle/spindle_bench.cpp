// spindle_bench: the cost of the resampling against a memcpy of the output
// frame, both timed in this run. For each case it prints the memcpy and, per
// kernel, the time and its ratio to the memcpy.
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
double ms(F f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Each repetition times the memcpy and every kernel once, in turn, so that
// load from other processes falls on all of them alike; the best time of
// each is kept.
void bench(const char *what, int w, int h, std::array<int, 7> track, std::array<int, 7> check, int reps) {
    testkit::Frame src(w, h), dst(w, h), copy(w, h);
    src.randomize(w, h, 1);
    const spindle_params p = spindle_derive(track.data(), check.data(), w, h, w, h);
    const size_t bytes = size_t(p.cols) * size_t(p.rows) * sizeof(PIXEL_YC);

    std::vector<spindle_variant> v(8);
    v.resize(size_t(spindle_variants(v.data(), int(v.size()))));
    v.insert(v.begin(), {"reference", spindle_resample_ref});
    std::vector<double> best(v.size(), 1e30);
    double copy_ms = 1e30;
    for (int r = 0; r < reps; ++r) {
        copy_ms = std::min(copy_ms, ms([&] { std::memcpy(copy.origin(), src.origin(), bytes); }));
        for (size_t i = 0; i < v.size(); ++i)
            if (i > 0 || r % 4 == 0)  // the reference is slow and steady
                best[i] = std::min(best[i], ms([&] { v[i].fn(dst.origin(), src.origin(), w, w, h, &p); }));
    }
    // The same memcpy back to back, its buffers hot in the cache: the harder measure.
    double hot_ms = 1e30;
    for (int r = 0; r < reps; ++r)
        hot_ms = std::min(hot_ms, ms([&] { std::memcpy(copy.origin(), src.origin(), bytes); }));
    std::printf("%s %dx%d -> %dx%d: memcpy of the output %.3f ms in turn, %.3f ms back to back\n", what, w, h,
                p.cols, p.rows, copy_ms, hot_ms);
    for (size_t i = 0; i < v.size(); ++i)
        std::printf("  %-10s %8.3f ms  %6.2fx memcpy  (%6.2fx back to back)\n", v[i].name, best[i],
                    best[i] / copy_ms, best[i] / hot_ms);
    std::fflush(stdout);
}

}  // namespace

int main() {
    // 1920 x 1080, "Fit to frame", 30 degrees, window 640 x 360 around (640, 480)
    bench("rotated", 1920, 1080, {352, 240, 640, 480, 640, 360, 30}, {0, 0, 1, 0, 1, 0, 1}, 40);
    // 720 x 480 -> 640 x 480; the largest window the tracks allow, 672 x 448 with the frame's aspect
    bench("straight", 720, 480, {640, 480, 24, 16, 640, 480, 0}, {0, 0, 0, 0, 1, 0, 0}, 200);
    return 0;
}
