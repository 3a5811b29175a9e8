#include "catalogues/CatalogueEngine.h"

#include "camera/CameraLink.h"
#include "camera/MapFixture.h"
#include "camera/ProtocolFixture.h"
#include "catalogues/RegisterMapLoader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using corvel::test::LoadMapText;
using corvel::test::WarningRecorder;

namespace {

const char kMap[] =
    "<CAMERA>"
    "<CameraType>Test sensor</CameraType>"
    "<LOCALSPACE>"
    "<Gain default=\"0x10\"><address>0x0200</address><mask>0xFF</mask><shift>4</shift><min>1</min><max>255</max>"
    "<access>3</access><cmd>gain</cmd><ws>true</ws></Gain>"
    "<Enable default=\"true\"><address>0x0204</address><mask>1</mask><access>3</access></Enable>"
    "<MfgName1 default=\"Not \"><address>0x7000</address><mask>0xFFFFFFFF</mask><access>1</access></MfgName1>"
    "<Bare/>"
    "<Odd deault=\"5\"><address>0x0208</address><mask>0x3</mask><max>3</max><access>3</access></Odd>"
    "<Watched default=\"0\"><access>3</access></Watched>"
    "<Seen default=\"false\"><access>3</access></Seen>"
    "<Unheard default=\"0\"><access>3</access></Unheard>"
    "</LOCALSPACE>"
    "<CCDTIMINGSTATUS>"
    "<TapsMax default=\"0\"><address>0x6100</address><mask>0xF</mask><access>1</access><val id=\"0\">8</val>"
    "<val id=\"3\">2 Taps</val></TapsMax>"
    "<TapsAllowed><address>0x6104</address><mask>0xF</mask><access>1</access><val id=\"0\">0</val></TapsAllowed>"
    "<ActiveTaps><address>0x6108</address><mask>0xF</mask><access>3</access><val id=\"0\">3</val>"
    "<val id=\"1\">1</val></ActiveTaps>"
    "</CCDTIMINGSTATUS>"
    "<CCDTIMINGREGISTERS>"
    "<BinVertMode default=\"0\"><address>0x6604</address><mask>3</mask><access>3</access></BinVertMode>"
    "<TRIGGERGROUP><TriggerMode default=\"1\"><address>0x6040</address><mask>3</mask><access>3</access>"
    "</TriggerMode></TRIGGERGROUP>"
    "<OUTPUTGROUP><OutMode><address>0x6050</address><mask>1</mask><access>3</access></OutMode></OUTPUTGROUP>"
    "<AnalogGainLimits default=\"0.0\"><min>0.0</min><max>24.0</max><step>0.035190616</step><min_d>0.0</min_d>"
    "<max_d>590400.53</max_d></AnalogGainLimits>"
    "<OffsetLimits default=\"9.0\"><min>-1</min><max>1</max><step>0.5</step></OffsetLimits>"
    "</CCDTIMINGREGISTERS>"
    "<STROBEGROUP><StrobeMode><address>0x6060</address><mask>1</mask></StrobeMode></STROBEGROUP>"
    "</CAMERA>";

const CatalogueParam kLocalSpace[] = {
    {"Gain", OrvParam_Int},   {"Enable", OrvParam_Bool},
    {"MfgName1", OrvParam_String, ListenerRole::CameraInfoDialog()},
    {"Bare", OrvParam_Int},   {"Odd", OrvParam_Int},
    {"Absent", OrvParam_Bool},
    {"Watched", OrvParam_Int, ListenerRole::PanelOfSlot(4)},
    {"Seen", OrvParam_Bool, ListenerRole::CameraInfoDialog()},
    {"Unheard", OrvParam_Int, ListenerRole::PanelOfSlot(2)},
};
const CatalogueParam kFlash[] = {{"Flashy", OrvParam_Int}};
const CatalogueParam kStatus[] = {{"TapsMax", OrvParam_Int}, {"TapsAllowed", OrvParam_Int}, {"ActiveTaps", OrvParam_Int}};
const CatalogueParam kTiming[] = {
    {"BinVertMode", OrvParam_Int}, {"AnalogGainLimits", OrvParam_Float}, {"OffsetLimits", OrvParam_Float}};
const CatalogueParam kTrigger[] = {{"TriggerMode", OrvParam_Int}};
const CatalogueParam kPulse[] = {{"PulseWidth", OrvParam_Int}};
const CatalogueParam kStrobe[] = {{"StrobeMode", OrvParam_Int}};
const CatalogueParam kOutput[] = {{"OutMode", OrvParam_Int}};
const CatalogueGroup kGroups[] = {
    {"TRIGGERGROUP", kTrigger}, {"PULSEGROUP", kPulse}, {"STROBEGROUP", kStrobe}, {"OUTPUTGROUP", kOutput}};
const CatalogueSection kSections[] = {
    {"LOCALSPACE", kLocalSpace},
    {"PARAMFLASH", kFlash},
    {"CCDTIMINGSTATUS", kStatus},
    {"CCDTIMINGREGISTERS", kTiming, kGroups},
};
const CatalogueTable kTable{"Test", kSections};

class RecordingListener : public OrvParamListener {
public:
    void OnParamChanged(const _OrvStParam* param) override { heard.push_back(param->name); }
    std::vector<std::string> heard;
};

/// Slot 4 holds a panel, slot 2 is empty; the camera-information dialog exists.
class Windows : public ICatalogueListeners {
public:
    OrvParamListener* PanelListener(int slot) override { return slot == 4 ? &panel : nullptr; }
    OrvParamListener* CameraInfoListener() override { return &cameraInfo; }
    RecordingListener panel, cameraInfo;
};

/// A link with a main window and no port: every camera read at the end of a build fails.
class CatalogueEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        link.SetMainWindow(&host);
        map = LoadMapText(kMap);
        ASSERT_TRUE(map);
    }

    std::vector<std::string> Names()
    {
        std::size_t count = 0;
        link.GetParametersList(nullptr, &count);
        std::vector<_OrvStParam> list(count);
        link.GetParametersList(list.data(), &count);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < count; ++i)
            names.push_back(list[i].name);
        return names;
    }

    _OrvStParam Record(const char* name)
    {
        _OrvStParam param;
        EXPECT_EQ(link.GetParamData(name, &param), 0) << name;
        return param;
    }

    RegisterLink LinkOf(const char* name)
    {
        RegisterLink reg;
        EXPECT_EQ(GetRegisterLink(link, name, reg), 0) << name;
        return reg;
    }

    corvel::test::MemorySettings settings;
    corvel::test::FakeHost host;
    CCameraLink link{&settings};
    RegisterMapPtr map;
};

