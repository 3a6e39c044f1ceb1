#pragma once

#include <atomic>

// Common base of every stand-in CoreFoundation object, so that CFRetain and CFRelease work on
// any of them through a CFTypeRef. Each object type derives from it as its only base.
struct CFObject
{
    CFObject() : retainCount(1) {}
    virtual ~CFObject() = default;
    CFObject(CFObject const&) = delete;
    CFObject& operator=(CFObject const&) = delete;

    // CFEqual: by identity unless the type compares its values.
    virtual bool isEqual(CFObject const& other) const { return this == &other; }

    std::atomic<long> retainCount;
};
