// The camera's frames as the tests expect them on the wire, written out byte by byte here
// rather than taken from the program's frame builder, so a fault in the builder shows.
#pragma once

#include <cstdint>
#include <vector>

namespace corvel::test {

using Bytes = std::vector<std::uint8_t>;

/// The camera's read frame for a register.
inline Bytes ReadFrame(std::uint16_t address)
{
    return {0x52, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

/// The camera's write frame: address, then the word most significant byte first.
inline Bytes WriteFrame(std::uint16_t address, std::uint32_t word)
{
    Bytes frame = {0x57, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<std::uint8_t>(word >> shift));
    return frame;
}

}  // namespace corvel::test
