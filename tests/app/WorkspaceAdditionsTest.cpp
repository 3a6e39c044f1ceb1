#include "app/NSWorkspace_QZAdditions.h"

#include "tests/support/FakeVolumes.h"

#include <gtest/gtest.h>

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

class PropertiesForPath : public ::testing::Test
{
protected:
    VolumeProperties const& propertiesOf(std::string const& path)
    {
        auto found = NSWorkspace_QZAdditions::propertiesForPath(path);
        EXPECT_TRUE(found.has_value()) << path;
        properties = found.value_or(VolumeProperties());
        return properties;
    }

    FakeVolumes volumes;
    VolumeProperties properties;
};

TEST_F(PropertiesForPath, ALoopPartitionNamesItsImage)
{
    std::string volume = volumes.folder("Dravik MIDI T");
    volumes.mount(volume, "hfsplus", "/dev/loop3p1");
    volumes.loopDevice("loop3", "/home/u/Downloads/Dravik MIDI T.dmg", "loop3p1");
    VolumeProperties expected {
        { NSWorkspace_QZfstypename, "hfsplus" },
        { NSWorkspace_QZmntonname, volume },
        { NSWorkspace_QZmntfromname, "/dev/loop3p1" },
        { NSWorkspace_QZimagefilepath, "/home/u/Downloads/Dravik MIDI T.dmg" },
        { NSWorkspace_QZdeviceinfo, "Disk Image" },
        { NSWorkspace_QZconnectiontype, "Virtual Interface" },
    };
    EXPECT_EQ(expected, propertiesOf(volume));
}

TEST_F(PropertiesForPath, ADiskDescribesItsDeviceAndHasNoImage)
{
    std::string volume = volumes.folder("data");
    volumes.mount(volume, "ext4", "/dev/sda2");
    volumes.attribute("block/sda/sda2/partition", "2\n");
    volumes.attribute("block/sda/device/vendor", "ATA     \n");
    volumes.attribute("block/sda/device/model", "Fast SSD\n");
    volumes.attribute("block/sda/device/rev", "1.0\n");
    VolumeProperties expected {
        { NSWorkspace_QZfstypename, "ext4" },
        { NSWorkspace_QZmntonname, volume },
        { NSWorkspace_QZmntfromname, "/dev/sda2" },
        { NSWorkspace_QZdeviceinfo, "Fast SSD; 1.0; ATA" },
    };
    EXPECT_EQ(expected, propertiesOf(volume));
}

TEST_F(PropertiesForPath, AVolumeWithoutADeviceHasOnlyItsMount)
{
    std::string volume = volumes.folder("scratch");
    volumes.mount(volume, "tmpfs", "tmpfs");
    VolumeProperties expected {
        { NSWorkspace_QZfstypename, "tmpfs" },
        { NSWorkspace_QZmntonname, volume },
        { NSWorkspace_QZmntfromname, "tmpfs" },
    };
    EXPECT_EQ(expected, propertiesOf(volume));
    EXPECT_FALSE(NSWorkspace_QZAdditions::propertiesForPath(volume + "/missing"));
}

} // namespace
