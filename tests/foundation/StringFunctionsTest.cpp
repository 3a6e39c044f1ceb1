#include "foundation/StringFunctions.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

using namespace Tr;

namespace {

// The rule as it reads: replace the first occurrence, search the whole new text again.
// Gives "-" when the text outgrows max.
std::string rescanningReplace(std::string text, std::string const& find, std::string const& repl, size_t max)
{
    for (size_t hit; (hit = text.find(find)) != std::string::npos;) {
        text.replace(hit, find.size(), repl);
        if (text.size() > max)
            return "-";
    }
    return text;
}

} // namespace

TEST(StringFunctions, PrefixesAndSuffixes)
{
    struct Case { char const* s; char const* part; int ic; int starts; int ends; };
    Case const cases[] = {
        {"abc", "", 0, 1, 1}, {"", "", 0, 1, 1}, {"ab", "abc", 0, 0, 0}, {"Abc", "ab", 0, 0, 0},
        {"Abc", "aB", 1, 1, 0}, {"abC", "Bc", 1, 0, 1}, {"abc", "abc", 0, 1, 1},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c.starts, StrStartsWith(c.s, c.part, c.ic)) << c.s << "/" << c.part;
        EXPECT_EQ(c.ends, StrEndsWith(c.s, c.part, c.ic)) << c.s << "/" << c.part;
    }
    EXPECT_EQ(0, BString("abc").startsWith(""));
    EXPECT_EQ(1, StrStartsWith(std::wstring(L"\u00E9t\u00E9"), std::wstring(L"\u00E9t"), 0));
    EXPECT_EQ(1, StrStartsWith(std::wstring(L"ABC"), std::wstring(L"ab"), 1));
    EXPECT_EQ(0, StrStartsWith(std::wstring(L"ABC"), std::wstring(L"ab"), 0));
    EXPECT_EQ(0, StrStartsWith(std::wstring(L"a"), std::wstring(L"ab"), 1));
    EXPECT_EQ(1, StrEndsWith("abC", 'c', 1));
    EXPECT_EQ(0, StrEndsWith("abC", 'c', 0));
    EXPECT_EQ(0, StrEndsWith("", 'c', 0));
}

