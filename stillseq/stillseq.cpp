// stillseq: writes every frame of an export as one uncompressed 24-bit BMP
// file, named after the chosen output file with the frame's number in front
// of the extension ("clip.bmp" with "_%d": clip_0.bmp, clip_1.bmp, ...).

#include "stillseq.h"

#include <cstring>

#include "name_format.h"
#include "out_file.h"

namespace stillseq {

char name_pattern[kConfigSize] = "_%d";

namespace {

// ---------------------------------------------------------------------------
// Table

BOOL QP_CDECL func_output(OUTPUT_JOB *job);
int QP_CDECL func_get_config(void *data, int size);
int QP_CDECL func_set_config(void *data, int size);

// Pairs of description and wildcard for the host's save dialog, ended by an
// empty string (the literal adds the final NUL).
constexpr char kFileFilter[] = "BmpFile (*.bmp)\0*.bmp\0AllFile (*.*)\0*.*\0";

OUTPUT_DLL output_plugin = {
    0,              // flag
    "BMP Output ",  // name
    kFileFilter,
    "BMP Output version 1.00",  // information
    nullptr,        // func_init
    nullptr,        // func_exit
    func_output,
    config,
    func_get_config,
    func_set_config,
    {},
};

}  // namespace
}  // namespace stillseq

QP_EXTERN_C QP_EXPORT OUTPUT_DLL *QP_CDECL GetOutputPluginTable(void) { return &stillseq::output_plugin; }

namespace stillseq {

// ---------------------------------------------------------------------------
// Names

static bool is_separator(char c) { return c == '\\' || c == '/'; }

static void copy_span(char *dst, const char *begin, const char *end) {
    std::memcpy(dst, begin, size_t(end - begin));
    dst[end - begin] = '\0';
}

bool split_output_path(const char *path, output_names *out) {
    if (!path) return false;
    const size_t len = strnlen(path, kNameMax + 1);
    if (len > size_t(kNameMax)) return false;
    const char *end = path + len;
    const char *name = path;  // the file-name part starts after the last separator
    for (const char *p = path; p != end; ++p)
        if (is_separator(*p)) name = p + 1;
    const char *ext = end;    // and its extension at its last '.'
    for (const char *p = name; p != end; ++p)
        if (*p == '.') ext = p;
    copy_span(out->dir, path, name);
    copy_span(out->base, name, ext);
    copy_span(out->ext, ext, end);
    return true;
}

int frame_file_name(char *dst, const output_names &names, const char *pattern, int frame) {
    char number[kNameMax + 1];
    if (format_number(number, sizeof number, pattern, frame) < 0) return -1;
    const char *const parts[] = {names.dir, names.base, number, names.ext};
    int len = 0;
    for (const char *part : parts) {
        const size_t n = std::strlen(part);
        if (n > size_t(kNameMax - len)) return -1;
        std::memcpy(dst + len, part, n);
        len += int(n);
    }
    dst[len] = '\0';
    return len;
}

// ---------------------------------------------------------------------------
// Headers

static void put16(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

static void put32(uint8_t *p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

void bmp_headers(uint8_t dst[kHeaderBytes], int w, int h, int frame_bytes) {
    std::memset(dst, 0, kHeaderBytes);
    // File header.
    dst[0] = 'B';
    dst[1] = 'M';
    put32(dst + 2, uint32_t(frame_bytes) + kHeaderBytes);
    put32(dst + 10, kHeaderBytes);
    // Information header; compression, image size, resolutions and colour
    // counts stay 0.
    uint8_t *info = dst + 14;
    put32(info + 0, 40);
    put32(info + 4, uint32_t(w));
    put32(info + 8, uint32_t(h));
    put16(info + 12, 1);
    put16(info + 14, 24);
}

// ---------------------------------------------------------------------------
// Export

namespace {

// Writes one frame's file. False when it cannot be created or when any of its
// bytes were not written.
bool write_frame(const char *file, const uint8_t *header, const void *image, int frame_bytes) {
    out_file f;
    if (!f.create(file)) return false;
    bool ok = f.write(header, kHeaderBytes) == size_t(kHeaderBytes);
    ok = frame_bytes > 0 && f.write(image, size_t(frame_bytes)) == size_t(frame_bytes) && ok;
    return f.close() && ok;
}

BOOL QP_CDECL func_output(OUTPUT_JOB *job) {
    uint8_t header[kHeaderBytes];
    bmp_headers(header, job->w, job->h, job->frame_bytes);

    output_names names;
    if (!split_output_path(job->output_path, &names)) return FALSE;

    // The pattern of this export, checked once: an invalid one writes nothing.
    char pattern[kConfigSize];
    std::memcpy(pattern, name_pattern, sizeof pattern);
    pattern[kConfigSize - 1] = '\0';
    if (!name_pattern_valid(pattern)) return FALSE;

    for (int i = 0; i < job->frame_count; ++i) {
        if (job->func_stop_requested && job->func_stop_requested()) return TRUE;
        if (job->func_report_progress) job->func_report_progress(i, job->frame_count);
        const void *image = job->func_get_frame ? job->func_get_frame(i) : nullptr;
        if (job->func_notify_frame) job->func_notify_frame();

        char file[kNameMax + 1];
        if (!image || frame_file_name(file, names, pattern, i) < 0) return FALSE;
        if (!write_frame(file, header, image, job->frame_bytes)) return FALSE;
    }
    return TRUE;
}

// ---------------------------------------------------------------------------
// Settings block: the whole pattern buffer, byte for byte.

int QP_CDECL func_get_config(void *data, int) {
    if (data) std::memcpy(data, name_pattern, kConfigSize);
    return kConfigSize;
}

int QP_CDECL func_set_config(void *data, int size) {
    if (!data || size != kConfigSize) return 0;
    std::memcpy(name_pattern, data, kConfigSize);
    name_pattern[kConfigSize - 1] = '\0';  // a block without a NUL still ends here
    return kConfigSize;
}

}  // namespace
}  // namespace stillseq
