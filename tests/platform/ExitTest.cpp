#include "platform/Exit.h"

#include <gtest/gtest.h>
#include <thread>

using namespace platform;

TEST(ExitTest, RecorderCatchesTheExitCode)
{
    ExitRecorder recorder;
    int code = -1;
    try {
        exitProgram(7);
    } catch (const ExitRequested& request) {
        code = request.code;
    }
    EXPECT_EQ(code, 7);

    // On a worker thread the request surfaces there.
    std::thread([&] {
        try {
            exitProgram(0);
        } catch (const ExitRequested& request) {
            code = request.code;
        }
    }).join();
    EXPECT_EQ(code, 0);
}

TEST(ExitDeathTest, WithoutRecorderTheProgramEndsWithTheCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitProgram(3), ::testing::ExitedWithCode(3), "");
}

TEST(ExitTest, WorkBeforeTheEndRunsFirstAndCanBeRemoved)
{
    ExitRecorder recorder;
    int runs = 0;
    setBeforeExit([&] { ++runs; });
    EXPECT_THROW(exitProgram(0), ExitRequested);
    EXPECT_EQ(runs, 1);
    setBeforeExit({});
    EXPECT_THROW(exitProgram(0), ExitRequested);
    EXPECT_EQ(runs, 1);
}
