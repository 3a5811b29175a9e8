// Fuzz target: arbitrary bytes as the settings file. Every key that reads a value before a
// write of another key reads the same value after it (in a fresh reader), the written key
// reads back what was written, and a write that is refused leaves the file's bytes alone.
#include "fuzz/FuzzCheck.h"
#include "platform/ProfileSettings.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

using fuzzcheck::Check;

// One folder for the whole run, also the folder of the settings lock.
const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvel-settings-fuzz-XXXXXX").string();
        Check(::mkdtemp(pattern.data()) != nullptr);
        ::setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
        return std::filesystem::path(pattern);
    }();
    return folder;
}

std::string Read(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

struct Name {
    std::string section;
    std::string key;
};

bool SameName(const Name& a, const Name& b)
{
    return ::strcasecmp(a.section.c_str(), b.section.c_str()) == 0 && ::strcasecmp(a.key.c_str(), b.key.c_str()) == 0;
}

// Every "key=" under a "[section]" line: a superset of the keys the file holds is enough,
// since a name the file does not hold reads the default before and after.
std::vector<Name> Names(std::string_view text)
{
    std::vector<Name> names;
    std::string section;
    bool inSection = false;
    std::size_t start = 0;
    while (start <= text.size() && names.size() < 200) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = std::string(Trim(line.substr(1, close - 1)));
                inSection = true;
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        const std::string key(Trim(line.substr(0, equals)));
        if (!key.empty() && !section.empty() && key.find('\0') == std::string::npos
            && section.find('\0') == std::string::npos)
            names.push_back({section, key});
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path file = Folder() / "Corvel.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << text;
    }

    const std::vector<Name> names = Names(text);
    constexpr const char* kMissing = "\x01missing";
    std::vector<std::string> before;
    {
        platform::ProfileSettings settings(file);
        for (const Name& name : names)
            before.push_back(settings.GetProfileString(name.section, name.key, kMissing));
    }

    // Overwrite one of the file's keys, or add a new one.
    Name written{"Fuzz Section", "Fuzz.Key"};
    if (size > 0 && (data[0] & 1) && !names.empty())
        written = names[data[0] % names.size()];
    const std::string value = "v" + std::to_string(size);
    platform::ProfileSettings writer(file);
    if (!writer.WriteProfileString(written.section, written.key, value)) {
        Check(Read(file) == text);
        return 0;
    }

    platform::ProfileSettings reread(file);
    Check(reread.GetProfileString(written.section, written.key, kMissing) == value);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!SameName(names[i], written))
            Check(reread.GetProfileString(names[i].section, names[i].key, kMissing) == before[i]);
    return 0;
}
