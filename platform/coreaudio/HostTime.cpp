#include "platform/coreaudio/HostTime.h"

#include "platform/mach/MachTime.h"

namespace {

// Falls back to 1/1 (nanosecond ticks) when the timebase cannot be read.
mach_timebase_info_data_t timebase()
{
    static const mach_timebase_info_data_t info = [] {
        mach_timebase_info_data_t result{1, 1};
        if (mach_timebase_info(&result) != KERN_SUCCESS || result.numer == 0 || result.denom == 0)
            result = {1, 1};
        return result;
    }();
    return info;
}

// value * mul / div without overflowing the intermediate product.
uint64_t scale(uint64_t value, uint32_t mul, uint32_t div)
{
    return uint64_t((unsigned __int128)value * mul / div);
}

} // namespace

uint64_t AudioGetCurrentHostTime()
{
    return mach_absolute_time();
}

uint64_t AudioConvertNanosToHostTime(uint64_t nanos)
{
    mach_timebase_info_data_t info = timebase();
    return scale(nanos, info.denom, info.numer);
}

uint64_t AudioConvertHostTimeToNanos(uint64_t hostTime)
{
    mach_timebase_info_data_t info = timebase();
    return scale(hostTime, info.numer, info.denom);
}
