#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/midi/DeviceModel.h"
#include "sim/Outgoing.h"
#include "sim/main/MainCpu.h"
#include "sim/main/MainCpuBehaviour.h"

namespace vx9kr::sim {

// One message as it arrived.
struct MainCpuRequestRecord {
    std::size_t ordinal = 0;
    // The request that bytes 5 and 6 name; nothing for a message that is not a request the
    // boot loader knows.
    std::optional<MainCpuRequest> request;
    Bytes bytes;
};

// The simulated Main CPU boot loader behind the simulator service: the device of MainCpu, with
// the faults of its MainCpuBehaviour put between it and the wire, and what it received kept for
// the test. Receive runs on the service's thread, the read-back on the test's: one mutex guards
// it all, and replies go out after it is released, so a test may read back from inside a clock
// wait.
class MainCpuModel final : public midi::DeviceModel {
  public:
    explicit MainCpuModel(MainCpuBehaviour behaviour = {});

    void Receive(std::span<const std::uint8_t> message, midi::DeviceWire& wire) override;

    // Changes knobs while the device runs; ordinals and counts go on from where they stand.
    // memorySize has no effect here.
    void ChangeBehaviour(const std::function<void(MainCpuBehaviour&)>& change);

    Bytes Memory() const;
    bool Selected() const;
    std::vector<MainCpuRangeRecord> Ranges() const;
    std::vector<MainCpuRequestRecord> Requests() const;

  private:
    // All run with mutex_ held.
    std::vector<Outgoing> Answer(std::span<const std::uint8_t> message);
    bool Failing(MainCpuRequest request);
    void Unasked(std::size_t ordinal, MainCpuUnaskedWhen when,
                 std::vector<Outgoing>& outgoing) const;
    Outgoing Reply(std::size_t ordinal, MainCpuAnswer answer) const;

    mutable std::mutex mutex_;
    MainCpuBehaviour behaviour_;
    MainCpu cpu_;
    std::vector<MainCpuRequestRecord> requests_;
    std::map<MainCpuRequest, std::size_t> occurrences_;
    std::optional<Bytes> lastReply_;  // as the device meant it, before any fault
};

}  // namespace vx9kr::sim
