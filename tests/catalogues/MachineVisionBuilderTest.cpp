#include "MachineVisionFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

std::vector<std::string> TableNames(const CatalogueTable& table)
{
    std::vector<std::string> names;
    for (const CatalogueSection& section : table.sections) {
        for (const CatalogueParam& p : section.params)
            names.push_back(p.name);
        for (const CatalogueGroup& group : section.groups)
            for (const CatalogueParam& p : group.params)
                names.push_back(p.name);
    }
    return names;
}

/// Each defined name's place in the store's order.
std::map<std::string, std::ptrdiff_t> Positions(const std::vector<_OrvStParam>& records)
{
    std::map<std::string, std::ptrdiff_t> positions;
    for (const _OrvStParam& r : records)
        positions.emplace(r.name, static_cast<std::ptrdiff_t>(positions.size()));
    return positions;
}

}  // namespace

class MachineVisionBuilderTest : public CatalogueLinkTest {};

// Example failure: a build defines a parameter twice, out of map order, with another type, or
// forgets a section; in debug mode a different set; or a second build adds to the first.
TEST_F(MachineVisionBuilderTest, DefinesTheTableInOrderWithItsTypes)
{
    for (const CatalogueConfig& config : kZorvatConfigs) {
        SCOPED_TRACE(config.name);
        StartCamera(config);
        const std::vector<std::string> expected = TableNames(config.catalogue());
        for (bool debug : {false, true, false}) {
            SCOPED_TRACE(debug ? "debug" : "normal");
            const CatalogueBuildResult result = Build(config, debug);
            EXPECT_TRUE(result.built);
            EXPECT_TRUE(result.problems.empty());
            const std::vector<_OrvStParam> records = Records();
            std::vector<std::string> names;
            std::map<std::int32_t, int> types;
            for (const _OrvStParam& r : records) {
                names.push_back(r.name);
                ++types[r.type];
            }
            EXPECT_EQ(names, expected);
            EXPECT_EQ(result.defined, static_cast<int>(expected.size()));
            EXPECT_EQ(result.linked, result.defined) << "every listed element is in the map";
            EXPECT_EQ(types[OrvParam_Int], config.ints);
            EXPECT_EQ(types[OrvParam_Bool], 7);
            EXPECT_EQ(types[OrvParam_String], 15);
            EXPECT_EQ(types[OrvParam_Float], 4);
        }
        EXPECT_EQ(Records().size(), static_cast<std::size_t>(config.Total()));
    }
}

// Example failure: an element the catalogue leaves out is defined after all (a panel or the
// terminal would then offer a register this camera does not have).
TEST_F(MachineVisionBuilderTest, DocumentedExclusionsAreNotInTheStore)
{
    for (const CatalogueConfig& config : kZorvatConfigs) {
        SCOPED_TRACE(config.name);
        StartCamera(config);
        Build(config, false);
        _OrvStParam record;
        for (const std::string& name : config.leftOut)
            EXPECT_NE(link->GetParamData(name.c_str(), &record), 0) << name;
    }
}

// Example failure: the aerospace catalogue defines TapsMode in map order (before ActiveTaps), or
// loses the registers only its camera has.
TEST_F(MachineVisionBuilderTest, AerospaceDefinesTapsModeRightAfterActiveTaps)
{
    const CatalogueConfig& config = kZorvatConfigs[2];
    ASSERT_EQ(config.configIndex, 8);
    StartCamera(config);
    Build(config, false);
    const std::map<std::string, std::ptrdiff_t> place = Positions(Records());
    EXPECT_EQ(place.at("ActiveTaps") + 1, place.at("TapsMode"));
    EXPECT_EQ(place.at("TapsMode") + 1, place.at("OutputFormat"));
    EXPECT_EQ(place.at("BitShift") + 1, place.at("ActiveTaps"));
    for (const char* name : {"TDIMode", "TDINumber", "TDIDelay", "SmearingMode", "HPCThreshold", "SlaveAOIMode",
                             "TrStrobeDuration", "Strobe2Position", "Out2Mapping", "CanonActiveMount"})
        EXPECT_EQ(place.count(name), 1u) << name;
    RegisterLink reg;
    ASSERT_EQ(GetRegisterLink(*link, "TDINumber", reg), 0);
    EXPECT_EQ(reg.path, "CAMERA/CCDTIMINGREGISTERS/TDIGROUP/TDINumber");
    EXPECT_EQ(reg.address, 0x0520);
}

