#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coreflash/engine/MainCpuProtocol.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using P = CMainCpuProtocol;

// A request of group, command and arguments, framed.
Bytes Request(std::uint8_t group, std::uint8_t command, const Bytes& arguments, bool checksum) {
    Bytes message(4096, 0);
    message[5] = group;
    message[6] = command;
    std::copy(arguments.begin(), arguments.end(), message.begin() + 7);
    message.resize(P::BuildMessage(message.data(), arguments.size(), checksum));
    return message;
}

Bytes Hex(std::uint32_t value, int digits) {
    Bytes text(static_cast<std::size_t>(digits));
    P::PutHex(text.data(), value, digits);
    return text;
}

Bytes LoadData(std::uint32_t address, const Bytes& raw) {
    Bytes arguments = Hex(static_cast<std::uint32_t>(raw.size()), 4);
    const Bytes where = Hex(address, 8);
    arguments.insert(arguments.end(), where.begin(), where.end());
    Bytes packed(raw.size() + raw.size() / 7 + 1);
    packed.resize(P::Pack7(raw.data(), raw.size(), packed.data()));
    arguments.insert(arguments.end(), packed.begin(), packed.end());
    return Request(0x03, 0x00, arguments, true);
}

TEST(MainCpuProtocol, RequestsWithoutArgumentsAreEightBytes) {
    EXPECT_EQ(Request(0x00, 0x02, {}, false),
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x02, 0xF7}));
    EXPECT_EQ(Request(0x05, 0x7F, {}, false),
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x05, 0x7F, 0xF7}));
    EXPECT_EQ(Request(0x04, 0x00, {}, false),
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x00, 0xF7}));
    EXPECT_EQ(Request(0x01, 0x01, {0x12}, false).size(), 9u);
}

TEST(MainCpuProtocol, SetRangeCarriesStartAndSizeAsHexDigits) {
    Bytes arguments = Hex(0, 8);
    const Bytes size = Hex(0x20000, 8);
    arguments.insert(arguments.end(), size.begin(), size.end());
    EXPECT_EQ(Request(0x01, 0x02, arguments, false),
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x02, 0x30, 0x30, 0x30, 0x30, 0x30,
                     0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x32, 0x30, 0x30, 0x30, 0x30, 0xF7}));
}

TEST(MainCpuProtocol, LoadDataIsPackedAndClosedByItsChecksum) {
    EXPECT_EQ(LoadData(0x1000, {0x81, 0x02, 0xFF}),
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x03, 0x00, 0x30, 0x30, 0x30, 0x33, 0x30, 0x30,
                     0x30, 0x30, 0x31, 0x30, 0x30, 0x30, 0x50, 0x01, 0x02, 0x7F, 0x6A, 0xF7}));
    const Bytes full = LoadData(0, Bytes(2048, 0xA5));
    EXPECT_EQ(full.size(), 2362u);
    EXPECT_EQ(std::string(full.begin() + 7, full.begin() + 11), "0800");
    EXPECT_EQ(LoadData(0, {0x01}).size(), 23u);
    unsigned sum = 0;
    for (std::size_t i = 7; i + 1 < full.size(); ++i)
        sum += full[i];
    EXPECT_EQ(sum % 128, 0u);
}

TEST(MainCpuProtocol, SevenBytesWithTheirTopBitSetPackBehindOneByte) {
    const Bytes raw(7, 0x80);
    Bytes packed(8);
    EXPECT_EQ(P::Pack7(raw.data(), raw.size(), packed.data()), 8u);
    EXPECT_EQ(packed, (Bytes{0x7F, 0, 0, 0, 0, 0, 0, 0}));
}

struct HexCase {
    const char* text;
    std::uint32_t value;
};

TEST(MainCpuProtocol, HexToValueStopsAtTheFirstCharacterThatIsNoUpperCaseDigit) {
    for (const HexCase& c : {HexCase{"0001A000", 0x1A000}, HexCase{"0002a000", 2},
                             HexCase{"FFFFFFFF", 0xFFFFFFFF}, HexCase{"123456789", 0x12345678},
                             HexCase{"G1", 0}, HexCase{"", 0}, HexCase{"7F\xF7", 0x7F}}) {
        const std::string text = c.text;
        EXPECT_EQ(P::HexToValue(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                  c.value)
            << c.text;
    }
    const Bytes shortText{'1', '2', '3', '4'};
    EXPECT_EQ(P::HexToValue(shortText.data(), 2), 0x12u);
    EXPECT_EQ(P::NibbleToHex(10), 'A');
    EXPECT_EQ(P::NibbleToHex(9), '9');
}

}  // namespace
