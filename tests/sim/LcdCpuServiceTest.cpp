#include <gtest/gtest.h>

#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/lcd/LcdCpuModel.h"
#include "tests/sim/LcdHost.h"
#include "tests/sim/ServiceHost.h"

namespace vx9kr::sim {
namespace {

using namespace test;
using namespace std::chrono_literals;

// One request at a time, as the loader's exchange sends them: what came before it is forgotten.
class Host {
  public:
    Host(midi::MidiService& service, Clock& clock) : ports_(service, clock) {}

    // Every message that arrives within `limit` after sending, until `count` have come.
    std::vector<Bytes> Exchange(const Bytes& request, std::size_t count = 1,
                                Clock::Duration limit = 20s) {
        ports_.Forget();
        ports_.Send(request);
        return ports_.NextMessages(count, limit);
    }

  private:
    ServiceHost ports_;
};

TEST(LcdCpuService, CopiesAFileAcrossTheSimulatedCable) {
    VirtualClock clock;
    LcdCpuBehaviour behaviour;
    behaviour.busyAnswersPerWait = {2};
    behaviour.resendBlocks = {{1, 1}};
    auto device = std::make_shared<LcdCpuModel>(behaviour);
    midi::SimulatorService service(clock, device, midi::WireSpeed::MidiCable());
    Host host(service, clock);

    EXPECT_EQ(host.Exchange(Enter()), std::vector<Bytes>{StatusReply(kLcdEnterUpdate, 1)});
    EXPECT_TRUE(device->InUpdateMode());
    const Bytes file = Pattern(3500 + 20, 8);
    EXPECT_EQ(host.Exchange(Request(kLcdSetFileName, Text("qrx41m.bin"))).at(0).at(7), 1);
    const Bytes first = Block(Bytes(file.begin(), file.begin() + 3500), 0);
    const Bytes second = Block(Bytes(file.begin() + 3500, file.end()), 3500);
    EXPECT_EQ(host.Exchange(first).at(0), StatusReply(kLcdDownload, 1));
    EXPECT_EQ(host.Exchange(second).at(0), StatusReply(kLcdDownload, 2));
    EXPECT_EQ(host.Exchange(second).at(0), StatusReply(kLcdDownload, 1));
    EXPECT_EQ(host.Exchange(FileChecksum(file)).at(0), StatusReply(kLcdChecksum, 1));
    std::string polls;
    for (int i = 0; i < 3; ++i)
        polls += std::to_string(host.Exchange(Request(kLcdStatus)).at(0).at(7));
    EXPECT_EQ(polls, "221");

    EXPECT_EQ(device->Files(), (LcdFileStore::Files{{"qrx41m.bin", file}}));
    const auto log = device->Requests();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[2].bytes, first);
    EXPECT_EQ(log[2].length, 4021u);
    // 4021 bytes at 320 us each, then the nine-byte reply: the cable's time, in virtual time.
    EXPECT_GE(clock.Now(), (4021 + 9) * 320us);
}

TEST(LcdCpuService, ASilentDeviceLetsTheHostTimeOutAndStraysArriveFirst) {
    VirtualClock clock;
    LcdCpuBehaviour behaviour;
    behaviour.strayReplies = {{1, LcdStray::LateReply}, {1, LcdStray::ShortReply}};
    behaviour.silentFrom = 2;
    auto device = std::make_shared<LcdCpuModel>(behaviour);
    midi::SimulatorService service(clock, device);
    Host host(service, clock);

    host.Exchange(Enter());
    EXPECT_EQ(host.Exchange(Request(kLcdModelName), 3),
              (std::vector<Bytes>{StatusReply(kLcdEnterUpdate, 1),
                                  {0xF0, 0x43, 0x50, 0xF7},
                                  Reply(kLcdModelName, Text("VX9KR"))}));
    const Clock::Duration before = clock.Now();
    EXPECT_TRUE(host.Exchange(Request(kLcdVersion), 1, 20s).empty());
    EXPECT_EQ(clock.Now() - before, 20s);
    EXPECT_EQ(device->Requests().size(), 3u);
}

TEST(LcdCpuService, DelaysStraysAndSlowRepliesInTheClocksTime) {
    VirtualClock clock;
    LcdCpuBehaviour behaviour;
    behaviour.strayReplies = {{1, LcdStray::LateReply, 21s}};
    behaviour.slowReplies = {{2, 5s}};
    auto device = std::make_shared<LcdCpuModel>(behaviour);
    midi::SimulatorService service(clock, device);
    Host host(service, clock);

    const Bytes enterReply = StatusReply(kLcdEnterUpdate, 1);
    EXPECT_EQ(host.Exchange(Enter()), std::vector<Bytes>{enterReply});
    Clock::Duration start = clock.Now();
    // The late reply comes past a 20 s limit, and the real one behind it.
    EXPECT_TRUE(host.Exchange(Request(kLcdModelName), 1, 20s).empty());
    EXPECT_EQ(clock.Now() - start, 20s);
    start = clock.Now();
    EXPECT_EQ(host.Exchange(Request(kLcdVersion), 3, 30s),
              (std::vector<Bytes>{enterReply, Reply(kLcdModelName, Text("VX9KR")),
                                  Reply(kLcdVersion, Text("2.00"))}));
    EXPECT_EQ(clock.Now() - start, 5s);
}

}  // namespace
}  // namespace vx9kr::sim
