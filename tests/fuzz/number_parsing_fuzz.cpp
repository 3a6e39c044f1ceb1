// The number parsers on any text and any position: what they report as read
// lies within the text. The first two bytes choose the position and count of the
// string type's own parsers; the rest is the text.
#include "foundation/NumberParsing.h"

#include "FuzzSupport.h"

#include <algorithm>

using Tr::BString;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size < 2)
        return 0;
    int const pos = static_cast<signed char>(data[0]);
    int const n = static_cast<signed char>(data[1]);
    BString const text = Fuzz::text(data + 2, size - 2);
    int const length = text.length();

    int value = 0;
    unsigned int hex = 0;
    text.parseInt(value, pos, n);
    text.parseHex(hex, pos, n);
    text.parseIntDef(7);
    text.parseHexDef(7);
    text.isNumber();
    Tr::parseNumber(text, value);
    Tr::parseDouble(text);
    for (int start = -1; start <= length + 1; ++start) {
        int count = -1;
        Tr::parseInt(text, start, count);
        Fuzz::require(count >= 0 && (count == 0 || start + count <= length));
        Tr::parseHex(text, start, count);
        Fuzz::require(count >= 0 && (count == 0 || start + count <= length));
        int consumed = Tr::parseNumber(text, start + 1, value);
        Fuzz::require(consumed >= 0 && (consumed == 0 || std::max(start, 0) + consumed <= length));
    }
    return 0;
}
