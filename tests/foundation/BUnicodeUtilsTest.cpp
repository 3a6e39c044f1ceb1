#include "foundation/BUnicodeUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using Tr::BUnicodeUtils;

namespace {

using Bytes = std::basic_string<unsigned char>;
using Units16 = std::basic_string<unsigned short>;
using Units32 = std::basic_string<unsigned int>;

Bytes bytes(char const* text, size_t n)
{
    return Bytes(reinterpret_cast<unsigned char const*>(text), n);
}

// A text of n code points, drawn from every UTF-8 length and both sides of the surrogates.
Units32 randomText(std::mt19937& random, int n)
{
    std::uniform_int_distribution<unsigned int> ranges[] = {
        std::uniform_int_distribution<unsigned int>(1, 0x7F),
        std::uniform_int_distribution<unsigned int>(0x80, 0x7FF),
        std::uniform_int_distribution<unsigned int>(0x800, 0xD7FF),
        std::uniform_int_distribution<unsigned int>(0xE000, 0xFFFF),
        std::uniform_int_distribution<unsigned int>(0x10000, 0x10FFFF),
    };
    Units32 text;
    for (int i = 0; i < n; ++i)
        text += ranges[random() % 5](random);
    return text;
}

template <typename In, typename Out>
std::basic_string<Out> convert(int (*conversion)(In const*, Out*, int), std::basic_string<In> const& in)
{
    std::basic_string<Out> out(static_cast<size_t>(conversion(in.c_str(), nullptr, INT_MAX)), Out(0));
    conversion(in.c_str(), &out[0], INT_MAX);
    return out;
}

Bytes utf8Of(Units32 const& text) { return convert(BUnicodeUtils::convert32to8, text); }
Bytes utf8Of(Units16 const& text) { return convert(BUnicodeUtils::convert16to8, text); }
Units16 utf16Of(Units32 const& text) { return convert(BUnicodeUtils::convert32to16, text); }
Units16 utf16Of(Bytes const& text) { return convert(BUnicodeUtils::convert8to16, text); }
Units32 utf32Of(Bytes const& text) { return convert(BUnicodeUtils::convert8to32, text); }
Units32 utf32Of(Units16 const& text) { return convert(BUnicodeUtils::convert16to32, text); }

} // namespace

TEST(BUnicodeUtils, DecodeOneCodePoint)
{
    struct Case { char const* bytes; int avail; int used; unsigned int cp; };
    Case const cases[] = {
        {"A", 1, 1, 0x41},
        {"\xC3\xA9", 2, 2, 0xE9},
        {"\xE2\x82\xAC", 3, 3, 0x20AC},
        {"\xF0\x9F\x98\x80", 4, 4, 0x1F600},
        {"\xF4\x8F\xBF\xBF", 4, 4, 0x10FFFF},
        {"\xF7\xBF\xBF\xBF", 4, 4, 0x1FFFFF},   // above the range: decoded as it stands
        {"\xC0\xAF", 2, 2, 0x2F},               // overlong
        {"\xED\xA0\x80", 3, 3, 0xD800},         // a surrogate value
        {"\xA9", 1, 1, 0xA9},                   // a stray continuation byte stands for itself
        {"\xFF", 1, 1, 0xFF},
        {"\xE2\x00", 9, 1, 0xE2},               // cut by the zero after the lead byte
        {"\xE2\x82", 9, 2, 0x2080},             // cut by the zero before the third byte
        {"\xF0\x9F\x98", 9, 3, 0x1F600 & ~0x3Fu},
        {"\xF0\x9F", 9, 2, 0x1F000},
    };
    for (auto const& c : cases) {
        unsigned int cp = 0;
        EXPECT_EQ(c.used, BUnicodeUtils::convert8to32(bytes(c.bytes, strlen(c.bytes)).c_str(), c.avail, &cp)) << c.bytes;
        EXPECT_EQ(c.cp, cp) << c.bytes;
    }
    unsigned int untouched = 7;
    EXPECT_EQ(0, BUnicodeUtils::convert8to32(bytes("\xE2\x82\xAC", 3).c_str(), 2, &untouched));
    EXPECT_EQ(7u, untouched);
    EXPECT_EQ(0, BUnicodeUtils::convert8to32(bytes("", 1).c_str(), 5, &untouched));
    EXPECT_EQ(0u, untouched);
}

