#include <gtest/gtest.h>

#include "sim/lcd/LcdCpuModel.h"
#include "tests/sim/LcdHost.h"

namespace vx9kr::sim {
namespace {

using namespace test;
using Files = LcdFileStore::Files;

TEST(LcdCpuFaults, ReportsTheModelNameAndVersionItWasGiven) {
    for (const char* version : {"2.00", "1.00", "10.0"}) {
        LcdCpuBehaviour behaviour;
        behaviour.modelName = "VX9KR-B";
        behaviour.version = version;
        LcdCpuModel device(behaviour);
        EXPECT_EQ(AskOne(device, Request(kLcdModelName)), Reply(kLcdModelName, Text("VX9KR-B")));
        EXPECT_EQ(AskOne(device, Request(kLcdVersion)), Reply(kLcdVersion, Text(version)));
    }
}

TEST(LcdCpuFaults, KnobsCanChangeWhileTheDeviceRuns) {
    LcdCpuModel device;
    EXPECT_EQ(AskOne(device, Request(kLcdVersion)), Reply(kLcdVersion, Text("2.00")));
    device.ChangeBehaviour([](LcdCpuBehaviour& b) {
        b.version = "1.00";
        b.silentFrom = 3;
    });
    EXPECT_EQ(AskOne(device, Request(kLcdVersion)), Reply(kLcdVersion, Text("1.00")));
    EXPECT_EQ(Ask(device, Request(kLcdVersion)).size(), 1u);
    EXPECT_TRUE(Ask(device, Request(kLcdVersion)).empty());
}

TEST(LcdCpuFaults, AsksForChosenBlocksAgainAndTakesTheRepeat) {
    LcdCpuBehaviour behaviour;
    behaviour.resendBlocks = {{1, 2}, {2, 1}};
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    const Bytes file = Pattern(25, 4);
    auto block = [&file](std::size_t offset) {
        const std::size_t end = std::min(file.size(), offset + 10);
        return Block(Bytes(file.begin() + offset, file.begin() + end), offset);
    };
    AskOne(device, Request(kLcdSetFileName, Text("a.bin")));
    std::string answers;
    for (const std::size_t offset : {0u, 10u, 10u, 10u, 20u, 20u})
        answers += std::to_string(AskOne(device, block(offset)).at(7));
    EXPECT_EQ(answers, "122121");
    EXPECT_EQ(AskOne(device, FileChecksum(file)), StatusReply(kLcdChecksum, 1));
    EXPECT_EQ(device.Files(), (Files{{"a.bin", file}}));
}

TEST(LcdCpuFaults, RefusesTheChosenCommandsLeavingTheStateAlone) {
    LcdCpuBehaviour behaviour;
    behaviour.refusals = {{kLcdStatus, 1, "Flash timeout"}, {kLcdDeleteRename, {}, "Locked"}};
    behaviour.initialFiles = {{"kt5w0200.bin", {1}}};
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    EXPECT_EQ(AskOne(device, Request(kLcdStatus)), StatusReply(kLcdStatus, 1));
    EXPECT_EQ(AskOne(device, Request(kLcdStatus)), StatusReply(kLcdStatus, 0, "Flash timeout"));
    EXPECT_EQ(AskOne(device, Request(kLcdStatus)), StatusReply(kLcdStatus, 1));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(AskOne(device, Request(kLcdDeleteRename, Text("kt5w0200.bin"))),
                  StatusReply(kLcdDeleteRename, 0, "Locked"));
    }
    EXPECT_EQ(device.Files(), (Files{{"kt5w0200.bin", {1}}}));
}

TEST(LcdCpuFaults, FallsSilentFromTheChosenRequestAndActsNoMore) {
    LcdCpuBehaviour behaviour;
    behaviour.silentFrom = 2;
    LcdCpuModel device(behaviour);
    EXPECT_EQ(Ask(device, {0xF0, 0xF7}).size(), 0u);  // ordinal 0, ignored but counted
    EXPECT_EQ(Ask(device, Request(kLcdModelName)).size(), 1u);
    EXPECT_TRUE(Ask(device, Enter()).empty());
    EXPECT_FALSE(device.InUpdateMode());
    EXPECT_TRUE(Ask(device, Request(kLcdModelName)).empty());
    EXPECT_EQ(device.Requests().size(), 4u);
}

TEST(LcdCpuFaults, SendsStrayMessagesBeforeTheRealReply) {
    const Bytes modelReply = Reply(kLcdModelName, Text("VX9KR"));
    const Bytes enterReply = StatusReply(kLcdEnterUpdate, 1);
    struct Case {
        LcdStray kind;
        Bytes stray;  // what arrives before the model name reply
        bool complete;
    };
    Bytes oversized = Reply(kLcdModelName, Bytes(4096, 'X'));
    for (const Case& c : std::vector<Case>{
             {LcdStray::LateReply, enterReply, true},
             {LcdStray::ForeignReply, StatusReply(kLcdStatus, 1), true},
             {LcdStray::ShortReply, {0xF0, 0x43, 0x50, 0xF7}, true},
             {LcdStray::OversizedReply, oversized, true},
             {LcdStray::CutShortReply, {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x42}, false},
         }) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        LcdCpuBehaviour behaviour;
        behaviour.strayReplies = {{1, c.kind}};
        LcdCpuModel device(behaviour);
        EXPECT_EQ(Ask(device, Enter()), std::vector<Bytes>{enterReply});
        RecordingWire wire;
        device.Receive(Request(kLcdModelName), wire);
        EXPECT_EQ(wire.sent, (std::vector<Bytes>{c.stray, modelReply}));
        EXPECT_EQ(wire.incomplete,
                  c.complete ? std::vector<std::size_t>{} : std::vector<std::size_t>{0});
    }
}

