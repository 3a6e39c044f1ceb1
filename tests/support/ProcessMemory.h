#pragma once
// How much memory the test process holds: its resident set, and the bytes its
// program has allocated and not freed (from the sanitizer's allocator where one
// replaces malloc).

#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DRAVIK_SANITIZED_HEAP 1
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace testmemory {

// Freed memory that a sanitizer keeps back swells the resident set.
#ifdef DRAVIK_SANITIZED_HEAP
constexpr bool residentSetIsMeaningful = false;
#else
constexpr bool residentSetIsMeaningful = true;
#endif

inline long residentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

inline std::size_t heapInUse()
{
#ifdef DRAVIK_SANITIZED_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

} // namespace testmemory