// Example failure: a ruggedized catalogue keeps the aerospace order exception for TapsMode (or
// defines TapsMode at all), keeps TrStrobeDuration or the TDI group, or the 47 one walks the WDR
// group its camera does not have.
TEST_F(MachineVisionBuilderTest, RuggedizedCataloguesFollowTheMapOrderWithTheirOwnGroups)
{
    struct Row {
        int configIndex;
        const char* afterActiveTaps;
        bool wdr;
    } rows[] = {{10, "OutputFormat", true}, {11, "TBMode", false}};
    for (const Row& row : rows) {
        const CatalogueConfig& config = ZorvatConfigOf(row.configIndex);
        SCOPED_TRACE(config.name);
        StartCamera(config);
        Build(config, false);
        std::vector<std::string> names;
        for (const _OrvStParam& r : Records())
            names.push_back(r.name);
        const auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
        const auto defined = [&](const char* name) { return at(name) < static_cast<std::ptrdiff_t>(names.size()); };
        EXPECT_EQ(at("BitShift") + 1, at("ActiveTaps"));
        EXPECT_EQ(at("ActiveTaps") + 1, at(row.afterActiveTaps));
        EXPECT_EQ(at("TrStrobeDelay") + 1, at("TriggerGlitch"));
        EXPECT_EQ(at("TriggerGlitch") + 1, at("PulseGran"));
        for (const char* name : {"TapsMode", "TrStrobeDuration", "TDIMode", "TDINumber", "TDIDelay"})
            EXPECT_FALSE(defined(name)) << name;
        for (const char* name : {"SmearingMode", "HPCThreshold", "SlaveAOIMode", "Strobe2Position", "Out2Mapping"})
            EXPECT_TRUE(defined(name)) << name;
        for (const char* name : {"WDRMode", "Knee1Position", "Knee1Weight", "Knee2Position", "Knee2Weight"})
            EXPECT_EQ(defined(name), row.wdr) << name;
        if (row.wdr) {
            // The WDR group stands between the strobe and output groups.
            EXPECT_EQ(at("Strobe2Position") + 1, at("WDRMode"));
            EXPECT_EQ(at("Knee2Weight") + 1, at("Out1Polarity"));
            RegisterLink reg;
            ASSERT_EQ(GetRegisterLink(*link, "Knee1Position", reg), 0);
            EXPECT_EQ(reg.path, "CAMERA/CCDTIMINGREGISTERS/WDRGROUP/Knee1Position");
            EXPECT_EQ(reg.address, 0x0574);
            EXPECT_EQ(reg.mask, 0x7Fu);
        } else {
            EXPECT_EQ(at("Strobe2Position") + 1, at("Out1Polarity"));
        }
    }
}

// Example failure: the echo of a ruggedized camera's setting shows another map's text (the
// aerospace "Accept Any" for a trigger overlap of 2, "Off" for the 47 camera's fan mode 0, whose
// text its map hides) or no text where its map has one.
TEST_F(MachineVisionBuilderTest, RuggedizedEchoShowsTheTextsOfItsOwnMap)
{
    struct Row {
        int configIndex;
        const char* name;
        std::int64_t value;
        const char* echo;
    } rows[] = {
        {10, "FanMode", 0, "<fanMode 0 <Off>"},
        {10, "TriggerOverlap", 1, "<trgOlap 1 <Accept>"},
        {10, "WDRMode", 2, "<wdrMode 2 <Two Knees>"},
        {10, "Knee1Weight", 7, "<knee1Wght 7 <90>"},
        {11, "FanMode", 0, "<fanMode 0 <>"},
        {11, "FanMode", 2, "<fanMode 2 <Auto>"},
        {11, "TriggerOverlap", 2, "<trgOlap 2 <>"},
        {11, "TriggerOverlap", 3, "<trgOlap 3 <>"},
    };
    for (const Row& row : rows) {
        const CatalogueConfig& config = ZorvatConfigOf(row.configIndex);
        SCOPED_TRACE(std::string(config.name) + " " + row.name + " " + std::to_string(row.value));
        StartCamera(config);
        Build(config, false);
        link->SetEchoToTerminal(true);
        window.lines.clear();
        ASSERT_EQ(link->SetParamIntIfOnline(row.name, row.value, true, false), 0) << "within the limits";
        ASSERT_FALSE(window.lines.empty());
        EXPECT_EQ(window.lines.front(), row.echo);
    }
}

