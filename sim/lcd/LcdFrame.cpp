#include "sim/lcd/LcdFrame.h"

#include <algorithm>

namespace vx9kr::sim {

std::optional<LcdRequest> ParseLcdRequest(std::span<const std::uint8_t> message) {
    if (message.size() < kLcdFrameSize || message.back() != kSysExEnd)
        return std::nullopt;
    if (!std::equal(kLcdHeader.begin(), kLcdHeader.end(), message.begin()))
        return std::nullopt;
    LcdRequest request;
    request.command = static_cast<std::uint16_t>(message[5] << 8 | message[6]);
    request.payload = message.subspan(kLcdPayloadOffset, message.size() - kLcdFrameSize);
    return request;
}

std::uint32_t LcdCommandOf(std::span<const std::uint8_t> message) {
    if (message.size() < kLcdPayloadOffset)
        return kLcdNoCommand;
    return static_cast<std::uint32_t>(message[5] << 8 | message[6]);
}

Bytes MakeLcdReply(std::uint16_t command, std::span<const std::uint8_t> payload) {
    Bytes reply(kLcdHeader.begin(), kLcdHeader.end());
    reply.reserve(kLcdFrameSize + payload.size());
    reply.push_back(static_cast<std::uint8_t>(command >> 8));
    reply.push_back(static_cast<std::uint8_t>((command & 0xFF) | kLcdReplyBit));
    reply.insert(reply.end(), payload.begin(), payload.end());
    reply.push_back(kSysExEnd);
    return reply;
}

Bytes MakeLcdTextReply(std::uint16_t command, std::string_view text) {
    return MakeLcdReply(command, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

Bytes MakeLcdStatusReply(std::uint16_t command, std::uint8_t status, std::string_view text) {
    Bytes payload{status};
    payload.insert(payload.end(), text.begin(), text.end());
    return MakeLcdReply(command, payload);
}

}  // namespace vx9kr::sim
