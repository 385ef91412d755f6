#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/FlashCommand.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/lcd/LcdCpuModel.h"
#include "tests/support/ListedPortsService.h"
#include "tests/support/TempFolder.h"

namespace {

using vx9kr::sim::Bytes;
using vx9kr::sim::LcdCpuModel;

const std::string kPort = vx9kr::midi::SimulatorService::kPortName;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

Bytes Filled(std::size_t size, std::uint8_t first) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i * 7);
    return bytes;
}

// vx9kr-flash run in this process against the simulated LCD CPU, in virtual time: the device's
// two-second write pauses cost nothing.
class FlashCommandTest : public testing::Test {
  protected:
    int Run(const std::vector<std::string>& args) {
        if (!device)
            device = std::make_shared<LcdCpuModel>(behaviour);
        out.str("");
        err.str("");
        vx9kr::cli::FlashEnvironment env{makeService, clock, out, err, terminal};
        return vx9kr::cli::RunFlashCommand(args, env);
    }

    // A complete update set: one file of two blocks, and an AD firmware in its maker's old
    // signature.
    void WriteUpdateSet() {
        Bytes firmware = Filled(100, 5);
        std::copy_n("TB3K", 4, firmware.begin());
        disk = {{"qrx41m.bin", Filled(100, 1)},
                {"kt4w0200.bin", Filled(3600, 2)},
                {"pix70200.bin", Filled(100, 3)},
                {"fxt60200.bin", Filled(100, 4)},
                {"hq200200.pgm", firmware}};
        for (const auto& [name, bytes] : disk)
            folder.Write(name, bytes);
    }

    std::vector<std::string> LcdArgs() const {
        return {"lcd", "--in", kPort, "--out", kPort, "--folder", folder.Text()};
    }

    std::size_t RequestsOf(std::uint16_t command) const {
        std::size_t count = 0;
        for (const auto& request : device->Requests())
            count += request.command == command;
        return count;
    }

    vx9kr::VirtualClock clock;
    vx9kr::sim::LcdCpuBehaviour behaviour;
    std::shared_ptr<LcdCpuModel> device;
    std::function<vx9kr::midi::ServiceChoice(vx9kr::cli::DeviceStart)> makeService =
        [this](vx9kr::cli::DeviceStart) {
            return vx9kr::midi::ServiceChoice{
                std::make_unique<vx9kr::midi::SimulatorService>(clock, device), {}};
        };
    std::ostringstream out;
    std::ostringstream err;
    bool terminal = false;
    vx9kr::test::TempFolder folder;
    vx9kr::sim::LcdFileStore::Files disk;
};

// Per file: its header in the log, the progress texts under its device-side name, the checksum
// and the wait for the write.
std::vector<std::string> FileLines(const std::string& name, const std::string& size,
                                   const std::vector<std::string>& progress) {
    std::vector<std::string> lines{"", "--------", "'" + name + "'",
                                   "File size : " + size + " bytes", "Set file name OK."};
    lines.insert(lines.end(), progress.begin(), progress.end());
    lines.insert(lines.end(), {"CheckSum OK.", "Status check..OK."});
    return lines;
}

std::string Copy(const std::string& name, int percent) {
    return "'" + name + "' file copy... (Total " + std::to_string(percent) + "% done.)";
}

TEST_F(FlashCommandTest, LcdUpdatePrintsTheLogAndLeavesTheFilesOnTheDevice) {
    WriteUpdateSet();
    ASSERT_EQ(Run(LcdArgs()), 0) << err.str();

    std::vector<std::string> expected{"Start.",
                                      "OUT : " + kPort,
                                      "IN : " + kPort,
                                      "Update mode ready.",
                                      "Model name is 'VX9KR'.",
                                      "Version number is '2.00'.",
                                      "Remove directory..OK."};
    const std::vector<std::vector<std::string>> files{
        FileLines("qrx41m.bin", "100", {Copy("qrx41m.bin", 2)}),
        FileLines("kt4w0200.bin", "3600", {Copy("kt5w0200.bin", 90), Copy("kt5w0200.bin", 92)}),
        FileLines("pix70200.bin", "100", {Copy("pi570200.bin", 95)}),
        FileLines("fxt60200.bin", "100", {Copy("fx560200.bin", 97)}),
        FileLines("hq200200.pgm", "100", {Copy("hq500200.pgm", 100)}),
    };
    for (const auto& file : files)
        expected.insert(expected.end(), file.begin(), file.end());
    expected.insert(expected.end(), {"", "Delete & rename OK.", "Update mode exit.", "Complete!"});
    EXPECT_EQ(Lines(out.str()), expected);
    EXPECT_EQ(out.str().find('\r'), std::string::npos);
    EXPECT_EQ(err.str(), "");

    // The staged files have taken their real names, and the AD firmware its new signature.
    vx9kr::sim::LcdFileStore::Files arrived = disk;
    std::copy_n("VX9KR", 5, arrived["hq200200.pgm"].begin());
    EXPECT_EQ(device->Files(), arrived);
    EXPECT_FALSE(device->InUpdateMode());
}

