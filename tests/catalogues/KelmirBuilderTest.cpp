// The Kelmir catalogue (configuration 7) against its built-in map and the emulated camera: the
// table is the map in the builder's own order, a build defines what the table lists (the twelve
// names without element included), debug mode widens what it should, the end steps take the
// allowed tap count raw, and every writable integer reaches its register.
#include "catalogues/BuildCatalogKelmir.h"
#include "catalogues/KelmirCatalogue.h"

#include "CatalogueWalk.h"
#include "MachineVisionFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

// Its sweep and gain scale are checked by this file's own tests, not through the shared fields.
const CatalogueConfig kKelmir = {"Kelmir", BuildCatalogKelmir, KelmirCatalogue, kMap173, 7, 225, 0, 0.0,
                                 {"HorFrameSizeOffset", "VerFrameSizeOffset", "FrameTimeMax"}};

const std::vector<std::string> kKelmirGroups = {"TRIGGERGROUP",   "PULSEGROUP",  "EXPOSUREGROUP",
                                                "FRAMETIMEGROUP", "STROBEGROUP", "OUTPUTGROUP"};

const char* const kNoElement[] = {"AGCCurrentE", "AGCCurrentF", "AGCCurrentG", "AGCCurrentH",
                                  "AGCCurrentI", "AGCCurrentJ", "AGCCurrentK", "AGCCurrentL",
                                  "AGCCurrentM", "AGCCurrentN", "AGCCurrentO", "AGCCurrentP"};

std::vector<std::string> Paths(const std::vector<Placed>& placed)
{
    std::vector<std::string> paths;
    for (const Placed& p : placed)
        paths.push_back(p.path);
    return paths;
}

/// The built-in map with `from` up to and including `to` cut out.
RegisterMapPtr MapWithout(const char* from, const char* to, const char* name)
{
    const BuiltinResource* resource = FindBuiltinResource(kMap173);
    if (!resource)
        return nullptr;
    std::string text(reinterpret_cast<const char*>(resource->data), resource->size);
    const std::size_t a = text.find(from);
    const std::size_t b = text.find(to);
    if (a == std::string::npos || b == std::string::npos)
        return nullptr;
    text.erase(a, b + std::strlen(to) - a);
    return RegisterMap::LoadBuffer(text.data(), text.size(), name);
}

}  // namespace

// Example failure: a name is misspelt or dropped, a map-only status field is defined after all,
// TapsMode is defined before ActiveTaps, or the channel gains E to P land elsewhere than after
// AGCCurrentD.
TEST(KelmirCatalogue, IsTheMapInTheBuildersOrder)
{
    const RegisterMapPtr& map = BuiltinMap(kMap173);
    ASSERT_TRUE(map);
    std::vector<std::string> expected;
    for (const std::string& path : MapPaths(*map, kKelmirGroups)) {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (name == "HorFrameSizeOffset" || name == "VerFrameSizeOffset" || name == "FrameTimeMax")
            continue;
        expected.push_back(path);
        if (name == "AGCCurrentD")
            for (const char* missing : kNoElement)
                expected.push_back(std::string("CAMERA/CCDTIMINGSTATUS/") + missing);
    }
    const auto tapsMode = std::find(expected.begin(), expected.end(), "CAMERA/DATAREGISTERS/TapsMode");
    ASSERT_NE(tapsMode, expected.end());
    ASSERT_EQ(*(tapsMode + 1), "CAMERA/DATAREGISTERS/ActiveTaps");
    std::iter_swap(tapsMode, tapsMode + 1);
    EXPECT_EQ(Paths(Flatten(KelmirCatalogue())), expected);
    EXPECT_EQ(KelmirCatalogue().allowedTaps, AllowedTapsRule::RawTapsMax);
}

