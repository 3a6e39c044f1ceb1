#include "app/install/NSWorkspace_QZAdditions.h"

#include "tests/support/FakeVolumes.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Text = std::optional<std::string>;

TEST(AddPart, JoinsDistinctPartsOnce)
{
    struct Case
    {
        Text existing;
        Text part;
        Text joined;
    };
    Case const cases[] = {
        { std::nullopt, std::nullopt, std::nullopt },
        { "USB", std::nullopt, "USB" },
        { std::nullopt, " \tDisk Image\r\n", "Disk Image" },
        { "Fast SSD", "ATA", "Fast SSD; ATA" },
        { "Fast SSD; ATA", " ata ", "Fast SSD; ATA" },
        { "ssd", "Fast SSD", "Fast SSD" },
        { "Disk", "   ", "Disk" },
        { std::nullopt, "", "" },
        { "", "SATA", "SATA" },
    };
    for (Case const& c : cases)
        EXPECT_EQ(c.joined, AddPart(c.existing, c.part))
            << c.existing.value_or("(nil)") << " + " << c.part.value_or("(nil)");
}

TEST(PropertiesForPath, TellTheMountTheDeviceAndAnImage)
{
    struct Case
    {
        char const* name;
        std::function<void(FakeVolumes&, std::string const& volume)> setUp;
        VolumeProperties expected; // besides the mount point
    };
    Case const cases[] = {
        { "a loop partition",
          [](FakeVolumes& v, std::string const& volume) {
              v.mount(volume, "hfsplus", "/dev/loop3p1");
              v.loopDevice("loop3", "/home/u/Downloads/Dravik MIDI T.dmg", "loop3p1");
          },
          { { NSWorkspace_QZfstypename, "hfsplus" },
            { NSWorkspace_QZmntfromname, "/dev/loop3p1" },
            { NSWorkspace_QZimagefilepath, "/home/u/Downloads/Dravik MIDI T.dmg" },
            { NSWorkspace_QZdeviceinfo, "Disk Image" },
            { NSWorkspace_QZconnectiontype, "Virtual Interface" } } },
        { "a partition of a disk",
          [](FakeVolumes& v, std::string const& volume) {
              v.mount(volume, "ext4", "/dev/sda2");
              v.attribute("block/sda/sda2/partition", "2\n");
              v.attribute("block/sda/device/vendor", "ATA     \n");
              v.attribute("block/sda/device/model", "Fast SSD\n");
              v.attribute("block/sda/device/rev", "1.0\n");
          },
          { { NSWorkspace_QZfstypename, "ext4" },
            { NSWorkspace_QZmntfromname, "/dev/sda2" },
            { NSWorkspace_QZdeviceinfo, "Fast SSD; 1.0; ATA" } } },
        { "a device that sysfs does not know",
          [](FakeVolumes& v, std::string const& volume) { v.mount(volume, "ext4", "/dev/mapper/root"); },
          { { NSWorkspace_QZfstypename, "ext4" }, { NSWorkspace_QZmntfromname, "/dev/mapper/root" } } },
        { "tmpfs", [](FakeVolumes& v, std::string const& volume) { v.mount(volume, "tmpfs", "tmpfs"); },
          { { NSWorkspace_QZfstypename, "tmpfs" }, { NSWorkspace_QZmntfromname, "tmpfs" } } },
    };
    for (Case const& c : cases) {
        FakeVolumes volumes;
        std::string volume = volumes.folder("Dravik MIDI T");
        c.setUp(volumes, volume);
        VolumeProperties expected = c.expected;
        expected[NSWorkspace_QZmntonname] = volume;
        EXPECT_EQ(expected, NSWorkspace_QZAdditions::propertiesForPath(volume)) << c.name;
        EXPECT_FALSE(NSWorkspace_QZAdditions::propertiesForPath(volume + "/missing")) << c.name;
    }
}

} // namespace
