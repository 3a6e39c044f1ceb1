#include "platform/corefoundation/Utf8Text.h"

namespace platform_text {

namespace {

// Length of the sequence a lead byte starts and the smallest code point it may encode.
bool leadByte(unsigned char b, int& length, unsigned long& minimum, unsigned long& value)
{
    if (b < 0x80) { length = 1; minimum = 0; value = b; return true; }
    if (b >= 0xC2 && b <= 0xDF) { length = 2; minimum = 0x80; value = b & 0x1F; return true; }
    if (b >= 0xE0 && b <= 0xEF) { length = 3; minimum = 0x800; value = b & 0x0F; return true; }
    if (b >= 0xF0 && b <= 0xF4) { length = 4; minimum = 0x10000; value = b & 0x07; return true; }
    return false;
}

// The code point of the well-formed sequence at the start of p, and its length in bytes.
bool decodeOne(unsigned char const* p, size_t bytes, char32_t& cp, int& length)
{
    unsigned long minimum = 0;
    unsigned long value = 0;
    if (!leadByte(p[0], length, minimum, value) || bytes < static_cast<size_t>(length))
        return false;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (p[k] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    cp = static_cast<char32_t>(value);
    return true;
}

} // namespace

bool decodeUtf8(char const* text, size_t bytes, std::u32string& codePoints)
{
    auto const* p = reinterpret_cast<unsigned char const*>(text);
    codePoints.clear();
    for (size_t i = 0; i < bytes;) {
        char32_t cp = 0;
        int length = 0;
        if (!decodeOne(p + i, bytes - i, cp, length))
            return false;
        codePoints += cp;
        i += static_cast<size_t>(length);
    }
    return true;
}

std::string wellFormedUtf8(std::string const& text)
{
    auto const* p = reinterpret_cast<unsigned char const*>(text.data());
    std::string result;
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        int length = 0;
        if (decodeOne(p + i, text.size() - i, cp, length)) {
            result.append(text, i, static_cast<size_t>(length));
            i += static_cast<size_t>(length);
        } else {
            appendUtf8(result, 0xFFFD);
            ++i;
        }
    }
    return result;
}

long utf16LengthOfUtf8(char const* text, size_t bytes)
{
    std::u32string codePoints;
    if (!decodeUtf8(text, bytes, codePoints))
        return -1;
    long units = 0;
    for (char32_t cp : codePoints)
        units += cp >= 0x10000 ? 2 : 1;
    return units;
}

void appendUtf8(std::string& text, char32_t cp)
{
    if (cp < 0x80) {
        text += static_cast<char>(cp);
        return;
    }
    int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    static unsigned char const leadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(leadMarks[length] | (cp >> (6 * (length - 1))));
    for (int k = length - 2; k >= 0; --k)
        text += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

} // namespace platform_text
