// Fuzz target: arbitrary bytes loaded as a register map, then every element read the way the
// panels read them (limits, bit fields, flags, value lists by id and by position), and the
// catalogue built from the map with a fixed table of every type in sections and groups, in
// normal and in debug mode, over a link with no port (every camera read fails at once). A map
// that loads must never crash, throw or shift out of range, and no link the build makes may
// carry a field the coder cannot code.
#include "camera/CXmlNodeValue.h"
#include "camera/CameraLink.h"
#include "camera/ValueCoder.h"
#include "catalogues/CatalogueEngine.h"
#include "tests/camera/LinkFixture.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const CatalogueParam kLocalSpace[] = {
    {"CCD_VSUB", OrvParam_Int},  {"Ping", OrvParam_Bool},   {"MfgName1", OrvParam_String, ListenerRole::CameraInfoDialog()},
    {"Gain", OrvParam_Int},      {"Bad", OrvParam_Float},   {"CCD_ID", OrvParam_Int},
};
const CatalogueParam kStatus[] = {{"TapsMax", OrvParam_Int}, {"TapsAllowed", OrvParam_Int}, {"ActiveTaps", OrvParam_Int},
                                  {"HorFrameSizeMin", OrvParam_Int}, {"HorFrameSizeMax", OrvParam_Int},
                                  {"VerFrameSizeMin", OrvParam_Int}, {"VerFrameSizeMax", OrvParam_Int}};
const CatalogueParam kTiming[] = {{"BinHorzMode", OrvParam_Int}, {"BinVertMode", OrvParam_Int},
                                  {"AnalogGainLimits", OrvParam_Float}, {"Shutter", OrvParam_Bool}};
const CatalogueParam kTrigger[] = {{"TriggerType", OrvParam_Int}, {"TriggerEnable", OrvParam_Bool}};
const CatalogueParam kOutput[] = {{"OutputFormat", OrvParam_Int}, {"FrameTime", OrvParam_Int, ListenerRole::PanelOfSlot(2)}};
const CatalogueParam kMisc[] = {{"BaudRate", OrvParam_Int}, {"CameraType", OrvParam_String}};
const CatalogueGroup kGroups[] = {{"TRIGGERGROUP", kTrigger}, {"OUTPUTGROUP", kOutput}};
const CatalogueSection kSections[] = {
    {"LOCALSPACE", kLocalSpace},      {"CCDTIMINGSTATUS", kStatus}, {"CCDTIMINGREGISTERS", kTiming, kGroups},
    {"MISCELLANEOUS", kMisc},
};
const CatalogueTable kTable{"fuzz", kSections};

using corvel::test::FakeHost;
using corvel::test::MemorySettings;

void Build(const RegisterMapPtr& map, bool debugMode)
{
    static MemorySettings settings;
    static FakeHost host;
    CCameraLink link(&settings);
    link.SetMainWindow(&host);
    const CatalogueBuildResult result = BuildCatalogue(link, map, debugMode, kTable, nullptr);
    if (!result.built || !result.problems.empty() || result.linked > result.defined)
        std::abort();
    std::size_t count = 0;
    link.GetParametersList(nullptr, &count);
    if (count != static_cast<std::size_t>(result.defined))
        std::abort();
    const auto check = [&](std::span<const CatalogueParam> params) {
        for (const CatalogueParam& param : params) {
            RegisterLink reg;
            if (GetRegisterLink(link, param.name, reg) == 0 && reg.mask != 0 && (reg.shift < 0 || reg.shift > 31))
                std::abort();
        }
    };
    for (const CatalogueSection& section : kSections) {
        check(section.params);
        for (const CatalogueGroup& group : section.groups)
            check(group.params);
    }
    if (link.m_nActiveTaps < 1 || link.m_nTapsAllowed < 1)
        std::abort();
}

void ReadElement(const RegisterMap& map, const CXmlNodeValue& element, const std::string& path)
{
    const char* const children[] = {"address", "mask", "shift", "min", "max", "access", "poll", "page", "seq"};
    for (const char* child : children)
        (void)element.Select(child).AsInt64();
    (void)element.Select("@default").AsInt64();
    (void)element.Select("@default").AsDouble();
    (void)element.Select("@default").AsBool();
    (void)element.Select("@default").AsString();
    (void)element.Select("step").AsDouble();
    (void)element.Select("min_d").AsDouble();
    (void)element.Select("max_d").AsDouble();
    (void)element.Select("ws").AsBool();
    (void)element.Select("cmd").AsString();

    // The coder sees whatever the map says: the shift guard must hold for any value.
    const auto mask = static_cast<std::uint32_t>(element.Select("mask").AsInt64());
    const auto shift = static_cast<int>(element.Select("shift").AsInt64());
    const auto word = ValueCoder::EncodeInteger(element.Select("max").AsInt64(), mask, shift);
    if (word)
        (void)ValueCoder::DecodeField(*word, mask, shift);

    // Look-ups go by path from the document; only when the path leads back to this element
    // (no earlier namesake) must every listed entry be found at its position.
    const bool unique = map.Select(path).Node() == element.Node();
    int position = 1;
    for (const CXmlNodeValue& entry : element.SelectAll("val")) {
        const std::int64_t id = entry.Select("@id").AsInt64();
        std::int32_t value = 0;
        (void)GetEnumValueById(map, id, value, path);
        (void)GetValTextById(map, path, id);
        std::int64_t byPosition = 0;
        if (!GetValByPosition(map, path, position++, byPosition) && unique)
            std::abort();
    }
}

/// Reads every element of every section and group, within a work budget per input.
void ReadAll(const RegisterMap& map)
{
    const CXmlNodeValue root = map.Select("CAMERA");
    int budget = 2000;
    for (const CXmlNodeValue& section : root.SelectAll("*")) {
        for (const CXmlNodeValue& element : section.SelectAll("*")) {
            if (--budget < 0)
                return;
            const std::string path = "CAMERA/" + section.Name() + "/" + element.Name();
            ReadElement(map, element, path);
            for (const CXmlNodeValue& grouped : element.SelectAll("*[address]")) {
                if (--budget < 0)
                    return;
                ReadElement(map, grouped, path + "/" + grouped.Name());
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RegisterMapPtr map = RegisterMap::LoadBuffer(data, size, "fuzz");
    if (!map)
        return 0;
    ReadAll(*map);
    Build(map, false);
    Build(map, true);
    return 0;
}
