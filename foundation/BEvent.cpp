#include "foundation/BEvent.h"

#include <cerrno>
#include <chrono>

namespace Tr {

BEvent::BEvent() : block(new Block) {}

BEvent::~BEvent() = default;

void BEvent::Notify()
{
    std::lock_guard<std::mutex> hold(block->mutex);
    block->condition.notify_all();
}

int BEvent::Wait()
{
    return WaitMs(0);
}

int BEvent::WaitMs(int millis)
{
    std::lock_guard<std::mutex> hold(block->mutex);
    return waitLocked(millis);
}

void BEvent::Reset()
{
    block.reset(new Block);
}

int BEvent::waitLocked(int millis)
{
    std::unique_lock<std::mutex> held(block->mutex, std::adopt_lock);
    int result = 0;
    if (millis > 0) {
        if (block->condition.wait_for(held, std::chrono::milliseconds(millis)) == std::cv_status::timeout)
            result = ETIMEDOUT;
    } else {
        block->condition.wait(held);
    }
    held.release();
    return result;
}

BLockedEvent::~BLockedEvent() = default;

void BLockedEvent::Enter()
{
    event.block->mutex.lock();
}

void BLockedEvent::Leave()
{
    event.block->mutex.unlock();
}

void BLockedEvent::Notify()
{
    event.block->condition.notify_all();
}

int BLockedEvent::Wait()
{
    return WaitMs(0);
}

int BLockedEvent::WaitMs(int millis)
{
    return event.waitLocked(millis);
}

} // namespace Tr
