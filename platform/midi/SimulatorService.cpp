#include "platform/midi/SimulatorService.h"

#include <algorithm>

#include "platform/midi/CallbackGate.h"

namespace vx9kr::midi {

namespace {

constexpr int kOnlyPort = 0;

}  // namespace

struct SimulatorService::OutputPort {
    explicit OutputPort(SentHandler handler) : gate(std::move(handler)) {}
    CallbackGate<SendOutcome> gate;
    // Guarded by the clock's mutex. Sends numbered below cancelledBelow were abandoned.
    std::uint64_t nextSend = 0;
    std::uint64_t cancelledBelow = 0;
    bool open = true;
};

struct SimulatorService::InputPort {
    explicit InputPort(ReceiveHandler handler) : gate(std::move(handler)) {}
    CallbackGate<const ReceivedBuffer&> gate;
    bool started = false;  // guarded by the clock's mutex
};

class SimulatorService::DeviceSide final : public DeviceWire {
  public:
    explicit DeviceSide(SimulatorService& service) : service_(service) {}
    void Send(std::vector<std::uint8_t> message) override {
        service_.SendFromDevice(std::move(message), true);
    }
    void SendIncomplete(std::vector<std::uint8_t> bytes) override {
        service_.SendFromDevice(std::move(bytes), false);
    }
    void SendLater(Clock::Duration delay, std::vector<std::uint8_t> message) override {
        service_.SendFromDevice(std::move(message), true, delay);
    }

  private:
    SimulatorService& service_;
};

// The service must outlive its ports.
class SimulatorOutput final : public MidiOutput {
  public:
    SimulatorOutput(SimulatorService& service, std::shared_ptr<SimulatorService::OutputPort> port)
        : service_(service), port_(std::move(port)) {}
    ~SimulatorOutput() override { Close(); }

    std::string Send(std::span<const std::uint8_t> message) override {
        if (message.empty())
            return "The message is empty.";
        if (message.size() > service_.MaxMessageSize()) {
            return "The message of " + std::to_string(message.size()) +
                   " bytes is longer than the service carries (" +
                   std::to_string(service_.MaxMessageSize()) + " bytes).";
        }
        std::lock_guard lock(service_.clock_.Mutex());
        if (!port_->open)
            return "The output port is closed.";
        service_.SendFromHostLocked(port_, {message.begin(), message.end()});
        return {};
    }

    void Reset() override {
        std::lock_guard lock(service_.clock_.Mutex());
        port_->cancelledBelow = port_->nextSend;
    }

    void Close() override {
        {
            std::lock_guard lock(service_.clock_.Mutex());
            port_->cancelledBelow = port_->nextSend;
            port_->open = false;
        }
        port_->gate.Close();
    }

  private:
    SimulatorService& service_;
    std::shared_ptr<SimulatorService::OutputPort> port_;
};

class SimulatorInput final : public MidiInput {
  public:
    SimulatorInput(SimulatorService& service, std::shared_ptr<SimulatorService::InputPort> port)
        : service_(service), port_(std::move(port)) {}
    ~SimulatorInput() override { Close(); }

    void Start() override { SetStarted(true); }
    void Stop() override { SetStarted(false); }
    // Each message is handed over the moment it has crossed the wire: nothing waits here.
    void Reset() override {}

    void Close() override {
        {
            std::lock_guard lock(service_.clock_.Mutex());
            port_->started = false;
            if (service_.input_ == port_)
                service_.input_.reset();
        }
        port_->gate.Close();
    }

  private:
    void SetStarted(bool started) {
        std::lock_guard lock(service_.clock_.Mutex());
        port_->started = started;
    }

