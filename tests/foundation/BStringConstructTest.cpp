#include "foundation/BString.h"

#include <gtest/gtest.h>

using Tr::BString;

TEST(BStringConstruct, LengthLimitsAndMinimumCapacity)
{
    BString cut("abcdef", 3, -1);
    EXPECT_STREQ("abc", cut.c_str());
    EXPECT_EQ(3, cut.getCapacity());

    BString roomy("ab", INT_MAX, 10);
    EXPECT_STREQ("ab", roomy.c_str());
    EXPECT_EQ(10, roomy.getCapacity());

    BString fromNull(static_cast<char const*>(nullptr));
    EXPECT_TRUE(fromNull.isEmpty());

    unsigned char const bytes[] = {0xC3, 0xA9, 'x', 0};
    BString fromBytes(bytes);
    EXPECT_EQ(3, fromBytes.length());
    EXPECT_LT(fromBytes[0], 0);
}

TEST(BStringConstruct, SubstringOfAnotherString)
{
    BString source("abcdef");
    BString whole(source, INT_MAX, -1);
    EXPECT_EQ(source.c_str(), whole.c_str());

    BString part(source, 2, 8);
    EXPECT_STREQ("ab", part.c_str());
    EXPECT_EQ(8, part.getCapacity());
    EXPECT_NE(source.c_str(), part.c_str());
}

TEST(BStringConstruct, AssignForms)
{
    BString s("old");
    s.assign("newer text", 5);
    EXPECT_STREQ("newer", s.c_str());
    s.assign('q');
    EXPECT_STREQ("q", s.c_str());
    s.assign('\0');
    EXPECT_TRUE(s.isEmpty());
    BString other("other");
    s = other;
    EXPECT_EQ(other.c_str(), s.c_str());
    s = s;
    EXPECT_STREQ("other", s.c_str());
}
