#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

namespace Tr {

// Broadcast event: Notify wakes every thread waiting at that moment. It keeps no
// signalled state, so a Notify without a waiter is lost, and a waiter may also wake
// early: waiters re-check their own state in a loop.
class BEvent {
public:
    BEvent();
    BEvent(BEvent const&) = delete;
    BEvent& operator=(BEvent const&) = delete;
    virtual ~BEvent();

    void Notify();
    // Waits for the next Notify, at most millis when it is above 0 (0 or less: no
    // limit). 0 when woken, ETIMEDOUT when the time ran out.
    int Wait();
    int WaitMs(int millis);
    // Re-creates the condition and its lock; nobody may be waiting.
    void Reset();

private:
    friend class BLockedEvent;

    struct Block {
        std::mutex mutex;
        std::condition_variable condition;
    };

    // The caller holds block->mutex.
    int waitLocked(int millis);

    std::unique_ptr<Block> block;
};

// An event whose mutex the caller holds across a check of its own state and the
// wait, so that a Notify made after the check cannot be lost.
class BLockedEvent {
public:
    BLockedEvent() = default;
    BLockedEvent(BLockedEvent const&) = delete;
    BLockedEvent& operator=(BLockedEvent const&) = delete;
    virtual ~BLockedEvent();

    void Enter();
    void Leave();
    // The caller holds the mutex (Enter) for these three.
    void Notify();
    int Wait();
    int WaitMs(int millis);

private:
    BEvent event;
};

} // namespace Tr
