#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace Tr {

// Recursive lock: the owning thread may enter again; each Enter is paired with one
// Leave on the same thread. Re-entering touches only the atomic count.
class BLock {
public:
    BLock();
    BLock(BLock const&) = delete;
    BLock& operator=(BLock const&) = delete;
    virtual ~BLock();

    void Enter();
    void Leave();
    // Re-creates the mutex; does nothing while anybody holds the lock. Nobody may be
    // waiting to enter either: that wait is on the mutex being replaced.
    void Reset();

private:
    std::unique_ptr<std::mutex> mutex;
    std::atomic<std::thread::id> owner;
    std::atomic<int> entries{0};
};

// Holds a BLock for the lifetime of a scope.
class BLockHolder {
public:
    explicit BLockHolder(BLock& lock) : lock(lock) { lock.Enter(); }
    BLockHolder(BLockHolder const&) = delete;
    BLockHolder& operator=(BLockHolder const&) = delete;
    ~BLockHolder() { lock.Leave(); }

private:
    BLock& lock;
};

} // namespace Tr
