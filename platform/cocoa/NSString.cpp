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

std::string NSStringWithFormat(std::string const& format, std::initializer_list<std::string> arguments)
{
    std::string text;
    auto argument = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char next = i + 1 < format.size() ? format[i + 1] : 0;
        if (format[i] != '%' || (next != '@' && next != '%')) {
            text += format[i];
            continue;
        }
        ++i;
        if (next == '%')
            text += '%';
        else
            text += argument != arguments.end() ? *argument++ : "(null)";
    }
    return text;
}
