#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sim/main/MainCpuProtocol.h"

// How the boot loader reads the arguments that carry numbers and data. Pure functions over the
// argument bytes (from byte 7 up to the F7); each gives nothing for arguments it refuses.
namespace vx9kr::sim {

// A stretch of the boot loader's memory.
struct MainCpuRange {
    std::uint32_t start = 0;
    std::uint32_t size = 0;

    friend auto operator<=>(const MainCpuRange&, const MainCpuRange&) = default;
};

// Set Range: start and size, 8 digits each, lying inside a memory of `memorySize` bytes.
std::optional<MainCpuRange> DecodeMainRange(std::span<const std::uint8_t> arguments,
                                            std::size_t memorySize);

struct MainVerify {
    MainCpuRange range;
    std::uint16_t sum = 0;
};

// Verify: address and size as Set Range has them, then the 16-bit sum as 4 digits.
std::optional<MainVerify> DecodeMainVerify(std::span<const std::uint8_t> arguments,
                                           std::size_t memorySize);

struct MainLoad {
    std::uint32_t address = 0;
    Bytes bytes;
};

// Load Data: count (4 digits, 1 to 0800), address (8 digits), the count's bytes packed 8-to-7 and
// the 7-bit checksum that brings every argument byte's sum to a multiple of 128; the bytes must
// fit in a memory of `memorySize` bytes.
std::optional<MainLoad> DecodeMainLoad(std::span<const std::uint8_t> arguments,
                                       std::size_t memorySize);

}  // namespace vx9kr::sim
