#include <gtest/gtest.h>

#include "sim/DeviceData.h"
#include "sim/lcd/LcdDataMessages.h"
#include "tests/sim/LcdHost.h"

namespace vx9kr::sim {
namespace {

using test::BlockPayload;
using test::Hex;
using test::Pack;
using test::Text;

std::span<const std::uint8_t> PayloadOf(const Bytes& request) {
    return std::span<const std::uint8_t>(request).subspan(7, request.size() - 8);
}

TEST(LcdSevenBit, UnpacksTheExamplesOfThePackingRule) {
    EXPECT_EQ(UnpackSevenBit(Bytes{0x40, 0x00}, 1), Bytes{0x80});
    EXPECT_EQ(UnpackSevenBit(Bytes{0x20, 0x01, 0x7F, 0x7F}, 3), (Bytes{0x01, 0xFF, 0x7F}));
    EXPECT_EQ(UnpackSevenBit(Bytes{}, 0), Bytes{});
}

TEST(LcdSevenBit, UndoesThePackingOfEveryGroupLength) {
    for (const std::size_t size : {1u, 6u, 7u, 8u, 14u, 15u, 3499u, 3500u}) {
        const Bytes raw = test::Pattern(size, static_cast<unsigned>(size));
        const Bytes packed = Pack(raw);
        ASSERT_EQ(packed.size(), size + (size + 6) / 7);
        EXPECT_EQ(UnpackSevenBit(packed, size), raw) << size << " bytes";
    }
}

TEST(LcdSevenBit, RefusesTopBitsThatNoByteUsesAndWrongLengths) {
    EXPECT_FALSE(UnpackSevenBit(Bytes{0x21, 0x01, 0x7F, 0x7F}, 3));  // bit 0 has no seventh byte
    EXPECT_FALSE(UnpackSevenBit(Bytes{0x08, 0x01, 0x7F, 0x7F}, 3));  // bit 3: no fourth byte
    EXPECT_EQ(UnpackSevenBit(Bytes{0x10, 0x01, 0x7F, 0x7F}, 3), (Bytes{0x01, 0x7F, 0xFF}));
    EXPECT_FALSE(UnpackSevenBit(Bytes{0x20, 0x01, 0x7F}, 3));
    EXPECT_FALSE(UnpackSevenBit(Bytes{0x20, 0x01, 0x7F, 0x7F, 0x00}, 3));
}

TEST(LcdHex, ReadsUpperCaseDigitsOnly) {
    EXPECT_EQ(ParseHexDigits(Text("0DAC")), 3500u);
    EXPECT_EQ(ParseHexDigits(Text("FFFFFFFF")), 0xFFFFFFFFu);
    EXPECT_FALSE(ParseHexDigits(Text("0dac")));
    EXPECT_FALSE(ParseHexDigits(Text("0G00")));
    EXPECT_FALSE(ParseHexDigits(Text(" 100")));
    EXPECT_FALSE(ParseHexDigits(Text("")));
    EXPECT_FALSE(ParseHexDigits(Text("100000000")));
}

TEST(LcdBlock, TakesTheHostsExampleBlockByteForByte) {
    const Bytes request{0xF0, 0x43, 0x50, 0x03, 0x00, 0x03, 0x00, 0x30, 0x30,
                        0x30, 0x33, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30,
                        0x30, 0x20, 0x01, 0x7F, 0x7F, 0x1E, 0xF7};
    ASSERT_EQ(test::Block({0x01, 0xFF, 0x7F}, 0), request);
    const LcdBlock block = DecodeLcdBlock(PayloadOf(request), 0);
    EXPECT_EQ(block.error, "");
    EXPECT_EQ(block.offset, 0u);
    EXPECT_EQ(block.bytes, (Bytes{0x01, 0xFF, 0x7F}));
}

struct BlockCase {
    const char* name;
    Bytes payload;
    std::size_t received;
    const char* error;  // "" when the block is taken
};

Bytes Header(unsigned count, unsigned offset) {
    return Hex("%04X%08X", count, offset);
}

std::vector<BlockCase> BlockCases() {
    const Bytes raw = test::Pattern(10, 0x85);
    const Bytes packed = Pack(raw);
    Bytes highByte = packed;
    highByte[3] |= 0x80;
    Bytes unusedTopBit = packed;
    unusedTopBit[8] |= 0x01;  // the second group holds three bytes: bits 3 to 0 are unused
    Bytes badChecksum = BlockPayload(Header(10, 0), packed);
    badChecksum.back() ^= 0x01;
    Bytes lowerCase = BlockPayload(Text("000a00000000"), packed);
    Bytes packed3500 = Pack(test::Pattern(3500, 1));
    Bytes packed3501 = Pack(test::Pattern(3501, 1));
    return {
        {"good", BlockPayload(Header(10, 0), packed), 0, ""},
        {"good at its offset", BlockPayload(Header(10, 7000), packed), 7000, ""},
        {"largest", BlockPayload(Header(3500, 0), packed3500), 0, ""},
        {"no checksum byte", Header(10, 0), 0, "Block too short"},
        {"empty", {}, 0, "Block too short"},
        {"byte above 7F", BlockPayload(Header(10, 0), highByte), 0, "Data byte above 7F"},
        {"checksum", badChecksum, 0, "Block checksum error"},
        {"lower-case digits", lowerCase, 0, "Bad hex digit"},
        {"letter in the offset", BlockPayload(Text("000A0000000Z"), packed), 0, "Bad hex digit"},
        {"count 0", BlockPayload(Header(0, 0), {}), 0, "Bad block size"},
        {"count 3501", BlockPayload(Header(3501, 0), packed3501), 0, "Bad block size"},
        {"count FFFF", BlockPayload(Header(0xFFFF, 0), packed), 0, "Bad block size"},
        {"offset ahead", BlockPayload(Header(10, 10), packed), 0, "Bad offset"},
        {"offset behind", BlockPayload(Header(10, 0), packed), 3500, "Bad offset"},
        {"packed one short", BlockPayload(Header(10, 0), Bytes(packed.begin(), packed.end() - 1)),
         0, "Bad block length"},
        {"count says 11", BlockPayload(Header(11, 0), packed), 0, "Bad block length"},
        {"unused top bit", BlockPayload(Header(10, 0), unusedTopBit), 0, "Bad top bits"},
    };
}

TEST(LcdBlock, EachCheckRefusesItsBadBlock) {
    for (const BlockCase& c : BlockCases()) {
        SCOPED_TRACE(c.name);
        const LcdBlock block = DecodeLcdBlock(c.payload, c.received);
        EXPECT_EQ(block.error, c.error);
        if (*c.error == '\0')
            EXPECT_FALSE(block.bytes.empty());
        else
            EXPECT_TRUE(block.bytes.empty());
    }
}

TEST(LcdFileChecksumMessage, ReadsSizeAndSumAndRefusesTheRest) {
    const LcdFileChecksum good = DecodeLcdFileChecksum(Text("0000000000001DAD0ABC"));
    EXPECT_EQ(good.error, "");
    EXPECT_EQ(good.size, 0x1DADu);
    EXPECT_EQ(good.sum, 0x0ABC);

    EXPECT_EQ(DecodeLcdFileChecksum(Text("0000000000001DAD0AB")).error, "Bad checksum length");
    EXPECT_EQ(DecodeLcdFileChecksum(Text("0000000000001DAD0ABC0")).error, "Bad checksum length");
    EXPECT_EQ(DecodeLcdFileChecksum(Text("0000000000001dad0ABC")).error, "Bad hex digit");
    EXPECT_EQ(DecodeLcdFileChecksum(Text("0000000100001DAD0ABC")).error, "Bad checksum header");
}

TEST(LcdFileSum, KeepsSixteenBits) {
    EXPECT_EQ(LcdFileSum(Bytes(300, 0xFF)), (300 * 0xFF) & 0xFFFF);
    EXPECT_EQ(LcdFileSum(Bytes(0x102, 0xFF)), (0x102 * 0xFF) & 0xFFFF);
    EXPECT_EQ(LcdFileSum({}), 0);
}

}  // namespace
}  // namespace vx9kr::sim
