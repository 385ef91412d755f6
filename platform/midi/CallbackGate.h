#pragma once

#include <functional>
#include <mutex>

namespace vx9kr::midi {

// Lets a service thread call a port's handler while the port may be closing on another thread:
// Close waits for a call in progress and keeps every later call out, so that once it returns the
// handler and everything it refers to are no longer touched.
template <typename... Args>
class CallbackGate {
  public:
    explicit CallbackGate(std::function<void(Args...)> handler) : handler_(std::move(handler)) {}

    // Returns false when the gate is closed and the handler did not run.
    bool Call(Args... args) {
        std::lock_guard lock(mutex_);
        if (!handler_)
            return false;
        handler_(args...);
        return true;
    }

    void Close() {
        std::lock_guard lock(mutex_);
        handler_ = nullptr;
    }

    bool IsOpen() {
        std::lock_guard lock(mutex_);
        return static_cast<bool>(handler_);
    }

  private:
    std::mutex mutex_;
    std::function<void(Args...)> handler_;
};

}  // namespace vx9kr::midi
