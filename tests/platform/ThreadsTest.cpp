#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>

#include "platform/SystemTime.h"

TEST(Threads, StartThreadRunsTheFunctionWithItsArgument) {
    std::atomic<int> value{0};
    const auto setTo42 = [](void* argument) { static_cast<std::atomic<int>*>(argument)->store(42); };
    ASSERT_TRUE(StartThread(setTo42, &value));
    for (int i = 0; i < 5000 && value.load() != 42; ++i) platform::sleepOneMillisecond();
    EXPECT_EQ(value.load(), 42);
    EXPECT_FALSE(StartThread(nullptr, &value));
}

TEST(Threads, SleepAndSystemTime) {
    const auto start = std::chrono::steady_clock::now();
    platform::sleepOneMillisecond();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1));

    const uint64_t before = static_cast<uint64_t>(std::time(nullptr)) * 1000;
    const uint64_t now = platform::systemTimeMs();
    EXPECT_GE(now, before);
    EXPECT_LT(now, before + 2000);
}

// The random seeds' calendar time: a whole number in $ZORVANE_FIXED_TIME
// stands in for the clock; anything else leaves the clock.
TEST(Threads, CalendarSecondsTakeTheFixedTimeWhenGiven) {
    const struct {
        const char* fixed;
        int64_t expected;  // -1: the clock
    } cases[] = {{"1700000000", 1700000000}, {"0", 0}, {"42", 42}, {"12x", -1}, {"", -1}, {nullptr, -1}};
    for (const auto& c : cases) {
        if (c.fixed) setenv("ZORVANE_FIXED_TIME", c.fixed, 1);
        else unsetenv("ZORVANE_FIXED_TIME");
        const int64_t clock = static_cast<int64_t>(std::time(nullptr));
        const int64_t seconds = platform::calendarSeconds();
        if (c.expected >= 0) EXPECT_EQ(seconds, c.expected) << c.fixed;
        else EXPECT_NEAR(double(seconds), double(clock), 1.0) << (c.fixed ? c.fixed : "unset");
    }
    unsetenv("ZORVANE_FIXED_TIME");
}
