#include "app/install/NSWorkspace_QZAdditions.h"

#include "platform/statfs/VolumeStatfs.h"

#include <algorithm>
#include <cctype>
#include <cstring>

char const* const NSWorkspace_QZfstypename = "NSWorkspace_QZfstypename";
char const* const NSWorkspace_QZmntonname = "NSWorkspace_QZmntonname";
char const* const NSWorkspace_QZmntfromname = "NSWorkspace_QZmntfromname";
char const* const NSWorkspace_QZdeviceinfo = "NSWorkspace_QZdeviceinfo";
char const* const NSWorkspace_QZimagefilepath = "NSWorkspace_QZimagefilepath";
char const* const NSWorkspace_QZconnectiontype = "NSWorkspace_QZconnectiontype";
char const* const NSWorkspace_QZpartitionscheme = "NSWorkspace_QZpartitionscheme";

namespace {

bool containsIgnoringCase(std::string const& text, std::string const& part)
{
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

std::string trimmed(std::string const& text)
{
    char const* blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<std::string> valueOf(IOProperties const* table, char const* key)
{
    std::string const* value = table != nullptr ? table->text(key) : nullptr;
    return value != nullptr ? std::optional<std::string>(*value) : std::nullopt;
}

std::optional<std::string> valueOf(VolumeProperties const& properties, char const* key)
{
    auto found = properties.find(key);
    return found != properties.end() ? std::optional<std::string>(found->second) : std::nullopt;
}

void storeIfPresent(VolumeProperties& properties, char const* key, std::optional<std::string> const& value)
{
    if (value)
        properties[key] = *value;
}

// The partition scheme and the image path that an entry of this class tells.
void readSchemeAndImage(io_registry_entry_t entry, IOProperties const& props, VolumeProperties& properties)
{
    std::optional<std::string> scheme;
    std::optional<std::string> image;
    if (IOObjectConformsTo(entry, "IOApplePartitionScheme"))
        scheme = valueOf(&props, "Content Mask");
    else if (IOObjectConformsTo(entry, "IOMedia"))
        scheme = valueOf(&props, "Content");
    else if (IOObjectConformsTo(entry, "IODiskImageBlockStorageDeviceOutKernel"))
        image = valueOf(props.table("Protocol Characteristics"), "Virtual Interface Location Path");
    else if (IOObjectConformsTo(entry, "IOHDIXHDDriveInKernel"))
        image = valueOf(&props, "KDIURLPath");
    storeIfPresent(properties, NSWorkspace_QZpartitionscheme, scheme);
    storeIfPresent(properties, NSWorkspace_QZimagefilepath, image);
}

std::optional<std::string> addDeviceDescription(std::optional<std::string> text, IOProperties const& props)
{
    IOProperties const* device = props.table("Device Characteristics");
    for (char const* key : { "Product Name", "Product Revision Level", "Vendor Name" })
        text = AddPart(text, valueOf(device, key));
    text = AddPart(text, valueOf(&props, "USB Serial Number"));
    return AddPart(text, valueOf(&props, "USB Vendor Name"));
}

} // namespace

std::optional<std::string> AddPart(std::optional<std::string> const& existing, std::optional<std::string> const& part)
{
    if (!part)
        return existing;
    std::string trimmedPart = trimmed(*part);
    if (!existing)
        return trimmedPart;
    if (containsIgnoringCase(*existing, trimmedPart))
        return existing;
    if (containsIgnoringCase(trimmedPart, *existing))
        return trimmedPart;
    return *existing + "; " + trimmedPart;
}

std::optional<std::string> CheckParents(io_registry_entry_t entry, std::optional<std::string> text,
                                        VolumeProperties& properties)
{
    io_iterator_t parents = nullptr;
    if (IORegistryEntryGetParentIterator(entry, kIOServicePlane, &parents) != KERN_SUCCESS)
        return text;
    while (io_registry_entry_t parent = IOIteratorNext(parents)) {
        IOProperties props;
        IORegistryEntryCreateCFProperties(parent, &props);
        readSchemeAndImage(parent, props, properties);
        IOProperties const* protocol = props.table("Protocol Characteristics");
        std::optional<std::string> interconnect = valueOf(protocol != nullptr ? protocol : &props,
                                                          "Physical Interconnect");
        if (interconnect)
            properties[NSWorkspace_QZconnectiontype]
                = *AddPart(valueOf(properties, NSWorkspace_QZconnectiontype), interconnect);
        text = addDeviceDescription(text, props);
        io_name_t className = "";
        IOObjectGetClass(parent, className);
        if (std::strcmp(className, "IOPCIDevice") != 0)
            text = CheckParents(parent, text, properties);
        IOObjectRelease(parent);
    }
    IOObjectRelease(parents);
    return text;
}

std::optional<VolumeProperties> NSWorkspace_QZAdditions::propertiesForPath(std::string const& path)
{
    VolumeStatfs volume;
    if (volumeStatfs(path.c_str(), &volume) != 0)
        return std::nullopt;
    VolumeProperties properties { { NSWorkspace_QZfstypename, volume.f_fstypename },
                                  { NSWorkspace_QZmntonname, volume.f_mntonname } };
    if (volume.f_mntfromname.compare(0, 5, "/dev/") == 0) {
        io_iterator_t services = nullptr;
        IOMatchingDictionary* matching
            = IOBSDNameMatching(kIOMasterPortDefault, 0, volume.f_mntfromname.c_str() + 5);
        if (IOServiceGetMatchingServices(kIOMasterPortDefault, matching, &services) == KERN_SUCCESS) {
            while (io_service_t service = IOIteratorNext(services)) {
                storeIfPresent(properties, NSWorkspace_QZdeviceinfo, CheckParents(service, std::nullopt, properties));
                IOObjectRelease(service);
            }
            IOObjectRelease(services);
        }
    }
    properties[NSWorkspace_QZmntfromname] = volume.f_mntfromname;
    return properties;
}
