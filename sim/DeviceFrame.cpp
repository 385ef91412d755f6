#include "sim/DeviceFrame.h"

#include <algorithm>

namespace vx9kr::sim {

std::optional<DeviceFrame> ParseDeviceFrame(std::span<const std::uint8_t> message) {
    if (message.size() < kDeviceFrameSize || message.back() != kSysExEnd)
        return std::nullopt;
    if (!std::equal(kDeviceHeader.begin(), kDeviceHeader.end(), message.begin()))
        return std::nullopt;
    return DeviceFrame{message[5], message[6],
                       message.subspan(kDevicePayloadOffset, message.size() - kDeviceFrameSize)};
}

Bytes MakeDeviceFrame(std::uint8_t first, std::uint8_t second,
                      std::span<const std::uint8_t> payload) {
    Bytes frame(kDeviceHeader.begin(), kDeviceHeader.end());
    frame.reserve(kDeviceFrameSize + payload.size());
    frame.push_back(first);
    frame.push_back(second);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(kSysExEnd);
    return frame;
}

}  // namespace vx9kr::sim