// Example failure: a builder depends on the map it was written for: the ruggedized 47 builder
// reading the aerospace map picks up its TDI registers, or the aerospace builder reading the
// ruggedized 47 map trips over the WDR group in place of its TDI group.
TEST_F(MachineVisionBuilderTest, BuildersReadTheOtherWideMapByTheirOwnLists)
{
    struct Row {
        const char* name;
        int configIndex;
        int mapId;
        int defined, linked;
        std::vector<std::string> absent;
    } rows[] = {
        {"ruggedized 47 builder, aerospace map", 11, kMap171, 296, 296,
         {"TDIMode", "TDINumber", "TDIDelay", "WDRMode", "TapsMode"}},
        {"aerospace builder, ruggedized 47 map", 8, kMap176, 302, 302,
         {"TDIMode", "TDINumber", "TDIDelay", "WDRMode", "Knee2Weight"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CatalogueConfig& config = ZorvatConfigOf(row.configIndex);
        StartCamera(config);
        // The catalogue from the configuration's own map, for the names.
        Build(config, false);
        std::vector<std::string> own;
        for (const _OrvStParam& r : Records())
            own.push_back(r.name);

        const CatalogueBuildResult result = config.build(*link, BuiltinMap(row.mapId), false);
        EXPECT_TRUE(result.built);
        EXPECT_EQ(result.defined, row.defined);
        EXPECT_EQ(result.linked, row.linked) << "only elements the map has are defined";
        std::vector<std::string> names;
        for (const _OrvStParam& r : Records())
            names.push_back(r.name);
        std::vector<std::string> expected;
        for (const std::string& name : own)
            if (std::find(row.absent.begin(), row.absent.end(), name) == row.absent.end())
                expected.push_back(name);
        EXPECT_EQ(names, expected);
    }
}

// Example failure: the aerospace 47 catalogue keeps a tap mode choice its camera lacks (the
// terminal would offer a write to the read-only taps word), loses the TDI registers, or the
// manufacturing defaults, written with a blank before the equals sign in its map, read as empty.
TEST_F(MachineVisionBuilderTest, Aerospace47ReadsItsTapsOnlyThroughActiveTaps)
{
    const CatalogueConfig& config = kZorvatConfigs[3];
    ASSERT_EQ(config.configIndex, 9);
    StartCamera(config);
    Build(config, false);
    const std::map<std::string, std::ptrdiff_t> place = Positions(Records());
    EXPECT_EQ(place.at("BitShift") + 1, place.at("ActiveTaps"));
    EXPECT_EQ(place.at("ActiveTaps") + 1, place.at("TBMode"));
    EXPECT_EQ(place.at("FanOnLevel") + 1, place.at("BrightnessLevel"));
    EXPECT_EQ(place.at("LumaLevel") + 1, place.at("AGCLimitMax"));
    EXPECT_EQ(place.at("Strobe2Position") + 1, place.at("TDIMode"));
    EXPECT_EQ(place.at("TDIDelay") + 1, place.at("Out1Polarity"));

    _OrvStParam taps;
    ASSERT_EQ(link->GetParamData("ActiveTaps", &taps), 0);
    EXPECT_EQ(taps.access, OrvParam_Read);
    RegisterLink reg;
    ASSERT_EQ(GetRegisterLink(*link, "ActiveTaps", reg), 0);
    EXPECT_EQ(reg.address, 0x0108);
    EXPECT_FALSE(reg.ws);

    std::string model;
    for (int i = 1; i <= 5; ++i) {
        _OrvStParam text;
        ASSERT_EQ(link->GetParamData(("MfgName" + std::to_string(i)).c_str(), &text), 0);
        model += text.defText;
    }
    EXPECT_EQ(model, "Not a Zorvat camera.");
}

// Example failure: a listener is registered for the wrong name or slot, a missing panel or dialog
// is dereferenced, or a window that is not the camera's main window gets notices.
TEST_F(MachineVisionBuilderTest, ListenersAreThePanelsOfSlotsFourAndTwoAndTheCameraInfoDialog)
{
    const std::vector<std::string> cameraInfoNames = {
        "Temperature", "MfgAPN1", "MfgAPN2",  "MfgAPN3",  "MfgAPN4",  "MfgASN1",  "MfgASN2",  "MfgCCD1",
        "MfgCCD2",     "MfgDate1", "MfgDate2", "MfgName1", "MfgName2", "MfgName3", "MfgName4", "MfgName5"};
    struct Row {
        const char* name;
        bool panels;
        bool dialog;
    } rows[] = {{"all windows", true, true}, {"first rebuild, no dialog yet", true, false}, {"no windows", false, false}};

    for (const CatalogueConfig& config : kZorvatConfigs) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(config.name) + ": " + row.name);
            StartCamera(config);
            std::array<NameRecorder, 9> panels;
            NameRecorder dialog;
            window.panels = {};
            for (std::size_t slot = 0; slot < panels.size(); ++slot)
                window.panels[slot] = row.panels ? &panels[slot] : nullptr;
            window.cameraInfo = row.dialog ? &dialog : nullptr;
            Build(config, false);

            // Change every parameter with notification; only registered listeners hear it.
            for (const _OrvStParam& r : Records()) {
                // The camera would change its line rate and hear nothing more.
                if (std::string_view(r.name) == "BaudRate")
                    continue;
                switch (r.type) {
                case OrvParam_Int: link->SetParamInt(r.name, 1, true); break;
                case OrvParam_Bool: link->SetParamBool(r.name, r.value.b.value == 0, true); break;
                case OrvParam_Float: link->SetParamFloat(r.name, r.min.d, true); break;
                case OrvParam_String: link->SetParamString(r.name, "AB", true); break;
                default: break;
                }
            }
            for (std::size_t slot = 0; slot < panels.size(); ++slot) {
                std::vector<std::string> expected;
                if (row.panels && slot == 4)
                    expected = {"Ping"};
                if (row.panels && slot == 2)
                    expected = {"FrameTime"};
                EXPECT_EQ(panels[slot].names, expected) << "slot " << slot;
            }
            EXPECT_EQ(dialog.names, row.dialog ? cameraInfoNames : std::vector<std::string>{});
        }
    }
}

