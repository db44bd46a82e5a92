// stillseq: the pieces behind the plug-in's callbacks, for tests and for the
// platform glue (out_file_*.cpp, config_*.cpp).
#pragma once

#include <cstdint>

#include "sdk/output.h"

namespace stillseq {

inline constexpr int kNameMax = 259;       // characters in any name buffer, the NUL not counted
inline constexpr int kConfigSize = 256;    // bytes of the settings block
inline constexpr int kHeaderBytes = 54;    // file header and information header

// The one setting: the printf-like pattern of the frame number, NUL-terminated
// within its 256 bytes. "_%d" when the library is loaded.
extern char name_pattern[kConfigSize];

// The output path taken apart: the number goes between base and ext.
struct output_names {
    char dir[kNameMax + 1];   // everything up to and including the last '\' or '/'
    char base[kNameMax + 1];  // the file name without its extension
    char ext[kNameMax + 1];   // from the last '.' of the file name on, or empty
};

// Splits path; false when it is null or longer than kNameMax characters.
bool split_output_path(const char *path, output_names *out);

// Writes the file name of one frame into dst (kNameMax + 1 bytes): dir, base,
// the number text and ext. Returns its length, or -1 when the pattern is
// invalid or the name would not fit.
int frame_file_name(char *dst, const output_names &names, const char *pattern, int frame);

// The 14-byte file header and the 40-byte information header of a 24-bit,
// bottom-up, uncompressed BMP holding frame_bytes bytes of pixels.
void bmp_headers(uint8_t dst[kHeaderBytes], int w, int h, int frame_bytes);

// The settings dialog, or its equivalent where there is none. Always TRUE.
BOOL QP_CDECL config(HWND parent, HINSTANCE instance);

#if !defined(_WIN32)
// The terminal equivalent of the dialog: shows the pattern on out, reads one
// line from in and stores it as the pattern. An empty line, end of input or a
// line longer than 255 bytes leaves the pattern as it was. True when stored.
bool edit_pattern_line(int in, int out);
#endif

}  // namespace stillseq
