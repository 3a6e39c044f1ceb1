#pragma once

#include "platform/corefoundation/CFBase.h"

// Immutable strings. This stand-in holds UTF-8 and converts from and to UTF-8 and Mac Roman.
typedef const struct __CFString* CFStringRef;
typedef unsigned int CFStringEncoding;

enum : CFStringEncoding { kCFStringEncodingMacRoman = 0, kCFStringEncodingUTF8 = 0x08000100 };

// Null for a null text, another encoding or bytes that are not valid UTF-8 (every byte is a
// Mac Roman character).
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, char const* text, CFStringEncoding encoding);
// The length in UTF-16 units.
CFIndex CFStringGetLength(CFStringRef string);
// The most bytes that length UTF-16 units can need, without the terminating zero.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Copies the text and its zero; false when the buffer is too small, for another encoding, or
// when a character has no Mac Roman byte.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
