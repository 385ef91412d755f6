#include "sim/SimulatedVx9kr.h"

#include "sim/lcd/LcdCpuModel.h"
#include "sim/main/MainCpuModel.h"

namespace vx9kr::sim {

namespace {

// Ten times a MIDI cable, so that the demonstration's 360 KB go in seconds, not minutes.
midi::WireSpeed FastCable() {
    return midi::WireSpeed{midi::WireSpeed::MidiCable().perByte / 10};
}

}  // namespace

midi::SimulatorSetup SimulatedVx9kr() {
    midi::SimulatorSetup setup;
    setup.makeDevice = [] {
        LcdCpuBehaviour behaviour;
        behaviour.initialFiles["hq200100.pgm"] = Bytes(4100, 0x5A);
        return std::make_shared<LcdCpuModel>(behaviour);
    };
    setup.speed = FastCable();
    return setup;
}

midi::SimulatorSetup SimulatedVx9krInBootMode() {
    midi::SimulatorSetup setup;
    setup.makeDevice = [] {
        MainCpuBehaviour behaviour;
        // Each of Copy, Uninstall and Install then fills its bar in a second or so.
        behaviour.progressStep = std::chrono::milliseconds(150);
        return std::make_shared<MainCpuModel>(behaviour);
    };
    setup.speed = FastCable();
    return setup;
}

}  // namespace vx9kr::sim
