#include "platform/midi/MidiServiceFactory.h"

#include <cstdlib>

#include "platform/midi/RtMidiService.h"

namespace vx9kr::midi {

std::string ServiceChoiceFromEnvironment() {
    const char* value = std::getenv(kServiceVariable);
    return value ? value : "";
}

ServiceChoice CreateMidiService(std::string_view choice, Clock& clock,
                                const SimulatorSetup& simulator) {
    if (choice == "simulator") {
        if (!simulator.makeDevice)
            return {nullptr, "This program has no simulated device."};
        return {std::make_unique<SimulatorService>(clock, simulator.makeDevice(), simulator.speed),
                {}};
    }
    const std::string api = choice.empty() || choice == "system" ? "" : std::string(choice);
    std::string error;
    auto service = RtMidiService::Create(api, error);
    if (!service) {
        std::string known = "system, simulator";
        for (const std::string& name : RtMidiService::CompiledApiNames())
            known += ", " + name;
        return {nullptr, error + " " + kServiceVariable + " takes one of: " + known + "."};
    }
    return {std::move(service), {}};
}

}  // namespace vx9kr::midi
