#include "platform/Event.h"

namespace vx9kr {

Event::Event(Clock& clock, bool initiallySet) : clock_(clock), set_(initiallySet) {}

void Event::Set() {
    std::lock_guard lock(clock_.Mutex());
    set_ = true;
    clock_.NotifyAll();
}

void Event::Reset() {
    std::lock_guard lock(clock_.Mutex());
    set_ = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(clock_.Mutex());
    return set_;
}

bool Event::Wait(Clock::Duration limit) {
    std::unique_lock lock(clock_.Mutex());
    return clock_.WaitFor(lock, limit, [this] { return set_; });
}

}  // namespace vx9kr
