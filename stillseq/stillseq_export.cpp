// stillseq_export: exports synthetic frames through an output plug-in, loaded
// as the host loads it, so that outside tools can check the files it writes.
//
//   stillseq_export PLUGIN OUTPUT_PATH W H FRAMES [PATTERN]
//
// Byte c (0 blue, 1 green, 2 red) of pixel (x, y), y counted from the top, of
// frame f is (x * 37 + y * 11 + f * 101 + c * 59) & 255; rows are padded with
// zeros to four bytes and stored bottom row first. Exit status 0 when the
// export returned TRUE.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/module.h"

namespace {

int g_w, g_h, g_stride;
std::vector<unsigned char> g_frame;

void *QP_CDECL get_frame(int f) {
    for (int y = 0; y < g_h; ++y) {
        unsigned char *row = g_frame.data() + size_t(g_h - 1 - y) * size_t(g_stride);
        for (int x = 0; x < g_w; ++x)
            for (int c = 0; c < 3; ++c) row[3 * x + c] = (unsigned char)((x * 37 + y * 11 + f * 101 + c * 59) & 255);
    }
    return g_frame.data();
}
BOOL QP_CDECL no_stop() { return FALSE; }
BOOL QP_CDECL progress(int, int) { return TRUE; }
BOOL QP_CDECL notify() { return TRUE; }

}  // namespace

int main(int argc, char **argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: stillseq_export PLUGIN OUTPUT_PATH W H FRAMES [PATTERN]\n");
        return 2;
    }
    qhost::Module module;
    if (!module.open(argv[1])) {
        std::fprintf(stderr, "%s: %s\n", argv[1], module.error().c_str());
        return 2;
    }
    OUTPUT_DLL *table = module.output_table();
    if (!table) {
        std::fprintf(stderr, "%s: no output plug-in table\n", argv[1]);
        return 2;
    }
    if (argc == 7) {
        char block[256] = {};
        std::strncpy(block, argv[6], sizeof block - 1);
        table->func_set_config(block, sizeof block);
    }
    g_w = std::atoi(argv[3]);
    g_h = std::atoi(argv[4]);
    g_stride = (3 * g_w + 3) & ~3;
    g_frame.assign(size_t(g_h) * size_t(g_stride), 0);

    OUTPUT_JOB job{};
    job.w = g_w;
    job.h = g_h;
    job.frame_count = std::atoi(argv[5]);
    job.frame_bytes = g_h * g_stride;
    job.output_path = argv[2];
    job.func_get_frame = get_frame;
    job.func_stop_requested = no_stop;
    job.func_report_progress = progress;
    job.func_notify_frame = notify;
    return table->func_output(&job) ? 0 : 1;
}
