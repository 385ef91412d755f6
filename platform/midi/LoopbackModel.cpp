#include "platform/midi/LoopbackModel.h"

namespace vx9kr::midi {

void LoopbackModel::Receive(std::span<const std::uint8_t> message, DeviceWire& wire) {
    wire.Send({message.begin(), message.end()});
}

}  // namespace vx9kr::midi
