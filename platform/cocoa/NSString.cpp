#include "platform/cocoa/NSString.h"

#include "platform/corefoundation/Utf8Text.h"

#include <cstring>

NSString::NSString(char const* text, NSUInteger units) : utf8(text), utf16Length(units) {}

NSString* NSString::stringWithCString(char const* text, NSStringEncoding encoding)
{
    if (!text || encoding != NSUTF8StringEncoding)
        return nullptr;
    long units = platform_text::utf16LengthOfUtf8(text, std::strlen(text));
    if (units < 0)
        return nullptr;
    auto* string = new NSString(text, static_cast<NSUInteger>(units));
    string->autorelease();
    return string;
}

char const* NSString::cStringUsingEncoding(NSStringEncoding encoding) const
{
    return encoding == NSUTF8StringEncoding ? utf8.c_str() : nullptr;
}

NSUInteger NSString::length() const
{
    return utf16Length;
}
