// The Kelmir camera's gain stage and cooler in numbers, without Qt: the cooler's raw reading
// against degrees Celsius (a 101-row table, one row per whole degree from -20 to 80 °C, the
// raw value falling as the temperature rises), the electron-multiplying gain presets (a coarse
// choice picks one of six preset registers per channel; a preset word holds the channel above
// the 12-bit fine value) and the sensor's twelve ADC read-outs.
#pragma once

#include "panels/PanelNames.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelmir_gain {

// ---- cooler ----

inline constexpr int kTecRows = 101;
inline constexpr int kTecMinCelsius = -20;
inline constexpr int kTecMaxCelsius = 80;
/// The raw reading of each whole degree from -20 °C (row 0) to 80 °C (row 100).
extern const int kTecRaw[kTecRows];

/// The raw reading in degrees Celsius: at or above the -20 °C row -20, at or below the 80 °C row
/// 80, between two rows on the line through them (single precision, as the camera's tools do).
float TecRawToCelsius(std::int64_t raw);

/// A user set-point snapped to the table: raw held within the 30 °C..-20 °C rows, then the first
/// row whose raw value is at least that (no interpolation).
struct TecRow {
    int celsius;
    int raw;
};
TecRow SnapUserTec(std::int64_t raw);

/// The raw value of a whole degree; none outside -20..80 °C.
std::optional<int> CelsiusToTecRaw(int celsius);

/// The user set-point's shown range.
inline constexpr int kUserTecMinCelsius = -20;
inline constexpr int kUserTecMaxCelsius = 30;

// ---- electron-multiplying gain ----

inline constexpr int kChannels = panel_names::kelmir::kChannelCount;
inline constexpr int kCoarseChoices = panel_names::kelmir::kPresetCount;  ///< 1x, 5x, 10x, 15x, 20x, User

/// The preset register of a coarse choice and channel (0 = A .. 3 = D); none for a choice
/// outside 0..5 (an unexpected register content) or a channel outside 0..3.
const char* PresetName(int choice, int channel);
/// A preset register word: the channel in bits 12 and up, the fine value in bits 0-11.
std::uint32_t PresetWord(int channel, std::int64_t fine);
/// The fine value a preset word holds.
int FineOf(std::int64_t word);

// ---- ADC read-outs (supervisor mode) ----

inline constexpr int kAdcChannels = 12;
/// The channel's name as the panel labels it.
const char* AdcLabel(int channel);
/// The channel's reading as the panel shows it (volts, the sensor current, or °C).
std::string FormatAdc(int channel, std::int64_t raw);
/// ADCAddrSel with its bits 8-11 replaced by the channel.
std::int64_t AdcSelectWord(std::int64_t current, int channel);

}  // namespace kelmir_gain
