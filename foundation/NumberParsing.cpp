#include "foundation/NumberParsing.h"

#include <cstdlib>

namespace Tr {

namespace {

int digitValue(char c, unsigned int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int parseDigits(BString const& text, int start, int& count, unsigned int base)
{
    unsigned int value = 0;
    count = 0;
    if (start < 0 || start >= text.length())
        return 0;
    char const* p = text.c_str() + start;
    for (int digit; (digit = digitValue(p[count], base)) >= 0; ++count)
        value = value * base + static_cast<unsigned int>(digit);
    return static_cast<int>(value);
}

bool isSign(char c)
{
    return c == '-' || c == '+';
}

int countDigits(char const* p, unsigned int base)
{
    int n = 0;
    while (digitValue(p[n], base) >= 0)
        ++n;
    return n;
}

// Converts n digits at pos with the string type's own checked parsers.
bool convertDigits(BString const& text, int pos, int n, bool hex, int& value)
{
    if (!hex)
        return text.parseInt(value, pos, n) != 0;
    unsigned int unsignedValue = 0;
    if (!text.parseHex(unsignedValue, pos, n))
        return false;
    value = static_cast<int>(unsignedValue);
    return true;
}

} // namespace

int parseInt(BString const& text, int start, int& count)
{
    return parseDigits(text, start, count, 10);
}

int parseHex(BString const& text, int start, int& count)
{
    return parseDigits(text, start, count, 16);
}

int parseNumber(BString const& text, int position, int& value)
{
    int start = position < 1 ? 0 : position - 1;
    if (start >= text.length())
        return 0;
    char const* s = text.c_str();
    int i = start;
    char sign = 0;
    if (isSign(s[i]))
        sign = s[i++];
    bool hex = false;
    if (s[i] == '$') {
        hex = true;
        ++i;
    } else if (s[i] == '0' && s[i + 1] == 'x') {
        hex = true;
        i += 2;
    }
    if (hex && isSign(s[i])) {
        if (sign != 0)
            return 0;
        sign = s[i++];
    }
    int digits = countDigits(s + i, hex ? 16 : 10);
    if (digits == 0) {
        bool bareZeroX = hex && sign == 0 && s[start] == '0';
        if (bareZeroX)
            value = 0;
        return bareZeroX ? 1 : 0;
    }
    int converted = 0;
    if (!convertDigits(text, i, digits, hex, converted))
        return 0;
    value = sign == '-' && converted >= 0 ? -converted : converted;
    return i + digits - start;
}

int parseNumber(BString const& text, int& value)
{
    int candidate = 0;
    int consumed = parseNumber(text, 1, candidate);
    if (consumed == 0 || consumed != text.length())
        return 0;
    value = candidate;
    return 1;
}

double parseDouble(BString const& text)
{
    return std::atof(text.c_str());
}

} // namespace Tr
