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

/// The registers of a fresh camera of configuration `configIndex` (any index, unknown ones
/// included: the camera reports it as its "CamCode"). Empty when no map is built in.
RegisterImage BuiltinCameraRegisters(std::int32_t configIndex);

}  // namespace emu
