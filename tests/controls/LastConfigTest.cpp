// The "LastConfig" section of Corvel.ini: every key's default, stored values, panel positions.
#include "controls/LastConfig.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace lastconfig;
using corvel::test::TempDir;

// Example failure: a key reads a wrong default on the first start (polling every 0 ms, echo of
// every poll, the Python panel shown, panels hidden), or a panel key is misspelt.
TEST(LastConfig, EveryKeyReadsItsDefaultWhenMissing)
{
    TempDir dir;
    platform::ProfileSettings settings(dir / "Corvel.ini");
    struct Row {
        LastConfigIntKey key;
        const char* name;
        int expected;
    };
    const Row rows[] = {
        {kShowPythonPanel, "ShowPythonPanel", 0}, {kShowDebugInfo, "ShowDebugInfo", 0},
        {kLogging, "Logging", 0},                 {kDebugMode, "DebugMode", 0},
        {kAnimation, "Animation", 0},             {kGuruMode, "GuruMode", 0},
        {kDisablePolling, "DisablePolling", 1},   {kPollingTime, "PollingTime", 2000},
        {PanelViewKey(0), "pan.GainOffset", 1},   {PanelViewKey(1), "pan.Output", 1},
        {PanelViewKey(2), "pan.Acquisition", 1},  {PanelViewKey(3), "pan.AECAGC", 1},
        {PanelViewKey(4), "pan.Image", 1},        {PanelViewKey(5), "pan.Color", 1},
        {PanelViewKey(6), "pan.Temperature", 1},  {PanelViewKey(7), "pan.Lens", 1},
        {PanelViewKey(8), "pan.RunPythonScripts", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(row.key.name, row.name);
        EXPECT_EQ(Read(row.key, settings), row.expected);
    }
    EXPECT_EQ(std::size(kIntKeys), 8u);
    EXPECT_EQ(Read(kRunApp, settings), "");
    EXPECT_STREQ(kRunApp.name, "RunApp");
    const char* posKeys[] = {"pan.GainOffsetPos", "pan.OutputPos", "pan.AcquisitionPos", "pan.AECAGCPos", "pan.ImagePos",
                             "pan.ColorPos", "pan.TemperaturePos", "pan.LensPos", "pan.RunPythonScriptsPos"};
    for (int slot = 0; slot < kPanelSlotCount; ++slot) {
        EXPECT_EQ(PanelPosKey(slot), posKeys[slot]);
        EXPECT_EQ(settings.GetProfileString(kLastConfigSection, PanelPosKey(slot), ""), "");
    }
    EXPECT_EQ(PanelPosKey(9), "");
    EXPECT_STREQ(PanelViewKey(-1).name, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "Corvel.ini"));
}

// Example failure: values are read from or written to another section, or a stored 0 is taken
// for a missing key and replaced by the default.
TEST(LastConfig, StoredValuesWinOverDefaults)
{
    TempDir dir;
    dir.Write("Corvel.ini",
              "[Communications]\nPollingTime=10\n[lastconfig]\ndisablepolling=0\nPollingTime=500\nRunApp=/opt/view\n");
    platform::ProfileSettings settings(dir / "Corvel.ini");
    EXPECT_EQ(Read(kDisablePolling, settings), 0);
    EXPECT_EQ(Read(kPollingTime, settings), 500);
    EXPECT_EQ(Read(kRunApp, settings), "/opt/view");
    EXPECT_EQ(Read(kShowPythonPanel, settings), 0);

    ASSERT_TRUE(Write(kDebugMode, 1, settings));
    ASSERT_TRUE(Write(kRunApp, "/usr/bin/viewer", settings));
    platform::ProfileSettings reread(dir / "Corvel.ini");
    EXPECT_EQ(Read(kDebugMode, reread), 1);
    EXPECT_EQ(Read(kRunApp, reread), "/usr/bin/viewer");
    EXPECT_EQ(reread.GetProfileInt("Communications", "PollingTime", -1), 10);
}

// Example failure: a partial or malformed position moves a panel to uninitialised or wrong
// coordinates instead of leaving it docked.
TEST(LastConfig, PanelPositionFloatsOnlyWhenComplete)
{
    struct Row {
        const char* text;
        PanelPos expected;
    };
    const Row rows[] = {
        {"1 100 200", {true, 0, 0}},  {"0 100 200", {false, 100, 200}}, {" 0 -5 -7", {false, -5, -7}},
        {"", {true, 0, 0}},           {"abc", {true, 0, 0}},             {"0", {true, 0, 0}},
        {"0 30", {true, 0, 0}},       {"0 x 30", {true, 0, 0}},          {"0 99999999999 1", {true, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const PanelPos pos = ParsePanelPos(row.text);
        EXPECT_EQ(pos.docked, row.expected.docked);
        if (!row.expected.docked) {
            EXPECT_EQ(pos.left, row.expected.left);
            EXPECT_EQ(pos.top, row.expected.top);
        }
    }
    EXPECT_EQ(FormatPanelPos({false, 100, 200}), "0 100 200");
    EXPECT_EQ(FormatPanelPos({true, -3, 4}), "1 -3 4");
}
