#pragma once

#include <cstdint>
#include <vector>

#include "platform/Clock.h"
#include "platform/midi/DeviceModel.h"

namespace vx9kr::sim {

// A message that a simulated CPU has decided to send, with the fault that a test asked for.
// Decided under the model's lock, sent after it is released.
struct Outgoing {
    std::vector<std::uint8_t> bytes;
    bool complete = true;      // false: cut short, the host's input reports it incomplete
    Clock::Duration delay{0};  // the device starts sending it only after this
};

// Puts each message on the wire, in order.
void SendAll(std::vector<Outgoing>& outgoing, midi::DeviceWire& wire);

}  // namespace vx9kr::sim
