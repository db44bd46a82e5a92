// Loading plug-in libraries: LoadLibraryA on Windows, dlopen elsewhere.
#pragma once

#include <string>

#include "sdk/filter.h"
#include "sdk/output.h"

namespace qhost {

class Module {
  public:
    Module() = default;
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;
    Module(Module &&other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Module &operator=(Module &&other) noexcept;
    ~Module();

    // Loads the library at path; on failure returns false and sets error().
    bool open(const std::string &path);
    bool loaded() const { return handle_ != nullptr; }
    void *symbol(const char *name) const;
    // The module handle that the host stores as FILTER instance_handle.
    HINSTANCE instance() const { return static_cast<HINSTANCE>(handle_); }
    const std::string &error() const { return error_; }

    // The library's table, or null when it exports no such entry point.
    FILTER_DLL *filter_table() const;
    OUTPUT_DLL *output_table() const;

  private:
    void close();

    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace qhost