TEST_F(FlashCommandTest, CopyOnlyModeSendsTheDiskNamesWithoutPreparingTheStore) {
    WriteUpdateSet();
    ASSERT_EQ(Run({"lcd", "--mode", "2", "--folder", folder.Text(), "--out", kPort, "--in", kPort}),
              0)
        << err.str();
    EXPECT_EQ(RequestsOf(vx9kr::sim::kLcdRemoveDir), 0u);
    EXPECT_EQ(RequestsOf(vx9kr::sim::kLcdErase), 0u);
    EXPECT_EQ(RequestsOf(vx9kr::sim::kLcdDeleteRename), 0u);
    EXPECT_NE(out.str().find(Copy("kt4w0200.bin", 92) + "\n"), std::string::npos);
    EXPECT_EQ(device->Files().size(), 5u);
    EXPECT_EQ(device->Files().count("pix70200.bin"), 1u);
}

TEST_F(FlashCommandTest, EraseModeErasesTheStoreFirst) {
    WriteUpdateSet();
    auto args = LcdArgs();
    args.insert(args.end(), {"--mode", "1"});
    ASSERT_EQ(Run(args), 0) << err.str();
    EXPECT_EQ(RequestsOf(vx9kr::sim::kLcdErase), 1u);
    EXPECT_NE(out.str().find("Version number is '2.00'.\nErase OK.\n"), std::string::npos);
}

TEST_F(FlashCommandTest, RefusedChecksumFailsTheRunAndShowsHowFarItGot) {
    WriteUpdateSet();
    behaviour.refusals.push_back({vx9kr::sim::kLcdChecksum, 1, "Bad sum"});
    EXPECT_EQ(Run(LcdArgs()), 1);
    const std::string text = out.str();
    EXPECT_NE(text.find(Copy("kt5w0200.bin", 92) + "\nCheckSum error : Bad sum.\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Complete!"), std::string::npos);
    EXPECT_EQ(err.str(), "vx9kr-flash: LCD update failed: CheckSum error : Bad sum.\n");
    // A failed run never leaves update mode.
    EXPECT_TRUE(device->InUpdateMode());
}

TEST_F(FlashCommandTest, IncompleteFolderFailsBeforeAnythingIsSent) {
    folder.Write("qrx41m.bin", {1});
    EXPECT_EQ(Run(LcdArgs()), 1);
    EXPECT_NE(out.str().find("Update file not found.\n  kt4w????.bin\n  pix7????.bin\n"),
              std::string::npos);
    EXPECT_TRUE(device->Requests().empty());
}

// What a terminal shows: each line as its last "\r" left it.
std::vector<std::string> Screen(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string line : Lines(text)) {
        line = line.substr(line.rfind('\r') == std::string::npos ? 0 : line.rfind('\r') + 1);
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(line);
    }
    return lines;
}

