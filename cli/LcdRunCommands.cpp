#include <optional>

#include "cli/CommandTable.h"
#include "cli/ConsoleReport.h"
#include "panelflash/engine/LcdCommands.h"
#include "panelflash/engine/LcdMidiLink.h"
#include "panelflash/engine/LcdRunFrame.h"
#include "panelflash/engine/LcdUpdater.h"

namespace vx9kr::cli {
namespace {

// The frame of one LCD run as Panelflash's dialog has it, with the worker's body run on this
// thread: nothing else needs serving while it runs.
int RunOnDevice(const OptionValues& options, FlashEnvironment& env,
                const std::optional<std::int16_t>& exeMode, const std::string& what) {
    const std::unique_ptr<midi::MidiService> service = OpenService(env, DeviceStart::Normal);
    if (!service)
        return EXIT_FAILED;
    const std::optional<ChosenPorts> ports = ChoosePorts(*service, options, env);
    if (!ports)
        return EXIT_FAILED;

    ConsoleReport report(env.out, env.err, env.outIsTerminal);
    CLcdMidiLink link(*service, env.clock);
    CLcdUpdater updater(link, report, env.clock);
    if (!BeginLcdRun(link, report, ports->out.name, ports->in.name)) {
        env.err << kProgramName << ": " << link.OpenFailure() << "\n";
        return EXIT_FAILED;
    }
    std::string folder;
    if (exeMode) {
        updater.m_nExeMode = *exeMode;
        folder = options.find("--folder")->second;
        updater.RunUpdate(folder);
    } else {
        updater.RunAdErase();
    }
    // A body that ends without its last word has failed all the same.
    const int nResult = report.RunResult().value_or(LCD_RESULT_FAILED);
    EndLcdRun(link, report, nResult, folder);
    if (nResult == LCD_RESULT_OK)
        return EXIT_OK;
    env.err << kProgramName << ": " << what << " failed";
    if (!report.LastFailure().empty())
        env.err << ": " << report.LastFailure();
    env.err << "\n";
    return EXIT_FAILED;
}

}  // namespace

int RunLcdCommand(const OptionValues& options, FlashEnvironment& env) {
    std::int16_t nMode = EXEMODE_REMOVEDIR;
    if (const auto mode = options.find("--mode"); mode != options.end()) {
        if (mode->second == "1")
            nMode = EXEMODE_ERASE;
        else if (mode->second == "2")
            nMode = EXEMODE_COPYONLY;
        else if (mode->second != "0")
            return UsageError(env, "--mode takes 0, 1 or 2, not '" + mode->second + "'");
    }
    return RunOnDevice(options, env, nMode, "LCD update");
}

int RunEraseAdCommand(const OptionValues& options, FlashEnvironment& env) {
    return RunOnDevice(options, env, std::nullopt, "AD firmware erase");
}

}  // namespace vx9kr::cli
