#include "platform/mach/MachTime.h"

#include <ctime>

uint64_t mach_absolute_time()
{
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return 0;
    return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

kern_return_t mach_timebase_info(mach_timebase_info_t info)
{
    timespec now;
    if (!info || clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return KERN_FAILURE;
    info->numer = 1;
    info->denom = 1;
    return KERN_SUCCESS;
}
