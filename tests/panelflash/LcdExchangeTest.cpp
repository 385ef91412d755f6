#include <gtest/gtest.h>

#include "panelflash/engine/LcdCommands.h"
#include "tests/panelflash/LcdEngineFixture.h"

using namespace std::chrono_literals;

namespace {

using ExchangeTest = LcdEngineTest<ScriptedLcdDevice>;

struct PackCase {
    Bytes raw;
    Bytes packed;
};

TEST(PackSevenBit, PacksGroupsOfSevenBehindTheirTopBits) {
    const std::vector<PackCase> cases{
        {{0x80}, {0x40, 0x00}},
        {{0x01, 0xFF, 0x7F}, {0x20, 0x01, 0x7F, 0x7F}},
        {{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86},
         {0x7F, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}},
        {{0xFF, 0, 0, 0, 0, 0, 0x80, 0x80}, {0x41, 0x7F, 0, 0, 0, 0, 0, 0x00, 0x40, 0x00}},
        {{}, {}},
    };
    for (const PackCase& c : cases) {
        Bytes out(c.raw.size() + c.raw.size() / 7 + 1, 0xEE);
        const std::size_t n = CLcdUpdater::PackSevenBit(c.raw.data(), c.raw.size(), out.data());
        out.resize(n);
        EXPECT_EQ(out, c.packed);
    }
}

TEST(PackSevenBit, FullBlockPacksInto4000Bytes) {
    Bytes raw(3500, 0xA5);
    Bytes out(4000);
    EXPECT_EQ(CLcdUpdater::PackSevenBit(raw.data(), raw.size(), out.data()), 4000u);
}

TEST_F(ExchangeTest, RequestsTravelByteForByte) {
    ExchangeBare(LCD_CMD_STATUS);
    const std::string name = "qrx41m.bin";
    std::copy(name.begin(), name.end(), updater.m_abMessage.begin() + 7);
    updater.m_abMessage[7 + name.size()] = 0xF7;
    updater.Exchange(LCD_CMD_SET_FILE_NAME, name.size() + 8, 20000);

    const auto requests = device->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x09, 0x01, 0xF7}));
    Bytes setName{0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x03};
    setName.insert(setName.end(), name.begin(), name.end());
    setName.push_back(0xF7);
    EXPECT_EQ(requests[1], setName);
}

struct ClassifyCase {
    const char* name;
    std::uint16_t command;
    Bytes payload;
    int result;
    const char* status;  // the status line afterwards; "" when the reply leaves it unchanged
    LcdStatusColours colours;
    const char* log;
};

void PrintTo(const ClassifyCase& c, std::ostream* out) {
    *out << c.name;
}

Bytes Text(const std::string& text) {
    return {text.begin(), text.end()};
}
Bytes Refusal(const std::string& text) {
    Bytes payload{0x00};
    payload.insert(payload.end(), text.begin(), text.end());
    return payload;
}

class ClassificationTest : public LcdEngineTest<ScriptedLcdDevice>,
                           public testing::WithParamInterface<ClassifyCase> {};

