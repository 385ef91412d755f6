#pragma once

#include <string>
#include <vector>

#include "platform/midi/MidiService.h"

namespace vx9kr::test {

// A MIDI service whose ports are listed but held by another program: for what a front end does
// with port names, and with ports that will not open.
class ListedPortsService final : public midi::MidiService {
  public:
    ListedPortsService(std::vector<std::string> inputs, std::vector<std::string> outputs)
        : inputs_(Number(inputs)), outputs_(Number(outputs)) {}

    std::string Name() const override { return "listed"; }
    std::vector<midi::PortInfo> Inputs() override { return inputs_; }
    std::vector<midi::PortInfo> Outputs() override { return outputs_; }
    midi::Opened<midi::MidiOutput> OpenOutput(int number, midi::SentHandler) override {
        return {nullptr, InUse(outputs_, number)};
    }
    midi::Opened<midi::MidiInput> OpenInput(int number, midi::ReceiveHandler) override {
        return {nullptr, InUse(inputs_, number)};
    }
    std::size_t MaxMessageSize() const override { return 65536; }

  private:
    static std::vector<midi::PortInfo> Number(const std::vector<std::string>& names) {
        std::vector<midi::PortInfo> ports;
        for (const std::string& name : names) {
            ports.push_back({static_cast<int>(ports.size()), name, true});
        }
        return ports;
    }
    static std::string InUse(const std::vector<midi::PortInfo>& ports, int number) {
        if (number < 0 || number >= static_cast<int>(ports.size()))
            return "No such port.";
        return ports[static_cast<std::size_t>(number)].name + " is in use.";
    }

    std::vector<midi::PortInfo> inputs_;
    std::vector<midi::PortInfo> outputs_;
};

}  // namespace vx9kr::test
