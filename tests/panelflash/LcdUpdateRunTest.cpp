#include <gtest/gtest.h>

#include <filesystem>

#include "panelflash/engine/LcdCommands.h"
#include "tests/panelflash/LcdEngineFixture.h"
#include "tests/support/TempFolder.h"

namespace {

std::uint16_t CommandOf(const Bytes& request) {
    return static_cast<std::uint16_t>(request[5] << 8 | request[6]);
}

std::string PayloadText(const Bytes& request, std::size_t length) {
    return std::string(request.begin() + 7, request.begin() + 7 + length);
}

// A run against a device that agrees to everything, for what the run itself sends and shows.
class UpdateRunTest : public LcdEngineTest<ScriptedLcdDevice> {
  protected:
    void WriteSet(const std::vector<std::pair<std::string, Bytes>>& files) {
        for (const auto& [name, bytes] : files)
            folder.Write(name, bytes);
    }
    void WriteSizes(std::size_t s0, std::size_t s1, std::size_t s2, std::size_t s3,
                    std::size_t s4) {
        WriteSet({{"qrx41m.bin", Bytes(s0, 0x81)},
                  {"kt4w0200.bin", Bytes(s1, 0x02)},
                  {"pix7ABCD.bin", Bytes(s2, 0x03)},
                  {"fxt60001.bin", Bytes(s3, 0x04)},
                  {"hq212345.pgm", Bytes(s4, 0x05)}});
    }
    void Run() {
        folderText = folder.Text();
        updater.RunUpdate(folderText);
    }
    std::vector<std::uint16_t> Commands() const {
        std::vector<std::uint16_t> commands;
        for (const Bytes& request : device->Requests())
            commands.push_back(CommandOf(request));
        return commands;
    }
    std::vector<Bytes> RequestsOf(std::uint16_t command) const {
        std::vector<Bytes> found;
        for (const Bytes& request : device->Requests()) {
            if (CommandOf(request) == command)
                found.push_back(request);
        }
        return found;
    }
    std::vector<std::string> Texts(std::uint16_t command) const {
        std::vector<std::string> texts;
        for (const Bytes& request : RequestsOf(command)) {
            texts.push_back(PayloadText(request, request.size() - 8));
        }
        return texts;
    }

    vx9kr::test::TempFolder folder;
    std::string folderText;
};

TEST_F(UpdateRunTest, ThreeBytesTravelAsThe25ByteDownloadRequest) {
    WriteSet({{"qrx41m.bin", {0x01, 0xFF, 0x7F}},
              {"kt4w0200.bin", {}},
              {"pix7ABCD.bin", {}},
              {"fxt60001.bin", {}},
              {"hq212345.pgm", {}}});
    updater.m_nExeMode = EXEMODE_COPYONLY;
    Run();
    const auto blocks = RequestsOf(LCD_CMD_DOWNLOAD);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0],
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x03, 0x00, 0x30, 0x30, 0x30, 0x33, 0x30, 0x30,
                     0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x20, 0x01, 0x7F, 0x7F, 0x1E, 0xF7}));
    EXPECT_EQ(Texts(LCD_CMD_CHECKSUM)[0], "0000000000000003017F");
    EXPECT_EQ(report.finished, 0);
}

TEST_F(UpdateRunTest, FilesGoInBlocksOf3500WithTheirSizesInTheChecksums) {
    WriteSizes(3500, 3501, 0, 7000, 1);
    updater.m_nExeMode = EXEMODE_COPYONLY;
    Run();
    std::vector<std::string> headers;
    for (const Bytes& block : RequestsOf(LCD_CMD_DOWNLOAD))
        headers.push_back(PayloadText(block, 12));
    EXPECT_EQ(headers, (std::vector<std::string>{"0DAC00000000", "0DAC00000000", "000100000DAC",
                                                 "0DAC00000000", "0DAC00000DAC", "000100000000"}));
    for (const Bytes& block : RequestsOf(LCD_CMD_DOWNLOAD)) {
        const std::size_t raw = std::stoul(PayloadText(block, 4), nullptr, 16);
        EXPECT_EQ(block.size(), raw + (raw + 6) / 7 + 21);
    }
    const auto sums = Texts(LCD_CMD_CHECKSUM);
    ASSERT_EQ(sums.size(), 5u);
    EXPECT_EQ(sums[0].substr(0, 16), "0000000000000DAC");
    EXPECT_EQ(sums[1].substr(0, 16), "0000000000000DAD");
    EXPECT_EQ(sums[2], "00000000000000000000");
    EXPECT_EQ(sums[3].substr(0, 16), "0000000000001B58");
    EXPECT_EQ(sums[4], "00000000000000010005");
    // 3500 bytes of 0x81 sum to 0x6E3AC, kept to 16 bits.
    EXPECT_EQ(sums[0].substr(16), "E3AC");
    EXPECT_EQ(report.finished, 0);
}