// Example failure: debug mode widens a read-only register or a negative minimum, leaves the
// link's mask narrow (a debug value is cut on the wire), or takes the floats' normal range.
TEST_F(MachineVisionBuilderTest, DebugModeLimits)
{
    struct Row {
        const char* name;
        bool debug;
        double min, max;
        double step;          // floats only
        std::uint32_t mask;   // integers only: the link record's mask
    } rows[] = {
        {"DigitalGain", false, 0x0400, 0x0FFF, 0, 0x0FFF},
        {"DigitalGain", true, 0, 0xFFFFFF, 0, 0xFFFFFF},
        {"TriggerFrames", false, 1, 0xFFDD, 0, 0xFFFF},
        {"TriggerFrames", true, 0, 0xFFFFFF, 0, 0xFFFFFF},
        {"BaudRate", true, 0, 0xFFFFFF, 0, 0xFFFFFF},
        {"FrameTime", true, 1, 0xFFFFFF, 0, 0xFFFFFFFF},
        {"Temperature", true, 0, 0x3FF, 0, 0x3FF},
        {"AFE1_PAndD_LOC_CHA", true, 0, 0xFFFFFFFF, 0, 0xFFFFFFFF},
        {"AnalogGainLimits", false, 0.0, 0.0 /* the configuration's */, 0.035190616, 0},
        {"AnalogGainLimits", true, 0.0, 590400.53, 0.035190616, 0},
        {"AnalogOffsetLimits", true, 0.0, 16777215.0, 1.0, 0},
        {"DigitalGainLimits", false, 1.0, 4.0, 0.0009768805, 0},
        {"DigitalGainLimits", true, 0.0, 16389.334, 0.0009768805, 0},
        {"DigitalOffsetLimits", false, -512, 511, 1, 0},
        {"DigitalOffsetLimits", true, -512, 16776703, 1, 0},
    };
    for (const CatalogueConfig& config : kZorvatConfigs) {
        StartCamera(config);
        for (bool debug : {false, true}) {
            Build(config, debug);
            for (const Row& row : rows) {
                if (row.debug != debug)
                    continue;
                SCOPED_TRACE(std::string(config.name) + " " + row.name + (debug ? " debug" : ""));
                _OrvStParam r;
                ASSERT_EQ(link->GetParamData(row.name, &r), 0);
                if (r.type == OrvParam_Float) {
                    const bool gainScale = std::string_view(row.name) == "AnalogGainLimits" && !debug;
                    EXPECT_DOUBLE_EQ(r.min.d, row.min);
                    EXPECT_DOUBLE_EQ(r.max.d, gainScale ? config.analogGainMax : row.max);
                    EXPECT_DOUBLE_EQ(r.def.d, row.step);
                    EXPECT_EQ(r.access, OrvParam_Unk) << "limits elements carry no access";
                    RegisterLink reg;
                    if (GetRegisterLink(*link, row.name, reg) == 0) {
                        EXPECT_EQ(reg.mask, 0u) << "limits never reach the wire";
                    }
                } else {
                    EXPECT_EQ(r.min.n, static_cast<std::int64_t>(row.min));
                    EXPECT_EQ(r.max.n, static_cast<std::int64_t>(row.max));
                    RegisterLink reg;
                    ASSERT_EQ(GetRegisterLink(*link, row.name, reg), 0);
                    EXPECT_EQ(reg.mask, row.mask);
                }
            }
        }
    }
}

