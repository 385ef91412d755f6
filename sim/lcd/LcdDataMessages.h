#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "sim/lcd/LcdProtocol.h"

// How the device reads the two messages that carry a file: the download block and the file
// checksum. Pure functions over the payload bytes (from byte 7 up to the F7).
namespace vx9kr::sim {

// A download block as the device takes it, or the reason it refuses it.
struct LcdBlock {
    std::string error;  // empty when the block is good
    std::uint32_t offset = 0;
    Bytes bytes;
};

// `received` is how many bytes of the current file have arrived so far; a block must continue
// exactly there.
LcdBlock DecodeLcdBlock(std::span<const std::uint8_t> payload, std::size_t received);

// The file checksum message: 0, the file's size and its 16-bit sum, or the reason it is refused.
struct LcdFileChecksum {
    std::string error;
    std::uint32_t size = 0;
    std::uint16_t sum = 0;
};

LcdFileChecksum DecodeLcdFileChecksum(std::span<const std::uint8_t> payload);

// The 16-bit sum of a file's bytes, as the host computes it for the checksum message.
std::uint16_t LcdFileSum(std::span<const std::uint8_t> bytes);

}  // namespace vx9kr::sim
