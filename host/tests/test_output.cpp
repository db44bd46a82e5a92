// An output plug-in for the host's tests. It writes a text file to the path
// it is given: its settings text, the job, and per frame the CRC-32 of the
// image data. It calls the job's callbacks in the order that exports use.
#include <cstdio>
#include <cstring>

#include "sdk/output.h"

static char label[256] = "label";

static unsigned crc32(const unsigned char *p, int n) {
    unsigned crc = ~0u;
    while (n-- > 0) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

static BOOL QP_CDECL func_output(OUTPUT_JOB *job) {
    FILE *f = std::fopen(job->output_path, "wb");
    if (!f) return FALSE;
    std::fprintf(f, "%s\nsize %d %d frames %d bytes %d\n", label, job->w, job->h, job->frame_count, job->frame_bytes);
    for (int i = 0; i < job->frame_count; ++i) {
        if (job->func_stop_requested()) {
            std::fprintf(f, "stopped\n");
            break;
        }
        job->func_report_progress(i, job->frame_count);
        const auto *p = static_cast<const unsigned char *>(job->func_get_frame(i));
        job->func_notify_frame();
        std::fprintf(f, "frame %d %08x\n", i, crc32(p, job->frame_bytes));
    }
    return std::fclose(f) == 0;
}

static int QP_CDECL func_get_config(void *data, int) {
    if (data) std::memcpy(data, label, sizeof label);
    return int(sizeof label);
}

static int QP_CDECL func_set_config(void *data, int size) {
    if (size != int(sizeof label)) return 0;
    std::memcpy(label, data, sizeof label);
    label[sizeof label - 1] = '\0';
    return size;
}

static OUTPUT_DLL output = {
    0, "Test Output ", "Text (*.txt)\0*.txt\0AllFile (*.*)\0*.*\0", "test output 1.0",
    nullptr, nullptr, func_output, nullptr, func_get_config, func_set_config, {},
};

QP_EXTERN_C QP_EXPORT OUTPUT_DLL *QP_CDECL GetOutputPluginTable(void) { return &output; }
