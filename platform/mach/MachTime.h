#pragma once

// Mach absolute time over Linux's CLOCK_MONOTONIC: one tick is one nanosecond, so
// the timebase is 1/1. Every clock of the system (millisecond clock, host time)
// reads this one time base.

#include <cstdint>

typedef int kern_return_t;

constexpr kern_return_t KERN_SUCCESS = 0;
constexpr kern_return_t KERN_FAILURE = 5;

// Ticks times numer / denom gives nanoseconds.
struct mach_timebase_info_data_t {
    uint32_t numer;
    uint32_t denom;
};
typedef mach_timebase_info_data_t* mach_timebase_info_t;

// Ticks of the monotonic clock; 0 when the clock cannot be read.
uint64_t mach_absolute_time();

// Fills in the tick-to-nanosecond factor; KERN_FAILURE (and nothing written)
// when the monotonic clock cannot be read or info is null.
kern_return_t mach_timebase_info(mach_timebase_info_t info);
