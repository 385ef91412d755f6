#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/Clock.h"

namespace vx9kr::test {

// Runs `action` on a background thread once `delay` has passed on `clock`, as a device or a service
// thread would: virtual time waits for it, and it does not drive time itself.
class DelayedAction {
  public:
    DelayedAction(Clock& clock, Clock::Duration delay, std::function<void()> action)
        : thread_([&clock, delay, action = std::move(action),
                   work = std::make_unique<BackgroundWork>(clock)] {
              {
                  std::unique_lock lock(clock.Mutex());
                  clock.WaitFor(
                      lock, delay, [] { return false; }, Clock::Role::Background);
              }
              action();
          }) {}
    ~DelayedAction() { thread_.join(); }
    DelayedAction(const DelayedAction&) = delete;
    DelayedAction& operator=(const DelayedAction&) = delete;

  private:
    std::thread thread_;
};

}  // namespace vx9kr::test
