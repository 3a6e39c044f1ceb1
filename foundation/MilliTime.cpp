#include "foundation/MilliTime.h"

#include "platform/mach/MachTime.h"

#include <sys/time.h>

#include <atomic>
#include <cerrno>
#include <ctime>

namespace Tr {

namespace {

std::atomic<unsigned int> testOffset{0};

// Fixed at the first getMilliTime call. The tick factor stays a fraction: reduced to
// an integer number of milliseconds per tick it would be 0 for nanosecond ticks.
struct ClockBase {
    bool monotonic;
    uint64_t startTicks;
    uint32_t numer;
    uint32_t denom;
    time_t startSeconds;
};

ClockBase readClockBase()
{
    mach_timebase_info_data_t info{0, 0};
    if (mach_timebase_info(&info) == KERN_SUCCESS && info.numer != 0 && info.denom != 0)
        return {true, mach_absolute_time(), info.numer, info.denom, 0};
    timeval now;
    gettimeofday(&now, nullptr);
    return {false, 0, 1, 1, now.tv_sec};
}

uint64_t elapsedMillis(ClockBase const& base)
{
    if (base.monotonic) {
        uint64_t ticks = mach_absolute_time() - base.startTicks;
        return uint64_t((unsigned __int128)ticks * base.numer / base.denom / 1000000u);
    }
    timeval now;
    gettimeofday(&now, nullptr);
    return uint64_t(now.tv_sec - base.startSeconds) * 1000u + uint64_t(now.tv_usec) / 1000u;
}

} // namespace

unsigned int getMilliTime()
{
    // The first call counts from its own reading: a second one could already be a
    // millisecond on when the thread was preempted in between.
    bool first = false;
    static const ClockBase base = [&first] {
        first = true;
        return readClockBase();
    }();
    unsigned int elapsed = first ? 0u : unsigned(elapsedMillis(base));
    return elapsed + testOffset.load(std::memory_order_relaxed);
}

void sleepMillis(unsigned int millis)
{
    timespec request{time_t(millis / 1000u), long(millis % 1000u) * 1000000L};
    timespec remaining;
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR)
        request = remaining;
}

uint64_t getHighResolutionTime()
{
    return mach_absolute_time();
}

void setMilliTimeOffset(unsigned int offset)
{
    testOffset.store(offset, std::memory_order_relaxed);
}

} // namespace Tr
