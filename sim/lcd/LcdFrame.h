#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "sim/lcd/LcdProtocol.h"

namespace vx9kr::sim {

// One request as the device reads it off the wire.
struct LcdRequest {
    std::uint16_t command = 0;
    std::span<const std::uint8_t> payload;  // from byte 7 up to, not including, the final F7
};

// The request in `message`, or nothing when it is not one for this device: shorter than the
// frame, another header, or not closed by F7 as its last byte.
std::optional<LcdRequest> ParseLcdRequest(std::span<const std::uint8_t> message);

// The command code in bytes 5 and 6, or kLcdNoCommand when the message is too short to carry one.
inline constexpr std::uint32_t kLcdNoCommand = 0x10000;
std::uint32_t LcdCommandOf(std::span<const std::uint8_t> message);

// Header, the command with the reply bit set, the payload, F7.
Bytes MakeLcdReply(std::uint16_t command, std::span<const std::uint8_t> payload);
// A reply whose payload is a text and nothing else.
Bytes MakeLcdTextReply(std::uint16_t command, std::string_view text);
// A reply whose payload is one status byte followed by a text.
Bytes MakeLcdStatusReply(std::uint16_t command, std::uint8_t status, std::string_view text = {});

}  // namespace vx9kr::sim