TEST(StringFunctions, ReplaceAllRescansButStaysBounded)
{
    struct Case { char const* s; char const* find; char const* repl; int ic; char const* result; };
    Case const cases[] = {
        {"abcXYdef", "XY", "Z", 0, "abcZdef"},
        {"aXa", "a", "ab", 0, "aXa"},        // repl contains find
        {"aab", "ab", "b", 0, "b"},          // the seam of a replacement is searched again
        {"aaab", "AB", "b", 1, "b"},
        {"aaab", "AB", "b", 0, "aaab"},
        {"abc", "", "x", 0, "abc"},
        {"", "a", "b", 0, ""},
        {"xyxy", "xy", "", 0, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(BString(c.result), StrReplaceAll(c.s, c.find, c.repl, c.ic)) << c.s;

    // Each pass moves one 'a' past the b's and doubles them: about 2^40 bytes at the end.
    BString exploding = BString(std::string(40, 'a').c_str()) + "b";
    EXPECT_EQ(exploding, StrReplaceAll(exploding, "ab", "bba", 0));
    BString many(std::string(200000, 'a').c_str());
    EXPECT_EQ(400000, StrReplaceAll(many, "a", "bc", 0).length());
    EXPECT_TRUE(StrReplaceAll(many, "a", "", 0).isEmpty());
    EXPECT_EQ(BString("ZXY"), StrReplaceOnce("XYXY", "XY", "Z", 0));
}

TEST(StringFunctions, ReplaceAllMatchesTheRescanningRule)
{
    std::mt19937 random(110);
    auto word = [&](int maxLength) {
        std::string w(random() % (maxLength + 1), 'a');
        for (char& ch : w)
            ch = "ab"[random() % 2];
        return w;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string s = word(12), find = word(3), repl = word(4);
        if (find.empty() || repl.find(find) != std::string::npos)
            continue;
        std::string expected = rescanningReplace(s, find, repl, 1 << 16);
        if (expected == "-")
            continue;
        EXPECT_EQ(BString(expected.c_str()), StrReplaceAll(s.c_str(), find.c_str(), repl.c_str(), 0))
            << s << " " << find << " " << repl;
    }
}

TEST(StringFunctions, TokensStayOnTheSeparator)
{
    BString s("a,b");
    int pos = 0;
    EXPECT_EQ(BString("a"), ExtractTokenizedString(s, pos, ','));
    EXPECT_EQ(1, pos);
    ++pos;
    EXPECT_EQ(BString("b"), ExtractTokenizedString(s, pos, ','));
    EXPECT_EQ(3, pos);
    pos = -5;
    EXPECT_EQ(BString("a"), ExtractTokenizedString(s, pos, ','));
    pos = 99;
    EXPECT_TRUE(ExtractTokenizedString(s, pos, ',').isEmpty());
    EXPECT_EQ(3, pos);
}

TEST(StringFunctions, HexadecimalText)
{
    struct Case { char const* s; int value; };
    Case const values[] = {
        {"1F", 31}, {"1G", 7}, {"", 0}, {"ff", 255}, {"FFFFFFFF", -1}, {"000000001F", 31}, {"100000000", 7},
        {" 1", 7},
    };
    for (auto const& c : values)
        EXPECT_EQ(c.value, HexToIntD(c.s, 7)) << c.s;
    EXPECT_EQ(10, HexToInt('a'));
    EXPECT_EQ(10, HexToInt('A'));
    EXPECT_EQ(-1, HexToInt('g'));
    EXPECT_EQ(-1, HexToInt(BString("xy")));

    struct Window { int pos; int n; int result; int out; };
    Window const windows[] = {
        {3, 2, 1, 127}, {1, 2, 0, 0}, {4, 2, 0, 0}, {5, 1, 0, 0}, {0, 1, 0, 0}, {-9, 2, 0, 0}, {3, 0, 1, 0},
        {INT_MAX, 2, 0, 0}, {3, INT_MAX, 0, 0},
    };
    for (auto const& w : windows) {
        int out = 99;
        EXPECT_EQ(w.result, HexToIntPos("xx7F", w.pos, w.n, out)) << w.pos << "," << w.n;
        EXPECT_EQ(w.out, out) << w.pos << "," << w.n;
    }
    EXPECT_EQ(127, HexToIntPos("xx7F", 3, 2));
    EXPECT_EQ(-1, HexToIntPos("xx7F", 2, 2));

    struct Digits { int v; int min; int max; char const* text; };
    Digits const digits[] = {
        {255, 1, 8, "FF"}, {255, 4, 8, "00FF"}, {255, 1, 1, "F"}, {-1, 1, 8, "FFFFFFFF"}, {0, 0, 8, "0"},
        {0x12345, 1, 0, "12345"}, {0x12345, 1, 9, "12345"}, {255, 4, 2, "FF"}, {0x12345, 1, 3, "345"},
    };
    for (auto const& d : digits)
        EXPECT_EQ(BString(d.text), IntToHexLen(d.v, d.min, d.max)) << d.v << "," << d.min << "," << d.max;
    EXPECT_EQ(BString("FFFFFFFF"), IntToHex(-1));
    EXPECT_EQ(BString("000A"), IntToHex(10, 4));
}

TEST(StringFunctions, HexDigitsWrittenIntoAText)
{
    struct Case { int v; int pos; int n; char const* result; };
    Case const cases[] = {
        {0xAB, 2, 2, "xABxxx"}, {0xAB, 5, 4, "xxxx00"}, {0xAB, 1, 10, "000000"}, {0x1234, 3, 3, "xx234x"},
        {0xAB, 0, 2, "xxxxxx"}, {0xAB, 7, 2, "xxxxxx"}, {0xAB, 1, 0, "xxxxxx"}, {-1, 6, 8, "xxxxxF"},
    };
    for (auto const& c : cases) {
        BString original("xxxxxx");
        BString s(original);
        IntToHexLenPos(s, c.v, c.pos, c.n);
        EXPECT_EQ(BString(c.result), s) << c.pos << "," << c.n;
        EXPECT_EQ(BString("xxxxxx"), original);
    }
}

TEST(StringFunctions, DecimalText)
{
    struct Case { char const* s; int result; int out; };
    Case const cases[] = {
        {"-12", 1, -12}, {"1-2", 0, 99}, {"+5", 0, 99}, {" 5", 0, 99}, {"", 1, 0}, {"2147483647", 1, INT_MAX},
        {"-2147483648", 1, INT_MIN}, {"2147483648", 0, 99}, {"99999999999999999999", 0, 99},
    };
    for (auto const& c : cases) {
        int out = 99;
        EXPECT_EQ(c.result, StrToInt(c.s, out)) << c.s;
        EXPECT_EQ(c.out, out) << c.s;
        EXPECT_EQ(c.result ? c.out : -7, StrToIntDef(c.s, -7)) << c.s;
    }
    EXPECT_EQ(42, StrToInt(BString(" 42x")));
    EXPECT_EQ(INT_MAX, StrToInt(BString("99999999999")));
    EXPECT_EQ(INT_MIN, StrToInt(BString("-99999999999")));
    EXPECT_EQ(0, StrToInt(BString("x")));
    EXPECT_EQ(7, StrToInt('7'));
    EXPECT_EQ(-1, StrToInt('x'));
}

TEST(StringFunctions, ByteClassesTakeEveryByte)
{
    for (int byte = 0; byte < 256; ++byte) {
        char c = static_cast<char>(byte);
        EXPECT_EQ(byte >= '0' && byte <= '9', IsNumberChar(c));
        EXPECT_EQ(HexToInt(c) >= 0, IsHexNumberChar(c));
        EXPECT_EQ(byte >= 0x80 ? c : static_cast<char>(toupper(byte)), UpCase(c));
    }
}

TEST(StringFunctions, FileNamesAndSetString)
{
    EXPECT_EQ(BString("/a/b"), ExtractFileDir("/a/b/"));
    EXPECT_EQ(BString("/a"), BString("/a/b/").extractFileDir());
    EXPECT_EQ(BString("/"), ExtractFileDir("/a"));
    EXPECT_TRUE(ExtractFileDir("a.syx").isEmpty());
    EXPECT_TRUE(AddLastBackSlash("").isEmpty());
    EXPECT_EQ(BString("x/"), AddLastBackSlash("x"));

    struct Case { char const* data; int n; char const* result; };
    Case const cases[] = {
        {"abc", -1, "abc"}, {"abcdef", 3, "abc"}, {"abc", 0, ""}, {"abc", 1, "a"}, {nullptr, 5, ""}, {"ab", 9, "ab"},
    };
    for (auto const& c : cases) {
        BString s("old");
        SetString(s, c.data, c.n);
        EXPECT_EQ(BString(c.result), s) << c.n;
    }
}
