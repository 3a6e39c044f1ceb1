#pragma once

#include "platform/corefoundation/CFBase.h"

// Immutable arrays of CoreFoundation objects, which they retain.
typedef const struct __CFArray* CFArrayRef;

struct CFArrayCallBacks;
// The only kind of array here: the values are objects, retained while in the array.
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, void const** values, CFIndex count,
                         CFArrayCallBacks const* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
// Null outside 0 .. count - 1.
void const* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
