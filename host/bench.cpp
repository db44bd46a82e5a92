#include "bench.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "host/color.h"
#include "host/frames.h"
#include "host/run.h"
#include "host/sample.h"

namespace qhost {

namespace {

// The fastest of `runs` calls, in milliseconds: the least disturbed by the
// other work on the machine.
double best_ms(int runs, const std::function<void()> &f) {
    f();  // warm caches and page tables
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

BOOL QP_CDECL pass_through(FILTER *, FILTER_PROC_INFO *) { return TRUE; }

// Keeps the compiler from dropping work whose result is not used.
volatile unsigned g_sink;

}  // namespace

int run_bench(int w, int h, int runs) {
    Frames frames(w, h);
    const int pitch = frames.max_w();
    frames.set_size(w, h);
    render_sample(frames.edit(), pitch, w, h, 10);

    const size_t frame_bytes = size_t(w) * size_t(h) * sizeof(PIXEL_YC);
    std::vector<uint8_t> a(frame_bytes, 1), b(frame_bytes, 2);
    std::vector<uint8_t> bgr(size_t(w) * size_t(h) * 3);
    std::vector<uint8_t> dib(dib_bytes(w, h));
    to_dib(dib.data(), frames.edit(), w, h, pitch);
    for (int y = 0; y < h; ++y) std::memcpy(&bgr[size_t(y) * size_t(w) * 3], &dib[size_t(h - 1 - y) * ((size_t(w) * 3 + 3) & ~size_t(3))], size_t(w) * 3);

    const auto scale = std::make_unique<YuvScale>(8, false);
    const YuvScale &s8 = *scale;
    const size_t cw = size_t(w + 1) / 2, ch = size_t(h + 1) / 2;
    std::vector<uint8_t> yuv(size_t(w) * size_t(h) + 2 * cw * ch, 128);
    PIXEL_YC *work = frames.temp();

    const double copy = best_ms(runs, [&] {
        std::memcpy(b.data(), a.data(), frame_bytes);
        g_sink = b[frame_bytes / 2];
    });
    struct Row {
        const char *what;
        double ms;
    };
    std::vector<Row> rows;
    rows.push_back({"BGR 8-bit -> working", best_ms(runs, [&] {
                        for (int y = 0; y < h; ++y) bgr_to_yc(work + ptrdiff_t(y) * pitch, &bgr[size_t(y) * size_t(w) * 3], w);
                    })});
    rows.push_back({"working -> BGR 8-bit (bottom-up DIB)", best_ms(runs, [&] { to_dib(dib.data(), frames.edit(), w, h, pitch); })});
    rows.push_back({"y4m 420 8-bit -> working", best_ms(runs, [&] {
                        const uint8_t *Y = yuv.data(), *U = Y + size_t(w) * size_t(h), *V = U + cw * ch;
                        for (int y = 0; y < h; ++y)
                            s8.row_in(work + ptrdiff_t(y) * pitch, Y + size_t(y) * size_t(w), U + size_t(y / 2) * cw,
                                      V + size_t(y / 2) * cw, w, 1);
                    })});
    rows.push_back({"working -> y4m 420 8-bit", best_ms(runs, [&] {
                        uint8_t *Y = yuv.data(), *U = Y + size_t(w) * size_t(h), *V = U + cw * ch;
                        const PIXEL_YC *src = frames.edit();
                        for (int y = 0; y < h; ++y) s8.luma_row_out(Y + size_t(y) * size_t(w), src + ptrdiff_t(y) * pitch, w);
                        for (size_t y = 0; y < ch; ++y) {
                            const PIXEL_YC *r0 = src + ptrdiff_t(2 * y) * pitch;
                            const PIXEL_YC *r1 = 2 * y + 1 < size_t(h) ? r0 + pitch : r0;
                            s8.chroma_row_out(U + y * cw, V + y * cw, r0, r1, w, 1);
                        }
                    })});
    FILTER fp{};
    fp.func_proc = pass_through;
    rows.push_back({"frame hand-over to a filter (record, guard check)", best_ms(runs, [&] { frames.call(fp); })});

    std::printf("%dx%d, %s kernels, best of %d runs; memcpy of the working frame (%.1f MB): %.3f ms\n", w, h, bgr_kernels(), runs,
                double(frame_bytes) / 1e6, copy);
    for (const Row &r : rows) std::printf("  %-52s %8.3f ms  %5.2fx memcpy\n", r.what, r.ms, r.ms / copy);
    const double worst = std::max(rows[0].ms, rows[1].ms) / copy;
    std::printf("target: BGR conversion in and out at most 3x memcpy: %s (%.2fx)\n", worst <= 3.0 ? "met" : "NOT met", worst);
    return 0;
}

}  // namespace qhost
