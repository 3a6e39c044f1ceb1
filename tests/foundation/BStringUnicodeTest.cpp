#include "foundation/BString.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using Tr::BString;

namespace {

// 'a', the euro sign and an emoji: 1 + 3 + 4 bytes, 1 + 1 + 2 UTF-16 units, 3 code points.
char const mixed[] = "a\xE2\x82\xAC\xF0\x9F\x98\x80";
unsigned short const mixed16[] = {0x61, 0x20AC, 0xD83D, 0xDE00, 0};
unsigned int const mixed32[] = {0x61, 0x20AC, 0x1F600, 0};

} // namespace

TEST(BStringUnicode, ConstructAssignAndAppendWideText)
{
    EXPECT_STREQ(mixed, BString(mixed16).c_str());
    EXPECT_STREQ(mixed, BString(mixed32).c_str());
    EXPECT_STREQ(mixed, BString(L"a\u20AC\U0001F600").c_str());
    EXPECT_STREQ("a\xE2\x82\xAC", BString(mixed16, 3).c_str()); // the limit cuts the pair
    EXPECT_STREQ("a\xE2\x82\xAC", BString(mixed32, 2).c_str());
    EXPECT_EQ(8, BString(mixed16).getCapacity());
    EXPECT_EQ(20, BString(mixed32, INT_MAX, 20).getCapacity());

    BString s("x");
    s.append(mixed16, 2).append(L'\u00E9');
    s += mixed32 + 2;
    s += L"!";
    EXPECT_STREQ("xa\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80!", s.c_str());
    s.assign(mixed32 + 1);
    EXPECT_STREQ("\xE2\x82\xAC\xF0\x9F\x98\x80", s.c_str());
    s.assign(L'\u00E9');
    EXPECT_STREQ("\xC3\xA9", s.c_str());
    s.assign(mixed16, 1);
    EXPECT_STREQ("a", s.c_str());

    EXPECT_STREQ("\xE2\x82\xAC", BString::fromChar(L'\u20AC').c_str());
    EXPECT_TRUE(BString::fromChar(L'\0').isEmpty());
    EXPECT_STREQ("\xC3\xA9-x", (L"\u00E9-" + BString("x")).c_str());
    EXPECT_STREQ("x\xC3\xA9", (BString("x") + L'\u00E9').c_str());
    EXPECT_TRUE(BString(mixed) == L"a\u20AC\U0001F600");
    EXPECT_TRUE(BString(mixed) != L"a");
    EXPECT_TRUE(BString() == static_cast<wchar_t const*>(nullptr));
}

TEST(BStringUnicode, CodePointsAndSubstrings)
{
    BString s(mixed);
    EXPECT_EQ(8, s.length());
    EXPECT_EQ(3, s.uniLength());
    EXPECT_EQ(0x20ACu, s.uniCharAt(1));
    EXPECT_EQ(L'\U0001F600', s.wcharAt(2));
    EXPECT_EQ(0u, s.uniCharAt(3));
    struct Case { int pos; int n; char const* result; };
    Case const cases[] = {
        {1, 1, "\xE2\x82\xAC"}, {1, -1, "\xE2\x82\xAC\xF0\x9F\x98\x80"}, {0, 5, mixed}, {-2, 1, "a"},
        {3, 1, ""}, {1, 0, ""},
    };
    for (auto const& c : cases)
        EXPECT_STREQ(c.result, s.uniSubstr(c.pos, c.n).c_str()) << c.pos << "," << c.n;
    EXPECT_EQ(0, BString().uniLength());
}

TEST(BStringUnicode, FormsAreSharedAndFollowTheText)
{
    BString s(mixed);
    BString copy(s);
    unsigned short const* form = s.toUTF16();
    EXPECT_EQ(std::vector<unsigned short>(mixed16, mixed16 + 5), std::vector<unsigned short>(form, form + 5));
    EXPECT_EQ(form, copy.toUTF16());

    copy.append("b");
    EXPECT_EQ(0x62, copy.toUTF16()[4]);
    EXPECT_EQ(0, form[4]);
    EXPECT_EQ(form, s.toUTF16());

    s.setLength(1);
    EXPECT_EQ(0, s.toUTF16()[1]);
    EXPECT_EQ(0u, s.toUTF32()[1]);
    EXPECT_EQ(0, BString().toUTF16()[0]);
}

// An unshared container grows where it lies or moves, and takes its forms along.
TEST(BStringUnicode, FormsFollowAGrowingContainer)
{
    BString s("ab");
    EXPECT_EQ(0x62, s.toUTF16()[1]);
    s.setCapacity(4096);
    EXPECT_EQ(0x62, s.toUTF16()[1]);
    s.append(std::string(5000, 'c').c_str());
    EXPECT_EQ(0x63, s.toUTF16()[5001]);
    EXPECT_EQ(0u, s.toUTF32()[5002]);
}

TEST(BStringUnicode, CaseCopiesLeaveTheSharedFormAlone)
{
    BString s("Gr\xC3\xBC\xC3\x9F" "e Welt");
    BString other(s);
    unsigned int const* before = other.toUTF32();
    std::vector<unsigned int> kept(before, before + s.uniLength() + 1);
    EXPECT_STREQ("GR\xC3\xBC\xC3\x9F" "E WELT", s.uniToUpper().c_str());
    EXPECT_STREQ("gr\xC3\xBC\xC3\x9F" "e welt", s.uniToLower().c_str());
    EXPECT_EQ(kept, std::vector<unsigned int>(before, before + kept.size()));
    EXPECT_EQ(before, other.toUTF32());
}

TEST(BStringUnicode, AssigningOrAppendingItsOwnFormIsSafe)
{
    // Each stray byte 0xFF becomes the two bytes of U+00FF, so the text outgrows its container.
    BString s("\xFF\xFF\xFF");
    s.assign(s.toUTF16());
    EXPECT_STREQ("\xC3\xBF\xC3\xBF\xC3\xBF", s.c_str());
    BString t("ab");
    t.append(t.toUTF32());
    t.append(t.toUTF16(), 1);
    EXPECT_STREQ("ababa", t.c_str());
}

TEST(BStringUnicode, EmptyStringsGiveFormsOnAnyThread)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] {
            for (int k = 0; k < 1000; ++k)
                EXPECT_EQ(0u, BString().toUTF32()[0] | BString().toUTF16()[0]);
        });
    for (auto& thread : threads)
        thread.join();
}
