// Whole runs against the simulated LCD CPU, at the speed of a MIDI cable, in virtual time: what
// the device holds afterwards, what the operator was shown, and how long it took.

#include <gtest/gtest.h>

#include <chrono>

#include "panelflash/engine/LcdRunFrame.h"
#include "panelflash/engine/LcdUpdater.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/lcd/LcdCpuModel.h"
#include "tests/panelflash/RecordingReport.h"
#include "tests/support/TempFolder.h"

using namespace std::chrono_literals;
using vx9kr::midi::SimulatorService;
using vx9kr::sim::LcdCpuBehaviour;
using vx9kr::sim::LcdCpuModel;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Files = std::map<std::string, Bytes>;

Bytes Firmware(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 37);
    return bytes;
}

// The folder an operator gets: five files, the AD firmware with its old signature.
Files UpdateFiles(const std::string& kt4wName = "kt4w0200.bin") {
    Bytes ad = Firmware(3600, 5);
    std::copy_n("TB3K", 4, ad.begin());
    return {{"qrx41m.bin", Firmware(3500, 1)},
            {kt4wName, Firmware(7001, 2)},
            {"pix7ABCD.bin", Firmware(1, 3)},
            {"fxt60001.bin", Firmware(0, 4)},
            {"hq212345.pgm", ad}};
}

// What the device must hold after the update: the files as on disk, the AD firmware beginning
// with the device's own name.
Files AsInstalled(Files files) {
    std::copy_n("VX9KR", 5, files["hq212345.pgm"].begin());
    return files;
}

class RunOnSimulator : public testing::Test {
  protected:
    void Start(LcdCpuBehaviour behaviour = {}) {
        device = std::make_shared<LcdCpuModel>(std::move(behaviour));
        service =
            std::make_unique<SimulatorService>(clock, device, vx9kr::midi::WireSpeed::MidiCable());
        link = std::make_unique<CLcdMidiLink>(*service, clock);
        updater = std::make_unique<CLcdUpdater>(*link, report, clock);
    }
    void TearDown() override {
        updater.reset();
        link.reset();
        service.reset();
    }
    void Write(const Files& files) {
        for (const auto& [name, bytes] : files)
            folder.Write(name, bytes);
    }
    // The run as a front end frames it.
    int Update(std::int16_t mode) {
        updater->m_nExeMode = mode;
        folderText = folder.Text();
        const std::string port = SimulatorService::kPortName;
        if (!BeginLcdRun(*link, report, port, port))
            return -1;
        updater->RunUpdate(folderText);
        EndLcdRun(*link, report, *report.finished, folderText);
        return *report.finished;
    }
    int EraseAd() {
        const std::string port = SimulatorService::kPortName;
        if (!BeginLcdRun(*link, report, port, port))
            return -1;
        updater->RunAdErase();
        EndLcdRun(*link, report, *report.finished, folderText);
        return *report.finished;
    }

    vx9kr::VirtualClock clock;
    std::shared_ptr<LcdCpuModel> device;
    std::unique_ptr<SimulatorService> service;
    std::unique_ptr<CLcdMidiLink> link;
    RecordingReport report;
    std::unique_ptr<CLcdUpdater> updater;
    vx9kr::test::TempFolder folder;
    std::string folderText;
};

