#include "platform/corefoundation/CFString.h"

#include "platform/corefoundation/CFObject.h"
#include "platform/corefoundation/Utf8Text.h"

#include <climits>
#include <cstring>
#include <string>

struct __CFString : CFObject
{
    __CFString(char const* text, size_t bytes, CFIndex units) : utf8(text, bytes), utf16Length(units) {}

    std::string const utf8;
    CFIndex const utf16Length;
};

CFStringRef CFStringCreateWithCString(CFAllocatorRef, char const* text, CFStringEncoding encoding)
{
    if (!text || encoding != kCFStringEncodingUTF8)
        return nullptr;
    size_t bytes = std::strlen(text);
    long units = platform_text::utf16LengthOfUtf8(text, bytes);
    return units < 0 ? nullptr : new __CFString(text, bytes, units);
}

CFIndex CFStringGetLength(CFStringRef string)
{
    return string ? string->utf16Length : 0;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
    if (encoding != kCFStringEncodingUTF8 || length < 0 || length > LONG_MAX / 3)
        return kCFNotFound;
    return length * 3;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
    if (!string || !buffer || encoding != kCFStringEncodingUTF8)
        return false;
    CFIndex bytes = static_cast<CFIndex>(string->utf8.size());
    if (bufferSize < bytes + 1)
        return false;
    std::memcpy(buffer, string->utf8.c_str(), static_cast<size_t>(bytes) + 1);
    return true;
}
