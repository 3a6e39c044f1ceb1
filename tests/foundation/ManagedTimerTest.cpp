#include "foundation/BTimer.h"
#include "foundation/MilliTime.h"
#include "foundation/PexaSystem.h"

#include "tests/foundation/TestClock.h"
#include "tests/foundation/WaitUntil.h"
#include "tests/support/ThreadNames.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using TrTest::waitUntil;

namespace {

struct Firing {
    Tr::BTimer* timer;
    unsigned int time;
};

// Records every firing; runs an optional action inside the callback.
class Log : public Tr::BTimer::Listener {
public:
    void onTimer(Tr::BTimer* timer) override
    {
        {
            std::lock_guard<std::mutex> hold(mutex);
            firings.push_back({timer, Tr::getMilliTime()});
        }
        if (action)
            action(timer);
    }

    int count()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return int(firings.size());
    }

    int countOf(Tr::BTimer* timer)
    {
        std::lock_guard<std::mutex> hold(mutex);
        int n = 0;
        for (auto const& firing : firings)
            n += firing.timer == timer ? 1 : 0;
        return n;
    }

    std::vector<Firing> snapshot()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return firings;
    }

    std::function<void(Tr::BTimer*)> action;

private:
    std::mutex mutex;
    std::vector<Firing> firings;
};

class TrackedTimer : public Tr::BTimer {
public:
    TrackedTimer(Listener* listener, int interval, std::atomic<bool>& deleted, int autoDelete = 0)
        : BTimer(listener, interval, 0, "Tracked", autoDelete), deleted(deleted)
    {
    }
    ~TrackedTimer() override { deleted = true; }

private:
    std::atomic<bool>& deleted;
};

bool managerThreadIsRunning()
{
    return Tr::BTimerManager::instance()->isActive();
}

// Moves the clock on and wakes the manager, which may be waiting for a due time it
// reckoned before the move.
void advance(TrTest::TestClock& clock, unsigned int millis)
{
    clock.advance(millis);
    Tr::BTimerManager::instance()->Notify();
}

// The application ends with the shutdown registry, which deletes the manager and
// joins its thread; every test here ends the same way.
class TimerManaged : public testing::Test {
protected:
    void TearDown() override { Tr::PexaSystem::shutdown(); }
};

} // namespace

TEST_F(TimerManaged, IntervalsBelowOneBecomeOne)
{
    Log log;
    Tr::BTimer zero(&log, 0, 1);
    Tr::BTimer negative(&log, -5, 1);
    EXPECT_EQ(1, zero.getInterval());
    EXPECT_EQ(1, negative.getInterval());
    EXPECT_EQ(1, zero.getInitialDelay());
    zero.start();
    EXPECT_TRUE(waitUntil([&] { return log.countOf(&zero) >= 20; }));
    auto firings = log.snapshot();
    EXPECT_LT(int(firings.back().time - firings.front().time), 2000);
}

TEST_F(TimerManaged, NegativeInitialDelayMeansTheInterval)
{
    Tr::BTimer timer(nullptr, 1000, 1);
    timer.setInterval(600);
    EXPECT_EQ(600, timer.getInitialDelay());
    timer.setInitialDelay(5);
    EXPECT_EQ(5, timer.getInitialDelay());
    timer.setInitialDelay(-7);
    EXPECT_EQ(600, timer.getInitialDelay());
}

TEST_F(TimerManaged, FireInDueOrder)
{
    TrTest::TestClock clock;
    Log log;
    // Listed in another order than due. The jump makes every one of them due in one
    // pass, as a pass that comes late on a loaded machine finds them.
    Tr::BTimer late(&log, 250000, 0, "late");
    Tr::BTimer every(&log, 100000, 1, "every");
    Tr::BTimer early(&log, 50000, 0, "early");
    Tr::BTimer middle(&log, 150000, 0, "middle");
    for (Tr::BTimer* timer : {&late, &every, &early, &middle})
        timer->start();
    advance(clock, 260000);
    ASSERT_TRUE(waitUntil([&] { return log.count() == 5; }));
    std::vector<std::string> order;
    for (auto const& firing : log.snapshot())
        order.push_back(firing.timer->getName().c_str());
    EXPECT_EQ((std::vector<std::string>{"early", "every", "middle", "every", "late"}), order);
}

