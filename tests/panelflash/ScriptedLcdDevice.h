#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/midi/DeviceModel.h"

using Bytes = std::vector<std::uint8_t>;

// A stand-in for the LCD CPU that answers each request from a script, for tests of the exchange and
// the link: every request takes the next scripted answer; when the script has run out it answers
// as an agreeable device, with the reply code and status 01.
class ScriptedLcdDevice final : public vx9kr::midi::DeviceModel {
  public:
    struct Message {
        Bytes bytes;
        vx9kr::Clock::Duration after{0};  // from the request's arrival
    };
    using Answer = std::vector<Message>;  // empty: silence

    // F0 43 50 03 00, the command with the reply bit, the payload, F7.
    static Bytes Reply(std::uint16_t command, const Bytes& payload);
    static Bytes Reply(std::uint16_t command, const std::string& payload);

    void Then(Answer answer);
    void ThenReply(std::uint16_t command, const Bytes& payload,
                   vx9kr::Clock::Duration after = vx9kr::Clock::Duration(0));
    void ThenSilence();

    std::vector<Bytes> Requests() const;

    void Receive(std::span<const std::uint8_t> message, vx9kr::midi::DeviceWire& wire) override;

  private:
    mutable std::mutex mutex_;
    std::deque<Answer> script_;
    std::vector<Bytes> requests_;
};