// Example failure: the end steps read the wrong registers, forget to switch binning off around
// the frame-size reads or to restore it, write when binning is already off, or take the tap
// counts from the wrong value lists.
TEST_F(MachineVisionBuilderTest, EndStepsFrames)
{
    struct Row {
        const char* name;
        std::uint32_t taps;      // word 0x609C: TapsMax bits 0-3, TapsAllowed bits 4-7
        std::uint32_t output;    // word 0x0108: ActiveTaps bits 0-2
        std::uint32_t binHorz;   // word 0x0204
        std::uint32_t binVert;   // word 0x0500
        std::vector<Bytes> frames;
        int allowed, active;
    } rows[] = {
        {"binning off", 0x21, 0x02, 0, 0,
         {ReadFrame(0x609C), ReadFrame(0x0108), ReadFrame(0x0204), ReadFrame(0x0500), ReadFrame(0x6070), ReadFrame(0x6070), ReadFrame(0x6074),
          ReadFrame(0x6074)},
         4, 4},
        {"allowed entry 0 means TapsMax", 0x05, 0x01, 1, 3,
         {ReadFrame(0x609C), ReadFrame(0x609C), ReadFrame(0x0108), ReadFrame(0x0204), ReadFrame(0x0500), WriteFrame(0x0204, 0), WriteFrame(0x0500, 0),
          ReadFrame(0x6070), ReadFrame(0x6070), ReadFrame(0x6074), ReadFrame(0x6074), WriteFrame(0x0204, 1), WriteFrame(0x0500, 3)},
         8, 2},
        {"vertical binning only, no value text", 0x71, 0x06, 0, 1,
         {ReadFrame(0x609C), ReadFrame(0x0108), ReadFrame(0x0204), ReadFrame(0x0500), WriteFrame(0x0500, 0), ReadFrame(0x6070), ReadFrame(0x6070),
          ReadFrame(0x6074), ReadFrame(0x6074), WriteFrame(0x0500, 1)},
         1, 1},
    };
    for (const CatalogueConfig& config : kZorvatConfigs) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(config.name) + ": " + row.name);
            StartCamera(config);
            emu.SetRegister(0x609C, row.taps);
            emu.SetRegister(0x0108, row.output);
            emu.SetRegister(0x0204, row.binHorz);
            emu.SetRegister(0x0500, row.binVert);
            emu.SetRegister(0x6070, (1920u << 16) | 16u);
            emu.SetRegister(0x6074, (1080u << 16) | 8u);
            Build(config, false);
            EXPECT_EQ(Frames(), row.frames);
            EXPECT_EQ(link->m_nTapsAllowed, row.allowed);
            EXPECT_EQ(link->m_nActiveTaps, row.active);
            EXPECT_EQ(link->m_nWidthMin, 16);
            EXPECT_EQ(link->m_nWidthMax, 1920);
            EXPECT_EQ(link->m_nHeightMin, 8);
            EXPECT_EQ(link->m_nHeightMax, 1080);
            EXPECT_EQ(link->m_nImageWidthMax, 1920);
            EXPECT_EQ(link->m_nImageHeightMax, 1080);
            EXPECT_EQ(emu.Register(0x0204), row.binHorz);
            EXPECT_EQ(emu.Register(0x0500), row.binVert);
        }
    }
}

