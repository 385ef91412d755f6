#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "sim/main/MainCpuProtocol.h"

namespace vx9kr::sim {

// One request as the boot loader reads it off the wire.
struct MainRequest {
    MainCpuCode code;
    std::optional<MainCpuRequest> kind;       // nothing for a group and command it does not know
    std::span<const std::uint8_t> arguments;  // from byte 7 up to, not including, the final F7
};

// The request in `message`, or nothing when it is not one for this device: shorter than the
// frame, another header, or not closed by F7 as its last byte.
std::optional<MainRequest> ParseMainRequest(std::span<const std::uint8_t> message);

// The final reply to a request: its command with the final bit, then one status byte.
Bytes MakeMainFinalReply(MainCpuCode request, std::uint8_t status);
Bytes MakeMainModelNameReply(std::string_view name);
// How far an operation has got: its command with the progress bit, the address as 8 digits.
Bytes MakeMainProgressReport(MainCpuCode operation, std::uint32_t reached);

}  // namespace vx9kr::sim
