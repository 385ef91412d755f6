#pragma once

#include <sys/types.h>

#include <string>

namespace vx9kr::test {

// A JACK server with the dummy driver for the tests of the system MIDI service. Uses the server
// that already runs, else starts one and stops it again on destruction.
class JackServer {
  public:
    JackServer();
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    // Empty when a server is ready; else why not (no jackd installed, or it would not start).
    const std::string& Problem() const { return problem_; }
    bool Installed() const { return installed_; }
    const std::string& HowStarted() const { return howStarted_; }

  private:
    bool Start(const char* const* arguments);
    void Stop();

    pid_t server_ = -1;
    bool installed_ = false;
    std::string problem_;
    std::string howStarted_;
};

}  // namespace vx9kr::test
