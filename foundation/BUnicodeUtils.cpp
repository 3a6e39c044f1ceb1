#include "foundation/BUnicodeUtils.h"

#include "foundation/ByteString.h"

#include <climits>

namespace Tr {

namespace {

unsigned int const replacementCharacter = 0xFFFD;

bool isEncodable(unsigned int cp)
{
    return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

template <typename Unit>
int unitsBeforeZero(Unit const* s, int max)
{
    int n = 0;
    while (s && n < max && s[n])
        ++n;
    return n;
}

// Decoders: read one code point from at most avail units; 0 ends the conversion.
int decode8(unsigned char const* src, int avail, unsigned int& cp)
{
    return BUnicodeUtils::convert8to32(src, avail, &cp);
}

// Either surrogate half takes the next unit with it, as long as that is not the end.
int decode16(unsigned short const* src, int avail, unsigned int& cp)
{
    unsigned int unit = src[0];
    if (unit == 0)
        return 0;
    if (unit < 0xD800 || unit > 0xDFFF) {
        cp = unit;
        return 1;
    }
    if (avail < 2 || src[1] == 0)
        return 0;
    cp = (unit << 10) + src[1] - 56613888u;
    return 2;
}

int decode32(unsigned int const* src, int, unsigned int& cp)
{
    cp = src[0];
    return cp ? 1 : 0;
}

// Encoders: write one code point (when out is not null) and return the units it takes.
int encode8(unsigned int cp, unsigned char* out)
{
    return BUnicodeUtils::convert32to8(cp, out);
}

int encode16(unsigned int cp, unsigned short* out)
{
    if (!isEncodable(cp))
        cp = replacementCharacter;
    if (cp < 0x10000) {
        if (out)
            out[0] = static_cast<unsigned short>(cp);
        return 1;
    }
    if (out) {
        out[0] = static_cast<unsigned short>((cp >> 10) + 0xD7C0);
        out[1] = static_cast<unsigned short>(0xDC00 | (cp & 0x3FF));
    }
    return 2;
}

int encode32(unsigned int cp, unsigned int* out)
{
    if (out)
        out[0] = cp;
    return 1;
}

// Counting and writing run the same steps, so both modes give the same count. A zero decoded
// from an overlong UTF-8 form is no end of the text: as a zero unit it would cut the output
// short for every reader while the count includes it, so it is written as U+FFFD.
template <typename In, typename Out>
int convertText(In const* src, Out* out, int max, int (*decode)(In const*, int, unsigned int&),
                int (*encode)(unsigned int, Out*))
{
    int written = 0;
    for (int pos = 0; src && pos < max;) {
        unsigned int cp = 0;
        int used = decode(src + pos, max - pos, cp);
        if (used == 0)
            break;
        written += encode(cp ? cp : replacementCharacter, out ? out + written : nullptr);
        pos += used;
    }
    if (out)
        out[written] = 0;
    return written;
}

} // namespace

int BUnicodeUtils::len(unsigned char const* s)
{
    return bstrlen(reinterpret_cast<char const*>(s));
}

int BUnicodeUtils::len(unsigned char const* s, int max)
{
    return bstrlen(reinterpret_cast<char const*>(s), max);
}

int BUnicodeUtils::len(unsigned short const* s)
{
    return unitsBeforeZero(s, INT_MAX);
}

int BUnicodeUtils::len(unsigned int const* s)
{
    return unitsBeforeZero(s, INT_MAX);
}

int BUnicodeUtils::len(unsigned short const* s, int max)
{
    return unitsBeforeZero(s, max);
}

int BUnicodeUtils::len(unsigned int const* s, int max)
{
    return unitsBeforeZero(s, max);
}

int BUnicodeUtils::len(wchar_t const* s, int max)
{
    return unitsBeforeZero(s, max);
}

int BUnicodeUtils::uniLen(unsigned char const* s)
{
    return convert8to32(s, nullptr, INT_MAX);
}

int BUnicodeUtils::uniLen(unsigned short const* s)
{
    return convert16to32(s, nullptr, INT_MAX);
}

int BUnicodeUtils::uniLen(unsigned int const* s)
{
    return unitsBeforeZero(s, INT_MAX);
}

int BUnicodeUtils::uniLen(wchar_t const* s)
{
    return unitsBeforeZero(s, INT_MAX);
}

int BUnicodeUtils::utf8_len8(unsigned char lead)
{
    if (lead == 0)
        return 0;
    if (lead >= 0xC0 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    return 1;
}

int BUnicodeUtils::utf32_len8(unsigned int cp)
{
    if (cp == 0)
        return 0;
    if (!isEncodable(cp))
        cp = replacementCharacter;
    if (cp < 0x80)
        return 1;
    if (cp < 0x800)
        return 2;
    return cp < 0x10000 ? 3 : 4;
}

// A zero byte inside a sequence cuts it: a zero second byte leaves the lead byte standing alone,
// a later zero ends the sequence before it, with the missing bits taken as 0.
int BUnicodeUtils::convert8to32(unsigned char const* src, int avail, unsigned int* out)
{
    if (!src)
        return 0;
    unsigned int lead = src[0];
    int expected = utf8_len8(static_cast<unsigned char>(lead));
    if (expected == 0) {
        *out = 0;
        return 0;
    }
    if (avail < expected)
        return 0;
    if (expected == 1 || src[1] == 0) {
        *out = lead;
        return 1;
    }
    unsigned int leadBits = lead & (0x7Fu >> expected);
    unsigned int cp = (leadBits << 6) | (src[1] & 0x3Fu);
    int used = 2;
    while (used < expected && src[used] != 0)
        cp = (cp << 6) | (src[used++] & 0x3Fu);
    *out = cp << (6 * (expected - used));
    return used;
}

int BUnicodeUtils::convert32to8(unsigned int cp, unsigned char* out)
{
    if (cp == 0)
        return 0;
    int n = utf32_len8(cp);
    if (!isEncodable(cp))
        cp = replacementCharacter;
    if (!out)
        return n;
    static unsigned char const leadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = n - 1; i > 0; --i) {
        out[i] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        cp >>= 6;
    }
    out[0] = static_cast<unsigned char>(leadMarks[n] | cp);
    return n;
}

int BUnicodeUtils::convert8to32(unsigned char const* src, unsigned int* out, int max)
{
    return convertText(src, out, max, decode8, encode32);
}

int BUnicodeUtils::convert16to32(unsigned short const* src, unsigned int* out, int max)
{
    return convertText(src, out, max, decode16, encode32);
}

int BUnicodeUtils::convert16to8(unsigned short const* src, unsigned char* out, int max)
{
    return convertText(src, out, max, decode16, encode8);
}

int BUnicodeUtils::convert8to16(unsigned char const* src, unsigned short* out, int max)
{
    return convertText(src, out, max, decode8, encode16);
}

int BUnicodeUtils::convert32to8(unsigned int const* src, unsigned char* out, int max)
{
    return convertText(src, out, max, decode32, encode8);
}

int BUnicodeUtils::convert32to16(unsigned int const* src, unsigned short* out, int max)
{
    return convertText(src, out, max, decode32, encode16);
}

} // namespace Tr
