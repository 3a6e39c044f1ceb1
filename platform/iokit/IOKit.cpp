#include "platform/iokit/IOKit.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

enum class Kind { Partition, Disk, Device };

// A registry entry as a place in sysfs: the disk, and the partition for a partition.
struct Node
{
    Kind kind;
    std::string disk;
    std::string partition;
};

struct Entry : IOObject
{
    explicit Entry(Node n) : node(std::move(n)) {}
    Node node;
};

struct Iterator : IOObject
{
    std::vector<Node> nodes;
    size_t next = 0;
};

std::string sysfsBlock()
{
    char const* root = std::getenv("DRAVIK_SYSFS");
    return std::string(root != nullptr && root[0] != 0 ? root : "/sys") + "/block/";
}

bool isFolder(std::string const& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isLoop(std::string const& disk)
{
    return isFolder(sysfsBlock() + disk + "/loop");
}

// The first line of a sysfs attribute without surrounding blanks; false when it cannot be read.
bool readAttribute(std::string const& path, std::string& value)
{
    std::ifstream in(path);
    if (!in || !std::getline(in, value))
        return false;
    size_t first = value.find_first_not_of(" \t\r");
    size_t last = value.find_last_not_of(" \t\r");
    value = first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    return true;
}

// A BSD name is one plain folder name.
bool isPlainName(char const* name)
{
    return name[0] != 0 && std::strchr(name, '/') == nullptr && std::strcmp(name, ".") != 0
           && std::strcmp(name, "..") != 0;
}

// The disk or partition of that name: a disk is a folder of sysfs's block
// folder, a partition a folder holding "partition" inside its disk's folder.
bool findNode(std::string const& name, Node& node)
{
    std::string block = sysfsBlock();
    if (isFolder(block + name)) {
        node = { Kind::Disk, name, {} };
        return true;
    }
    DIR* disks = opendir(block.c_str());
    if (disks == nullptr)
        return false;
    bool found = false;
    while (dirent* disk = readdir(disks)) {
        std::string folder = block + disk->d_name + "/" + name;
        struct stat info;
        if (disk->d_name[0] != '.' && stat((folder + "/partition").c_str(), &info) == 0) {
            node = { Kind::Partition, disk->d_name, name };
            found = true;
            break;
        }
    }
    closedir(disks);
    return found;
}

std::vector<Node> parentsOf(Node const& node)
{
    if (node.kind == Kind::Partition)
        return { { Kind::Disk, node.disk, {} } };
    if (node.kind == Kind::Disk)
        return { { Kind::Device, node.disk, {} } };
    return {};
}

std::vector<char const*> classesOf(Node const& node)
{
    if (node.kind != Kind::Device)
        return { "IOMedia", "IOStorage", "IOService", "IORegistryEntry" };
    if (isLoop(node.disk))
        return { "IODiskImageBlockStorageDeviceOutKernel", "IOBlockStorageDevice", "IOService", "IORegistryEntry" };
    return { "IOBlockStorageDevice", "IOService", "IORegistryEntry" };
}

// Copies each attribute that can be read into the table under its key.
void readAttributes(std::string const& folder, std::initializer_list<std::pair<char const*, char const*>> attributes,
                    IOProperties& table)
{
    for (auto const& [file, key] : attributes) {
        std::string value;
        if (readAttribute(folder + file, value))
            table.setText(key, value);
    }
}

IOProperties propertiesOf(Node const& node)
{
    IOProperties properties;
    if (node.kind != Kind::Device) {
        properties.setText("BSD Name", node.kind == Kind::Partition ? node.partition : node.disk);
        return properties;
    }
    std::string folder = sysfsBlock() + node.disk;
    IOProperties device;
    if (isLoop(node.disk)) {
        IOProperties protocol;
        protocol.setText("Physical Interconnect", "Virtual Interface");
        readAttributes(folder, { { "/loop/backing_file", "Virtual Interface Location Path" } }, protocol);
        properties.setTable("Protocol Characteristics", protocol);
        device.setText("Product Name", "Disk Image");
    } else {
        readAttributes(folder, { { "/device/vendor", "Vendor Name" }, { "/device/model", "Product Name" },
                                 { "/device/rev", "Product Revision Level" } },
                       device);
    }
    properties.setTable("Device Characteristics", device);
    return properties;
}

Entry* entryOf(io_object_t object)
{
    return dynamic_cast<Entry*>(object);
}

} // namespace

std::string const* IOProperties::text(std::string const& key) const
{
    auto found = texts.find(key);
    return found == texts.end() ? nullptr : &found->second;
}

IOProperties const* IOProperties::table(std::string const& key) const
{
    auto found = tables.find(key);
    return found == tables.end() ? nullptr : found->second.get();
}

void IOProperties::setText(std::string const& key, std::string const& value)
{
    texts[key] = value;
}

void IOProperties::setTable(std::string const& key, IOProperties const& value)
{
    tables[key] = std::make_shared<IOProperties const>(value);
}

IOMatchingDictionary* IOBSDNameMatching(mach_port_t, IOOptionBits, char const* bsdName)
{
    return bsdName == nullptr ? nullptr : new IOMatchingDictionary { bsdName };
}

kern_return_t IOServiceGetMatchingServices(mach_port_t, IOMatchingDictionary* matching, io_iterator_t* existing)
{
    std::unique_ptr<IOMatchingDictionary> owned(matching);
    if (matching == nullptr || existing == nullptr)
        return kIOReturnBadArgument;
    auto* iterator = new Iterator;
    Node node;
    if (isPlainName(matching->bsdName.c_str()) && findNode(matching->bsdName, node))
        iterator->nodes.push_back(node);
    *existing = iterator;
    return KERN_SUCCESS;
}

io_object_t IOIteratorNext(io_iterator_t iterator)
{
    auto* it = dynamic_cast<Iterator*>(iterator);
    if (it == nullptr || it->next >= it->nodes.size())
        return nullptr;
    return new Entry(it->nodes[it->next++]);
}

kern_return_t IORegistryEntryGetParentIterator(io_registry_entry_t entry, char const* plane, io_iterator_t* parents)
{
    Entry* e = entryOf(entry);
    if (e == nullptr || plane == nullptr || parents == nullptr)
        return kIOReturnBadArgument;
    auto* iterator = new Iterator;
    if (std::strcmp(plane, kIOServicePlane) == 0)
        iterator->nodes = parentsOf(e->node);
    *parents = iterator;
    return KERN_SUCCESS;
}

kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry, IOProperties* properties)
{
    Entry* e = entryOf(entry);
    if (e == nullptr || properties == nullptr)
        return kIOReturnBadArgument;
    *properties = propertiesOf(e->node);
    return KERN_SUCCESS;
}

bool IOObjectConformsTo(io_object_t object, char const* className)
{
    Entry* e = entryOf(object);
    if (e == nullptr || className == nullptr)
        return false;
    for (char const* name : classesOf(e->node))
        if (std::strcmp(name, className) == 0)
            return true;
    return false;
}

kern_return_t IOObjectGetClass(io_object_t object, io_name_t className)
{
    Entry* e = entryOf(object);
    if (e == nullptr || className == nullptr)
        return kIOReturnBadArgument;
    std::strncpy(className, classesOf(e->node).front(), sizeof(io_name_t) - 1);
    className[sizeof(io_name_t) - 1] = 0;
    return KERN_SUCCESS;
}

kern_return_t IOObjectRelease(io_object_t object)
{
    if (object == nullptr)
        return kIOReturnBadArgument;
    delete object;
    return KERN_SUCCESS;
}
