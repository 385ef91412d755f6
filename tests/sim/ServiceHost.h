#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/midi/MidiService.h"

namespace vx9kr::sim::test {

// The host's end of a simulator service's ports, as a loader's link has them: requests go out one
// by one, and what arrives is kept in order until the test takes it, waiting in the clock's time.
class ServiceHost {
  public:
    using Bytes = std::vector<std::uint8_t>;

    ServiceHost(midi::MidiService& service, Clock& clock) : clock_(clock), arrived_(clock) {
        output_ = service.OpenOutput(0, [](midi::SendOutcome) {}).port;
        input_ =
            service
                .OpenInput(0,
                           [this](const midi::ReceivedBuffer& buffer) {
                               std::lock_guard lock(mutex_);
                               received_.emplace_back(buffer.bytes.begin(), buffer.bytes.end());
                               arrived_.Set();
                           })
                .port;
        input_->Start();
    }

    void Send(const Bytes& request) { EXPECT_EQ(output_->Send(request), ""); }

    // Drops what has arrived and not been taken.
    void Forget() {
        std::lock_guard lock(mutex_);
        received_.clear();
        arrived_.Reset();
    }

    // The oldest message not yet taken, waiting at most `limit` for one; empty when none came.
    Bytes Next(Clock::Duration limit) {
        const Clock::Duration deadline = clock_.Now() + limit;
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (!received_.empty()) {
                    Bytes next = std::move(received_.front());
                    received_.pop_front();
                    return next;
                }
                arrived_.Reset();
            }
            if (clock_.Now() >= deadline || !arrived_.Wait(deadline - clock_.Now()))
                return {};
        }
    }

    // Up to `count` messages that arrive within `limit` from now.
    std::vector<Bytes> NextMessages(std::size_t count, Clock::Duration limit) {
        const Clock::Duration deadline = clock_.Now() + limit;
        std::vector<Bytes> messages;
        while (messages.size() < count && clock_.Now() < deadline) {
            Bytes next = Next(deadline - clock_.Now());
            if (next.empty())
                break;
            messages.push_back(std::move(next));
        }
        return messages;
    }

  private:
    Clock& clock_;
    Event arrived_;
    std::mutex mutex_;
    std::deque<Bytes> received_;
    std::unique_ptr<midi::MidiOutput> output_;
    std::unique_ptr<midi::MidiInput> input_;
};

}  // namespace vx9kr::sim::test
