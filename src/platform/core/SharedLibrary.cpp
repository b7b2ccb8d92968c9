#include "platform/core/SharedLibrary.h"

#include <dlfcn.h>

namespace torvane::platform {

std::shared_ptr<SharedLibrary> SharedLibrary::open(const std::string& soname, std::string& whyNot,
                                                   Unloading unloading) {
    const int keep = unloading == Unloading::KeepMapped ? RTLD_NODELETE : 0;
    // Bound lazily: binding every symbol of the library and of all it pulls in (the mixer's
    // FluidSynth and GLib) costs milliseconds for functions we never call.
    void* handle = ::dlopen(soname.c_str(), RTLD_LAZY | RTLD_LOCAL | keep);
    if (!handle) {
        const char* error = ::dlerror();
        whyNot = error ? error : soname + " cannot be opened";
        return nullptr;
    }
    return std::shared_ptr<SharedLibrary>(new SharedLibrary(handle, soname));
}

SharedLibrary::~SharedLibrary() {
    ::dlclose(m_handle);
}

void* SharedLibrary::address(const char* name) const {
    return ::dlsym(m_handle, name);
}

} // namespace torvane::platform
