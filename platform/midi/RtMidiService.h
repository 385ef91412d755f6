#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/midi/MidiService.h"

namespace vx9kr::midi {

// The system's MIDI service through RtMidi: ALSA sequencer or JACK on Linux, CoreMIDI on macOS,
// WinMM on Windows.
class RtMidiService final : public MidiService {
  public:
    // RtMidi's JACK output drops a message of 16380 bytes or more without a word, so the service
    // refuses those itself.
    static constexpr std::size_t kMaxMessageSize = 16379;

    // `api` is an RtMidi API name ("alsa", "jack", "core", "winmm"); empty tries the compiled APIs
    // in RtMidi's fixed order and takes the first that can make a client. Returns null with a
    // reason when none works.
    static std::unique_ptr<RtMidiService> Create(const std::string& api, std::string& error);

    // The API names this build of RtMidi offers.
    static std::vector<std::string> CompiledApiNames();

    ~RtMidiService() override;

    std::string Name() const override;
    std::vector<PortInfo> Inputs() override;
    std::vector<PortInfo> Outputs() override;
    Opened<MidiOutput> OpenOutput(int number, SentHandler onSent) override;
    Opened<MidiInput> OpenInput(int number, ReceiveHandler onReceive) override;
    std::size_t MaxMessageSize() const override { return kMaxMessageSize; }

    // A pair of ports that other programs see and connect to, as a device offers them: `name`
    // becomes the client name, with an input port "in" and an output port "out". For the
    // simulated device's program and for tests. Null with a reason where the API has no virtual
    // ports (WinMM).
    struct VirtualPorts {
        std::unique_ptr<MidiInput> input;
        std::unique_ptr<MidiOutput> output;
    };
    VirtualPorts OpenVirtualPorts(const std::string& name, ReceiveHandler onReceive,
                                  SentHandler onSent, std::string& error);

    class Impl;

  private:
    explicit RtMidiService(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace vx9kr::midi
