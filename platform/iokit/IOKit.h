#pragma once
// Stand-in for the part of the IOKit registry that describes block storage,
// read from sysfs (/sys, or the folder named by the environment variable
// DRAVIK_SYSFS, which tests use). The registry has three kinds of entries:
//   - a partition ("loop0p1", "sda2"): class IOMedia;
//   - a whole disk ("loop0", "sda"): class IOMedia, the partition's parent;
//   - the storage device behind a disk, its parent and the root of the walk:
//     class IODiskImageBlockStorageDeviceOutKernel for a loop device, whose
//     "Protocol Characteristics" hold "Physical Interconnect" = "Virtual
//     Interface" and, when the loop is bound, "Virtual Interface Location Path"
//     = its backing file (sysfs block/loopN/loop/backing_file); otherwise class
//     IOBlockStorageDevice with the "Device Characteristics" "Vendor Name",
//     "Product Name" and "Product Revision Level" that sysfs gives.
// Every entry has its "BSD Name" where it has one. Property values are plain
// C++: texts (data values as their bytes) and tables.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

typedef int kern_return_t;
typedef unsigned int mach_port_t;
typedef uint32_t IOOptionBits;
typedef char io_name_t[128];

enum : kern_return_t { KERN_SUCCESS = 0, kIOReturnBadArgument = -536870206 };

// There are no Mach ports here: the default port stands for every port.
constexpr mach_port_t kIOMasterPortDefault = 0;
constexpr char kIOServicePlane[] = "IOService";

// A registry entry or an iterator; each handle is released with IOObjectRelease.
class IOObject
{
public:
    virtual ~IOObject() = default;
};
typedef IOObject* io_object_t;
typedef io_object_t io_registry_entry_t;
typedef io_object_t io_service_t;
typedef io_object_t io_iterator_t;

// The properties of an entry.
class IOProperties
{
public:
    // The text (or data bytes) stored under key; null when there is none.
    std::string const* text(std::string const& key) const;
    // The table stored under key; null when there is none.
    IOProperties const* table(std::string const& key) const;
    void setText(std::string const& key, std::string const& value);
    void setTable(std::string const& key, IOProperties const& value);

private:
    std::map<std::string, std::string> texts;
    std::map<std::string, std::shared_ptr<IOProperties const>> tables;
};

// What IOServiceGetMatchingServices looks for.
struct IOMatchingDictionary
{
    std::string bsdName;
};

// A new dictionary that matches the entry of that BSD name ("disk" for
// "/dev/disk"); null for a null name.
IOMatchingDictionary* IOBSDNameMatching(mach_port_t masterPort, IOOptionBits options, char const* bsdName);
// Takes over matching (and deletes it). The iterator holds the matching
// entries: none when nothing matches.
kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, IOMatchingDictionary* matching,
                                           io_iterator_t* existing);
// The next entry (a new handle), or null at the end.
io_object_t IOIteratorNext(io_iterator_t iterator);
// The entry's parents in the IOService plane (any other plane has none).
kern_return_t IORegistryEntryGetParentIterator(io_registry_entry_t entry, char const* plane,
                                               io_iterator_t* parents);
kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry, IOProperties* properties);
// True when the entry's class is className or derives from it.
bool IOObjectConformsTo(io_object_t object, char const* className);
kern_return_t IOObjectGetClass(io_object_t object, io_name_t className);
kern_return_t IOObjectRelease(io_object_t object);
