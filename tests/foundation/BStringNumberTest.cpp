#include "foundation/BString.h"

#include <gtest/gtest.h>

#include <climits>

using Tr::BString;

TEST(BStringNumber, DecimalText)
{
    EXPECT_STREQ("-2147483648", BString::fromInt(INT_MIN).c_str());
    EXPECT_STREQ("0", BString::fromInt(0).c_str());
    EXPECT_STREQ("-9223372036854775808", BString::fromInt(LLONG_MIN).c_str());
    EXPECT_STREQ("4294967295", BString::fromInt(4294967295u).c_str());
    EXPECT_STREQ("18446744073709551615", BString::fromInt(ULLONG_MAX).c_str());
    EXPECT_STREQ("A", BString::fromChar('A').c_str());
    EXPECT_TRUE(BString::fromChar('\0').isEmpty());
}

TEST(BStringNumber, HexText)
{
    EXPECT_STREQ("00FF", BString::toHex(255u, 4).c_str());
    EXPECT_STREQ("0", BString::toHex(0u, 0).c_str());
    EXPECT_STREQ("12345", BString::toHex(0x12345ull, 2).c_str());
    EXPECT_STREQ("FFFFFFFF", BString::toHex(4294967295u, 12).c_str());
    EXPECT_STREQ("00AB", BString::toHex(static_cast<unsigned short>(0xAB), 9).c_str());
    EXPECT_STREQ("FFFFFFFFFFFFFFFF", BString::toHex(ULLONG_MAX, 1).c_str());

    unsigned char const bytes[] = {0xF0, 0x7E, 0xF7};
    EXPECT_STREQ("F0 7E F7", BString::toHexDump(bytes, 3).c_str());
    EXPECT_EQ(9, BString::toHexDump(bytes, 3).getCapacity());
    EXPECT_TRUE(BString::toHexDump(bytes, 0).isEmpty());
}

TEST(BStringNumber, DoubleTextHasNoFixedLimit)
{
    EXPECT_STREQ("  3.14", BString::fromDouble(3.14159, 6, 2).c_str());
    EXPECT_STREQ("3.14  ", BString::fromDouble(3.14159, -6, 2).c_str());
    EXPECT_EQ(301 + 3, BString::fromDouble(1e300, 0, 2).length());
    BString wide = BString::fromDouble(1.5, 5000, 1);
    EXPECT_EQ(5000, wide.length());
    EXPECT_TRUE(wide.endsWith("1.5"));
}

TEST(BStringNumber, ParseInt)
{
    struct Case { char const* text; int ok; int value; };
    Case const cases[] = {
        {" 42", 1, 42},         {"42 x", 1, 42},         {"4x", 0, 7},
        {"", 0, 7},             {"   ", 1, 0},           {"-", 1, 0},
        {" -15 ", 1, -15},      {"2147483647", 1, INT_MAX}, {"-2147483648", 1, INT_MIN},
        {"2147483648", 0, 7},   {"-2147483649", 0, 7},   {"4294967296", 0, 7},
        {"99999999999999999999999", 0, 7},                {"1\xC3", 0, 7},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        int out = 7;
        EXPECT_EQ(c.ok, BString(c.text).parseInt(out));
        EXPECT_EQ(c.value, out);
    }
    EXPECT_EQ(7, BString("12abc").parseIntDef(7));
    EXPECT_EQ(-15, BString(" -15 ").parseIntDef(7));
    EXPECT_EQ(0, BString("x").parseInt());
}

TEST(BStringNumber, ParseIntWindow)
{
    int out = -1;
    EXPECT_EQ(1, BString("xx12345").parseInt(out, 2, 2));
    EXPECT_EQ(12, out);
    EXPECT_EQ(0, BString("123").parseInt(out, 3, -1));
    EXPECT_EQ(0, BString("123").parseInt(out, -1, -1));
    EXPECT_EQ(0, BString("123").parseInt(out, 0, 0));
    EXPECT_EQ(1, BString("  -77x").parseInt(out, 0, 2));
    EXPECT_EQ(-77, out);
}

TEST(BStringNumber, ParseHex)
{
    struct Case { char const* text; int ok; unsigned value; };
    Case const cases[] = {
        {"1aF", 1, 431},          {"0x1F", 0, 9},          {" ff ", 1, 255},
        {"FFFFFFFF", 1, 0xFFFFFFFFu}, {"00000000FF", 1, 255}, {"100000000", 0, 9},
        {"", 0, 9},               {"-1", 0, 9},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        unsigned out = 9;
        EXPECT_EQ(c.ok, BString(c.text).parseHex(out));
        EXPECT_EQ(c.value, out);
    }
    EXPECT_EQ(431u, BString("1aF").parseHex());
    EXPECT_EQ(5u, BString("g").parseHexDef(5));
    unsigned out = 0;
    EXPECT_EQ(1, BString("ABCDEF").parseHex(out, 1, 2));
    EXPECT_EQ(0xBCu, out);
}

TEST(BStringNumber, NumberTests)
{
    EXPECT_EQ(0, BString("").isNumber());
    EXPECT_EQ(1, BString("-").isNumber());
    EXPECT_EQ(1, BString("-12").isNumber());
    EXPECT_EQ(0, BString("1.5").isNumber());
    EXPECT_EQ(7, BString::parseIntChar('7'));
    EXPECT_EQ(-1, BString::parseIntChar('a'));
    EXPECT_EQ(1, BString::isHexNumberChar('f'));
    EXPECT_EQ(0, BString::isHexNumberChar('g'));
    EXPECT_EQ(0, BString::isLetterOrNumberChar('_'));
    EXPECT_EQ(1, BString::isWhiteSpace(' '));
    EXPECT_EQ(0, BString::isWhiteSpace('\0'));
    EXPECT_EQ(0, BString::isWhiteSpace('\xA0'));
    EXPECT_EQ('\xE9', BString::upCase('\xE9'));
}
