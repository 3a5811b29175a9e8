#include "Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

std::filesystem::path HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

// An XDG variable counts only when it holds an absolute path.
std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return HomeFolder() / fallbackUnderHome;
}

}  // namespace

std::filesystem::path LocalAppDataPath() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

std::filesystem::path CommonAppDataPath() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }

std::filesystem::path RuntimePath()
{
    if (const char* value = std::getenv("XDG_RUNTIME_DIR"); value && value[0] == '/') {
        std::error_code ec;
        if (std::filesystem::is_directory(value, ec))
            return value;
    }
    return "/tmp";
}

std::filesystem::path CorvelDataPath()
{
    return LocalAppDataPath() / "Orvane" / "Corvel.ZorvatKelmir" / "";
}

std::filesystem::path GetAppDataFolder()
{
    std::filesystem::path folder = CorvelDataPath();
    CreateFolderPath(folder);
    return folder;
}

std::string GetAppDataPathA(const char* name)
{
    std::string path = GetAppDataFolder().string();
    if (name)
        path += name;
    return path;
}

std::filesystem::path ExecutableFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec);
    return exe.parent_path();
}

bool CreateFolderPath(const std::filesystem::path& folder, std::string* error)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (std::filesystem::is_directory(folder))
        return true;
    if (error)
        *error = ec ? ec.message() : "not a folder";
    return false;
}

}  // namespace platform
