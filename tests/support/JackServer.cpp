#include "tests/support/JackServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vx9kr::test {

namespace {

using namespace std::chrono_literals;

bool ServerAnswers() {
    return std::system("jack_lsp >/dev/null 2>&1") == 0;
}

bool OnPath(const char* program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Real-time scheduling where it is granted, with short periods; otherwise longer periods, since a
// server without real-time scheduling and with short periods misses cycles on a loaded machine
// and drops MIDI events.
const char* const kRealtime[] = {"jackd", "-R",    "-P", "70",  "-d",   "dummy",
                                 "-r",    "48000", "-p", "256", nullptr};
const char* const kOrdinary[] = {"jackd", "--no-realtime", "-d",   "dummy", "-r", "48000",
                                 "-p",    "1024",          nullptr};

}  // namespace

JackServer::JackServer() {
    installed_ = OnPath("jackd") && OnPath("jack_lsp");
    if (!installed_) {
        problem_ = "jackd is not installed";
        return;
    }
    if (ServerAnswers()) {
        howStarted_ = "a server was already running";
        return;
    }
    if (Start(kRealtime)) {
        howStarted_ = "started: jackd -R -P 70 -d dummy -r 48000 -p 256";
    } else if (Start(kOrdinary)) {
        howStarted_ = "started: jackd --no-realtime -d dummy -r 48000 -p 1024";
    } else {
        problem_ = "jackd would not start";
    }
}

JackServer::~JackServer() {
    Stop();
}

bool JackServer::Start(const char* const* arguments) {
    server_ = fork();
    if (server_ < 0)
        return false;
    if (server_ == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        execvp(arguments[0], const_cast<char* const*>(arguments));
        _exit(127);
    }
    // Ready when jack_lsp answers, usually within a fraction of a second.
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < giveUp) {
        int status = 0;
        if (waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            return false;
        }
        if (ServerAnswers())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    Stop();
    return false;
}

void JackServer::Stop() {
    if (server_ <= 0)
        return;
    kill(server_, SIGTERM);
    int status = 0;
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (waitpid(server_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(server_, SIGKILL);
            waitpid(server_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    server_ = -1;
}

}  // namespace vx9kr::test
