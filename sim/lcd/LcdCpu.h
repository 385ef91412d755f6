#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/lcd/LcdCpuBehaviour.h"
#include "sim/lcd/LcdFileStore.h"
#include "sim/lcd/LcdFrame.h"

namespace vx9kr::sim {

enum class LcdAdErasePhase {
    Idle,      // no erase since power-on
    Erasing,   // ERASE_AD accepted, progress below 100
    Finished,  // progress reached 100 and the AD firmware is gone
};

struct LcdAdEraseState {
    LcdAdErasePhase phase = LcdAdErasePhase::Idle;
    std::size_t polls = 0;      // AD_ERASE_STATUS answers since the erase began
    std::uint8_t progress = 0;  // the last percentage answered
};

// What the LCD CPU does with each request: its update mode, file store, the file being
// received, the write after a file, and the AD erase. No faults and no locking here; see
// LcdCpuModel.
class LcdCpu {
  public:
    explicit LcdCpu(const LcdFileStore::Files& initialFiles) : store_(initialFiles) {}

    // The reply, or nothing when the device keeps quiet (an ENTER_UPDATE without the access
    // string).
    std::optional<Bytes> Handle(const LcdRequest& request, const LcdCpuBehaviour& behaviour);

    bool InUpdateMode() const { return updateMode_; }
    const LcdFileStore& Store() const { return store_; }
    const LcdAdEraseState& AdErase() const { return adErase_; }

  private:
    struct Incoming {
        std::string name;
        Bytes bytes;
    };

    std::optional<Bytes> EnterUpdate(const LcdRequest& request);
    Bytes DeleteRename(const LcdRequest& request);
    Bytes SetFileName(const LcdRequest& request);
    Bytes Download(const LcdRequest& request);
    Bytes Checksum(const LcdRequest& request, const LcdCpuBehaviour& behaviour);
    Bytes Status();
    Bytes EraseAd();
    Bytes AdEraseStatus(const LcdCpuBehaviour& behaviour);
    // The device writes its flash after a file and after removing the directory.
    void BeginWrite(const LcdCpuBehaviour& behaviour);

    bool updateMode_ = false;
    LcdFileStore store_;
    std::optional<Incoming> incoming_;
    int busyAnswersLeft_ = 0;
    std::size_t writesBegun_ = 0;
    LcdAdEraseState adErase_;
};

}  // namespace vx9kr::sim
