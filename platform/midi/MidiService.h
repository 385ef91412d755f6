#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vx9kr::midi {

struct PortInfo {
    int number = -1;        // the device number that opens it
    std::string name;       // stable across restarts of the program and of the device
    bool capabilitiesRead;  // false when the service could not tell the port's name
};

enum class SendOutcome {
    Sent,       // the whole message has gone out
    Cancelled,  // Reset or Close abandoned it
    Failed,     // the service could not send it
};

// One received buffer: a whole SysEx message (F0 ... F7), or, when `complete` is false, what the
// service could make of a message that was cut short.
struct ReceivedBuffer {
    std::span<const std::uint8_t> bytes;
    bool complete = true;
};

// Handlers run on a thread of the service, never inside a call of the host, one at a time per port.
using SentHandler = std::function<void(SendOutcome)>;
using ReceiveHandler = std::function<void(const ReceivedBuffer&)>;

class MidiOutput {
  public:
    virtual ~MidiOutput() = default;

    // Starts sending one SysEx message and returns an empty text when the service took it: the sent
    // handler then runs exactly once for it. Otherwise returns why it was refused, and the handler
    // does not run.
    virtual std::string Send(std::span<const std::uint8_t> message) = 0;

    // Abandons the messages still going out; their handlers run with Cancelled.
    virtual void Reset() = 0;

    // Resets and closes. Once it returns, no handler of this port runs. Also done on destruction.
    // Must not be called from a handler.
    virtual void Close() = 0;
};

class MidiInput {
  public:
    virtual ~MidiInput() = default;

    // Input that arrives while the port is not started is dropped, as a device driver does.
    virtual void Start() = 0;
    virtual void Stop() = 0;

    // Drops what has arrived and has not yet been handed to the handler.
    virtual void Reset() = 0;

    // Stops and closes. Once it returns, no handler of this port runs and nothing of the caller's
    // is touched. Also done on destruction. Must not be called from a handler.
    virtual void Close() = 0;
};

template <typename Port>
struct Opened {
    std::unique_ptr<Port> port;  // null when the open failed
    std::string error;           // why it failed
};

class MidiService {
  public:
    virtual ~MidiService() = default;

    // What the service is ("simulator", "jack", "alsa", ...), for messages to the operator.
    virtual std::string Name() const = 0;

    virtual std::vector<PortInfo> Inputs() = 0;
    virtual std::vector<PortInfo> Outputs() = 0;

    virtual Opened<MidiOutput> OpenOutput(int number, SentHandler onSent) = 0;
    virtual Opened<MidiInput> OpenInput(int number, ReceiveHandler onReceive) = 0;

    // The longest message this service carries whole; Send refuses longer ones.
    virtual std::size_t MaxMessageSize() const = 0;
};

}  // namespace vx9kr::midi
