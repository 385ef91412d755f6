#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Clock.h"

namespace vx9kr::midi {

// How a simulated device talks back to the host. Messages go behind whatever is still on the wire.
class DeviceWire {
  public:
    virtual ~DeviceWire() = default;
    virtual void Send(std::vector<std::uint8_t> message) = 0;
    // A message that is cut short on its way: the host's input reports it as incomplete.
    virtual void SendIncomplete(std::vector<std::uint8_t> bytes) = 0;
    // A message that the device starts to send only after `delay`, as a slow device answers.
    // A wire that keeps no time sends it at once.
    virtual void SendLater(Clock::Duration delay, std::vector<std::uint8_t> message) {
        (void)delay;
        Send(std::move(message));
    }
};

// A simulated device behind the simulator service's ports.
class DeviceModel {
  public:
    virtual ~DeviceModel() = default;
    // Each message that the host sent, once it has crossed the wire, on the service's thread.
    virtual void Receive(std::span<const std::uint8_t> message, DeviceWire& wire) = 0;
};

}  // namespace vx9kr::midi
