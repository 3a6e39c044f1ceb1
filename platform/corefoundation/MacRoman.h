#pragma once

#include <string>

namespace platform_text {

// A zero-terminated Mac Roman text (one byte a character, ASCII below 0x80) as UTF-8.
std::string utf8OfMacRoman(char const* text);

// The Mac Roman bytes of the code points; false when one of them has no Mac Roman byte.
bool macRomanOf(std::u32string const& codePoints, std::string& bytes);

} // namespace platform_text
