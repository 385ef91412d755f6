#include <gtest/gtest.h>

#include "sim/main/MainCpuModel.h"
#include "tests/sim/MainCpuHost.h"

namespace vx9kr::sim {
namespace {

using namespace test;

MainCpuBehaviour WithoutProgress() {
    MainCpuBehaviour behaviour;
    behaviour.progressReports = {
        {MainCpuRequest::Copy, {}}, {MainCpuRequest::Uninstall, {}}, {MainCpuRequest::Install, {}}};
    return behaviour;
}

MainCpuBehaviour WithMemory(std::size_t size) {
    MainCpuBehaviour behaviour = WithoutProgress();
    behaviour.memorySize = size;
    return behaviour;
}

TEST(MainCpuModel, AnswersEachRequestByteForByte) {
    MainCpuModel device(WithoutProgress());
    const Bytes loadAt1000{0xF0, 0x43, 0x50, 0x03, 0x00, 0x03, 0x00, 0x30, 0x30,
                           0x30, 0x33, 0x30, 0x30, 0x30, 0x30, 0x31, 0x30, 0x30,
                           0x30, 0x50, 0x01, 0x02, 0x7F, 0x6A, 0xF7};
    Converse(device,
             {
                 {"model name",
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x02, 0xF7},
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x42, 'V', 'X', '9', 'K', 'R', 0xF7}},
                 {"select",
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x01, 0x12, 0xF7},
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x41, 0x01, 0xF7}},
                 {"set range",
                  SetRange(0, 0x20000),
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x42, 0x01, 0xF7}},
                 {"copy", Copy(), {0xF0, 0x43, 0x50, 0x03, 0x00, 0x02, 0x41, 0x01, 0xF7}},
                 {"load data", loadAt1000, {0xF0, 0x43, 0x50, 0x03, 0x00, 0x03, 0x40, 0x01, 0xF7}},
                 {"set range, region", SetRange(0x1000, 3), Final(0x01, 0x02, 1)},
                 {"uninstall",
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x00, 0xF7},
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x40, 0x01, 0xF7}},
                 {"install", Install(), {0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x41, 0x01, 0xF7}},
                 {"verify",
                  Verify(0x1000, 3, 0x81 + 0x02 + 0xFF),
                  {0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x42, 0x01, 0xF7}},
                 {"acknowledge, nothing running", Acknowledge(), {}},
                 {"unknown request", Message(0x06, 0x00), Final(0x06, 0x00, 0)},
             });
    const Bytes memory = device.Memory();
    EXPECT_EQ(memory.size(), 4u * 1024 * 1024);
    EXPECT_EQ(Bytes(memory.begin() + 0xFFF, memory.begin() + 0x1004),
              (Bytes{0xFF, 0x81, 0x02, 0xFF, 0xFF}));
    EXPECT_EQ(device.Ranges(),
              (std::vector<MainCpuRangeRecord>{{{0, 0x20000}, MainCpuRangeState::Copied},
                                               {{0x1000, 3}, MainCpuRangeState::Installed}}));
}

TEST(MainCpuModel, IgnoresWhatIsNotARequestForIt) {
    MainCpuModel device(WithoutProgress());
    for (const Bytes& message : std::vector<Bytes>{
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0xF7},
             {0xF0, 0x43, 0x51, 0x03, 0x00, 0x00, 0x02, 0xF7},
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x02, 0x00},
         }) {
        EXPECT_TRUE(Ask(device, message).empty());
    }
}

