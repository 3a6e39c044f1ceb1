#include "foundation/ByteString.h"

#include <gtest/gtest.h>

TEST(ByteString, LengthsAcceptNull)
{
    EXPECT_EQ(0, Tr::bstrlen(nullptr));
    EXPECT_EQ(0, Tr::bstrlen(nullptr, 5));
    EXPECT_EQ(3, Tr::bstrlen("abc"));
    EXPECT_EQ(2, Tr::bstrlen("abc", 2));
    EXPECT_EQ(3, Tr::bstrlen("abc", 10));
    EXPECT_EQ(0, Tr::bstrlen("abc", -1));
    EXPECT_EQ(nullptr, Tr::bstrstr(nullptr, "a"));
    EXPECT_EQ(nullptr, Tr::bstrchr(nullptr, 'a'));
}

TEST(ByteString, CaseChangesAsciiOnly)
{
    EXPECT_EQ('A', Tr::btoupper('a'));
    EXPECT_EQ('\xE9', Tr::btoupper('\xE9'));
    EXPECT_EQ('\xC9', Tr::btolower('\xC9'));
    char text[] = "aB\xC3\xA9z";
    Tr::btoupper(text);
    EXPECT_STREQ("AB\xC3\xA9Z", text);
    Tr::btolower(text);
    EXPECT_STREQ("ab\xC3\xA9z", text);
    EXPECT_EQ(L'Q', Tr::btoupper(L'q'));
    EXPECT_EQ(static_cast<wchar_t>(0xE9), Tr::btoupper(static_cast<wchar_t>(0xE9)));
    wchar_t wide[] = L"Ab";
    Tr::btolower(wide);
    EXPECT_EQ(std::wstring(L"ab"), wide);
    EXPECT_EQ(1, Tr::biswalnum(L'7'));
    EXPECT_EQ(0, Tr::biswalnum(L'-'));
}
