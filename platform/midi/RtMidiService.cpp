#include "platform/midi/RtMidiService.h"

#include <rtmidi/RtMidi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/midi/CallbackGate.h"
#include "platform/midi/PortName.h"

namespace vx9kr::midi {

namespace {

constexpr const char* kClientName = "VX9KR Kit";

// RtMidi reports through this callback instead of throwing once it is installed; the text of the
// last report tells why an open or a send did not work.
struct ErrorSink {
    std::mutex mutex;
    std::string last;

    static void Record(RtMidiError::Type, const std::string& text, void* sink) {
        auto* self = static_cast<ErrorSink*>(sink);
        std::lock_guard lock(self->mutex);
        self->last = text;
    }
    std::string Take() {
        std::lock_guard lock(mutex);
        return std::exchange(last, {});
    }
};

// JACK's output ring holds about 16 KiB; a message that finds it full is tried again once the
// server's next cycles have drained it, for at most about a second.
constexpr auto kRetryPause = std::chrono::milliseconds(2);
constexpr int kRetries = 500;

template <typename Port>
std::vector<PortInfo> ListPorts(RtMidi::Api api) {
    std::vector<PortInfo> ports;
    try {
        Port lister(api, kClientName);
        ErrorSink sink;
        lister.setErrorCallback(&ErrorSink::Record, &sink);
        const unsigned count = lister.getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            const std::string name = lister.getPortName(i);
            ports.push_back({static_cast<int>(i), StablePortName(name), !name.empty()});
        }
    } catch (const RtMidiError&) {
        // No client could be made: the service lists nothing.
    }
    return ports;
}

class RtInput final : public MidiInput {
  public:
    explicit RtInput(ReceiveHandler handler) : gate_(std::move(handler)) {}
    ~RtInput() override { Close(); }

    // Opens device `number`, or, when `virtualName` is given, a port of that name for others to
    // see. Returns why it failed, or an empty text.
    std::string Open(RtMidi::Api api, int number, const std::string* virtualName) {
        auto port = std::make_unique<RtMidiIn>(api, virtualName ? *virtualName : kClientName);
        port->setErrorCallback(&ErrorSink::Record, &sink_);
        port->ignoreTypes(false, true, true);
        if (!virtualName && (number < 0 || static_cast<unsigned>(number) >= port->getPortCount())) {
            return "There is no MIDI input " + std::to_string(number) + ".";
        }
        port->setCallback(&RtInput::OnMessage, this);
        if (virtualName) {
            port->openVirtualPort("in");
            if (std::string why = sink_.Take(); !why.empty())
                return why;
        } else {
            port->openPort(static_cast<unsigned>(number), "in");
            if (!port->isPortOpen())
                return "The MIDI input could not be opened: " + sink_.Take();
        }
        port_ = std::move(port);
        return {};
    }

    void Start() override { started_ = true; }
    void Stop() override { started_ = false; }
    // RtMidi hands each message to the callback as it arrives; nothing is held back here.
    void Reset() override {}

    void Close() override {
        started_ = false;
        gate_.Close();
        if (!port_)
            return;
        try {
            port_->cancelCallback();
            port_->closePort();
        } catch (const RtMidiError&) {
            // The port goes away with the object below whatever RtMidi says.
        }
        port_.reset();
    }

  private:
    static void OnMessage(double, std::vector<unsigned char>* message, void* self) {
        auto* input = static_cast<RtInput*>(self);
        // Only SysEx is ours; short messages are never looked at.
        if (!input->started_ || message == nullptr || message->empty() ||
            message->front() != 0xF0) {
            return;
        }
        const bool complete = message->back() == 0xF7;
        input->gate_.Call(ReceivedBuffer{*message, complete});
    }

