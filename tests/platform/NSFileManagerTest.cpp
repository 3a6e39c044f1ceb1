#include "platform/cocoa/NSFileManager.h"

#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

using FileTest::TempFolder;

namespace {

struct stat statOf(std::string const& path)
{
    struct stat info {};
    EXPECT_EQ(0, lstat(path.c_str(), &info)) << path;
    return info;
}

std::string linkTarget(std::string const& path)
{
    char buffer[4096];
    ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    return length < 0 ? std::string() : std::string(buffer, static_cast<size_t>(length));
}

// Sets an old access and modification time (no following of links).
void backdate(std::string const& path, time_t seconds)
{
    timespec const times[2] = { { seconds, 0 }, { seconds + 7, 500 } };
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW)) << path;
}

// A bundle as the build lays it out, with what a copy must keep: an
// executable, a read-only file, links (one dangling) and a read-only folder.
std::string makeBundle(TempFolder const& dir)
{
    std::string bundle = dir / "My App.app";
    std::string macOS = bundle + "/Contents/MacOS";
    std::string resources = bundle + "/Contents/Resources";
    mkdir(bundle.c_str(), 0755);
    mkdir((bundle + "/Contents").c_str(), 0755);
    mkdir(macOS.c_str(), 0755);
    mkdir(resources.c_str(), 0755);
    FileTest::writeFile(macOS + "/My App", "#!/bin/sh\n");
    chmod((macOS + "/My App").c_str(), 0755);
    FileTest::writeFile(resources + "/background_t.png", std::string(100000, 'x'));
    chmod((resources + "/background_t.png").c_str(), 0444);
    symlink("Contents/MacOS/My App", (bundle + "/run").c_str());
    symlink("/nowhere/at/all", (resources + "/dangling").c_str());
    backdate(resources + "/background_t.png", 1000000000);
    backdate(bundle + "/run", 1100000000);
    chmod(resources.c_str(), 0555);
    backdate(resources, 1200000000);
    return bundle;
}

TEST(NSFileManager, ACopyKeepsLinksModesAndTimes)
{
    TempFolder dir;
    std::string bundle = makeBundle(dir);
    NSFileManager& files = NSFileManager::defaultManager();
    std::string copy = dir / "copy.app";
    std::string error;
    ASSERT_TRUE(files.copyItemAtPath(bundle, copy, &error)) << error;

    EXPECT_EQ(0755u, statOf(copy + "/Contents/MacOS/My App").st_mode & 07777);
    EXPECT_EQ("#!/bin/sh\n", FileTest::readFile(copy + "/Contents/MacOS/My App"));
    struct stat image = statOf(copy + "/Contents/Resources/background_t.png");
    EXPECT_EQ(0444u, image.st_mode & 07777);
    EXPECT_EQ(100000, image.st_size);
    EXPECT_EQ(1000000007, image.st_mtim.tv_sec);
    EXPECT_EQ(500, image.st_mtim.tv_nsec);
    EXPECT_EQ(1000000000, image.st_atim.tv_sec);

    EXPECT_TRUE(S_ISLNK(statOf(copy + "/run").st_mode));
    EXPECT_EQ("Contents/MacOS/My App", linkTarget(copy + "/run"));
    EXPECT_EQ(1100000007, statOf(copy + "/run").st_mtim.tv_sec);
    EXPECT_EQ("/nowhere/at/all", linkTarget(copy + "/Contents/Resources/dangling"));

    struct stat resources = statOf(copy + "/Contents/Resources");
    EXPECT_EQ(0555u, resources.st_mode & 07777);
    EXPECT_EQ(1200000007, resources.st_mtim.tv_sec);

    ASSERT_TRUE(files.removeItemAtPath(copy, &error)) << error;
    EXPECT_FALSE(files.fileExistsAtPath(copy));
}

TEST(NSFileManager, CopiesAndMovesNeverGoOverWhatExistsNorTakeSpecialFiles)
{
    TempFolder dir;
    std::string bundle = makeBundle(dir);
    mkdir((dir / "there.app").c_str(), 0755);
    symlink("/nowhere", (dir / "dangling").c_str());
    NSFileManager& files = NSFileManager::defaultManager();
    std::string error;
    EXPECT_FALSE(files.copyItemAtPath(bundle, dir / "there.app", &error));
    EXPECT_NE(std::string::npos, error.find("there.app")) << error;
    EXPECT_EQ(0u, FileTest::entryCount(dir / "there.app"));
    EXPECT_FALSE(files.copyItemAtPath(bundle, dir / "dangling", nullptr));
    EXPECT_FALSE(files.moveItemAtPath(dir / "there.app", dir / "dangling", nullptr));
    EXPECT_FALSE(files.moveItemAtPath(dir / "there.app", bundle, nullptr));
    EXPECT_TRUE(files.moveItemAtPath(dir / "there.app", dir / "moved.app", nullptr));

    ASSERT_EQ(0, mkfifo((dir / "moved.app/pipe").c_str(), 0644));
    EXPECT_FALSE(files.copyItemAtPath(dir / "moved.app", dir / "copy.app", &error));
    EXPECT_NE(std::string::npos, error.find("pipe")) << error;
    EXPECT_FALSE(files.copyItemAtPath(dir / "missing", dir / "copy2", nullptr));
}

TEST(NSFileManager, RemovingTakesLinksNotTheirTargets)
{
    TempFolder dir;
    std::string bundle = makeBundle(dir);
    mkdir((dir / "holder").c_str(), 0755);
    symlink(bundle.c_str(), (dir / "holder/to-bundle").c_str());
    NSFileManager& files = NSFileManager::defaultManager();
    ASSERT_TRUE(files.removeItemAtPath(dir / "holder", nullptr));
    EXPECT_TRUE(files.fileExistsAtPath(bundle + "/Contents/MacOS/My App"));
    EXPECT_FALSE(files.removeItemAtPath(dir / "holder", nullptr));
}

} // namespace
