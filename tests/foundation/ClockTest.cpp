#include "foundation/MilliTime.h"

#include "tests/foundation/TestClock.h"
#include "tests/foundation/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(ClockFirstCall, ReturnsZero)
{
    // A fresh process, so that this is the first call there.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(Tr::getMilliTime() == 0 ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST(Clock, NeverDecreases)
{
    unsigned int previous = Tr::getMilliTime();
    for (int i = 0; i < 200000; ++i) {
        unsigned int now = Tr::getMilliTime();
        ASSERT_GE(int(now - previous), 0);
        previous = now;
    }
}

TEST(Clock, CountsMilliseconds)
{
    auto before = std::chrono::steady_clock::now();
    unsigned int first = Tr::getMilliTime();
    auto after = std::chrono::steady_clock::now();
    ASSERT_TRUE(TrTest::waitUntil([&] { return TrTest::millisSince(after) >= 300; }));
    unsigned int elapsed = Tr::getMilliTime() - first;
    long long outer = TrTest::millisSince(before);
    // Both read CLOCK_MONOTONIC; each millisecond reading may lose up to 1 ms.
    EXPECT_GE(elapsed, 299u);
    EXPECT_LE(elapsed, unsigned(outer) + 1u);
}

TEST(Clock, WrapOfThe32BitCountKeepsSignedDifferencesRight)
{
    TrTest::TestClock clock;
    clock.set(0u - Tr::getMilliTime() - 100u);
    unsigned int before = Tr::getMilliTime();
    EXPECT_GT(before, 0xFFFFFF00u);
    ASSERT_TRUE(TrTest::waitUntil([] { return Tr::getMilliTime() < 0x80000000u; }));
    unsigned int after = Tr::getMilliTime();
    EXPECT_GT(int(after - before), 0);
    EXPECT_LT(int(after - before), 5000);
}

TEST(Clock, SleepMillisSleepsAtLeastThatLong)
{
    auto start = std::chrono::steady_clock::now();
    Tr::sleepMillis(30);
    EXPECT_GE(TrTest::millisSince(start), 30);
    start = std::chrono::steady_clock::now();
    Tr::sleepMillis(1100);
    EXPECT_GE(TrTest::millisSince(start), 1100);
}

TEST(Clock, HighResolutionTimeCountsNanoseconds)
{
    uint64_t first = Tr::getHighResolutionTime();
    unsigned int millis = Tr::getMilliTime();
    ASSERT_TRUE(TrTest::waitUntil([&] { return Tr::getMilliTime() - millis >= 20; }));
    uint64_t elapsed = Tr::getHighResolutionTime() - first;
    EXPECT_GE(elapsed, 19000000u);
    EXPECT_LT(elapsed, 5000000000u);
}