TEST_F(TimerManaged, OneShotFiresOnceRepeatingAgainUntilStopped)
{
    Log log;
    Tr::BTimer once(&log, 20, 0);
    Tr::BTimer again(&log, 20, 1);
    once.start();
    again.start();
    ASSERT_TRUE(waitUntil([&] { return log.countOf(&again) >= 4; }));
    // Its flag goes down once its callback has returned.
    EXPECT_TRUE(waitUntil([&] { return !once.isStarted(); }));
    EXPECT_EQ(1, log.countOf(&once));
    EXPECT_TRUE(again.isStarted());
    EXPECT_EQ(1, again.stop());
    EXPECT_EQ(0, again.stop());
    int fired = log.countOf(&again);
    EXPECT_FALSE(waitUntil([&] { return log.countOf(&again) > fired; }, 100));
}

TEST_F(TimerManaged, InitialDelayZeroFiresAtTheNextPassThenEveryInterval)
{
    TrTest::TestClock clock;
    Log log;
    // The interval is far beyond any wait here: only the initial delay brings the
    // first firing, and only the clock's jumps the later ones.
    Tr::BTimer timer(&log, 100000, 1);
    timer.setInitialDelay(0);
    unsigned int startedAt = Tr::getMilliTime();
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return log.count() == 1; }));
    for (int fired = 2; fired <= 3; ++fired) {
        advance(clock, 100000);
        ASSERT_TRUE(waitUntil([&] { return log.count() == fired; })) << fired;
    }
    auto firings = log.snapshot();
    EXPECT_LT(int(firings[0].time - startedAt), 100000);
    EXPECT_GE(int(firings[1].time - startedAt), 100000);
    EXPECT_GE(int(firings[2].time - startedAt), 200000);
}

TEST_F(TimerManaged, RestartFromItsOwnCallbackSurvives)
{
    Log log;
    Tr::BTimer timer(&log, 30, 0);
    log.action = [](Tr::BTimer* fired) {
        if (fired->getName().isEmpty()) {
            fired->setName("restarted");
            fired->start();
        }
    };
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return log.count() == 2; }));
    auto firings = log.snapshot();
    EXPECT_GE(int(firings[1].time - firings[0].time), 29);
    EXPECT_FALSE(waitUntil([&] { return log.count() > 2; }, 100));
    EXPECT_FALSE(timer.isStarted());
}

TEST_F(TimerManaged, RestartFromAnotherThreadDuringTheCallbackFiresOnceMore)
{
    Log log;
    std::atomic<bool> inCallback{false};
    std::atomic<bool> restarted{false};
    std::atomic<unsigned int> callbackEndedAt{0};
    log.action = [&](Tr::BTimer*) {
        if (restarted)
            return;
        inCallback = true;
        Tr::sleepMillis(100);
        callbackEndedAt = Tr::getMilliTime();
    };
    Tr::BTimer timer(&log, 50, 0);
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return inCallback.load(); }));
    restarted = true;
    timer.start(); // waits for the running pass, then arms the timer anew
    ASSERT_TRUE(waitUntil([&] { return log.count() == 2; }));
    EXPECT_GE(int(log.snapshot()[1].time - callbackEndedAt), 50);
    EXPECT_FALSE(waitUntil([&] { return log.count() > 2; }, 100));
}

