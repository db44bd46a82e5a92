// out_file on POSIX systems.

#include "out_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace stillseq {

bool out_file::create(const char *path) {
    fd_ = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0;
}

size_t out_file::write(const void *data, size_t n) {
    const char *p = static_cast<const char *>(data);
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::write(fd_, p + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += size_t(r);
    }
    return done;
}

bool out_file::close() {
    if (fd_ < 0) return false;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

}  // namespace stillseq
