#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "sim/main/MainCpuProtocol.h"

namespace vx9kr::sim {

// What the VX9KR's boot loader answers as it leaves the factory; its firmware files name the same.
inline constexpr std::string_view kMainCpuModelName = "VX9KR";
inline constexpr std::uint8_t kMainCpuSelector = 0x12;

// A request that the device answers with status 00 having done nothing, whatever its state.
// Copy, Uninstall and Install still report their progress first, as an operation that fails on
// its way does; a failing Progress Acknowledge makes the running operation end there with 00.
// Get Model Name answers a name made of the one byte 00.
struct MainCpuFailure {
    MainCpuRequest request = MainCpuRequest::GetModelName;
    // Only the n-th request of this kind (0-based); every one when empty.
    std::optional<std::size_t> occurrence;
};

enum class MainCpuUnaskedWhen {
    BeforeReply,  // the reply waits behind it on the cable
    AfterReply,   // it arrives unasked once the host has its reply, later by the delay
};

// A message that the device sends without being asked, around its reply to a chosen request.
struct MainCpuUnasked {
    std::size_t request = 0;  // ordinal among all messages received, 0-based
    // When empty, the last reply that the device sent once more, as a late reply arrives.
    Bytes message;
    MainCpuUnaskedWhen when = MainCpuUnaskedWhen::BeforeReply;
    Clock::Duration delay{0};
};

// How one simulated Main CPU boot loader behaves, set per test. Request ordinals count every
// message the device received since power-on, from 0, including those it ignored.
struct MainCpuBehaviour {
    std::string modelName{kMainCpuModelName};
    // The only Select Device argument that selects this device.
    std::uint8_t selector = kMainCpuSelector;
    // Bytes of memory, all FF at power-on; read only at construction.
    std::size_t memorySize = 4 * 1024 * 1024;
    // The absolute addresses that Copy, Uninstall and Install report reaching, in order, each
    // after the acknowledge of the one before. An operation not listed reports
    // defaultProgressReports evenly spaced addresses, the last one the end of its range.
    std::map<MainCpuRequest, std::vector<std::uint32_t>> progressReports;
    std::size_t defaultProgressReports = 8;
    // How long the device works before each progress report and an operation's final reply.
    Clock::Duration progressStep{0};
    std::vector<MainCpuFailure> failures;
    // From this request on the device neither acts nor answers, as if the cable had been pulled.
    std::optional<std::size_t> silentFrom;
    // Replies that start only after a pause, by request ordinal, as a slow device answers.
    std::map<std::size_t, Clock::Duration> slowReplies;
    std::vector<MainCpuUnasked> unasked;
    // Replies cut short after their group and command, so that the host's input reports them
    // incomplete; they go at once, whatever pause was asked for them.
    std::set<std::size_t> cutShortReplies;
    // Replies that carry kMainOversizedPadding bytes more before their F7, longer than any reply
    // buffer the host has.
    std::set<std::size_t> oversizedReplies;
};

inline constexpr std::size_t kMainOversizedPadding = 600;

}  // namespace vx9kr::sim
