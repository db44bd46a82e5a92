// qhost panel mode: PNG files. Linux builds write them with libpng; the
// Windows builds, which have no libpng, write the same format with stored
// (uncompressed) deflate blocks, which every PNG reader takes.

#include "host/panel/png.h"

#include <cstdio>
#include <memory>

#if defined(QHOST_LIBPNG)
#include <png.h>
#endif

namespace qhost {

namespace {

struct FileCloser {
    void operator()(FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

std::vector<unsigned char> rgb_row(const Screenshot &shot, int y) {
    std::vector<unsigned char> row(size_t(shot.width) * 3);
    for (int x = 0; x < shot.width; ++x) {
        const uint32_t c = shot.pixels[size_t(y) * shot.width + x];
        row[3 * size_t(x)] = c & 0xFF;
        row[3 * size_t(x) + 1] = (c >> 8) & 0xFF;
        row[3 * size_t(x) + 2] = (c >> 16) & 0xFF;
    }
    return row;
}

#if defined(QHOST_LIBPNG)

bool write_file(FILE *f, const Screenshot &shot) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(shot.width), png_uint_32(shot.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < shot.height; ++y) {
        std::vector<unsigned char> row = rgb_row(shot, y);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

#else

uint32_t crc32(const unsigned char *p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void put32(std::vector<unsigned char> &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}

void chunk(std::vector<unsigned char> &out, const char *type, const std::vector<unsigned char> &data) {
    put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(&out[start], out.size() - start));
}

bool write_file(FILE *f, const Screenshot &shot) {
    // Filter byte 0 before every row, then the zlib stream of stored blocks.
    std::vector<unsigned char> raw;
    for (int y = 0; y < shot.height; ++y) {
        raw.push_back(0);
        const std::vector<unsigned char> row = rgb_row(shot, y);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    for (size_t at = 0;;) {
        const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(n & 0xFF), z.push_back(n >> 8 & 0xFF);
        z.push_back(~n & 0xFF), z.push_back(~n >> 8 & 0xFF);
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        at += n;
        if (last) break;
    }
    put32(z, b << 16 | a);

    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> ihdr;
    put32(ihdr, uint32_t(shot.width));
    put32(ihdr, uint32_t(shot.height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return std::fwrite(out.data(), 1, out.size(), f) == out.size();
}

#endif

}  // namespace

bool write_png(const std::string &path, const Screenshot &shot) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) return false;
    const bool ok = write_file(f.get(), shot);
    return std::fclose(f.release()) == 0 && ok;
}

}  // namespace qhost
