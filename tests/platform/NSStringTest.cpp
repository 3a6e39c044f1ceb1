#include "platform/cocoa/NSString.h"

#include <gtest/gtest.h>

#include <thread>

TEST(NSString, HoldsUtf8Text)
{
    NSAutoreleasePool pool;
    NSString* s = NSString::stringWithCString("\xE6\x97\xA5\xF0\x9F\x98\x80", NSUTF8StringEncoding);
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(3u, s->length());
    EXPECT_STREQ("\xE6\x97\xA5\xF0\x9F\x98\x80", s->cStringUsingEncoding(NSUTF8StringEncoding));
    EXPECT_EQ(nullptr, s->cStringUsingEncoding(1));
    EXPECT_EQ(nullptr, NSString::stringWithCString("\xFF", NSUTF8StringEncoding));
    EXPECT_EQ(nullptr, NSString::stringWithCString(nullptr, NSUTF8StringEncoding));
}

TEST(NSString, PoolReleasesWhatWasAutoreleasedInsideIt)
{
    NSString* kept = nullptr;
    {
        NSAutoreleasePool outer;
        {
            NSAutoreleasePool inner;
            kept = NSString::stringWithCString("kept", NSUTF8StringEncoding);
            kept->retain();
            EXPECT_EQ(2, kept->retainCount());
        }
        EXPECT_EQ(1, kept->retainCount());
        kept->autorelease();
    }
    // Without a pool, the thread's own list releases the string when the thread ends.
    std::thread([] { NSString::stringWithCString("orphan", NSUTF8StringEncoding); }).join();
}
