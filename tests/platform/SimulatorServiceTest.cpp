#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/Event.h"
#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"
#include "platform/midi/LoopbackModel.h"
#include "platform/midi/SimulatorService.h"

using namespace std::chrono_literals;
using vx9kr::Clock;
using vx9kr::Event;
using vx9kr::SystemClock;
using vx9kr::VirtualClock;
using namespace vx9kr::midi;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes SysEx(std::size_t length, std::uint8_t seed) {
    Bytes message(length);
    message.front() = 0xF0;
    for (std::size_t i = 1; i + 1 < length; ++i)
        message[i] = (seed + i * 7) & 0x7F;
    message.back() = 0xF7;
    return message;
}

// What the host side saw: each received buffer with its arrival time, and each sent notice.
struct HostRecord {
    explicit HostRecord(Clock& clock) : clock(clock), changed(clock) {}

    void Received(const ReceivedBuffer& buffer) {
        std::lock_guard lock(mutex);
        received.push_back({buffer.bytes.begin(), buffer.bytes.end()});
        complete.push_back(buffer.complete);
        arrivals.push_back(clock.Now());
        changed.Set();
    }
    void Sent(SendOutcome outcome) {
        std::lock_guard lock(mutex);
        outcomes.push_back(outcome);
        changed.Set();
    }
    // Waits in the clock's time until `count` buffers have arrived.
    bool WaitForReceived(std::size_t count) {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (received.size() >= count)
                    return true;
                changed.Reset();
            }
            if (!changed.WaitMs(60000))
                return false;
        }
    }

    Clock& clock;
    Event changed;
    std::mutex mutex;
    std::vector<Bytes> received;
    std::vector<bool> complete;
    std::vector<Clock::Duration> arrivals;
    std::vector<SendOutcome> outcomes;
};

struct OpenPorts {
    std::unique_ptr<MidiOutput> output;
    std::unique_ptr<MidiInput> input;
};

OpenPorts Open(MidiService& service, HostRecord& host) {
    auto output = service.OpenOutput(0, [&host](SendOutcome o) { host.Sent(o); });
    auto input = service.OpenInput(0, [&host](const ReceivedBuffer& b) { host.Received(b); });
    EXPECT_TRUE(output.port) << output.error;
    EXPECT_TRUE(input.port) << input.error;
    if (input.port)
        input.port->Start();
    return {std::move(output.port), std::move(input.port)};
}

TEST(SimulatorService, OffersOnePortEachWay) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    ASSERT_EQ(service.Inputs().size(), 1u);
    ASSERT_EQ(service.Outputs().size(), 1u);
    EXPECT_EQ(service.Inputs()[0].name, "VX9KR Simulator");
    EXPECT_EQ(service.Outputs()[0].name, "VX9KR Simulator");
    EXPECT_EQ(service.Inputs()[0].number, 0);
    EXPECT_TRUE(service.Outputs()[0].capabilitiesRead);

    EXPECT_FALSE(service.OpenInput(1, [](const ReceivedBuffer&) {}).port);
    EXPECT_FALSE(service.OpenOutput(-1, [](SendOutcome) {}).error.empty());

    auto first = service.OpenInput(0, [](const ReceivedBuffer&) {});
    ASSERT_TRUE(first.port);
    auto second = service.OpenInput(0, [](const ReceivedBuffer&) {});
    EXPECT_FALSE(second.port);
    EXPECT_FALSE(second.error.empty());
    first.port->Close();
    EXPECT_TRUE(service.OpenInput(0, [](const ReceivedBuffer&) {}).port);
}

TEST(SimulatorService, CarriesLongMessagesBothWaysIntactAndInOrder) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);

    const std::vector<Bytes> messages{SysEx(4021, 1), SysEx(4021, 2), SysEx(4021, 3), SysEx(9, 4)};
    for (const Bytes& message : messages)
        EXPECT_EQ(ports.output->Send(message), "");

    ASSERT_TRUE(host.WaitForReceived(messages.size()));
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.received, messages);
    EXPECT_EQ(host.outcomes, std::vector<SendOutcome>(messages.size(), SendOutcome::Sent));
}

TEST(SimulatorService, AnswersOnItsOwnThreadNeverInsideSend) {
    SystemClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    const std::thread::id host = std::this_thread::get_id();
    std::atomic<int> answeredOnHostThread{0};
    Event received(clock);
    auto output = service.OpenOutput(0, [&](SendOutcome) {
        if (std::this_thread::get_id() == host)
            ++answeredOnHostThread;
    });
    auto input = service.OpenInput(0, [&](const ReceivedBuffer&) {
        if (std::this_thread::get_id() == host)
            ++answeredOnHostThread;
        received.Set();
    });
    input.port->Start();
    EXPECT_EQ(output.port->Send(SysEx(20, 0)), "");
    EXPECT_TRUE(received.Wait(60s));
    output.port->Close();
    EXPECT_EQ(answeredOnHostThread, 0);
}