// Example failure: a limits element is defined as a float where it is an integer, or one of the
// nineteen listened-to parameters gets another window (or none).
TEST(KelmirCatalogue, TypesAndListeners)
{
    std::map<std::int32_t, int> types;
    std::map<std::string, std::string> listened;
    for (const Placed& p : Flatten(KelmirCatalogue())) {
        ++types[p.def.type];
        if (p.def.listener.kind == ListenerRole::Panel)
            listened[p.def.name] = "slot " + std::to_string(p.def.listener.slot);
        else if (p.def.listener.kind == ListenerRole::CameraInfo)
            listened[p.def.name] = "info";
    }
    EXPECT_EQ(types, (std::map<std::int32_t, int>{
                         {OrvParam_Int, 225}, {OrvParam_Bool, 7}, {OrvParam_Float, 4}, {OrvParam_String, 15}}));
    std::map<std::string, std::string> expected = {
        {"Ping", "slot 4"}, {"FrameTime", "slot 2"}, {"Temperature", "info"}, {"TEC_Temperature", "info"}};
    for (const char* text : {"MfgAPN1", "MfgAPN2", "MfgAPN3", "MfgAPN4", "MfgASN1", "MfgASN2", "MfgCCD1", "MfgCCD2",
                             "MfgDate1", "MfgDate2", "MfgName1", "MfgName2", "MfgName3", "MfgName4", "MfgName5"})
        expected[text] = "info";
    EXPECT_EQ(listened, expected);
}

class KelmirBuilderTest : public CatalogueLinkTest {};

// Example failure: a build defines the names without element with a link (their callbacks would
// then read register 0), skips them, or gives them the values of a neighbour; a second build adds
// to the first.
TEST_F(KelmirBuilderTest, DefinesEveryListedNameAndLinksThoseTheMapHas)
{
    StartCamera(kKelmir);
    std::vector<std::string> expected;
    for (const Placed& p : Flatten(KelmirCatalogue()))
        expected.push_back(p.def.name);
    for (bool debug : {false, true, false}) {
        SCOPED_TRACE(debug ? "debug" : "normal");
        const CatalogueBuildResult result = Build(kKelmir, debug);
        EXPECT_TRUE(result.built);
        EXPECT_TRUE(result.problems.empty());
        EXPECT_EQ(result.defined, 251);
        EXPECT_EQ(result.linked, 251 - 12);
        std::vector<std::string> names;
        for (const _OrvStParam& r : Records())
            names.push_back(r.name);
        EXPECT_EQ(names, expected);
        for (const char* name : kNoElement) {
            SCOPED_TRACE(name);
            _OrvStParam r;
            ASSERT_EQ(link->GetParamData(name, &r), 0);
            EXPECT_EQ(r.type, OrvParam_Int);
            EXPECT_EQ(r.access, OrvParam_Unk);
            EXPECT_EQ(r.def.n, 0);
            EXPECT_EQ(r.min.n, 0);
            EXPECT_EQ(r.max.n, 0);
            RegisterLink reg;
            EXPECT_NE(GetRegisterLink(*link, name, reg), 0) << "no register link";
        }
        _OrvStParam r;
        for (const char* absent : {"HorFrameSizeOffset", "VerFrameSizeOffset", "FrameTimeMax", "ESDEventProtection",
                                   "CanonActiveMount"})
            EXPECT_NE(link->GetParamData(absent, &r), 0) << absent;
    }
}

