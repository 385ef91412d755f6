#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/main/MainCpuArguments.h"
#include "sim/main/MainCpuBehaviour.h"
#include "sim/main/MainCpuFrame.h"

namespace vx9kr::sim {

// What the last operation that completed over a range left it as.
enum class MainCpuRangeState { Copied, Uninstalled, Installed };

struct MainCpuRangeRecord {
    MainCpuRange range;
    MainCpuRangeState state = MainCpuRangeState::Copied;

    friend bool operator==(const MainCpuRangeRecord&, const MainCpuRangeRecord&) = default;
};

// One message that the device sends in answer to a request.
struct MainCpuAnswer {
    Bytes bytes;
    // A progress report or an operation's final reply: the device has worked before sending it.
    bool operationStep = false;
};

// What the Main CPU's boot loader does with each request: selection, the range for the next
// operation, the running operation and its progress, the memory, and what each operation left
// its range as. No faults and no locking here; see MainCpuModel.
class MainCpu {
  public:
    explicit MainCpu(std::size_t memorySize) : memory_(memorySize, 0xFF) {}

    // The answer, or nothing when the device keeps quiet (a Progress Acknowledge with no
    // operation running). With `fail`, the device does nothing and answers 00, as
    // MainCpuFailure describes.
    std::optional<MainCpuAnswer> Handle(const MainRequest& request,
                                        const MainCpuBehaviour& behaviour, bool fail);

    const Bytes& Memory() const { return memory_; }
    bool Selected() const { return selected_; }
    // Ranges in order of start and size.
    std::vector<MainCpuRangeRecord> Ranges() const;

  private:
    struct Running {
        MainCpuRequest operation;
        MainCpuRange range;
        std::vector<std::uint32_t> reports;
        std::size_t reported = 0;
        bool succeeds = true;
    };

    MainCpuAnswer SelectDevice(const MainRequest& request, const MainCpuBehaviour& behaviour,
                               bool fail);
    MainCpuAnswer SetRange(const MainRequest& request, bool fail);
    MainCpuAnswer LoadData(const MainRequest& request, bool fail);
    MainCpuAnswer Verify(const MainRequest& request, bool fail);
    MainCpuAnswer Begin(MainCpuRequest operation, const MainCpuBehaviour& behaviour, bool fail);
    std::optional<MainCpuAnswer> Acknowledge(bool fail);
    // The next progress report of the running operation, or its final reply when none is left.
    MainCpuAnswer Step();

    Bytes memory_;
    bool selected_ = false;
    std::optional<MainCpuRange> range_;
    std::optional<Running> running_;
    std::map<MainCpuRange, MainCpuRangeState> ranges_;
};

}  // namespace vx9kr::sim
