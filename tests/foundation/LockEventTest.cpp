#include "foundation/BEvent.h"
#include "foundation/BLock.h"

#include "tests/foundation/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>

using TrTest::millisSince;
using TrTest::waitUntil;

namespace {

// A thread that takes the lock once and holds it until told to let go.
class Contender {
public:
    explicit Contender(Tr::BLock& lock)
        : thread([this, &lock] {
              lock.Enter();
              entered = true;
              waitUntil([this] { return release.load(); });
              lock.Leave();
          })
    {
    }
    ~Contender()
    {
        release = true;
        thread.join();
    }

    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};

private:
    std::thread thread;
};

} // namespace

TEST(Lock, OwnerReentersAndReleasesOnlyAtTheLastLeave)
{
    Tr::BLock lock;
    lock.Enter();
    lock.Enter();
    lock.Enter();
    Contender other(lock);
    lock.Leave();
    EXPECT_FALSE(waitUntil([&] { return other.entered.load(); }, 50));
    lock.Leave();
    EXPECT_FALSE(waitUntil([&] { return other.entered.load(); }, 50));
    lock.Leave();
    EXPECT_TRUE(waitUntil([&] { return other.entered.load(); }));
}

TEST(Lock, ExcludesOtherThreads)
{
    Tr::BLock lock;
    long long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                Tr::BLockHolder hold(lock);
                Tr::BLockHolder again(lock);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(80000, counter);
}

TEST(Lock, ResetIsIgnoredWhileHeld)
{
    Tr::BLock lock;
    lock.Enter();
    lock.Reset();
    Contender other(lock);
    EXPECT_FALSE(waitUntil([&] { return other.entered.load(); }, 50));
    lock.Leave();
    EXPECT_TRUE(waitUntil([&] { return other.entered.load(); }));
}

TEST(Lock, StillExcludesAfterReset)
{
    Tr::BLock lock;
    lock.Reset();
    lock.Enter();
    Contender other(lock);
    EXPECT_FALSE(waitUntil([&] { return other.entered.load(); }, 50));
    lock.Leave();
    EXPECT_TRUE(waitUntil([&] { return other.entered.load(); }));
}

TEST(Event, WaitEndsAtItsDeadline)
{
    Tr::BEvent event;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ETIMEDOUT, event.WaitMs(60));
    EXPECT_GE(millisSince(start), 60);
    EXPECT_LT(millisSince(start), 30000);
}

TEST(Event, NotifyWithoutAWaiterIsLost)
{
    Tr::BEvent event;
    event.Notify();
    EXPECT_EQ(ETIMEDOUT, event.WaitMs(50));
}

TEST(Event, NotifyWakesAnEndlessWait)
{
    Tr::BEvent event;
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        event.Wait();
        woke = true;
    });
    EXPECT_TRUE(waitUntil([&] {
        event.Notify();
        return woke.load();
    }));
    waiter.join();
}

TEST(Event, ResetEventStillWakes)
{
    Tr::BEvent event;
    event.Reset();
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = event.WaitMs(5000); });
    EXPECT_TRUE(waitUntil([&] {
        event.Notify();
        return result.load() != -1;
    }));
    waiter.join();
    EXPECT_EQ(0, result.load());
}

TEST(LockedEvent, OneNotifyWakesEveryWaiter)
{
    Tr::BLockedEvent event;
    int ready = 0; // guarded by the event's mutex
    std::atomic<int> woke{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            event.Enter();
            ++ready;
            int result = event.WaitMs(10000);
            event.Leave();
            if (result == 0)
                ++woke;
        });
    // A waiter holds the mutex from its count until its wait begins, so once all
    // three are counted and the mutex is ours, all three are waiting.
    ASSERT_TRUE(waitUntil([&] {
        event.Enter();
        bool all = ready == 3;
        if (all)
            event.Notify();
        event.Leave();
        return all;
    }));
    EXPECT_TRUE(waitUntil([&] { return woke.load() == 3; }));
    for (auto& waiter : waiters)
        waiter.join();
}

TEST(LockedEvent, WaitReturnsTheTimeOut)
{
    Tr::BLockedEvent event;
    event.Enter();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ETIMEDOUT, event.WaitMs(40));
    event.Leave();
    EXPECT_GE(millisSince(start), 40);
}
