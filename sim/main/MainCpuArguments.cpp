#include "sim/main/MainCpuArguments.h"

#include <algorithm>

#include "platform/SysExPacking.h"
#include "sim/DeviceData.h"

namespace vx9kr::sim {

namespace {

constexpr std::size_t kRangeDigits = 16;       // "%08X%08X": start, size
constexpr std::size_t kVerifyDigits = 20;      // "%08X%08X%04X": address, size, sum
constexpr std::size_t kLoadHeaderDigits = 12;  // "%04X%08X": count, address

bool Inside(std::uint32_t start, std::uint64_t size, std::size_t memorySize) {
    return std::uint64_t{start} + size <= memorySize;
}

// Both processors write their numbers in the same upper-case digits.
std::optional<std::uint32_t> Digits(std::span<const std::uint8_t> arguments, std::size_t at,
                                    std::size_t count) {
    return ParseHexDigits(arguments.subspan(at, count));
}

}  // namespace

std::optional<MainCpuRange> DecodeMainRange(std::span<const std::uint8_t> arguments,
                                            std::size_t memorySize) {
    if (arguments.size() != kRangeDigits)
        return std::nullopt;
    const auto start = Digits(arguments, 0, 8);
    const auto size = Digits(arguments, 8, 8);
    if (!start || !size || !Inside(*start, *size, memorySize))
        return std::nullopt;
    return MainCpuRange{*start, *size};
}

std::optional<MainVerify> DecodeMainVerify(std::span<const std::uint8_t> arguments,
                                           std::size_t memorySize) {
    if (arguments.size() != kVerifyDigits)
        return std::nullopt;
    const auto range = DecodeMainRange(arguments.first(kRangeDigits), memorySize);
    const auto sum = Digits(arguments, kRangeDigits, 4);
    if (!range || !sum)
        return std::nullopt;
    return MainVerify{*range, static_cast<std::uint16_t>(*sum)};
}

std::optional<MainLoad> DecodeMainLoad(std::span<const std::uint8_t> arguments,
                                       std::size_t memorySize) {
    if (arguments.size() < kLoadHeaderDigits + 1)
        return std::nullopt;
    if (std::any_of(arguments.begin(), arguments.end(), [](std::uint8_t b) { return b >= 0x80; }))
        return std::nullopt;
    const std::size_t covered = arguments.size() - 1;
    if (SevenBitChecksum(arguments.data(), covered) != arguments.back())
        return std::nullopt;
    const auto count = Digits(arguments, 0, 4);
    const auto address = Digits(arguments, 4, 8);
    if (!count || !address || *count < 1 || *count > kMainMaxLoad)
        return std::nullopt;
    const auto packed = arguments.subspan(kLoadHeaderDigits, covered - kLoadHeaderDigits);
    if (packed.size() != PackedLength(*count) || !Inside(*address, *count, memorySize))
        return std::nullopt;
    auto raw = UnpackSevenBit(packed, *count);
    if (!raw)
        return std::nullopt;
    return MainLoad{*address, std::move(*raw)};
}

}  // namespace vx9kr::sim
