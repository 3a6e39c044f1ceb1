#pragma once
// Conversions between the string type and wide strings (UTF-32) and Mac Roman CFStrings.

#include "foundation/BString.h"

#include <string>

struct __CFString;

namespace Tr {

// Converted directly between UTF-8 and UTF-32, whatever the C library's locale.
std::wstring WStringFrom(BString const& s);
int GetWStringLength(wchar_t const* s);
BString StringFrom(wchar_t const* s);
BString StringFrom(std::wstring const& s);

// Unlike the string type's own CFString conversions, these take the text as Mac Roman: every
// byte is one character, so any bytes go there and back unchanged. A CFString of more than
// 124999 characters, or one with a character Mac Roman lacks, gives the empty string.
BString StringFrom(__CFString const* s);
__CFString const* CFStringFrom(BString const& s);

} // namespace Tr