// Example failure: debug mode widens a read-only register or an integer limits element, leaves
// the link's mask narrow, or takes the floats' normal range; a limits element reaches the wire.
TEST_F(KelmirBuilderTest, LimitsInBothModes)
{
    struct Row {
        const char* name;
        bool debug;
        double min, max;
        double step;          // floats only
        std::uint32_t mask;   // integers only: the link record's mask
        std::uint16_t address;
    } rows[] = {
        {"DPCTestMode", false, 0, 0xFF, 0, 0xFF, 0x6018},
        {"DPCTestMode", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x6018},
        {"CCD_ID", true, 0, 0x0FFF, 0, 0x0FFF, 0x6000},
        {"Supervisor", true, 0, 0xFFFFFFFF, 0, 0xFFFFFFFF, 0x6014},
        {"BootSelector", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x6060},
        {"FrameTime", true, 1, 0xFFFFFF, 0, 0xFFFFFFFF, 0x6080},
        {"ExposureMin", true, 1, 0xFFFFFF, 0, 0xFF, 0x6084},
        {"BootFrom", false, 0, 0x07, 0, 0x07, 0x5000},
        {"BootFrom", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x5000},
        {"GainA1", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x0004},
        {"DigitalGain", false, 0x0400, 0x0FFF, 0, 0x0FFF, 0x0180},
        {"DigitalGain", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x0180},
        {"ActiveTaps", true, 0, 0x07, 0, 0x07, 0x0108},
        {"EMGainUserD", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x036C},
        {"TriggerFrames", true, 0, 0xFFFFFF, 0, 0xFFFFFF, 0x051C},
        {"BaudRate", false, 0, 0x07, 0, 0x07, 0x0604},
        {"RGSIdNumber", true, 0, 0xFFFFFFFF, 0, 0xFFFFFFFF, 0x0614},
        {"EMGainLimits", false, 0x06A4, 0x0FFF, 0, 0, 0},
        {"EMGainLimits", true, 0x06A4, 0x0FFF, 0, 0, 0},
        {"UserTECValueLimits", true, -20, 30, 0, 0, 0},
        {"AnalogGainLimits", false, 0.0, 36.0, 0.035190616, 0, 0},
        {"AnalogGainLimits", true, 0.0, 590400.53, 0.035190616, 0, 0},
        {"AnalogOffsetLimits", true, 0.0, 16777215.0, 1.0, 0, 0},
        {"DigitalGainLimits", true, 0.0, 16389.334, 0.0009768805, 0, 0},
        {"DigitalOffsetLimits", false, -512, 511, 1, 0, 0},
    };
    StartCamera(kKelmir);
    for (bool debug : {false, true}) {
        Build(kKelmir, debug);
        for (const Row& row : rows) {
            if (row.debug != debug)
                continue;
            SCOPED_TRACE(std::string(row.name) + (debug ? " debug" : ""));
            _OrvStParam r;
            ASSERT_EQ(link->GetParamData(row.name, &r), 0);
            RegisterLink reg;
            ASSERT_EQ(GetRegisterLink(*link, row.name, reg), 0);
            EXPECT_EQ(reg.address, row.address);
            EXPECT_EQ(reg.mask, row.mask);
            if (r.type == OrvParam_Float) {
                EXPECT_DOUBLE_EQ(r.min.d, row.min);
                EXPECT_DOUBLE_EQ(r.max.d, row.max);
                EXPECT_DOUBLE_EQ(r.def.d, row.step);
            } else {
                ASSERT_EQ(r.type, OrvParam_Int);
                EXPECT_EQ(r.min.n, static_cast<std::int64_t>(row.min));
                EXPECT_EQ(r.max.n, static_cast<std::int64_t>(row.max));
            }
            if (row.address == 0) {
                EXPECT_EQ(r.access, OrvParam_Unk) << "limits elements carry no access";
            }
        }
    }
    // The texts keep their defaults, blanks included.
    _OrvStParam r;
    std::string model;
    for (const char* text : {"MfgName1", "MfgName2", "MfgName3", "MfgName4", "MfgName5"}) {
        ASSERT_EQ(link->GetParamData(text, &r), 0);
        model += r.defText;
    }
    EXPECT_EQ(model, "Not a Zorvat camera.");
}

// Example failure: the allowed tap count is looked up in a value list (TapsMax has none, so it
// would always be 1), the active count ignores the ActiveTaps texts, or the binning is not
// switched off around the frame-size reads.
TEST_F(KelmirBuilderTest, EndStepsTakeTheRawTapsMax)
{
    struct Row {
        const char* name;
        std::uint32_t taps;      // word 0x609C
        std::uint32_t output;    // word 0x0108
        std::uint32_t binVert;   // word 0x0500
        std::vector<Bytes> frames;
        int allowed, active;
    } rows[] = {
        {"two taps of a possible two", 0x342, 0x01, 0,
         {ReadFrame(0x609C), ReadFrame(0x0108), ReadFrame(0x0204), ReadFrame(0x0500), ReadFrame(0x6070),
          ReadFrame(0x6070), ReadFrame(0x6074), ReadFrame(0x6074)},
         2, 2},
        {"raw zero, no text for the active value", 0x40, 0x06, 3,
         {ReadFrame(0x609C), ReadFrame(0x0108), ReadFrame(0x0204), ReadFrame(0x0500), WriteFrame(0x0500, 0),
          ReadFrame(0x6070), ReadFrame(0x6070), ReadFrame(0x6074), ReadFrame(0x6074), WriteFrame(0x0500, 3)},
         0, 1},
        {"raw four, sixteen active", 0x04, 0x04, 0,
         {ReadFrame(0x609C), ReadFrame(0x0108), ReadFrame(0x0204), ReadFrame(0x0500), ReadFrame(0x6070),
          ReadFrame(0x6070), ReadFrame(0x6074), ReadFrame(0x6074)},
         4, 16},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StartCamera(kKelmir);
        emu.SetRegister(0x609C, row.taps);
        emu.SetRegister(0x0108, row.output);
        emu.SetRegister(0x0500, row.binVert);
        emu.SetRegister(0x6070, (1004u << 16) | 16u);
        emu.SetRegister(0x6074, (1002u << 16) | 8u);
        Build(kKelmir, false);
        EXPECT_EQ(Frames(), row.frames);
        EXPECT_EQ(link->m_nTapsAllowed, row.allowed);
        EXPECT_EQ(link->m_nActiveTaps, row.active);
        EXPECT_EQ(link->m_nWidthMin, 16);
        EXPECT_EQ(link->m_nWidthMax, 1004);
        EXPECT_EQ(link->m_nHeightMin, 8);
        EXPECT_EQ(link->m_nHeightMax, 1002);
        EXPECT_EQ(emu.Register(0x0500), row.binVert);
    }
}

