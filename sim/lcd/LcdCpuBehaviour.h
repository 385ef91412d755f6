#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "sim/lcd/LcdProtocol.h"

namespace vx9kr::sim {

// A command that the device refuses with S=00 and a text, whatever its state.
struct LcdRefusal {
    std::uint16_t command = 0;
    // Only the n-th request with this code (0-based); every one when empty.
    std::optional<std::size_t> occurrence;
    std::string text = "Refused";
};

// Messages that can reach the host before the reply it waits for.
enum class LcdStray {
    LateReply,       // the reply to the previous request once more, as a slow device sends it
    ForeignReply,    // a whole reply under another command code
    ShortReply,      // F0 43 50 F7, fewer than the eight bytes of any reply
    OversizedReply,  // a reply longer than the host's 4096-byte reply buffer
    CutShortReply,   // the first seven bytes of the reply, reported incomplete by the host's input
};

struct LcdStrayReply {
    std::size_t request = 0;  // ordinal among all requests received, 0-based
    LcdStray kind = LcdStray::LateReply;
    // The stray starts only after this (say past the host's time limit), and the real reply
    // waits behind it on the cable. A cut-short reply goes at once.
    Clock::Duration delay{0};
};

// The reply to a request has one byte changed on its way to the host.
struct LcdReplyCorruption {
    std::size_t request = 0;   // ordinal among all requests received, 0-based
    std::size_t offset = 1;    // which byte; 1 (the maker's byte) makes the reply match no request
    std::uint8_t flip = 0x01;  // XOR-ed into it; offsets beyond the reply change nothing
};

// How one simulated LCD CPU behaves, set per test. Request ordinals count every message the
// device received since power-on, from 0, including those it ignored.
struct LcdCpuBehaviour {
    // MODEL_NAME's answer; the host only reports it.
    std::string modelName = "VX9KR";
    // VERSION's answer; one beginning "1.0" makes the host copy without preparing the store.
    std::string version = "2.00";
    // The store at power-on, e.g. an AD firmware already installed; read only at construction.
    std::map<std::string, Bytes> initialFiles;
    // STATUS answers busy (S=02) this many times after each write, wait by wait, to test polling.
    std::vector<int> busyAnswersPerWait;
    // Busy answers for every write after those listed.
    int defaultBusyAnswers = 1;
    // One percentage per AD_ERASE_STATUS poll; 100 or more ends the erase, a list ending below
    // 100 repeats its last step forever (an erase that hangs).
    std::vector<std::uint8_t> adEraseSteps{0, 40, 99, 100};
    // Download blocks answered "send again" (S=02), by the block's ordinal among the download
    // requests the device has examined (0-based), with how many times; repeats keep the ordinal.
    std::map<std::size_t, int> resendBlocks;
    // Refusals of chosen commands, to drive the host down each of its error paths.
    std::vector<LcdRefusal> refusals;
    // From this request on the device neither acts nor answers, as if the cable had been pulled.
    std::optional<std::size_t> silentFrom;
    // Stray messages sent just before the reply to chosen requests, in the listed order.
    std::vector<LcdStrayReply> strayReplies;
    // Real replies that start only after a pause, by request ordinal, as a slow device answers.
    std::map<std::size_t, Clock::Duration> slowReplies;
    // Replies damaged on the wire, so that the host never sees the reply it waits for.
    std::vector<LcdReplyCorruption> corruptReplies;
    // Requests whose last payload byte arrives XOR 01, so that the device's checks refuse them.
    std::set<std::size_t> corruptRequests;
};

}  // namespace vx9kr::sim
