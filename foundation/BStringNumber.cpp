#include "foundation/BString.h"

#include "foundation/ByteString.h"

#include <algorithm>
#include <cstdio>

namespace Tr {

namespace {

char const hexTable[] = "0123456789ABCDEF";

BString decimal(unsigned long long magnitude, bool negative)
{
    char digits[24];
    char* p = digits + sizeof digits;
    *--p = 0;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        *--p = '-';
    return BString(p);
}

BString hexDigits(unsigned long long v, int minDigits, int maxDigits)
{
    int needed = 1;
    while (needed < 16 && (v >> (4 * needed)))
        ++needed;
    int count = std::min(std::max({needed, minDigits, 1}), maxDigits);
    char digits[17];
    for (int i = 0; i < count; ++i)
        digits[i] = hexTable[(v >> (4 * (count - 1 - i))) & 0xF];
    digits[count] = 0;
    return BString(digits);
}

// Positions 1 and 2 of parsing: where the number may start, or -1 when the request fails.
int parseStart(char const* text, int length, int pos, int n)
{
    if (pos < 0 || (pos > 0 && pos >= length) || n == 0 || !text[pos])
        return -1;
    while (BString::isWhiteSpace(text[pos]))
        ++pos;
    return pos;
}

bool endsNumber(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

BString BString::fromChar(char c)
{
    return BString(&c, 1);
}

BString BString::fromInt(int v)
{
    return fromInt(static_cast<long long>(v));
}

BString BString::fromInt(long long v)
{
    auto magnitude = static_cast<unsigned long long>(v);
    return decimal(v < 0 ? 0 - magnitude : magnitude, v < 0);
}

BString BString::fromInt(unsigned int v)
{
    return decimal(v, false);
}

BString BString::fromInt(unsigned long long v)
{
    return decimal(v, false);
}

// Measured first, so any width, precision or value fits; a negative width pads on the right.
BString BString::fromDouble(double x, int width, int precision)
{
    int n = std::snprintf(nullptr, 0, "%*.*f", width, precision, x);
    if (n < 0)
        return BString();
    BString result = withCapacity(n);
    std::snprintf(result.text(), static_cast<size_t>(n) + 1, "%*.*f", width, precision, x);
    return result;
}

BString BString::toHex(unsigned short v, int minDigits)
{
    return hexDigits(v, minDigits, 4);
}

BString BString::toHex(unsigned int v, int minDigits)
{
    return hexDigits(v, minDigits, 8);
}

BString BString::toHex(unsigned long long v, int minDigits)
{
    return hexDigits(v, minDigits, 16);
}

BString BString::toHexDump(unsigned char const* data, int n)
{
    if (!data || n <= 0)
        return BString();
    BString result = withCapacity(3 * n);
    char* out = result.text();
    for (int i = 0; i < n; ++i) {
        *out++ = hexTable[data[i] >> 4];
        *out++ = hexTable[data[i] & 0xF];
        *out++ = ' ';
    }
    out[-1] = 0;
    return result;
}

int BString::isNumber() const
{
    char const* p = c_str();
    if (!*p)
        return 0;
    if (*p == '-')
        ++p;
    for (; *p; ++p)
        if (!isNumberChar(*p))
            return 0;
    return 1;
}

// The value is gathered wider than int, so a number outside the int range fails instead of wrapping.
int BString::parseInt(int& out, int pos, int n) const
{
    char const* t = c_str();
    int at = parseStart(t, length(), pos, n);
    if (at < 0)
        return 0;
    bool negative = t[at] == '-';
    at += negative ? 1 : 0;
    long long limit = negative ? 2147483648LL : 2147483647LL;
    long long value = 0;
    for (int read = 0; (n < 0 || read < n) && !endsNumber(t[at]); ++read, ++at) {
        if (!isNumberChar(t[at]))
            return 0;
        value = value * 10 + (t[at] - '0');
        if (value > limit)
            return 0;
    }
    out = static_cast<int>(negative ? -value : value);
    return 1;
}

int BString::parseInt() const
{
    return parseIntDef(0);
}

int BString::parseIntDef(int def) const
{
    int value = def;
    parseInt(value);
    return value;
}

int BString::parseHex(unsigned int& out, int pos, int n) const
{
    char const* t = c_str();
    int at = parseStart(t, length(), pos, n);
    if (at < 0)
        return 0;
    unsigned long long value = 0;
    for (int read = 0; (n < 0 || read < n) && !endsNumber(t[at]); ++read, ++at) {
        int digit = hexValue(t[at]);
        if (digit < 0)
            return 0;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFULL)
            return 0;
    }
    out = static_cast<unsigned int>(value);
    return 1;
}

unsigned int BString::parseHex() const
{
    return parseHexDef(0);
}

unsigned int BString::parseHexDef(unsigned int def) const
{
    unsigned int value = def;
    parseHex(value);
    return value;
}

int BString::parseIntChar(char c)
{
    return isNumberChar(c) ? c - '0' : -1;
}

int BString::isNumberChar(char c)
{
    return c >= '0' && c <= '9';
}

int BString::isHexNumberChar(char c)
{
    return hexValue(c) >= 0;
}

int BString::isLetterOrNumberChar(char c)
{
    return isNumberChar(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int BString::isLetterOrNumberChar(wchar_t c)
{
    return biswalnum(c);
}

int BString::isWhiteSpace(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

char BString::loCase(char c)
{
    return btolower(c);
}

char BString::upCase(char c)
{
    return btoupper(c);
}

} // namespace Tr
