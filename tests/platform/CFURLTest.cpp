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

} // namespace
