#include "module.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qhost {

Module &Module::operator=(Module &&other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Module::~Module() { close(); }

void Module::close() {
    if (!handle_) return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

bool Module::open(const std::string &path) {
    close();
#if defined(_WIN32)
    // A bare name would be looked for beside the program first; a plug-in is
    // always named by its file.
    const std::string file = path.find_first_of("/\\:") == std::string::npos ? ".\\" + path : path;
    handle_ = reinterpret_cast<void *>(LoadLibraryA(file.c_str()));
    if (!handle_) {
        const DWORD code = GetLastError();
        char text[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                       sizeof text, nullptr);
        error_ = text;
        while (!error_.empty() && (error_.back() == '\n' || error_.back() == '\r' || error_.back() == '.'))
            error_.pop_back();
        error_ += " (error " + std::to_string(code) + ")";
    }
#else
    // A name without a slash would be looked up on the library path; a plug-in
    // is always named by its file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) error_ = dlerror();
#endif
    return handle_ != nullptr;
}

void *Module::symbol(const char *name) const {
    if (!handle_) return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

FILTER_DLL *Module::filter_table() const {
    auto get = reinterpret_cast<GET_FILTER_TABLE_FUNC>(symbol("GetFilterTable"));
    return get ? get() : nullptr;
}

OUTPUT_DLL *Module::output_table() const {
    auto get = reinterpret_cast<GET_OUTPUT_PLUGIN_TABLE_FUNC>(symbol("GetOutputPluginTable"));
    return get ? get() : nullptr;
}

}  // namespace qhost
