#include "foundation/BString.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using Tr::BString;

namespace {

// Static strings of other files may be made in any order relative to the empty string.
BString const staticDefault;
BString const staticCopy = BString::empty;

} // namespace

TEST(BStringCopyOnWrite, CopySharesUntilChanged)
{
    BString original("abc");
    BString copy(original);
    EXPECT_EQ(original.c_str(), copy.c_str());

    copy.append("d");
    EXPECT_STREQ("abc", original.c_str());
    EXPECT_STREQ("abcd", copy.c_str());
    EXPECT_NE(original.c_str(), copy.c_str());
}

TEST(BStringCopyOnWrite, EveryEditingMemberLeavesTheOtherHolderAlone)
{
    BString original("Hello World");
    std::vector<void (*)(BString&)> edits = {
        [](BString& s) { s.append('!'); },       [](BString& s) { s.erase(0, 2); },
        [](BString& s) { s.setLength(3); },      [](BString& s) { s.clear(); },
        [](BString& s) { s.assign("x"); },       [](BString& s) { s.eraseWithNewCapacity(4); },
        [](BString& s) { s += BString("tail"); },
    };
    for (auto edit : edits) {
        BString copy(original);
        edit(copy);
        EXPECT_STREQ("Hello World", original.c_str());
    }
}

TEST(BStringCopyOnWrite, ClearKeepsCapacityOnlyWhenUnshared)
{
    BString alone("abcdef");
    alone.clear();
    EXPECT_TRUE(alone.isEmpty());
    EXPECT_EQ(6, alone.getCapacity());

    BString shared("abcdef");
    BString other(shared);
    shared.clear();
    EXPECT_STREQ("abcdef", other.c_str());
    EXPECT_EQ(BString::empty.c_str(), shared.c_str());
}

TEST(BStringCopyOnWrite, DefaultStringsShareTheEmptyContainer)
{
    BString a;
    BString b;
    EXPECT_EQ(BString::empty.c_str(), a.c_str());
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_EQ(a.c_str(), staticDefault.c_str());
    EXPECT_EQ(a.c_str(), staticCopy.c_str());
    a.append("x");
    EXPECT_TRUE(BString::empty.isEmpty());
    EXPECT_TRUE(b.isEmpty());
}

TEST(BStringCopyOnWrite, CapacityGrowsExactlyAndNeverShrinksByItself)
{
    BString s("ab", INT_MAX, 10);
    EXPECT_EQ(10, s.getCapacity());
    char const* before = s.c_str();
    s.append("12345678");
    EXPECT_EQ(before, s.c_str());
    s.append('x');
    EXPECT_EQ(11, s.getCapacity());
    s.setCapacity(4);
    EXPECT_EQ(11, s.getCapacity());
    s.setLength(2);
    EXPECT_STREQ("ab", s.c_str());
    s.setLength(20);
    EXPECT_STREQ("ab", s.c_str());
    EXPECT_EQ(20, s.getCapacity());
}

TEST(BStringCopyOnWrite, MakeUniqueCopiesOnlyASharedContainer)
{
    BString s("abc");
    char const* before = s.c_str();
    s.makeUnique();
    EXPECT_EQ(before, s.c_str());
    BString copy(s);
    copy.makeUnique();
    EXPECT_NE(s.c_str(), copy.c_str());
    EXPECT_STREQ("abc", copy.c_str());
}

TEST(BStringCopyOnWrite, AppendingOrAssigningItsOwnTextIsSafe)
{
    BString s("abc");
    s.append(s);
    EXPECT_STREQ("abcabc", s.c_str());
    s.append(s.c_str() + 4);
    EXPECT_STREQ("abcabcbc", s.c_str());
    s.assign(s.c_str() + 3, 3);
    EXPECT_STREQ("abc", s.c_str());
}

// Copies and releases of one container from many threads; each private change stays private.
TEST(BStringCopyOnWrite, ConcurrentCopiesNeverSeeAnotherThreadsChange)
{
    BString const shared("shared text");
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&shared, &failures, t] {
            for (int i = 0; i < 2000; ++i) {
                BString copy(shared);
                BString second = copy;
                copy.append(static_cast<char>('a' + t));
                BString empty;
                empty.append("z");
                if (second != "shared text" || copy.length() != 12 || copy[11] != 'a' + t)
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int count : failures)
        EXPECT_EQ(0, count);
    EXPECT_STREQ("shared text", shared.c_str());
    EXPECT_TRUE(BString::empty.isEmpty());
}
