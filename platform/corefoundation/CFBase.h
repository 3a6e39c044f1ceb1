#pragma once

// The CoreFoundation base types and reference counting that our code calls.
typedef const void* CFTypeRef;
typedef long CFIndex;
typedef unsigned char Boolean;
typedef const struct __CFAllocator* CFAllocatorRef;

enum : CFIndex { kCFNotFound = -1 };

extern const CFAllocatorRef kCFAllocatorDefault;

// Releasing or retaining a null object does nothing here (CoreFoundation would crash).
CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);
// Equal values of one type; a null object equals nothing (CoreFoundation would crash).
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