TEST_F(FlashCommandTest, OnATerminalTheProgressRedrawsOneLineWithABar) {
    WriteUpdateSet();
    terminal = true;
    ASSERT_EQ(Run(LcdArgs()), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("\r["), std::string::npos);
    EXPECT_NE(text.find("] " + Copy("kt5w0200.bin", 90) + "\r["), std::string::npos);
    EXPECT_TRUE(text.ends_with("\nUpdate mode exit.\nComplete!\n"));
    const auto screen = Screen(text);
    // The two texts of the file of two blocks share one line; the last of them stays.
    EXPECT_EQ(std::count_if(screen.begin(), screen.end(),
                            [](const std::string& l) { return l.find("kt5w0200") != l.npos; }),
              1);
    const auto line = std::find(screen.begin(), screen.end(), "CheckSum OK.");
    ASSERT_NE(line, screen.end());
    EXPECT_TRUE(line[-1].ends_with("] " + Copy("qrx41m.bin", 2))) << line[-1];
}

TEST_F(FlashCommandTest, AdEraseFollowsTheProgressOnTheTerminalBar) {
    behaviour.initialFiles["hq200100.pgm"] = Bytes(64, 0x5A);
    terminal = true;
    ASSERT_EQ(Run({"erase-ad", "--in", kPort, "--out", kPort}), 0) << err.str();
    const std::string bar40 = "[########------------] AD Erase... (40% done.)";
    EXPECT_NE(out.str().find("\r" + bar40), std::string::npos);
    // The last poll's "OK." reaches the log before its percentage reaches the status line.
    EXPECT_EQ(Screen(out.str()),
              (std::vector<std::string>{
                  "Start.", "OUT : " + kPort, "IN : " + kPort, "AD Firmware found.",
                  "AD erase start.", "[###################-] AD Erase... (99% done.)", "OK.",
                  "[####################] AD Erase... (100% done.)", "Complete!"}));
    EXPECT_TRUE(device->Files().empty());
}