// Example failure: a build without a register map or without a main window empties the store
// (the port selector's probe then finds no "Ping") or talks to the camera; a main window that
// offers no listeners is taken for no main window.
TEST_F(MachineVisionBuilderTest, NoMapOrNoWindowLeavesTheCatalogueAlone)
{
    for (const CatalogueConfig& config : kZorvatConfigs) {
        SCOPED_TRACE(config.name);
        StartCamera(config);
        Build(config, false);
        const std::size_t before = Records().size();
        emu.ClearFrames();
        EXPECT_FALSE(config.build(*link, nullptr, false).built);
        link->SetMainWindow(nullptr);
        EXPECT_FALSE(Build(config, false).built);
        link->SetMainWindow(&window);
        EXPECT_EQ(Records().size(), before);
        EXPECT_TRUE(Frames().empty());

        // A main window that offers no listeners (a plain host) still gets the whole catalogue.
        link->SetMainWindow(&host);
        EXPECT_EQ(Build(config, false).defined, static_cast<int>(before));
        link->SetMainWindow(&window);
    }
}

// Example failure: a map without the lens section or without one timing group stops the build,
// or a missing group hides the groups after it, or a missing section hides the next one.
TEST_F(MachineVisionBuilderTest, MissingSectionOrGroupIsSkippedAlone)
{
    struct Row {
        const char* name;
        const CatalogueConfig& config;
        const char* open;
        const char* close;
        int missing;
        const char* gone;
        const char* kept;
    } rows[] = {
        {"no LENSCONTROL", kZorvatConfigs[0], "<LENSCONTROL>", "</LENSCONTROL>", 28, "IrisStepValue", "MfgAPN1"},
        {"no WDRGROUP", kZorvatConfigs[0], "<WDRGROUP>", "</WDRGROUP>", 5, "Knee1Weight", "Out1Mapping"},
        {"aerospace, no TDIGROUP", kZorvatConfigs[2], "<TDIGROUP>", "</TDIGROUP>", 3, "TDIDelay", "Out2Mapping"},
        {"aerospace, no timing registers", kZorvatConfigs[2], "<CCDTIMINGREGISTERS>", "</CCDTIMINGREGISTERS>", 37,
         "BinVertMode", "RGSIdNumber"},
        {"aerospace 47, no LOCALSPACE", kZorvatConfigs[3], "<LOCALSPACE>", "</LOCALSPACE>", 21, "Ping", "ParamFlashControl"},
        {"aerospace 47, no TDIGROUP", kZorvatConfigs[3], "<TDIGROUP>", "</TDIGROUP>", 3, "TDIMode", "Out1Polarity"},
        {"ruggedized, no WDRGROUP", ZorvatConfigOf(10), "<WDRGROUP>", "</WDRGROUP>", 5, "Knee2Weight", "Out2Mapping"},
        // A map without the WDR group the 47 camera never visits gives the same catalogue.
        {"ruggedized 47, no WDRGROUP", ZorvatConfigOf(11), "<WDRGROUP>", "</WDRGROUP>", 0, "WDRMode", "Out2Mapping"},
        {"ruggedized 47, no TRIGGERGROUP", ZorvatConfigOf(11), "<TRIGGERGROUP>", "</TRIGGERGROUP>", 11,
         "TriggerGlitch", "PulseGran"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const BuiltinResource* resource = FindBuiltinResource(row.config.mapId);
        ASSERT_TRUE(resource);
        std::string cut(reinterpret_cast<const char*>(resource->data), resource->size);
        const std::size_t from = cut.find(row.open);
        const std::size_t to = cut.find(row.close);
        ASSERT_NE(from, std::string::npos);
        ASSERT_NE(to, std::string::npos);
        cut.erase(from, to + std::strlen(row.close) - from);
        RegisterMapPtr map = RegisterMap::LoadBuffer(cut.data(), cut.size(), row.name);
        ASSERT_TRUE(map);
        StartCamera(row.config);
        row.config.build(*link, map, false);
        EXPECT_EQ(Records().size(), static_cast<std::size_t>(row.config.Total() - row.missing));
        _OrvStParam r;
        EXPECT_NE(link->GetParamData(row.gone, &r), 0);
        EXPECT_EQ(link->GetParamData(row.kept, &r), 0);
        EXPECT_FALSE(Frames().empty()) << "the end steps still run";
    }
}
