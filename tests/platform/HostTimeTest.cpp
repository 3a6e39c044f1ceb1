#include "platform/coreaudio/HostTime.h"
#include "platform/mach/MachTime.h"

#include <gtest/gtest.h>

#include <ctime>

TEST(HostTime, MachTimebaseIsNanosecondTicks)
{
    mach_timebase_info_data_t info{0, 0};
    ASSERT_EQ(KERN_SUCCESS, mach_timebase_info(&info));
    EXPECT_EQ(1u, info.numer);
    EXPECT_EQ(1u, info.denom);
    EXPECT_EQ(KERN_FAILURE, mach_timebase_info(nullptr));
}

TEST(HostTime, MachTicksFollowTheMonotonicClock)
{
    timespec before;
    clock_gettime(CLOCK_MONOTONIC, &before);
    uint64_t ticks = mach_absolute_time();
    timespec after;
    clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_GE(ticks, uint64_t(before.tv_sec) * 1000000000u + uint64_t(before.tv_nsec));
    EXPECT_LE(ticks, uint64_t(after.tv_sec) * 1000000000u + uint64_t(after.tv_nsec));
    EXPECT_LE(ticks, mach_absolute_time());
}

TEST(HostTime, HostTimeSharesTheMachTimeBase)
{
    uint64_t mach = mach_absolute_time();
    uint64_t host = AudioGetCurrentHostTime();
    EXPECT_GE(host, mach);
    EXPECT_LE(host - mach, AudioConvertNanosToHostTime(1000000000u));
}

TEST(HostTime, ConversionsAreExactAndInverse)
{
    EXPECT_EQ(320000u, AudioConvertNanosToHostTime(320000u));
    EXPECT_EQ(0u, AudioConvertNanosToHostTime(0));
    uint64_t large = 0xFFFFFFFFFFFFull * 1000u;
    EXPECT_EQ(large, AudioConvertHostTimeToNanos(AudioConvertNanosToHostTime(large)));
}
