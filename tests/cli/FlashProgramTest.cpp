#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#endif

// The built vx9kr-flash itself, started as an operator's script starts it, for what needs no
// waiting on a device.

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs the program with these arguments (shell syntax) on the simulated device.
Outcome RunProgram(const std::string& arguments) {
#ifdef _WIN32
    _putenv_s("VX9KR_MIDI", "simulator");
    // cmd.exe takes off one pair of outer quotes.
    const std::string command = "\"\"" VX9KR_FLASH_PROGRAM "\" " + arguments + "\"";
    FILE* pipe = _popen(command.c_str(), "r");
#else
    setenv("VX9KR_MIDI", "simulator", 1);
    const std::string command = "'" VX9KR_FLASH_PROGRAM "' " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
#endif
    Outcome outcome;
    if (!pipe)
        return outcome;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.output.append(buffer, n);
#ifdef _WIN32
    outcome.status = _pclose(pipe);
#else
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return outcome;
}

TEST(FlashProgramTest, ListsTheSimulatedDevicesPorts) {
    const Outcome outcome = RunProgram("ports");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, "in\t0\tVX9KR Simulator\nout\t0\tVX9KR Simulator\n");
}

TEST(FlashProgramTest, AnswersHelpAndVersion) {
    const Outcome help = RunProgram("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("usage: vx9kr-flash ports\n", 0), 0u) << help.output;
    const Outcome version = RunProgram("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "vx9kr-flash " VX9KR_VERSION "\n");
}

TEST(FlashProgramTest, UsageErrorExitsWith2AndExplainsOnStandardError) {
    const Outcome alone = RunProgram("lcd --in X --out X --mode 7 --folder .");
    EXPECT_EQ(alone.status, 2);
    EXPECT_EQ(alone.output, "");
    const Outcome merged = RunProgram("lcd --in X --out X --mode 7 --folder . 2>&1");
    EXPECT_EQ(merged.output.rfind("vx9kr-flash: --mode takes 0, 1 or 2, not '7'\nusage: ", 0), 0u)
        << merged.output;
}

}  // namespace
