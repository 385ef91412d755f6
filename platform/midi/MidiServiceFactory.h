#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/midi/DeviceModel.h"
#include "platform/midi/MidiService.h"
#include "platform/midi/SimulatorService.h"

namespace vx9kr::midi {

// The environment variable that chooses the MIDI service: "system" (or unset) for the system's own,
// "simulator" for the simulated VX9KR, or an RtMidi API name such as "jack" or "alsa" to force one.
inline constexpr const char* kServiceVariable = "VX9KR_MIDI";

std::string ServiceChoiceFromEnvironment();

struct SimulatorSetup {
    std::function<std::shared_ptr<DeviceModel>()> makeDevice;
    WireSpeed speed = WireSpeed::MidiCable();
};

struct ServiceChoice {
    std::unique_ptr<MidiService> service;  // null when the choice names no service
    std::string error;
};

// The simulator's clock must outlive the service.
ServiceChoice CreateMidiService(std::string_view choice, Clock& clock,
                                const SimulatorSetup& simulator);

}  // namespace vx9kr::midi
