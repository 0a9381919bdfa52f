#include "platform/Online.h"

#include <gtest/gtest.h>
#include <thread>

using namespace platform;

TEST(OnlineTest, TestsCanForceTheAnswer)
{
    forceOnline(true);
    EXPECT_TRUE(isOnline());
    forceOnline(false);
    EXPECT_FALSE(isOnline());

    // Forced on one thread, seen on another.
    forceOnline(true);
    bool seen = false;
    std::thread([&] { seen = isOnline(); }).join();
    EXPECT_TRUE(seen);

    // Handed back to the system: some answer, the same twice in a row.
    forceOnline(std::nullopt);
    EXPECT_EQ(isOnline(), isOnline());
}
