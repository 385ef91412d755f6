#pragma once

#include <cstdint>
#include <vector>

#include "platform/midi/DeviceModel.h"
#include "sim/main/MainCpuModel.h"
#include "tests/sim/Conversation.h"
#include "tests/sim/LcdHost.h"

// The host's half of the Main CPU exchange, written out plainly here so that the boot loader's
// own code is checked against an independent sender.
namespace vx9kr::sim::test {

inline Bytes Message(std::uint8_t group, std::uint8_t command, const Bytes& arguments = {}) {
    Bytes message{0xF0, 0x43, 0x50, 0x03, 0x00, group, command};
    message.insert(message.end(), arguments.begin(), arguments.end());
    message.push_back(0xF7);
    return message;
}

// A final reply: the request's command | 40 and its status.
inline Bytes Final(std::uint8_t group, std::uint8_t command, std::uint8_t status) {
    return {0xF0,   0x43, 0x50, 0x03, 0x00, group, static_cast<std::uint8_t>(command | 0x40),
            status, 0xF7};
}

// A progress report: the operation's command | 20 and the address reached.
inline Bytes Progress(std::uint8_t group, std::uint8_t command, unsigned reached) {
    return Message(group, static_cast<std::uint8_t>(command | 0x20), Hex("%08X", reached, 0));
}

inline Bytes ModelNameReply(std::string_view name) {
    return Message(0x00, 0x42, Text(name));
}

inline Bytes GetModelName() {
    return Message(0x00, 0x02);
}
inline Bytes SelectDevice(std::uint8_t selector) {
    return Message(0x01, 0x01, {selector});
}
inline Bytes SetRange(unsigned start, unsigned size) {
    return Message(0x01, 0x02, Hex("%08X%08X", start, size));
}
inline Bytes Copy() {
    return Message(0x02, 0x01);
}
inline Bytes Uninstall() {
    return Message(0x04, 0x00);
}
inline Bytes Install() {
    return Message(0x04, 0x01);
}
inline Bytes Acknowledge() {
    return Message(0x05, 0x7F);
}
inline Bytes Verify(unsigned address, unsigned size, unsigned sum) {
    return Message(0x04, 0x02, Hex("%08X%08X%04X", address, size, sum));
}

// Load Data from its parts: count and address digits, packed bytes, then the 7-bit checksum.
inline Bytes LoadData(const Bytes& digits, const Bytes& packed) {
    return Message(0x03, 0x00, BlockPayload(digits, packed));
}
inline Bytes LoadData(unsigned address, const Bytes& raw) {
    return LoadData(Hex("%04X%08X", static_cast<unsigned>(raw.size()), address), Pack(raw));
}

inline unsigned Sum16(const Bytes& bytes, std::size_t from = 0,
                      std::size_t to = static_cast<std::size_t>(-1)) {
    unsigned sum = 0;
    for (std::size_t i = from; i < bytes.size() && i < to; ++i)
        sum += bytes[i];
    return sum & 0xFFFF;
}

// What the device sends, in order, with how each goes out.
struct SentMessage {
    Bytes bytes;
    bool complete = true;
    Clock::Duration delay{0};

    friend bool operator==(const SentMessage&, const SentMessage&) = default;
};

struct TimedWire final : midi::DeviceWire {
    void Send(std::vector<std::uint8_t> message) override { sent.push_back({std::move(message)}); }
    void SendIncomplete(std::vector<std::uint8_t> bytes) override {
        sent.push_back({std::move(bytes), false});
    }
    void SendLater(Clock::Duration delay, std::vector<std::uint8_t> message) override {
        sent.push_back({std::move(message), true, delay});
    }
    std::vector<SentMessage> sent;
};

inline std::vector<SentMessage> AskTimed(MainCpuModel& device, const Bytes& request) {
    TimedWire wire;
    device.Receive(request, wire);
    return wire.sent;
}

// Everything the device sent back, however it went.
inline std::vector<Bytes> Ask(MainCpuModel& device, const Bytes& request) {
    std::vector<Bytes> replies;
    for (SentMessage& message : AskTimed(device, request))
        replies.push_back(std::move(message.bytes));
    return replies;
}

// The one reply to a request; empty when there were none or several.
inline Bytes AskOne(MainCpuModel& device, const Bytes& request) {
    std::vector<Bytes> replies = Ask(device, request);
    return replies.size() == 1 ? replies.front() : Bytes{};
}

// A device that has been selected, as every update begins.
inline void Select(MainCpuModel& device) {
    AskOne(device, SelectDevice(0x12));
}

// Runs an operation over a range to its end, acknowledging each report; returns every message the
// device sent, the final reply last.
inline std::vector<Bytes> Operate(MainCpuModel& device, const Bytes& operation, unsigned start,
                                  unsigned size) {
    std::vector<Bytes> replies{AskOne(device, SetRange(start, size))};
    Bytes reply = AskOne(device, operation);
    while (reply.size() > 6 && (reply[6] & 0x20)) {
        replies.push_back(reply);
        reply = AskOne(device, Acknowledge());
    }
    replies.push_back(reply);
    return replies;
}

inline void Converse(MainCpuModel& device, const std::vector<Step>& steps) {
    RunConversation(steps, [&](const Bytes& request) { return Ask(device, request); });
}

}  // namespace vx9kr::sim::test