// Example failure: a missing section or group stops the walk or defines its parameters anyway,
// a group is looked for outside its section, groups come before the section's own registers,
// or the end steps do not run.
TEST_F(CatalogueEngineTest, WalksSectionsAndGroupsInTableOrder)
{
    const CatalogueBuildResult result = BuildCatalogue(link, map, false, kTable, nullptr);
    EXPECT_TRUE(result.built);
    EXPECT_TRUE(result.problems.empty());
    const std::vector<std::string> expected = {
        "Gain", "Enable", "MfgName1", "Bare", "Odd", "Absent", "Watched", "Seen", "Unheard",
        "TapsMax", "TapsAllowed", "ActiveTaps", "BinVertMode", "AnalogGainLimits", "OffsetLimits",
        "TriggerMode", "OutMode"};
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(result.defined, 17);
    EXPECT_EQ(result.linked, 16);  // all but Absent
    EXPECT_EQ(link.m_pRegisterMap, map);
    EXPECT_EQ(LinkOf("Gain").path, "CAMERA/LOCALSPACE/Gain");
    EXPECT_EQ(LinkOf("TriggerMode").path, "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerMode");
    EXPECT_EQ(LinkOf("TriggerMode").address, 0x6040);
    EXPECT_EQ(LinkOf("OutMode").path, "CAMERA/CCDTIMINGREGISTERS/OUTPUTGROUP/OutMode");

    // End steps with no camera: every read fails (raw 0), so the counts come from entry 0 and the
    // frame-size limits keep their values.
    EXPECT_EQ(link.m_nTapsAllowed, 8);
    EXPECT_EQ(link.m_nActiveTaps, 3);
    EXPECT_EQ(link.m_nWidthMax, 640);
    EXPECT_EQ(link.m_nImageWidthMax, 640);
    EXPECT_EQ(link.m_nImageHeightMax, 480);
}

