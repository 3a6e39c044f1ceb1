#include "platform/launchservices/LSSharedFileList.h"

#include "platform/corefoundation/CFObject.h"
#include "platform/launchservices/AutostartEntry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct OpaqueLSSharedFileListRef : CFObject
{
    explicit OpaqueLSSharedFileListRef(std::string autostartFolder) : folder(std::move(autostartFolder)) {}

    std::string const folder;
};

struct OpaqueLSSharedFileListItemRef : CFObject
{
    OpaqueLSSharedFileListItemRef(std::string file, std::string itemPath)
        : entryFile(std::move(file)), path(std::move(itemPath))
    {
    }

    std::string const entryFile;
    std::string const path;
};

const CFStringRef kLSSharedFileListSessionLoginItems =
    CFStringCreateWithCString(kCFAllocatorDefault, "com.apple.LSSharedFileList.SessionLoginItems",
                              kCFStringEncodingUTF8);

namespace {

OpaqueLSSharedFileListItemRef beforeFirst("", "");
OpaqueLSSharedFileListItemRef last("", "");

std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The entry files of the folder, by name.
std::vector<std::string> entryFiles(std::string const& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent const* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string stringOf(CFStringRef text)
{
    std::vector<char> buffer(static_cast<std::size_t>(
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1));
    return CFStringGetCString(text, buffer.data(), static_cast<CFIndex>(buffer.size()), kCFStringEncodingUTF8)
               ? buffer.data()
               : "";
}

std::string pathOf(CFURLRef url)
{
    std::vector<unsigned char> buffer(4096);
    return CFURLGetFileSystemRepresentation(url, true, buffer.data(), static_cast<CFIndex>(buffer.size()))
               ? reinterpret_cast<char const*>(buffer.data())
               : "";
}

// The folder and its missing parents; false when it cannot be made.
bool makeFolders(std::string const& folder)
{
    for (std::string::size_type slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// Written to a temporary file beside the target and renamed over it, so a
// failure leaves any old entry as it was.
bool replaceFile(std::string const& path, std::string const& text)
{
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return false;
    bool written = fchmod(fd, 0644) == 0 && write(fd, text.data(), text.size()) == ssize_t(text.size())
                   && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (written && std::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    unlink(temp.c_str());
    return false;
}

// The first file name from name, name-2, name-3 ... that holds no visible entry
// of another program.
std::string freeEntryFile(std::string const& folder, std::string const& name, std::string const& program)
{
    for (int n = 1; ; ++n) {
        std::string file = folder + "/" + autostart::fileNameFor(n == 1 ? name : name + "-" + std::to_string(n));
        std::string present = autostart::programOf(readFile(file));
        if (present.empty() || present == program)
            return file;
    }
}

} // namespace

const LSSharedFileListItemRef kLSSharedFileListItemBeforeFirst = &beforeFirst;
const LSSharedFileListItemRef kLSSharedFileListItemLast = &last;

LSSharedFileListRef LSSharedFileListCreate(CFAllocatorRef, CFStringRef listType, CFTypeRef)
{
    if (listType != kLSSharedFileListSessionLoginItems)
        return nullptr;
    return new OpaqueLSSharedFileListRef(autostart::folder());
}

CFArrayRef LSSharedFileListCopySnapshot(LSSharedFileListRef list, UInt32* seed)
{
    if (seed)
        *seed = 0;
    std::vector<CFTypeRef> items;
    for (std::string const& name : list ? entryFiles(list->folder) : std::vector<std::string>()) {
        std::string file = list->folder + "/" + name;
        std::string program = autostart::programOf(readFile(file));
        if (!program.empty())
            items.push_back(new OpaqueLSSharedFileListItemRef(file, autostart::bundleOf(program)));
    }
    CFArrayRef snapshot = CFArrayCreate(kCFAllocatorDefault, items.data(), static_cast<CFIndex>(items.size()),
                                        &kCFTypeArrayCallBacks);
    for (CFTypeRef item : items)
        CFRelease(item);
    return snapshot;
}

LSSharedFileListItemRef LSSharedFileListInsertItemURL(LSSharedFileListRef list, LSSharedFileListItemRef,
                                                      CFStringRef displayName, CFURLRef url)
{
    std::string path = pathOf(url);
    if (!list || path.empty() || !makeFolders(list->folder))
        return nullptr;
    std::string name = displayName ? stringOf(displayName) : path.substr(path.rfind('/') + 1);
    if (!displayName && name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0)
        name.erase(name.size() - 4);
    std::string program = autostart::programFor(path);
    std::string file = freeEntryFile(list->folder, name, program);
    if (!replaceFile(file, autostart::entryText(name, program)))
        return nullptr;
    return new OpaqueLSSharedFileListItemRef(file, path);
}

OSStatus LSSharedFileListItemResolve(LSSharedFileListItemRef item, UInt32, CFURLRef* outURL)
{
    if (!item || !outURL || item->path.empty())
        return paramErr;
    *outURL = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<unsigned char const*>(item->path.data()),
        static_cast<CFIndex>(item->path.size()), false);
    return noErr;
}

OSStatus LSSharedFileListItemRemove(LSSharedFileListRef list, LSSharedFileListItemRef item)
{
    if (!list || !item || item->entryFile.empty())
        return paramErr;
    return unlink(item->entryFile.c_str()) == 0 || errno == ENOENT ? noErr : ioErr;
}
