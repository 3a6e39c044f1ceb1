#include "platform/statfs/VolumeStatfs.h"

#include "tests/support/FakeVolumes.h"

#include <gtest/gtest.h>

using FileTest::ScopedEnv;
using FileTest::TempFolder;

namespace {

struct StatfsCase
{
    char const* name;
    char const* path; // under the test's folder
    char const* type;
    char const* mountedOn; // under the test's folder; "/" for the root
    char const* source;
};

TEST(VolumeStatfs, TheLongestCoveringMountHoldsThePath)
{
    FakeVolumes volumes;
    std::string dir = volumes.folder("");
    for (char const* folder : { "vol/App.app", "vol/deeper", "volume", "My Disk/a", "over" })
        volumes.folder(folder);
    volumes.line("garbage line");
    volumes.mount(dir + "vol", "ext4", "/dev/loop3");
    volumes.mount(dir + "vol/deeper", "tmpfs", "tmpfs");
    volumes.mount(dir + "My Disk", "hfsplus", "/dev/loop4p1");
    volumes.mount(dir + "over", "ext4", "/dev/sda1");
    volumes.mount(dir + "over", "squashfs", "/dev/loop5");
    volumes.line("41 1 7:3 / " + dir + "volume rw - ext4");
    StatfsCase const cases[] = {
        { "inside a mount", "vol/App.app", "ext4", "vol", "/dev/loop3" },
        { "its mount point", "vol", "ext4", "vol", "/dev/loop3" },
        { "a mount inside a mount", "vol/deeper", "tmpfs", "vol/deeper", "tmpfs" },
        { "a name that only begins alike", "volume", "ext4", "/", "/dev/vda" },
        { "escaped blanks", "My Disk/a", "hfsplus", "My Disk", "/dev/loop4p1" },
        { "the later of two on one point", "over", "squashfs", "over", "/dev/loop5" },
    };
    for (StatfsCase const& c : cases) {
        VolumeStatfs fs;
        ASSERT_EQ(0, volumeStatfs((dir + c.path).c_str(), &fs)) << c.name;
        EXPECT_EQ(c.type, fs.f_fstypename) << c.name;
        EXPECT_EQ(std::string(c.mountedOn) == "/" ? "/" : dir + c.mountedOn, fs.f_mntonname) << c.name;
        EXPECT_EQ(c.source, fs.f_mntfromname) << c.name;
    }
}

TEST(VolumeStatfs, LinksAreResolvedFirst)
{
    FakeVolumes volumes;
    std::string vol = volumes.folder("vol");
    std::string link = volumes.folder("") + "link";
    symlink(vol.c_str(), link.c_str());
    volumes.mount(vol, "ext4", "/dev/loop3");
    VolumeStatfs fs;
    ASSERT_EQ(0, volumeStatfs(link.c_str(), &fs));
    EXPECT_EQ("/dev/loop3", fs.f_mntfromname);
}

TEST(VolumeStatfs, FailuresLeaveTheResultAlone)
{
    TempFolder dir;
    FileTest::writeFile(dir / "no-root", "40 1 7:3 / /elsewhere rw - ext4 /dev/sda1 rw\n");
    VolumeStatfs fs { "kept", "kept", "kept" };
    {
        ScopedEnv table("DRAVIK_MOUNTINFO", (dir / "missing").c_str());
        EXPECT_EQ(-1, volumeStatfs(dir.path().c_str(), &fs));
        ScopedEnv noCover("DRAVIK_MOUNTINFO", (dir / "no-root").c_str());
        EXPECT_EQ(-1, volumeStatfs(dir.path().c_str(), &fs));
    }
    EXPECT_EQ(-1, volumeStatfs((dir / "no-such-path").c_str(), &fs));
    EXPECT_EQ("kept", fs.f_mntonname);
}

TEST(VolumeStatfs, TheSystemMountTableHoldsTheRoot)
{
    ScopedEnv table("DRAVIK_MOUNTINFO");
    table.unset();
    VolumeStatfs fs;
    ASSERT_EQ(0, volumeStatfs("/", &fs));
    EXPECT_EQ("/", fs.f_mntonname);
    EXPECT_FALSE(fs.f_fstypename.empty());
}

TEST(VolumeStatfs, EscapesAreDecoded)
{
    EXPECT_EQ("a b\tc\\d", decodeMountField("a\\040b\\011c\\134d"));
    EXPECT_EQ("\\04x\\", decodeMountField("\\04x\\"));
}

} // namespace
