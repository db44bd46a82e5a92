// y4m streams: the header, the reader (indexing seekable files so that any
// frame can be read), and the writer.
#include "host/formats.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/color.h"
#include "host/error.h"
#include "host/files.h"

namespace qhost {

namespace {

// A decimal number of at most 12 digits, no sign.
bool parse_uint(const std::string &s, int64_t &v) {
    if (s.empty() || s.size() > 12) return false;
    v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return true;
}

// Layout of the planes of one frame.
int bytes_per_sample(Chroma c) { return c == Chroma::k444p16 ? 2 : 1; }
int hshift(Chroma c) { return c == Chroma::k420 || c == Chroma::k422 ? 1 : 0; }
int vshift(Chroma c) { return c == Chroma::k420 ? 1 : 0; }

struct Planes {
    size_t luma, chroma;  // bytes of one plane
    int cw, ch;           // chroma plane size in samples
    Planes(int w, int h, Chroma c) {
        const int bps = bytes_per_sample(c);
        luma = size_t(w) * size_t(h) * size_t(bps);
        cw = (w + (1 << hshift(c)) - 1) >> hshift(c);
        ch = (h + (1 << vshift(c)) - 1) >> vshift(c);
        chroma = c == Chroma::kMono ? 0 : size_t(cw) * size_t(ch) * size_t(bps);
    }
};

class Y4mSource : public Source {
  public:
    Y4mSource(const std::string &path, bool need_count) : in_(path) {
        name_ = in_.name();
        std::string line;
        if (!in_.line(line, 4096, "the stream header")) fail(kBadInput, name_, "is empty");
        hdr_ = parse_y4m_header(name_, line);
        w_ = hdr_.w;
        h_ = hdr_.h;
        rate_ = hdr_.rate;
        chroma_ = hdr_.chroma;
        full_range_ = hdr_.full_range;
        scale_ = std::make_unique<YuvScale>(chroma_ == Chroma::k444p16 ? 16 : 8, hdr_.full_range);
        buf_.resize(hdr_.frame_bytes());
        if (!in_.seekable() && need_count) {
            in_.spool();
            header_end_ = 0;
        } else {
            header_end_ = in_.seekable() ? tell64(in_.get()) : 0;
        }
        if (in_.seekable()) index();
    }

    int count() const override { return in_.seekable() ? int(frames_.size()) : -1; }
    bool random_access() const override { return in_.seekable(); }

    bool read(int i, PIXEL_YC *dst, int pitch) override {
        if (in_.seekable()) {
            if (i < 0 || size_t(i) >= frames_.size()) return false;
            if (seek64(in_.get(), frames_[size_t(i)], SEEK_SET) != 0) fail(kBadInput, name_, "cannot seek: " + os_error());
        } else {
            if (i != next_) fail(kFailed, name_, "frames of a pipe can only be read in order");
            std::string line;
            if (!in_.line(line, 1024, "a frame header")) return false;
            check_frame_header(line, i);
        }
        const size_t got = in_.read(buf_.data(), buf_.size());
        if (got != buf_.size())
            fail(kBadInput, name_, "frame " + std::to_string(i) + " is truncated (" + std::to_string(got) + " of " +
                                       std::to_string(buf_.size()) + " bytes)");
        next_ = i + 1;
        convert(dst, pitch);
        return true;
    }

  private:
    void check_frame_header(const std::string &line, int i) {
        if (line.compare(0, 5, "FRAME") != 0 || (line.size() > 5 && line[5] != ' '))
            fail(kBadInput, name_, "frame " + std::to_string(i) + " does not start with FRAME");
    }

    // Finds every frame's data without reading it.
    void index() {
        FILE *f = in_.get();
        seek64(f, header_end_, SEEK_SET);
        std::string line;
        for (int i = 0;; ++i) {
            if (!in_.line(line, 1024, "a frame header")) break;
            check_frame_header(line, i);
            const int64_t data = tell64(f);
            if (data + int64_t(buf_.size()) > in_.size())
                fail(kBadInput, name_, "frame " + std::to_string(i) + " is truncated (" +
                                           std::to_string(in_.size() - data) + " of " + std::to_string(buf_.size()) +
                                           " bytes)");
            if (i == INT_MAX - 1) fail(kBadInput, name_, "has too many frames");
            frames_.push_back(data);
            seek64(f, data + int64_t(buf_.size()), SEEK_SET);
        }
    }

    void convert(PIXEL_YC *dst, int pitch) {
        const Planes p(w_, h_, chroma_);
        const int bps = bytes_per_sample(chroma_);
        const uint8_t *y = buf_.data(), *u = y + p.luma, *v = u + p.chroma;
        const bool mono = chroma_ == Chroma::kMono;
        for (int r = 0; r < h_; ++r) {
            const size_t crow = size_t(r >> vshift(chroma_)) * size_t(p.cw) * size_t(bps);
            scale_->row_in(dst + ptrdiff_t(r) * pitch, y + size_t(r) * size_t(w_) * size_t(bps),
                           mono ? nullptr : u + crow, mono ? nullptr : v + crow, w_, hshift(chroma_));
        }
    }

    InFile in_;
    Y4mHeader hdr_;
    std::unique_ptr<YuvScale> scale_;
    std::vector<uint8_t> buf_;
    std::vector<int64_t> frames_;
    int64_t header_end_ = 0;
    int next_ = 0;
};

class Y4mSink : public Sink {
  public:
    explicit Y4mSink(const SinkOptions &opt)
        : out_(opt.path), opt_(opt), scale_(std::make_unique<YuvScale>(opt.chroma == Chroma::k444p16 ? 16 : 8, opt.full_range)) {}