TEST_P(ClassificationTest, ReportsAndReturnsAsTheReplySays) {
    const ClassifyCase& c = GetParam();
    device->ThenReply(c.command, c.payload);
    EXPECT_EQ(ExchangeBare(c.command), c.result);
    EXPECT_EQ(report.status, c.status);
    if (*c.status) {
        EXPECT_EQ(report.colours, c.colours);
    }
    EXPECT_EQ(report.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ClassificationTest,
    testing::Values(
        ClassifyCase{"enter",
                     LCD_CMD_ENTER_UPDATE,
                     {0x01},
                     0,
                     "Update mode ready.",
                     STATUS_NORMAL,
                     "Update mode ready.\n"},
        ClassifyCase{"exit",
                     LCD_CMD_EXIT_UPDATE,
                     {},
                     0,
                     "Update mode exit.",
                     STATUS_NORMAL,
                     "Update mode exit.\n"},
        ClassifyCase{"model", LCD_CMD_MODEL_NAME, Text("VX9KR"), 0, "Model name is 'VX9KR'.",
                     STATUS_NORMAL, "Model name is 'VX9KR'.\n"},
        ClassifyCase{"version", LCD_CMD_VERSION, Text("2.00"), 0, "Version number is '2.00'.",
                     STATUS_NORMAL, "Version number is '2.00'.\n"},
        ClassifyCase{"erase refused", LCD_CMD_ERASE, Refusal("locked"), 1, "Erase error : locked.",
                     STATUS_ERROR, "Erase error : locked.\n"},
        ClassifyCase{"erase", LCD_CMD_ERASE, {0x01}, 0, "Erase OK.", STATUS_NORMAL, "Erase OK.\n"},
        ClassifyCase{"remove refused", LCD_CMD_REMOVE_DIR, Refusal("busy"), 1,
                     "Remove directory error : busy.", STATUS_ERROR,
                     "Remove directory error : busy.\n"},
        ClassifyCase{"remove keeps the line open",
                     LCD_CMD_REMOVE_DIR,
                     {0x01},
                     0,
                     "Remove directory.",
                     STATUS_NORMAL,
                     "Remove directory."},
        ClassifyCase{"rename refused", LCD_CMD_DELETE_RENAME, Refusal("no file"), 1,
                     "Delete & rename  : no file.", STATUS_ERROR, "Delete & rename  : no file.\n"},
        ClassifyCase{"rename",
                     LCD_CMD_DELETE_RENAME,
                     {0x01},
                     0,
                     "Delete & rename OK.",
                     STATUS_NORMAL,
                     "Delete & rename OK.\n"},
        ClassifyCase{"no AD",
                     LCD_CMD_FIND_AD,
                     {0x00},
                     1,
                     "AD Firmware not found.",
                     STATUS_ERROR,
                     "AD Firmware not found.\n"},
        ClassifyCase{"AD",
                     LCD_CMD_FIND_AD,
                     {0x01},
                     0,
                     "AD Firmware found.",
                     STATUS_NORMAL,
                     "AD Firmware found.\n"},
        ClassifyCase{"AD erase refused",
                     LCD_CMD_ERASE_AD,
                     {0x00},
                     1,
                     "AD eraae error.",
                     STATUS_ERROR,
                     "AD eraae error.\n"},
        ClassifyCase{"AD erase",
                     LCD_CMD_ERASE_AD,
                     {0x01},
                     0,
                     "AD erase start.",
                     STATUS_NORMAL,
                     "AD erase start.\n"},
        ClassifyCase{"name refused", LCD_CMD_SET_FILE_NAME, Refusal("bad name"), 1,
                     "Set file name error : bad name.", STATUS_ERROR,
                     "Set file name error : bad name.\n"},
        ClassifyCase{"name",
                     LCD_CMD_SET_FILE_NAME,
                     {0x01},
                     0,
                     "Set file name OK.",
                     STATUS_NORMAL,
                     "Set file name OK.\n"},
        ClassifyCase{"block refused", LCD_CMD_DOWNLOAD, Refusal("sum"), 1, "Download error : sum.",
                     STATUS_ERROR, "Download error : sum.\n"},
        ClassifyCase{"block", LCD_CMD_DOWNLOAD, {0x01}, 0, "", STATUS_NORMAL, ""},
        ClassifyCase{"checksum refused", LCD_CMD_CHECKSUM, Refusal("size"), 1,
                     "CheckSum error : size.", STATUS_ERROR, "CheckSum error : size.\n"},
        ClassifyCase{"checksum",
                     LCD_CMD_CHECKSUM,
                     {0x01},
                     0,
                     "CheckSum OK.",
                     STATUS_NORMAL,
                     "CheckSum OK.\n"},
        ClassifyCase{"status refused", LCD_CMD_STATUS, Refusal("fault"), 1, "Status error : fault.",
                     STATUS_ERROR, "Status error : fault.\n"},
        ClassifyCase{"idle", LCD_CMD_STATUS, {0x01}, 0, "", STATUS_NORMAL, "OK.\n"},
        ClassifyCase{"busy", LCD_CMD_STATUS, {0x02}, 3, "", STATUS_NORMAL, "."},
        ClassifyCase{"other status", LCD_CMD_STATUS, {0x05}, 0, "", STATUS_NORMAL, ""},
        ClassifyCase{"erasing", LCD_CMD_AD_ERASE_STATUS, {64}, 3, "", STATUS_NORMAL, ""},
        ClassifyCase{"erased", LCD_CMD_AD_ERASE_STATUS, {100}, 0, "", STATUS_NORMAL, "OK.\n"},
        ClassifyCase{"empty payload is status 00",
                     LCD_CMD_ERASE,
                     {},
                     1,
                     "Erase error : .",
                     STATUS_ERROR,
                     "Erase error : .\n"},
        ClassifyCase{"unknown command",
                     0x0123,
                     {0x01},
                     0,
                     "Unknown reply 0163.",
                     STATUS_NORMAL,
                     "Unknown reply 0163.\n"}),
    [](const testing::TestParamInfo<ClassifyCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        }
        return name;
    });

struct VersionCase {
    const char* version;
    std::int16_t modeAfter;
};

TEST_F(ExchangeTest, OnlyAVersionBeginning10DotSwitchesToCopyOnly) {
    for (const VersionCase& c :
         {VersionCase{"1.00", EXEMODE_COPYONLY}, VersionCase{"1.0x", EXEMODE_COPYONLY},
          VersionCase{"2.00", EXEMODE_ERASE}, VersionCase{"10.0", EXEMODE_ERASE}}) {
        updater.m_nExeMode = EXEMODE_ERASE;
        device->ThenReply(LCD_CMD_VERSION, Text(c.version));
        EXPECT_EQ(ExchangeBare(LCD_CMD_VERSION), 0);
        EXPECT_EQ(updater.m_nExeMode, c.modeAfter) << c.version;
    }
}

