#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/midi/DeviceModel.h"
#include "sim/lcd/LcdCpuModel.h"
#include "tests/sim/Conversation.h"

// The host's half of the LCD exchange, written out plainly here so that the device's own code is
// checked against an independent sender.
namespace vx9kr::sim::test {

inline Bytes Text(std::string_view text) {
    return {text.begin(), text.end()};
}

inline Bytes Request(std::uint16_t command, const Bytes& payload = {}) {
    Bytes message{0xF0,
                  0x43,
                  0x50,
                  0x03,
                  0x00,
                  static_cast<std::uint8_t>(command >> 8),
                  static_cast<std::uint8_t>(command & 0xFF)};
    message.insert(message.end(), payload.begin(), payload.end());
    message.push_back(0xF7);
    return message;
}

inline Bytes Reply(std::uint16_t command, const Bytes& payload) {
    Bytes message = Request(command, payload);
    message[6] |= 0x40;
    return message;
}

inline Bytes StatusReply(std::uint16_t command, std::uint8_t status, std::string_view text = {}) {
    Bytes payload{status};
    payload.insert(payload.end(), text.begin(), text.end());
    return Reply(command, payload);
}

inline Bytes Pack(const Bytes& raw) {
    Bytes packed;
    for (std::size_t start = 0; start < raw.size(); start += 7) {
        const std::size_t top = packed.size();
        packed.push_back(0);
        for (std::size_t i = start; i < raw.size() && i < start + 7; ++i) {
            if (raw[i] & 0x80)
                packed[top] |= static_cast<std::uint8_t>(0x40 >> (i - start));
            packed.push_back(raw[i] & 0x7F);
        }
    }
    return packed;
}

inline Bytes Hex(const char* format, unsigned a, unsigned b, unsigned c = 0) {
    char digits[32];
    std::snprintf(digits, sizeof digits, format, a, b, c);
    return Text(digits);
}

// The payload of a download block: header digits, packed bytes, then the 7-bit checksum.
inline Bytes BlockPayload(Bytes header, const Bytes& packed) {
    Bytes payload = std::move(header);
    payload.insert(payload.end(), packed.begin(), packed.end());
    unsigned sum = 0;
    for (const std::uint8_t b : payload)
        sum += b;
    payload.push_back(static_cast<std::uint8_t>((0u - sum) & 0x7F));
    return payload;
}

inline Bytes Block(const Bytes& raw, std::size_t offset) {
    return Request(kLcdDownload, BlockPayload(Hex("%04X%08X", static_cast<unsigned>(raw.size()),
                                                  static_cast<unsigned>(offset)),
                                              Pack(raw)));
}

inline Bytes FileChecksum(const Bytes& file) {
    unsigned sum = 0;
    for (const std::uint8_t b : file)
        sum += b;
    return Request(kLcdChecksum,
                   Hex("%08X%08X%04X", 0, static_cast<unsigned>(file.size()), sum & 0xFFFF));
}

inline Bytes Enter() {
    return Request(kLcdEnterUpdate, Text("VOLK#TRM%GAZEBO?"));
}

inline Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 37 + (i >> 8));
    return bytes;
}

// Catches what the device sends, in order.
struct RecordingWire final : midi::DeviceWire {
    void Send(std::vector<std::uint8_t> message) override { sent.push_back(std::move(message)); }
    void SendIncomplete(std::vector<std::uint8_t> bytes) override {
        incomplete.push_back(sent.size());
        sent.push_back(std::move(bytes));
    }
    std::vector<Bytes> sent;
    std::vector<std::size_t> incomplete;  // indices into `sent`
};

// Hands one request to the device and returns everything it sent back.
inline std::vector<Bytes> Ask(LcdCpuModel& device, const Bytes& request) {
    RecordingWire wire;
    device.Receive(request, wire);
    return wire.sent;
}

// The one reply to a request; empty when there were none or several.
inline Bytes AskOne(LcdCpuModel& device, const Bytes& request) {
    std::vector<Bytes> replies = Ask(device, request);
    return replies.size() == 1 ? replies.front() : Bytes{};
}

// Sends a whole file as the host does: name, blocks of up to 3500 bytes, checksum. Returns the
// replies to the blocks and the checksum.
inline std::vector<Bytes> SendFile(LcdCpuModel& device, std::string_view name, const Bytes& file,
                                   std::size_t blockSize = 3500) {
    std::vector<Bytes> replies;
    replies.push_back(AskOne(device, Request(kLcdSetFileName, Text(name))));
    for (std::size_t offset = 0; offset < file.size(); offset += blockSize) {
        const std::size_t end = std::min(file.size(), offset + blockSize);
        replies.push_back(
            AskOne(device, Block(Bytes(file.begin() + offset, file.begin() + end), offset)));
    }
    replies.push_back(AskOne(device, FileChecksum(file)));
    return replies;
}

inline void Converse(LcdCpuModel& device, const std::vector<Step>& steps) {
    RunConversation(steps, [&](const Bytes& request) { return Ask(device, request); });
}

}  // namespace vx9kr::sim::test