// Example failure: the cooler temperature or the manufacturing texts notify no dialog, the image
// panel misses the ping notices, or a missing window is dereferenced.
TEST_F(KelmirBuilderTest, ListenersAreTheImageAndAcquisitionPanelsAndTheCameraInfoDialog)
{
    const std::vector<std::string> dialogNames = {
        "Temperature", "TEC_Temperature", "MfgAPN1",  "MfgAPN2",  "MfgAPN3",  "MfgAPN4",  "MfgASN1",
        "MfgASN2",     "MfgCCD1",         "MfgCCD2",  "MfgDate1", "MfgDate2", "MfgName1", "MfgName2",
        "MfgName3",    "MfgName4",        "MfgName5"};
    for (bool dialogExists : {true, false}) {
        SCOPED_TRACE(dialogExists ? "dialog" : "first rebuild, no dialog yet");
        StartCamera(kKelmir);
        std::array<NameRecorder, 9> panels;
        NameRecorder dialog;
        for (std::size_t slot = 0; slot < panels.size(); ++slot)
            window.panels[slot] = &panels[slot];
        window.cameraInfo = dialogExists ? &dialog : nullptr;
        Build(kKelmir, false);
        for (const _OrvStParam& r : Records()) {
            if (std::string_view(r.name) == "BaudRate")
                continue;  // the camera would change its line rate
            switch (r.type) {
            case OrvParam_Int: link->SetParamInt(r.name, 1, true); break;
            case OrvParam_Bool: link->SetParamBool(r.name, r.value.b.value == 0, true); break;
            case OrvParam_Float: link->SetParamFloat(r.name, r.min.d, true); break;
            case OrvParam_String: link->SetParamString(r.name, "AB", true); break;
            default: break;
            }
        }
        for (std::size_t slot = 0; slot < panels.size(); ++slot) {
            const std::vector<std::string> expected = slot == 4   ? std::vector<std::string>{"Ping"}
                                                      : slot == 2 ? std::vector<std::string>{"FrameTime"}
                                                                  : std::vector<std::string>{};
            EXPECT_EQ(panels[slot].names, expected) << "slot " << slot;
        }
        EXPECT_EQ(dialog.names, dialogExists ? dialogNames : std::vector<std::string>{});
        window.panels = {};
        window.cameraInfo = nullptr;
    }
}

