#include "logging/LoadedModules.h"

#include "platform/DynamicLibrary.h"
#include "platform/TextConv.h"

#include <algorithm>
#include <link.h>
#include <limits.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace orvlog {
namespace {

constexpr std::size_t kMaxModules = 512;
constexpr std::size_t kMaxNameChars = 259;

struct Module {
    void* handle;
    std::string path;
};

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    return text;
}

std::string ExecutablePathUtf8()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

int Collect(struct dl_phdr_info* info, size_t, void* data)
{
    auto& modules = *static_cast<std::vector<Module>*>(data);
    if (modules.size() >= kMaxModules)
        return 1;
    const void* firstLoad = nullptr;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            firstLoad = reinterpret_cast<const void*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
            break;
        }
    }
    void* handle = firstLoad ? platform::ModuleHandleOf(firstLoad) : nullptr;
    std::string path = info->dlpi_name ? info->dlpi_name : "";
    if (path.empty() && modules.empty())
        path = ExecutablePathUtf8();
    if (handle && !path.empty())
        modules.push_back({handle, path});
    return 0;
}

}  // namespace

void* FindLoadedModule(std::wstring_view name)
{
    if (name.empty() || name.size() > kMaxNameChars)
        return nullptr;
    const std::string wanted = Upper(platform::WideToUtf8(name));
    std::vector<Module> modules;
    ::dl_iterate_phdr(&Collect, &modules);
    for (const Module& module : modules) {
        if (module.path.size() > kMaxNameChars * 4)
            continue;
        if (Upper(module.path).find(wanted) != std::string::npos)
            return module.handle;
    }
    return nullptr;
}

}  // namespace orvlog
