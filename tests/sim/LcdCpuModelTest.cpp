#include <gtest/gtest.h>

#include "sim/lcd/LcdCpuModel.h"
#include "tests/sim/LcdHost.h"

namespace vx9kr::sim {
namespace {

using namespace test;
using Files = LcdFileStore::Files;

const Bytes kAdFile = Pattern(100, 9);

LcdCpuBehaviour WithAdFirmware() {
    LcdCpuBehaviour behaviour;
    behaviour.initialFiles = {{"hq200001.pgm", kAdFile}};
    return behaviour;
}

TEST(LcdCpuModel, AnswersEachCommandByteForByte) {
    LcdCpuModel device(WithAdFirmware());
    const Bytes file{0x01, 0xFF, 0x7F};
    Converse(
        device,
        {
            {"enter", Enter(), {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x40, 0x01, 0xF7}},
            {"model name",
             Request(kLcdModelName),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x42, 'V', 'X', '9', 'K', 'R', 0xF7}},
            {"version",
             Request(kLcdVersion),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x43, '2', '.', '0', '0', 0xF7}},
            {"find AD",
             Request(kLcdFindAd),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x4A, 0x01, 0xF7}},
            {"remove dir",
             Request(kLcdRemoveDir),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x45, 0x01, 0xF7}},
            {"status, writing",
             Request(kLcdStatus),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x09, 0x41, 0x02, 0xF7}},
            {"status, idle",
             Request(kLcdStatus),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x09, 0x41, 0x01, 0xF7}},
            {"find AD, removed", Request(kLcdFindAd), StatusReply(kLcdFindAd, 0, "No AD firmware")},
            {"set file name",
             Request(kLcdSetFileName, Text("kt5w0200.bin")),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x43, 0x01, 0xF7}},
            {"download", Block(file, 0), {0xF0, 0x43, 0x50, 0x03, 0x00, 0x03, 0x40, 0x01, 0xF7}},
            {"checksum",
             FileChecksum(file),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x42, 0x01, 0xF7}},
            {"status, writing the file", Request(kLcdStatus), StatusReply(kLcdStatus, 2)},
            {"status, written", Request(kLcdStatus), StatusReply(kLcdStatus, 1)},
            {"delete & rename",
             Request(kLcdDeleteRename, Text("kt5w0200.bin")),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x46, 0x01, 0xF7}},
            {"erase", Request(kLcdErase), {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x44, 0x01, 0xF7}},
            {"erase AD, nothing to erase", Request(kLcdEraseAd),
             StatusReply(kLcdEraseAd, 0, "No AD firmware")},
            {"AD erase status, no erase",
             Request(kLcdAdEraseStatus),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x09, 0x42, 100, 0xF7}},
            {"unknown command", Request(0x0777), StatusReply(0x0777, 0, "Unknown command")},
            {"exit",
             Request(kLcdExitUpdate),
             {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x41, 0x01, 0xF7}},
        });
    EXPECT_FALSE(device.InUpdateMode());
    EXPECT_TRUE(device.Files().empty());
}

TEST(LcdCpuModel, OutsideUpdateModeRefusesWhatChangesTheStore) {
    LcdCpuModel device(WithAdFirmware());
    for (const std::uint16_t command : {kLcdErase, kLcdRemoveDir, kLcdDeleteRename, kLcdSetFileName,
                                        kLcdDownload, kLcdChecksum, kLcdStatus}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(AskOne(device, Request(command, Text("x"))),
                  StatusReply(command, 0, "Not in update mode"));
    }
    EXPECT_EQ(device.Files(), (Files{{"hq200001.pgm", kAdFile}}));
    Converse(device,
             {
                 {"model name", Request(kLcdModelName), Reply(kLcdModelName, Text("VX9KR"))},
                 {"version", Request(kLcdVersion), Reply(kLcdVersion, Text("2.00"))},
                 {"find AD", Request(kLcdFindAd), StatusReply(kLcdFindAd, 1)},
                 {"erase AD", Request(kLcdEraseAd), StatusReply(kLcdEraseAd, 1)},
                 {"AD erase status", Request(kLcdAdEraseStatus), StatusReply(kLcdAdEraseStatus, 0)},
                 {"exit", Request(kLcdExitUpdate), StatusReply(kLcdExitUpdate, 1)},
             });
    EXPECT_FALSE(device.InUpdateMode());
}

