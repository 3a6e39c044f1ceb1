#pragma once

#include "platform/cocoa/NSObject.h"

#include <initializer_list>
#include <string>

typedef unsigned long NSUInteger;
typedef NSUInteger NSStringEncoding;

enum : NSStringEncoding { NSUTF8StringEncoding = 4 };

// Immutable text. This stand-in holds and converts UTF-8 only.
class NSString : public NSObject
{
public:
    // Autoreleased; null for a null text, another encoding or bytes that are not valid UTF-8.
    static NSString* stringWithCString(char const* text, NSStringEncoding encoding);

    // The text with its zero, valid while the string lives; null for another encoding.
    char const* cStringUsingEncoding(NSStringEncoding encoding) const;
    // The length in UTF-16 units.
    NSUInteger length() const;

private:
    NSString(char const* text, NSUInteger units);
    ~NSString() override = default;

    std::string const utf8;
    NSUInteger const utf16Length;
};


// What stringWithFormat: makes of a format whose conversions are all "%@": each
// takes the next argument's text, "%%" is a percent sign, and an "%@" left
// without an argument gives "(null)". Any other character stands as it is.
std::string NSStringWithFormat(std::string const& format, std::initializer_list<std::string> arguments = {});
