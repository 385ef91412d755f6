#include "sim/DeviceData.h"

#include <algorithm>

#include "platform/SysExPacking.h"

namespace vx9kr::sim {

std::optional<std::uint32_t> ParseHexDigits(std::span<const std::uint8_t> digits) {
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

std::optional<std::vector<std::uint8_t>> UnpackSevenBit(std::span<const std::uint8_t> packed,
                                                        std::size_t count) {
    if (packed.size() != PackedLength(count))
        return std::nullopt;
    std::vector<std::uint8_t> raw;
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

}  // namespace vx9kr::sim