TEST(LcdCpuModel, OnlyTheExactAccessStringOpensTheUpdateMode) {
    LcdCpuModel device;
    for (const char* wrong :
         {"", "VOLK#TRM%GAZEBO", "VOLK#TRM%GAZEBO??", "volk#trm%gazebo?", "VOLK#TRM%GAZEBO!"}) {
        SCOPED_TRACE(wrong);
        EXPECT_TRUE(Ask(device, Request(kLcdEnterUpdate, Text(wrong))).empty());
        EXPECT_FALSE(device.InUpdateMode());
    }
    EXPECT_EQ(AskOne(device, Enter()), StatusReply(kLcdEnterUpdate, 1));
    EXPECT_TRUE(device.InUpdateMode());
}

TEST(LcdCpuModel, StoresAFileReceivedInBlocksOnceItsChecksumIsAccepted) {
    LcdCpuModel device;
    AskOne(device, Enter());
    const Bytes file = Pattern(3500 * 2 + 1, 3);
    AskOne(device, Request(kLcdSetFileName, Text("pi57ABCD.bin")));
    for (std::size_t offset : {0u, 3500u})
        EXPECT_EQ(AskOne(device,
                         Block(Bytes(file.begin() + offset, file.begin() + offset + 3500), offset)),
                  StatusReply(kLcdDownload, 1));
    EXPECT_EQ(AskOne(device, Block({file.back()}, 7000)), StatusReply(kLcdDownload, 1));
    EXPECT_TRUE(device.Files().empty());  // not before its checksum
    EXPECT_EQ(AskOne(device, FileChecksum(file)), StatusReply(kLcdChecksum, 1));
    EXPECT_EQ(device.Files(), (Files{{"pi57ABCD.bin", file}}));

    // An empty file has a name and a checksum, no block.
    EXPECT_EQ(SendFile(device, "fx560000.bin", {}),
              (std::vector<Bytes>{StatusReply(kLcdSetFileName, 1), StatusReply(kLcdChecksum, 1)}));
    EXPECT_EQ(device.Files(), (Files{{"fx560000.bin", {}}, {"pi57ABCD.bin", file}}));
}

TEST(LcdCpuModel, ANewVersionReplacesTheStoredFileOnlyWhenComplete) {
    LcdCpuBehaviour behaviour;
    behaviour.initialFiles = {{"qrx41m.bin", {1, 2, 3}}};
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    const Bytes newer = Pattern(10, 1);
    AskOne(device, Request(kLcdSetFileName, Text("QRX41M.BIN")));
    AskOne(device, Block(newer, 0));
    EXPECT_EQ(device.Files(), (Files{{"qrx41m.bin", {1, 2, 3}}}));
    AskOne(device, FileChecksum(newer));
    EXPECT_EQ(device.Files(), (Files{{"QRX41M.BIN", newer}}));
}

TEST(LcdCpuModel, ARefusedBlockIsNotKeptAndTheGoodOneIsTakenAfterIt) {
    LcdCpuModel device;
    AskOne(device, Enter());
    const Bytes file = Pattern(20, 7);
    AskOne(device, Request(kLcdSetFileName, Text("qrx41m.bin")));
    AskOne(device, Block(Bytes(file.begin(), file.begin() + 10), 0));
    Bytes damaged = Block(Bytes(file.begin() + 10, file.end()), 10);
    damaged[damaged.size() - 2] ^= 0x03;
    EXPECT_EQ(AskOne(device, damaged), StatusReply(kLcdDownload, 0, "Block checksum error"));
    EXPECT_EQ(AskOne(device, Block(Bytes(file.begin() + 10, file.end()), 0)),
              StatusReply(kLcdDownload, 0, "Bad offset"));
    EXPECT_EQ(AskOne(device, Block(Bytes(file.begin() + 10, file.end()), 10)),
              StatusReply(kLcdDownload, 1));
    EXPECT_EQ(AskOne(device, FileChecksum(file)), StatusReply(kLcdChecksum, 1));
    EXPECT_EQ(device.Files(), (Files{{"qrx41m.bin", file}}));
}

TEST(LcdCpuModel, RefusesChecksumsThatDoNotFitWhatArrived) {
    const Bytes file = Pattern(50, 2);
    Bytes wrongSum = file;
    wrongSum[0] ^= 1;
    struct Case {
        const char* what;
        Bytes checksum;
        const char* error;
    };
    for (const Case& c : std::vector<Case>{
             {"size", FileChecksum(Bytes(file.begin(), file.end() - 1)), "Size mismatch"},
             {"sum", FileChecksum(wrongSum), "Sum mismatch"},
             {"digits", Request(kLcdChecksum, Text("00000000000000320XYZ")), "Bad hex digit"},
             {"length", Request(kLcdChecksum, Text("000000000000003200")), "Bad checksum length"},
         }) {
        SCOPED_TRACE(c.what);
        LcdCpuModel device;
        AskOne(device, Enter());
        AskOne(device, Request(kLcdSetFileName, Text("a.bin")));
        AskOne(device, Block(file, 0));
        EXPECT_EQ(AskOne(device, c.checksum), StatusReply(kLcdChecksum, 0, c.error));
        EXPECT_TRUE(device.Files().empty());
        EXPECT_EQ(AskOne(device, Request(kLcdStatus)), StatusReply(kLcdStatus, 1));
    }

    LcdCpuModel device;
    AskOne(device, Enter());
    EXPECT_EQ(AskOne(device, FileChecksum({})),
              StatusReply(kLcdChecksum, 0, "No file being received"));
    EXPECT_EQ(AskOne(device, Block({1}, 0)), StatusReply(kLcdDownload, 0, "No file name"));
    EXPECT_EQ(AskOne(device, Request(kLcdSetFileName)),
              StatusReply(kLcdSetFileName, 0, "No file name"));
}

