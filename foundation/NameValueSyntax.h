#pragma once
// The name=value line syntax of string lists and ini files.

#include "foundation/BString.h"

#include <string>

namespace Tr {

// Parses one line as name=value: blanks before the key, a comment (";"), keys
// and values in double quotes with backslash escapes, a plain key up to the
// first "=" less trailing blanks, a plain value verbatim to the end of the line.
// False when the line holds no pair; key and value are then undefined.
bool ParseNameValueLine(char const* line, std::string& key, std::string& value);

// The value as it must be written after "=" to read back unchanged: the value
// itself when it can, else in double quotes with backslash escapes (for control
// bytes, a leading or trailing blank, or a leading double quote).
BString QuoteIniValue(BString const& value);

} // namespace Tr
