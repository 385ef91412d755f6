#include "tests/panelflash/ScriptedLcdDevice.h"

#include <string>

Bytes ScriptedLcdDevice::Reply(std::uint16_t command, const Bytes& payload) {
    Bytes reply;
    reply.reserve(payload.size() + 8);
    for (std::uint8_t b : {0xF0, 0x43, 0x50, 0x03, 0x00})
        reply.push_back(b);
    reply.push_back(static_cast<std::uint8_t>(command >> 8));
    reply.push_back(static_cast<std::uint8_t>((command & 0xFF) | 0x40));
    for (std::uint8_t b : payload)
        reply.push_back(b);
    reply.push_back(0xF7);
    return reply;
}

Bytes ScriptedLcdDevice::Reply(std::uint16_t command, const std::string& payload) {
    return Reply(command, Bytes(payload.begin(), payload.end()));
}

void ScriptedLcdDevice::Then(Answer answer) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(answer));
}

void ScriptedLcdDevice::ThenReply(std::uint16_t command, const Bytes& payload,
                                  vx9kr::Clock::Duration after) {
    Then({{Reply(command, payload), after}});
}

void ScriptedLcdDevice::ThenSilence() {
    Then({});
}

std::vector<Bytes> ScriptedLcdDevice::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void ScriptedLcdDevice::Receive(std::span<const std::uint8_t> message,
                                vx9kr::midi::DeviceWire& wire) {
    Answer answer;
    {
        std::lock_guard lock(mutex_);
        requests_.emplace_back(message.begin(), message.end());
        if (!script_.empty()) {
            answer = std::move(script_.front());
            script_.pop_front();
        } else if (message.size() >= 8) {
            const auto command = static_cast<std::uint16_t>(message[5] << 8 | message[6]);
            answer.push_back({Reply(command, Bytes{0x01})});
        }
    }
    for (Message& reply : answer)
        wire.SendLater(reply.after, std::move(reply.bytes));
}