// Example failure: a missing section or group stops the build or hides what follows it, the
// cooler registers are looked for inside a group, or a build without a map empties the store.
TEST_F(KelmirBuilderTest, MissingPartsOfTheMapAreSkippedAlone)
{
    struct Row {
        const char* name;
        const char* from;
        const char* to;
        int defined;
        std::vector<const char*> gone;
        std::vector<const char*> kept;
    } rows[] = {
        {"no CCDTIMINGSTATUS", "<CCDTIMINGSTATUS>", "</CCDTIMINGSTATUS>", 251 - 42, {"HorFrameSizeMin", "AGCCurrentE"},
         {"MfgAPN1", "BinVertMode"}},
        {"no CAMERAMFGINFO", "<CAMERAMFGINFO>", "</CAMERAMFGINFO>", 251 - 15, {"MfgAPN1"}, {"BootFrom"}},
        {"no TRIGGERGROUP", "<TRIGGERGROUP>", "</TRIGGERGROUP>", 251 - 12, {"AcquisitionMode"},
         {"UserTECValue", "UserTECValueLimits", "PulseGran", "Out2Mapping"}},
        {"no CCDTIMINGREGISTERS", "<CCDTIMINGREGISTERS>", "</CCDTIMINGREGISTERS>", 251 - 37,
         {"BinVertMode", "UserTECValueLimits", "Out1Mapping"}, {"FlashImageValue"}},
        {"no EMGainUserC", "<EMGainUserC ", "</EMGainUserC>", 251, {}, {"EMGainUserC", "EMGainUserD"}},
    };
    StartCamera(kKelmir);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegisterMapPtr map = MapWithout(row.from, row.to, row.name);
        ASSERT_TRUE(map);
        emu.ClearFrames();
        EXPECT_EQ(BuildCatalogKelmir(*link, map, false).defined, row.defined);
        _OrvStParam r;
        for (const char* name : row.gone)
            EXPECT_NE(link->GetParamData(name, &r), 0) << name;
        for (const char* name : row.kept)
            EXPECT_EQ(link->GetParamData(name, &r), 0) << name;
        EXPECT_FALSE(Frames().empty()) << "the end steps still run";
    }
    // An element left out of a replacement map is still defined, without its register.
    RegisterLink reg;
    EXPECT_NE(GetRegisterLink(*link, "EMGainUserC", reg), 0);
    EXPECT_EQ(GetRegisterLink(*link, "EMGainUserD", reg), 0);

    // Without a map nothing changes and nothing is sent.
    Build(kKelmir, false);
    const std::size_t before = Records().size();
    emu.ClearFrames();
    EXPECT_FALSE(BuildCatalogKelmir(*link, nullptr, false).built);
    EXPECT_EQ(Records().size(), before);
    EXPECT_TRUE(Frames().empty());
}

// Example failure: the cooler registers are found only where the built-in map places them, so a
// replacement map that writes them after the groups loses them.
TEST_F(KelmirBuilderTest, CoolerRegistersAreFoundWhereverTheyStandInTheSection)
{
    const BuiltinResource* resource = FindBuiltinResource(kMap173);
    ASSERT_TRUE(resource);
    std::string text(reinterpret_cast<const char*>(resource->data), resource->size);
    const std::size_t from = text.find("\t\t<!--User set-point of the thermo-electric cooler");
    const std::size_t to = text.find("\t\t<!--Pulse group-->");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    const std::string cooler = text.substr(from, to - from);
    text.erase(from, to - from);
    text.insert(text.find("\t</CCDTIMINGREGISTERS>"), cooler);
    RegisterMapPtr moved = RegisterMap::LoadBuffer(text.data(), text.size(), "moved");
    ASSERT_TRUE(moved);
    StartCamera(kKelmir);
    Build(kKelmir, false);
    std::vector<std::string> normal;
    for (const _OrvStParam& r : Records())
        normal.push_back(r.name);
    EXPECT_EQ(BuildCatalogKelmir(*link, moved, false).linked, 251 - 12);
    std::vector<std::string> names;
    for (const _OrvStParam& r : Records())
        names.push_back(r.name);
    EXPECT_EQ(names, normal);
    RegisterLink reg;
    ASSERT_EQ(GetRegisterLink(*link, "UserTECValue", reg), 0);
    EXPECT_EQ(reg.address, 0x05D0);
}

// Example failure: a field lands in the wrong register or at the wrong bits, so the camera
// receives another value than the panel set, or the read back decodes another field.
TEST_F(KelmirBuilderTest, EveryWritableIntegerReachesItsRegisterAndReadsBack)
{
    StartCamera(kKelmir);
    const RegisterMap& map = *BuiltinMap(kMap173);
    Build(kKelmir, false);
    int swept = 0;
    std::set<std::uint16_t> addresses;
    SweepWritableIntegers(map, swept, addresses);
    ASSERT_FALSE(HasFatalFailure());
    // Every writable integer of the catalogue; DPCTestMode and ADCAddrSel share one word.
    EXPECT_EQ(swept, 170);
    EXPECT_EQ(addresses.size(), static_cast<std::size_t>(swept - 1));
}
