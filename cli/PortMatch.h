#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/midi/MidiService.h"

namespace vx9kr::cli {

// The port that `name` chooses: the one of exactly that name, else the first listed whose name
// begins with `name` without regard to letter case, so that "vx9kr" finds "VX9KR Simulator" and a
// JACK or ALSA port is found by the part of its name that stays. Null when none does; an empty
// name chooses none.
const midi::PortInfo* MatchPort(const std::vector<midi::PortInfo>& ports, std::string_view name);

// The ports' names for a message to the operator: "'A', 'B'", or "none" when there are none.
std::string DescribePortNames(const std::vector<midi::PortInfo>& ports);

}  // namespace vx9kr::cli
