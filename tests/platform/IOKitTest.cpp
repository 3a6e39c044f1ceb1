#include "platform/iokit/IOKit.h"

#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using FileTest::ScopedEnv;
using FileTest::TempFolder;

namespace {

// A sysfs tree of the test's own: a loop device with a partition, and a disk.
class IOKitRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        attribute("block/loop3/loop/backing_file", "/images/My Disk.img\n");
        attribute("block/loop3/loop3p1/partition", "1\n");
        attribute("block/sda/device/vendor", "ATA     \n");
        attribute("block/sda/device/model", "Fast SSD 1TB    \n");
        attribute("block/sda/sda2/partition", "2\n");
    }

    void attribute(std::string const& path, std::string const& value)
    {
        std::filesystem::create_directories(std::filesystem::path(sys / path).parent_path());
        FileTest::writeFile(sys / path, value);
    }

    // The entries that match the BSD name (each released).
    static std::vector<std::string> classesMatching(char const* name)
    {
        io_iterator_t services = nullptr;
        EXPECT_EQ(KERN_SUCCESS, IOServiceGetMatchingServices(kIOMasterPortDefault,
                                                             IOBSDNameMatching(kIOMasterPortDefault, 0, name),
                                                             &services));
        std::vector<std::string> classes;
        while (io_object_t service = IOIteratorNext(services)) {
            io_name_t className;
            IOObjectGetClass(service, className);
            classes.push_back(className);
            IOObjectRelease(service);
        }
        IOObjectRelease(services);
        return classes;
    }

    // The first parent of entry (null when it has none), releasing entry.
    static io_registry_entry_t parentReleasing(io_registry_entry_t entry)
    {
        io_iterator_t parents = nullptr;
        EXPECT_EQ(KERN_SUCCESS, IORegistryEntryGetParentIterator(entry, kIOServicePlane, &parents));
        io_registry_entry_t parent = IOIteratorNext(parents);
        EXPECT_EQ(nullptr, parent != nullptr ? IOIteratorNext(parents) : nullptr) << "a second parent";
        IOObjectRelease(parents);
        IOObjectRelease(entry);
        return parent;
    }

    static io_registry_entry_t service(char const* name)
    {
        io_iterator_t services = nullptr;
        IOServiceGetMatchingServices(kIOMasterPortDefault, IOBSDNameMatching(kIOMasterPortDefault, 0, name),
                                     &services);
        io_registry_entry_t found = IOIteratorNext(services);
        IOObjectRelease(services);
        return found;
    }

    TempFolder sys;
    ScopedEnv root { "DRAVIK_SYSFS", sys.path().c_str() };
};

TEST_F(IOKitRegistry, ALoopPartitionLeadsToTheImageFile)
{
    io_registry_entry_t entry = service("loop3p1");
    ASSERT_NE(nullptr, entry);
    EXPECT_TRUE(IOObjectConformsTo(entry, "IOMedia"));
    IOProperties props;
    ASSERT_EQ(KERN_SUCCESS, IORegistryEntryCreateCFProperties(entry, &props));
    EXPECT_EQ("loop3p1", *props.text("BSD Name"));

    entry = parentReleasing(entry);
    ASSERT_NE(nullptr, entry);
    IORegistryEntryCreateCFProperties(entry, &props);
    EXPECT_TRUE(IOObjectConformsTo(entry, "IOMedia"));
    EXPECT_EQ("loop3", *props.text("BSD Name"));

    entry = parentReleasing(entry);
    ASSERT_NE(nullptr, entry);
    EXPECT_TRUE(IOObjectConformsTo(entry, "IODiskImageBlockStorageDeviceOutKernel"));
    EXPECT_TRUE(IOObjectConformsTo(entry, "IOBlockStorageDevice"));
    EXPECT_FALSE(IOObjectConformsTo(entry, "IOMedia"));
    IORegistryEntryCreateCFProperties(entry, &props);
    ASSERT_NE(nullptr, props.table("Protocol Characteristics"));
    EXPECT_EQ("/images/My Disk.img", *props.table("Protocol Characteristics")->text("Virtual Interface Location Path"));
    EXPECT_EQ("Virtual Interface", *props.table("Protocol Characteristics")->text("Physical Interconnect"));
    EXPECT_EQ(nullptr, props.text("BSD Name"));

    EXPECT_EQ(nullptr, parentReleasing(entry));
}

TEST_F(IOKitRegistry, ADiskTellsItsDevice)
{
    io_registry_entry_t entry = parentReleasing(parentReleasing(service("sda2")));
    ASSERT_NE(nullptr, entry);
    io_name_t className;
    IOObjectGetClass(entry, className);
    EXPECT_STREQ("IOBlockStorageDevice", className);
    IOProperties props;
    IORegistryEntryCreateCFProperties(entry, &props);
    IOProperties const* device = props.table("Device Characteristics");
    ASSERT_NE(nullptr, device);
    EXPECT_EQ("ATA", *device->text("Vendor Name"));
    EXPECT_EQ("Fast SSD 1TB", *device->text("Product Name"));
    EXPECT_EQ(nullptr, device->text("Product Revision Level"));
    EXPECT_EQ(nullptr, props.table("Protocol Characteristics"));
    IOObjectRelease(entry);
}

TEST_F(IOKitRegistry, NamesOutsideTheBlockFolderMatchNothing)
{
    EXPECT_EQ(std::vector<std::string> { "IOMedia" }, classesMatching("loop3"));
    for (char const* name : { "loop9", "", "..", "loop3/loop", "block", "sda/sda2" })
        EXPECT_TRUE(classesMatching(name).empty()) << name;
    EXPECT_EQ(kIOReturnBadArgument,
              IOServiceGetMatchingServices(kIOMasterPortDefault, IOBSDNameMatching(kIOMasterPortDefault, 0, nullptr),
                                           nullptr));
}

TEST_F(IOKitRegistry, OtherPlanesHaveNoParents)
{
    io_registry_entry_t entry = service("loop3");
    io_iterator_t parents = nullptr;
    ASSERT_EQ(KERN_SUCCESS, IORegistryEntryGetParentIterator(entry, "IODeviceTree", &parents));
    EXPECT_EQ(nullptr, IOIteratorNext(parents));
    IOObjectRelease(parents);
    IOObjectRelease(entry);
}

} // namespace