TEST(MainCpuModel, RefusesAllButNameAndSelectionUntilTheRightSelector) {
    MainCpuModel device(WithMemory(0x10000));
    const Bytes load = LoadData(0, {1, 2, 3});
    const std::vector<Step> refused{
        {"set range", SetRange(0, 0x100), Final(0x01, 0x02, 0)},
        {"copy", Copy(), Final(0x02, 0x01, 0)},
        {"load data", load, Final(0x03, 0x00, 0)},
        {"uninstall", Uninstall(), Final(0x04, 0x00, 0)},
        {"install", Install(), Final(0x04, 0x01, 0)},
        {"verify", Verify(0, 1, 0xFF), Final(0x04, 0x02, 0)},
        {"acknowledge", Acknowledge(), {}},
    };
    Converse(device, refused);
    for (const Bytes& wrong : {SelectDevice(0x13), SelectDevice(0x00), Message(0x01, 0x01),
                               Message(0x01, 0x01, {0x12, 0x12})}) {
        EXPECT_EQ(AskOne(device, wrong), Final(0x01, 0x01, 0));
        EXPECT_FALSE(device.Selected());
        Converse(device, refused);
    }
    EXPECT_EQ(AskOne(device, GetModelName()), ModelNameReply("VX9KR"));
    EXPECT_EQ(AskOne(device, SelectDevice(0x12)), Final(0x01, 0x01, 1));
    EXPECT_TRUE(device.Selected());
    EXPECT_EQ(AskOne(device, load), Final(0x03, 0x00, 1));
    // Another device's selector deselects this one.
    EXPECT_EQ(AskOne(device, SelectDevice(0x21)), Final(0x01, 0x01, 0));
    EXPECT_EQ(AskOne(device, Verify(0, 3, 6)), Final(0x04, 0x02, 0));
    EXPECT_EQ(device.Memory()[2], 3);
    EXPECT_TRUE(device.Ranges().empty());
}

TEST(MainCpuModel, TakesOnlyARangeOfUpperCaseDigitsInsideItsMemory) {
    MainCpuModel device(WithMemory(0x10000));
    Select(device);
    EXPECT_EQ(AskOne(device, Copy()), Final(0x02, 0x01, 0));  // no range yet
    EXPECT_EQ(AskOne(device, SetRange(0x100, 0x200)), Final(0x01, 0x02, 1));
    for (const Bytes& bad : {
             Message(0x01, 0x02, Text("000000ff00000200")),
             Message(0x01, 0x02, Text("0000010000000200 ")),
             Message(0x01, 0x02, Text("000001000000020")),
             SetRange(0x10000, 1),
             SetRange(0xFF00, 0x101),
             SetRange(0xFFFFFFFF, 2),
         }) {
        EXPECT_EQ(AskOne(device, bad), Final(0x01, 0x02, 0));
    }
    EXPECT_EQ(AskOne(device, SetRange(0xFF00, 0x100)), Final(0x01, 0x02, 1));
    EXPECT_EQ(AskOne(device, SetRange(0x100, 0x200)), Final(0x01, 0x02, 1));
    EXPECT_EQ(AskOne(device, SetRange(0x10000, 0)), Final(0x01, 0x02, 1));
    EXPECT_EQ(AskOne(device, SetRange(0x100, 0x200)), Final(0x01, 0x02, 1));
    // A refused range leaves the last one good for the operation.
    EXPECT_EQ(AskOne(device, SetRange(0x20000, 0x10)), Final(0x01, 0x02, 0));
    EXPECT_EQ(AskOne(device, Copy()), Final(0x02, 0x01, 1));
    EXPECT_EQ(device.Ranges(),
              (std::vector<MainCpuRangeRecord>{{{0x100, 0x200}, MainCpuRangeState::Copied}}));
}

