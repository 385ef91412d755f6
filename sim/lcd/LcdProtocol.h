#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sim/DeviceFrame.h"

// The LCD CPU's side of its SysEx command set: what arrives, what it answers.
namespace vx9kr::sim {

// The reply code is the command code with this bit set in its low byte.
inline constexpr std::uint8_t kLcdReplyBit = 0x40;

inline constexpr std::uint16_t kLcdEnterUpdate = 0x0000;
inline constexpr std::uint16_t kLcdExitUpdate = 0x0001;
inline constexpr std::uint16_t kLcdModelName = 0x0002;
inline constexpr std::uint16_t kLcdVersion = 0x0003;
inline constexpr std::uint16_t kLcdErase = 0x0004;
inline constexpr std::uint16_t kLcdRemoveDir = 0x0005;
inline constexpr std::uint16_t kLcdDeleteRename = 0x0006;
inline constexpr std::uint16_t kLcdFindAd = 0x000A;
inline constexpr std::uint16_t kLcdEraseAd = 0x000B;
inline constexpr std::uint16_t kLcdSetFileName = 0x0103;
inline constexpr std::uint16_t kLcdDownload = 0x0300;
inline constexpr std::uint16_t kLcdChecksum = 0x0402;
inline constexpr std::uint16_t kLcdStatus = 0x0901;
inline constexpr std::uint16_t kLcdAdEraseStatus = 0x0902;

// The only payload that opens the update mode.
inline constexpr std::string_view kLcdAccessString = "VOLK#TRM%GAZEBO?";

// Status bytes at the start of most reply payloads.
inline constexpr std::uint8_t kLcdFailure = 0x00;
inline constexpr std::uint8_t kLcdSuccess = 0x01;
inline constexpr std::uint8_t kLcdBusy = 0x02;      // STATUS: still writing
inline constexpr std::uint8_t kLcdResend = 0x02;    // DOWNLOAD: send the same block again
inline constexpr std::uint8_t kLcdEraseDone = 100;  // AD_ERASE_STATUS: percent

// The largest block the device takes, in raw bytes.
inline constexpr std::size_t kLcdMaxBlock = 3500;

}  // namespace vx9kr::sim
