#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "platform/VirtualClock.h"
#include "tests/support/DelayedAction.h"

using namespace std::chrono_literals;
using vx9kr::BackgroundWork;
using vx9kr::Clock;
using vx9kr::VirtualClock;
using vx9kr::test::DelayedAction;

namespace {

TEST(VirtualClock, SleepMovesTimeByExactlyItsLength) {
    VirtualClock clock;
    const auto realStart = std::chrono::steady_clock::now();
    clock.SleepMs(500);
    clock.SleepMs(2000);
    EXPECT_EQ(clock.NowMs(), 2500);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 2s);
}

TEST(VirtualClock, WaitWithoutAnswerEndsAtItsDeadline) {
    VirtualClock clock;
    std::unique_lock lock(clock.Mutex());
    EXPECT_FALSE(clock.WaitFor(lock, 20000ms, [] { return false; }));
    EXPECT_EQ(clock.Now(), 20000ms);
}

TEST(VirtualClock, WaitEndsWhenABackgroundThreadAnswersInVirtualTime) {
    VirtualClock clock;
    bool answered = false;
    DelayedAction answer(clock, 300ms, [&] {
        std::lock_guard lock(clock.Mutex());
        answered = true;
        clock.NotifyAll();
    });
    std::unique_lock lock(clock.Mutex());
    EXPECT_TRUE(clock.WaitFor(lock, 5000ms, [&] { return answered; }));
    EXPECT_EQ(clock.Now(), 300ms);
}

TEST(VirtualClock, ForegroundDeadlineBeforeTheAnswerEndsTheWaitFirst) {
    VirtualClock clock;
    bool answered = false;
    DelayedAction answer(clock, 300ms, [&] {
        std::lock_guard lock(clock.Mutex());
        answered = true;
        clock.NotifyAll();
    });
    std::unique_lock lock(clock.Mutex());
    EXPECT_FALSE(clock.WaitFor(lock, 299ms, [&] { return answered; }));
    EXPECT_EQ(clock.Now(), 299ms);
    EXPECT_TRUE(clock.WaitFor(lock, 5000ms, [&] { return answered; }));
    EXPECT_EQ(clock.Now(), 300ms);
}

TEST(VirtualClock, TimeStandsStillWhileBackgroundWorkRuns) {
    VirtualClock clock;
    auto work = std::make_unique<BackgroundWork>(clock);
    std::atomic<bool> sleeperDone{false};
    std::thread sleeper([&] {
        clock.SleepMs(100);
        sleeperDone = true;
    });
    // However long the background works, the foreground sleep may not end meanwhile.
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(sleeperDone);
    EXPECT_EQ(clock.Now(), 0ms);
    work.reset();
    sleeper.join();
    EXPECT_TRUE(sleeperDone);
    EXPECT_EQ(clock.Now(), 100ms);
}

TEST(VirtualClock, BackgroundWaitAloneDoesNotMoveTime) {
    VirtualClock clock;
    BackgroundWork work(clock);
    std::promise<void> started;
    bool stop = false;
    std::thread background([&] {
        std::unique_lock lock(clock.Mutex());
        started.set_value();
        clock.WaitUntil(
            lock, 1000ms, [&] { return stop; }, Clock::Role::Background);
    });
    started.get_future().wait();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(clock.Now(), 0ms);
    {
        std::lock_guard lock(clock.Mutex());
        stop = true;
        clock.NotifyAll();
    }
    background.join();
    EXPECT_EQ(clock.Now(), 0ms);
}

TEST(VirtualClock, ForegroundWaitLetsBackgroundDeadlineComeFirst) {
    VirtualClock clock;
    Clock::Duration backgroundWoke{};
    auto work = std::make_unique<BackgroundWork>(clock);
    std::thread background([&, owned = std::move(work)] {
        std::unique_lock lock(clock.Mutex());
        clock.WaitUntil(
            lock, 40ms, [] { return false; }, Clock::Role::Background);
        backgroundWoke = clock.Now();
    });
    clock.SleepMs(1000);
    background.join();
    EXPECT_EQ(backgroundWoke, 40ms);
    EXPECT_EQ(clock.Now(), 1000ms);
}

}  // namespace
