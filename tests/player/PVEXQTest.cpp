#include "player/PVEXQ.h"
#include "player/PlayerCommand.h"
#include "velqplayer/Protocol.h"

#include <QByteArray>

#include <clocale>
#include <gtest/gtest.h>

namespace {

PVEXState* fakeState(int n)
{
    return reinterpret_cast<PVEXState*>(static_cast<std::uintptr_t>(0x1000 * n));
}

} // namespace

TEST(PVEXQTest, ServesJobsOldestFirstAndWrapsAround)
{
    PVEXQ queue;
    PVEXQ::Entry entry;
    EXPECT_EQ(queue.peek(nullptr), 2);
    EXPECT_EQ(queue.peek(&entry), 1);
    EXPECT_EQ(queue.pop(&entry), 1);
    // Round after round, the indices wrap from 4 to 0 and the order holds.
    for (int round = 0; round < 3; ++round) {
        for (int job = 1; job <= 3; ++job)
            EXPECT_EQ(queue.push(fakeState(job), fakeState(job + 1), job, fakeState(9)), 0);
        for (int job = 1; job <= 3; ++job) {
            ASSERT_EQ(queue.peek(&entry), 0);
            EXPECT_EQ(entry.jobCode, std::uint32_t(job));
            EXPECT_EQ(entry.fromState, fakeState(job));
            EXPECT_EQ(entry.toState, fakeState(job + 1));
            EXPECT_EQ(entry.requester, fakeState(9));
            PVEXQ::Entry popped;
            ASSERT_EQ(queue.pop(&popped), 0);
            EXPECT_EQ(popped.jobCode, entry.jobCode);
        }
        EXPECT_EQ(queue.peek(&entry), 1);
    }
    EXPECT_EQ(queue.writeIndex(), 9 % PVEXQ::kSize);
    EXPECT_EQ(queue.readIndex(), queue.writeIndex());
}

TEST(PVEXQTest, FivePushesLookEmptyAndABarePopAlwaysAdvances)
{
    PVEXQ queue;
    for (int job = 0; job < 4; ++job)
        queue.push(nullptr, nullptr, 16, nullptr);
    PVEXQ::Entry entry;
    EXPECT_EQ(queue.peek(&entry), 0);
    queue.push(nullptr, nullptr, 16, nullptr);
    EXPECT_EQ(queue.peek(&entry), 1) << "no full check: the fifth job hides the other four";

    PVEXQ empty;
    EXPECT_EQ(empty.pop(nullptr), 0);
    EXPECT_EQ(empty.readIndex(), 1);
    EXPECT_EQ(empty.peek(&entry), 0) << "the read index ran past the write index";
}

TEST(PVEXQTest, TerminatorCountsEvenOnceServed)
{
    PVEXQ queue;
    EXPECT_EQ(queue.hasTerminator(), 0);
    queue.push(nullptr, nullptr, PVEXQ::kTerminator, nullptr);
    EXPECT_EQ(queue.hasTerminator(), 1);
    queue.pop(nullptr);
    EXPECT_EQ(queue.hasTerminator(), 1);
}

TEST(PlayerCommandTest, FormatsWithTwoDecimalsInAnyLocale)
{
    // A locale with a decimal comma must not leak into the commands.
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(playercommand::speedSet(0.15f), "speed_set 0.15 2");
    EXPECT_EQ(playercommand::speedIncrement(-0.5f), "speed_incr -0.50");
    EXPECT_EQ(playercommand::speedMultiply(2.f), "speed_mult 2.00");
    EXPECT_EQ(playercommand::seek(-1.f, true), "seek -1.00");
    EXPECT_EQ(playercommand::seek(125.337f, false), "seek 125.34 2");
    EXPECT_EQ(playercommand::volume(15), "volume 15 2");
    EXPECT_EQ(playercommand::volume(-20), "volume -20 2");
    std::setlocale(LC_NUMERIC, previous ? previous : "C");
}

TEST(PlayerCommandTest, LoadCommandCarriesAnyNameWhole)
{
    using playercommand::loadFile;
    // Names without a quote or an escape character give the command its plain form.
    EXPECT_EQ(
        loadFile("/media/card/drf_1.mp4", ""), "pvex_loadfile \"/media/card/drf_1.mp4\" \"\"");
    EXPECT_EQ(loadFile("/a b/запись.mp4", "/c"), "pvex_loadfile \"/a b/запись.mp4\" \"/c\"");
    EXPECT_EQ(loadFile(nullptr, nullptr), "pvex_loadfile \"\" \"\"");
#ifdef _WIN32
    EXPECT_EQ(loadFile("E:\\DCIM\\drf_1.mp4", ""), "pvex_loadfile \"E:/DCIM/drf_1.mp4\" \"\"");
#else
    // A backslash is a character of a Linux name: it stays, escaped like a quote.
    EXPECT_EQ(loadFile("/x/a\\b \"c\".mp4", "d\\"),
        "pvex_loadfile \"/x/a\\\\b \\\"c\\\".mp4\" \"d\\\\\"");
    // Up to the longest path the kernel opens, and not a byte more.
    const std::string longest(4095, 'n');
    EXPECT_EQ(loadFile(longest.c_str(), ""), "pvex_loadfile \"" + longest + "\" \"\"");
    const std::string over(4096, 'n');
    EXPECT_FALSE(loadFile(over.c_str(), ""));
    EXPECT_FALSE(loadFile("a", over.c_str()));
    // Two longest names, each escaped whole, still make one command the library takes.
    const std::string quotes(4095, '"');
    EXPECT_LE(loadFile(quotes.c_str(), quotes.c_str())->size(), velq::kCommandMax);
#endif
}
