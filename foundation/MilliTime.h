#pragma once

#include <cstdint>

namespace Tr {

// Milliseconds since the first call in the process (that call returns 0), from the
// host's monotonic clock; the wall clock only when that cannot be read. The count
// wraps after 2^32 ms: compare time stamps by signed 32-bit difference.
unsigned int getMilliTime();

// Sleeps the given milliseconds, resuming after signals until the time is up.
void sleepMillis(unsigned int millis);

// Raw tick count of the host's monotonic clock.
uint64_t getHighResolutionTime();

// Test hook: a constant added to every getMilliTime result, so that tests can bring
// the 32-bit wrap near. 0 unless a test sets it.
void setMilliTimeOffset(unsigned int offset);

} // namespace Tr
