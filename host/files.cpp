#include "files.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "host/error.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace qhost {

namespace {

// Larger pictures are refused as a size overflow rather than tried.
constexpr int kMaxSide = 16384;
constexpr int64_t kMaxArea = 8192LL * 4608;

#if defined(_WIN32)
void binary_mode(FILE *f) { _setmode(_fileno(f), _O_BINARY); }
#else
void binary_mode(FILE *) {}
#endif

}  // namespace

void check_size(const std::string &name, int64_t w, int64_t h) {
    if (w <= 0 || h <= 0) fail(kBadInput, name, "picture size " + std::to_string(w) + "x" + std::to_string(h) + " is empty");
    if (w > kMaxSide || h > kMaxSide || w * h > kMaxArea)
        fail(kBadInput, name, "picture size " + std::to_string(w) + "x" + std::to_string(h) + " is too large");
}

std::string os_error() { return std::strerror(errno); }

#if defined(_WIN32)
int64_t tell64(FILE *f) { return _ftelli64(f); }
int seek64(FILE *f, int64_t pos, int whence) { return _fseeki64(f, pos, whence); }
#else
int64_t tell64(FILE *f) { return ftello(f); }
int seek64(FILE *f, int64_t pos, int whence) { return fseeko(f, off_t(pos), whence); }
#endif

bool file_exists(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IFDIR);
}

// ---------------------------------------------------------------------------

InFile::InFile(const std::string &path) : name_(path == "-" ? "<stdin>" : path) {
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

InFile::~InFile() {
    if (f_ && f_ != stdin) std::fclose(f_);
}

void InFile::spool() {
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

size_t InFile::read(void *p, size_t n) {
    const size_t got = std::fread(p, 1, n, f_);
    if (got < n && std::ferror(f_)) fail(kBadInput, name_, "read error: " + os_error());
    return got;
}

bool InFile::line(std::string &out, size_t max, const char *what) {
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

// ---------------------------------------------------------------------------

OutFile::OutFile(const std::string &path) : name_(path == "-" ? "<stdout>" : path) {
    if (path == "-") {
        f_ = stdout;
        binary_mode(f_);
    } else {
        f_ = std::fopen(path.c_str(), "wb");
        if (!f_) fail(kBadInput, path, "cannot create: " + os_error());
    }
}

OutFile::~OutFile() {
    if (f_ && f_ != stdout) std::fclose(f_);  // after an error elsewhere; that error is the one to report
}

bool OutFile::write(const void *p, size_t n) {
    if (std::fwrite(p, 1, n, f_) == n) return true;
    if (f_ == stdout) return false;
    fail(kFailed, name_, "write failed: " + os_error());
}

bool OutFile::close() {
    if (!f_) return true;
    FILE *f = f_;
    f_ = nullptr;
    const bool ok = f == stdout ? std::fflush(f) == 0 : std::fclose(f) == 0;
    if (!ok && f != stdout) fail(kFailed, name_, "write failed: " + os_error());
    return ok;
}

}  // namespace qhost
