#pragma once

#include <chrono>

#include "platform/Clock.h"

namespace vx9kr {

// A manual-reset event: once set it stays set, and every wait returns at once, until Reset.
class Event {
  public:
    explicit Event(Clock& clock, bool initiallySet = false);

    void Set();
    void Reset();
    bool IsSet() const;

    // True when the event is set within `limit` (Clock::kForever: no limit).
    bool Wait(Clock::Duration limit);
    bool WaitMs(std::int64_t ms) { return Wait(std::chrono::milliseconds(ms)); }

  private:
    Clock& clock_;
    bool set_;
};

}  // namespace vx9kr
