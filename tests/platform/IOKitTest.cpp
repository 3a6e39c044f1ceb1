#include "platform/iokit/IOKit.h"

#include "tests/foundation/FileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using FileTest::ScopedEnv;
using FileTest::TempFolder;

namespace {

// The classes of the entries that match the BSD name, and of their parents in
// the plane, one list per entry ("IOMedia<IOMedia" for a partition of a disk).
std::vector<std::string> matching(char const* name, char const* plane = kIOServicePlane)
{
    io_iterator_t services = nullptr;
    EXPECT_EQ(KERN_SUCCESS, IOServiceGetMatchingServices(kIOMasterPortDefault,
                                                         IOBSDNameMatching(kIOMasterPortDefault, 0, name), &services));
    std::vector<std::string> found;
    while (io_object_t entry = IOIteratorNext(services)) {
        std::string chain;
        while (entry != nullptr) {
            io_name_t className;
            IOObjectGetClass(entry, className);
            chain += (chain.empty() ? "" : "<") + std::string(className);
            io_iterator_t parents = nullptr;
            IORegistryEntryGetParentIterator(entry, plane, &parents);
            IOObjectRelease(entry);
            entry = IOIteratorNext(parents);
            IOObjectRelease(parents);
        }
        found.push_back(chain);
    }
    IOObjectRelease(services);
    return found;
}

// The properties of the loop device and of the disk are checked where they are
// read, with the volume properties; here: which names find which entries.
TEST(IOKitRegistry, OnlyNamesInTheBlockFolderMatch)
{
    TempFolder sys;
    ScopedEnv root("DRAVIK_SYSFS", sys.path().c_str());
    std::filesystem::create_directories(sys / "block/loop3/loop");
    std::filesystem::create_directories(sys / "block/loop3/loop3p1");
    FileTest::writeFile(sys / "block/loop3/loop3p1/partition", "1\n");
    std::filesystem::create_directories(sys / "block/sda/sda2");
    FileTest::writeFile(sys / "block/sda/sda2/partition", "2\n");

    using Chains = std::vector<std::string>;
    char const* const loopDevice = "IODiskImageBlockStorageDeviceOutKernel";
    EXPECT_EQ(Chains { std::string("IOMedia<IOMedia<") + loopDevice }, matching("loop3p1"));
    EXPECT_EQ(Chains { std::string("IOMedia<") + loopDevice }, matching("loop3"));
    EXPECT_EQ(Chains { "IOMedia<IOMedia<IOBlockStorageDevice" }, matching("sda2"));
    EXPECT_EQ(Chains { "IOMedia" }, matching("loop3", "IODeviceTree"));
    for (char const* name : { "loop9", "", "..", ".", "loop3/loop", "block", "sda/sda2", "../block/sda" })
        EXPECT_TRUE(matching(name).empty()) << name;
    io_iterator_t none = nullptr;
    EXPECT_EQ(kIOReturnBadArgument,
              IOServiceGetMatchingServices(kIOMasterPortDefault, IOBSDNameMatching(kIOMasterPortDefault, 0, nullptr),
                                           &none));
}

} // namespace
