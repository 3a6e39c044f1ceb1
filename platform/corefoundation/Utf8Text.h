#pragma once

#include <cstddef>

namespace platform_text {

// UTF-16 units of a well-formed UTF-8 text, or -1 when the bytes are not well-formed UTF-8
// (overlong forms, surrogates, values above U+10FFFF, cut sequences).
long utf16LengthOfUtf8(char const* text, size_t bytes);

} // namespace platform_text
