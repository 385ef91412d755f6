#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/DeviceFrame.h"

// The Main CPU boot loader's side of its SysEx requests: what arrives, what it answers.
namespace vx9kr::sim {

// A final reply carries the request's command with this bit set, a progress report with the other.
inline constexpr std::uint8_t kMainFinalBit = 0x40;
inline constexpr std::uint8_t kMainProgressBit = 0x20;
inline constexpr std::uint8_t kMainFailure = 0x00;
inline constexpr std::uint8_t kMainSuccess = 0x01;

// The most raw bytes one Load Data carries.
inline constexpr std::size_t kMainMaxLoad = 0x800;

enum class MainCpuRequest {
    GetModelName,
    SelectDevice,
    SetRange,
    Copy,
    LoadData,
    Uninstall,
    Install,
    Verify,
    ProgressAcknowledge,
};

struct MainCpuCode {
    std::uint8_t group = 0;
    std::uint8_t command = 0;
};

constexpr MainCpuCode CodeOf(MainCpuRequest request) {
    switch (request) {
        case MainCpuRequest::GetModelName:
            return {0x00, 0x02};
        case MainCpuRequest::SelectDevice:
            return {0x01, 0x01};
        case MainCpuRequest::SetRange:
            return {0x01, 0x02};
        case MainCpuRequest::Copy:
            return {0x02, 0x01};
        case MainCpuRequest::LoadData:
            return {0x03, 0x00};
        case MainCpuRequest::Uninstall:
            return {0x04, 0x00};
        case MainCpuRequest::Install:
            return {0x04, 0x01};
        case MainCpuRequest::Verify:
            return {0x04, 0x02};
        case MainCpuRequest::ProgressAcknowledge:
            return {0x05, 0x7F};
    }
    return {};
}

// The request that a group and command name, or nothing when the boot loader knows no such one.
std::optional<MainCpuRequest> MainRequestOf(MainCpuCode code);

}  // namespace vx9kr::sim
