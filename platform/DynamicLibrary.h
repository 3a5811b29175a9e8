// A shared library loaded at run time (Camera Link serial libraries, the Python runtime).
#pragma once

#include <filesystem>
#include <string>

namespace platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    /// Loads the library (closing one loaded before). False with Error() set on failure.
    bool Load(const std::filesystem::path& path);
    void Close();
    bool IsLoaded() const { return handle_ != nullptr; }

    /// Address of an exported symbol, or null (Error() then says why).
    void* Symbol(const char* name);

    template <typename Fn>
    Fn Function(const char* name) { return reinterpret_cast<Fn>(Symbol(name)); }

    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

/// Load base of the module (executable or shared library) that contains `address`:
/// the stand-in for a module handle. Null when no module contains it.
void* ModuleHandleOf(const void* address);
/// Full path of the module that contains `address`, or empty.
std::filesystem::path ModulePathOf(const void* address);

}  // namespace platform
