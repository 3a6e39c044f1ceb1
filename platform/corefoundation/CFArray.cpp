#include "platform/corefoundation/CFArray.h"

#include "platform/corefoundation/CFObject.h"

#include <vector>

struct CFArrayCallBacks
{
};

const CFArrayCallBacks kCFTypeArrayCallBacks {};

struct __CFArray : CFObject
{
    ~__CFArray() override
    {
        for (CFTypeRef value : values)
            CFRelease(value);
    }

    std::vector<CFTypeRef> values;
};

CFArrayRef CFArrayCreate(CFAllocatorRef, void const** values, CFIndex count, CFArrayCallBacks const*)
{
    auto* array = new __CFArray;
    for (CFIndex i = 0; values && i < count; ++i)
        array->values.push_back(CFRetain(values[i]));
    return array;
}

CFIndex CFArrayGetCount(CFArrayRef array)
{
    return array ? static_cast<CFIndex>(array->values.size()) : 0;
}

void const* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index)
{
    if (!array || index < 0 || index >= CFArrayGetCount(array))
        return nullptr;
    return array->values[static_cast<std::size_t>(index)];
}
