// The command terminal's tests run on the emulated camera with a handful of parameters of the
// default configuration, defined from its register map with the camera link's own callbacks:
// integers, a boolean, a floating-point value and a text, two short commands on one register
// address, and short commands that begin with one another.
#pragma once

#include "camera/CXmlNodeValue.h"
#include "camera/ParamDefinition.h"
#include "camera/ProtocolFixture.h"
#include "catalogues/RegisterMapLoader.h"
#include "support/TempDir.h"

#include <string>

namespace corvel::test {

/// Defines parameter `name` from its element under `section` as a catalogue build does: register
/// link, access, and for an integer its limits from the element; the limits of a floating-point
/// value as given.
inline void DefineFromMap(CCameraLink& link, const RegisterMap& map, const std::string& section, const char* name,
                          OrvParamType type, double min = 0, double step = 0, double max = 0)
{
    const std::string path = section + "/" + name;
    const CXmlNodeValue node = map.Select(section);
    const CXmlNodeValue element = node.Select(name);
    ASSERT_FALSE(element.IsNull()) << path;
    const auto access = static_cast<std::int32_t>(element.Select("access").AsInt64());
    int result = -1;
    switch (type) {
    case OrvParam_Int:
        result = AddIntParam(link, node, name, path, access, element.Select("min").AsInt64(),
                             element.Select("max").AsInt64(), element.Select("mask").AsInt64(),
                             element.Select("@default").AsInt64(), false, nullptr);
        break;
    case OrvParam_Bool:
        result = AddBoolParam(link, node, name, path, access, element.Select("@default").AsBool(), nullptr);
        break;
    case OrvParam_Float:
        result = AddFloatParam(link, node, name, path, access, min, max, step);
        break;
    case OrvParam_String:
        result = AddStringParam(link, node, name, path, access, element.Select("@default").AsString(), nullptr);
        break;
    default:
        break;
    }
    ASSERT_EQ(result, 0) << path;
}

/// The emulated camera with "Ping" (defined by the base fixture, command "ping") followed by
/// TapsMode and ActiveTaps (one address, "tapsMode" before "taps"), TriggerFrames and
/// TriggerMode ("trgFrm" before "trgMode"), AECEnable (boolean), DigitalGain (floating point,
/// 1/1024 per step) and MfgName1 (text).
class TerminalOverCamera : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        map = LoadRegisterMapForRow(4, exeFolder.Path(), nullptr);
        ASSERT_TRUE(map);
        link->m_pRegisterMap = map;
        const std::string data = "CAMERA/DATAREGISTERS";
        const std::string trigger = "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP";
        DefineFromMap(*link, *map, data, "TapsMode", OrvParam_Int);
        DefineFromMap(*link, *map, data, "ActiveTaps", OrvParam_Int);
        DefineFromMap(*link, *map, trigger, "TriggerFrames", OrvParam_Int);
        DefineFromMap(*link, *map, trigger, "TriggerMode", OrvParam_Int);
        DefineFromMap(*link, *map, data, "AECEnable", OrvParam_Bool);
        DefineFromMap(*link, *map, data, "DigitalGain", OrvParam_Float, 0.0, 1.0 / 1024, 4.0);
        DefineFromMap(*link, *map, "CAMERA/CAMERAMFGINFO", "MfgName1", OrvParam_String);
        emu.ClearFrames();
    }

    TempDir exeFolder;
    RegisterMapPtr map;
};

}  // namespace corvel::test
