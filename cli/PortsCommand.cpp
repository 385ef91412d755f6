#include "cli/CommandTable.h"

namespace vx9kr::cli {

// One line per port, for people and for scripts alike: direction, device number, name.
int RunPortsCommand(const OptionValues&, FlashEnvironment& env) {
    const std::unique_ptr<midi::MidiService> service = OpenService(env, DeviceStart::Normal);
    if (!service)
        return EXIT_FAILED;
    for (const midi::PortInfo& port : service->Inputs())
        env.out << "in\t" << port.number << "\t" << port.name << "\n";
    for (const midi::PortInfo& port : service->Outputs())
        env.out << "out\t" << port.number << "\t" << port.name << "\n";
    env.out.flush();
    return EXIT_OK;
}

}  // namespace vx9kr::cli