// Example failure: a node is read from the wrong child (max for min), a misspelt default is
// taken, a float's default is read, or a parameter without an element is left out.
TEST_F(CatalogueEngineTest, ReadsEachTypesNodes)
{
    BuildCatalogue(link, map, false, kTable, nullptr);

    const _OrvStParam gain = Record("Gain");
    EXPECT_EQ(gain.type, OrvParam_Int);
    EXPECT_EQ(gain.access, 3);
    EXPECT_EQ(gain.def.n, 0x10);
    EXPECT_EQ(gain.min.n, 1);
    EXPECT_EQ(gain.max.n, 255);
    EXPECT_EQ(LinkOf("Gain").mask, 0xFFu);
    EXPECT_EQ(LinkOf("Gain").shift, 4);
    EXPECT_EQ(LinkOf("Gain").cmd, "gain");
    EXPECT_TRUE(LinkOf("Gain").ws);

    EXPECT_EQ(Record("Enable").type, OrvParam_Bool);
    EXPECT_EQ(Record("Enable").value.b.def, 1);
    EXPECT_EQ(Record("MfgName1").defText, "Not ");
    EXPECT_EQ(Record("MfgName1").access, 1);
    EXPECT_EQ(Record("Odd").def.n, 0);
    EXPECT_EQ(Record("Odd").max.n, 3);

    const _OrvStParam bare = Record("Bare");
    EXPECT_EQ(bare.access, 0);
    EXPECT_EQ(bare.max.n, 0);
    EXPECT_EQ(LinkOf("Bare").address, 0);
    EXPECT_EQ(LinkOf("Bare").mask, 0u);

    const _OrvStParam absent = Record("Absent");
    EXPECT_EQ(absent.type, OrvParam_Bool);
    EXPECT_EQ(absent.access, 0);
    RegisterLink none;
    EXPECT_NE(GetRegisterLink(link, "Absent", none), 0);

    const _OrvStParam limits = Record("AnalogGainLimits");
    EXPECT_EQ(limits.type, OrvParam_Float);
    EXPECT_EQ(limits.min.d, 0.0);
    EXPECT_EQ(limits.max.d, 24.0);
    EXPECT_EQ(limits.def.d, 0.035190616);
    EXPECT_EQ(limits.access, 0);
    EXPECT_EQ(Record("OffsetLimits").def.d, 0.5);  // the step, never the default 9.0
    EXPECT_EQ(Record("OffsetLimits").min.d, -1.0);
}

// Example failure: debug mode keeps the normal float limits, or widens read-only registers.
TEST_F(CatalogueEngineTest, DebugModeLimits)
{
    BuildCatalogue(link, map, true, kTable, nullptr);
    EXPECT_EQ(Record("AnalogGainLimits").max.d, 590400.53);
    EXPECT_EQ(Record("AnalogGainLimits").min.d, 0.0);
    // No min_d or max_d: limits 0.0, the step as in normal mode.
    EXPECT_EQ(Record("OffsetLimits").min.d, 0.0);
    EXPECT_EQ(Record("OffsetLimits").max.d, 0.0);
    EXPECT_EQ(Record("OffsetLimits").def.d, 0.5);

    EXPECT_EQ(Record("Gain").min.n, 0);
    EXPECT_EQ(Record("Gain").max.n, 0xFFFFFF);
    EXPECT_EQ(LinkOf("Gain").mask, 0xFFFFFFu);
    EXPECT_EQ(Record("TapsMax").max.n, 0);  // read-only: as in the map
    EXPECT_EQ(LinkOf("TapsMax").mask, 0xFu);
}

