#include "emulator/BuiltinCamera.h"

#include "catalogues/ConfigurationTable.h"
#include "catalogues/RegisterMapLoader.h"
#include "camera/CXmlNodeValue.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

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

LiveState LiveStateForConfiguration(std::int32_t configIndex)
{
    switch (configIndex) {
    case 7:  // cooled infrared core, its cooler held at 20 degrees (raw 1518 on its curve)
        return {640, 512, 33333, 2000, 24.0, 1518};
    case 8:
    case 9:  // aerospace
        return {1920, 1080, 16667, 5000, 35.5};
    case 10:
    case 11:  // ruggedized
        return {1280, 1024, 20000, 8000, 41.0};
    default:  // machine vision, and every camera started from its map
        return {2048, 2048, 33333, 10000, 38.25};
    }
}

void ApplyLiveState(RegisterImage& image, const RegisterMap& map, const LiveState& state)
{
    // A field without bits in this camera is left out.
    auto put = [&](const char* name, std::int64_t value) { PutNamedField(image, map, name, value); };
    put("HorFrameSizeMax", state.width);
    put("VerFrameSizeMax", state.height);
    put("ImageWidth", state.width);
    put("ImageHeight", state.height);
    put("FrameTime", state.frameTimeUs);
    put("Exposure", state.exposureUs);
    // Quarter degrees in ten bits, two's complement.
    put("Temperature", static_cast<std::int64_t>(std::lround(state.temperatureC * 4.0)) & 0x3FF);
    if (state.coolerRaw != 0) {
        put("TEC_Temperature", state.coolerRaw);
        put("UserTECValue", state.coolerRaw);
    }
}

RegisterImage BuiltinCameraRegisters(std::int32_t configIndex)
{
    const RegisterMapPtr map = BuiltinMapForConfiguration(configIndex);
    if (!map)
        return RegisterImage{};
    RegisterImage image = CameraRegistersFor(*map, configIndex);
    ApplyLiveState(image, *map, LiveStateForConfiguration(configIndex));
    return image;
}

}  // namespace emu
