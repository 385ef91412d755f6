#include "cli/FlashCommand.h"

#include <algorithm>

#include "cli/CommandTable.h"

namespace vx9kr::cli {
namespace {

const CommandInfo* FindCommand(std::string_view name) {
    for (const CommandInfo& command : KnownCommands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

const CommandOption* FindOption(const CommandInfo& command, std::string_view name) {
    for (const CommandOption& option : command.options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

const OptionInfo& DescribeOption(std::string_view name) {
    const auto& options = KnownOptions();
    return *std::find_if(options.begin(), options.end(),
                         [name](const OptionInfo& option) { return option.name == name; });
}

std::string Synopsis(const CommandInfo& command) {
    std::string line = std::string(kProgramName) + " " + std::string(command.name);
    for (const CommandOption& option : command.options) {
        const OptionInfo& described = DescribeOption(option.name);
        const std::string text = std::string(described.name) + " " + std::string(described.value);
        line += option.required ? " " + text : " [" + text + "]";
    }
    if (!command.operand.empty())
        line += " " + std::string(command.operand);
    return line;
}

// Text in a column of its own, each of its lines after the first indented to `column`.
std::string Indented(std::string_view text, std::size_t column) {
    std::string result;
    for (char c : text) {
        result += c;
        if (c == '\n')
            result.append(column, ' ');
    }
    return result;
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size() + 2, width), ' ');
    return text;
}

// The options that follow the command's name, each with its value, and its operand.
int ParseOptions(const CommandInfo& command, const std::vector<std::string>& args,
                 FlashEnvironment& env, OptionValues& values) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            if (command.operand.empty() || values.count(kOperand))
                return UsageError(env, "unexpected argument '" + arg + "'");
            values[kOperand] = arg;
            continue;
        }
        if (!FindOption(command, arg)) {
            return UsageError(env, std::string(command.name) + " takes no option '" + arg + "'");
        }
        // A value that looks like an option is an option whose value was left out before it.
        if (i + 1 == args.size() || args[i + 1].rfind("--", 0) == 0)
            return UsageError(env, arg + " needs a value");
        if (values.count(arg))
            return UsageError(env, arg + " is given twice");
        values[arg] = args[++i];
    }
    for (const CommandOption& option : command.options) {
        if (option.required && !values.count(option.name)) {
            return UsageError(env,
                              std::string(command.name) + " needs " + std::string(option.name));
        }
    }
    if (!command.operand.empty() && !values.count(kOperand)) {
        return UsageError(env,
                          std::string(command.name) + " needs " + std::string(command.operand));
    }
    return EXIT_OK;
}

}  // namespace

const std::vector<OptionInfo>& KnownOptions() {
    static const std::vector<OptionInfo> options{
        {"--in", "NAME",
         "the MIDI input that the device's MIDI OUT reaches: a port's exact name,\n"
         "or the beginning of one in any letter case"},
        {"--out", "NAME", "the MIDI output that reaches the device's MIDI IN, found the same way"},
        {"--folder", "DIR", "the folder that holds the five LCD update files"},
        {"--mode", "0|1|2",
         "how the device's file store is prepared, as the ini key ExeMode says:\n"
         "0 remove its directory and swap the new files in at the end (default),\n"
         "1 erase it first, 2 copy only"},
        {"--file", "FILE.pgm", "the Main CPU firmware image to load"},
    };
    return options;
}

const std::vector<CommandInfo>& KnownCommands() {
    static const std::vector<CommandInfo> commands{
        {"ports",
         "lists the MIDI ports: in or out, number and name, tab-separated",
         {},
         &RunPortsCommand},
        {"lcd",
         "copies the LCD update files of DIR into the LCD CPU",
         {{"--in"}, {"--out"}, {"--folder"}, {"--mode", false}},
         &RunLcdCommand},
        {"erase-ad",
         "erases the AD firmware that the LCD CPU holds",
         {{"--in"}, {"--out"}},
         &RunEraseAdCommand},
        {"main",
         "loads FILE.pgm into the Main CPU, started in boot mode",
         {{"--in"}, {"--out"}, {"--file"}},
         &RunMainCommand},
        {"info",
         "checks FILE.pgm as a load does and shows what it holds",
         {},
         &RunInfoCommand,
         "FILE.pgm"},
    };
    return commands;
}

std::string SynopsisText() {
    std::string text;
    std::string lead = "usage: ";
    for (const CommandInfo& command : KnownCommands()) {
        text += lead + Synopsis(command) + "\n";
        lead = "       ";
    }
    return text + lead + kProgramName + " --help | --version\n";
}

std::string UsageText() {
    std::string text = SynopsisText() + "\n";
    text += "Updates the firmware of a VX9KR over MIDI.\n\n";
    constexpr std::size_t kCommandColumn = 12;
    for (const CommandInfo& command : KnownCommands()) {
        text += "  " + Padded(std::string(command.name), kCommandColumn) +
                std::string(command.summary) + "\n";
    }
    text += "\n";
    constexpr std::size_t kOptionColumn = 18;
    for (const OptionInfo& option : KnownOptions()) {
        text += "  " +
                Padded(std::string(option.name) + " " + std::string(option.value), kOptionColumn) +
                Indented(option.help, kOptionColumn + 2) + "\n";
    }
    text += "  " + Padded("--help", kOptionColumn) + "shows this text\n";
    text += "  " + Padded("--version", kOptionColumn) + "shows the program's version\n\n";
    text += std::string(midi::kServiceVariable) +
            " chooses the MIDI service: system (the default), simulator (a simulated\n"
            "VX9KR in this program), or an RtMidi API name such as jack or alsa.\n"
            "Exit status: 0 success, 1 failure, 2 usage error.\n";
    return text;
}

int UsageError(FlashEnvironment& env, const std::string& problem) {
    env.err << kProgramName << ": " << problem << "\n"
            << SynopsisText() << "Run '" << kProgramName << " --help' for more.\n";
    env.err.flush();
    return EXIT_USAGE;
}

std::unique_ptr<midi::MidiService> OpenService(FlashEnvironment& env, DeviceStart start) {
    midi::ServiceChoice choice = env.openService(start);
    if (!choice.service) {
        env.err << kProgramName << ": no MIDI service: " << choice.error << "\n";
        env.err.flush();
    }
    return std::move(choice.service);
}

int RunFlashCommand(const std::vector<std::string>& args, FlashEnvironment& env) {
    if (args.empty())
        return UsageError(env, "no command given");
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        env.out << UsageText();
        env.out.flush();
        return EXIT_OK;
    }
    if (first == "--version") {
        env.out << kProgramName << " " << VX9KR_VERSION << "\n";
        env.out.flush();
        return EXIT_OK;
    }
    const CommandInfo* command = FindCommand(first);
    if (!command) {
        return UsageError(env, first.rfind("-", 0) == 0 ? "unknown option '" + first + "'"
                                                        : "unknown command '" + first + "'");
    }
    if (std::find(args.begin() + 1, args.end(), "--help") != args.end()) {
        env.out << UsageText();
        env.out.flush();
        return EXIT_OK;
    }
    OptionValues values;
    if (const int status = ParseOptions(*command, args, env, values); status != EXIT_OK)
        return status;
    return command->body(values, env);
}

}  // namespace vx9kr::cli
