#include "sim/Outgoing.h"

namespace vx9kr::sim {

void SendAll(std::vector<Outgoing>& outgoing, midi::DeviceWire& wire) {
    for (Outgoing& out : outgoing) {
        if (!out.complete)
            wire.SendIncomplete(std::move(out.bytes));
        else if (out.delay > Clock::Duration(0))
            wire.SendLater(out.delay, std::move(out.bytes));
        else
            wire.Send(std::move(out.bytes));
    }
}

}  // namespace vx9kr::sim
