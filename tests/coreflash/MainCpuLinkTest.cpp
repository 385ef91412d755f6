#include <gtest/gtest.h>

#include "coreflash/engine/MainCpuLink.h"
#include "platform/VirtualClock.h"
#include "platform/midi/LoopbackModel.h"
#include "platform/midi/SimulatorService.h"

using namespace std::chrono_literals;
using vx9kr::midi::SimulatorService;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A device that hears everything and says nothing unless the test makes it speak.
class QuietDevice final : public vx9kr::midi::DeviceModel {
  public:
    void Receive(std::span<const std::uint8_t>, vx9kr::midi::DeviceWire&) override {}
};

Bytes Message(std::size_t length, std::uint8_t fill) {
    Bytes message(length, fill);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

template <typename Device>
class MainLinkTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(link.Open(0, 0)); }
    // Long enough for a short message to cross the cable.
    void Settle() { clock.SleepMs(100); }

    vx9kr::VirtualClock clock;
    SimulatorService service{clock, std::make_shared<Device>(),
                             vx9kr::midi::WireSpeed::MidiCable()};
    CMainCpuLink link{service, clock};
    Bytes reply = Bytes(512, 0xAA);
};

using EchoLink = MainLinkTest<vx9kr::midi::LoopbackModel>;
using QuietLink = MainLinkTest<QuietDevice>;

TEST_F(EchoLink, ReplyArrivingBeforeTheWaitIsNotLost) {
    const Bytes request = Message(8, 0x02);
    ASSERT_TRUE(link.Send(request.data(), request.size(), reply.data(), reply.size()));
    // Send returned once the request had gone out: 8 bytes take 2.56 ms on the cable.
    EXPECT_EQ(clock.Now(), 2560us);
    EXPECT_TRUE(link.WaitReply(5000));
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 8), request);
    EXPECT_EQ(clock.Now(), 5120us);
}

TEST_F(EchoLink, MessageThatCameUnaskedAnswersTheNextRequest) {
    service.Wire().Send(Message(9, 0x11));
    Settle();
    EXPECT_EQ(link.HeldMessages(), 1u);
    const Bytes request = Message(8, 0x02);
    ASSERT_TRUE(link.Send(request.data(), request.size(), reply.data(), reply.size()));
    EXPECT_TRUE(link.WaitReply(5000));
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 9), Message(9, 0x11));
    // The request's own echo, unasked for now, waits for the request after it.
    Settle();
    EXPECT_EQ(link.HeldMessages(), 1u);
}

TEST_F(QuietLink, AtMostEightMessagesAreHeld) {
    for (int i = 0; i < 10; ++i)
        service.Wire().Send(Message(8, static_cast<std::uint8_t>(i)));
    clock.SleepMs(100);
    EXPECT_EQ(link.HeldMessages(), 8u);
}

TEST_F(QuietLink, MessageCutShortEndsTheWaitAndLeavesTheBuffer) {
    const Bytes request = Message(8, 0x02);
    ASSERT_TRUE(link.Send(request.data(), request.size(), reply.data(), reply.size()));
    service.Wire().SendIncomplete({0xF0, 0x43, 0x50});
    EXPECT_TRUE(link.WaitReply(5000));
    EXPECT_EQ(reply, Bytes(512, 0xAA));
}

TEST_F(QuietLink, LateMessageIsNotWrittenIntoAGivenUpBuffer) {
    const Bytes request = Message(8, 0x02);
    ASSERT_TRUE(link.Send(request.data(), request.size(), reply.data(), reply.size()));
    EXPECT_FALSE(link.WaitReply(5000));
    EXPECT_EQ(clock.Now(), 2560us + 5000ms);
    service.Wire().Send(Message(10, 0x33));
    Settle();
    EXPECT_EQ(reply, Bytes(512, 0xAA));
    EXPECT_EQ(link.HeldMessages(), 1u);
}

TEST_F(QuietLink, CloseDiscardsWhatIsHeld) {
    service.Wire().Send(Message(10, 0x33));
    Settle();
    ASSERT_EQ(link.HeldMessages(), 1u);
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(link.HeldMessages(), 0u);
    ASSERT_TRUE(link.Open(0, 0));
    const Bytes request = Message(8, 0x02);
    ASSERT_TRUE(link.Send(request.data(), request.size(), reply.data(), reply.size()));
    EXPECT_FALSE(link.WaitReply(5000));
}

TEST_F(QuietLink, ReplyLongerThanTheBufferIsCutToIt) {
    Bytes buffer(520, 0x55);
    const Bytes request = Message(8, 0x02);
    ASSERT_TRUE(link.Send(request.data(), request.size(), buffer.data(), 512));
    service.Wire().Send(Message(600, 0x01));
    EXPECT_TRUE(link.WaitReply(5000));
    EXPECT_EQ(Bytes(buffer.begin() + 512, buffer.end()), Bytes(8, 0x55));
    EXPECT_EQ(buffer[511], 0x01);
}

TEST_F(QuietLink, RefusedMessageFailsAtOnce) {
    const Bytes huge = Message(SimulatorService::kMaxMessageSize + 1, 0);
    EXPECT_FALSE(link.Send(huge.data(), huge.size(), reply.data(), reply.size()));
    EXPECT_EQ(clock.Now(), 0us);
}

TEST(MainLinkOpen, InputThatDoesNotExistFailsAndClosesTheOutputAgain) {
    vx9kr::VirtualClock clock;
    SimulatorService service(clock, std::make_shared<QuietDevice>());
    CMainCpuLink link(service, clock);
    EXPECT_FALSE(link.Open(0, -1));
    EXPECT_FALSE(link.Open(-1, 0));
    EXPECT_TRUE(service.OpenOutput(0, [](vx9kr::midi::SendOutcome) {}).port != nullptr);
    EXPECT_TRUE(link.Close());
}

}  // namespace
