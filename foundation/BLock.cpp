#include "foundation/BLock.h"

namespace Tr {

BLock::BLock() : mutex(new std::mutex) {}

BLock::~BLock() = default;

void BLock::Enter()
{
    std::thread::id self = std::this_thread::get_id();
    if (owner.load(std::memory_order_relaxed) != self) {
        mutex->lock();
        owner.store(self, std::memory_order_relaxed);
    }
    entries.fetch_add(1, std::memory_order_relaxed);
}

void BLock::Leave()
{
    if (entries.fetch_sub(1, std::memory_order_relaxed) == 1) {
        owner.store(std::thread::id(), std::memory_order_relaxed);
        mutex->unlock();
    }
}

void BLock::Reset()
{
    if (entries.load() == 0)
        mutex.reset(new std::mutex);
}

} // namespace Tr
