#pragma once

#include <array>
#include <string_view>

#include "sim/lcd/LcdFileStore.h"

namespace vx9kr::sim {

// A family of update files: in its normal mode the host sends each one under a staged name whose
// third character is '5', so that the installed version stays whole until every file has arrived.
struct LcdFileFamily {
    std::string_view staged;
    std::string_view installed;
};

inline constexpr std::array<LcdFileFamily, 4> kLcdFileFamilies{{
    {"kt5w????.bin", "kt4w????.bin"},
    {"pi57????.bin", "pix7????.bin"},
    {"fx56????.bin", "fxt6????.bin"},
    {"hq5?????.pgm", "hq2?????.pgm"},
}};

// The AD firmware is whichever file of this name the store holds.
inline constexpr std::string_view kLcdAdFirmwarePattern = "hq2?????.pgm";

// What DELETE_RENAME does once its file is found: each staged file replaces the installed files of
// its family and takes its real name (third character restored). When a family has several staged
// files, the last in name order wins.
void InstallStagedFiles(LcdFileStore& store);

}  // namespace vx9kr::sim
