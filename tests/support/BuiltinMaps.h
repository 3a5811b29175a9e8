// The built-in register maps, each loaded once per test program.
#pragma once

#include "camera/RegisterMap.h"
#include "catalogues/RegisterMapLoader.h"
#include "resources/BuiltinResources.h"

#include <map>

namespace corvel::test {

inline constexpr int kMap170 = 170;  ///< configuration 4
inline constexpr int kMap174 = 174;  ///< configuration 5
inline constexpr int kMap171 = 171;  ///< configuration 8
inline constexpr int kMap173 = 173;  ///< configuration 7
inline constexpr int kMap175 = 175;  ///< configuration 9
inline constexpr int kMap172 = 172;  ///< configuration 10
inline constexpr int kMap176 = 176;  ///< configuration 11

inline const RegisterMapPtr& BuiltinMap(int id)
{
    static std::map<int, RegisterMapPtr> loaded;
    RegisterMapPtr& map = loaded[id];
    if (!map)
        map = LoadBuiltinRegisterMap(id);
    return map;
}

}  // namespace corvel::test
