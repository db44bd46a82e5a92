// Raw frames, the built-in sample and CRC lines; which reader an input needs.
#include "media.h"

#include <climits>
#include <cstring>

#include "host/error.h"
#include "host/files.h"
#include "host/formats.h"
#include "host/sample.h"

namespace qhost {

namespace {

// ---------------------------------------------------------------------------
// Raw PIXEL_YC frames

class RawSource : public Source {
  public:
    RawSource(const std::string &path, int w, int h, Rate rate) : in_(path) {
        name_ = in_.name();
        check_size(name_, w, h);
        w_ = w;
        h_ = h;
        rate_ = rate;
        frame_bytes_ = size_t(w) * size_t(h) * sizeof(PIXEL_YC);
        if (in_.seekable()) {
            if (in_.size() % int64_t(frame_bytes_))
                fail(kBadInput, name_, "size " + std::to_string(in_.size()) + " bytes is not a whole number of " +
                                           std::to_string(w) + "x" + std::to_string(h) + " frames (" +
                                           std::to_string(frame_bytes_) + " bytes each)");
            const int64_t n = in_.size() / int64_t(frame_bytes_);
            if (n > INT_MAX) fail(kBadInput, name_, "has too many frames");
            count_ = int(n);
        }
    }

    int count() const override { return count_; }
    bool random_access() const override { return in_.seekable(); }

    bool read(int i, PIXEL_YC *dst, int pitch) override {
        if (in_.seekable()) {
            if (i < 0 || i >= count_) return false;
            seek64(in_.get(), int64_t(i) * int64_t(frame_bytes_), SEEK_SET);
        } else if (i != next_) {
            fail(kFailed, name_, "frames of a pipe can only be read in order");
        }
        for (int y = 0; y < h_; ++y) {
            const size_t want = size_t(w_) * sizeof(PIXEL_YC);
            const size_t got = in_.read(dst + ptrdiff_t(y) * pitch, want);
            if (got == 0 && y == 0 && !in_.seekable()) return false;
            if (got != want) fail(kBadInput, name_, "frame " + std::to_string(i) + " is truncated");
        }
        next_ = i + 1;
        return true;
    }

  private:
    InFile in_;
    size_t frame_bytes_;
    int count_ = -1, next_ = 0;
};

// ---------------------------------------------------------------------------
// The built-in sample

class SampleSource : public Source {
  public:
    SampleSource(int w, int h, int frames, Rate rate) : count_(frames) {
        name_ = "<sample>";
        check_size(name_, w, h);
        w_ = w;
        h_ = h;
        rate_ = rate;
        chroma_ = Chroma::k420;
    }
    int count() const override { return count_; }
    bool read(int i, PIXEL_YC *dst, int pitch) override {
        if (i < 0 || i >= count_) return false;
        render_sample(dst, pitch, w_, h_, i);
        return true;
    }

  private:
    int count_;
};

// ---------------------------------------------------------------------------
// Sinks

class RawSink : public Sink {
  public:
    explicit RawSink(const SinkOptions &opt) : out_(opt.path) {}
    bool write(int, const PIXEL_YC *src, int w, int h, int pitch) override {
        for (int y = 0; y < h; ++y)
            if (!out_.write(src + ptrdiff_t(y) * pitch, size_t(w) * sizeof(PIXEL_YC))) return false;
        return true;
    }
    bool finish() override { return out_.close(); }

  private:
    OutFile out_;
};

class CrcSink : public Sink {
  public:
    bool write(int i, const PIXEL_YC *src, int w, int h, int pitch) override {
        uint32_t crc = 0;
        for (int y = 0; y < h; ++y) crc = crc32(crc, src + ptrdiff_t(y) * pitch, size_t(w) * sizeof(PIXEL_YC));
        return std::printf("frame %d %dx%d %08x\n", i, w, h, unsigned(crc)) > 0;
    }
    bool finish() override { return std::fflush(stdout) == 0; }
};

}  // namespace

std::unique_ptr<Source> open_source(const SourceOptions &opt) {
    if (opt.path.empty()) {
        if (opt.sample_frames < 1) fail(kBadInput, "<sample>", "needs at least one frame");
        return std::make_unique<SampleSource>(opt.sample_w, opt.sample_h, opt.sample_frames, opt.rate);
    }
    if (opt.raw_w || opt.raw_h) return std::make_unique<RawSource>(opt.path, opt.raw_w, opt.raw_h, opt.rate);
    if (opt.path == "-") return open_y4m_source(opt.path, opt.need_count);
    if (opt.path.find('%') != std::string::npos) {
        if (!is_sequence_pattern(opt.path))
            fail(kBadInput, opt.path, "a numbered sequence needs exactly one %d (like clip_%04d.bmp)");
        return open_bmp_source(opt.path, true, opt.rate);
    }
    // Known by its first bytes.
    char head[9] = {};
    {
        InFile in(opt.path);
        if (in.read(head, sizeof head) == 0) fail(kBadInput, opt.path, "is empty");
    }
    if (std::memcmp(head, "YUV4MPEG2", 9) == 0) return open_y4m_source(opt.path, opt.need_count);
    if (head[0] == 'B' && head[1] == 'M') return open_bmp_source(opt.path, false, opt.rate);
    fail(kBadInput, opt.path, "is neither y4m nor BMP (for raw PIXEL_YC frames give --raw WxH)");
}

std::unique_ptr<Sink> open_raw_sink(const SinkOptions &opt) { return std::make_unique<RawSink>(opt); }
std::unique_ptr<Sink> open_crc_sink() { return std::make_unique<CrcSink>(); }

uint32_t crc32(uint32_t crc, const void *data, size_t n) {
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
            t[i] = c;
        }
        return t;
    }();
    const auto *p = static_cast<const unsigned char *>(data);
    crc = ~crc;
    while (n--) crc = table[(crc ^ *p++) & 0xff] ^ (crc >> 8);
    return ~crc;
}

}  // namespace qhost
