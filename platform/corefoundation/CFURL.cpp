#include "platform/corefoundation/CFURL.h"

#include "platform/corefoundation/CFObject.h"

#include <cstring>
#include <string>

struct __CFURL : CFObject
{
    explicit __CFURL(std::string filePath) : path(std::move(filePath)) {}

    bool isEqual(CFObject const& other) const override
    {
        auto const* url = dynamic_cast<__CFURL const*>(&other);
        return url && url->path == path;
    }

    std::string const path;
};

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, unsigned char const* buffer, CFIndex length,
                                                 Boolean)
{
    if (!buffer || length <= 0)
        return nullptr;
    std::string path(reinterpret_cast<char const*>(buffer), static_cast<std::size_t>(length));
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return new __CFURL(path);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, unsigned char* buffer, CFIndex maxBufLen)
{
    if (!url || !buffer || maxBufLen < static_cast<CFIndex>(url->path.size()) + 1)
        return false;
    std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
    return true;
}
