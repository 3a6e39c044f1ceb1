#include "foundation/THashStringSet.h"

#include <gtest/gtest.h>

TEST(THashStringSet, IdentifiersIgnoreCaseAndAreNeverReused)
{
    Tr::THashStringSet set;
    Tr::THashStringSet other;
    int main = set.getID("Main", 1);
    EXPECT_GE(main, 1);
    EXPECT_EQ(main, set.getID("MAIN", 0));
    EXPECT_EQ(main, set.getID("main", 1));
    EXPECT_EQ(0, set.getID("other", 0));
    int fromOther = other.getID("Main", 1);
    EXPECT_GT(fromOther, main);
    set.Clear();
    EXPECT_EQ(0, set.getID("Main", 0));
    int again = set.getID("Main", 1);
    EXPECT_GT(again, fromOther);
}
