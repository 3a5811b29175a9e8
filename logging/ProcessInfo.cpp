#include "logging/ProcessInfo.h"

#include "platform/TextConv.h"

#include <fstream>
#include <iterator>
#include <limits.h>
#include <unistd.h>

namespace orvlog {

std::wstring ExecutablePath()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? platform::Utf8ToWide(std::string_view(path, static_cast<std::size_t>(n))) : std::wstring();
}

std::wstring CommandLine()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string joined;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        const std::string argument = raw.substr(start, end - start);
        if (!joined.empty())
            joined += ' ';
        if (argument.find(' ') != std::string::npos)
            joined += '"' + argument + '"';
        else
            joined += argument;
        start = end + 1;
    }
    return platform::Utf8ToWide(joined);
}

}  // namespace orvlog