TEST_F(RunOnSimulator, NormalModeInstallsTheFilesAndShowsEveryStep) {
    LcdCpuBehaviour behaviour;
    behaviour.busyAnswersPerWait = {2, 0, 1, 3, 0, 0};
    behaviour.initialFiles["kt4w0100.bin"] = Firmware(10, 9);
    Start(behaviour);
    Write(UpdateFiles());
    const auto realStart = std::chrono::steady_clock::now();

    EXPECT_EQ(Update(EXEMODE_REMOVEDIR), 0);

    EXPECT_EQ(device->Files(), AsInstalled(UpdateFiles()));
    EXPECT_FALSE(device->InUpdateMode());
    const std::string sep(1, std::filesystem::path::preferred_separator);
    EXPECT_EQ(report.log,
              "Start.\n"
              "OUT : VX9KR Simulator\nIN : VX9KR Simulator\n"
              "Update mode ready.\n"
              "Model name is 'VX9KR'.\n"
              "Version number is '2.00'.\n"
              "Remove directory...OK.\n"
              "\n--------\n'qrx41m.bin'\nFile size : 3500 bytes\n"
              "Set file name OK.\nCheckSum OK.\nStatus check.OK.\n"
              "\n--------\n'kt4w0200.bin'\nFile size : 7001 bytes\n"
              "Set file name OK.\nCheckSum OK.\nStatus check..OK.\n"
              "\n--------\n'pix7ABCD.bin'\nFile size : 1 bytes\n"
              "Set file name OK.\nCheckSum OK.\nStatus check....OK.\n"
              "\n--------\n'fxt60001.bin'\nFile size : 0 bytes\n"
              "Set file name OK.\nCheckSum OK.\nStatus check.OK.\n"
              "\n--------\n'hq212345.pgm'\nFile size : 3600 bytes\n"
              "Set file name OK.\nCheckSum OK.\nStatus check.OK.\n"
              "\n"
              "Delete & rename OK.\n"
              "Update mode exit.\n"
              "Complete!\n");
    EXPECT_EQ(report.status, "Complete!");
    EXPECT_EQ(report.colours, STATUS_SUCCESS);
    EXPECT_EQ(report.progress, 100);
    EXPECT_EQ(report.history, std::vector<std::string>{folder.Text() + sep});
    EXPECT_EQ(report.openClip, 0);
    // Virtual time only: the 2 s pauses and 15 KB on the cable cost no real time.
    EXPECT_GT(clock.NowMs(), 2000 * 13);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 20s);
}

TEST_F(RunOnSimulator, EraseModeStartsFromAnEmptyStoreWithTheNamesAsOnDisk) {
    LcdCpuBehaviour behaviour;
    behaviour.initialFiles["old.bin"] = Firmware(10, 9);
    Start(behaviour);
    Write(UpdateFiles("kt4w1000.bin"));
    EXPECT_EQ(Update(EXEMODE_REMOVEDIR), 0);
    EXPECT_EQ(updater->m_nExeMode, EXEMODE_ERASE);
    EXPECT_EQ(device->Files(), AsInstalled(UpdateFiles("kt4w1000.bin")));
    EXPECT_NE(report.log.find("Version number is '2.00'.\nErase OK.\n\n--------\n"),
              std::string::npos);
}

TEST_F(RunOnSimulator, CopyOnlyAddsTheFilesToWhatTheDeviceHolds) {
    LcdCpuBehaviour behaviour;
    behaviour.version = "1.00";
    behaviour.initialFiles["old.bin"] = Firmware(10, 9);
    Start(behaviour);
    Write(UpdateFiles());
    EXPECT_EQ(Update(EXEMODE_REMOVEDIR), 0);
    Files expected = AsInstalled(UpdateFiles());
    expected["old.bin"] = Firmware(10, 9);
    EXPECT_EQ(device->Files(), expected);
    EXPECT_EQ(updater->m_nExeMode, EXEMODE_COPYONLY);
    EXPECT_EQ(report.log.find("Remove directory"), std::string::npos);
    EXPECT_EQ(report.log.find("Delete & rename"), std::string::npos);
}

TEST_F(RunOnSimulator, ResentBlocksArriveOnce) {
    LcdCpuBehaviour behaviour;
    behaviour.resendBlocks = {{0, 2}, {2, 1}};
    Start(behaviour);
    Write(UpdateFiles());
    EXPECT_EQ(Update(EXEMODE_COPYONLY), 0);
    EXPECT_EQ(device->Files(), AsInstalled(UpdateFiles()));
}

