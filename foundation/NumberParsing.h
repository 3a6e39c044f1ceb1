#pragma once
// Number parsing helpers of the foundation.

#include "foundation/BString.h"

namespace Tr {

// Reads the run of decimal (or hexadecimal) digits at the 0-based position
// start; count receives the number of digits, the result their value (32 bits,
// wrapping). No digit there gives count 0 and value 0.
int parseInt(BString const& text, int start, int& count);
int parseHex(BString const& text, int start, int& count);

// Reads an optional sign, an optional "$" or "0x" hexadecimal prefix (a sign
// may follow the prefix when none came before) and the digits, from the
// 1-based position. Returns the number of characters consumed (0 on failure,
// leaving value unchanged); "0x" without digits and sign consumes 1 with value 0.
int parseNumber(BString const& text, int position, int& value);
// True when the whole, non-empty text is one number.
int parseNumber(BString const& text, int& value);

double parseDouble(BString const& text);

} // namespace Tr
