#include "platform/cocoa/NSObject.h"

#include <cstddef>
#include <vector>

namespace {

// Objects autoreleased on this thread, oldest first; pools drain from their mark on.
struct PendingReleases
{
    ~PendingReleases() { drainFrom(0); }

    void drainFrom(std::size_t mark)
    {
        while (objects.size() > mark) {
            NSObject* last = objects.back();
            objects.pop_back();
            last->release();
        }
    }

    std::vector<NSObject*> objects;
};

PendingReleases& pending()
{
    thread_local PendingReleases releases;
    return releases;
}

} // namespace

NSObject::NSObject() : count(1) {}

NSObject::~NSObject() = default;

NSObject* NSObject::retain()
{
    count.fetch_add(1, std::memory_order_relaxed);
    return this;
}

void NSObject::release()
{
    if (count.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

NSObject* NSObject::autorelease()
{
    pending().objects.push_back(this);
    return this;
}

long NSObject::retainCount() const
{
    return count.load(std::memory_order_acquire);
}

NSAutoreleasePool::NSAutoreleasePool() : mark(pending().objects.size()) {}

NSAutoreleasePool::~NSAutoreleasePool()
{
    pending().drainFrom(mark);
}
