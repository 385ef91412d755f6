#pragma once

#include <cstddef>
#include <cstdint>

namespace vx9kr {

// Both of the VX9KR's processors carry raw bytes in SysEx messages 8-to-7: groups of up to seven
// bytes behind a byte of their top bits (the first byte's in bit 6, the seventh's in bit 0; unused
// low bits 0), each byte then with bit 7 cleared.

// Bytes that `count` raw bytes pack into: count + ceil(count / 7).
constexpr std::size_t PackedLength(std::size_t count) {
    return count + (count + 6) / 7;
}

// Packs `count` bytes from `source` into `dest`, which holds PackedLength(count) bytes; returns
// the bytes written.
std::size_t PackSevenBit(const std::uint8_t* source, std::size_t count, std::uint8_t* dest);

// The 7-bit checksum that brings the sum of `count` bytes to a multiple of 128.
std::uint8_t SevenBitChecksum(const std::uint8_t* bytes, std::size_t count);

}  // namespace vx9kr
