#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace Tr {

// Readers/writer lock: many readers or one writer. A new reader waits while a writer
// holds the lock, or while a writer waits and no reader is inside (readers already
// inside keep letting new readers in). The writing thread may enter either side
// again. All counts change under one mutex, so a reader and a writer never get in
// together.
class BRWLock {
public:
    BRWLock() = default;
    BRWLock(BRWLock const&) = delete;
    BRWLock& operator=(BRWLock const&) = delete;
    virtual ~BRWLock();

    // write: 0 = read side, non-zero = write side.
    void Enter(int write);
    void Leave(int write);

    int getReaderCount() const;
    int getWriterCount() const;
    void incReaderCount();
    void decReaderCount();
    // Zeroes the counts and forgets the writer; nobody may hold or wait for the lock.
    void Reset();

private:
    bool heldForWriteByCurrentThread() const;
    void enterRead(std::unique_lock<std::mutex>& held);
    void enterWrite(std::unique_lock<std::mutex>& held);
    void leaveRead();

    mutable std::mutex mutex;
    std::condition_variable changed;
    int readers = 0;
    int writers = 0;
    int waitingWriters = 0;
    std::thread::id writer;
};

} // namespace Tr
