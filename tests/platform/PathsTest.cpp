#include "platform/Paths.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace platform;
using corvel::test::ScopedEnv;
using corvel::test::TempDir;

// Example failure: the data folder ignores XDG_DATA_HOME (tests then write into the real home),
// or a relative XDG value is taken and the folder moves with the working directory.
TEST(Paths, FollowXdgVariablesWithTheirDefaults)
{
    TempDir dir;
    {
        ScopedEnv home("HOME", dir.Path().string());
        ScopedEnv data("XDG_DATA_HOME", "");
        ScopedEnv state("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(LocalAppDataPath(), dir.Path() / ".local/share");
        EXPECT_EQ(CommonAppDataPath(), dir.Path() / ".local/state");
    }
    ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    ScopedEnv state("XDG_STATE_HOME", (dir / "state").string());
    EXPECT_EQ(LocalAppDataPath(), dir / "data");
    EXPECT_EQ(CommonAppDataPath(), dir / "state");
    EXPECT_EQ(CorvelDataPath(), dir / "data/Orvane/Corvel.ZorvatKelmir/");
    EXPECT_EQ(CorvelDataPath().string().back(), '/');
}

// Example failure: the runtime folder points at a folder that does not exist, so no lock can
// be taken and every log write waits 25 s.
TEST(Paths, RuntimeFolderFallsBackToTmp)
{
    TempDir dir;
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().string());
        EXPECT_EQ(RuntimePath(), dir.Path());
    }
    ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "gone").string());
    EXPECT_EQ(RuntimePath(), "/tmp");
}

// Example failure: creating a nested data folder fails on the first start, or creating one that
// exists reports an error.
TEST(Paths, CreateFolderPathMakesParentsAndReportsFailure)
{
    TempDir dir;
    const auto nested = dir / "a/b/c/";
    EXPECT_TRUE(CreateFolderPath(nested));
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    EXPECT_TRUE(CreateFolderPath(nested));

    dir.Write("file", "x");
    std::string error;
    EXPECT_FALSE(CreateFolderPath(dir / "file/sub", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ExecutableFolder().empty());
}

// Example failure: the GUI-settings and settings paths are built in a folder that does not exist
// yet (first start), or a null or empty name drops the trailing separator the callers append to.
TEST(Paths, AppDataPathCreatesTheFolderAndAppendsTheName)
{
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    const std::string folder = (dir / "data/Orvane/Corvel.ZorvatKelmir/").string();
    struct Row {
        const char* name;
        std::string expected;
    };
    for (const Row& row : {Row{nullptr, folder}, Row{"", folder}, Row{"1234.gui", folder + "1234.gui"}}) {
        SCOPED_TRACE(row.name ? row.name : "(null)");
        std::filesystem::remove_all(dir / "data");
        EXPECT_EQ(GetAppDataPathA(row.name), row.expected);
        EXPECT_TRUE(std::filesystem::is_directory(folder));
    }
    EXPECT_EQ(GetAppDataFolder(), std::filesystem::path(folder));
}
