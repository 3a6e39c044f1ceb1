#include "foundation/StringConversion.h"

#include "platform/corefoundation/CFString.h"

#include <gtest/gtest.h>

#include <string>

using Tr::BString;

TEST(StringConversion, WideStringsConvertWhateverTheLocale)
{
    BString text("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "a");
    std::wstring wide = Tr::WStringFrom(text);
    EXPECT_EQ(std::wstring(L"\u00E9\u20AC\U0001F600a"), wide);
    EXPECT_EQ(text, Tr::StringFrom(wide));
    EXPECT_EQ(text, Tr::StringFrom(wide.c_str()));
    EXPECT_EQ(4, Tr::GetWStringLength(wide.c_str()));
    EXPECT_EQ(0, Tr::GetWStringLength(nullptr));
    EXPECT_TRUE(Tr::StringFrom(static_cast<wchar_t const*>(nullptr)).isEmpty());
    EXPECT_TRUE(Tr::WStringFrom(BString()).empty());
}

TEST(StringConversion, MacRomanCFStringsRoundTripEveryByte)
{
    std::string every;
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    CFStringRef cf = Tr::CFStringFrom(every.c_str());
    ASSERT_NE(nullptr, cf);
    EXPECT_EQ(255, CFStringGetLength(cf));
    EXPECT_EQ(BString(every.c_str()), Tr::StringFrom(cf));
    CFRelease(cf);

    // UTF-8 bytes count as two Mac Roman characters: the square root and the copyright sign.
    cf = Tr::CFStringFrom("\xC3\xA9");
    EXPECT_EQ(2, CFStringGetLength(cf));
    EXPECT_EQ(BString("\xE2\x88\x9A\xC2\xA9"), BString(cf));
    CFRelease(cf);

    cf = CFStringCreateWithCString(kCFAllocatorDefault, "\xE6\x97\xA5", kCFStringEncodingUTF8);
    EXPECT_TRUE(Tr::StringFrom(cf).isEmpty());
    CFRelease(cf);
    EXPECT_TRUE(Tr::StringFrom(static_cast<CFStringRef>(nullptr)).isEmpty());
}
