// The built-in register maps of the machine-vision configurations, loaded once per test program.
#pragma once

#include "camera/RegisterMap.h"
#include "catalogues/RegisterMapLoader.h"
#include "resources/BuiltinResources.h"

namespace corvel::test {

inline constexpr int kMap170 = 170;  ///< configuration 4
inline constexpr int kMap174 = 174;  ///< configuration 5

inline const RegisterMapPtr& BuiltinMap(int id)
{
    static const RegisterMapPtr map170 = LoadBuiltinRegisterMap(kMap170);
    static const RegisterMapPtr map174 = LoadBuiltinRegisterMap(kMap174);
    return id == kMap174 ? map174 : map170;
}

}  // namespace corvel::test