    SimulatorService& service_;
    std::shared_ptr<SimulatorService::InputPort> port_;
};

SimulatorService::SimulatorService(Clock& clock, std::shared_ptr<DeviceModel> device,
                                   WireSpeed speed)
    : clock_(clock),
      device_(std::move(device)),
      speed_(speed),
      deviceSide_(std::make_unique<DeviceSide>(*this)),
      serviceWork_(std::make_unique<BackgroundWork>(clock)),
      serviceThread_([this] { ServeSchedule(); }) {}

SimulatorService::~SimulatorService() {
    {
        std::lock_guard lock(clock_.Mutex());
        stopping_ = true;
        clock_.NotifyAll();
    }
    serviceThread_.join();
}

std::vector<PortInfo> SimulatorService::Inputs() {
    return {{kOnlyPort, kPortName, true}};
}

std::vector<PortInfo> SimulatorService::Outputs() {
    return {{kOnlyPort, kPortName, true}};
}

Opened<MidiOutput> SimulatorService::OpenOutput(int number, SentHandler onSent) {
    if (number != kOnlyPort)
        return {nullptr, "There is no MIDI output " + std::to_string(number)};
    std::lock_guard lock(clock_.Mutex());
    if (auto current = output_.lock(); current && current->open) {
        return {nullptr, std::string("The MIDI output '") + kPortName + "' is already open."};
    }
    auto port = std::make_shared<OutputPort>(std::move(onSent));
    output_ = port;
    return {std::make_unique<SimulatorOutput>(*this, std::move(port)), {}};
}

Opened<MidiInput> SimulatorService::OpenInput(int number, ReceiveHandler onReceive) {
    if (number != kOnlyPort)
        return {nullptr, "There is no MIDI input " + std::to_string(number)};
    std::lock_guard lock(clock_.Mutex());
    if (input_)
        return {nullptr, std::string("The MIDI input '") + kPortName + "' is already open."};
    input_ = std::make_shared<InputPort>(std::move(onReceive));
    return {std::make_unique<SimulatorInput>(*this, input_), {}};
}

DeviceWire& SimulatorService::Wire() {
    return *deviceSide_;
}

void SimulatorService::ScheduleLocked(Clock::Duration due, std::function<void()> action) {
    schedule_.push_back({due, nextOrder_++, std::move(action)});
    std::push_heap(schedule_.begin(), schedule_.end(), LaterFirst);
    scheduleChanged_ = true;
    clock_.NotifyAll();
}

Clock::Duration SimulatorService::CrossWireLocked(Clock::Duration& wireFreeAt, std::size_t bytes,
                                                  Clock::Duration notBefore) {
    const Clock::Duration start = std::max(notBefore, wireFreeAt);
    wireFreeAt = start + speed_.perByte * static_cast<Clock::Duration::rep>(bytes);
    return wireFreeAt;
}

void SimulatorService::SendFromHostLocked(std::shared_ptr<OutputPort> port,
                                          std::vector<std::uint8_t> message) {
    const std::uint64_t send = port->nextSend++;
    const Clock::Duration arrival =
        CrossWireLocked(hostToDeviceFreeAt_, message.size(), clock_.Now());
    ScheduleLocked(arrival, [this, port = std::move(port), send, message = std::move(message)] {
        bool cancelled;
        {
            std::lock_guard lock(clock_.Mutex());
            cancelled = send < port->cancelledBelow;
        }
        if (!cancelled)
            device_->Receive(message, *deviceSide_);
        port->gate.Call(cancelled ? SendOutcome::Cancelled : SendOutcome::Sent);
    });
}

void SimulatorService::SendFromDevice(std::vector<std::uint8_t> bytes, bool complete,
                                      Clock::Duration delay) {
    std::lock_guard lock(clock_.Mutex());
    const Clock::Duration arrival =
        CrossWireLocked(deviceToHostFreeAt_, bytes.size(), clock_.Now() + delay);
    ScheduleLocked(arrival,
                   [this, bytes = std::move(bytes), complete] { DeliverToHost(bytes, complete); });
}

void SimulatorService::DeliverToHost(const std::vector<std::uint8_t>& bytes, bool complete) {
    std::shared_ptr<InputPort> port;
    {
        std::lock_guard lock(clock_.Mutex());
        if (!input_ || !input_->started)
            return;
        port = input_;
    }
    port->gate.Call(ReceivedBuffer{bytes, complete});
}

void SimulatorService::ServeSchedule() {
    std::unique_lock lock(clock_.Mutex());
    const auto due = [this] { return !schedule_.empty() && schedule_.front().due <= clock_.Now(); };
    for (;;) {
        scheduleChanged_ = false;
        const Clock::Duration deadline =
            schedule_.empty() ? Clock::kForever : schedule_.front().due;
        clock_.WaitUntil(
            lock, deadline, [&] { return stopping_ || scheduleChanged_ || due(); },
            Clock::Role::Background);
        if (stopping_)
            break;
        while (due()) {
            std::pop_heap(schedule_.begin(), schedule_.end(), LaterFirst);
            std::function<void()> action = std::move(schedule_.back().action);
            schedule_.pop_back();
            lock.unlock();
            action();
            lock.lock();
        }
    }
    lock.unlock();
    serviceWork_.reset();
}

}  // namespace vx9kr::midi
