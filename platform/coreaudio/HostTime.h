#pragma once

// CoreAudio host time on the same time base as mach_absolute_time, so MIDI time
// stamps and the system's clocks agree.

#include <cstdint>

uint64_t AudioGetCurrentHostTime();
uint64_t AudioConvertNanosToHostTime(uint64_t nanos);
uint64_t AudioConvertHostTimeToNanos(uint64_t hostTime);
