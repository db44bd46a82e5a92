#include "media.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>

#include "host/color.h"
#include "host/error.h"
#include "host/sample.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace qhost {

namespace {

// Larger pictures are refused as a size overflow rather than tried.
constexpr int kMaxSide = 16384;
constexpr int64_t kMaxArea = 8192LL * 4608;

void check_size(const std::string &name, int64_t w, int64_t h) {
    if (w <= 0 || h <= 0) fail(kBadInput, name, "picture size " + std::to_string(w) + "x" + std::to_string(h) + " is empty");
    if (w > kMaxSide || h > kMaxSide || w * h > kMaxArea)
        fail(kBadInput, name, "picture size " + std::to_string(w) + "x" + std::to_string(h) + " is too large");
}

std::string os_error() { return std::strerror(errno); }

#if defined(_WIN32)
int64_t tell64(FILE *f) { return _ftelli64(f); }
int seek64(FILE *f, int64_t pos, int whence) { return _fseeki64(f, pos, whence); }
void binary_mode(FILE *f) { _setmode(_fileno(f), _O_BINARY); }
#else
int64_t tell64(FILE *f) { return ftello(f); }
int seek64(FILE *f, int64_t pos, int whence) { return fseeko(f, off_t(pos), whence); }
void binary_mode(FILE *) {}
#endif

bool file_exists(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IFDIR);
}

// An input file; stdin for "-".
class InFile {
  public:
    InFile(const std::string &path) : name_(path == "-" ? "<stdin>" : path) {
        if (path == "-") {
            f_ = stdin;
            binary_mode(f_);
        } else {
            f_ = std::fopen(path.c_str(), "rb");
            if (!f_) fail(kBadInput, path, "cannot open: " + os_error());
            seekable_ = seek64(f_, 0, SEEK_END) == 0;
            if (seekable_) size_ = tell64(f_), seek64(f_, 0, SEEK_SET);
        }
    }
    ~InFile() {
        if (f_ && f_ != stdin) std::fclose(f_);
    }
    InFile(const InFile &) = delete;
    InFile &operator=(const InFile &) = delete;

    const std::string &name() const { return name_; }
    FILE *get() const { return f_; }
    bool seekable() const { return seekable_; }
    int64_t size() const { return size_; }

    // Replaces a pipe by a temporary file holding the rest of it.
    void spool() {
        FILE *tmp = std::tmpfile();
        if (!tmp) fail(kFailed, name_, "cannot make a temporary file: " + os_error());
        std::vector<char> buf(1 << 20);
        for (size_t n; (n = std::fread(buf.data(), 1, buf.size(), f_)) > 0;)
            if (std::fwrite(buf.data(), 1, n, tmp) != n) fail(kFailed, name_, "cannot spool: " + os_error());
        if (std::ferror(f_)) fail(kBadInput, name_, "read error: " + os_error());
        if (f_ != stdin) std::fclose(f_);
        f_ = tmp;
        seekable_ = true;
        size_ = tell64(f_);
        seek64(f_, 0, SEEK_SET);
    }

    size_t read(void *p, size_t n) {
        const size_t got = std::fread(p, 1, n, f_);
        if (got < n && std::ferror(f_)) fail(kBadInput, name_, "read error: " + os_error());
        return got;
    }

    // One line up to '\n' (not included), at most max bytes. Returns false at
    // a clean end of file before the first byte.
    bool line(std::string &out, size_t max, const char *what) {
        out.clear();
        for (;;) {
            const int c = std::getc(f_);
            if (c == EOF) {
                if (std::ferror(f_)) fail(kBadInput, name_, "read error: " + os_error());
                if (out.empty()) return false;
                fail(kBadInput, name_, std::string(what) + " ends without a newline");
            }
            if (c == '\n') return true;
            if (out.size() == max) fail(kBadInput, name_, std::string(what) + " is longer than " + std::to_string(max) + " bytes");
            out += char(c);
        }
    }

