#include <gtest/gtest.h>

#include "cli/PortMatch.h"

namespace {

using vx9kr::cli::DescribePortNames;
using vx9kr::cli::MatchPort;
using vx9kr::midi::PortInfo;

const std::vector<PortInfo> kPorts{
    {0, "Midi Through", true},
    {1, "VX9KR Simulator", true},
    {2, "vx9kr", true},
    {3, "VX9KR Simulator", true},
};

int NumberOf(const PortInfo* port) {
    return port ? port->number : -1;
}

TEST(PortMatchTest, ExactNameWinsOverAnEarlierPrefix) {
    EXPECT_EQ(NumberOf(MatchPort(kPorts, "vx9kr")), 2);
}

TEST(PortMatchTest, PrefixIgnoresCaseAndTakesTheFirstListed) {
    EXPECT_EQ(NumberOf(MatchPort(kPorts, "VX9KR sim")), 1);
    EXPECT_EQ(NumberOf(MatchPort(kPorts, "midi")), 0);
}

TEST(PortMatchTest, ExactNameTakesTheFirstOfThatName) {
    EXPECT_EQ(NumberOf(MatchPort(kPorts, "VX9KR Simulator")), 1);
}

TEST(PortMatchTest, NoMatchAndEmptyNameChooseNone) {
    EXPECT_EQ(MatchPort(kPorts, "Simulator"), nullptr);
    EXPECT_EQ(MatchPort(kPorts, "VX9KR Simulator 2"), nullptr);
    EXPECT_EQ(MatchPort(kPorts, ""), nullptr);
    EXPECT_EQ(MatchPort({}, "VX9KR"), nullptr);
}

TEST(PortMatchTest, DescribesTheNamesForAMessage) {
    EXPECT_EQ(DescribePortNames({kPorts[0], kPorts[1]}), "'Midi Through', 'VX9KR Simulator'");
    EXPECT_EQ(DescribePortNames({}), "none");
}

}  // namespace
