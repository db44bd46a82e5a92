// 24-bit BMP files and numbered sequences of them.
#include "host/formats.h"

#include <climits>
#include <cstdio>

#include "host/color.h"
#include "host/error.h"
#include "host/files.h"

namespace qhost {

namespace {

uint32_t le32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

// The whole file into data, reusing its memory.
void read_file(const std::string &path, std::vector<uint8_t> &data) {
    InFile in(path);
    data.clear();
    if (in.size() >= 0) {
        data.resize(size_t(in.size()));
        if (in.read(data.data(), data.size()) != data.size()) fail(kBadInput, path, "changed while being read");
    } else {
        uint8_t buf[65536];
        for (size_t n; (n = in.read(buf, sizeof buf)) > 0;) data.insert(data.end(), buf, buf + n);
    }
}

class BmpSource : public Source {
  public:
    // A single file, or a printf pattern with one %d for a numbered sequence.
    BmpSource(const std::string &path, bool sequence, Rate rate) : pattern_(path), sequence_(sequence) {
        name_ = path;
        rate_ = rate;
        if (sequence_) {
            first_ = -1;
            for (int i = 0; i <= 4 && first_ < 0; ++i)
                if (file_exists(file(i))) first_ = i;
            if (first_ < 0) fail(kBadInput, path, "no file of the sequence exists (looked for numbers 0 to 4)");
            count_ = 0;
            while (count_ < INT_MAX - first_ && file_exists(file(first_ + count_))) ++count_;
        }
        read_file(file(first_), data_);
        const BmpLayout b = parse_bmp(file(first_), data_);
        w_ = b.w;
        h_ = b.h;
        chroma_ = Chroma::k444;
    }

    int count() const override { return count_; }

    bool read(int i, PIXEL_YC *dst, int pitch) override {
        if (i < 0 || i >= count_) return false;
        const std::string name = file(first_ + i);
        read_file(name, data_);
        const BmpLayout b = parse_bmp(name, data_);
        if (b.w != w_ || b.h != h_)
            fail(kBadInput, name, "picture is " + std::to_string(b.w) + "x" + std::to_string(b.h) +
                                      ", the sequence's first is " + std::to_string(w_) + "x" + std::to_string(h_));
        convert_bmp(b, data_, dst, pitch);
        return true;
    }

  private:
    std::string file(int i) const {
        if (!sequence_) return pattern_;
        char buf[4096];
        std::snprintf(buf, sizeof buf, pattern_.c_str(), i);
        return buf;
    }

    std::string pattern_;
    bool sequence_;
    int first_ = 0, count_ = 1;
    std::vector<uint8_t> data_;  // the current file, reused
};

}  // namespace

// True when the path holds one %d conversion (with an optional 0 flag and
// width) and no other conversion but %%.
bool is_sequence_pattern(const std::string &p) {
    int conversions = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] != '%') continue;
        if (i + 1 < p.size() && p[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < p.size() && j - i <= 3 && p[j] >= '0' && p[j] <= '9') ++j;
        if (j >= p.size() || p[j] != 'd') return false;
        ++conversions;
        i = j;
    }
    return conversions == 1;
}

BmpLayout parse_bmp(const std::string &name, const std::vector<uint8_t> &f) {
    if (f.size() < 2 || f[0] != 'B' || f[1] != 'M') fail(kBadInput, name, "is not a BMP file (no BM signature)");
    if (f.size() < 14 + 40) fail(kBadInput, name, "BMP header is truncated");
    const uint32_t offset = le32(&f[10]), dib = le32(&f[14]);
    if (dib < 40 || dib > 1024) fail(kBadInput, name, "BMP information header of " + std::to_string(dib) + " bytes is not supported");
    const int32_t w = int32_t(le32(&f[18])), h = int32_t(le32(&f[22]));
    const int bpp = le16(&f[28]);
    const uint32_t compression = le32(&f[30]);
    if (le16(&f[26]) != 1) fail(kBadInput, name, "BMP has more than one plane");
    if (bpp != 24) fail(kBadInput, name, "BMP has " + std::to_string(bpp) + " bits per pixel; only 24 are supported");
    if (compression != 0) fail(kBadInput, name, "BMP is compressed; only uncompressed files are supported");
    if (h == INT32_MIN) fail(kBadInput, name, "BMP height is out of range");
    const int64_t aw = w, ah = h < 0 ? -int64_t(h) : h;
    check_size(name, aw, ah);
    const size_t row = (size_t(aw) * 3 + 3) & ~size_t(3);
    // The last row may come without its padding.
    if (offset < 14 + dib || offset > f.size() || f.size() - offset < row * size_t(ah - 1) + size_t(aw) * 3)
        fail(kBadInput, name, "BMP pixel data is truncated or misplaced");
    return {int(aw), int(ah), h > 0, offset, row};
}

void convert_bmp(const BmpLayout &b, const std::vector<uint8_t> &f, PIXEL_YC *dst, int pitch) {
    for (int y = 0; y < b.h; ++y) {
        const int file_row = b.bottom_up ? b.h - 1 - y : y;
        bgr_to_yc(dst + ptrdiff_t(y) * pitch, &f[b.offset + size_t(file_row) * b.row], b.w);
    }
}

Picture decode_bmp(const std::string &name, const std::vector<uint8_t> &f) {
    const BmpLayout b = parse_bmp(name, f);
    Picture p;
    p.w = b.w;
    p.h = b.h;
    p.px.resize(size_t(b.w) * size_t(b.h));
    convert_bmp(b, f, p.px.data(), b.w);
    return p;
}

std::unique_ptr<Source> open_bmp_source(const std::string &path, bool sequence, Rate rate) {
    return std::make_unique<BmpSource>(path, sequence, rate);
}

}  // namespace qhost