TEST(BUnicodeUtils, EncodersWriteTheReplacementCharacterOutsideTheRange)
{
    struct Case { unsigned int cp; char const* utf8; Units16 utf16; };
    Case const cases[] = {
        {0x41, "A", {0x41}},
        {0x7FF, "\xDF\xBF", {0x7FF}},
        {0x20AC, "\xE2\x82\xAC", {0x20AC}},
        {0x1F600, "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},
        {0x110000, "\xEF\xBF\xBD", {0xFFFD}},
        {0xD800, "\xEF\xBF\xBD", {0xFFFD}},
        {0xDFFF, "\xEF\xBF\xBD", {0xFFFD}},
        {0xFFFFFFFF, "\xEF\xBF\xBD", {0xFFFD}},
    };
    for (auto const& c : cases) {
        unsigned char one[4];
        int n = BUnicodeUtils::convert32to8(c.cp, one);
        EXPECT_EQ(bytes(c.utf8, strlen(c.utf8)), Bytes(one, static_cast<size_t>(n))) << std::hex << c.cp;
        EXPECT_EQ(n, BUnicodeUtils::utf32_len8(c.cp)) << std::hex << c.cp;
        Units32 text(1, c.cp);
        EXPECT_EQ(bytes(c.utf8, strlen(c.utf8)), utf8Of(text)) << std::hex << c.cp;
        EXPECT_EQ(c.utf16, utf16Of(text)) << std::hex << c.cp;
    }
    // Decoded out-of-range values and an overlong zero leave UTF-8 as U+FFFD too.
    EXPECT_EQ(Units16({0xFFFD, 0xFFFD, 0x41}), utf16Of(bytes("\xF7\xBF\xBF\xBF\xC0\x80" "A", 7)));
    EXPECT_EQ(Units32({0xFFFD, 0x41}), utf32Of(bytes("\xC0\x80" "A", 3)));
    EXPECT_EQ(0, BUnicodeUtils::convert32to8(0u, nullptr));
}

TEST(BUnicodeUtils, WholeTextsStopAtTheZeroOrTheLimit)
{
    unsigned short const loneSurrogate[] = {0x41, 0xD83D, 0};
    EXPECT_EQ(1, BUnicodeUtils::convert16to8(loneSurrogate, nullptr, INT_MAX));
    unsigned short const pair[] = {0xD83D, 0xDE00, 0};
    unsigned char out[8] = {0xAA, 0xAA};
    EXPECT_EQ(0, BUnicodeUtils::convert16to8(pair, out, 1));
    EXPECT_EQ(0, out[0]);
    unsigned int cps[3] = {};
    EXPECT_EQ(1, BUnicodeUtils::convert16to32(pair, cps, 2));
    EXPECT_EQ(0x1F600u, cps[0]);

    Bytes euro = bytes("a\xE2\x82\xAC", 4);
    EXPECT_EQ(2, BUnicodeUtils::uniLen(euro.c_str()));
    EXPECT_EQ(1, BUnicodeUtils::convert8to32(euro.c_str(), nullptr, 3));
    EXPECT_EQ(1, BUnicodeUtils::uniLen(bytes("\xE2\x00", 2).c_str()));
    EXPECT_EQ(1, BUnicodeUtils::uniLen(pair));
    EXPECT_EQ(1, BUnicodeUtils::len(pair, 1));
    EXPECT_EQ(0, BUnicodeUtils::uniLen(static_cast<unsigned char const*>(nullptr)));
    EXPECT_EQ(0, BUnicodeUtils::convert8to16(nullptr, nullptr, 5));
    EXPECT_EQ(3, BUnicodeUtils::utf8_len8(0xEF));
    EXPECT_EQ(1, BUnicodeUtils::utf8_len8(0xF8));
}

TEST(BUnicodeUtils, RandomTextsRoundTripBetweenAllThreeForms)
{
    std::mt19937 random(102);
    for (int round = 0; round < 300; ++round) {
        Units32 text = randomText(random, round % 40);
        auto utf8 = utf8Of(text);
        auto utf16 = utf16Of(text);
        EXPECT_EQ(text, utf32Of(utf8));
        EXPECT_EQ(text, utf32Of(utf16));
        EXPECT_EQ(utf8, utf8Of(utf16));
        EXPECT_EQ(utf16, utf16Of(utf8));
        EXPECT_EQ(static_cast<int>(text.size()), BUnicodeUtils::uniLen(utf8.c_str()));
    }
}