// Example failure: a build without a document or without a main window clears the store, drops
// the link's map or changes the tap counts.
TEST_F(CatalogueEngineTest, NoDocumentOrNoWindowLeavesTheStoreAlone)
{
    struct Row {
        const char* name;
        bool document, window;
    };
    for (const Row& row : {Row{"NoDocument", false, true}, Row{"NoWindow", true, false}}) {
        SCOPED_TRACE(row.name);
        link.ClearStorage();
        _OrvStParam keep{};
        std::strcpy(keep.name, "Keep");
        ASSERT_EQ(link.AddParam(keep), 0);
        const RegisterMapPtr previous = LoadMapText("<CAMERA/>", "previous");
        link.m_pRegisterMap = previous;
        link.m_nTapsAllowed = 7;
        link.SetMainWindow(row.window ? &host : nullptr);

        const CatalogueBuildResult result =
            BuildCatalogue(link, row.document ? map : nullptr, false, kTable, nullptr);
        EXPECT_FALSE(result.built);
        EXPECT_EQ(Names(), std::vector<std::string>{"Keep"});
        EXPECT_EQ(link.m_pRegisterMap, previous);
        EXPECT_EQ(link.m_nTapsAllowed, 7);
    }
}

// Example failure: the listener of one role is registered for another, or an empty slot
// registers a null listener.
TEST_F(CatalogueEngineTest, ListenersByRole)
{
    Windows windows;
    BuildCatalogue(link, map, false, kTable, &windows);
    // These elements have no mask: a set reaches no register and notifies without a camera.
    EXPECT_EQ(link.SetParamInt("Watched", 1, true), 0);
    EXPECT_EQ(link.SetParamBool("Seen", true, true), 0);
    EXPECT_EQ(link.SetParamInt("Unheard", 1, true), 0);
    EXPECT_EQ(windows.panel.heard, std::vector<std::string>{"Watched"});
    EXPECT_EQ(windows.cameraInfo.heard, std::vector<std::string>{"Seen"});
}

// Example failure: a bad table entry crashes the build, is defined anyway, or is reported
// without saying which parameter and which map.
TEST_F(CatalogueEngineTest, BadTableEntriesAreReportedAndLeftOut)
{
    const std::string longName(kOrvParamNameMax + 1, 'L');
    const CatalogueParam params[] = {
        {"Gain", OrvParam_Int},
        {"Gain", OrvParam_Bool},
        {"Enable", OrvParam_Array},
        {"Odd", static_cast<OrvParamType>(9)},
        {"Gain/address", OrvParam_Int},
        {"", OrvParam_Int},
        {nullptr, OrvParam_Int},
        {longName.c_str(), OrvParam_Int},
        {"Bare", OrvParam_Int},
    };
    const CatalogueGroup groups[] = {{"../LOCALSPACE", params}};
    const CatalogueSection sections[] = {{"LOCALSPACE", params}, {"CAMERA/LOCALSPACE", params}, {"CCDTIMINGREGISTERS", {}, groups}};
    WarningRecorder warnings;
    const CatalogueBuildResult result = BuildCatalogue(link, map, false, {"Bad", sections}, nullptr);
    EXPECT_TRUE(result.built);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Gain", "Bare"}));
    EXPECT_EQ(Record("Gain").type, OrvParam_Int);

    const struct {
        const char* part;
        int count;
    } expected[] = {
        {"parameter 'Gain' is listed twice", 1},
        {"parameter 'Enable' has a type", 1},
        {"parameter 'Odd' has a type", 1},
        {"parameter 'Gain/address' is not an element name", 1},
        {"parameter '' is not an element name", 1},
        {"parameter (no name) is not an element name", 1},
        {"is not an element name", 6},
        {"section 'CAMERA/LOCALSPACE'", 1},
        {"group '../LOCALSPACE'", 1},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.part);
        EXPECT_EQ(warnings.Count({e.part, "Catalogue Bad", "register map test-map"}), e.count)
            << ::testing::PrintToString(warnings.messages);
    }
    EXPECT_EQ(result.problems.size(), warnings.messages.size());
    EXPECT_EQ(result.problems.size(), 9u);
}

