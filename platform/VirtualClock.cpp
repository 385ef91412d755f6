#include "platform/VirtualClock.h"

#include <algorithm>

namespace vx9kr {

bool VirtualClock::WaitUntil(std::unique_lock<std::mutex>& lock, Duration deadline,
                             const std::function<bool()>& ready, Role role) {
    Waiter self{deadline, &ready, role};
    const auto position = waiters_.insert(waiters_.end(), &self);
    if (role == Role::Background)
        --backgroundWorkers_;
    bool isReady = false;
    for (;;) {
        isReady = ready();
        if (isReady || Now() >= deadline)
            break;
        AdvanceIfIdle();
        isReady = ready();
        if (isReady || Now() >= deadline)
            break;
        changed_.wait(lock);
    }
    waiters_.erase(position);
    if (role == Role::Background)
        ++backgroundWorkers_;
    // The others look again: with this waiter gone, time may be free to move for them.
    changed_.notify_all();
    return isReady;
}

void VirtualClock::NotifyAll() {
    changed_.notify_all();
}

void VirtualClock::BeginBackgroundWork() {
    std::lock_guard lock(Mutex());
    ++backgroundWorkers_;
}

void VirtualClock::EndBackgroundWork() {
    std::lock_guard lock(Mutex());
    --backgroundWorkers_;
    AdvanceIfIdle();
}

void VirtualClock::Advance(Duration by) {
    std::lock_guard lock(Mutex());
    SetNow(Now() + by);
}

void VirtualClock::AdvanceIfIdle() {
    if (backgroundWorkers_ > 0)
        return;
    bool someoneWantsTime = false;
    Duration earliest = kForever;
    for (const Waiter* waiter : waiters_) {
        // A waiter that can go on now must be let go before time moves.
        if (waiter->deadline <= Now() || (*waiter->ready)())
            return;
        someoneWantsTime = someoneWantsTime || waiter->role == Role::Foreground;
        earliest = std::min(earliest, waiter->deadline);
    }
    if (!someoneWantsTime || earliest == kForever)
        return;
    SetNow(earliest);
}

void VirtualClock::SetNow(Duration now) {
    now_.store(now.count());
    changed_.notify_all();
}

}  // namespace vx9kr
