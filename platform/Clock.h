#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace vx9kr {

// Every pause and every wait with a time limit in the kit goes through a Clock, so that tests can
// run a whole update in virtual time (see VirtualClock) while the programs use real time.
//
// A clock also owns the one mutex that guards the state its waiters look at: a waiter's `ready`
// test runs with that mutex held, so whoever changes that state does so under Mutex() and then
// calls NotifyAll().
class Clock {
  public:
    using Duration = std::chrono::microseconds;
    static constexpr Duration kForever = Duration::max();

    // Who is waiting. A background thread (the simulated service's delivery thread) never makes
    // virtual time pass by waiting; it only receives the time that the foreground waits let pass.
    // It holds a BackgroundWork for its whole life, so that virtual time stands still while it
    // works, and its waits in the Background role are the times when it does not.
    enum class Role { Foreground, Background };

    virtual ~Clock() = default;

    // Monotonic time since an arbitrary start. Safe to call with or without Mutex() held.
    virtual Duration Now() const = 0;

    // Blocks until `ready()` holds or Now() reaches `deadline` (kForever: no limit). `lock` must
    // hold Mutex(). Returns the last value of `ready()`.
    virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, Duration deadline,
                           const std::function<bool()>& ready, Role role = Role::Foreground) = 0;

    // Wakes every waiter so that it looks at its `ready` test again.
    virtual void NotifyAll() = 0;

    // See Role. No effect on real time.
    virtual void BeginBackgroundWork() {}
    virtual void EndBackgroundWork() {}

    std::mutex& Mutex() { return mutex_; }

    std::int64_t NowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Now()).count();
    }

    // Waits for at most `limit` from now; kForever (or any limit that would overflow) waits without
    // a limit.
    bool WaitFor(std::unique_lock<std::mutex>& lock, Duration limit,
                 const std::function<bool()>& ready, Role role = Role::Foreground) {
        return WaitUntil(lock, DeadlineAfter(limit), ready, role);
    }

    void Sleep(Duration length) {
        std::unique_lock lock(mutex_);
        WaitFor(lock, length, [] { return false; });
    }

    void SleepMs(std::int64_t ms) { Sleep(std::chrono::milliseconds(ms)); }

    Duration DeadlineAfter(Duration limit) const {
        const Duration now = Now();
        if (limit >= kForever - now)
            return kForever;
        return now + limit;
    }

  private:
    std::mutex mutex_;
};

// A background thread's registration with the clock. Made before the thread starts, so that time
// cannot pass between the thread's creation and its first wait.
class BackgroundWork {
  public:
    explicit BackgroundWork(Clock& clock) : clock_(clock) { clock_.BeginBackgroundWork(); }
    ~BackgroundWork() { clock_.EndBackgroundWork(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

  private:
    Clock& clock_;
};

}  // namespace vx9kr
