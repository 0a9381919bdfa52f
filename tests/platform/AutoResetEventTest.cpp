#include "platform/AutoResetEvent.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using platform::AutoResetEvent;

TEST(AutoResetEventTest, SetBeforeWaitIsKeptAndResetsOnRelease)
{
    AutoResetEvent event;
    event.set();
    EXPECT_TRUE(event.waitFor(0ms));
    EXPECT_FALSE(event.waitFor(0ms)); // released one waiter, then reset itself

    // Two sets with nobody waiting are one signal.
    event.set();
    event.set();
    EXPECT_TRUE(event.waitFor(0ms));
    EXPECT_FALSE(event.waitFor(10ms));

    event.set();
    event.wait(); // returns at once
}

TEST(AutoResetEventTest, WaitForTimesOutWithoutSet)
{
    AutoResetEvent event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.waitFor(30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST(AutoResetEventTest, SetFromAnotherThreadWakesOneWaiter)
{
    AutoResetEvent event;
    auto waiter = std::async(std::launch::async, [&] {
        event.wait();
        return true;
    });
    std::this_thread::sleep_for(20ms);
    event.set();
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(waiter.get());

    // One set releases exactly one of two waiters; the other times out.
    std::atomic<int> released{0};
    auto wait = [&] {
        if (event.waitFor(300ms))
            ++released;
    };
    std::thread first(wait), second(wait);
    std::this_thread::sleep_for(20ms);
    event.set();
    first.join();
    second.join();
    EXPECT_EQ(released, 1);
}
