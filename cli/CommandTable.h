#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/FlashCommand.h"

// What the commands of vx9kr-flash share: the table that the command line is read against, and
// the helpers of the commands' bodies. Private to the program.
namespace vx9kr::cli {

inline constexpr const char* kProgramName = "vx9kr-flash";

// The options given to a command, by their names with the dashes ("--in").
using OptionValues = std::map<std::string, std::string, std::less<>>;
using CommandBody = int (*)(const OptionValues& options, FlashEnvironment& env);

// An option that some command takes; the usage text explains each once.
struct OptionInfo {
    std::string_view name;   // "--folder"
    std::string_view value;  // what follows it in the usage text: "DIR"
    std::string_view help;   // lines of at most 76 characters, "\n" between them
};

struct CommandOption {
    std::string_view name;
    bool required = true;
};

struct CommandInfo {
    std::string_view name;
    std::string_view summary;
    std::vector<CommandOption> options;
    CommandBody body;
    // The one argument that is not an option ("FILE.pgm"), kept under kOperand; none when empty.
    std::string_view operand = {};
};

inline constexpr const char* kOperand = "";

// In the order the usage text lists them.
const std::vector<OptionInfo>& KnownOptions();
const std::vector<CommandInfo>& KnownCommands();

// The command lines that the program takes, one a line.
std::string SynopsisText();
// The synopsis with what each command and option does.
std::string UsageText();
// Says what is wrong with the command line and how it is used, on standard error.
int UsageError(FlashEnvironment& env, const std::string& problem);
// The service, or null after saying on standard error why there is none.
std::unique_ptr<midi::MidiService> OpenService(FlashEnvironment& env, DeviceStart start);

struct ChosenPorts {
    midi::PortInfo in;
    midi::PortInfo out;
};
// The ports that --in and --out choose, or nothing after saying on standard error which name
// matched no port and what there is.
std::optional<ChosenPorts> ChoosePorts(midi::MidiService& service, const OptionValues& options,
                                       FlashEnvironment& env);

int RunPortsCommand(const OptionValues& options, FlashEnvironment& env);
int RunLcdCommand(const OptionValues& options, FlashEnvironment& env);
int RunEraseAdCommand(const OptionValues& options, FlashEnvironment& env);
int RunMainCommand(const OptionValues& options, FlashEnvironment& env);
int RunInfoCommand(const OptionValues& options, FlashEnvironment& env);

}  // namespace vx9kr::cli