TEST(LcdCpuFaults, ALateReplyNeedsAnEarlierOneAndAForeignStatusReplyIsNotAStatusReply) {
    LcdCpuBehaviour behaviour;
    behaviour.strayReplies = {{0, LcdStray::LateReply}, {2, LcdStray::ForeignReply}};
    LcdCpuModel device(behaviour);
    EXPECT_EQ(Ask(device, Enter()), std::vector<Bytes>{StatusReply(kLcdEnterUpdate, 1)});
    Ask(device, Request(kLcdRemoveDir));
    EXPECT_EQ(
        Ask(device, Request(kLcdStatus)),
        (std::vector<Bytes>{Reply(kLcdModelName, Text("VX9KR")), StatusReply(kLcdStatus, 2)}));
}

TEST(LcdCpuFaults, DamagesTheChosenReplyOnItsWay) {
    LcdCpuBehaviour behaviour;
    behaviour.corruptReplies = {{1, 1, 0x01}, {2, 7, 0x20}, {3, 99, 0x01}};
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    Bytes header = Reply(kLcdModelName, Text("VX9KR"));
    header[1] = 0x42;
    EXPECT_EQ(AskOne(device, Request(kLcdModelName)), header);
    EXPECT_EQ(AskOne(device, Request(kLcdVersion)), Reply(kLcdVersion, Text("\x12.00")));
    EXPECT_EQ(AskOne(device, Request(kLcdVersion)), Reply(kLcdVersion, Text("2.00")));
}

TEST(LcdCpuFaults, ADamagedRequestIsRefusedByTheDevicesOwnChecks) {
    LcdCpuBehaviour behaviour;
    behaviour.corruptRequests = {2, 4, 5};
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    const Bytes file = Pattern(30, 6);
    AskOne(device, Request(kLcdSetFileName, Text("a.bin")));
    EXPECT_EQ(AskOne(device, Block(file, 0)), StatusReply(kLcdDownload, 0, "Block checksum error"));
    EXPECT_EQ(AskOne(device, Block(file, 0)), StatusReply(kLcdDownload, 1));
    EXPECT_EQ(AskOne(device, FileChecksum(file)).at(7), 0);
    EXPECT_TRUE(Ask(device, Enter()).empty());  // the access string no longer fits
    EXPECT_TRUE(device.Files().empty());
    // The log keeps the bytes as they were sent.
    EXPECT_EQ(device.Requests().at(2).bytes, Block(file, 0));
}

TEST(LcdCpuFaults, LogsEveryRequestInOrder) {
    LcdCpuModel device;
    const std::vector<Bytes> sent{Enter(),
                                  Request(kLcdModelName),
                                  {0xF0, 0x43, 0xF7},
                                  Request(kLcdSetFileName, Text("qrx41m.bin")),
                                  Block(Pattern(3500, 0), 0)};
    for (const Bytes& request : sent)
        Ask(device, request);
    const std::vector<LcdRequestRecord> log = device.Requests();
    ASSERT_EQ(log.size(), sent.size());
    const std::vector<std::uint32_t> commands{kLcdEnterUpdate, kLcdModelName, kLcdNoCommand,
                                              kLcdSetFileName, kLcdDownload};
    const std::vector<std::size_t> lengths{24, 8, 3, 18, 4021};
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].command, commands[i]) << i;
        EXPECT_EQ(log[i].length, lengths[i]) << i;
        EXPECT_EQ(log[i].bytes, sent[i]) << i;
    }
}

}  // namespace
}  // namespace vx9kr::sim
