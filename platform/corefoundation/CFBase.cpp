#include "platform/corefoundation/CFBase.h"

#include "platform/corefoundation/CFObject.h"

const CFAllocatorRef kCFAllocatorDefault = nullptr;

namespace {

CFObject* objectOf(CFTypeRef object)
{
    return static_cast<CFObject*>(const_cast<void*>(object));
}

} // namespace

CFTypeRef CFRetain(CFTypeRef object)
{
    if (object)
        objectOf(object)->retainCount.fetch_add(1, std::memory_order_relaxed);
    return object;
}

void CFRelease(CFTypeRef object)
{
    if (object && objectOf(object)->retainCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete objectOf(object);
}

CFIndex CFGetRetainCount(CFTypeRef object)
{
    return object ? objectOf(object)->retainCount.load(std::memory_order_acquire) : 0;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b)
{
    return a && b && objectOf(a)->isEqual(*objectOf(b));
}
