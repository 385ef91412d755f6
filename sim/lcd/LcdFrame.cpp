#include "sim/lcd/LcdFrame.h"

namespace vx9kr::sim {

std::optional<LcdRequest> ParseLcdRequest(std::span<const std::uint8_t> message) {
    const std::optional<DeviceFrame> frame = ParseDeviceFrame(message);
    if (!frame)
        return std::nullopt;
    return LcdRequest{static_cast<std::uint16_t>(frame->first << 8 | frame->second),
                      frame->payload};
}

std::uint32_t LcdCommandOf(std::span<const std::uint8_t> message) {
    if (message.size() < kDevicePayloadOffset)
        return kLcdNoCommand;
    return static_cast<std::uint32_t>(message[5] << 8 | message[6]);
}

Bytes MakeLcdReply(std::uint16_t command, std::span<const std::uint8_t> payload) {
    return MakeDeviceFrame(static_cast<std::uint8_t>(command >> 8),
                           static_cast<std::uint8_t>((command & 0xFF) | kLcdReplyBit), payload);
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
