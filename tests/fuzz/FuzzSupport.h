#pragma once
// Small helpers of the fuzz targets.

#include "foundation/BString.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace Fuzz {

// The input as a string: the text ends at the first zero byte, as every string does.
inline Tr::BString text(std::uint8_t const* data, std::size_t size)
{
    return Tr::BString(reinterpret_cast<char const*>(data), size < INT_MAX ? static_cast<int>(size) : INT_MAX);
}

// A property the code promises: when it fails, the run stops and libFuzzer keeps the input.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace Fuzz