TEST_F(RunOnSimulator, StrayRepliesDoNotDisturbTheRun) {
    LcdCpuBehaviour behaviour;
    using vx9kr::sim::LcdStray;
    behaviour.strayReplies = {{3, LcdStray::LateReply},
                              {4, LcdStray::ForeignReply},
                              {5, LcdStray::ShortReply},
                              {6, LcdStray::CutShortReply}};
    Start(behaviour);
    Write(UpdateFiles());
    EXPECT_EQ(Update(EXEMODE_COPYONLY), 0);
    EXPECT_EQ(device->Files(), AsInstalled(UpdateFiles()));
}

struct FailureCase {
    const char* name;
    LcdCpuBehaviour behaviour;
    const char* status;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

LcdCpuBehaviour Refusing(std::uint16_t command, const char* text) {
    LcdCpuBehaviour behaviour;
    behaviour.refusals.push_back({command, std::nullopt, text});
    return behaviour;
}

LcdCpuBehaviour SilentFrom(std::size_t request) {
    LcdCpuBehaviour behaviour;
    behaviour.silentFrom = request;
    return behaviour;
}

class RunFailure : public RunOnSimulator, public testing::WithParamInterface<FailureCase> {};

TEST_P(RunFailure, EndsWithTheFailureShownAndTheDeviceLeftInUpdateMode) {
    Start(GetParam().behaviour);
    Write(UpdateFiles());
    const auto realStart = std::chrono::steady_clock::now();
    EXPECT_EQ(Update(EXEMODE_REMOVEDIR), 1);
    EXPECT_EQ(report.status, GetParam().status);
    EXPECT_EQ(report.colours, STATUS_ERROR);
    EXPECT_LT(report.progress, 100);
    EXPECT_EQ(report.log.find("Complete!"), std::string::npos);
    EXPECT_EQ(report.log.find("Update mode exit."), std::string::npos);
    EXPECT_TRUE(report.history.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 10s);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RunFailure,
    testing::Values(
        FailureCase{"silent_at_once", SilentFrom(0), "MIDI error 10."},
        FailureCase{"silent_during_copy", SilentFrom(9), "MIDI error 10."},
        FailureCase{"remove_refused", Refusing(0x0005, "locked"),
                    "Remove directory error : locked."},
        FailureCase{"block_refused", Refusing(0x0300, "flash full"),
                    "Download error : flash full."},
        FailureCase{"checksum_refused", Refusing(0x0402, "bad sum"), "CheckSum error : bad sum."},
        FailureCase{"status_refused", Refusing(0x0901, "write fault"),
                    "Status error : write fault."},
        FailureCase{"rename_refused", Refusing(0x0006, "no file"), "Delete & rename  : no file."}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(RunOnSimulator, CorruptedBlockIsRefusedByTheDevice) {
    LcdCpuBehaviour behaviour;
    // Enter, model, version, file name, then the first block.
    behaviour.corruptRequests = {4};
    Start(behaviour);
    Write(UpdateFiles());
    EXPECT_EQ(Update(EXEMODE_COPYONLY), 1);
    EXPECT_TRUE(report.status.starts_with("Download error : ")) << report.status;
}

TEST_F(RunOnSimulator, AdEraseRemovesTheAdFirmware) {
    LcdCpuBehaviour behaviour;
    behaviour.initialFiles = {{"hq200100.pgm", Firmware(100, 1)}, {"qrx41m.bin", Firmware(5, 2)}};
    behaviour.adEraseSteps = {0, 40, 99, 100};
    Start(behaviour);
    EXPECT_EQ(EraseAd(), 0);
    EXPECT_EQ(device->Files(), (Files{{"qrx41m.bin", Firmware(5, 2)}}));
    EXPECT_EQ(report.log,
              "Start.\nOUT : VX9KR Simulator\nIN : VX9KR Simulator\n"
              "AD Firmware found.\nAD erase start.\nOK.\nComplete!\n");
    EXPECT_EQ(report.progress, 100);
}

TEST_F(RunOnSimulator, AdEraseWithoutAdFirmwareWarns) {
    Start();
    EXPECT_EQ(EraseAd(), 1);
    EXPECT_EQ(report.status, "AD Firmware not found.");
    EXPECT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.log.find("AD erase start."), std::string::npos);
}

}  // namespace
