#pragma once

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/midi/DeviceModel.h"
#include "platform/midi/MidiService.h"

namespace vx9kr::midi {

// How long each byte takes on the simulated cable, in each direction.
struct WireSpeed {
    Clock::Duration perByte{0};

    static WireSpeed Instant() { return {}; }
    // 31250 baud with 10 bits a byte.
    static WireSpeed MidiCable() { return {std::chrono::microseconds(320)}; }
};

// An in-process MIDI service with one input and one output port, both named kPortName, connected
// to a simulated device. It behaves as a real service does towards the host: the device's replies
// and the notices that a message has gone out arrive on the service's own thread, never inside a
// call of the host, and with a wire speed a message takes its length in time to cross.
class SimulatorService final : public MidiService {
  public:
    static constexpr const char* kPortName = "VX9KR Simulator";
    static constexpr std::size_t kMaxMessageSize = 65536;

    SimulatorService(Clock& clock, std::shared_ptr<DeviceModel> device,
                     WireSpeed speed = WireSpeed::Instant());
    ~SimulatorService() override;

    std::string Name() const override { return "simulator"; }
    std::vector<PortInfo> Inputs() override;
    std::vector<PortInfo> Outputs() override;
    Opened<MidiOutput> OpenOutput(int number, SentHandler onSent) override;
    Opened<MidiInput> OpenInput(int number, ReceiveHandler onReceive) override;
    std::size_t MaxMessageSize() const override { return kMaxMessageSize; }

    // The device's side of the wire, for tests that make the device speak unasked.
    DeviceWire& Wire();

    struct OutputPort;
    struct InputPort;

  private:
    class DeviceSide;
    struct Scheduled {
        Clock::Duration due;
        std::uint64_t order;
        std::function<void()> action;
    };

    static bool LaterFirst(const Scheduled& a, const Scheduled& b) {
        return a.due != b.due ? a.due > b.due : a.order > b.order;
    }

    // Both run with the clock's mutex held.
    void ScheduleLocked(Clock::Duration due, std::function<void()> action);
    Clock::Duration CrossWireLocked(Clock::Duration& wireFreeAt, std::size_t bytes,
                                    Clock::Duration notBefore);

    void SendFromHostLocked(std::shared_ptr<OutputPort> port, std::vector<std::uint8_t> message);
    void SendFromDevice(std::vector<std::uint8_t> bytes, bool complete,
                        Clock::Duration delay = Clock::Duration(0));
    void DeliverToHost(const std::vector<std::uint8_t>& bytes, bool complete);
    void ServeSchedule();

    Clock& clock_;
    std::shared_ptr<DeviceModel> device_;
    const WireSpeed speed_;
    std::unique_ptr<DeviceSide> deviceSide_;

    // Guarded by the clock's mutex, which the service thread's wait looks at. A heap with the
    // earliest due first; equal times keep the order in which they were scheduled.
    std::vector<Scheduled> schedule_;
    std::uint64_t nextOrder_ = 0;
    bool scheduleChanged_ = false;
    bool stopping_ = false;
    Clock::Duration hostToDeviceFreeAt_{0};
    Clock::Duration deviceToHostFreeAt_{0};
    std::weak_ptr<OutputPort> output_;
    std::shared_ptr<InputPort> input_;

    std::unique_ptr<BackgroundWork> serviceWork_;
    std::thread serviceThread_;

    friend class SimulatorOutput;
    friend class SimulatorInput;
};

}  // namespace vx9kr::midi