TEST_F(FlashCommandTest, AdEraseOffATerminalPrintsEachPercentageOnce) {
    behaviour.initialFiles["hq200100.pgm"] = Bytes(64, 0x5A);
    behaviour.adEraseSteps = {0, 40, 40, 40, 99, 100};
    ASSERT_EQ(Run({"erase-ad", "--in", kPort, "--out", kPort}), 0) << err.str();
    EXPECT_EQ(out.str(), "Start.\nOUT : " + kPort + "\nIN : " + kPort +
                             "\nAD Firmware found.\nAD erase start.\n"
                             "AD Erase... (0% done.)\nAD Erase... (40% done.)\n"
                             "AD Erase... (99% done.)\nOK.\nAD Erase... (100% done.)\nComplete!\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(FlashCommandTest, AdEraseWithoutAdFirmwareWarnsOnStandardError) {
    EXPECT_EQ(Run({"erase-ad", "--in", kPort, "--out", kPort}), 1);
    EXPECT_TRUE(out.str().ends_with("AD Firmware not found.\n")) << out.str();
    EXPECT_EQ(err.str(),
              "Not found: Couldn't Erase AD Firmware.\nAD Firmware not found.\n"
              "vx9kr-flash: AD firmware erase failed: AD Firmware not found.\n");
    EXPECT_EQ(RequestsOf(vx9kr::sim::kLcdEraseAd), 0u);
}

TEST_F(FlashCommandTest, PortNamesMatchByTheirBeginningInAnyCase) {
    behaviour.initialFiles["hq200100.pgm"] = Bytes(64, 0x5A);
    ASSERT_EQ(Run({"erase-ad", "--in", "vx9kr", "--out", "VX9KR sIM"}), 0) << err.str();
    EXPECT_NE(out.str().find("OUT : " + kPort + "\nIN : " + kPort + "\n"), std::string::npos);
}

TEST_F(FlashCommandTest, UnmatchedPortNamesTheOnesThatExist) {
    EXPECT_EQ(Run({"erase-ad", "--in", "Simulator", "--out", kPort}), 1);
    EXPECT_EQ(err.str(),
              "vx9kr-flash: no MIDI input matches 'Simulator'; inputs: 'VX9KR Simulator'\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(device->Requests().empty());
}

TEST_F(FlashCommandTest, PortsListsBothDirections) {
    EXPECT_EQ(Run({"ports"}), 0);
    EXPECT_EQ(out.str(), "in\t0\t" + kPort + "\nout\t0\t" + kPort + "\n");
}

TEST_F(FlashCommandTest, PortThatCannotBeOpenedFailsTheRunWithTheReason) {
    makeService = [](vx9kr::cli::DeviceStart) {
        return vx9kr::midi::ServiceChoice{
            std::make_unique<vx9kr::test::ListedPortsService>(std::vector<std::string>{"Busy In"},
                                                              std::vector<std::string>{"Busy Out"}),
            {}};
    };
    EXPECT_EQ(Run({"erase-ad", "--in", "busy", "--out", "busy"}), 1);
    EXPECT_EQ(out.str(), "Start.\nMIDI port open error.\n");
    EXPECT_EQ(err.str(), "vx9kr-flash: Busy Out is in use.\n");
}

TEST_F(FlashCommandTest, MissingMidiServiceFailsTheCommand) {
    makeService = [](vx9kr::cli::DeviceStart) {
        return vx9kr::midi::ServiceChoice{nullptr, "No MIDI API works here."};
    };
    EXPECT_EQ(Run({"ports"}), 1);
    EXPECT_EQ(err.str(), "vx9kr-flash: no MIDI service: No MIDI API works here.\n");
    EXPECT_EQ(out.str(), "");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    std::string problem;
};

class FlashUsageTest : public FlashCommandTest, public testing::WithParamInterface<UsageCase> {};

TEST_P(FlashUsageTest, IsAUsageErrorThatTouchesNoDevice) {
    EXPECT_EQ(Run(GetParam().args), 2);
    const std::string text = err.str();
    EXPECT_TRUE(text.starts_with("vx9kr-flash: " + GetParam().problem + "\nusage: vx9kr-flash"))
        << text;
    EXPECT_NE(text.find("vx9kr-flash lcd --in NAME --out NAME --folder DIR [--mode 0|1|2]\n"),
              std::string::npos);
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(device->Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, FlashUsageTest,
    testing::Values(
        UsageCase{"Nothing", {}, "no command given"},
        UsageCase{"UnknownCommand", {"flash"}, "unknown command 'flash'"},
        UsageCase{"UnknownOption", {"-v"}, "unknown option '-v'"},
        UsageCase{"MissingFolder", {"lcd", "--in", "a", "--out", "b"}, "lcd needs --folder"},
        UsageCase{"ModeOutOfRange",
                  {"lcd", "--in", "a", "--out", "b", "--folder", "f", "--mode", "3"},
                  "--mode takes 0, 1 or 2, not '3'"},
        UsageCase{"ModeWithLeadingZero",
                  {"lcd", "--in", "a", "--out", "b", "--folder", "f", "--mode", "01"},
                  "--mode takes 0, 1 or 2, not '01'"},
        UsageCase{
            "ValueLeftOut", {"lcd", "--in", "--out", "b", "--folder", "f"}, "--in needs a value"},
        UsageCase{"LastValueLeftOut", {"erase-ad", "--in", "a", "--out"}, "--out needs a value"},
        UsageCase{"OptionOfAnotherCommand",
                  {"erase-ad", "--in", "a", "--out", "b", "--folder", "f"},
                  "erase-ad takes no option '--folder'"},
        UsageCase{"OptionTwice",
                  {"erase-ad", "--in", "a", "--in", "b", "--out", "c"},
                  "--in is given twice"},
        UsageCase{"StrayArgument", {"ports", "extra"}, "unexpected argument 'extra'"},
        UsageCase{"MissingImage", {"main", "--in", "a", "--out", "b"}, "main needs --file"},
        UsageCase{"ImageAsOperand",
                  {"main", "--in", "a", "--out", "b", "x.pgm"},
                  "unexpected argument 'x.pgm'"},
        UsageCase{"InfoWithoutFile", {"info"}, "info needs FILE.pgm"},
        UsageCase{"InfoOfTwoFiles", {"info", "a.pgm", "b.pgm"}, "unexpected argument 'b.pgm'"}),
    [](const testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

TEST_F(FlashCommandTest, HelpAndVersionGoToStandardOutput) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(out.str().starts_with("usage: vx9kr-flash ports\n")) << out.str();
    EXPECT_NE(out.str().find("VX9KR_MIDI"), std::string::npos);
    EXPECT_EQ(Run({"lcd", "--help"}), 0);
    EXPECT_TRUE(out.str().starts_with("usage: vx9kr-flash ports\n"));
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str(), "vx9kr-flash " VX9KR_VERSION "\n");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