// Example failure: a hostile map value (a shift of 40, a number that is text) crashes the
// build, stops it half-way, or leaves a field that the coder cannot code on the wire.
TEST_F(CatalogueEngineTest, MalformedValuesFallBackAndTheBuildCompletes)
{
    const auto hostile = LoadMapText(
        "<CAMERA><LOCALSPACE><Gain default=\"zz\"><address>0x0200</address><mask>0xFF</mask><shift>40</shift>"
        "<min>abc</min><max>0x</max><access>3</access></Gain></LOCALSPACE>"
        "<CCDTIMINGREGISTERS><AnalogGainLimits><step>1,5</step><max>nan</max></AnalogGainLimits>"
        "</CCDTIMINGREGISTERS></CAMERA>",
        "hostile-map");
    WarningRecorder warnings;
    const CatalogueBuildResult result = BuildCatalogue(link, hostile, false, kTable, nullptr);
    EXPECT_EQ(result.defined, 12);  // LOCALSPACE and the timing registers; no status section here
    EXPECT_EQ(Record("Gain").def.n, 0);
    EXPECT_EQ(Record("Gain").min.n, 0);
    EXPECT_EQ(LinkOf("Gain").mask, 0u);
    EXPECT_EQ(Record("AnalogGainLimits").def.d, 0.0);
    EXPECT_EQ(warnings.Count({"parameter Gain", "shift 40", "hostile-map"}), 1);
    EXPECT_EQ(warnings.Count({"AnalogGainLimits/step", "hostile-map"}), 1);
    EXPECT_EQ(warnings.Count({"Gain/min", "hostile-map"}), 1);
    EXPECT_EQ(link.m_nActiveTaps, 1);  // no value list in this map
}

// Example failure: the catalogue is built from the built-in map although a file beside the
// executable overrides it.
TEST_F(CatalogueEngineTest, OverrideFileIsWhatGetsBuilt)
{
    corvel::test::TempDir dir;
    dir.Write(RegisterMapOverridePath(4, dir.Path()).filename().string(),
              "<CAMERA><LOCALSPACE><Gain default=\"3\"><address>0x0ABC</address><mask>0x7</mask><access>2</access>"
              "</Gain></LOCALSPACE></CAMERA>");
    const RegisterMapPtr overridden = LoadRegisterMapForRow(4, dir.Path(), nullptr);
    ASSERT_TRUE(overridden);
    const CatalogueBuildResult result = BuildCatalogue(link, overridden, false, kTable, nullptr);
    EXPECT_EQ(LinkOf("Gain").address, 0x0ABC);
    EXPECT_EQ(Record("Gain").def.n, 3);
    EXPECT_EQ(result.linked, 1);
}

// Example failure: the panels bound the exposure by a record of the catalogue before: the copy is
// kept when the new map or table has no "Exposure", or after the configuration was forgotten.
TEST_F(CatalogueEngineTest, ExposureCopyIsTheBuiltCataloguesRecord)
{
    const auto mapWith = [](const char* bounds) {
        return LoadMapText(std::string("<CAMERA><LOCALSPACE><Exposure default=\"1\"><address>0x6088</address>"
                                       "<mask>0xFFFFFF</mask>") + bounds + "<access>1</access></Exposure>"
                           "<Gain><address>0x0200</address><mask>0xFF</mask></Gain></LOCALSPACE></CAMERA>");
    };
    const CatalogueParam withExposure[] = {{"Exposure", OrvParam_Int}, {"Gain", OrvParam_Int}};
    const CatalogueParam withoutExposure[] = {{"Gain", OrvParam_Int}};
    const CatalogueSection listed[] = {{"LOCALSPACE", withExposure}};
    const CatalogueSection unlisted[] = {{"LOCALSPACE", withoutExposure}};
    struct Build {
        const char* name;
        RegisterMapPtr map;
        const CatalogueSection* sections;
        std::int64_t min, max;  ///< the copy's bounds; both 0: none
        bool named;             ///< the copy is a record at all
    } builds[] = {
        {"first map", mapWith("<min>10</min><max>300000</max>"), listed, 10, 300000, true},
        {"next map", mapWith("<min>50</min><max>400000</max>"), listed, 50, 400000, true},
        {"map without the bounds", mapWith(""), listed, 0, 0, true},
        {"first map again", mapWith("<min>10</min><max>300000</max>"), listed, 10, 300000, true},
        {"table without the record", mapWith("<min>50</min><max>400000</max>"), unlisted, 0, 0, false},
    };
    for (const Build& b : builds) {
        SCOPED_TRACE(b.name);
        ASSERT_TRUE(b.map);
        BuildCatalogue(link, b.map, false, {"Test", std::span(b.sections, 1)}, nullptr);
        EXPECT_EQ(link.m_ExposureParam.name[0] != '\0', b.named);
        EXPECT_EQ(link.m_ExposureParam.min.n, b.min);
        EXPECT_EQ(link.m_ExposureParam.max.n, b.max);
    }

    BuildCatalogue(link, mapWith("<min>10</min><max>300000</max>"), false, {"Test", listed}, nullptr);
    ASSERT_EQ(link.m_ExposureParam.max.n, 300000);
    link.ForgetConfiguration();
    EXPECT_EQ(link.m_ExposureParam.name[0], '\0');
    EXPECT_EQ(link.m_ExposureParam.max.n, 0);
}

