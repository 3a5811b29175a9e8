// The built-in register maps of the machine-vision configurations, loaded once per test program.
#pragma once

#include "camera/RegisterMap.h"
#include "resources/BuiltinResources.h"

#include <string>

namespace corvel::test {

inline constexpr int kMap170 = 170;  ///< configuration 4
inline constexpr int kMap174 = 174;  ///< configuration 5

inline RegisterMapPtr LoadBuiltinMap(int id)
{
    const BuiltinResource* resource = FindBuiltinResource(id);
    if (!resource)
        return nullptr;
    return RegisterMap::LoadBuffer(resource->data, resource->size, "res://corvel/#" + std::to_string(id));
}

inline const RegisterMapPtr& BuiltinMap(int id)
{
    static const RegisterMapPtr map170 = LoadBuiltinMap(kMap170);
    static const RegisterMapPtr map174 = LoadBuiltinMap(kMap174);
    return id == kMap174 ? map174 : map170;
}

}  // namespace corvel::test
