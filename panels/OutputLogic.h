// Rules of the output panel that hold no window: the pulse generator's time base and how its
// period and width travel between microseconds and register counts, the texts of the delay and
// frequency read-outs, and the pulse-count word with its continuous bit. No Qt here.
#pragma once

#include <cstdint>
#include <string>

namespace output {

/// The largest time base the panel takes (10^9 µs); the register maps offer 0 to 3.
inline constexpr int kMaxGranularity = 9;

/// The step of time base g in microseconds: 10^g, with g held within 0..kMaxGranularity (a
/// negative base would be a step below 1 µs, which the register counts cannot express).
std::int64_t StepOf(int g);

/// Microseconds shown for a register count.
std::int64_t ToMicroseconds(std::int64_t count, std::int64_t step);
/// The register count written for a time: µs div step, but 1 whenever that is 1 or less.
std::int64_t RegisterOf(std::int64_t us, std::int64_t step);
/// An entered time held to the time base: the nearest multiple of step (halves up), never
/// less than step.
std::int64_t Snap(std::int64_t us, std::int64_t step);
/// A time after the time base changed from oldStep to newStep: the register count stays,
/// the microseconds follow the new step.
std::int64_t Rescale(std::int64_t us, std::int64_t oldStep, std::int64_t newStep);

/// The delay read-out: period - width, as a plain number.
std::string DelayText(std::int64_t periodUs, std::int64_t widthUs);
/// The frequency read-out in Hz with three decimals ("769.231"); "0.000" for a period of 0 or less.
std::string FrequencyText(std::int64_t periodUs);

/// Bit 16 of PulseNumber: the generator runs until stopped.
inline constexpr std::int64_t kContinuous = 0x10000;
inline constexpr int kMaxPulseCount = 0xFFFF;

/// The pulse-count word: the count in bits 0-15, the continuous flag (0 or kContinuous).
std::int64_t PulseNumberOf(int count, std::int64_t continuous);
/// The count (bits 0-15) and the continuous flag of a pulse-count word.
int PulseCountOf(std::int64_t word);
std::int64_t ContinuousOf(std::int64_t word);

}  // namespace output
