// Parameters defined the way the catalogue builders define them: a record with the camera
// link's four callbacks, linked to its register. Shared by the tests and the benchmark.
#pragma once

#include "camera/CameraLink.h"

#include <cstring>

namespace corvel::test {

/// Adds the parameter and links its register; 0, or the store's result.
inline int DefineLinkedParam(CCameraLink& link, const char* name, OrvParamType type, const RegisterLink& reg,
                             double min = 0, double step = 0, double max = 0, OrvParamAccess access = OrvParam_ReadWrite)
{
    _OrvStParam p{};
    p.type = type;
    p.access = access;
    std::strncpy(p.name, name, sizeof p.name - 1);
    p.read = CCameraLink::ParamReadCallback;
    p.echo = CCameraLink::ParamEchoCallback;
    p.changing = CCameraLink::ParamChangingCallback;
    p.write = CCameraLink::ParamWriteCallback;
    if (type == OrvParam_Float) {
        p.min.d = min;
        p.def.d = step;
        p.max.d = max;
    }
    if (const int result = link.AddParam(p); result != 0)
        return result;
    return LinkRegister(link, name, reg);
}

inline RegisterLink MakeLink(std::uint16_t address, std::uint32_t mask, int shift = 0, const char* cmd = "",
                             const char* path = "")
{
    RegisterLink link;
    link.address = address;
    link.mask = mask;
    link.shift = shift;
    link.cmd = cmd;
    link.path = path;
    return link;
}

}  // namespace corvel::test
