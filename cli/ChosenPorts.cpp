#include "cli/CommandTable.h"
#include "cli/PortMatch.h"

namespace vx9kr::cli {

std::optional<ChosenPorts> ChoosePorts(midi::MidiService& service, const OptionValues& options,
                                       FlashEnvironment& env) {
    const std::vector<midi::PortInfo> inputs = service.Inputs();
    const std::vector<midi::PortInfo> outputs = service.Outputs();
    const std::string& in = options.find("--in")->second;
    const std::string& out = options.find("--out")->second;
    const midi::PortInfo* input = MatchPort(inputs, in);
    const midi::PortInfo* output = MatchPort(outputs, out);
    if (!input) {
        env.err << kProgramName << ": no MIDI input matches '" << in
                << "'; inputs: " << DescribePortNames(inputs) << "\n";
    }
    if (!output) {
        env.err << kProgramName << ": no MIDI output matches '" << out
                << "'; outputs: " << DescribePortNames(outputs) << "\n";
    }
    env.err.flush();
    if (!input || !output)
        return std::nullopt;
    return ChosenPorts{*input, *output};
}

}  // namespace vx9kr::cli
