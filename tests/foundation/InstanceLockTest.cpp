#include "foundation/InstanceLock.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <vector>

using FileTest::TempFolder;
using Tr::BString;
using Tr::InstanceLock;
using Tr::UserInstanceLock;

namespace {

BString pathOf(std::string const& path)
{
    return BString(path.c_str());
}

TEST(InstanceLock, OneHolderPerFolderAndName)
{
    TempFolder dir;
    std::string locks = dir / "locks";
    mkdir(locks.c_str(), 0700);
    mkdir((dir / "other").c_str(), 0700);
    InstanceLock first(pathOf(locks), "app.lock");
    InstanceLock second(pathOf(locks), "app.lock");
    InstanceLock otherName(pathOf(locks), "tool.lock");
    InstanceLock otherFolder(pathOf(dir / "other"), "app.lock");
    EXPECT_EQ(InstanceLock::Acquired, first.acquire());
    EXPECT_EQ(InstanceLock::Acquired, first.acquire());
    EXPECT_EQ(InstanceLock::HeldElsewhere, second.acquire());
    EXPECT_EQ(InstanceLock::Acquired, otherName.acquire());
    EXPECT_EQ(InstanceLock::Acquired, otherFolder.acquire());
    first.release();
    EXPECT_EQ(InstanceLock::Acquired, second.acquire());
}

// The folder is checked where the file is made: one that others may use, a link
// (to a private folder even), another user's, a relative or a missing one holds
// no lock, and nothing is made in it.
TEST(InstanceLock, OnlyAPrivateFolderOfTheUserHoldsIt)
{
    TempFolder dir;
    std::string open = dir / "open", hers = dir / "hers", own = dir / "own";
    mkdir(open.c_str(), 0755);
    mkdir(hers.c_str(), 0700);
    mkdir(own.c_str(), 0700);
    symlink(own.c_str(), (dir / "link").c_str());
    std::vector<std::string> refused = {open, dir / "link", dir / "none", "", "relative"};
    if (geteuid() == 0 && chown(hers.c_str(), 65534, 65534) == 0)
        refused.push_back(hers);
    for (auto const& folder : refused) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(InstanceLock::Unavailable, InstanceLock(pathOf(folder), "app.lock").acquire());
    }
    EXPECT_EQ(0u, FileTest::entryCount(open) + FileTest::entryCount(hers) + FileTest::entryCount(own));
}

// The lock goes with its process, also one that is killed.
TEST(InstanceLock, AKilledHolderLeavesItFree)
{
    TempFolder dir;
    chmod(dir.path().c_str(), 0700);
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    pid_t holder = fork();
    if (holder == 0) {
        InstanceLock lock(pathOf(dir.path()), "app.lock");
        char held = lock.acquire() == InstanceLock::Acquired ? 'y' : 'n';
        (void)!write(ready[1], &held, 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(1, read(ready[0], &held, 1));
    EXPECT_EQ('y', held);
    InstanceLock lock(pathOf(dir.path()), "app.lock");
    EXPECT_EQ(InstanceLock::HeldElsewhere, lock.acquire());
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(InstanceLock::Acquired, lock.acquire());
    close(ready[0]);
    close(ready[1]);
}

// The runtime folder of the environment, else the user's one under the base,
// else a folder made private in the settings folder; never one that others
// control, and never a relative one.
TEST(InstanceLock, UserFolderFollowsTheRuntimeConvention)
{
    TempFolder dir;
    std::string runtime = dir / "runtime";
    std::string userRuntime = dir / ("run/" + std::to_string(geteuid()));
    std::string settings = dir / "home/.settings";
    std::string own = settings + "/locks";
    auto folder = [&](std::string const& given) {
        return std::string(InstanceLock::userLockFolder(pathOf(given), pathOf(dir / "run"), pathOf(settings)).c_str());
    };

    EXPECT_EQ(own, folder(""));
    struct stat info;
    ASSERT_EQ(0, stat(own.c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 07777);
    mkdir((dir / "run").c_str(), 0755);
    mkdir(userRuntime.c_str(), 0700);
    mkdir(runtime.c_str(), 0700);
    EXPECT_EQ(runtime, folder(runtime));
    EXPECT_EQ(userRuntime, folder(std::filesystem::relative(runtime).string()));
    chmod(runtime.c_str(), 0755);
    EXPECT_EQ(userRuntime, folder(runtime));
    chmod(userRuntime.c_str(), 0711);
    EXPECT_EQ(own, folder(runtime));
    chmod(own.c_str(), 0755);
    EXPECT_EQ(own, folder(runtime));
    ASSERT_EQ(0, stat(own.c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 07777);

    chmod(own.c_str(), 0777);
    EXPECT_EQ("", folder(runtime));
    rmdir(own.c_str());
    symlink(runtime.c_str(), own.c_str());
    EXPECT_EQ("", folder(runtime));
    if (geteuid() == 0) {
        unlink(own.c_str());
        mkdir(own.c_str(), 0700);
        ASSERT_EQ(0, chown(own.c_str(), 65534, 65534));
        chmod(runtime.c_str(), 0700);
        ASSERT_EQ(0, chown(runtime.c_str(), 65534, 65534));
        EXPECT_EQ("", folder(runtime));
    }
}

// An editor that found no runtime folder holds the lock in the settings folder;
// a runtime folder made during its run (the toolkit's helpers make it) lets no
// second editor of that home in, nor does the reverse. Runtime folders of their
// own still give editors of their own.
TEST(InstanceLock, ARuntimeFolderMadeLaterLetsNoSecondEditorIn)
{
    TempFolder dir;
    std::string later = dir / "later", other = dir / "other";
    auto lockWith = [&](std::string const& runtime) {
        return std::make_unique<UserInstanceLock>("app.lock", pathOf(runtime), pathOf(dir / "run"),
                                                  pathOf(dir / "home/.settings"));
    };
    auto first = lockWith(later);
    EXPECT_EQ(InstanceLock::Acquired, first->acquire());
    mkdir(later.c_str(), 0700);
    EXPECT_EQ(InstanceLock::HeldElsewhere, lockWith(later)->acquire());
    first.reset();
    auto withRuntime = lockWith(later);
    EXPECT_EQ(InstanceLock::Acquired, withRuntime->acquire());
    EXPECT_EQ(InstanceLock::HeldElsewhere, lockWith(dir / "none")->acquire());
    mkdir(other.c_str(), 0700);
    EXPECT_EQ(InstanceLock::Acquired, lockWith(other)->acquire());
}

} // namespace
