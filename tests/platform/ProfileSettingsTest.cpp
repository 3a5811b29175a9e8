#include "platform/ProfileSettings.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;
using corvel::test::TempDir;

class ProfileSettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "Corvel.ini";
    ProfileSettings settings{file};
};

// Example failure: "PollingTime=abc" is read as 0 and the polling timers spin, or a negative
// value loses its sign.
TEST_F(ProfileSettingsTest, IntegersAreTheLeadingNumberOrTheDefault)
{
    struct Row {
        const char* name;
        const char* value;  // null: key missing
        int expected;
    } rows[] = {
        {"missing", nullptr, 77},
        {"empty", "", 77},
        {"plain", "2000", 2000},
        {"negative", "-5", -5},
        {"plus", "+12", 12},
        {"leading_number", "115200 baud", 115200},
        {"not_a_number", "abc", 77},
        {"sign_only", "-", 77},
        {"hex_is_not_read_as_hex", "0x10", 0},
        {"saturates_high", "99999999999", 2147483647},
        {"saturates_low", "-99999999999", -2147483647 - 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = "[Communications]\n";
        if (row.value)
            text += std::string("BaudRate=") + row.value + "\n";
        dir.Write("Corvel.ini", text);
        EXPECT_EQ(settings.GetProfileInt("Communications", "BaudRate", 77), row.expected);
    }
}

// Example failure: a key written as "PollingTime" is not found as "pollingtime", so every
// setting falls back to its default after a restart.
TEST_F(ProfileSettingsTest, SectionsAndKeysIgnoreCase)
{
    dir.Write("Corvel.ini", "[LastConfig]\nPollingTime=500\n");
    EXPECT_EQ(settings.GetProfileInt("lastconfig", "POLLINGTIME", 0), 500);
    ASSERT_TRUE(settings.WriteProfileInt("LASTCONFIG", "pollingtime", 750));
    const std::string text = dir.Read("Corvel.ini");
    EXPECT_NE(text.find("PollingTime=750"), std::string::npos) << text;
    EXPECT_EQ(text.find("750", text.find("750") + 1), std::string::npos) << "key written twice:\n" << text;
}

// Example failure: writing one key rewrites the file from scratch and drops the other sections,
// keys and the operator's comments; or writes "key = value" that older readers reject.
TEST_F(ProfileSettingsTest, WritesKeepTheRestOfTheFile)
{
    dir.Write("Corvel.ini",
              "; operator notes\n[LastConfig]\nDebug=1\nPos0=1 100 200\n\n[Communications]\nPort=2\n");
    ASSERT_TRUE(settings.WriteProfileString("Communications", "LastPortName", "/dev/ttyUSB0"));
    ASSERT_TRUE(settings.WriteProfileInt("NewSection", "Value", -3));

    const std::string text = dir.Read("Corvel.ini");
    EXPECT_NE(text.find("; operator notes"), std::string::npos) << text;
    EXPECT_NE(text.find("LastPortName=/dev/ttyUSB0"), std::string::npos) << text;
    EXPECT_EQ(text.find(" = "), std::string::npos) << text;
    EXPECT_EQ(settings.GetProfileString("LastConfig", "Pos0", ""), "1 100 200");
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "Debug", 0), 1);
    EXPECT_EQ(settings.GetProfileInt("Communications", "Port", 0), 2);
    EXPECT_EQ(settings.GetProfileInt("NewSection", "Value", 0), -3);

    ASSERT_TRUE(settings.DeleteProfileKey("LastConfig", "Debug"));
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "Debug", 9), 9);
    EXPECT_EQ(settings.GetProfileString("LastConfig", "Pos0", ""), "1 100 200");
}

// Example failure: values keep blanks or quotes around them, so a port name read back does not
// match the port list.
TEST_F(ProfileSettingsTest, StringsAreTrimmedAndUnquoted)
{
    dir.Write("Corvel.ini", "[A]\nName =  \"COM 5\"  \nPlain=x\n");
    EXPECT_EQ(settings.GetProfileString("A", "Name", "?"), "COM 5");
    EXPECT_EQ(settings.GetProfileString("A", "Missing", "?"), "?");
}

// Example failure: a save that fails half-way leaves a truncated settings file behind, or the
// temporary file stays in the data folder.
TEST_F(ProfileSettingsTest, SaveIsAtomicAndLeavesNoTemporaryFiles)
{
    dir.Write("Corvel.ini", "[A]\nKeep=1\n");
    ASSERT_TRUE(settings.WriteProfileInt("A", "New", 2));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "Corvel.ini");

    // A folder that cannot be written: the write fails and the old file is untouched.
    if (::geteuid() != 0) {
        ::chmod(dir.Path().c_str(), 0500);
        EXPECT_FALSE(settings.WriteProfileInt("A", "Keep", 5));
        ::chmod(dir.Path().c_str(), 0700);
    }
    ProfileSettings nowhere(dir / "missing-folder" / "Corvel.ini");
    EXPECT_FALSE(nowhere.WriteProfileInt("A", "B", 1));
    EXPECT_EQ(settings.GetProfileInt("A", "Keep", 0), 1);
}

// Example failure: a missing settings file is an error instead of an empty profile, so a first
// start cannot save anything.
TEST_F(ProfileSettingsTest, MissingFileIsAnEmptyProfile)
{
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "PollingTime", 2000), 2000);
    ASSERT_TRUE(settings.WriteProfileInt("LastConfig", "PollingTime", 1000));
    EXPECT_EQ(dir.Read("Corvel.ini").find("[LastConfig]"), 0u);
}
