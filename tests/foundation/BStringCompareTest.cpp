#include "foundation/BString.h"

#include <gtest/gtest.h>

using Tr::BString;

TEST(BStringCompare, ExactAndIgnoringCaseOrder)
{
    EXPECT_EQ(-1, BString("a").compareWith("B", 1));
    EXPECT_EQ(1, BString("a").compareWith("B", 0));
    EXPECT_EQ(0, BString("MiDi").compareWith("midi", 1));
    EXPECT_EQ(-1, BString("\xC3").compareWith("A", 1));
    EXPECT_EQ(1, BString("\xC3").compareWith("A", 0));
    EXPECT_EQ(-1, BString("ab").compareWith("abc", 1));
    EXPECT_EQ(1, BString("abc").compareWith("AB", 1));
    EXPECT_EQ(-1, BString("a").compareWith("A\xC3", 1));
    EXPECT_EQ(1, BString("A\xC3").compareWith("a", 1));
    EXPECT_EQ(1, BString("Port").equalsIgnoreCase("PORT"));
    EXPECT_EQ(0, BString("Port").equals("PORT"));
    EXPECT_EQ(0, BString("a.syx").sameFilename("A.syx"));
    EXPECT_TRUE(BString("B") < BString("a"));
    EXPECT_TRUE(BString("a") >= BString("a"));
    EXPECT_TRUE(BString("x") == "x");
    EXPECT_TRUE(BString("") == static_cast<char const*>(nullptr));
}

TEST(BStringCompare, Substrings)
{
    BString other("xxHello");
    EXPECT_EQ(1, BString("Hel").equalsSubstr(other, 2, 3));
    EXPECT_EQ(0, BString("Hel").equalsSubstr(other, 2, -1));
    EXPECT_EQ(1, BString("Hello").equalsSubstr(other, 2, INT_MAX));
    EXPECT_EQ(1, BString("hel").equalsSubstrIgnoreCase(other, 2, 3));
    EXPECT_EQ(0, BString("hello!").equalsSubstrIgnoreCase(other, 2, 6));
    EXPECT_EQ(1, BString("hello").sameAsSubstr(other, 2, -1, 1));
    EXPECT_EQ(-1, BString("Ha").compareWithSubstr(other, 2, 2, 0));
    EXPECT_EQ(1, BString("xx").equalsSubstr(other, -5, 2));
    EXPECT_EQ(1, BString("").equalsSubstr(other, 99, -1));
}

TEST(BStringSearch, Characters)
{
    BString s("a/B/c");
    EXPECT_EQ(2, s.indexOf('B'));
    EXPECT_EQ(-1, s.indexOf('b'));
    EXPECT_EQ(2, s.indexOf('b', 1));
    EXPECT_EQ(-1, s.indexOf('\0'));
    EXPECT_EQ(3, s.lastIndexOf('/'));
    EXPECT_EQ(-1, s.lastIndexOf('\0'));
    EXPECT_EQ(1, s.find('/'));
    EXPECT_EQ(1, s.contains('C', 1));
    EXPECT_EQ(1, s.startsWith('A', 1));
    EXPECT_EQ(0, BString().startsWith('a'));
    EXPECT_EQ(0, BString().endsWith('a'));
    EXPECT_EQ(1, s.endsWith('c'));
}

TEST(BStringSearch, Texts)
{
    BString s("abcABCabc");
    EXPECT_EQ(-1, s.indexOf(BString()));
    EXPECT_EQ(3, s.indexOf("ABC"));
    EXPECT_EQ(0, s.indexOf("ABC", 1));
    EXPECT_EQ(6, s.indexOfAtOffset("abc", 1));
    EXPECT_EQ(3, s.indexOfAtOffset("ABC", 1, 1));
    EXPECT_EQ(-1, s.indexOfAtOffset("abc", -1));
    EXPECT_EQ(-1, s.indexOfAtOffset("abc", 7));
    EXPECT_EQ(6, s.lastIndexOf("abc"));
    EXPECT_EQ(6, s.lastIndexOf("ABC", 1));
    EXPECT_EQ(-1, s.lastIndexOf("abcABCabcX"));
    EXPECT_EQ(0, s.startsWith(BString()));
    EXPECT_EQ(0, s.endsWith(BString()));
    EXPECT_EQ(1, s.startsWith("ABC", 1));
    EXPECT_EQ(1, s.endsWith("bc"));
    EXPECT_EQ(1, s.startsWithAtOffset("ABC", 3));
    EXPECT_EQ(0, s.startsWithAtOffset("abc", 7));
    EXPECT_EQ(0, s.startsWithAtOffset("abc", -1));
    EXPECT_EQ(1, s.contains("CA", 1));
}
