// qhost panel mode: screenshots as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qhost {

// An RGB picture, rows from the top, one 0x00BBGGRR value (COLORREF) per pixel.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// Writes shot as an 8-bit RGB PNG file. False when the file cannot be written.
bool write_png(const std::string &path, const Screenshot &shot);

}  // namespace qhost
