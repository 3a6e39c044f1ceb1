#include "foundation/NumberParsing.h"

#include <gtest/gtest.h>

using Tr::BString;

namespace {

TEST(NumberParsing, DigitRuns)
{
    struct Case {
        char const* text;
        int start;
        bool hex;
        int value;
        int count;
    } const cases[] = {
        {"ab123x", 2, false, 123, 3}, {"x", 0, false, 0, 0},       {"12", 5, false, 0, 0},
        {"12", -1, false, 0, 0},      {"1aFz", 0, true, 0x1AF, 3}, {"g", 0, true, 0, 0},
        {"FFFFFFFF", 0, true, -1, 8}, {"4294967297", 0, false, 1, 10},
    };
    for (auto const& c : cases) {
        int count = -1;
        int value = c.hex ? Tr::parseHex(BString(c.text), c.start, count) : Tr::parseInt(BString(c.text), c.start, count);
        EXPECT_EQ(c.value, value) << c.text;
        EXPECT_EQ(c.count, count) << c.text;
    }
}

TEST(NumberParsing, SignsPrefixesAndPositions)
{
    struct Case {
        char const* text;
        int position;
        int consumed;
        int value;
    } const cases[] = {
        {"-$1F", 1, 4, -31}, {"0x", 1, 1, 0},     {"+0x-5", 1, 0, 7},   {"0X1", 1, 1, 0},
        {"42", 1, 2, 42},    {"42", 0, 2, 42},    {"a42b", 2, 2, 42},   {"0x-10", 1, 5, -16},
        {"$ff", 1, 3, 255},  {"-7", 1, 2, -7},    {"+", 1, 0, 7},       {"", 1, 0, 7},
        {"12", 3, 0, 7},     {"-0x", 1, 0, 7},    {"$", 1, 0, 7},       {"99999999999", 1, 0, 7},
    };
    for (auto const& c : cases) {
        int value = 7;
        EXPECT_EQ(c.consumed, Tr::parseNumber(BString(c.text), c.position, value)) << c.text;
        EXPECT_EQ(c.value, value) << c.text;
    }
}

TEST(NumberParsing, WholeTextAndDouble)
{
    int value = 0;
    EXPECT_TRUE(Tr::parseNumber(BString("0x10"), value));
    EXPECT_EQ(16, value);
    value = 5;
    EXPECT_FALSE(Tr::parseNumber(BString("10 "), value));
    EXPECT_FALSE(Tr::parseNumber(BString(""), value));
    EXPECT_EQ(5, value);
    EXPECT_DOUBLE_EQ(2.5, Tr::parseDouble(BString("2.5abc")));
    EXPECT_DOUBLE_EQ(0.0, Tr::parseDouble(BString("x")));
}

} // namespace
