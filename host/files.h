// Files for the readers and writers of media.cpp, y4m.cpp and bmp.cpp:
// stdin and stdout for "-", 64-bit offsets, and errors that name the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qhost {

// Refuses pictures that are empty or too large to be taken seriously.
void check_size(const std::string &name, int64_t w, int64_t h);
std::string os_error();
int64_t tell64(FILE *f);
int seek64(FILE *f, int64_t pos, int whence);
bool file_exists(const std::string &path);

// An input file; stdin for "-".
class InFile {
  public:
    explicit InFile(const std::string &path);
    ~InFile();
    InFile(const InFile &) = delete;
    InFile &operator=(const InFile &) = delete;

    const std::string &name() const { return name_; }
    FILE *get() const { return f_; }
    bool seekable() const { return seekable_; }
    int64_t size() const { return size_; }

    // Replaces a pipe by a temporary file holding the rest of it.
    void spool();
    // Reads up to n bytes; fewer only at the end of the file.
    size_t read(void *p, size_t n);
    // One line up to '\n' (not included), at most max bytes. Returns false at
    // a clean end of file before the first byte.
    bool line(std::string &out, size_t max, const char *what);

  private:
    std::string name_;
    FILE *f_ = nullptr;
    bool seekable_ = false;
    int64_t size_ = -1;
};

// An output file, stdout for "-". A failed write to stdout is a reader that
// went away (write returns false); a failed write to a file is an error.
class OutFile {
  public:
    explicit OutFile(const std::string &path);
    ~OutFile();
    OutFile(const OutFile &) = delete;
    OutFile &operator=(const OutFile &) = delete;

    bool write(const void *p, size_t n);
    bool close();

  private:
    std::string name_;
    FILE *f_ = nullptr;
};

}  // namespace qhost
