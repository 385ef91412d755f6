#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/midi/MidiServiceFactory.h"

namespace vx9kr::cli {

// The exit status of vx9kr-flash.
enum : int {
    EXIT_OK = 0,
    EXIT_FAILED = 1,  // the device, the files or the MIDI service failed the command
    EXIT_USAGE = 2,   // the command line asks for nothing that the program does
};

// How the operator has powered the device for a command: the LCD CPU answers after a normal
// start, the Main CPU's boot loader after a start with the Mode switch held. A real device is
// already running as it was started; a simulated one starts as asked.
enum class DeviceStart { Normal, BootMode };

// What a command reaches the world through, handed in by main() or by a test.
struct FlashEnvironment {
    // Makes the MIDI service when a command needs one, so that --help and a usage error work on
    // a machine without any. A null service with its error fails the command.
    std::function<midi::ServiceChoice(DeviceStart)> openService;
    // The pauses and time limits of a run; the service made above must not outlive it.
    Clock& clock;
    std::ostream& out;
    std::ostream& err;
    // Whether `out` is a terminal, which redraws the progress line in place.
    bool outIsTerminal = false;
};

// Runs one command line, given without the program's name, and returns its exit status.
int RunFlashCommand(const std::vector<std::string>& args, FlashEnvironment& env);

}  // namespace vx9kr::cli
