#include "foundation/BString.h"

#include <gtest/gtest.h>

#include <string>

using Tr::BString;

TEST(BStringFormat, OutputUpTo32767BytesComesBackWhole)
{
    for (size_t size : {0u, 1023u, 1024u, 5000u, 32767u}) {
        std::string text(size, 'x');
        BString result = BString::format("%s", text.c_str());
        EXPECT_EQ(static_cast<int>(size), result.length());
        EXPECT_EQ(text, result.c_str());
    }
}

TEST(BStringFormat, LongerOutputGivesTheEmptyString)
{
    for (size_t size : {32768u, 40000u}) {
        std::string text(size, 'x');
        EXPECT_TRUE(BString::format("%s", text.c_str()).isEmpty()) << size;
    }
}

TEST(BStringFormat, ArgumentsAndAStringFormat)
{
    EXPECT_STREQ("Step 3: 0x1F -2 ab", BString::format("Step %d: 0x%X %lld %s", 3, 31u, -2LL, "ab").c_str());
    BString fmt("%s=%05.1f");
    std::string longName(2000, 'n');
    BString result = BString::format(fmt, longName.c_str(), 2.25);
    EXPECT_EQ(longName + "=002.2", result.c_str());
    EXPECT_STREQ("%", BString::format(BString("%%")).c_str());
}