TEST(LcdCpuModel, IsBusyForTheConfiguredAnswersAfterEachWrite) {
    LcdCpuBehaviour behaviour;
    behaviour.busyAnswersPerWait = {3, 0};
    behaviour.defaultBusyAnswers = 2;
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    auto polls = [&device] {
        std::string answers;
        for (;;) {
            const Bytes reply = AskOne(device, Request(kLcdStatus));
            answers += std::to_string(reply.at(7));
            if (reply[7] != 2)
                return answers;
        }
    };
    EXPECT_EQ(polls(), "1");  // nothing written yet
    AskOne(device, Request(kLcdRemoveDir));
    EXPECT_EQ(polls(), "2221");
    SendFile(device, "qrx41m.bin", Pattern(5, 0));
    EXPECT_EQ(polls(), "1");
    SendFile(device, "kt5w0200.bin", Pattern(5, 0));
    EXPECT_EQ(polls(), "221");
    AskOne(device, Request(kLcdErase));  // erasing is not a write that is waited for
    EXPECT_EQ(polls(), "1");
}

TEST(LcdCpuModel, DeleteAndRenameInstallsTheStagedFilesOfANormalRun) {
    LcdCpuModel device(WithAdFirmware());
    const std::vector<std::pair<std::string, Bytes>> sent{
        {"qrx41m.bin", Pattern(3600, 1)},   {"kt5w0200.bin", Pattern(10, 2)},
        {"pi57ABCD.bin", Pattern(7001, 3)}, {"fx560001.bin", Pattern(1, 4)},
        {"hq500002.pgm", Pattern(300, 5)},
    };
    AskOne(device, Enter());
    AskOne(device, Request(kLcdRemoveDir));
    for (const auto& [name, bytes] : sent) {
        for (const Bytes& reply : SendFile(device, name, bytes))
            EXPECT_EQ(reply.at(7), 1) << name;
    }
    EXPECT_EQ(AskOne(device, Request(kLcdDeleteRename, Text("kt5w0201.bin"))),
              StatusReply(kLcdDeleteRename, 0, "File not found"));
    EXPECT_EQ(device.Files().count("kt5w0200.bin"), 1u);
    EXPECT_EQ(AskOne(device, Request(kLcdDeleteRename, Text("kt5w0200.bin"))),
              StatusReply(kLcdDeleteRename, 1));
    EXPECT_EQ(device.Files(), (Files{{"qrx41m.bin", sent[0].second},
                                     {"kt4w0200.bin", sent[1].second},
                                     {"pix7ABCD.bin", sent[2].second},
                                     {"fxt60001.bin", sent[3].second},
                                     {"hq200002.pgm", sent[4].second}}));
    EXPECT_EQ(AskOne(device, Request(kLcdFindAd)), StatusReply(kLcdFindAd, 1));
}

TEST(LcdCpuModel, DeleteAndRenameRemovesOlderVersionsLeftInTheStore) {
    LcdCpuBehaviour behaviour;
    behaviour.initialFiles = {{"kt4w0100.bin", {1}}, {"hq200001.pgm", {2}}, {"pix70100.bin", {3}}};
    LcdCpuModel device(behaviour);
    AskOne(device, Enter());
    SendFile(device, "kt5w0200.bin", {10});
    SendFile(device, "HQ500002.PGM", {20});
    EXPECT_EQ(AskOne(device, Request(kLcdDeleteRename, Text("KT5W0200.BIN"))),
              StatusReply(kLcdDeleteRename, 1));
    EXPECT_EQ(device.Files(),
              (Files{{"HQ200002.PGM", {20}}, {"kt4w0200.bin", {10}}, {"pix70100.bin", {3}}}));
}