TEST(MainCpuModel, RefusesLoadDataThatFailsAnyCheckAndLeavesMemoryAlone) {
    constexpr std::size_t kMemory = 0x2000;
    const Bytes raw = Pattern(2048, 3);
    const Bytes good = LoadData(0x1800, raw);
    Bytes badChecksum = good;
    badChecksum[badChecksum.size() - 2] ^= 0x01;
    Bytes highByte = good;
    highByte[30] |= 0x80;  // the sum's low seven bits stay as they were
    Bytes packedThree = Pack({1, 2, 3});
    Bytes unusedTopBit = packedThree;
    unusedTopBit[0] |= 0x01;
    struct Case {
        const char* what;
        Bytes request;
    };
    for (const Case& c : std::vector<Case>{
             {"checksum", badChecksum},
             {"a byte above 7F", highByte},
             {"count 0", LoadData(Text("000000000000"), {})},
             {"count 0801", LoadData(Hex("%04X%08X", 0x801, 0), Pack(Pattern(0x801, 1)))},
             {"lower-case count", LoadData(Text("000a00000000"), Pack(Pattern(10, 1)))},
             {"lower-case address", LoadData(Text("00030000000a"), packedThree)},
             {"count above the data", LoadData(Text("000400000000"), packedThree)},
             {"count below the data", LoadData(Text("000200000000"), packedThree)},
             {"a packed byte short", LoadData(Text("000300000000"), Bytes(3, 0))},
             {"top bit of no byte", LoadData(Text("000300000000"), unusedTopBit)},
             {"past the end", LoadData(0x2000, {1})},
             {"across the end", LoadData(0x1801, raw)},
             {"no checksum", Message(0x03, 0x00, Text("000100000000"))},
             {"nothing", Message(0x03, 0x00)},
         }) {
        SCOPED_TRACE(c.what);
        MainCpuModel device(WithMemory(kMemory));
        Select(device);
        EXPECT_EQ(AskOne(device, c.request), Final(0x03, 0x00, 0));
        EXPECT_EQ(device.Memory(), Bytes(kMemory, 0xFF));
    }
    MainCpuModel device(WithMemory(kMemory));
    Select(device);
    EXPECT_EQ(good.size(), 2362u);
    EXPECT_EQ(AskOne(device, good), Final(0x03, 0x00, 1));
    const Bytes memory = device.Memory();
    EXPECT_EQ(Bytes(memory.begin() + 0x1800, memory.end()), raw);
    EXPECT_EQ(Bytes(memory.begin(), memory.begin() + 0x1800), Bytes(0x1800, 0xFF));
}

TEST(MainCpuModel, SendsEachProgressReportOnlyAfterTheAcknowledgeOfTheLast) {
    MainCpuBehaviour behaviour;
    behaviour.progressReports = {{MainCpuRequest::Copy, {0x1000, 0x2A000, 0x40000}}};
    MainCpuModel device(behaviour);
    Select(device);
    Converse(device, {
                         {"set range", SetRange(0, 0x40000), Final(0x01, 0x02, 1)},
                         {"copy",
                          Copy(),
                          {0xF0, 0x43, 0x50, 0x03, 0x00, 0x02, 0x21, '0', '0', '0', '0', '1', '0',
                           '0', '0', 0xF7}},
                     });
    EXPECT_TRUE(device.Ranges().empty());
    Converse(device, {
                         {"second", Acknowledge(), Progress(0x02, 0x01, 0x2A000)},
                         {"third", Acknowledge(), Progress(0x02, 0x01, 0x40000)},
                         {"final", Acknowledge(), Final(0x02, 0x01, 1)},
                         {"nothing more", Acknowledge(), {}},
                     });
    EXPECT_EQ(device.Ranges(),
              (std::vector<MainCpuRangeRecord>{{{0, 0x40000}, MainCpuRangeState::Copied}}));
}

TEST(MainCpuModel, ReportsEvenlySpacedAddressesWhenNoneAreChosen) {
    struct Case {
        std::size_t reports;
        std::vector<unsigned> addresses;
    };
    for (const Case& c : std::vector<Case>{
             {8, {0x3000, 0x5000, 0x7000, 0x9000, 0xB000, 0xD000, 0xF000, 0x11000}},
             {3, {0x6555, 0xBAAA, 0x11000}},
             {1, {0x11000}},
             {0, {}},
         }) {
        SCOPED_TRACE(c.reports);
        MainCpuBehaviour behaviour;
        behaviour.defaultProgressReports = c.reports;
        MainCpuModel device(behaviour);
        Select(device);
        std::vector<Bytes> expected{Final(0x01, 0x02, 1)};
        for (const unsigned address : c.addresses)
            expected.push_back(Progress(0x04, 0x00, address));
        expected.push_back(Final(0x04, 0x00, 1));
        EXPECT_EQ(Operate(device, Uninstall(), 0x1000, 0x10000), expected);
    }
    MainCpuModel device;
    Select(device);
    EXPECT_EQ(Operate(device, Copy(), 0x1000, 0),
              (std::vector<Bytes>{Final(0x01, 0x02, 1), Final(0x02, 0x01, 1)}));
}

