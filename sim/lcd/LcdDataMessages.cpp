#include "sim/lcd/LcdDataMessages.h"

#include <algorithm>

namespace vx9kr::sim {

namespace {

constexpr std::size_t kBlockHeaderDigits = 12;  // "%04X%08X": count, offset
constexpr std::size_t kChecksumDigits = 20;     // "%08X%08X%04X": 0, size, sum

std::size_t PackedSize(std::size_t count) {
    return count + (count + 6) / 7;
}

}  // namespace

std::optional<std::uint32_t> ParseLcdHex(std::span<const std::uint8_t> digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const std::uint8_t digit : digits) {
        std::uint32_t nibble;
        if (digit >= '0' && digit <= '9')
            nibble = digit - '0';
        else if (digit >= 'A' && digit <= 'F')
            nibble = digit - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | nibble;
    }
    return value;
}

std::optional<Bytes> UnpackSevenBit(std::span<const std::uint8_t> packed, std::size_t count) {
    if (packed.size() != PackedSize(count))
        return std::nullopt;
    Bytes raw;
    raw.reserve(count);
    std::size_t at = 0;
    while (raw.size() < count) {
        const std::size_t group = std::min<std::size_t>(7, count - raw.size());
        const std::uint8_t topBits = packed[at++];
        // Bit 6 belongs to the group's first byte; the bits below the last one used stay 0.
        const std::uint8_t unused = static_cast<std::uint8_t>((1u << (7 - group)) - 1);
        if (topBits & unused)
            return std::nullopt;
        for (std::size_t i = 0; i < group; ++i) {
            const bool top = topBits & (0x40 >> i);
            raw.push_back(static_cast<std::uint8_t>(packed[at++] | (top ? 0x80 : 0x00)));
        }
    }
    return raw;
}

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
    const auto count = ParseLcdHex(payload.first(4));
    const auto offset = ParseLcdHex(payload.subspan(4, 8));
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
    if (packed.size() != PackedSize(*count)) {
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
    const auto zero = ParseLcdHex(payload.first(8));
    const auto size = ParseLcdHex(payload.subspan(8, 8));
    const auto sum = ParseLcdHex(payload.subspan(16, 4));
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
