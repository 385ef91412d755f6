#pragma once

#include "platform/midi/DeviceModel.h"

namespace vx9kr::midi {

// Sends every message straight back: the simplest device, for proving the service itself.
class LoopbackModel final : public DeviceModel {
  public:
    void Receive(std::span<const std::uint8_t> message, DeviceWire& wire) override;
};

}  // namespace vx9kr::midi
