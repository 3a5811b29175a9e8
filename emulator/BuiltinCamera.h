// An emulated camera of a configuration, started from the register map the program carries for
// that configuration: the map's defaults plus the identity (configuration index, model and
// serial texts) of the configuration. A configuration whose row of the configuration table has
// no built-in map starts from the default configuration's map, as the program would build it.
#pragma once

#include "camera/RegisterMap.h"
#include "emulator/RegisterImage.h"

#include <cstdint>

namespace emu {

/// The built-in register map of `configIndex`'s row, or of the default row (configuration 4)
/// when that row has none compiled in; null only when no map is built in at all. Each map is
/// parsed once per process.
RegisterMapPtr BuiltinMapForConfiguration(std::int32_t configIndex);

/// The configuration an emulated camera starts as when a program opens it: the environment
/// variable CORVEL_EMU_CONFIG (a whole number), else 4.
std::int32_t ConfigurationFromEnvironment();

/// What a running camera of a family reports: its frame size, frame time and exposure (µs)
/// and its temperature (°C).
struct LiveState {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frameTimeUs = 0;
    std::uint32_t exposureUs = 0;
    double temperatureC = 0.0;
    /// A cooled sensor: its cooler's reading and set-point, raw as the camera reports them
    /// (0: no cooler).
    std::uint32_t coolerRaw = 0;
};

/// A believable running state for a camera of configuration `configIndex`'s family.
LiveState LiveStateForConfiguration(std::int32_t configIndex);

/// Puts the state into the registers `map` names for it ("ImageWidth", "ImageHeight" and the
/// frame-size maxima, "FrameTime", "Exposure", "Temperature" in quarter degrees, and for a
/// cooled sensor "TEC_Temperature" and "UserTECValue").
void ApplyLiveState(RegisterImage& image, const RegisterMap& map, const LiveState& state);

/// The registers of a camera of configuration `configIndex` as a program meets it: the map's
/// defaults, the identity and a running state of its family (any index, unknown ones
/// included: the camera reports it as its "CamCode"). Empty when no map is built in.
RegisterImage BuiltinCameraRegisters(std::int32_t configIndex);

}  // namespace emu
