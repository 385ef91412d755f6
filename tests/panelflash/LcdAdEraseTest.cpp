#include <gtest/gtest.h>

#include "panelflash/engine/LcdCommands.h"
#include "tests/panelflash/LcdEngineFixture.h"

namespace {

using AdEraseTest = LcdEngineTest<ScriptedLcdDevice>;

const char* const kNotFound = "Not found: Couldn't Erase AD Firmware.\r\nAD Firmware not found.";

std::vector<std::uint16_t> CommandsOf(const std::vector<Bytes>& requests) {
    std::vector<std::uint16_t> commands;
    for (const Bytes& r : requests)
        commands.push_back(static_cast<std::uint16_t>(r[5] << 8 | r[6]));
    return commands;
}

TEST_F(AdEraseTest, FollowsTheProgressUntil100) {
    device->ThenReply(LCD_CMD_FIND_AD, {0x01});
    device->ThenReply(LCD_CMD_ERASE_AD, {0x01});
    for (std::uint8_t percent : {0, 40, 99, 100})
        device->ThenReply(LCD_CMD_AD_ERASE_STATUS, {percent});
    updater.RunAdErase();
    EXPECT_EQ(report.statusTexts,
              (std::vector<std::string>{"AD Firmware found.", "AD erase start.",
                                        "AD Erase... (0% done.)", "AD Erase... (40% done.)",
                                        "AD Erase... (99% done.)", "AD Erase... (100% done.)"}));
    EXPECT_EQ(report.colours, STATUS_NORMAL);
    EXPECT_EQ(report.progress, 100);
    EXPECT_EQ(report.log, "AD Firmware found.\nAD erase start.\nOK.\n");
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(report.finished, 0);
    // Four polls, each after half a second.
    EXPECT_EQ(clock.NowMs(), 2000);
    for (const Bytes& request : device->Requests())
        EXPECT_EQ(request.size(), 8u);
}

TEST_F(AdEraseTest, FirstReplyOf100EndsAfterOnePoll) {
    device->ThenReply(LCD_CMD_FIND_AD, {0x01});
    device->ThenReply(LCD_CMD_ERASE_AD, {0x01});
    device->ThenReply(LCD_CMD_AD_ERASE_STATUS, {100});
    updater.RunAdErase();
    EXPECT_EQ(
        CommandsOf(device->Requests()),
        (std::vector<std::uint16_t>{LCD_CMD_FIND_AD, LCD_CMD_ERASE_AD, LCD_CMD_AD_ERASE_STATUS}));
    EXPECT_EQ(report.finished, 0);
}

TEST_F(AdEraseTest, NoAdFirmwareWarnsAndSendsNoErase) {
    device->ThenReply(LCD_CMD_FIND_AD, {0x00});
    updater.RunAdErase();
    EXPECT_EQ(CommandsOf(device->Requests()), std::vector<std::uint16_t>{LCD_CMD_FIND_AD});
    EXPECT_EQ(report.status, "AD Firmware not found.");
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_EQ(report.warnings, std::vector<std::string>{kNotFound});
    EXPECT_EQ(report.finished, 1);
}

TEST_F(AdEraseTest, SilentDeviceWarnsToo) {
    device->ThenSilence();
    updater.RunAdErase();
    EXPECT_EQ(report.status, "MIDI error 10.");
    EXPECT_EQ(report.warnings, std::vector<std::string>{kNotFound});
    EXPECT_EQ(report.finished, 1);
}

TEST_F(AdEraseTest, RefusedEraseFailsWithoutABox) {
    device->ThenReply(LCD_CMD_FIND_AD, {0x01});
    device->ThenReply(LCD_CMD_ERASE_AD, {0x00});
    updater.RunAdErase();
    EXPECT_EQ(report.status, "AD eraae error.");
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(report.finished, 1);
}

TEST_F(AdEraseTest, LostPollKeepsTheMidiErrorInTheStatusLine) {
    device->ThenReply(LCD_CMD_FIND_AD, {0x01});
    device->ThenReply(LCD_CMD_ERASE_AD, {0x01});
    device->ThenReply(LCD_CMD_AD_ERASE_STATUS, {50});
    device->ThenSilence();
    updater.RunAdErase();
    EXPECT_EQ(report.status, "MIDI error 10.");
    EXPECT_EQ(report.progress, 50);
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(report.finished, 1);
}

}  // namespace