    std::unique_ptr<RtMidiIn> port_;
    ErrorSink sink_;
    std::atomic<bool> started_{false};
    CallbackGate<const ReceivedBuffer&> gate_;
};

// RtMidi sends on the caller's thread; a thread of ours sends instead, so that the host's call
// returns at once and the notice that a message went out comes from the service's side.
class RtOutput final : public MidiOutput {
  public:
    RtOutput(std::unique_ptr<RtMidiOut> port, std::unique_ptr<ErrorSink> sink, SentHandler handler)
        : port_(std::move(port)), sink_(std::move(sink)), handler_(std::move(handler)) {
        sender_ = std::thread([this] { SendQueued(); });
    }
    ~RtOutput() override { Close(); }

    std::string Send(std::span<const std::uint8_t> message) override {
        if (message.empty())
            return "The message is empty.";
        if (message.size() > RtMidiService::kMaxMessageSize) {
            return "The message of " + std::to_string(message.size()) +
                   " bytes is longer than the MIDI service carries (" +
                   std::to_string(RtMidiService::kMaxMessageSize) + " bytes).";
        }
        std::lock_guard lock(mutex_);
        if (closing_)
            return "The output port is closed.";
        queue_.push_back({nextSend_++, {message.begin(), message.end()}});
        changed_.notify_all();
        return {};
    }

    void Reset() override {
        std::lock_guard lock(mutex_);
        cancelledBelow_ = nextSend_;
    }

    void Close() override {
        {
            std::lock_guard lock(mutex_);
            if (closing_)
                return;
            cancelledBelow_ = nextSend_;
            closing_ = true;
            changed_.notify_all();
        }
        sender_.join();
        try {
            port_->closePort();
        } catch (const RtMidiError&) {
            // Closed all the same when the object goes.
        }
        port_.reset();
    }

  private:
    struct Pending {
        std::uint64_t number;
        std::vector<unsigned char> bytes;
    };

    void SendQueued() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            Pending next = std::move(queue_.front());
            queue_.pop_front();
            const bool cancelled = next.number < cancelledBelow_;
            lock.unlock();
            handler_(cancelled ? SendOutcome::Cancelled : SendNow(next.bytes));
            lock.lock();
        }
    }

    SendOutcome SendNow(const std::vector<unsigned char>& bytes) {
        for (int attempt = 0; attempt < kRetries; ++attempt) {
            sink_->Take();
            try {
                port_->sendMessage(bytes.data(), bytes.size());
            } catch (const RtMidiError&) {
                return SendOutcome::Failed;
            }
            const std::string error = sink_->Take();
            if (error.empty())
                return SendOutcome::Sent;
            if (error.find("full") == std::string::npos)
                return SendOutcome::Failed;
            {
                std::lock_guard lock(mutex_);
                if (closing_)
                    return SendOutcome::Cancelled;
            }
            std::this_thread::sleep_for(kRetryPause);
        }
        return SendOutcome::Failed;
    }

    std::unique_ptr<RtMidiOut> port_;
    std::unique_ptr<ErrorSink> sink_;
    SentHandler handler_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> queue_;
    std::uint64_t nextSend_ = 0;
    std::uint64_t cancelledBelow_ = 0;
    bool closing_ = false;
    std::thread sender_;
};

Opened<MidiInput> OpenRtInput(RtMidi::Api api, int number, const std::string* virtualName,
                              ReceiveHandler handler) {
    try {
        auto input = std::make_unique<RtInput>(std::move(handler));
        if (std::string why = input->Open(api, number, virtualName); !why.empty()) {
            return {nullptr, why};
        }
        return {std::move(input), {}};
    } catch (const RtMidiError& error) {
        return {nullptr, error.getMessage()};
    }
}

// Opens device `number`, or, when `virtualName` is given, a port of that name for others to see.
Opened<MidiOutput> OpenRtOutput(RtMidi::Api api, int number, const std::string* virtualName,
                                SentHandler handler) {
    try {
        auto port = std::make_unique<RtMidiOut>(api, virtualName ? *virtualName : kClientName);
        auto sink = std::make_unique<ErrorSink>();
        port->setErrorCallback(&ErrorSink::Record, sink.get());
        if (virtualName) {
            port->openVirtualPort("out");
            if (const std::string why = sink->Take(); !why.empty())
                return {nullptr, why};
        } else {
            if (number < 0 || static_cast<unsigned>(number) >= port->getPortCount()) {
                return {nullptr, "There is no MIDI output " + std::to_string(number) + "."};
            }
            port->openPort(static_cast<unsigned>(number), "out");
            if (!port->isPortOpen()) {
                return {nullptr, "The MIDI output could not be opened: " + sink->Take()};
            }
        }
        return {std::make_unique<RtOutput>(std::move(port), std::move(sink), std::move(handler)),
                {}};
    } catch (const RtMidiError& error) {
        return {nullptr, error.getMessage()};
    }
}

}  // namespace

