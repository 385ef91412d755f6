#include "sim/SimulatedVx9kr.h"

#include "sim/lcd/LcdCpuModel.h"

namespace vx9kr::sim {

midi::SimulatorSetup SimulatedVx9kr() {
    midi::SimulatorSetup setup;
    setup.makeDevice = [] {
        LcdCpuBehaviour behaviour;
        behaviour.initialFiles["hq200100.pgm"] = Bytes(4100, 0x5A);
        return std::make_shared<LcdCpuModel>(behaviour);
    };
    // Ten times a MIDI cable, so that the demonstration's 360 KB go in seconds, not minutes.
    setup.speed = midi::WireSpeed{midi::WireSpeed::MidiCable().perByte / 10};
    return setup;
}

}  // namespace vx9kr::sim
