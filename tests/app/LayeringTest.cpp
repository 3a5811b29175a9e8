// The program's folders form layers: nothing below app/ includes a header of app/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

/// "file:line: text" of each include of an app/ header in the sources of `folder`.
std::vector<std::string> IncludesOfApp(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp")
            continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number)
            if (line.rfind("#include", 0) == 0 && line.find("\"app/") != std::string::npos)
                found.push_back(entry.path().string() + ":" + std::to_string(number) + ": " + line);
    }
    return found;
}

}  // namespace

// Example failure: the terminal (tools/) reaches up into the program for its settings keys, so
// the tools cannot be built or tested without the main window's code.
TEST(Layering, NoFolderBelowTheProgramIncludesIt)
{
    const std::filesystem::path root = CORVEL_SOURCE_DIR;
    ASSERT_TRUE(std::filesystem::is_directory(root / "camera"));
    for (const char* folder : {"platform", "orvmisc", "logging", "camera", "catalogues", "controls", "panels", "tools",
                               "resources", "emulator"}) {
        SCOPED_TRACE(folder);
        for (const std::string& include : IncludesOfApp(root / folder))
            ADD_FAILURE() << include;
    }
}
