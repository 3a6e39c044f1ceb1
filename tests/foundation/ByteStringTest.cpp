#include "foundation/ByteString.h"

#include <gtest/gtest.h>

#include <cctype>

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

TEST(ByteString, CaseAgreesWithTheCLibraryOnEveryByte)
{
    for (int byte = 0; byte < 256; ++byte) {
        auto c = static_cast<char>(byte);
        EXPECT_EQ(static_cast<char>(std::toupper(byte)), Tr::btoupper(c)) << byte;
        EXPECT_EQ(static_cast<char>(std::tolower(byte)), Tr::btolower(c)) << byte;
    }
}

TEST(ByteString, BoundedCopyAlwaysEndsWithAZero)
{
    struct Case { int size; char const* result; };
    Case const cases[] = {{4, "abc"}, {7, "abcdef"}, {20, "abcdef"}, {1, ""}, {0, "xxxxxxx"}, {-3, "xxxxxxx"}};
    for (auto const& c : cases) {
        char buffer[8] = "xxxxxxx";
        Tr::bstrncpy(buffer, "abcdef", c.size);
        EXPECT_STREQ(c.result, buffer) << c.size;
    }
    char buffer[8] = "keep";
    Tr::bstrncpy(buffer, nullptr, 8);
    EXPECT_STREQ("keep", buffer);
}

TEST(ByteString, MemoryAndSorting)
{
    char block[4] = {1, 2, 3, 4};
    Tr::bmemset(block, 0x1FF, 3);
    EXPECT_EQ(0, Tr::bmemcmp(block, "\xFF\xFF\xFF\x04", 4));
    EXPECT_GT(Tr::bmemcmp("b", "a", 1), 0);
    EXPECT_EQ(0, Tr::bmemcmp("b", "a", 0));
    int values[] = {3, -1, 2};
    Tr::bsort(values, 3, sizeof(int), [](void const* a, void const* b) {
        return *static_cast<int const*>(a) - *static_cast<int const*>(b);
    });
    EXPECT_EQ(-1, values[0]);
    EXPECT_EQ(3, values[2]);
}