    bool write(int i, const PIXEL_YC *src, int w, int h, int pitch) override {
        if (!started_) {
            started_ = true;
            w_ = w, h_ = h;
            std::string hdr = "YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " F" +
                              std::to_string(opt_.rate.num) + ":" + std::to_string(opt_.rate.den) + " Ip A1:1 C" +
                              chroma_tag(opt_.chroma) + (opt_.full_range ? " XCOLORRANGE=FULL" : "") + "\n";
            if (!out_.write(hdr.data(), hdr.size())) return false;
            buf_.resize(Y4mHeader{w, h, opt_.rate, opt_.chroma, opt_.full_range}.frame_bytes() + 6);
        } else if (w != w_ || h != h_) {
            fail(kFailed, "", "frame " + std::to_string(i) + " is " + std::to_string(w) + "x" + std::to_string(h) +
                                  " but a y4m stream keeps the first frame's size, " + std::to_string(w_) + "x" +
                                  std::to_string(h_));
        }
        std::memcpy(buf_.data(), "FRAME\n", 6);
        const Chroma c = opt_.chroma;
        const Planes p(w, h, c);
        const int bps = bytes_per_sample(c);
        uint8_t *y = buf_.data() + 6, *u = y + p.luma, *v = u + p.chroma;
        for (int r = 0; r < h; ++r) scale_->luma_row_out(y + size_t(r) * size_t(w) * size_t(bps), src + ptrdiff_t(r) * pitch, w);
        if (c != Chroma::kMono)
            for (int cr = 0; cr < p.ch; ++cr) {
                const PIXEL_YC *a = src + ptrdiff_t(cr << vshift(c)) * pitch;
                const PIXEL_YC *b = vshift(c) && (cr << 1) + 1 < h ? a + pitch : a;
                const size_t off = size_t(cr) * size_t(p.cw) * size_t(bps);
                scale_->chroma_row_out(u + off, v + off, a, b, w, hshift(c));
            }
        return out_.write(buf_.data(), buf_.size());
    }
    bool finish() override { return out_.close(); }

  private:
    OutFile out_;
    SinkOptions opt_;
    std::unique_ptr<YuvScale> scale_;
    std::vector<uint8_t> buf_;
    bool started_ = false;  // the stream header is written
    int w_ = 0, h_ = 0;
};

}  // namespace

const char *chroma_tag(Chroma c) {
    switch (c) {
    case Chroma::k420: return "420jpeg";
    case Chroma::k422: return "422";
    case Chroma::k444: return "444";
    case Chroma::kMono: return "mono";
    case Chroma::k444p16: return "444p16";
    }
    return "";
}

bool parse_chroma(const std::string &t, Chroma &c) {
    if (t == "420" || t == "420jpeg" || t == "420paldv" || t == "420mpeg2") c = Chroma::k420;
    else if (t == "422") c = Chroma::k422;
    else if (t == "444") c = Chroma::k444;
    else if (t == "mono") c = Chroma::kMono;
    else if (t == "444p16") c = Chroma::k444p16;
    else return false;
    return true;
}

size_t Y4mHeader::frame_bytes() const {
    const Planes p(w, h, chroma);
    return p.luma + 2 * p.chroma;
}

Y4mHeader parse_y4m_header(const std::string &name, const std::string &line) {
    static const char magic[] = "YUV4MPEG2";
    if (line.compare(0, sizeof magic - 1, magic) != 0 || (line.size() > 9 && line[9] != ' '))
        fail(kBadInput, name, "is not a y4m stream (no YUV4MPEG2 signature)");
    Y4mHeader h;
    int64_t w = -1, ht = -1;
    size_t pos = 9;
    while (pos < line.size()) {
        if (line[pos] == ' ') {
            ++pos;
            continue;
        }
        const size_t end = std::min(line.find(' ', pos), line.size());
        const std::string tok = line.substr(pos, end - pos), val = tok.substr(1);
        pos = end;
        int64_t a, b;
        switch (tok[0]) {
        case 'W':
        case 'H':
            if (!parse_uint(val, a)) fail(kBadInput, name, "bad " + std::string(1, tok[0]) + " tag \"" + tok + "\"");
            (tok[0] == 'W' ? w : ht) = a;
            break;
        case 'F': {
            const size_t colon = val.find(':');
            if (colon == std::string::npos || !parse_uint(val.substr(0, colon), a) ||
                !parse_uint(val.substr(colon + 1), b) || a <= 0 || b <= 0 || a > INT_MAX || b > INT_MAX)
                fail(kBadInput, name, "bad frame rate tag \"" + tok + "\"");
            h.rate = {int(a), int(b)};
            break;
        }
        case 'C':
            if (!parse_chroma(val, h.chroma))
                fail(kBadInput, name, "colour space \"" + val + "\" is not supported (420, 422, 444, mono, 444p16)");
            break;
        case 'X':
            if (val == "COLORRANGE=FULL") h.full_range = true;
            break;
        case 'I':
        case 'A':
            break;  // progressive or not, frames are frames; pixels are taken square
        default:
            fail(kBadInput, name, "unknown header tag \"" + tok + "\"");
        }
    }
    if (w < 0 || ht < 0) fail(kBadInput, name, "header has no picture size (W and H tags)");
    check_size(name, w, ht);
    h.w = int(w);
    h.h = int(ht);
    return h;
}

std::unique_ptr<Source> open_y4m_source(const std::string &path, bool need_count) {
    return std::make_unique<Y4mSource>(path, need_count);
}

std::unique_ptr<Sink> open_y4m_sink(const SinkOptions &opt) { return std::make_unique<Y4mSink>(opt); }

}  // namespace qhost
