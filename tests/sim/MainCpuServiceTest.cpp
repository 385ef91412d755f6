#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/SimulatedVx9kr.h"
#include "sim/main/MainCpuModel.h"
#include "tests/sim/MainCpuHost.h"
#include "tests/sim/ServiceHost.h"

namespace vx9kr::sim {
namespace {

using namespace test;
using namespace std::chrono_literals;

// One request at a time, as the loader's link sends them; what arrives unwaited for is kept for the
// next wait.
class Host {
  public:
    Host(midi::MidiService& service, Clock& clock) : ports_(service, clock) {}

    // The next message within the limit after sending; empty when none came.
    Bytes Ask(const Bytes& request, Clock::Duration limit = 5000ms) {
        ports_.Send(request);
        return Next(limit);
    }

    Bytes Next(Clock::Duration limit = 5000ms) { return ports_.Next(limit); }

    // Set Range, the operation, and an acknowledge for each report; the final reply.
    Bytes Operate(const Bytes& operation, std::uint32_t start, std::uint32_t size) {
        EXPECT_EQ(Ask(SetRange(start, size)), Final(0x01, 0x02, 1));
        Bytes reply = Ask(operation);
        while (reply.size() > 6 && reply[6] == (operation[6] | 0x20)) {
            ++reports;
            reply = Ask(Acknowledge());
        }
        return reply;
    }

    std::size_t reports = 0;

  private:
    ServiceHost ports_;
};

std::uint32_t BigEndian(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
                                      bytes[at + 3]);
}

// The demonstration image as the loader lays it out: FF where a page is absent.
Bytes DemoImage(const Bytes& file) {
    const std::uint32_t size = BigEndian(file, 108);
    const std::size_t pages = size / 4096;
    EXPECT_EQ(file.size(), 128 + 2 * pages +
                               4096 * static_cast<std::size_t>(std::count_if(
                                          file.begin() + 128, file.begin() + 128 + pages,
                                          [](std::uint8_t b) { return b != 0; })));
    Bytes image(size, 0xFF);
    std::size_t at = 128 + pages;
    for (std::size_t page = 0; page < pages; ++page) {
        if (file[128 + page] == 0)
            continue;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < 4096; ++i)
            sum = static_cast<std::uint8_t>(sum + file[at + i]);
        EXPECT_EQ(file[file.size() - pages + page], static_cast<std::uint8_t>(~sum)) << page;
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), 4096,
                    image.begin() + static_cast<std::ptrdiff_t>(page * 4096));
        at += 4096;
    }
    return image;
}

TEST(MainCpuService, TakesTheDemonstrationImageInBootMode) {
    std::ifstream in(VX9KR_DEMO_MAIN_IMAGE, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(file.size(), 128u);
    const MainCpuBehaviour factory;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data())), factory.modelName);
    EXPECT_EQ(std::string(file.begin() + 16, file.begin() + 21), "V1.20");
    EXPECT_EQ(file[80], factory.selector);
    const std::uint32_t block = BigEndian(file, 104);
    const std::uint32_t regions[2][2] = {{BigEndian(file, 112), BigEndian(file, 116)},
                                         {BigEndian(file, 120), BigEndian(file, 124)}};
    EXPECT_EQ(block, 0x10000u);
    const Bytes image = DemoImage(file);
    EXPECT_GE(image.size(), 512u * 1024);
    EXPECT_LE(image.size(), 1024u * 1024);
    EXPECT_NE(std::count(file.begin() + 128, file.begin() + 128 + image.size() / 4096, 0), 0);

    VirtualClock clock;
    const midi::SimulatorSetup setup = SimulatedVx9krInBootMode();
    const auto device = std::dynamic_pointer_cast<MainCpuModel>(setup.makeDevice());
    ASSERT_TRUE(device);
    midi::SimulatorService service(clock, device, setup.speed);
    Host host(service, clock);

    EXPECT_EQ(host.Ask(GetModelName()), ModelNameReply(factory.modelName));
    EXPECT_EQ(host.Ask(SelectDevice(file[80])), Final(0x01, 0x01, 1));
    const Clock::Duration copyStart = clock.Now();
    EXPECT_EQ(host.Operate(Copy(), 0, static_cast<std::uint32_t>(image.size())),
              Final(0x02, 0x01, 1));
    // Nine steps of the device's work, each visible to the operator.
    EXPECT_GE(clock.Now() - copyStart, 9 * 150ms);
    for (const auto& [address, size] : regions) {
        for (std::uint32_t at = address; at < address + size; at += 2048) {
            const Bytes raw(image.begin() + at,
                            image.begin() + std::min(at + 2048, address + size));
            ASSERT_EQ(host.Ask(LoadData(at, raw)), Final(0x03, 0x00, 1)) << at;
        }
    }
    for (const auto& [address, size] : regions)
        EXPECT_EQ(host.Operate(Uninstall(), address, size), Final(0x04, 0x00, 1));
    for (const auto& [address, size] : regions)
        EXPECT_EQ(host.Operate(Install(), address, size), Final(0x04, 0x01, 1));
    for (const auto& [address, size] : regions) {
        EXPECT_EQ(host.Ask(Verify(address, size, Sum16(image, address, address + size))),
                  Final(0x04, 0x02, 1));
    }
    EXPECT_EQ(host.reports, 5u * 8);

    const Bytes memory = device->Memory();
    for (const auto& [address, size] : regions) {
        EXPECT_TRUE(std::equal(image.begin() + address, image.begin() + address + size,
                               memory.begin() + address));
    }
    EXPECT_EQ(device->Ranges(),
              (std::vector<MainCpuRangeRecord>{
                  {{regions[0][0], regions[0][1]}, MainCpuRangeState::Installed},
                  {{0, static_cast<std::uint32_t>(image.size())}, MainCpuRangeState::Copied},
                  {{regions[1][0], regions[1][1]}, MainCpuRangeState::Installed}}));
}

TEST(MainCpuService, AHeldBackReplyComesPastTheHostsLimitAheadOfTheNextOne) {
    VirtualClock clock;
    MainCpuBehaviour behaviour;
    behaviour.slowReplies = {{1, 6s}};
    behaviour.unasked = {{2, Final(0x02, 0x01, 1), MainCpuUnaskedWhen::AfterReply, 3s}};
    behaviour.silentFrom = 3;
    auto device = std::make_shared<MainCpuModel>(behaviour);
    midi::SimulatorService service(clock, device, midi::WireSpeed::MidiCable());
    Host host(service, clock);

    EXPECT_EQ(host.Ask(GetModelName()), ModelNameReply("VX9KR"));
    Clock::Duration start = clock.Now();
    EXPECT_TRUE(host.Ask(SelectDevice(0x12)).empty());
    EXPECT_EQ(clock.Now() - start, 5000ms);
    // The late reply answers the next request in its place, and the real one comes behind it.
    start = clock.Now();
    EXPECT_EQ(host.Ask(SetRange(0, 0x100)), Final(0x01, 0x01, 1));
    EXPECT_GE(clock.Now() - start, 1s);
    EXPECT_EQ(host.Next(), Final(0x01, 0x02, 1));
    EXPECT_EQ(host.Next(), Final(0x02, 0x01, 1));
    EXPECT_GE(clock.Now() - start, 3s);
    start = clock.Now();
    EXPECT_TRUE(host.Ask(GetModelName()).empty());
    EXPECT_EQ(clock.Now() - start, 5000ms);
    EXPECT_EQ(device->Requests().size(), 4u);
    EXPECT_TRUE(device->Selected());
}

}  // namespace
}  // namespace vx9kr::sim
