#include <gtest/gtest.h>

#include "platform/midi/PortName.h"

using vx9kr::midi::StablePortName;

namespace {

struct NameCase {
    const char* listed;
    const char* stable;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << '"' << c.listed << '"';
}

class StablePortNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(StablePortNameTest, RemovesOnlyWhatChangesBetweenStarts) {
    EXPECT_EQ(StablePortName(GetParam().listed), GetParam().stable);
}

INSTANTIATE_TEST_SUITE_P(
    Names, StablePortNameTest,
    testing::Values(NameCase{"VX9KR Simulator", "VX9KR Simulator"},
                    NameCase{"vx9kr-echo:out", "vx9kr-echo:out"},
                    NameCase{"vx9kr-echo-01:out", "vx9kr-echo:out"},
                    NameCase{"vx9kr-echo-12:in", "vx9kr-echo:in"},
                    NameCase{"Midi Through:Midi Through Port-0 14:0",
                             "Midi Through:Midi Through Port-0"},
                    NameCase{"USB MIDI-01:USB MIDI MIDI 1 20:0", "USB MIDI:USB MIDI MIDI 1"},
                    // Numbers that belong to the name itself stay.
                    NameCase{"Synth-1:port", "Synth-1:port"}, NameCase{"Model 2000", "Model 2000"},
                    NameCase{"Port 1:2x", "Port 1:2x"}, NameCase{"", ""}));

}  // namespace