  private:
    std::string name_;
    FILE *f_ = nullptr;
    bool seekable_ = false;
    int64_t size_ = -1;
};

bool parse_uint(const std::string &s, int64_t &v) {
    if (s.empty() || s.size() > 12) return false;
    v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return true;
}

// ---------------------------------------------------------------------------
// y4m

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

// ---------------------------------------------------------------------------
// BMP

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

// ---------------------------------------------------------------------------
// Raw PIXEL_YC

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

}  // namespace

// ---------------------------------------------------------------------------

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

std::unique_ptr<Source> open_source(const SourceOptions &opt) {
    if (opt.path.empty()) {
        if (opt.sample_frames < 1) fail(kBadInput, "<sample>", "needs at least one frame");
        return std::make_unique<SampleSource>(opt.sample_w, opt.sample_h, opt.sample_frames, opt.rate);
    }
    if (opt.raw_w || opt.raw_h) return std::make_unique<RawSource>(opt.path, opt.raw_w, opt.raw_h, opt.rate);
    if (opt.path == "-") return std::make_unique<Y4mSource>(opt.path, opt.need_count);
    if (opt.path.find('%') != std::string::npos) {
        if (!is_sequence_pattern(opt.path))
            fail(kBadInput, opt.path, "a numbered sequence needs exactly one %d (like clip_%04d.bmp)");
        return std::make_unique<BmpSource>(opt.path, true, opt.rate);
    }
    // Known by its first bytes.
    char head[9] = {};
    {
        InFile in(opt.path);
        if (in.read(head, sizeof head) == 0) fail(kBadInput, opt.path, "is empty");
    }
    if (std::memcmp(head, "YUV4MPEG2", 9) == 0) return std::make_unique<Y4mSource>(opt.path, opt.need_count);
    if (head[0] == 'B' && head[1] == 'M') return std::make_unique<BmpSource>(opt.path, false, opt.rate);
    fail(kBadInput, opt.path, "is neither y4m nor BMP (for raw PIXEL_YC frames give --raw WxH)");
}

// ---------------------------------------------------------------------------
// Sinks

namespace {

// An output file, stdout for "-". A failed write to stdout is a reader that
// went away; a failed write to a file is an error.
class OutFile {
  public:
    explicit OutFile(const std::string &path) : name_(path == "-" ? "<stdout>" : path) {
        if (path == "-") {
            f_ = stdout;
            binary_mode(f_);
        } else {
            f_ = std::fopen(path.c_str(), "wb");
            if (!f_) fail(kBadInput, path, "cannot create: " + os_error());
        }
    }
    ~OutFile() {
        if (f_ && f_ != stdout) std::fclose(f_);  // after an error elsewhere; that error is the one to report
    }
    OutFile(const OutFile &) = delete;
    OutFile &operator=(const OutFile &) = delete;

    bool write(const void *p, size_t n) {
        if (std::fwrite(p, 1, n, f_) == n) return true;
        if (f_ == stdout) return false;
        fail(kFailed, name_, "write failed: " + os_error());
    }
    bool close() {
        if (!f_) return true;
        FILE *f = f_;
        f_ = nullptr;
        const bool ok = f == stdout ? std::fflush(f) == 0 : std::fclose(f) == 0;
        if (!ok && f != stdout) fail(kFailed, name_, "write failed: " + os_error());
        return ok;
    }

  private:
    std::string name_;
    FILE *f_ = nullptr;
};

class Y4mSink : public Sink {
  public:
    explicit Y4mSink(const SinkOptions &opt)
        : out_(opt.path), opt_(opt), scale_(std::make_unique<YuvScale>(opt.chroma == Chroma::k444p16 ? 16 : 8, opt.full_range)) {}

    bool write(int i, const PIXEL_YC *src, int w, int h, int pitch) override {
        if (w_ == 0) {
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
    int w_ = 0, h_ = 0;
};

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

std::unique_ptr<Sink> open_y4m_sink(const SinkOptions &opt) { return std::make_unique<Y4mSink>(opt); }
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
