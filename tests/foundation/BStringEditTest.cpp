#include "foundation/BString.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using Tr::BString;

TEST(BStringEdit, AppendAndConcatenate)
{
    BString s("ab");
    BString before(s);
    s.append("");
    s.append('\0');
    EXPECT_EQ(before.c_str(), s.c_str());
    s.append("cdef", 2);
    s += 'e';
    s += "f";
    EXPECT_STREQ("abcdef", s.c_str());
    EXPECT_STREQ("x-ab", ("x" + ('-' + before)).c_str());
    BString sum = before + BString("cd") + '!';
    EXPECT_STREQ("abcd!", sum.c_str());
    EXPECT_STREQ("ab", (before + static_cast<char const*>(nullptr)).c_str());
}

TEST(BStringEdit, Erase)
{
    struct Case { int pos; int n; char const* result; };
    Case const cases[] = {
        {1, 2, "adef"}, {-3, 2, "cdef"}, {2, -1, "ab"}, {4, 100, "abcd"}, {6, 1, "abcdef"}, {1, 0, "abcdef"},
    };
    for (auto const& c : cases) {
        BString s("abcdef");
        s.erase(c.pos, c.n);
        EXPECT_STREQ(c.result, s.c_str()) << c.pos << "," << c.n;
    }
}

TEST(BStringEdit, SubstringClampsANegativePosition)
{
    BString s("abcdef");
    EXPECT_STREQ("cd", s.substr(2, 2).c_str());
    EXPECT_STREQ("def", s.substr(3).c_str());
    EXPECT_STREQ("ab", s.substr(-4, 2).c_str());
    EXPECT_TRUE(s.substr(6).isEmpty());
    EXPECT_TRUE(s.substr(1, 0).isEmpty());
    EXPECT_STREQ("f", s.substr(5, 50).c_str());
}

TEST(BStringEdit, Tokens)
{
    BString s("a,b,,c");
    int pos = 0;
    std::vector<std::pair<char const*, int>> expected = {{"a", 2}, {"b", 4}, {"", 5}, {"c", 6}, {"", 6}};
    for (auto const& [token, next] : expected) {
        EXPECT_STREQ(token, s.extractTokenizedString(pos, ',').c_str());
        EXPECT_EQ(next, pos);
    }
    pos = -1;
    EXPECT_TRUE(s.extractTokenizedString(pos, ',').isEmpty());
    EXPECT_EQ(6, pos);
}

TEST(BStringEdit, Replace)
{
    EXPECT_STREQ("ba", BString("aaa").replaceAll("aa", "b").c_str());
    EXPECT_STREQ("abc", BString("abc").replaceAll("", "x").c_str());
    EXPECT_STREQ("x-x-x", BString("A-a-A").replaceAll("a", "x", 1).c_str());
    EXPECT_STREQ("aab", BString("ab").replaceAll("a", "aa").c_str());
    EXPECT_STREQ("x-A", BString("A-A").replaceOnce("a", "x", 1).c_str());
    EXPECT_STREQ("A-A", BString("A-A").replaceOnce("a", "x").c_str());
}

// Each match counted the whole text and the result anew: a million matches took
// minutes, a linear pass milliseconds.
TEST(BStringEdit, ReplacingEveryMatchTakesLinearTime)
{
    std::string text;
    std::string expected;
    for (int i = 0; i < (1 << 20); ++i) {
        text += "a-";
        expected += "a+=";
    }
    auto start = std::chrono::steady_clock::now();
    BString replaced = BString(text.c_str()).replaceAll("-", "+=");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(expected == replaced.c_str());
}

TEST(BStringEdit, EscapeRoundTrip)
{
    BString text("tab\there \"q\" back\\slash\r\n\x08");
    BString quoted = text.escape(1);
    EXPECT_STREQ("tab\\there \\\"q\\\" back\\\\slash\\r\\n\\a", quoted.c_str());
    EXPECT_STREQ("tab\\there \"q\" back\\\\slash\\r\\n\\a", text.escape(0).c_str());
    EXPECT_STREQ(text.c_str(), quoted.unescape(0).c_str());
    EXPECT_STREQ(text.c_str(), text.escape(0).unescape(0).c_str());
    EXPECT_STREQ("ab", BString("ab\\").unescape(0).c_str());
}

TEST(BStringEdit, TrimQuotesAndWhiteSpace)
{
    BString clean("abc");
    EXPECT_EQ(clean.c_str(), clean.trim().c_str());
    EXPECT_STREQ("a b", BString(" \t a b \n").trim().c_str());
    EXPECT_EQ(BString::empty.c_str(), BString(" \t\n").trim().c_str());
    EXPECT_STREQ("a \"b\"", BString("  \"a \"b\"\" ").removeQuotes().c_str());
    EXPECT_STREQ("\"", BString(" \" ").removeQuotes().c_str());
    EXPECT_STREQ("abc", BString(" a\tb\nc ").removeWhiteSpace().c_str());
}

TEST(BStringEdit, CaseCopies)
{
    BString s("Mixed \xC3\xA9 Case");
    EXPECT_STREQ("mixed \xC3\xA9 case", s.toLower().c_str());
    EXPECT_STREQ("MIXED \xC3\xA9 CASE", s.toUpper().c_str());
    EXPECT_STREQ("Mixed \xC3\xA9 Case", s.c_str());
}
