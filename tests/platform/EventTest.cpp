#include <gtest/gtest.h>

#include <thread>

#include "platform/Event.h"
#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"
#include "tests/support/DelayedAction.h"

using namespace std::chrono_literals;
using vx9kr::Event;
using vx9kr::SystemClock;
using vx9kr::VirtualClock;

namespace {

TEST(Event, StaysSetUntilReset) {
    VirtualClock clock;
    Event event(clock);
    EXPECT_FALSE(event.IsSet());
    event.Set();
    EXPECT_TRUE(event.WaitMs(0));
    EXPECT_TRUE(event.WaitMs(100));
    EXPECT_EQ(clock.Now(), 0ms);
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitMs(5000));
    EXPECT_EQ(clock.Now(), 5000ms);
}

TEST(Event, InitiallySetReturnsAtOnce) {
    VirtualClock clock;
    Event event(clock, true);
    EXPECT_TRUE(event.WaitMs(20000));
    EXPECT_EQ(clock.Now(), 0ms);
}

TEST(Event, SetOnAnotherThreadEndsTheWaitInVirtualTime) {
    VirtualClock clock;
    Event event(clock);
    vx9kr::test::DelayedAction setter(clock, 1234ms, [&] { event.Set(); });
    EXPECT_TRUE(event.WaitMs(20000));
    EXPECT_EQ(clock.NowMs(), 1234);
}

TEST(Event, SetOnAnotherThreadEndsARealWait) {
    SystemClock clock;
    Event event(clock);
    std::thread setter([&] { event.Set(); });
    EXPECT_TRUE(event.Wait(60s));
    setter.join();
}

TEST(Event, RealWaitTimesOut) {
    SystemClock clock;
    Event event(clock);
    const auto start = clock.Now();
    EXPECT_FALSE(event.WaitMs(20));
    EXPECT_GE(clock.Now() - start, 20ms);
}

}  // namespace
