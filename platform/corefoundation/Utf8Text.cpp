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

} // namespace

long utf16LengthOfUtf8(char const* text, size_t bytes)
{
    auto const* p = reinterpret_cast<unsigned char const*>(text);
    long units = 0;
    size_t i = 0;
    while (i < bytes) {
        int length = 0;
        unsigned long minimum = 0;
        unsigned long value = 0;
        if (!leadByte(p[i], length, minimum, value) || bytes - i < static_cast<size_t>(length))
            return -1;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return -1;
            value = (value << 6) | (p[i + k] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return -1;
        units += value >= 0x10000 ? 2 : 1;
        i += static_cast<size_t>(length);
    }
    return units;
}

} // namespace platform_text
