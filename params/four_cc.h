#pragma once
// Four-character codes, shared by the parameter table and the host interface.

#include <cstdint>

// A four-character code in reading order: FourCC("AtUp") == 0x41745570. Resources and preset
// files store it as a little-endian 32-bit value, so its characters stand reversed there.
constexpr std::uint32_t FourCC(const char (&code)[5]) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}