TEST_F(ExchangeTest, PayloadIsCopiedBackAsText) {
    device->ThenReply(LCD_CMD_AD_ERASE_STATUS, {64});
    EXPECT_EQ(ExchangeBare(LCD_CMD_AD_ERASE_STATUS), 3);
    EXPECT_EQ(updater.m_abMessage[7], 64);
    EXPECT_EQ(updater.m_abMessage[8], 0xF7);

    device->ThenReply(LCD_CMD_AD_ERASE_STATUS, {0});
    EXPECT_EQ(ExchangeBare(LCD_CMD_AD_ERASE_STATUS), 3);
    EXPECT_EQ(updater.m_abMessage[7], 0);
    EXPECT_EQ(updater.m_abMessage[8], 0xF7);

    device->ThenReply(LCD_CMD_MODEL_NAME, Text("VX9KR"));
    ExchangeBare(LCD_CMD_MODEL_NAME);
    EXPECT_EQ(std::string(updater.m_abMessage.begin() + 7, updater.m_abMessage.begin() + 12),
              "VX9KR");
    EXPECT_EQ(updater.m_abMessage[12], 0xF7);
    // The request header stays as it was.
    EXPECT_EQ(Bytes(updater.m_abMessage.begin(), updater.m_abMessage.begin() + 5),
              (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00}));
}

TEST_F(ExchangeTest, IgnoresOtherRepliesAndShortOnesUntilItsOwn) {
    device->Then({{ScriptedLcdDevice::Reply(LCD_CMD_SET_FILE_NAME, Bytes{0x01})},
                  {Bytes{0xF0, 0x43, 0x50, 0xF7}},
                  {ScriptedLcdDevice::Reply(LCD_CMD_CHECKSUM, Bytes{0x01})}});
    EXPECT_EQ(ExchangeBare(LCD_CMD_CHECKSUM), 0);
    EXPECT_EQ(report.log, "CheckSum OK.\n");
}

TEST_F(ExchangeTest, SilenceEndsWithMidiError10AfterTheTimeLimit) {
    device->ThenSilence();
    EXPECT_EQ(ExchangeBare(LCD_CMD_STATUS), 1);
    EXPECT_EQ(report.status, "MIDI error 10.");
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_EQ(clock.NowMs(), 20000);
}

TEST_F(ExchangeTest, EachWaitGetsTheFullTimeLimit) {
    // A foreign reply at 15 s starts a new wait of 20 s, in which the own reply at 34 s is taken.
    device->Then({{ScriptedLcdDevice::Reply(LCD_CMD_ERASE, Bytes{0x01}), 15s},
                  {ScriptedLcdDevice::Reply(LCD_CMD_STATUS, Bytes{0x01}), 34s}});
    EXPECT_EQ(ExchangeBare(LCD_CMD_STATUS), 0);
    EXPECT_EQ(clock.NowMs(), 34000);
    EXPECT_EQ(report.log, "OK.\n");
}

TEST_F(ExchangeTest, ForeignReplyAfterTheDeadlineEndsWithMidiError10) {
    device->Then({{ScriptedLcdDevice::Reply(LCD_CMD_ERASE, Bytes{0x01}), 15s},
                  {ScriptedLcdDevice::Reply(LCD_CMD_ERASE, Bytes{0x01}), 25s},
                  {ScriptedLcdDevice::Reply(LCD_CMD_STATUS, Bytes{0x01}), 30s}});
    EXPECT_EQ(ExchangeBare(LCD_CMD_STATUS), 1);
    EXPECT_EQ(report.status, "MIDI error 10.");
    EXPECT_EQ(clock.NowMs(), 25000);
}

TEST_F(ExchangeTest, ShortRepliesAloneEndAtTheTimeLimitOfTheirWait) {
    device->Then({{Bytes{0xF0, 0xF7}, 5s}});
    EXPECT_EQ(ExchangeBare(LCD_CMD_STATUS), 1);
    EXPECT_EQ(report.status, "MIDI error 10.");
    EXPECT_EQ(clock.NowMs(), 25000);
}

TEST_F(ExchangeTest, DownloadIsSentAgainWhileTheDeviceAsksForIt) {
    device->ThenReply(LCD_CMD_DOWNLOAD, {0x02});
    device->ThenReply(LCD_CMD_DOWNLOAD, {0x02});
    device->ThenReply(LCD_CMD_DOWNLOAD, {0x01});
    const Bytes block{'0', '0', '0', '1', '0', '0', '0', '0', '0', '0', '0', '0', 0x00, 0x05};
    std::copy(block.begin(), block.end(), updater.m_abMessage.begin() + 7);
    updater.m_abMessage[7 + block.size()] = 0x00;
    updater.m_abMessage[8 + block.size()] = 0xF7;
    EXPECT_EQ(updater.Exchange(LCD_CMD_DOWNLOAD, block.size() + 9, 20000), 0);
    const auto requests = device->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], requests[1]);
    EXPECT_EQ(requests[1], requests[2]);
    EXPECT_EQ(report.log, "");
}

TEST_F(ExchangeTest, ClosedLinkIsMidiError5) {
    link.Close();
    EXPECT_EQ(ExchangeBare(LCD_CMD_STATUS), 1);
    EXPECT_EQ(report.status, "MIDI error 5.");
}

}  // namespace
