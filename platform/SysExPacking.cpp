#include "platform/SysExPacking.h"

#include <algorithm>

namespace vx9kr {

std::size_t PackSevenBit(const std::uint8_t* source, std::size_t count, std::uint8_t* dest) {
    std::size_t written = 0;
    for (std::size_t group = 0; group < count; group += 7) {
        const std::size_t k = std::min<std::size_t>(7, count - group);
        std::uint8_t& topBits = dest[written++];
        topBits = 0;
        for (std::size_t i = 0; i < k; ++i) {
            const std::uint8_t b = source[group + i];
            if (b & 0x80)
                topBits |= static_cast<std::uint8_t>(0x40 >> i);
            dest[written++] = b & 0x7F;
        }
    }
    return written;
}

std::uint8_t SevenBitChecksum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>((0u - sum) & 0x7F);
}

}  // namespace vx9kr
