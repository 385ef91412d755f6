#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The SysEx frame that both of the VX9KR's CPUs take and answer with: the same five-byte header,
// two code bytes, a payload and F7. What the code bytes and the payload mean is each CPU's own.
namespace vx9kr::sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;

// Every request and every reply begins with these five bytes.
inline constexpr std::array<std::uint8_t, 5> kDeviceHeader{0xF0, 0x43, 0x50, 0x03, 0x00};
// Header, two code bytes and the end byte.
inline constexpr std::size_t kDeviceFrameSize = kDeviceHeader.size() + 3;
inline constexpr std::size_t kDevicePayloadOffset = 7;

struct DeviceFrame {
    std::uint8_t first = 0;                 // byte 5
    std::uint8_t second = 0;                // byte 6
    std::span<const std::uint8_t> payload;  // from byte 7 up to, not including, the final F7
};

// The frame in `message`, or nothing when it is not one for this device: shorter than the frame,
// another header, or not closed by F7 as its last byte.
std::optional<DeviceFrame> ParseDeviceFrame(std::span<const std::uint8_t> message);

// Header, the two code bytes, the payload, F7.
Bytes MakeDeviceFrame(std::uint8_t first, std::uint8_t second,
                      std::span<const std::uint8_t> payload);

}  // namespace vx9kr::sim
