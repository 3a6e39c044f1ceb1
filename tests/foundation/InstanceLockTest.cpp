#include "foundation/InstanceLock.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

using FileTest::TempFolder;
using Tr::BString;
using Tr::InstanceLock;

namespace {

BString pathOf(std::string const& path)
{
    return BString(path.c_str());
}

TEST(InstanceLock, OneHolderPerFolderAndName)
{
    TempFolder dir;
    mkdir((dir / "other").c_str(), 0700);
    InstanceLock first(pathOf(dir.path()), "app.lock");
    InstanceLock second(pathOf(dir.path()), "app.lock");
    InstanceLock otherName(pathOf(dir.path()), "tool.lock");
    InstanceLock otherFolder(pathOf(dir / "other"), "app.lock");
    EXPECT_EQ(InstanceLock::Acquired, first.acquire());
    EXPECT_EQ(InstanceLock::Acquired, first.acquire());
    EXPECT_EQ(InstanceLock::HeldElsewhere, second.acquire());
    EXPECT_EQ(InstanceLock::Acquired, otherName.acquire());
    EXPECT_EQ(InstanceLock::Acquired, otherFolder.acquire());
    first.release();
    EXPECT_EQ(InstanceLock::Acquired, second.acquire());
    EXPECT_EQ(InstanceLock::Unavailable, InstanceLock(BString(), "app.lock").acquire());
    EXPECT_EQ(InstanceLock::Unavailable, InstanceLock(pathOf(dir / "none"), "app.lock").acquire());
}

// The lock goes with its process, also one that is killed.
TEST(InstanceLock, AKilledHolderLeavesItFree)
{
    TempFolder dir;
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

// The folder follows the user id: the user's own runtime folder when there is
// one, else a folder made private to the user; never one that others control.
TEST(InstanceLock, UserFolderIsTheRuntimeFolderElseAPrivateOne)
{
    TempFolder run;
    TempFolder tmp;
    std::string user = std::to_string(geteuid());
    std::string fallback = tmp / ("dravik-" + user);

    EXPECT_EQ(fallback, InstanceLock::userLockFolder(pathOf(run.path()), pathOf(tmp.path())).c_str());
    struct stat info;
    ASSERT_EQ(0, stat(fallback.c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 07777);

    std::string runtime = run / user;
    mkdir(runtime.c_str(), 0700);
    EXPECT_EQ(runtime, InstanceLock::userLockFolder(pathOf(run.path()), pathOf(tmp.path())).c_str());

    chmod(runtime.c_str(), 0755);
    chmod(fallback.c_str(), 0777);
    EXPECT_EQ("", std::string(InstanceLock::userLockFolder(pathOf(run.path()), pathOf(tmp.path())).c_str()));
    if (geteuid() == 0) {
        chmod(fallback.c_str(), 0700);
        ASSERT_EQ(0, chown(fallback.c_str(), 65534, 65534));
        EXPECT_EQ("", std::string(InstanceLock::userLockFolder(pathOf(run.path()), pathOf(tmp.path())).c_str()));
    }
    rmdir(fallback.c_str());
    symlink(run.path().c_str(), fallback.c_str());
    EXPECT_EQ("", std::string(InstanceLock::userLockFolder(pathOf(run.path()), pathOf(tmp.path())).c_str()));
}

} // namespace
