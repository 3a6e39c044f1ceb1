#pragma once
// The properties of the volume that holds a path: its file system, its mount
// point, the device it is mounted from, and for a device the storage behind it
// (a disk image's file among them).

#include "platform/iokit/IOKit.h"

#include <map>
#include <optional>
#include <string>

// The keys of the volume properties; each text equals its name.
extern char const* const NSWorkspace_QZfstypename;
extern char const* const NSWorkspace_QZmntonname;
extern char const* const NSWorkspace_QZmntfromname;
extern char const* const NSWorkspace_QZdeviceinfo;
extern char const* const NSWorkspace_QZimagefilepath;
extern char const* const NSWorkspace_QZconnectiontype;
extern char const* const NSWorkspace_QZpartitionscheme;

using VolumeProperties = std::map<std::string, std::string>;

class NSWorkspace_QZAdditions
{
public:
    NSWorkspace_QZAdditions() = delete;

    // The properties of the volume holding path; none when it cannot be found.
    static std::optional<VolumeProperties> propertiesForPath(std::string const& path);
};

// Walks up the registry from entry's parents to the PCI device, storing the
// partition scheme, image path and connection types it meets in properties,
// and returns text with the device descriptions found added.
std::optional<std::string> CheckParents(io_registry_entry_t entry, std::optional<std::string> text,
                                        VolumeProperties& properties);

// existing and part joined as "existing; part", with part trimmed of white
// space; where one contains the other (ignoring case), only the longer one.
std::optional<std::string> AddPart(std::optional<std::string> const& existing, std::optional<std::string> const& part);