TEST_F(UpdateRunTest, ProgressStepsOncePerPercentAndEndsAt100) {
    WriteSizes(40, 40, 40, 40, 40);
    updater.m_nExeMode = EXEMODE_COPYONLY;
    Run();
    EXPECT_EQ(report.steps, 5);
    EXPECT_EQ(report.progress, 100);
    std::vector<std::string> copies;
    for (const std::string& text : report.statusTexts) {
        if (text.find("file copy") != std::string::npos)
            copies.push_back(text);
    }
    EXPECT_EQ(copies, (std::vector<std::string>{"'qrx41m.bin' file copy... (Total 20% done.)",
                                                "'kt4w0200.bin' file copy... (Total 40% done.)",
                                                "'pix7ABCD.bin' file copy... (Total 60% done.)",
                                                "'fxt60001.bin' file copy... (Total 80% done.)",
                                                "'hq212345.pgm' file copy... (Total 100% done.)"}));
}

TEST_F(UpdateRunTest, NormalModeStagesNamesAndSwapsThemInAtTheEnd) {
    WriteSizes(5, 5, 5, 5, 5);
    Run();
    EXPECT_EQ(Texts(LCD_CMD_SET_FILE_NAME),
              (std::vector<std::string>{"qrx41m.bin", "kt5w0200.bin", "pi57ABCD.bin",
                                        "fx560001.bin", "hq512345.pgm"}));
    EXPECT_EQ(Texts(LCD_CMD_DELETE_RENAME), (std::vector<std::string>{"kt5w0200.bin"}));
    EXPECT_NE(report.log.find("'pix7ABCD.bin'\nFile size : 5 bytes\n"), std::string::npos);
    EXPECT_NE(std::find(report.statusTexts.begin(), report.statusTexts.end(),
                        "'pi57ABCD.bin' file copy... (Total 60% done.)"),
              report.statusTexts.end());
    const std::vector<std::uint16_t> expected{LCD_CMD_ENTER_UPDATE, LCD_CMD_MODEL_NAME,
                                              LCD_CMD_VERSION, LCD_CMD_REMOVE_DIR, LCD_CMD_STATUS};
    const auto commands = Commands();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), commands.begin()));
    EXPECT_EQ(commands[commands.size() - 2], LCD_CMD_DELETE_RENAME);
    EXPECT_EQ(commands.back(), LCD_CMD_EXIT_UPDATE);
    EXPECT_EQ(RequestsOf(LCD_CMD_ENTER_UPDATE)[0].size(), 24u);
    EXPECT_EQ(Texts(LCD_CMD_ENTER_UPDATE)[0], "VOLK#TRM%GAZEBO?");
    EXPECT_EQ(report.finished, 0);
}

TEST_F(UpdateRunTest, Version10OfFileOneErasesAndKeepsTheNames) {
    WriteSet({{"qrx41m.bin", {1}},
              {"kt4w1000.bin", {2}},
              {"pix7ABCD.bin", {3}},
              {"fxt60001.bin", {4}},
              {"hq212345.pgm", {5}}});
    Run();
    const auto commands = Commands();
    EXPECT_EQ(commands[3], LCD_CMD_ERASE);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), LCD_CMD_REMOVE_DIR), 0);
    EXPECT_TRUE(RequestsOf(LCD_CMD_DELETE_RENAME).empty());
    EXPECT_EQ(Texts(LCD_CMD_SET_FILE_NAME)[2], "pix7ABCD.bin");
    EXPECT_EQ(report.finished, 0);
}

