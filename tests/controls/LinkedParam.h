// Parameters added to a store by hand, with the register link that a parameter defined from
// the register map carries, for tests that bind controls to parameters.
#pragma once

#include "camera/RegisterLink.h"
#include "orvmisc/OrvParamStorage.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace corvel::test {

/// Adds an integer parameter with limits, and a register link naming its map path when `path`
/// is given.
inline void AddIntWithLink(OrvParamStorage& store, const char* name, const std::string& path, std::int64_t min = 0,
                           std::int64_t max = 100, std::int64_t value = 0)
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
    RegisterLink link;
    link.path = path;
    LinkRegister(store, name, link);
}

}  // namespace corvel::test
