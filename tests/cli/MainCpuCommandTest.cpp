#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/FlashCommand.h"
#include "coreflash/engine/FirmwareImage.h"
#include "coreflash/engine/StatusTextReporter.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/SimulatedVx9kr.h"
#include "sim/main/MainCpuModel.h"
#include "tests/coreflash/PgmBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

using vx9kr::cli::DeviceStart;

const std::string kPort = vx9kr::midi::SimulatorService::kPortName;

// Two regions of one block each; page 1 absent.
PgmBuilder SmallImage() {
    PgmBuilder pgm;
    pgm.blockSize = 0x1000;
    pgm.imageSize = 3 * 4096 + 100;
    pgm.region1Address = 0;
    pgm.region1Size = 0x1000;
    pgm.region2Address = 0x1000;
    pgm.region2Size = 0x2000;
    pgm.pages = {{0, PgmBuilder::Page(1)}, {2, PgmBuilder::Page(3)}};
    return pgm;
}

// vx9kr-flash main and info in this process, against the simulated boot loader in virtual time.
class MainCpuCommandTest : public testing::Test {
  protected:
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        vx9kr::cli::FlashEnvironment env{makeService, clock, out, err, terminal};
        return vx9kr::cli::RunFlashCommand(args, env);
    }
    std::vector<std::string> MainArgs(const std::string& file) const {
        return {"main", "--in", "vx9kr", "--out", kPort, "--file", file};
    }
    std::string Write(const PgmBuilder& pgm) {
        return folder.Write("main.pgm", pgm.Build()).string();
    }

    vx9kr::VirtualClock clock;
    vx9kr::sim::MainCpuBehaviour behaviour;
    std::shared_ptr<vx9kr::sim::MainCpuModel> device;
    std::optional<DeviceStart> started;
    std::function<vx9kr::midi::ServiceChoice(DeviceStart)> makeService = [this](DeviceStart start) {
        started = start;
        device = std::make_shared<vx9kr::sim::MainCpuModel>(behaviour);
        return vx9kr::midi::ServiceChoice{
            std::make_unique<vx9kr::midi::SimulatorService>(clock, device), {}};
    };
    std::ostringstream out;
    std::ostringstream err;
    bool terminal = false;
    vx9kr::test::TempFolder folder;
};

