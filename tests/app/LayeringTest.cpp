// The program's folders form layers: each folder includes headers only of the folders the
// README's layer table names for it, and nothing below app/ includes a header of app/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

/// The folders that build the program, each a layer of the table.
const std::vector<std::string> kSourceFolders = {"platform", "orvmisc",  "logging", "camera", "catalogues", "controls",
                                                 "panels",   "tools",    "resources", "emulator", "app"};

/// One include of a header named by its folder ("camera/ValueCoder.h" names "camera").
struct FolderInclude {
    std::string where;   ///< "file:line: text"
    std::string folder;  ///< the folder the included header is in
};

/// The includes by folder in the sources of `folder`.
std::vector<FolderInclude> FolderIncludes(const std::filesystem::path& folder)
{
    std::vector<FolderInclude> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp" && ext != ".in")
            continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (line.rfind("#include", 0) != 0)
                continue;
            const std::size_t open = line.find('"');
            const std::size_t slash = open == std::string::npos ? open : line.find('/', open);
            if (slash == std::string::npos)
                continue;
            found.push_back({entry.path().string() + ":" + std::to_string(number) + ": " + line,
                             line.substr(open + 1, slash - open - 1)});
        }
    }
    return found;
}

/// The README's layer table: each folder and the folders it may include. Rows read
/// "| `camera/` | `platform/`, `orvmisc/` |" under the heading "## Layers".
std::map<std::string, std::set<std::string>> LayerTable(const std::filesystem::path& readme)
{
    std::map<std::string, std::set<std::string>> table;
    std::ifstream in(readme);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) {
            inSection = line == "## Layers";
            continue;
        }
        if (!inSection || line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> names;
        for (std::size_t at = line.find('`'); at != std::string::npos; at = line.find('`', at + 1)) {
            const std::size_t end = line.find('`', at + 1);
            if (end == std::string::npos)
                break;
            std::string name = line.substr(at + 1, end - at - 1);
            if (!name.empty() && name.back() == '/')
                name.pop_back();
            names.push_back(name);
            at = end;
        }
        if (!names.empty())
            table[names.front()].insert(names.begin() + 1, names.end());
    }
    return table;
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
        for (const FolderInclude& include : FolderIncludes(root / folder)) {
            if (include.folder == "app")
                ADD_FAILURE() << include.where;
        }
    }
}

// Example failure: the camera link includes a panel header, or the program includes the
// emulated camera, so a lower layer cannot be built, tested or replaced without an upper one.
TEST(Layering, EachFolderIncludesOnlyTheFoldersItsLayerAllows)
{
    const std::filesystem::path root = CORVEL_SOURCE_DIR;
    const auto table = LayerTable(root / "README.md");
    for (const std::string& folder : kSourceFolders) {
        SCOPED_TRACE(folder);
        const auto row = table.find(folder);
        ASSERT_NE(row, table.end()) << "the README's layer table has no row for " << folder << "/";
        for (const FolderInclude& include : FolderIncludes(root / folder)) {
            const bool layer = table.count(include.folder) != 0;
            if (layer && include.folder != folder && row->second.count(include.folder) == 0)
                ADD_FAILURE() << include.where << " (" << folder << "/ may not include " << include.folder << "/)";
        }
    }
}
