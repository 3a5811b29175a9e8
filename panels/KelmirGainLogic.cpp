#include "panels/KelmirGainLogic.h"

#include "panels/PanelNames.h"

#include <algorithm>
#include <cstdio>

namespace kelmir_gain {

const int kTecRaw[kTecRows] = {
    4064, 4004, 3944, 3882, 3820, 3755, 3691, 3625, 3559, 3491,  // -20 .. -11
    3423, 3354, 3286, 3216, 3147, 3077, 3007, 2937, 2868, 2798,  // -10 .. -1
    2729, 2661, 2592, 2525, 2457, 2391, 2325, 2261, 2197, 2135,  //   0 .. 9
    2072, 2012, 1952, 1894, 1836, 1780, 1725, 1672, 1619, 1568,  //  10 .. 19
    1518, 1470, 1422, 1376, 1331, 1288, 1245, 1204, 1164, 1125,  //  20 .. 29
    1087, 1055, 1024, 992,  961,  929,  898,  866,  835,  803,   //  30 .. 39
    772,  749,  727,  704,  682,  659,  637,  614,  592,  569,   //  40 .. 49
    547,  531,  516,  500,  484,  469,  453,  437,  421,  406,   //  50 .. 59
    390,  379,  368,  357,  346,  336,  325,  314,  303,  292,   //  60 .. 69
    281,  273,  266,  258,  251,  243,  235,  228,  220,  213,   //  70 .. 79
    205,                                                         //  80
};

namespace {

/// The row (index into kTecRaw) with the smallest raw value at least raw: the warmest such row.
/// raw must not exceed the -20 °C row.
int FirstRowAtLeast(std::int64_t raw)
{
    int row = kTecRows - 1;
    while (row > 0 && kTecRaw[row] < raw)
        --row;
    return row;
}

constexpr int kCoolestRaw = 4064;  // -20 °C
constexpr int kUserWarmestRaw = 1087;  // 30 °C

}  // namespace

float TecRawToCelsius(std::int64_t raw)
{
    raw = std::min<std::int64_t>(raw, kCoolestRaw);
    const int row = FirstRowAtLeast(raw);
    const float t1 = static_cast<float>(kTecMinCelsius + row);
    if (row == kTecRows - 1 || kTecRaw[row] == raw)
        return t1;
    // Between this row and the next warmer one (smaller raw value).
    const float r1 = static_cast<float>(kTecRaw[row]);
    const float r0 = static_cast<float>(kTecRaw[row + 1]);
    const float t0 = t1 + 1.0f;
    const float slope = (t1 - t0) / (r1 - r0);
    return static_cast<float>(raw) * slope - slope * r0 + t0;
}

TecRow SnapUserTec(std::int64_t raw)
{
    raw = std::clamp<std::int64_t>(raw, kUserWarmestRaw, kCoolestRaw);
    const int row = FirstRowAtLeast(raw);
    return {kTecMinCelsius + row, kTecRaw[row]};
}

std::optional<int> CelsiusToTecRaw(int celsius)
{
    if (celsius < kTecMinCelsius || celsius > kTecMaxCelsius)
        return std::nullopt;
    return kTecRaw[celsius - kTecMinCelsius];
}

namespace {

constexpr std::uint32_t kFineMask = 0xFFF;

}  // namespace

const char* PresetName(int choice, int channel)
{
    if (choice < 0 || choice >= kCoarseChoices || channel < 0 || channel >= kChannels)
        return nullptr;
    return panel_names::kelmir::kPresets[choice][channel];
}

std::uint32_t PresetWord(int channel, std::int64_t fine)
{
    // A fine value wider than its 12 bits must not spill into the channel field.
    return (static_cast<std::uint32_t>(channel) << 12) | (static_cast<std::uint32_t>(fine) & kFineMask);
}

int FineOf(std::int64_t word)
{
    return static_cast<int>(static_cast<std::uint64_t>(word) & kFineMask);
}

namespace {

enum class AdcKind { Scaled, Celsius, Negative };

struct AdcChannel {
    const char* label;
    AdcKind kind;
    float factor;
};

const AdcChannel kAdc[kAdcChannels] = {
    {"ccd_vdd1", AdcKind::Scaled, 0.009765625f},  {"ccd_vdd2", AdcKind::Scaled, 0.00244140625f},
    {"vsub_ref", AdcKind::Scaled, 0.009765625f},  {"vsub_act", AdcKind::Scaled, 0.0048828125f},
    {"ccd_id", AdcKind::Scaled, 0.0018310546875f}, {"ccd_temp", AdcKind::Celsius, 0.0f},
    {"ccd_esd", AdcKind::Negative, 0.0f},         {"ccd_vccd", AdcKind::Negative, 0.0f},
    {"ccd_sht", AdcKind::Scaled, 0.01953125f},    {"ccd_hccd", AdcKind::Scaled, 0.00244140625f},
    {"main_emv", AdcKind::Scaled, 0.0048828125f}, {"emccd_hv", AdcKind::Scaled, 0.009765625f},
};

std::string Printf(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

const char* AdcLabel(int channel)
{
    return channel >= 0 && channel < kAdcChannels ? kAdc[channel].label : "";
}

std::string FormatAdc(int channel, std::int64_t raw)
{
    if (channel < 0 || channel >= kAdcChannels)
        return {};
    const AdcChannel& adc = kAdc[channel];
    const float value = static_cast<float>(raw);
    switch (adc.kind) {
    case AdcKind::Celsius:
        return Printf("%.1f\xC2\xB0" "C", TecRawToCelsius(raw));
    case AdcKind::Negative:
        // The negative supplies, measured down from 24.279 V.
        return Printf("%.3f", -(24.279f - value * 12.855f * 0.0006103515625f));
    case AdcKind::Scaled:
        break;
    }
    return Printf("%.3f", value * adc.factor);
}

std::int64_t AdcSelectWord(std::int64_t current, int channel)
{
    return (current & ~std::int64_t{0xF00}) | ((static_cast<std::int64_t>(channel) & 0xF) << 8);
}

}  // namespace kelmir_gain
