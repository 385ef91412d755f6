#include "platform/SystemClock.h"

namespace vx9kr {

SystemClock::SystemClock() : start_(std::chrono::steady_clock::now()) {}

Clock::Duration SystemClock::Now() const {
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - start_);
}

bool SystemClock::WaitUntil(std::unique_lock<std::mutex>& lock, Duration deadline,
                            const std::function<bool()>& ready, Role) {
    if (deadline == kForever) {
        changed_.wait(lock, ready);
        return true;
    }
    return changed_.wait_until(lock, start_ + deadline, ready);
}

void SystemClock::NotifyAll() {
    changed_.notify_all();
}

}  // namespace vx9kr
