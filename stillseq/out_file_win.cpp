// out_file on Windows.

#include "out_file.h"

namespace stillseq {

bool out_file::create(const char *path) {
    handle_ = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

size_t out_file::write(const void *data, size_t n) {
    const char *p = static_cast<const char *>(data);
    size_t done = 0;
    while (done < n) {
        const DWORD chunk = n - done > 0x40000000 ? 0x40000000 : DWORD(n - done);
        DWORD written = 0;
        if (!WriteFile(handle_, p + done, chunk, &written, nullptr) || written == 0) break;
        done += written;
    }
    return done;
}

bool out_file::close() {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    const bool ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
}

}  // namespace stillseq
