#include "catalogues/RegisterMapLoader.h"

#include "catalogues/ConfigurationTable.h"

#include "camera/CXmlNodeValue.h"
#include "resources/BuiltinResources.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <vector>

using corvel::test::TempDir;

namespace {

class Recorder : public IMapLoadReporter {
public:
    void LogMapLoadError(const std::string& record) override { records.push_back(record); }
    void ShowMapLoadError(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> records;
    std::vector<std::string> messages;
};

const char kSmallMap[] = "<?xml version=\"1.0\"?>\r\n<CAMERA><CameraType>Override</CameraType></CAMERA>\r\n";

}  // namespace

// Example failure: a valid file beside the executable is ignored in favour of the built-in map,
// so a field engineer's corrected map never takes effect.
TEST(RegisterMapLoader, FileBesideTheExecutableWins)
{
    TempDir dir;
    dir.Write("CamDef.Zorvat.MachineVision.xml", kSmallMap);
    Recorder reporter;
    auto map = LoadRegisterMapForRow(4, dir.Path(), &reporter);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->Select("CAMERA/CameraType").AsString(), "Override");
    EXPECT_EQ(map->Source(), (dir / "CamDef.Zorvat.MachineVision.xml").string());
    EXPECT_TRUE(reporter.records.empty());
}

// Example failure: a broken override file falls back to the built-in map silently, or fails
// without telling the operator which file is at fault.
TEST(RegisterMapLoader, BrokenOverrideFailsWithoutTryingTheBuiltInMap)
{
    TempDir dir;
    dir.Write("CamDef.Zorvat.MachineVision.xml", "<?xml version=\"1.0\"?>\n<CAMERA>\n<A></B>\n");
    Recorder reporter;
    EXPECT_FALSE(LoadRegisterMapForRow(4, dir.Path(), &reporter));
    const std::string path = (dir / "CamDef.Zorvat.MachineVision.xml").string();
    ASSERT_EQ(reporter.records.size(), 1u);
    EXPECT_EQ(reporter.records[0].rfind("XML Load failed: filename=<" + path + "> parse error 0xC00CE5", 0), 0u)
        << reporter.records[0];
    EXPECT_NE(reporter.records[0].find(" at 3:"), std::string::npos) << reporter.records[0];
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], "Cannot open|parse XML file \"" + path + "\"");

    // A folder of that name also takes the built-in map's place, and fails.
    TempDir other;
    std::filesystem::create_directory(other / "CamDef.Zorvat.MachineVision.xml");
    EXPECT_FALSE(LoadRegisterMapForRow(4, other.Path(), nullptr));
}

// Example failure: a row without a built-in map crashes or reports success when its file is
// missing.
TEST(RegisterMapLoader, RowWithoutBuiltInMapNeedsItsFile)
{
    TempDir dir;
    Recorder reporter;
    EXPECT_FALSE(LoadRegisterMapForRow(0, dir.Path(), &reporter));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], "Cannot open|parse XML file \"" + (dir / "CamDef.Wispen.xml").string() + "\"");
    ASSERT_EQ(reporter.records.size(), 1u);
    EXPECT_NE(reporter.records[0].find("parse error 0x800C0006 at 0:0 :"), std::string::npos) << reporter.records[0];

    dir.Write("CamDef.Wispen.xml", kSmallMap);
    EXPECT_TRUE(LoadRegisterMapForRow(0, dir.Path(), &reporter));
}

// Example failure: the built-in machine-vision map is not compiled in or does not parse, so a
// machine without override files cannot build the default configuration.
TEST(RegisterMapLoader, BuiltInMapsLoadWhenNoFileIsBeside)
{
    TempDir dir;
    for (int row : {4, 5, 7, 8, 9, 10, 11}) {
        SCOPED_TRACE(row);
        const int id = ConfigurationRowFor(row).builtinMapId;
        if (!FindBuiltinResource(id))
            continue;
        Recorder reporter;
        auto map = LoadRegisterMapForRow(row, dir.Path(), &reporter);
        ASSERT_TRUE(map) << (reporter.records.empty() ? "" : reporter.records[0]);
        EXPECT_EQ(map->Source(), "res://corvel/#" + std::to_string(id));
        EXPECT_TRUE(map->Select("CAMERA/LOCALSPACE"));
    }
    if (!FindBuiltinResource(170))
        GTEST_SKIP() << "no built-in register map in this build";
}