TEST_F(UpdateRunTest, DeviceVersion10CopiesOnlyInThisAndLaterRuns) {
    WriteSizes(5, 5, 5, 5, 5);
    device->ThenReply(LCD_CMD_ENTER_UPDATE, {0x01});
    device->ThenReply(LCD_CMD_MODEL_NAME, {'V', 'X'});
    device->ThenReply(LCD_CMD_VERSION, {'1', '.', '0', '2'});
    Run();
    Run();
    const auto commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), LCD_CMD_REMOVE_DIR), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), LCD_CMD_ERASE), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), LCD_CMD_DELETE_RENAME), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), LCD_CMD_EXIT_UPDATE), 2);
    EXPECT_EQ(Texts(LCD_CMD_SET_FILE_NAME)[1], "kt4w0200.bin");
}

TEST_F(UpdateRunTest, AdFirmwareBeginningTb3kIsSentBeginningVx9kr) {
    Bytes firmware{'t', 'b', '3', 'k', '!', 0x10, 0x20};
    WriteSet({{"qrx41m.bin", {}},
              {"kt4w0200.bin", {}},
              {"pix7ABCD.bin", {}},
              {"fxt60001.bin", {}},
              {"hq212345.pgm", firmware}});
    updater.m_nExeMode = EXEMODE_COPYONLY;
    Run();
    const Bytes block = RequestsOf(LCD_CMD_DOWNLOAD).at(0);
    EXPECT_EQ(Bytes(block.begin() + 20, block.begin() + 27),
              (Bytes{'V', 'X', '9', 'K', 'R', 0x10, 0x20}));
    const unsigned sum = 'V' + 'X' + '9' + 'K' + 'R' + 0x10 + 0x20;
    char expected[8];
    std::snprintf(expected, sizeof expected, "%04X", sum);
    EXPECT_EQ(Texts(LCD_CMD_CHECKSUM).at(4).substr(16), expected);
}

TEST_F(UpdateRunTest, IncompleteSetSendsNothingAndListsWhatIsMissing) {
    WriteSet(
        {{"qrx41m.bin", {1}}, {"kt4w0200.bin", {1}}, {"pix7ABCD.bin", {1}}, {"fxt60001.bin", {1}}});
    Run();
    EXPECT_TRUE(device->Requests().empty());
    EXPECT_EQ(report.log, "Update file not found.\n  hq2?????.pgm\n");
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_EQ(report.finished, 1);
}

TEST_F(UpdateRunTest, FileThatCannotBeReadStopsTheRunBeforeItIsSent) {
    WriteSizes(5, 5, 5, 5, 5);
    std::filesystem::remove(folder.Path() / "pix7ABCD.bin");
    std::filesystem::create_symlink(folder.Path() / "nowhere", folder.Path() / "pix7ABCD.bin");
    updater.m_nExeMode = EXEMODE_COPYONLY;
    Run();
    EXPECT_EQ(report.status, "'pix7ABCD.bin' file open error.");
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_EQ(Texts(LCD_CMD_SET_FILE_NAME).size(), 2u);
    EXPECT_TRUE(RequestsOf(LCD_CMD_EXIT_UPDATE).empty());
    EXPECT_EQ(report.finished, 1);
}

TEST_F(UpdateRunTest, FailedBlockKeepsItsTextInTheStatusLine) {
    WriteSizes(3500, 3500, 5, 5, 5);
    updater.m_nExeMode = EXEMODE_COPYONLY;
    for (std::uint16_t command :
         {LCD_CMD_ENTER_UPDATE, LCD_CMD_MODEL_NAME, LCD_CMD_VERSION, LCD_CMD_SET_FILE_NAME,
          LCD_CMD_DOWNLOAD, LCD_CMD_CHECKSUM, LCD_CMD_STATUS, LCD_CMD_SET_FILE_NAME}) {
        device->ThenReply(command, {0x01});
    }
    device->ThenReply(LCD_CMD_DOWNLOAD, {0x00, 'f', 'u', 'l', 'l'});
    Run();
    EXPECT_EQ(report.status, "Download error : full.");
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_NE(report.log.find("Download error : full.\n"), std::string::npos);
    EXPECT_EQ(report.steps, 2);
    EXPECT_LT(report.progress, 100);
    EXPECT_TRUE(RequestsOf(LCD_CMD_EXIT_UPDATE).empty());
    EXPECT_EQ(report.openClip, 0);
    EXPECT_EQ(report.finished, 1);
}

}  // namespace
