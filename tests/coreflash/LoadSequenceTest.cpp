#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coreflash/engine/LoadSequence.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/main/MainCpuModel.h"
#include "tests/coreflash/PgmBuilder.h"
#include "tests/coreflash/RecordingLoadReporter.h"
#include "tests/support/TempFolder.h"

namespace {

using vx9kr::sim::MainCpuRequest;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kComplete = "Complete! Please, restart.";

// A small image: four pages, pages 0, 1 and 3 present, two regions of two pages each; the absent
// page 2 travels as FF bytes.
PgmBuilder TwoRegionImage() {
    PgmBuilder pgm;
    pgm.blockSize = 0x1000;
    pgm.pages = {{0, PgmBuilder::Page(1)}, {1, PgmBuilder::Page(2)}, {3, PgmBuilder::Page(4)}};
    return pgm;
}

// Whole Main CPU loads against the simulated boot loader, in virtual time: the five seconds after
// the ports open cost nothing.
class LoadSequenceTest : public testing::Test {
  protected:
    void Run(const PgmBuilder& pgm) {
        image = pgm.Build();
        RunFile(folder.Write("main.pgm", image));
    }
    void RunFile(const std::filesystem::path& file) {
        if (!device)
            device = std::make_shared<vx9kr::sim::MainCpuModel>(behaviour);
        if (!service)
            service = std::make_unique<vx9kr::midi::SimulatorService>(clock, device);
        if (!link)
            link = std::make_unique<CMainCpuLink>(*service, clock);
        sequence.Run(file, 0, 0, *link, report);
    }

    std::vector<MainCpuRequest> Requests() const {
        std::vector<MainCpuRequest> requests;
        for (const auto& record : device->Requests())
            if (record.request)
                requests.push_back(*record.request);
        return requests;
    }
    std::optional<MainCpuRequest> LastRequestButAcknowledges() const {
        const auto requests = Requests();
        const auto last = std::find_if(requests.rbegin(), requests.rend(), [](MainCpuRequest r) {
            return r != MainCpuRequest::ProgressAcknowledge;
        });
        if (last == requests.rend())
            return std::nullopt;
        return *last;
    }
    std::size_t Count(MainCpuRequest kind) const {
        const auto requests = Requests();
        return static_cast<std::size_t>(std::count(requests.begin(), requests.end(), kind));
    }

    // Both ports can be opened again: the run has closed them.
    bool PortsClosed() {
        auto output = service->OpenOutput(0, [](vx9kr::midi::SendOutcome) {});
        auto input = service->OpenInput(0, [](const vx9kr::midi::ReceivedBuffer&) {});
        return output.port && input.port;
    }

    // The device holds, at each region's address, the image's bytes for it.
    void ExpectRegionsInMemory(const PgmBuilder& pgm) const {
        const Bytes memory = device->Memory();
        const std::pair<std::uint32_t, std::uint32_t> regions[] = {
            {pgm.region1Address, pgm.region1Size}, {pgm.region2Address, pgm.region2Size}};
        for (const auto& [address, size] : regions) {
            const Bytes expected = ImageBytes(pgm, address, size);
            const Bytes loaded(memory.begin() + address, memory.begin() + address + size);
            EXPECT_EQ(loaded, expected) << "region at " << address;
        }
    }

    // What the image holds at [address, address + size): its pages, FF where none is present.
    static Bytes ImageBytes(const PgmBuilder& pgm, std::uint32_t address, std::uint32_t size) {
        Bytes bytes(size, 0xFF);
        for (std::uint32_t i = 0; i < size; ++i) {
            const std::uint32_t at = address + i;
            if (const auto page = pgm.pages.find(at / 4096); page != pgm.pages.end())
                bytes[i] = page->second[at % 4096];
        }
        return bytes;
    }

