#include "foundation/BString.h"

#include "platform/cocoa/NSString.h"
#include "platform/corefoundation/CFString.h"

#include <gtest/gtest.h>

using Tr::BString;

namespace {

char const japanese[] = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";

} // namespace

TEST(BStringPlatform, CFStringConvertsWholeBothWays)
{
    CFStringRef cf = CFStringCreateWithCString(kCFAllocatorDefault, japanese, kCFStringEncodingUTF8);
    BString s(cf);
    CFRelease(cf);
    EXPECT_STREQ(japanese, s.c_str());
    EXPECT_EQ(9, s.length());

    CFStringRef back = s.toCFString();
    EXPECT_EQ(3, CFStringGetLength(back));
    EXPECT_STREQ(japanese, BString(back).c_str());
    CFRelease(back);
}

TEST(BStringPlatform, EmptyOrNullCFStringSharesTheEmptyContainer)
{
    CFStringRef cf = CFStringCreateWithCString(kCFAllocatorDefault, "", kCFStringEncodingUTF8);
    EXPECT_EQ(BString::empty.c_str(), BString(cf).c_str());
    CFRelease(cf);
    EXPECT_TRUE(BString(static_cast<CFStringRef>(nullptr)).isEmpty());
}

TEST(BStringPlatform, NSStringConvertsWholeBothWays)
{
    NSAutoreleasePool pool;
    NSString* ns = NSString::stringWithCString(japanese, NSUTF8StringEncoding);
    EXPECT_STREQ(japanese, BString(ns).c_str());
    NSString* back = BString(japanese).toNSString();
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(3u, back->length());
    EXPECT_TRUE(BString(static_cast<NSString*>(nullptr)).isEmpty());
}
