// The file that one frame is written to: CreateFileA / WriteFile / CloseHandle
// on Windows, open / write / close elsewhere.
#pragma once

#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace stillseq {

class out_file {
  public:
    out_file() = default;
    out_file(const out_file &) = delete;
    out_file &operator=(const out_file &) = delete;
    ~out_file() { close(); }

    // Creates path for writing, replacing a file of that name. False on failure.
    bool create(const char *path);
    // Writes n bytes; returns how many were written (n unless an error stopped it).
    size_t write(const void *data, size_t n);
    // Closes the file; false when it was not open or closing reported an error.
    bool close();

  private:
#if defined(_WIN32)
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
};

}  // namespace stillseq
