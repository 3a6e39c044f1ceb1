#pragma once
// Text formatting in the style of a classic string library, and the language strings.

#include "foundation/BString.h"

#include <cstdarg>

namespace Tr {

// Every formatting function measures its output first, so output of any length comes back whole.
// The FormatS functions take their format as a string; texts are passed to it for "%s".
class UString
{
public:
    static BString const& Empty();
    static BString FromInt(int v);
    static BString FromInt(long long v);

    static BString FormatV(char const* fmt, va_list args) __attribute__((format(printf, 1, 0)));
    static BString FormatV(BString const& fmt, va_list args);
    static BString FormatS1(BString const& fmt, BString const& a);
    static BString FormatS1(BString const& fmt, int a);
    static BString FormatS2(BString const& fmt, BString const& a, BString const& b);
    static BString FormatS2(BString const& fmt, BString const& a, int b);
    static BString FormatS3(BString const& fmt, BString const& a, int b, int c);
    static BString FormatS3(BString const& fmt, BString const& a, BString const& b, BString const& c);
    static BString FormatS4(BString const& fmt, BString const& a, BString const& b, BString const& c,
                            BString const& d);
    static BString FormatS5(BString const& fmt, BString const& a, BString const& b, BString const& c,
                            BString const& d, BString const& e);
    static BString FormatS6(BString const& fmt, BString const& a, BString const& b, BString const& c,
                            BString const& d, BString const& e, BString const& f);

    static BString charToString(char c);

    // The text for key in section "strings" of "Language.ini" in the current folder, or key
    // itself. The file is read once, on the first call; later changes to it are not seen.
    static BString ResourceString(char const* key);
};

BString FormatV(char const* fmt, ...) __attribute__((format(printf, 1, 2)));
BString Format(char const* fmt, ...) __attribute__((format(printf, 1, 2)));

// x with one decimal in at least three places; the two ints do not change the result.
BString FtoStr(double x, int, int);

// 'F0 7E F7': each byte as two upper-case hex digits, separated by blanks.
BString formatMidiMessage(unsigned char const* data, int n);

} // namespace Tr