TEST(MainCpuModel, AnotherRequestAbandonsAnOperationWaitingForItsAcknowledge) {
    MainCpuModel device;
    Select(device);
    AskOne(device, SetRange(0, 0x8000));
    EXPECT_EQ(AskOne(device, Uninstall()), Progress(0x04, 0x00, 0x1000));
    EXPECT_EQ(AskOne(device, GetModelName()), ModelNameReply("VX9KR"));
    EXPECT_TRUE(Ask(device, Acknowledge()).empty());
    EXPECT_TRUE(device.Ranges().empty());
    // Nothing that was left over to install.
    EXPECT_EQ(AskOne(device, Install()), Final(0x04, 0x01, 0));
}

TEST(MainCpuModel, InstallsOnlyARangeThatWasUninstalledAndKeepsEachRangesState) {
    MainCpuModel device(WithoutProgress());
    Select(device);
    const unsigned kRegion1 = 0x40000, kRegion2 = 0x30000;
    EXPECT_EQ(Operate(device, Install(), 0, kRegion1).back(), Final(0x04, 0x01, 0));
    EXPECT_EQ(Operate(device, Copy(), 0, 0x80000).back(), Final(0x02, 0x01, 1));
    EXPECT_EQ(Operate(device, Uninstall(), 0, kRegion1).back(), Final(0x04, 0x00, 1));
    EXPECT_EQ(Operate(device, Uninstall(), kRegion1, kRegion2).back(), Final(0x04, 0x00, 1));
    EXPECT_EQ(Operate(device, Install(), 0, kRegion1 - 1).back(), Final(0x04, 0x01, 0));
    EXPECT_EQ(Operate(device, Install(), 0, kRegion1).back(), Final(0x04, 0x01, 1));
    EXPECT_EQ(Operate(device, Install(), 0, kRegion1).back(), Final(0x04, 0x01, 0));
    EXPECT_EQ(device.Ranges(), (std::vector<MainCpuRangeRecord>{
                                   {{0, kRegion1}, MainCpuRangeState::Installed},
                                   {{0, 0x80000}, MainCpuRangeState::Copied},
                                   {{kRegion1, kRegion2}, MainCpuRangeState::Uninstalled},
                               }));
}

TEST(MainCpuModel, VerifiesTheSixteenBitSumOfItsMemory) {
    MainCpuModel device(WithMemory(0x10000));
    Select(device);
    const Bytes raw = Pattern(2048, 7);
    AskOne(device, LoadData(0x800, raw));
    const unsigned sum = Sum16(raw);
    struct Case {
        const char* what;
        Bytes request;
        std::uint8_t status;
    };
    for (const Case& c : std::vector<Case>{
             {"the data", Verify(0x800, 2048, sum), 1},
             {"another sum", Verify(0x800, 2048, (sum + 1) & 0xFFFF), 0},
             {"one byte less", Verify(0x800, 2047, (sum - raw.back()) & 0xFFFF), 1},
             {"with one FF before", Verify(0x7FF, 2049, (sum + 0xFF) & 0xFFFF), 1},
             {"untouched memory", Verify(0x1000, 0xF000, (0xF000 * 0xFF) & 0xFFFF), 1},
             {"nothing", Verify(0x800, 0, 0), 1},
             {"past the end", Verify(0xFFFF, 2, 0x1FE), 0},
             {"lower-case digits", Message(0x04, 0x02, Text("000008000000080000ff")), 0},
             {"a digit short", Message(0x04, 0x02, Text("0000080000000800000")), 0},
         }) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AskOne(device, c.request), Final(0x04, 0x02, c.status));
    }
}

TEST(MainCpuModel, LogsEveryMessageInOrder) {
    MainCpuModel device;
    const std::vector<Bytes> sent{
        GetModelName(), {0xF0, 0x43, 0xF7}, SelectDevice(0x12), Message(0x07, 0x07), Acknowledge()};
    for (const Bytes& message : sent)
        Ask(device, message);
    const std::vector<MainCpuRequestRecord> log = device.Requests();
    ASSERT_EQ(log.size(), sent.size());
    const std::vector<std::optional<MainCpuRequest>> kinds{
        MainCpuRequest::GetModelName, std::nullopt, MainCpuRequest::SelectDevice, std::nullopt,
        MainCpuRequest::ProgressAcknowledge};
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].ordinal, i);
        EXPECT_EQ(log[i].request, kinds[i]) << i;
        EXPECT_EQ(log[i].bytes, sent[i]) << i;
    }
}

}  // namespace
}  // namespace vx9kr::sim