TEST(SimulatorService, WireSpeedDelaysEachMessageByItsLengthInEachDirection) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>(), WireSpeed::MidiCable());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);

    // 25 bytes take 8 ms each way; the second message waits behind the first on both wires.
    ASSERT_EQ(ports.output->Send(SysEx(25, 0)), "");
    ASSERT_EQ(ports.output->Send(SysEx(50, 0)), "");
    ASSERT_TRUE(host.WaitForReceived(2));
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.arrivals[0], 16000us);
    EXPECT_EQ(host.arrivals[1], 8000us + 16000us + 16000us);
}

TEST(SimulatorService, DeviceCanAnswerLate) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>(), WireSpeed::MidiCable());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);

    service.Wire().SendLater(1500ms, SysEx(10, 1));
    ASSERT_TRUE(host.WaitForReceived(1));
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.arrivals[0], 1500ms + 3200us);
}

TEST(SimulatorService, ResetAbandonsWhatIsStillOnTheWire) {
    VirtualClock clock;
    auto loopback = std::make_shared<LoopbackModel>();
    SimulatorService service(clock, loopback, WireSpeed::MidiCable());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);

    ASSERT_EQ(ports.output->Send(SysEx(100, 0)), "");
    ports.output->Reset();
    clock.SleepMs(1000);
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.outcomes, std::vector<SendOutcome>{SendOutcome::Cancelled});
    EXPECT_TRUE(host.received.empty());
}

TEST(SimulatorService, InputDropsWhatArrivesWhileStopped) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);

    ports.input->Stop();
    service.Wire().Send(SysEx(10, 1));
    clock.SleepMs(10);
    ports.input->Start();
    service.Wire().Send(SysEx(10, 2));
    ASSERT_TRUE(host.WaitForReceived(1));
    clock.SleepMs(10);
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.received, std::vector<Bytes>{SysEx(10, 2)});
}

TEST(SimulatorService, DeviceCanSendUnaskedAndCutShort) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);

    service.Wire().SendIncomplete({0xF0, 0x43, 0x10});
    service.Wire().Send(SysEx(8, 5));
    ASSERT_TRUE(host.WaitForReceived(2));
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.received[0], (Bytes{0xF0, 0x43, 0x10}));
    EXPECT_EQ(host.complete, (std::vector<bool>{false, true}));
}

TEST(SimulatorService, RefusesMessagesLongerThanItCarries) {
    VirtualClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    HostRecord host(clock);
    OpenPorts ports = Open(service, host);
    EXPECT_NE(ports.output->Send(SysEx(service.MaxMessageSize() + 1, 0)), "");
    EXPECT_NE(ports.output->Send({}), "");
    clock.SleepMs(10);
    std::lock_guard lock(host.mutex);
    EXPECT_TRUE(host.outcomes.empty());
}

// Closing races the service's deliveries; once Close has returned, nothing of the host's may be
// touched, which ThreadSanitizer and AddressSanitizer watch here.
TEST(SimulatorService, ClosingWhileRepliesAreInFlightIsSafe) {
    SystemClock clock;
    SimulatorService service(clock, std::make_shared<LoopbackModel>());
    for (int round = 0; round < 200; ++round) {
        auto closed = std::make_shared<std::atomic<bool>>(false);
        auto lateCalls = std::make_shared<std::atomic<int>>(0);
        auto received = std::make_unique<std::vector<Bytes>>();
        auto output = service.OpenOutput(0, [closed, lateCalls](SendOutcome) {
            if (*closed)
                ++*lateCalls;
        });
        auto input = service.OpenInput(0, [&received, closed, lateCalls](const ReceivedBuffer& b) {
            if (*closed)
                ++*lateCalls;
            received->emplace_back(b.bytes.begin(), b.bytes.end());
        });
        ASSERT_TRUE(output.port && input.port);
        input.port->Start();
        for (int i = 0; i < 5; ++i)
            output.port->Send(SysEx(64, static_cast<std::uint8_t>(i)));
        if (round % 2)
            std::this_thread::yield();
        input.port->Close();
        output.port->Close();
        *closed = true;
        received.reset();
        std::this_thread::yield();
        EXPECT_EQ(*lateCalls, 0);
    }
}

}  // namespace
