// Fuzz target for the UTF decoders and encoders: the same bytes are read as UTF-8, UTF-16 and
// UTF-32 text. Counting must agree with writing, every encoder must write well-formed text, and
// the routes between the three forms must agree. A broken promise aborts.

#include "foundation/BString.h"
#include "foundation/BUnicodeUtils.h"
#include "platform/corefoundation/Utf8Text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using Tr::BString;
using Tr::BUnicodeUtils;

namespace {

void check(bool promise, char const* what)
{
    if (!promise) {
        std::fprintf(stderr, "utf_decoders_fuzz: %s\n", what);
        std::abort();
    }
}

// Counts, then writes into a buffer of exactly count + 1 units, which must end in the zero.
template <typename In, typename Out>
std::vector<Out> convert(int (*conversion)(In const*, Out*, int), In const* src, int max)
{
    int count = conversion(src, nullptr, max);
    check(count >= 0, "negative count");
    std::vector<Out> out(static_cast<size_t>(count) + 1, 0xAA);
    check(conversion(src, out.data(), max) == count, "writing gives another count than counting");
    check(out[static_cast<size_t>(count)] == 0, "no terminating zero after the output");
    out.pop_back();
    return out;
}

bool wellFormedUtf8(std::vector<unsigned char> const& text, std::vector<unsigned short> const& asUtf16)
{
    long units = platform_text::utf16LengthOfUtf8(reinterpret_cast<char const*>(text.data()), text.size());
    return units == static_cast<long>(asUtf16.size()) && std::memchr(text.data(), 0, text.size()) == nullptr;
}

bool wellFormedUtf16(std::vector<unsigned short> const& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned short unit = text[i];
        if (unit == 0 || (unit >= 0xDC00 && unit <= 0xDFFF))
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        }
    }
    return true;
}

template <typename Unit>
std::vector<Unit> unitsOf(uint8_t const* data, size_t size)
{
    std::vector<Unit> units(size / sizeof(Unit) + 1, 0);
    std::memcpy(units.data(), data, size / sizeof(Unit) * sizeof(Unit));
    return units;
}

int sizeOf(size_t n)
{
    return static_cast<int>(n);
}

// Encoded UTF-8 and UTF-16 must be well-formed and must turn into each other unchanged.
void checkEncoded(std::vector<unsigned char> const& utf8, std::vector<unsigned short> const& utf16)
{
    check(wellFormedUtf16(utf16), "malformed UTF-16 output");
    check(wellFormedUtf8(utf8, utf16), "malformed UTF-8 output");
    auto utf8Again = convert(BUnicodeUtils::convert16to8, utf16.data(), sizeOf(utf16.size()));
    check(utf8Again == utf8, "UTF-16 to UTF-8 changed a well-formed text");
    auto utf16Again = convert(BUnicodeUtils::convert8to16, utf8.data(), sizeOf(utf8.size()));
    check(utf16Again == utf16, "UTF-8 to UTF-16 changed a well-formed text");
}

void fuzzUtf8(uint8_t const* data, size_t size)
{
    int max = sizeOf(size);
    auto utf32 = convert<unsigned char, unsigned int>(BUnicodeUtils::convert8to32, data, max);
    auto utf16 = convert(BUnicodeUtils::convert8to16, data, max);
    auto utf8 = convert<unsigned int, unsigned char>(BUnicodeUtils::convert32to8, utf32.data(), sizeOf(utf32.size()));
    checkEncoded(utf8, utf16);
    check(BUnicodeUtils::convert32to16(utf32.data(), nullptr, sizeOf(utf32.size())) == sizeOf(utf16.size()),
          "UTF-8 to UTF-16 and UTF-8 to UTF-32 to UTF-16 differ");

    BString text(reinterpret_cast<char const*>(data), max);
    check(text.uniLength() == BUnicodeUtils::len(text.toUTF32()), "uniLength differs from the UTF-32 form");
    check(BString(text.toUTF16()) == BString(text.toUTF32()), "the string's two forms differ");
}

void fuzzUtf16(uint8_t const* data, size_t size)
{
    auto units = unitsOf<unsigned short>(data, size);
    int max = sizeOf(size / 2);
    auto utf32 = convert<unsigned short, unsigned int>(BUnicodeUtils::convert16to32, units.data(), max);
    auto utf8 = convert<unsigned short, unsigned char>(BUnicodeUtils::convert16to8, units.data(), max);
    auto utf16 = convert<unsigned int, unsigned short>(BUnicodeUtils::convert32to16, utf32.data(), sizeOf(utf32.size()));
    checkEncoded(utf8, utf16);
    check(BString(units.data(), max) == BString(utf8.data(), sizeOf(utf8.size())),
          "the string from UTF-16 differs from the converted bytes");
}

void fuzzUtf32(uint8_t const* data, size_t size)
{
    auto units = unitsOf<unsigned int>(data, size);
    int max = sizeOf(size / 4);
    auto utf8 = convert<unsigned int, unsigned char>(BUnicodeUtils::convert32to8, units.data(), max);
    auto utf16 = convert<unsigned int, unsigned short>(BUnicodeUtils::convert32to16, units.data(), max);
    checkEncoded(utf8, utf16);
    BString text(units.data(), max);
    BString copy(text);
    unsigned int const* shared = copy.toUTF32();
    std::vector<unsigned int> before(shared, shared + BUnicodeUtils::len(shared) + 1);
    text.uniToUpper();
    check(std::equal(before.begin(), before.end(), shared), "uniToUpper changed the shared UTF-32 form");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    fuzzUtf8(data, size);
    fuzzUtf16(data, size);
    fuzzUtf32(data, size);
    return 0;
}
