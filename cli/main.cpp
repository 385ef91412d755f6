// vx9kr-flash: the kit's updates from a terminal or a script. See RunFlashCommand.
#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/FlashCommand.h"
#include "platform/SystemClock.h"
#include "sim/SimulatedVx9kr.h"

namespace {

bool StandardOutputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) == 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    vx9kr::SystemClock clock;
    auto openService = [&clock](vx9kr::cli::DeviceStart start) {
        return vx9kr::midi::CreateMidiService(vx9kr::midi::ServiceChoiceFromEnvironment(), clock,
                                              start == vx9kr::cli::DeviceStart::BootMode
                                                  ? vx9kr::sim::SimulatedVx9krInBootMode()
                                                  : vx9kr::sim::SimulatedVx9kr());
    };
    vx9kr::cli::FlashEnvironment env{openService, clock, std::cout, std::cerr,
                                     StandardOutputIsTerminal()};
    return vx9kr::cli::RunFlashCommand({argv + 1, argv + argc}, env);
}
