#include "emulator/BuiltinCamera.h"

#include "catalogues/ConfigurationTable.h"
#include "catalogues/RegisterMapLoader.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

namespace emu {
namespace {

constexpr const char* kConfigurationVariable = "CORVEL_EMU_CONFIG";

/// Each built-in map parsed once per process.
RegisterMapPtr CachedBuiltinMap(int resourceId)
{
    static std::mutex mutex;
    static std::map<int, RegisterMapPtr> maps;
    std::lock_guard lock(mutex);
    auto [it, added] = maps.try_emplace(resourceId);
    if (added)
        it->second = LoadBuiltinRegisterMap(resourceId);
    return it->second;
}

}  // namespace

RegisterMapPtr BuiltinMapForConfiguration(std::int32_t configIndex)
{
    if (const int id = ConfigurationRowFor(configIndex).builtinMapId; id != 0)
        if (RegisterMapPtr map = CachedBuiltinMap(id))
            return map;
    return CachedBuiltinMap(ConfigurationRowFor(kDefaultConfigurationRow).builtinMapId);
}

std::int32_t ConfigurationFromEnvironment()
{
    const char* text = std::getenv(kConfigurationVariable);
    if (!text || !*text)
        return kDefaultConfigurationRow;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX)
        return kDefaultConfigurationRow;
    return static_cast<std::int32_t>(value);
}

RegisterImage BuiltinCameraRegisters(std::int32_t configIndex)
{
    const RegisterMapPtr map = BuiltinMapForConfiguration(configIndex);
    return map ? CameraRegistersFor(*map, configIndex) : RegisterImage{};
}

}  // namespace emu
