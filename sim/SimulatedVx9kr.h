#pragma once

#include "platform/midi/MidiServiceFactory.h"

namespace vx9kr::sim {

// The simulated VX9KR that the programs talk to when VX9KR_MIDI=simulator: a device as it comes
// from the factory, with an AD firmware installed, behind a cable ten times as fast as MIDI's.
midi::SimulatorSetup SimulatedVx9kr();

// The same VX9KR powered on with its Mode switch held: the Main CPU's boot loader answers, with
// room for a whole firmware image, working visibly between its progress reports.
midi::SimulatorSetup SimulatedVx9krInBootMode();

}  // namespace vx9kr::sim
