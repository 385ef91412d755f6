#pragma once

#include <atomic>
#include <condition_variable>
#include <list>

#include "platform/Clock.h"

namespace vx9kr {

// Virtual time for tests, run as a discrete-event simulation: time stands still while any thread
// can still make progress, and jumps to the earliest deadline of the waiting threads once every
// waiter is blocked and no background thread is working. A silent device thus times out after
// exactly the time limit, in a few real milliseconds, and a whole run's virtual duration is the
// same on every machine.
//
// Only one thread may drive time: the one whose waits and pauses make up the run. Every other
// thread that works with the clock is a background thread (see Clock::Role); a second foreground
// thread is not seen while it runs between its waits, so time could pass under it. The kit's runs
// wait on one thread, and the simulated service is a background thread.
class VirtualClock final : public Clock {
  public:
    Duration Now() const override { return Duration(now_.load()); }
    bool WaitUntil(std::unique_lock<std::mutex>& lock, Duration deadline,
                   const std::function<bool()>& ready, Role role) override;
    void NotifyAll() override;
    void BeginBackgroundWork() override;
    void EndBackgroundWork() override;

    // Moves time forward by hand, for tests that drive the clock themselves.
    void Advance(Duration by);

  private:
    struct Waiter {
        Duration deadline;
        const std::function<bool()>* ready;
        Role role;
    };

    // Called with Mutex() held whenever a waiter starts to wait or background work ends.
    void AdvanceIfIdle();
    void SetNow(Duration now);

    std::atomic<Duration::rep> now_{0};
    std::condition_variable changed_;
    std::list<Waiter*> waiters_;
    int backgroundWorkers_ = 0;
};

}  // namespace vx9kr
