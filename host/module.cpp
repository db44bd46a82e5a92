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
    handle_ = reinterpret_cast<void *>(LoadLibraryA(path.c_str()));
    if (!handle_) error_ = "cannot load library (error " + std::to_string(GetLastError()) + ")";
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
