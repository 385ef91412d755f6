#pragma once

#include <string>
#include <string_view>

namespace vx9kr::midi {

// The name under which a port is shown, saved and found again. Services append numbers that change
// from one start to the next: JACK makes a second client of the same name "client-01", and ALSA
// ends each name with "client:port" numbers. Those are removed so that a saved name still finds its
// port after the program or the device restarts.
std::string StablePortName(std::string_view listedName);

}  // namespace vx9kr::midi
