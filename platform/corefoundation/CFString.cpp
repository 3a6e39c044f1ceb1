#include "platform/corefoundation/CFString.h"

#include "platform/corefoundation/CFObject.h"
#include "platform/corefoundation/MacRoman.h"
#include "platform/corefoundation/Utf8Text.h"

#include <climits>
#include <cstring>
#include <string>

struct __CFString : CFObject
{
    __CFString(std::string text, CFIndex units) : utf8(std::move(text)), utf16Length(units) {}

    std::string const utf8;
    CFIndex const utf16Length;
};

namespace {

bool isSupported(CFStringEncoding encoding)
{
    return encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingMacRoman;
}

// The text in the encoding asked for; false when it cannot be given in it.
bool encodedText(CFStringRef string, CFStringEncoding encoding, std::string& text)
{
    if (encoding == kCFStringEncodingUTF8) {
        text = string->utf8;
        return true;
    }
    std::u32string codePoints;
    return platform_text::decodeUtf8(string->utf8.data(), string->utf8.size(), codePoints)
           && platform_text::macRomanOf(codePoints, text);
}

} // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef, char const* text, CFStringEncoding encoding)
{
    if (!text || !isSupported(encoding))
        return nullptr;
    std::string utf8 = encoding == kCFStringEncodingUTF8 ? text : platform_text::utf8OfMacRoman(text);
    long units = platform_text::utf16LengthOfUtf8(utf8.data(), utf8.size());
    return units < 0 ? nullptr : new __CFString(std::move(utf8), units);
}

CFIndex CFStringGetLength(CFStringRef string)
{
    return string ? string->utf16Length : 0;
}

// A UTF-16 unit takes up to 3 UTF-8 bytes (a pair takes 4 for its 2 units) and 1 Mac Roman byte.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
    if (!isSupported(encoding) || length < 0 || length > LONG_MAX / 3)
        return kCFNotFound;
    return encoding == kCFStringEncodingUTF8 ? length * 3 : length;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
    std::string text;
    if (!string || !buffer || !isSupported(encoding) || !encodedText(string, encoding, text))
        return false;
    CFIndex bytes = static_cast<CFIndex>(text.size());
    if (bufferSize < bytes + 1)
        return false;
    std::memcpy(buffer, text.c_str(), static_cast<size_t>(bytes) + 1);
    return true;
}
