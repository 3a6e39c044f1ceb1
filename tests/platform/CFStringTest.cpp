#include "platform/corefoundation/CFString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(CFString, CreateMeasureAndCopyUtf8)
{
    // "a", e-acute, the euro sign and an emoji: 1 + 1 + 1 + 2 UTF-16 units, 1 + 2 + 3 + 4 bytes.
    char const text[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(5, CFStringGetLength(s));
    CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8);
    EXPECT_GE(size, 10);

    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    EXPECT_TRUE(CFStringGetCString(s, buffer.data(), size + 1, kCFStringEncodingUTF8));
    EXPECT_STREQ(text, buffer.data());
    EXPECT_FALSE(CFStringGetCString(s, buffer.data(), 10, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(s, buffer.data(), 11, kCFStringEncodingUTF8));
    CFRelease(s);
}

TEST(CFString, RejectsWhatItCannotHold)
{
    char const* const invalid[] = {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\x80"};
    for (char const* text : invalid)
        EXPECT_EQ(nullptr, CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8));
    EXPECT_EQ(nullptr, CFStringCreateWithCString(kCFAllocatorDefault, nullptr, kCFStringEncodingUTF8));
    CFStringEncoding const latin1 = 0x0201;
    EXPECT_EQ(nullptr, CFStringCreateWithCString(kCFAllocatorDefault, "a", latin1));
    EXPECT_EQ(kCFNotFound, CFStringGetMaximumSizeForEncoding(4, latin1));
    char buffer[4];
    EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 4, kCFStringEncodingUTF8));
    EXPECT_EQ(0, CFStringGetLength(nullptr));
}

TEST(CFString, RetainAndRelease)
{
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "port", kCFStringEncodingUTF8);
    EXPECT_EQ(1, CFGetRetainCount(s));
    EXPECT_EQ(s, CFRetain(s));
    EXPECT_EQ(2, CFGetRetainCount(s));
    CFRelease(s);
    EXPECT_EQ(1, CFGetRetainCount(s));
    CFRelease(s);
    CFRelease(nullptr);
}

TEST(CFString, MacRomanBothWays)
{
    std::string every;
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, every.c_str(), kCFStringEncodingMacRoman);
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(255, CFStringGetLength(s));
    EXPECT_EQ(255, CFStringGetMaximumSizeForEncoding(255, kCFStringEncodingMacRoman));
    std::vector<char> buffer(256);
    EXPECT_TRUE(CFStringGetCString(s, buffer.data(), 256, kCFStringEncodingMacRoman));
    EXPECT_EQ(every, buffer.data());
    EXPECT_FALSE(CFStringGetCString(s, buffer.data(), 255, kCFStringEncodingMacRoman));
    CFRelease(s);

    // e-acute, the euro sign and the dagger, as Mac Roman bytes and as UTF-8.
    s = CFStringCreateWithCString(kCFAllocatorDefault, "\x8E\xDB\xA0", kCFStringEncodingMacRoman);
    char utf8[16];
    EXPECT_TRUE(CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingUTF8));
    EXPECT_STREQ("\xC3\xA9\xE2\x82\xAC\xE2\x80\xA0", utf8);
    CFRelease(s);

    s = CFStringCreateWithCString(kCFAllocatorDefault, "a\xE6\x97\xA5", kCFStringEncodingUTF8);
    EXPECT_FALSE(CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingMacRoman));
    CFRelease(s);
}