TEST_F(TimerManaged, BurstOfRestartsGivesOneFiringOneDelayAfterTheLast)
{
    TrTest::TestClock clock;
    Log log;
    // The rescan delay and its restarts, scaled by 1000 so that no stall of the test
    // thread comes near them.
    Tr::BTimer timer(&log, 600000, 0, "MIDIDevChange async");
    unsigned int lastStart = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            advance(clock, 200000);
        lastStart = Tr::getMilliTime();
        timer.start();
    }
    advance(clock, 500000); // past the due time of the first start
    EXPECT_FALSE(waitUntil([&] { return log.count() > 0; }, 100));
    advance(clock, 100000);
    ASSERT_TRUE(waitUntil([&] { return log.count() == 1; }));
    EXPECT_GE(int(log.snapshot()[0].time - lastStart), 600000);
    EXPECT_FALSE(waitUntil([&] { return log.count() > 1; }, 200));
}

TEST_F(TimerManaged, AutoDeleteOneShotIsDeletedAfterItFires)
{
    Log log;
    std::atomic<bool> deleted{false};
    (new TrackedTimer(&log, 10, deleted, 1))->start();
    EXPECT_TRUE(waitUntil([&] { return deleted.load(); }));
    EXPECT_EQ(1, log.count());
}

// Runs in a child process whose alarm ends it after a bounded wait: a deadlock
// fails the test at once instead of hanging it until the runner gives up.
TEST_F(TimerManaged, DeletedFromItsOwnCallbackWithoutDeadlock)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            alarm(20);
            Log log;
            std::atomic<bool> deleted{false};
            log.action = [](Tr::BTimer* fired) { delete fired; };
            (new TrackedTimer(&log, 10, deleted))->start();
            bool ok = waitUntil([&] { return deleted.load(); }) && log.count() == 1;
            Tr::PexaSystem::shutdown();
            std::_Exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(TimerManaged, DeletedFromAnotherThreadWaitsForItsRunningCallback)
{
    Log log;
    std::atomic<bool> inCallback{false};
    std::atomic<bool> callbackDone{false};
    log.action = [&](Tr::BTimer*) {
        inCallback = true;
        Tr::sleepMillis(100);
        callbackDone = true;
    };
    std::atomic<bool> deleted{false};
    auto timer = new TrackedTimer(&log, 10, deleted);
    timer->start();
    ASSERT_TRUE(waitUntil([&] { return inCallback.load(); }));
    delete timer;
    EXPECT_TRUE(callbackDone.load());
}

TEST_F(TimerManaged, StopAllByNameCountsStartedOnesAndDropsAll)
{
    Log log;
    Tr::BTimer first(&log, 5000, 0, "group");
    Tr::BTimer second(&log, 5000, 1, "group");
    Tr::BTimer stopped(&log, 5000, 0, "group");
    Tr::BTimer other(&log, 5000, 0, "other");
    first.start();
    second.start();
    stopped.start();
    stopped.stop();
    other.start();
    EXPECT_EQ(2, Tr::BTimer::stopAllByName("group"));
    EXPECT_FALSE(first.isStarted());
    EXPECT_FALSE(second.isStarted());
    EXPECT_TRUE(other.isStarted());
    EXPECT_EQ(0, Tr::BTimer::stopAllByName("GROUP"));
    EXPECT_EQ(1, Tr::BTimer::stopAllByListener(&log));
    EXPECT_FALSE(other.isStarted());
    // With its list emptied the manager's thread ends at its next pass, at most
    // about 2000 ms on.
    EXPECT_TRUE(waitUntil([] { return !managerThreadIsRunning(); }, 10000));
}

TEST_F(TimerManaged, ACallbackMayDeleteAnotherListedTimer)
{
    TrTest::TestClock clock;
    Log log;
    std::atomic<bool> deleted{false};
    auto victim = new TrackedTimer(&log, 200000, deleted);
    Tr::BTimer killer(&log, 100000, 0, "killer");
    log.action = [&](Tr::BTimer* fired) {
        if (fired == &killer)
            delete victim;
    };
    victim->start();
    killer.start();
    // Both are due in the pass after the jump: the victim's turn comes right after
    // the killer's callback.
    advance(clock, 300000);
    ASSERT_TRUE(waitUntil([&] { return deleted.load(); }));
    EXPECT_FALSE(waitUntil([&] { return log.count() > 1; }, 100));
    EXPECT_EQ(1, log.countOf(&killer));
}