TEST_F(MainCpuCommandTest, MainLoadsTheImageAndPrintsEachStatusText) {
    const PgmBuilder pgm = SmallImage();
    EXPECT_EQ(Run(MainArgs(Write(pgm))), 0);
    EXPECT_EQ(started, DeviceStart::BootMode);
    EXPECT_EQ(
        out.str(),
        "File reading....\nDevice open....\nCopying....\nLoading.... (  0%)\n"
        "Loading.... (  0%)\nLoading.... ( "
        "50%)\nUninstalling....\nInstalling....\nVerifying....\nComplete! Please, restart.\n");
    EXPECT_EQ(err.str(), "");
    const auto memory = device->Memory();
    const auto page0 = PgmBuilder::Page(1), page2 = PgmBuilder::Page(3);
    EXPECT_TRUE(std::equal(page0.begin(), page0.end(), memory.begin()));
    EXPECT_TRUE(std::all_of(memory.begin() + 4096, memory.begin() + 8192,
                            [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::equal(page2.begin(), page2.end(), memory.begin() + 8192));
}

TEST_F(MainCpuCommandTest, OnATerminalTheLoadingTextsShareALineWithABar) {
    PgmBuilder pgm = SmallImage();
    pgm.region1Size = 0x3000;
    pgm.region2Size = 0;
    terminal = true;
    EXPECT_EQ(Run(MainArgs(Write(pgm))), 0);
    EXPECT_NE(out.str().find("Copying....\n"
                             "\r[--------------------] Loading.... (  0%)"
                             "\r[######--------------] Loading.... ( 33%)"
                             "\r[#############-------] Loading.... ( 66%)\n"
                             "Uninstalling....\n"),
              std::string::npos)
        << out.str();
}

TEST_F(MainCpuCommandTest, AFailedStepExitsWith1AndSaysWhichOnStandardError) {
    PgmBuilder pgm = SmallImage();
    pgm.modelName = "VX9KR-B";
    EXPECT_EQ(Run(MainArgs(Write(pgm))), 1);
    EXPECT_EQ(out.str(), "File reading....\nDevice open....\nCompare model name error!!\n");
    EXPECT_EQ(err.str(), "vx9kr-flash: Main CPU update failed: Compare model name error!!\n");
}

TEST_F(MainCpuCommandTest, MainWithoutAMatchingPortSendsNothing) {
    EXPECT_EQ(Run({"main", "--in", "nowhere", "--out", kPort, "--file", Write(SmallImage())}), 1);
    EXPECT_EQ(err.str(), "vx9kr-flash: no MIDI input matches 'nowhere'; inputs: '" + kPort + "'\n");
    EXPECT_TRUE(device->Requests().empty());
}

// What an operator gets with VX9KR_MIDI=simulator: the image that the build makes, loaded into
// the device as it starts in boot mode, behind its cable.
TEST_F(MainCpuCommandTest, TheDemonstrationImageLoadsIntoTheDeviceStartedInBootMode) {
    makeService = [this](DeviceStart start) {
        started = start;
        const vx9kr::midi::SimulatorSetup setup = vx9kr::sim::SimulatedVx9krInBootMode();
        device = std::dynamic_pointer_cast<vx9kr::sim::MainCpuModel>(setup.makeDevice());
        return vx9kr::midi::ServiceChoice{
            std::make_unique<vx9kr::midi::SimulatorService>(clock, device, setup.speed), {}};
    };
    EXPECT_EQ(Run(MainArgs(VX9KR_DEMO_MAIN_IMAGE)), 0) << err.str();
    EXPECT_TRUE(out.str().ends_with("Complete! Please, restart.\n"));

    CFirmwareImage image;
    CStatusTextReporter quiet;
    ASSERT_TRUE(image.ReadImageFile(VX9KR_DEMO_MAIN_IMAGE, quiet));
    ASSERT_TRUE(device);
    const auto memory = device->Memory();
    const auto& bytes = image.Image();
    ASSERT_GE(memory.size(), bytes.size());
    for (const auto& [address, size] : {std::pair{image.Region1Address(), image.Region1Size()},
                                        std::pair{image.Region2Address(), image.Region2Size()}}) {
        EXPECT_GT(size, 0u);
        EXPECT_TRUE(std::equal(bytes.begin() + address, bytes.begin() + address + size,
                               memory.begin() + address));
    }
}

TEST_F(MainCpuCommandTest, InfoShowsWhatTheImageHoldsWithoutAnyDevice) {
    EXPECT_EQ(Run({"info", Write(SmallImage())}), 0);
    // Region 2: page 1 absent (0x1000 bytes of FF) and page 2.
    std::uint32_t sum2 = 0x1000 * 0xFF;
    for (std::uint8_t b : PgmBuilder::Page(3))
        sum2 += b;
    std::uint32_t sum1 = 0;
    for (std::uint8_t b : PgmBuilder::Page(1))
        sum1 += b;
    char sums[64];
    std::snprintf(sums, sizeof sums, "region 1 sum:     0x%04X\nregion 2 sum:     0x%04X\n",
                  sum1 & 0xFFFF, sum2 & 0xFFFF);
    EXPECT_EQ(out.str(), std::string("model name:       VX9KR\n"
                                     "version:          V1.20\n"
                                     "device selector:  0x12\n"
                                     "block size:       0x1000 (4096 bytes)\n"
                                     "image size:       0x3064 (12388 bytes)\n"
                                     "region 1:         0x00000000..0x00000FFF (4096 bytes)\n"
                                     "region 2:         0x00001000..0x00002FFF (8192 bytes)\n"
                                     "present pages:    2 of 3\n") +
                             sums);
    EXPECT_EQ(err.str(), "");
    EXPECT_FALSE(started.has_value());
}

TEST_F(MainCpuCommandTest, InfoShowsAnAbsentRegionAsNone) {
    PgmBuilder pgm = SmallImage();
    // An absent region's address is never used, so it may lie anywhere.
    pgm.region2Address = 0x7FFFFFF0;
    pgm.region2Size = 0;
    EXPECT_EQ(Run({"info", Write(pgm)}), 0);
    EXPECT_NE(out.str().find("region 2:         none\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("region 2 sum:     0x0000\n"), std::string::npos) << out.str();
}

TEST_F(MainCpuCommandTest, InfoOfARejectedFileExitsWith1AndItsText) {
    PgmBuilder pgm = SmallImage();
    pgm.blockSize = 0;
    const std::string file = Write(pgm);
    EXPECT_EQ(Run({"info", file}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "vx9kr-flash: " + file + ": File format error!!\n");

    EXPECT_EQ(Run({"info", folder.Text() + "/missing.pgm"}), 1);
    EXPECT_EQ(err.str(), "vx9kr-flash: " + folder.Text() + "/missing.pgm: File not found!!\n");
}

}  // namespace
