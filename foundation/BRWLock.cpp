#include "foundation/BRWLock.h"

namespace Tr {

BRWLock::~BRWLock() = default;

void BRWLock::Enter(int write)
{
    std::unique_lock<std::mutex> held(mutex);
    if (heldForWriteByCurrentThread()) {
        ++(write ? writers : readers);
        return;
    }
    if (write)
        enterWrite(held);
    else
        enterRead(held);
}

void BRWLock::Leave(int write)
{
    std::lock_guard<std::mutex> held(mutex);
    if (!write) {
        leaveRead();
        return;
    }
    if (writers > 0 && --writers == 0) {
        writer = std::thread::id();
        changed.notify_all();
    }
}

int BRWLock::getReaderCount() const
{
    std::lock_guard<std::mutex> held(mutex);
    return readers;
}

int BRWLock::getWriterCount() const
{
    std::lock_guard<std::mutex> held(mutex);
    return writers;
}

void BRWLock::incReaderCount()
{
    std::lock_guard<std::mutex> held(mutex);
    ++readers;
}

void BRWLock::decReaderCount()
{
    std::lock_guard<std::mutex> held(mutex);
    leaveRead();
}

void BRWLock::Reset()
{
    std::lock_guard<std::mutex> held(mutex);
    readers = writers = waitingWriters = 0;
    writer = std::thread::id();
    changed.notify_all();
}

bool BRWLock::heldForWriteByCurrentThread() const
{
    return writers > 0 && writer == std::this_thread::get_id();
}

void BRWLock::enterRead(std::unique_lock<std::mutex>& held)
{
    changed.wait(held, [this] { return writers == 0 && (waitingWriters == 0 || readers > 0); });
    ++readers;
}

void BRWLock::enterWrite(std::unique_lock<std::mutex>& held)
{
    ++waitingWriters;
    changed.wait(held, [this] { return writers == 0 && readers == 0; });
    --waitingWriters;
    writers = 1;
    writer = std::this_thread::get_id();
}

void BRWLock::leaveRead()
{
    if (readers > 0 && --readers == 0)
        changed.notify_all();
}

} // namespace Tr