TEST_F(TimerManaged, InstanceIsOneEvenWhenFirstAskedFromManyThreads)
{
    Tr::PexaSystem::shutdown();
    std::atomic<bool> go{false};
    std::vector<Tr::BTimerManager*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] {
            while (!go)
                std::this_thread::yield();
            seen[i] = Tr::BTimerManager::instance();
        });
    go = true;
    for (auto& thread : threads)
        thread.join();
    for (auto* manager : seen)
        EXPECT_EQ(seen[0], manager);
}

TEST_F(TimerManaged, ManagerThreadEndsWithoutTimersAndStartsAgain)
{
    Log log;
    Tr::BTimer timer(&log, 10, 1);
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return log.count() >= 1; }));
    EXPECT_TRUE(managerThreadIsRunning());
    timer.stop();
    EXPECT_TRUE(waitUntil([] { return !managerThreadIsRunning(); }, 10000));
    timer.start();
    EXPECT_TRUE(managerThreadIsRunning());
    int fired = log.count();
    EXPECT_TRUE(waitUntil([&] { return log.count() > fired; }));
}

TEST_F(TimerManaged, ATimerStartedByAnotherTimersCallbackRuns)
{
    Log log;
    Tr::BTimer later(&log, 20, 0, "later");
    Tr::BTimer first(&log, 10, 0, "first");
    log.action = [&later](Tr::BTimer* fired) {
        if (fired->getName() == "first")
            later.start();
    };
    first.start();
    EXPECT_TRUE(waitUntil([&] { return log.countOf(&later) == 1; }));
}

TEST_F(TimerManaged, DueTimesAroundTheClockWrapAllFire)
{
    // One of these lands on 0 exactly unless the clock moves more than 3 ms while
    // they are armed.
    TrTest::TestClock clock;
    clock.set(0u - Tr::getMilliTime() - 300u);
    Log log;
    std::vector<std::unique_ptr<Tr::BTimer>> timers;
    unsigned int base = Tr::getMilliTime();
    for (int k = -3; k <= 3; ++k) {
        timers.emplace_back(new Tr::BTimer(&log, 1000, 0));
        timers.back()->setInitialDelay(int(0u - base) + k);
        timers.back()->start();
    }
    EXPECT_TRUE(waitUntil([&] { return log.count() == 7; })) << log.count() << " of 7 fired";
}

TEST_F(TimerManaged, RepeatingAcrossTheClockWrapKeepsItsPeriod)
{
    TrTest::TestClock clock;
    clock.set(0u - Tr::getMilliTime() - 150u);
    Log log;
    Tr::BTimer timer(&log, 100, 1);
    unsigned int startedAt = Tr::getMilliTime();
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return log.count() >= 4; }));
    auto firings = log.snapshot();
    for (int k = 0; k < 4; ++k)
        EXPECT_GE(int(firings[k].time - startedAt), 100 * (k + 1)) << k;
    EXPECT_LT(int(firings[3].time - startedAt), 400 + 1000);
}

TEST(TimerShutdown, RegistryEndsTheManagerThreadAndANewManagerComesOnDemand)
{
    Log log;
    Tr::BTimer timer(&log, 10, 1);
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return log.count() >= 1; }));
    Tr::BTimerManager* first = Tr::BTimerManager::instance();
    EXPECT_TRUE(first->isActive());

    Tr::PexaSystem::shutdown();
    EXPECT_FALSE(timer.isStarted());
    for (auto const& name : testthreads::threadNames())
        EXPECT_NE("BTimerManager", name);

    timer.start();
    EXPECT_TRUE(Tr::BTimerManager::instance()->isActive());
    int fired = log.count();
    EXPECT_TRUE(waitUntil([&] { return log.count() > fired; }));
    timer.stop();
    Tr::PexaSystem::shutdown();
}