class RtMidiService::Impl {
  public:
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    std::string unavailable;  // why no client can be made; empty when the service works
};

std::vector<std::string> RtMidiService::CompiledApiNames() {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<std::string> names;
    for (RtMidi::Api api : apis) {
        if (api != RtMidi::RTMIDI_DUMMY)
            names.push_back(RtMidi::getApiName(api));
    }
    return names;
}

std::unique_ptr<RtMidiService> RtMidiService::Create(const std::string& apiName,
                                                     std::string& error) {
    std::vector<RtMidi::Api> candidates;
    if (apiName.empty()) {
        RtMidi::getCompiledApi(candidates);
        std::erase(candidates, RtMidi::RTMIDI_DUMMY);
    } else {
        const RtMidi::Api api = RtMidi::getCompiledApiByName(apiName);
        if (api == RtMidi::UNSPECIFIED || api == RtMidi::RTMIDI_DUMMY) {
            error = "The MIDI service '" + apiName + "' is not available in this build.";
            return nullptr;
        }
        candidates.push_back(api);
    }

    auto impl = std::make_unique<Impl>();
    impl->unavailable = "No MIDI service could be reached.";
    for (RtMidi::Api api : candidates) {
        try {
            RtMidiIn probeIn(api, kClientName);
            RtMidiOut probeOut(api, kClientName);
            impl->api = api;
            impl->unavailable.clear();
            break;
        } catch (const RtMidiError& failure) {
            impl->api = api;
            impl->unavailable = RtMidi::getApiName(api) + ": " + failure.getMessage();
        }
    }
    return std::unique_ptr<RtMidiService>(new RtMidiService(std::move(impl)));
}

RtMidiService::RtMidiService(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RtMidiService::~RtMidiService() = default;

std::string RtMidiService::Name() const {
    return impl_->api == RtMidi::UNSPECIFIED ? "none" : RtMidi::getApiName(impl_->api);
}

std::vector<PortInfo> RtMidiService::Inputs() {
    if (!impl_->unavailable.empty())
        return {};
    return ListPorts<RtMidiIn>(impl_->api);
}

std::vector<PortInfo> RtMidiService::Outputs() {
    if (!impl_->unavailable.empty())
        return {};
    return ListPorts<RtMidiOut>(impl_->api);
}

Opened<MidiOutput> RtMidiService::OpenOutput(int number, SentHandler onSent) {
    if (!impl_->unavailable.empty())
        return {nullptr, impl_->unavailable};
    return OpenRtOutput(impl_->api, number, nullptr, std::move(onSent));
}

Opened<MidiInput> RtMidiService::OpenInput(int number, ReceiveHandler onReceive) {
    if (!impl_->unavailable.empty())
        return {nullptr, impl_->unavailable};
    return OpenRtInput(impl_->api, number, nullptr, std::move(onReceive));
}

RtMidiService::VirtualPorts RtMidiService::OpenVirtualPorts(const std::string& name,
                                                            ReceiveHandler onReceive,
                                                            SentHandler onSent,
                                                            std::string& error) {
    if (!impl_->unavailable.empty()) {
        error = impl_->unavailable;
        return {};
    }
    auto input = OpenRtInput(impl_->api, -1, &name, std::move(onReceive));
    if (!input.port) {
        error = input.error;
        return {};
    }
    auto output = OpenRtOutput(impl_->api, -1, &name, std::move(onSent));
    if (!output.port) {
        error = output.error;
        return {};
    }
    return {std::move(input.port), std::move(output.port)};
}

}  // namespace vx9kr::midi
