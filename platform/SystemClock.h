#pragma once

#include <condition_variable>

#include "platform/Clock.h"

namespace vx9kr {

// Real monotonic time, for the programs.
class SystemClock final : public Clock {
  public:
    SystemClock();

    Duration Now() const override;
    bool WaitUntil(std::unique_lock<std::mutex>& lock, Duration deadline,
                   const std::function<bool()>& ready, Role role) override;
    void NotifyAll() override;

  private:
    std::chrono::steady_clock::time_point start_;
    std::condition_variable changed_;
};

}  // namespace vx9kr
