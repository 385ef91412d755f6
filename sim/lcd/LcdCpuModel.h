#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/midi/DeviceModel.h"
#include "sim/Outgoing.h"
#include "sim/lcd/LcdCpu.h"
#include "sim/lcd/LcdCpuBehaviour.h"

namespace vx9kr::sim {

// One message as it arrived, before any corruption of the test's choosing.
struct LcdRequestRecord {
    std::uint32_t command = kLcdNoCommand;  // bytes 5 and 6; kLcdNoCommand when shorter
    std::size_t length = 0;
    Bytes bytes;
};

// The simulated LCD CPU behind the simulator service: the device of LcdCpu, with the faults of
// its LcdCpuBehaviour put between it and the wire, and what it received kept for the test.
// Receive runs on the service's thread, the read-back on the test's: one mutex guards it all,
// and replies go out after it is released, so a test may read back from inside a clock wait.
class LcdCpuModel final : public midi::DeviceModel {
  public:
    explicit LcdCpuModel(LcdCpuBehaviour behaviour = {});

    void Receive(std::span<const std::uint8_t> message, midi::DeviceWire& wire) override;

    // Changes knobs while the device runs; ordinals and counts go on from where they stand.
    // initialFiles has no effect here.
    void ChangeBehaviour(const std::function<void(LcdCpuBehaviour&)>& change);

    LcdFileStore::Files Files() const;
    bool InUpdateMode() const;
    LcdAdEraseState AdErase() const;
    std::vector<LcdRequestRecord> Requests() const;

  private:
    // All run with mutex_ held.
    std::vector<Outgoing> Answer(std::span<const std::uint8_t> message);
    std::optional<Bytes> RealReply(const LcdRequest& request);
    std::optional<Bytes> DeclaredRefusal(const LcdRequest& request);
    std::vector<Outgoing> StrayReplies(std::size_t ordinal, std::uint16_t command) const;
    void Corrupt(std::size_t ordinal, Bytes& reply) const;

    mutable std::mutex mutex_;
    LcdCpuBehaviour behaviour_;
    LcdCpu cpu_;
    std::vector<LcdRequestRecord> requests_;
    std::map<std::uint16_t, std::size_t> occurrences_;  // requests seen per command code
    std::size_t blocksExamined_ = 0;                    // download requests the device looked at
    std::map<std::size_t, int> resendsAsked_;           // per block ordinal
    std::optional<Bytes> lastReply_;                    // as the device sent it, undamaged
};

}  // namespace vx9kr::sim
