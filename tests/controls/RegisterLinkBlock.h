// A register link record as the store keeps it beside a parameter defined from the register
// map (308 bytes), built by hand for tests that bind controls to parameters.
#pragma once

#include "controls/ParamBinding.h"
#include "orvmisc/OrvParamStorage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace corvel::test {

struct RegisterLinkBlock {
    std::uint16_t address = 0;
    std::int32_t mask = 0;
    std::int32_t shift = 0;
    std::int32_t pollMinusOne = -1;
    std::int32_t page = -1;
    std::int32_t sequence = 0;
    char cmd[20] = {};
    char path[260] = {};
    std::uint8_t workspace = 0;
};
static_assert(sizeof(RegisterLinkBlock) == kRegisterLinkSize);
static_assert(offsetof(RegisterLinkBlock, path) == kRegisterLinkPathOffset);

/// Adds an integer parameter with limits, and a link record naming its map path when `path`
/// is given.
inline void AddIntWithLink(OrvParamStorage& store, const char* name, const std::string& path, std::int64_t min = 0,
                           std::int64_t max = 100, std::int64_t value = 0, const RegisterLinkBlock* base = nullptr)
{
    _OrvStParam p{};
    p.type = OrvParam_Int;
    p.access = OrvParam_ReadWrite;
    std::strncpy(p.name, name, sizeof p.name - 1);
    p.min.n = min;
    p.max.n = max;
    p.value.n = value;
    store.AddParam(p);
    if (path.empty())
        return;
    RegisterLinkBlock link = base ? *base : RegisterLinkBlock{};
    std::strncpy(link.path, path.c_str(), sizeof link.path - 1);
    store.LinkParamData(name, &link, sizeof link);
}

}  // namespace corvel::test
