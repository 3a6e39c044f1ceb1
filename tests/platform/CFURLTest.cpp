#include "platform/corefoundation/CFArray.h"
#include "platform/corefoundation/CFURL.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

CFURLRef url(char const* path)
{
    return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<unsigned char const*>(path),
                                                   static_cast<CFIndex>(std::strlen(path)), false);
}

TEST(CFURL, EqualsByPathWithoutTrailingSlashes)
{
    CFURLRef a = url("/Applications/X.app/");
    CFURLRef b = url("/Applications/X.app");
    CFURLRef c = url("/Applications/Y.app");
    EXPECT_TRUE(CFEqual(a, b));
    EXPECT_FALSE(CFEqual(a, c));
    EXPECT_FALSE(CFEqual(a, nullptr));
    EXPECT_EQ(nullptr, url(""));

    unsigned char path[32];
    ASSERT_TRUE(CFURLGetFileSystemRepresentation(a, true, path, sizeof path));
    EXPECT_STREQ("/Applications/X.app", reinterpret_cast<char const*>(path));
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(a, true, path, 19));
    for (CFURLRef u : { a, b, c })
        CFRelease(u);
}

TEST(CFArray, RetainsItsValuesUntilReleased)
{
    CFURLRef value = url("/x");
    void const* values[] = { value };
    CFArrayRef array = CFArrayCreate(kCFAllocatorDefault, values, 1, &kCFTypeArrayCallBacks);
    EXPECT_EQ(2, CFGetRetainCount(value));
    EXPECT_EQ(1, CFArrayGetCount(array));
    EXPECT_EQ(value, CFArrayGetValueAtIndex(array, 0));
    EXPECT_EQ(nullptr, CFArrayGetValueAtIndex(array, 1));
    CFRelease(array);
    EXPECT_EQ(1, CFGetRetainCount(value));
    CFRelease(value);
}

} // namespace
