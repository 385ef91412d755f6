#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vx9kr::sim::test {

// One request of a scripted conversation with a simulated CPU, and the one reply it must bring.
struct Step {
    const char* what;
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> reply;  // empty: the device stays silent
};

// Sends each step's request with `ask`, which returns every reply the device sent to it, and
// compares what came back.
template <typename AskDevice>
void RunConversation(const std::vector<Step>& steps, AskDevice ask) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::vector<std::vector<std::uint8_t>> replies = ask(step.request);
        if (step.reply.empty())
            EXPECT_TRUE(replies.empty());
        else
            EXPECT_EQ(replies, std::vector<std::vector<std::uint8_t>>{step.reply});
    }
}

}  // namespace vx9kr::sim::test
