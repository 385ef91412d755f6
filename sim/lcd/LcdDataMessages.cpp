#include "sim/lcd/LcdDataMessages.h"

#include <algorithm>

#include "platform/SysExPacking.h"
#include "sim/DeviceData.h"

namespace vx9kr::sim {

namespace {

constexpr std::size_t kBlockHeaderDigits = 12;  // "%04X%08X": count, offset
constexpr std::size_t kChecksumDigits = 20;     // "%08X%08X%04X": 0, size, sum

}  // namespace

LcdBlock DecodeLcdBlock(std::span<const std::uint8_t> payload, std::size_t received) {
    LcdBlock block;
    if (payload.size() < kBlockHeaderDigits + 1) {
        block.error = "Block too short";
        return block;
    }
    // The frame first: every byte 7-bit and the whole payload summing to a multiple of 128.
    if (std::any_of(payload.begin(), payload.end(), [](std::uint8_t b) { return b >= 0x80; })) {
        block.error = "Data byte above 7F";
        return block;
    }
    unsigned sum = 0;
    for (const std::uint8_t b : payload)
        sum += b;
    if (sum % 128 != 0) {
        block.error = "Block checksum error";
        return block;
    }
    const auto count = ParseHexDigits(payload.first(4));
    const auto offset = ParseHexDigits(payload.subspan(4, 8));
    if (!count || !offset) {
        block.error = "Bad hex digit";
        return block;
    }
    if (*count < 1 || *count > kLcdMaxBlock) {
        block.error = "Bad block size";
        return block;
    }
    if (*offset != received) {
        block.error = "Bad offset";
        return block;
    }
    const auto packed =
        payload.subspan(kBlockHeaderDigits, payload.size() - kBlockHeaderDigits - 1);
    if (packed.size() != PackedLength(*count)) {
        block.error = "Bad block length";
        return block;
    }
    auto raw = UnpackSevenBit(packed, *count);
    if (!raw) {
        block.error = "Bad top bits";
        return block;
    }
    block.offset = *offset;
    block.bytes = std::move(*raw);
    return block;
}

LcdFileChecksum DecodeLcdFileChecksum(std::span<const std::uint8_t> payload) {
    LcdFileChecksum checksum;
    if (payload.size() != kChecksumDigits) {
        checksum.error = "Bad checksum length";
        return checksum;
    }
    const auto zero = ParseHexDigits(payload.first(8));
    const auto size = ParseHexDigits(payload.subspan(8, 8));
    const auto sum = ParseHexDigits(payload.subspan(16, 4));
    if (!zero || !size || !sum) {
        checksum.error = "Bad hex digit";
        return checksum;
    }
    if (*zero != 0) {
        checksum.error = "Bad checksum header";
        return checksum;
    }
    checksum.size = *size;
    checksum.sum = static_cast<std::uint16_t>(*sum);
    return checksum;
}

std::uint16_t LcdFileSum(std::span<const std::uint8_t> bytes) {
    std::uint16_t sum = 0;
    for (const std::uint8_t b : bytes)
        sum = static_cast<std::uint16_t>(sum + b);
    return sum;
}

}  // namespace vx9kr::sim
