#pragma once

// A shared library opened at run time (dlopen), for what a start does not need: the network and
// the alert's fonts are loaded at their first use, so that the dynamic loader has less
// to do before the first frame. Closed when the last holder goes.

#include <memory>
#include <string>

namespace torvane::platform {

class SharedLibrary {
  public:
    // Whether closing the last handle may unmap the library. Some keep what they allocate in their
    // own statics for the process's life (fontconfig its caches) with no safe way to free it while another
    // part of the process may still use them; unmapped, that memory would be lost rather than held.
    enum class Unloading { Unmap, KeepMapped };

    // Null, with dlerror's reason in `whyNot`, when `soname` cannot be opened.
    [[nodiscard]] static std::shared_ptr<SharedLibrary> open(const std::string& soname, std::string& whyNot,
                                                             Unloading unloading = Unloading::Unmap);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Sets `function` to the symbol `name`; false, naming it in `whyNot`, when it is missing.
    template <typename Function>
    bool find(const char* name, Function& function, std::string& whyNot) const {
        void* symbol = address(name);
        function = reinterpret_cast<Function>(symbol);
        if (!symbol)
            whyNot = m_soname + " has no " + name;
        return symbol != nullptr;
    }

  private:
    SharedLibrary(void* handle, std::string soname) : m_handle(handle), m_soname(std::move(soname)) {}
    [[nodiscard]] void* address(const char* name) const;

    void* m_handle;
    std::string m_soname;
};

} // namespace torvane::platform
