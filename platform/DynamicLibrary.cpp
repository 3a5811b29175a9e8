#include "DynamicLibrary.h"

#include <dlfcn.h>
#include <utility>

namespace platform {

DynamicLibrary::~DynamicLibrary() { Close(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_))
{
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Load(const std::filesystem::path& path)
{
    Close();
    error_.clear();
    // A bare name would be searched on the library path; the caller always means a file.
    std::filesystem::path target = path;
    if (!target.has_parent_path())
        target = std::filesystem::path(".") / target;
    handle_ = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        error_ = why ? why : "cannot load " + path.string();
        return false;
    }
    return true;
}

void DynamicLibrary::Close()
{
    if (handle_) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

void* DynamicLibrary::Symbol(const char* name)
{
    if (!handle_ || !name) {
        error_ = "library not loaded";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(handle_, name);
    if (!address) {
        const char* why = ::dlerror();
        error_ = why ? why : std::string("no symbol ") + name;
    }
    return address;
}

void* ModuleHandleOf(const void* address)
{
    Dl_info info{};
    if (!address || ::dladdr(address, &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

std::filesystem::path ModulePathOf(const void* address)
{
    Dl_info info{};
    if (!address || ::dladdr(address, &info) == 0 || !info.dli_fname)
        return {};
    std::error_code ec;
    std::filesystem::path path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::filesystem::path(info.dli_fname) : path;
}

}  // namespace platform