    vx9kr::VirtualClock clock;
    vx9kr::sim::MainCpuBehaviour behaviour;
    std::shared_ptr<vx9kr::sim::MainCpuModel> device;
    std::unique_ptr<vx9kr::midi::SimulatorService> service;
    std::unique_ptr<CMainCpuLink> link;
    CLoadSequence sequence{clock};
    RecordingLoadReporter report;
    vx9kr::test::TempFolder folder;
    Bytes image;
};

TEST_F(LoadSequenceTest, TwoRegionsAreLoadedInstalledAndVerified) {
    const PgmBuilder pgm = TwoRegionImage();
    Run(pgm);

    EXPECT_EQ(report.texts,
              (std::vector<std::string>{
                  "File reading....", "Device open....", "Copying....", "Loading.... (  0%)",
                  "Loading.... ( 50%)", "Loading.... (  0%)", "Loading.... ( 50%)",
                  "Uninstalling....", "Installing....", "Verifying....", kComplete}));
    ExpectRegionsInMemory(pgm);
    // Two blocks of 4096 bytes in each region, two Load Data of 2048 bytes in each block.
    EXPECT_EQ(Count(MainCpuRequest::LoadData), 8u);
    EXPECT_EQ(Count(MainCpuRequest::Uninstall), 2u);
    EXPECT_EQ(Count(MainCpuRequest::Install), 2u);
    EXPECT_EQ(Count(MainCpuRequest::Verify), 2u);
    EXPECT_EQ(report.range, 1);
    EXPECT_EQ(report.position, 1);
    EXPECT_GE(clock.Now(), std::chrono::seconds(5));
    EXPECT_TRUE(PortsClosed());
}

TEST_F(LoadSequenceTest, TheRunKeepsToItsOrderOfRequests) {
    Run(TwoRegionImage());
    using R = MainCpuRequest;
    std::vector<R> expected{R::GetModelName, R::SelectDevice, R::SetRange, R::Copy};
    // Copy reports its progress, one acknowledge for each report.
    const auto requests = Requests();
    std::size_t at = expected.size();
    while (at < requests.size() && requests[at] == R::ProgressAcknowledge)
        expected.push_back(requests[at++]);
    EXPECT_GT(expected.size(), 4u);
    ASSERT_GE(requests.size(), expected.size());
    EXPECT_EQ(std::vector<R>(requests.begin(), requests.begin() + expected.size()), expected);
    EXPECT_EQ(requests.back(), R::Verify);
}

struct RegionCase {
    const char* name;
    std::uint32_t region1Size, region2Size;
    std::size_t loads;
    std::size_t operationsPerKind;  // Uninstall, Install and Verify each
};

class LoadSequenceRegionsTest : public LoadSequenceTest,
                                public testing::WithParamInterface<RegionCase> {};

TEST_P(LoadSequenceRegionsTest, SendsOnlyWhatTheRegionsHold) {
    PgmBuilder pgm = TwoRegionImage();
    pgm.region1Size = GetParam().region1Size;
    pgm.region2Size = GetParam().region2Size;
    Run(pgm);

    EXPECT_EQ(report.status, kComplete);
    ExpectRegionsInMemory(pgm);
    EXPECT_EQ(Count(MainCpuRequest::LoadData), GetParam().loads);
    EXPECT_EQ(Count(MainCpuRequest::Uninstall), GetParam().operationsPerKind);
    EXPECT_EQ(Count(MainCpuRequest::Install), GetParam().operationsPerKind);
    EXPECT_EQ(Count(MainCpuRequest::Verify), GetParam().operationsPerKind);
    EXPECT_EQ(Count(MainCpuRequest::Copy), 1u);
    EXPECT_TRUE(PortsClosed());
}

INSTANTIATE_TEST_SUITE_P(Regions, LoadSequenceRegionsTest,
                         testing::Values(RegionCase{"OnlyTheFirst", 8192, 0, 4, 1},
                                         RegionCase{"OnlyTheSecond", 0, 8192, 4, 1},
                                         RegionCase{"None", 0, 0, 0, 0},
                                         RegionCase{"PartOfABlock", 100, 4097, 4, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadSequenceTest, ARegionOfThreeBlocksAndABitShowsItsPercentagesBeforeEachBlock) {
    PgmBuilder pgm;
    pgm.blockSize = 0x10000;
    pgm.imageSize = 0x40000;
    pgm.region1Address = 0;
    pgm.region1Size = 3 * 0x10000 + 100;
    pgm.region2Size = 0;
    for (std::uint32_t page = 0; page < 0x40; page += 5)
        pgm.pages[page] = PgmBuilder::Page(static_cast<std::uint8_t>(page));
    Run(pgm);

    std::vector<std::string> loading;
    for (const std::string& text : report.texts)
        if (text.rfind("Loading", 0) == 0)
            loading.push_back(text);
    EXPECT_EQ(loading, (std::vector<std::string>{"Loading.... (  0%)", "Loading.... ( 33%)",
                                                 "Loading.... ( 66%)", "Loading.... ( 99%)"}));
    // 32 Load Data of 2048 bytes for each whole block, one for the last 100 bytes.
    EXPECT_EQ(Count(MainCpuRequest::LoadData), 3u * 32u + 1u);
    EXPECT_EQ(report.status, kComplete);
    ExpectRegionsInMemory(pgm);
}

TEST(LoadingPercentTest, IsRightForRegionsOfAnySize) {
    struct Case {
        std::uint32_t size, remaining;
        unsigned percent;
    };
    // 32-bit arithmetic would wrap from about 42 MB on: 0x3000000 * 100 > 2^32.
    const Case cases[] = {{400, 400, 0},
                          {400, 1, 99},
                          {0x10000 * 3 + 100, 100, 99},
                          {0x4000000, 0x1000000, 75},
                          {0xFFFFFFFF, 1, 99},
                          {0xFFFFFFFF, 0x80000000, 49}};
    for (const Case& c : cases)
        EXPECT_EQ(CLoadSequence::LoadingPercent(c.size, c.remaining), c.percent)
            << c.size << " " << c.remaining;
}

struct FailureCase {
    const char* name;
    void (*arrange)(vx9kr::sim::MainCpuBehaviour&, PgmBuilder&);
    const char* text;
    // The failing step's request: nothing but the acknowledges of its progress reports goes out
    // after it.
    MainCpuRequest lastRequest;
};

void Fails(vx9kr::sim::MainCpuBehaviour& device, MainCpuRequest request,
           std::optional<std::size_t> occurrence = std::nullopt) {
    device.failures.push_back({request, occurrence});
}

const FailureCase kFailures[] = {
    {"ModelNameUnanswered", [](auto& device, auto&) { device.silentFrom = 0; },
     "Get model name failed!!", MainCpuRequest::GetModelName},
    {"ModelNameInOtherCase", [](auto&, auto& pgm) { pgm.modelName = "vx9kr"; },
     "Compare model name error!!", MainCpuRequest::GetModelName},
    {"ModelNameLonger", [](auto&, auto& pgm) { pgm.modelName = "VX9KR2"; },
     "Compare model name error!!", MainCpuRequest::GetModelName},
    {"OtherSelector", [](auto&, auto& pgm) { pgm.selector = 0x13; }, "Select Device failed!!",
     MainCpuRequest::SelectDevice},
    {"CopyRefused", [](auto& device, auto&) { Fails(device, MainCpuRequest::Copy); },
     "Copy failed!!", MainCpuRequest::Copy},
    {"RangeRefused", [](auto& device, auto&) { Fails(device, MainCpuRequest::SetRange); },
     "Copy failed!!", MainCpuRequest::SetRange},
    {"LoadRefused", [](auto& device, auto&) { Fails(device, MainCpuRequest::LoadData, 2); },
     "Load failed!!", MainCpuRequest::LoadData},
    {"FirstUninstallRefused",
     [](auto& device, auto&) { Fails(device, MainCpuRequest::Uninstall, 0); },
     "Uninstall failed(1)!!", MainCpuRequest::Uninstall},
    {"SecondUninstallRefused",
     [](auto& device, auto&) { Fails(device, MainCpuRequest::Uninstall, 1); },
     "Uninstall failed(2)!!", MainCpuRequest::Uninstall},
    {"UninstallOfTheOnlySecondRegionRefused",
     [](auto& device, auto& pgm) {
         pgm.region1Size = 0;
         Fails(device, MainCpuRequest::Uninstall);
     },
     "Uninstall failed(2)!!", MainCpuRequest::Uninstall},
    {"SecondInstallRefused", [](auto& device, auto&) { Fails(device, MainCpuRequest::Install, 1); },
     "Install failed!!", MainCpuRequest::Install},
};

class LoadSequenceFailureTest : public LoadSequenceTest,
                                public testing::WithParamInterface<FailureCase> {};

TEST_P(LoadSequenceFailureTest, EndsWithItsTextNothingSentAfterAndThePortsClosed) {
    PgmBuilder pgm = TwoRegionImage();
    GetParam().arrange(behaviour, pgm);
    Run(pgm);

    EXPECT_EQ(report.status, GetParam().text);
    EXPECT_EQ(report.texts.back(), GetParam().text);
    EXPECT_EQ(LastRequestButAcknowledges(), GetParam().lastRequest);
    EXPECT_TRUE(PortsClosed());
}

TEST_F(LoadSequenceTest, AVerifyUnansweredShowsVerifyError) {
    const PgmBuilder pgm = TwoRegionImage();
    Run(pgm);
    const auto requests = Requests();
    const auto firstVerify = std::find(requests.begin(), requests.end(), MainCpuRequest::Verify);
    ASSERT_NE(firstVerify, requests.end());

    behaviour.silentFrom = device->Requests().size() + (firstVerify - requests.begin());
    device->ChangeBehaviour([&](auto& knobs) { knobs.silentFrom = behaviour.silentFrom; });
    report = RecordingLoadReporter{};
    Run(pgm);
    EXPECT_EQ(report.status, "Verify error!!");
    EXPECT_TRUE(PortsClosed());
}

INSTANTIATE_TEST_SUITE_P(Steps, LoadSequenceFailureTest, testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadSequenceTest, AFailedCopyHasSentNoImageByte) {
    Fails(behaviour, MainCpuRequest::Copy);
    Run(TwoRegionImage());
    EXPECT_EQ(report.status, "Copy failed!!");
    EXPECT_EQ(Count(MainCpuRequest::LoadData), 0u);
    EXPECT_EQ(device->Memory(), Bytes(behaviour.memorySize, 0xFF));
}

TEST_F(LoadSequenceTest, ASilentDeviceCostsOneTimeLimitPerStep) {
    behaviour.silentFrom = 3;  // from the Copy request on
    Run(TwoRegionImage());
    EXPECT_EQ(report.status, "Copy failed!!");
    EXPECT_EQ(clock.Now(), std::chrono::seconds(5) + std::chrono::milliseconds(5000));
}

TEST_F(LoadSequenceTest, AFileThatCannotBeReadFailsBeforeAnyPortOpens) {
    device = std::make_shared<vx9kr::sim::MainCpuModel>(behaviour);
    service = std::make_unique<vx9kr::midi::SimulatorService>(clock, device);
    auto output = service->OpenOutput(0, [](vx9kr::midi::SendOutcome) {});
    RunFile(folder.Path() / "missing.pgm");

    EXPECT_EQ(report.texts, (std::vector<std::string>{"File reading....", "File not found!!"}));
    EXPECT_EQ(report.range, 2);
    EXPECT_EQ(report.position, 0);
    EXPECT_TRUE(device->Requests().empty());
    EXPECT_EQ(clock.Now(), vx9kr::Clock::Duration(0));
}

TEST_F(LoadSequenceTest, ABrokenFileFailsBeforeAnyPortOpens) {
    PgmBuilder pgm = TwoRegionImage();
    pgm.wrongChecksums[1] = 0;
    Run(pgm);
    EXPECT_EQ(report.status, "File format error!!");
    EXPECT_TRUE(device->Requests().empty());
    EXPECT_EQ(clock.Now(), vx9kr::Clock::Duration(0));
}

TEST_F(LoadSequenceTest, PortsThatCannotOpenFailTheRun) {
    device = std::make_shared<vx9kr::sim::MainCpuModel>(behaviour);
    service = std::make_unique<vx9kr::midi::SimulatorService>(clock, device);
    link = std::make_unique<CMainCpuLink>(*service, clock);
    image = TwoRegionImage().Build();
    sequence.Run(folder.Write("main.pgm", image), -1, 0, *link, report);
    EXPECT_EQ(report.texts, (std::vector<std::string>{"File reading....", "Device open....",
                                                      "Device open failed!!"}));
    EXPECT_EQ(report.range, 5);
    EXPECT_TRUE(PortsClosed());
}

TEST_F(LoadSequenceTest, TheNextRunAfterAFailureStartsFromTheFile) {
    Fails(behaviour, MainCpuRequest::Install, 0);
    const PgmBuilder pgm = TwoRegionImage();
    Run(pgm);
    ASSERT_EQ(report.status, "Install failed!!");
    report = RecordingLoadReporter{};
    Run(pgm);
    EXPECT_EQ(report.texts.front(), "File reading....");
    EXPECT_EQ(report.positions.front(), 0);
    EXPECT_EQ(report.status, kComplete);
}

TEST_F(LoadSequenceTest, TheFiveSecondsCountOnTheBarBeforeTheModelNameIsAsked) {
    Run(TwoRegionImage());
    // File reading 0, 1, 2; device open 0 and a position for each second.
    const std::vector<int> first(report.positions.begin(), report.positions.begin() + 9);
    EXPECT_EQ(first, (std::vector<int>{0, 1, 2, 0, 1, 2, 3, 4, 5}));
}

}  // namespace