// ---- end steps on the emulated camera ----

class CatalogueOnCameraTest : public corvel::test::EmulatedLinkTest {};

// Example failure: the end steps read the wrong registers, write binning that is off, or the
// raw-TapsMax rule still goes through the value list.
TEST_F(CatalogueOnCameraTest, EndStepsReadTheCamera)
{
    const auto cameraMap = LoadMapText(
        "<CAMERA><CCDTIMINGSTATUS>"
        "<TapsMax><address>0x6100</address><mask>0xF</mask><val id=\"3\">2 Taps</val></TapsMax>"
        "<TapsAllowed><address>0x6104</address><mask>0xF</mask><val id=\"1\">0</val></TapsAllowed>"
        "<ActiveTaps><address>0x6108</address><mask>0xF</mask><val id=\"1\">1</val><val id=\"2\">2</val></ActiveTaps>"
        "</CCDTIMINGSTATUS><CCDTIMINGREGISTERS>"
        "<BinHorzMode><address>0x6600</address><mask>3</mask></BinHorzMode>"
        "<BinVertMode><address>0x6604</address><mask>3</mask></BinVertMode>"
        "<HorFrameSizeMin><address>0x6610</address><mask>0xFFFF</mask></HorFrameSizeMin>"
        "<HorFrameSizeMax><address>0x6610</address><mask>0xFFFF</mask><shift>16</shift></HorFrameSizeMax>"
        "<VerFrameSizeMin><address>0x6614</address><mask>0xFFFF</mask></VerFrameSizeMin>"
        "<VerFrameSizeMax><address>0x6614</address><mask>0xFFFF</mask><shift>16</shift></VerFrameSizeMax>"
        "</CCDTIMINGREGISTERS></CAMERA>");
    const CatalogueParam status[] = {{"TapsMax", OrvParam_Int}, {"TapsAllowed", OrvParam_Int}, {"ActiveTaps", OrvParam_Int}};
    const CatalogueParam timing[] = {{"BinHorzMode", OrvParam_Int},     {"BinVertMode", OrvParam_Int},
                                     {"HorFrameSizeMin", OrvParam_Int}, {"HorFrameSizeMax", OrvParam_Int},
                                     {"VerFrameSizeMin", OrvParam_Int}, {"VerFrameSizeMax", OrvParam_Int}};
    const CatalogueSection sections[] = {{"CCDTIMINGSTATUS", status}, {"CCDTIMINGREGISTERS", timing}};
    emu.SetRegister(0x6100, 3);
    emu.SetRegister(0x6104, 1);
    emu.SetRegister(0x6108, 2);
    emu.SetRegister(0x6610, (4096u << 16) | 16);
    emu.SetRegister(0x6614, (3072u << 16) | 8);

    struct Row {
        const char* name;
        AllowedTapsRule rule;
        std::int32_t allowed;
    };
    for (const Row& row : {Row{"FromTapsAllowed", AllowedTapsRule::FromTapsAllowed, 2},
                           Row{"RawTapsMax", AllowedTapsRule::RawTapsMax, 3}}) {
        SCOPED_TRACE(row.name);
        emu.ClearFrames();
        const CatalogueBuildResult result = BuildCatalogue(*link, cameraMap, false, {"Camera", sections, row.rule}, nullptr);
        EXPECT_EQ(result.defined, 9);
        EXPECT_EQ(link->m_nTapsAllowed, row.allowed);
        EXPECT_EQ(link->m_nActiveTaps, 2);
        EXPECT_EQ(link->m_nWidthMin, 16);
        EXPECT_EQ(link->m_nImageWidthMax, 4096);
        EXPECT_EQ(link->m_nImageHeightMax, 3072);
        for (const auto& frame : Frames())
            EXPECT_EQ(frame[0], 0x52) << "a build with binning off writes nothing";
    }
}

}  // namespace
