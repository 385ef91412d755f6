#include <gtest/gtest.h>

#include "panelflash/engine/LcdMidiLink.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "tests/panelflash/LcdEngineFixture.h"

using namespace std::chrono_literals;
using vx9kr::midi::SimulatorService;
using vx9kr::midi::WireSpeed;

namespace {

class LinkTest : public LcdEngineTest<ScriptedLcdDevice> {
  protected:
    // Lets everything the device has sent arrive.
    void Settle() { clock.SleepMs(1); }

    Bytes Take(std::size_t capacity, int* error) {
        Bytes buffer(capacity);
        std::size_t length = buffer.size();
        *error = link.WaitReply(buffer.data(), &length, 0);
        buffer.resize(length);
        return buffer;
    }
};

Bytes Message(std::size_t length, std::uint8_t fill) {
    Bytes message(length, fill);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

TEST_F(LinkTest, DescribesBothPorts) {
    EXPECT_EQ(link.Describe(), "OUT : VX9KR Simulator\nIN : VX9KR Simulator\n");
    EXPECT_EQ(link.Close(), 0);
    EXPECT_EQ(link.Close(), 0);
}

TEST_F(LinkTest, NameThatMatchesNoPortFailsAndLeavesBothClosed) {
    for (const auto& [out, in] : {std::pair{"VX9KR Simulator ", kPort},
                                  std::pair{kPort, "vx9kr simulator"}, std::pair{"", kPort}}) {
        EXPECT_EQ(link.Open(out, in), 1) << out << " / " << in;
        EXPECT_FALSE(link.OpenFailure().empty());
        const Bytes request = Message(8, 0);
        EXPECT_EQ(link.SendSysEx(request.data(), request.size()), 5);
        std::size_t length = 16;
        Bytes buffer(length);
        EXPECT_EQ(link.WaitReply(buffer.data(), &length, 20000), 5);
        EXPECT_EQ(length, 0u);
    }
    // The ports were given back: the next open gets them.
    EXPECT_EQ(link.Open(kPort, kPort), 0);
}

TEST_F(LinkTest, RecordsComeOutOldestFirstAndThenTheEventIsReset) {
    service.Wire().Send(Message(10, 1));
    service.Wire().Send(Message(20, 2));
    Settle();
    int error = -1;
    EXPECT_EQ(Take(4096, &error), Message(10, 1));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(Take(4096, &error), Message(20, 2));
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(Take(4096, &error).empty());
    EXPECT_EQ(error, 10);
}

TEST_F(LinkTest, RecordLongerThanTheBufferIsSplit) {
    service.Wire().Send(Message(30, 3));
    service.Wire().Send(Message(5, 4));
    Settle();
    int error = -1;
    const Bytes first = Take(12, &error);
    EXPECT_EQ(error, 9);
    const Bytes rest = Take(4096, &error);
    EXPECT_EQ(error, 0);
    Bytes whole = first;
    whole.insert(whole.end(), rest.begin(), rest.end());
    EXPECT_EQ(first.size(), 12u);
    EXPECT_EQ(whole, Message(30, 3));
    EXPECT_EQ(Take(4096, &error), Message(5, 4));
}

TEST_F(LinkTest, MessageLongerThanAnInputBufferArrivesAsSeveralRecords) {
    const Bytes big = Message(5000, 5);
    service.Wire().Send(big);
    Settle();
    int error = -1;
    const Bytes first = Take(8192, &error);
    const Bytes second = Take(8192, &error);
    EXPECT_EQ(first.size(), 4096u);
    EXPECT_EQ(second.size(), 904u);
    Bytes whole = first;
    whole.insert(whole.end(), second.begin(), second.end());
    EXPECT_EQ(whole, big);
}

TEST_F(LinkTest, RecordWithoutRoomInTheQueueIsDroppedNotWrittenPastIt) {
    service.Wire().Send(Message(4000, 1));
    service.Wire().Send(Message(4000, 2));
    service.Wire().Send(Message(4000, 3));
    Settle();
    EXPECT_EQ(link.DroppedReplies(), 1u);
    int error = -1;
    EXPECT_EQ(Take(4096, &error), Message(4000, 1));
    EXPECT_EQ(Take(4096, &error), Message(4000, 2));
    EXPECT_TRUE(Take(4096, &error).empty());
    EXPECT_EQ(error, 10);
}

TEST_F(LinkTest, FlushEmptiesTheQueue) {
    service.Wire().Send(Message(10, 1));
    Settle();
    link.FlushReplies();
    int error = -1;
    EXPECT_TRUE(Take(4096, &error).empty());
    EXPECT_EQ(error, 10);
}

TEST_F(LinkTest, MessageLongerThanTheMessageAreaIsRefusedUnsent) {
    const Bytes tooLong = Message(4097, 0);
    EXPECT_EQ(link.SendSysEx(tooLong.data(), tooLong.size()), 6);
    Settle();
    EXPECT_TRUE(device->Requests().empty());
    const Bytes longest = Message(4096, 0);
    EXPECT_EQ(link.SendSysEx(longest.data(), longest.size()), 0);
    Settle();
    EXPECT_EQ(device->Requests().size(), 1u);
}

TEST(LinkOnACable, SendingWhileThePreviousMessageIsGoingOutIsRefused) {
    vx9kr::VirtualClock clock;
    auto device = std::make_shared<ScriptedLcdDevice>();
    SimulatorService service(clock, device, WireSpeed::MidiCable());
    CLcdMidiLink link(service, clock);
    ASSERT_EQ(link.Open(SimulatorService::kPortName, SimulatorService::kPortName), 0);

    const Bytes block = Message(4021, 0);
    EXPECT_EQ(link.SendSysEx(block.data(), block.size()), 0);
    EXPECT_EQ(link.SendSysEx(block.data(), block.size()), 7);
    // 4021 bytes take 1.287 s on the cable; then the next may go.
    clock.SleepMs(1287);
    EXPECT_EQ(link.SendSysEx(block.data(), block.size()), 0);
    clock.SleepMs(2000);
    EXPECT_EQ(device->Requests().size(), 2u);
}

}  // namespace
