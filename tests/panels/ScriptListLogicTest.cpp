// The script list file: which lines are script paths, and a save that replaces the file whole.
#include "panels/ScriptListLogic.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace script_list;

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<std::string> paths;
    std::vector<int> rejected;
};

TEST(ScriptListLogic, ParseKeepsPathLinesAndNamesTheOthers)
{
    const ParseCase cases[] = {
        {"LfLines", "/a/one.py\n/b/two.py\n", {"/a/one.py", "/b/two.py"}, {}},
        {"CrLfAndEmptyLines", "\r\n/a/one.py\r\n\n\r\n/b/two.py", {"/a/one.py", "/b/two.py"}, {}},
        {"Utf8Path", "/home/b\xC3\xA9la/t\xE2\x82\xAC.py\n", {"/home/b\xC3\xA9la/t\xE2\x82\xAC.py"}, {}},
        {"LongLineWhole", std::string(3000, 'x') + "\n", {std::string(3000, 'x')}, {}},
        {"ControlAndNul", "/ok.py\n\x01x\n" + std::string("a\0b", 3) + "\n/ok2.py\n", {"/ok.py", "/ok2.py"}, {2, 3}},
        {"NotUtf8", "/x\xFF.py\n/y\xC3.py\n/z\xED\xA0\x80.py\n/w\xC0\xAF.py\n", {}, {1, 2, 3, 4}},
        {"Empty", "", {}, {}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = Parse(c.text);
        EXPECT_EQ(loaded.state, Loaded::State::Ok);
        EXPECT_EQ(loaded.paths, c.paths);
        EXPECT_EQ(loaded.rejectedLines, c.rejected);
    }
}

TEST(ScriptListLogic, LoadTellsMissingUnreadableAndOk)
{
    corvel::test::TempDir dir;
    EXPECT_EQ(Load(dir / "py.cfg").state, Loaded::State::Missing);

    std::filesystem::create_directory(dir / "folder.cfg");
    const Loaded folder = Load(dir / "folder.cfg");
    EXPECT_EQ(folder.state, Loaded::State::Unreadable);
    EXPECT_FALSE(folder.error.empty());

    std::string error;
    ASSERT_TRUE(Save(dir / "py.cfg", {"/a.py", "/b c.py"}, error)) << error;
    std::ifstream in(dir / "py.cfg", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "/a.py\n/b c.py\n");
    const Loaded back = Load(dir / "py.cfg");
    EXPECT_EQ(back.paths, (std::vector<std::string>{"/a.py", "/b c.py"}));

    // A save that cannot be written leaves the folder in the file's place untouched.
    EXPECT_FALSE(Save(dir / "folder.cfg", {"/a.py"}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.cfg"));
}

}  // namespace
