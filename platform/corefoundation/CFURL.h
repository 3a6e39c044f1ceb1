#pragma once

#include "platform/corefoundation/CFBase.h"

// File URLs only: a URL holds a path in the file system's own bytes (UTF-8 here).
typedef const struct __CFURL* CFURLRef;

// Trailing slashes are dropped, so the URLs of a folder with and without them are
// equal (CFEqual compares the paths). Null for a null or empty path.
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, unsigned char const* buffer,
                                                 CFIndex length, Boolean isDirectory);
// Copies the path and its zero; false when the buffer is too small.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, unsigned char* buffer,
                                         CFIndex maxBufLen);
