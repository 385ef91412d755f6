#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// How both CPUs read numbers and data from a request: upper-case hexadecimal digits, and raw bytes
// packed 8-to-7. Pure functions, strict about what they take.
namespace vx9kr::sim {

// The value of upper-case hexadecimal digits (at most 8), or nothing when any is not one.
std::optional<std::uint32_t> ParseHexDigits(std::span<const std::uint8_t> digits);

// Unpacks `count` raw bytes from groups of a top-bit byte and up to seven 7-bit bytes. `packed`
// must hold exactly count + ceil(count / 7) bytes. Nothing when a top-bit byte has a bit set that
// no byte of its group uses.
std::optional<std::vector<std::uint8_t>> UnpackSevenBit(std::span<const std::uint8_t> packed,
                                                        std::size_t count);

}  // namespace vx9kr::sim
