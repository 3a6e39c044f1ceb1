#include "foundation/Folders.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <pwd.h>

using FileTest::ScopedEnv;

namespace {

std::string databaseHome()
{
    struct passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir && entry->pw_dir[0] ? entry->pw_dir : "~";
}

TEST(Folders, FollowHome)
{
    ScopedEnv home("HOME", "/Users/u");
    EXPECT_STREQ("/Users/u", Tr::getHomeDirectory().c_str());
    EXPECT_STREQ("/Users/u/Documents", Tr::getMyDocumentsDirectory().c_str());
    EXPECT_STREQ("/Users/u/Library/Application Support/Pexa Software", Tr::getUserAppDirectory().c_str());
    EXPECT_STREQ("/Users/u/.Dravikon", Tr::getPexaSettingsBaseDir().c_str());
}

TEST(Folders, UnsetOrEmptyHomeUsesTheUserDatabase)
{
    ScopedEnv home("HOME");
    home.unset();
    EXPECT_EQ(databaseHome(), Tr::getHomeDirectory().c_str());
    home.set("");
    EXPECT_EQ(databaseHome(), Tr::getHomeDirectory().c_str());
    EXPECT_EQ(databaseHome() + "/.Dravikon", Tr::getPexaSettingsBaseDir().c_str());
}

TEST(Folders, NothingIsCreated)
{
    FileTest::TempFolder dir;
    ScopedEnv home("HOME", dir.path().c_str());
    Tr::getPexaSettingsBaseDir();
    Tr::getMyDocumentsDirectory();
    Tr::getUserAppDirectory();
    EXPECT_EQ(0u, FileTest::entryCount(dir.path()));
}

} // namespace
