// The readers of each file format, for open_source (media.cpp).
#pragma once

#include <memory>
#include <string>

#include "host/media.h"

namespace qhost {

// y4m from a file, or from stdin for "-"; a pipe is copied to a temporary
// file first when the frame count is needed.
std::unique_ptr<Source> open_y4m_source(const std::string &path, bool need_count);

// A 24-bit BMP file, or with sequence a numbered sequence whose names are
// path formatted with the frame number.
std::unique_ptr<Source> open_bmp_source(const std::string &path, bool sequence, Rate rate);

// True when the path holds one %d conversion (with an optional 0 flag and
// width) and no other conversion but %%.
bool is_sequence_pattern(const std::string &path);

}  // namespace qhost
