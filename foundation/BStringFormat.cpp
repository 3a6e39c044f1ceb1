#include "foundation/BString.h"

#include <cstdio>

namespace Tr {

BString BString::format(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatList(fmt, args);
    va_end(args);
    return result;
}

BString BString::formatUnchecked(char const* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BString result = formatList(fmt, args);
    va_end(args);
    return result;
}

// Output up to 32767 bytes comes back whole; longer output or a formatting error gives the empty
// string. The first attempt uses a 1024-byte stack buffer; a longer result is formatted once more,
// from a fresh copy of the arguments, straight into a container of the measured size.
BString BString::formatList(char const* fmt, va_list args)
{
    if (!fmt)
        return BString();
    char buffer[1024];
    va_list attempt;
    va_copy(attempt, args);
    int n = std::vsnprintf(buffer, sizeof buffer, fmt, attempt);
    va_end(attempt);
    if (n < 0 || n >= 32768)
        return BString();
    if (n < static_cast<int>(sizeof buffer))
        return BString(buffer, n);
    BString result = withCapacity(n);
    va_copy(attempt, args);
    int written = std::vsnprintf(result.text(), static_cast<size_t>(n) + 1, fmt, attempt);
    va_end(attempt);
    return written == n ? result : BString();
}

} // namespace Tr
