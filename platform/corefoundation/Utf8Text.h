#pragma once

#include <cstddef>
#include <string>

namespace platform_text {

// The code points of a well-formed UTF-8 text; false when the bytes are not well-formed UTF-8
// (overlong forms, surrogates, values above U+10FFFF, cut sequences).
bool decodeUtf8(char const* text, size_t bytes, std::u32string& codePoints);

// The text with each byte that is not part of a well-formed UTF-8 sequence
// replaced by U+FFFD.
std::string wellFormedUtf8(std::string const& text);

// UTF-16 units of a well-formed UTF-8 text, or -1 when the bytes are not well-formed UTF-8.
long utf16LengthOfUtf8(char const* text, size_t bytes);

// Appends the UTF-8 form of a code point of the Unicode range.
void appendUtf8(std::string& text, char32_t cp);

} // namespace platform_text