TEST(LcdCpuModel, ErasesTheAdFirmwareStepByStep) {
    LcdCpuModel device(WithAdFirmware());
    EXPECT_EQ(device.AdErase().phase, LcdAdErasePhase::Idle);
    EXPECT_EQ(AskOne(device, Request(kLcdEraseAd)), StatusReply(kLcdEraseAd, 1));
    EXPECT_EQ(device.AdErase().phase, LcdAdErasePhase::Erasing);
    std::vector<int> progress;
    for (int poll = 0; poll < 3; ++poll) {
        progress.push_back(AskOne(device, Request(kLcdAdEraseStatus)).at(7));
        EXPECT_EQ(device.Files().size(), 1u);
    }
    progress.push_back(AskOne(device, Request(kLcdAdEraseStatus)).at(7));
    EXPECT_TRUE(device.Files().empty());
    progress.push_back(AskOne(device, Request(kLcdAdEraseStatus)).at(7));
    EXPECT_EQ(progress, (std::vector<int>{0, 40, 99, 100, 100}));
    EXPECT_EQ(device.AdErase().phase, LcdAdErasePhase::Finished);
    EXPECT_EQ(device.AdErase().polls, 5u);
    EXPECT_EQ(device.AdErase().progress, 100);
    EXPECT_EQ(AskOne(device, Request(kLcdFindAd)), StatusReply(kLcdFindAd, 0, "No AD firmware"));
    EXPECT_EQ(AskOne(device, Request(kLcdEraseAd)), StatusReply(kLcdEraseAd, 0, "No AD firmware"));
}

TEST(LcdCpuModel, AdEraseFollowsTheConfiguredSteps) {
    struct Case {
        std::vector<std::uint8_t> steps;
        std::vector<int> answers;
        bool erased;
    };
    for (const Case& c : std::vector<Case>{
             {{100}, {100, 100}, true},
             {{}, {100}, true},
             {{5, 64, 120}, {5, 64, 120, 100}, true},
             {{10, 50}, {10, 50, 50, 50}, false},  // an erase that never ends
         }) {
        LcdCpuBehaviour behaviour = WithAdFirmware();
        behaviour.adEraseSteps = c.steps;
        LcdCpuModel device(behaviour);
        AskOne(device, Request(kLcdEraseAd));
        std::vector<int> answers;
        for (std::size_t i = 0; i < c.answers.size(); ++i)
            answers.push_back(AskOne(device, Request(kLcdAdEraseStatus)).at(7));
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(device.Files().empty(), c.erased);
    }
}

TEST(LcdCpuModel, IgnoresOrRefusesMalformedMessagesWithoutReadingPastThem) {
    struct Case {
        const char* what;
        Bytes message;
        Bytes reply;  // empty: ignored
    };
    Bytes huge = Request(kLcdDownload, BlockPayload(Text("FFFFFFFFFFFF"), {}));
    Bytes noEnd = Enter();
    noEnd.pop_back();
    Bytes endInside = Enter();
    endInside[10] = 0xF7;
    Bytes longest(70000, 0x55);
    longest.front() = 0xF0;
    longest.back() = 0xF7;
    std::copy(kDeviceHeader.begin(), kDeviceHeader.end(), longest.begin());
    longest[5] = 0x03;
    longest[6] = 0x00;
    const std::vector<Case> cases{
        {"empty", {}, {}},
        {"start byte only", {0xF0}, {}},
        {"end byte only", {0xF7}, {}},
        {"short", {0xF0, 0x43, 0x50, 0xF7}, {}},
        {"header without command", {0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0xF7}, {}},
        {"no end byte", noEnd, {}},
        {"another maker", {0xF0, 0x44, 0x50, 0x03, 0x00, 0x00, 0x02, 0xF7}, {}},
        {"end byte inside", endInside, {}},
        {"huge count", huge, StatusReply(kLcdDownload, 0, "Bad block size")},
        {"digits without checksum", Request(kLcdDownload, Text("FFFFFFFFFFFF")),
         StatusReply(kLcdDownload, 0, "Block too short")},
        {"seven payload bytes", Request(kLcdDownload, Text("0001000")),
         StatusReply(kLcdDownload, 0, "Block too short")},
        {"very long block", longest, StatusReply(kLcdDownload, 0, "Block checksum error")},
        {"checksum of 3 digits", Request(kLcdChecksum, Text("000")),
         StatusReply(kLcdChecksum, 0, "Bad checksum length")},
    };
    LcdCpuModel device;
    AskOne(device, Enter());
    AskOne(device, Request(kLcdSetFileName, Text("a.bin")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Bytes> replies = Ask(device, c.message);
        if (c.reply.empty())
            EXPECT_TRUE(replies.empty());
        else
            EXPECT_EQ(replies, std::vector<Bytes>{c.reply});
    }
    EXPECT_TRUE(device.InUpdateMode());
    EXPECT_EQ(device.Requests().size(), cases.size() + 2);
}

}  // namespace
}  // namespace vx9kr::sim
