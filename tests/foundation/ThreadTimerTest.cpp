#include "foundation/MilliTime.h"
#include "foundation/TTimer.h"

#include "tests/foundation/TestClock.h"
#include "tests/foundation/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

using TrTest::waitUntil;

namespace {

// Records the clock at every firing; runs an optional action with the firing's
// number; can make a firing the last one.
class Recorder : public Tr::TTimerListener {
public:
    int OnTimer() override
    {
        unsigned int now = Tr::getMilliTime();
        int number;
        {
            std::lock_guard<std::mutex> hold(mutex);
            times.push_back(now);
            number = int(times.size());
        }
        if (action)
            action(number);
        return number == lastFiring ? 0 : 1;
    }

    int count()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return int(times.size());
    }

    std::vector<unsigned int> snapshot()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return times;
    }

    int lastFiring = 0;
    std::function<void(int)> action;

private:
    std::mutex mutex;
    std::vector<unsigned int> times;
};

std::unique_ptr<Tr::TTimer> makeTimer(Recorder& recorder, int interval)
{
    std::unique_ptr<Tr::TTimer> timer(Tr::CreateTimer(&recorder));
    timer->SetInterval(interval);
    return timer;
}

// Moves the clock on and wakes the timer's thread, which may be waiting for a due
// time it reckoned before the move.
void advance(TrTest::TestClock& clock, Tr::TTimer& timer, unsigned int millis)
{
    clock.advance(millis);
    dynamic_cast<Tr::BThread&>(timer).Notify();
}

} // namespace

TEST(TimerThread, FiresAtItsInterval)
{
    Recorder recorder;
    auto timer = makeTimer(recorder, 50);
    unsigned int enabledAt = Tr::getMilliTime();
    ASSERT_EQ(1, timer->SetEnabled(1));
    ASSERT_TRUE(waitUntil([&] { return recorder.count() >= 5; }));
    auto times = recorder.snapshot();
    for (int k = 0; k < 5; ++k)
        EXPECT_GE(int(times[k] - enabledAt), 50 * (k + 1) - 1) << k;
    EXPECT_LT(int(times[4] - enabledAt), 250 + 1000);
}

TEST(TimerThread, StopsWhenItsCallbackReturnsZero)
{
    Recorder recorder;
    recorder.lastFiring = 1;
    auto timer = makeTimer(recorder, 20);
    ASSERT_EQ(1, timer->SetEnabled(1));
    ASSERT_TRUE(waitUntil([&] { return recorder.count() == 1; }));
    auto thread = dynamic_cast<Tr::BThread*>(timer.get());
    EXPECT_TRUE(waitUntil([&] { return !thread->isActive(); }));
    EXPECT_EQ(0, timer->IsEnabled());
    EXPECT_FALSE(waitUntil([&] { return recorder.count() > 1; }, 100));
}

TEST(TimerThread, MissedPeriodsComeBackToBackThenThePeriodHolds)
{
    TrTest::TestClock clock;
    Recorder recorder;
    // The first callback takes three and a half periods of the clock: the due times
    // of three more periods pass meanwhile.
    recorder.action = [&clock](int number) {
        if (number == 1)
            clock.advance(350000);
    };
    auto timer = makeTimer(recorder, 100000);
    unsigned int enabledAt = Tr::getMilliTime();
    ASSERT_EQ(1, timer->SetEnabled(1));
    advance(clock, *timer, 100000);
    ASSERT_TRUE(waitUntil([&] { return recorder.count() == 4; }));
    // Spaced by the period they would take 200000 ms.
    auto times = recorder.snapshot();
    EXPECT_LT(int(times[3] - times[1]), 100000);
    // The fifth keeps the period of the due times: five periods after enabling, which
    // the clock now reaches, where one period after the catch-up it would not.
    advance(clock, *timer, 50000);
    ASSERT_TRUE(waitUntil([&] { return recorder.count() == 5; }));
    EXPECT_GE(int(recorder.snapshot()[4] - enabledAt), 500000);
}

TEST(TimerThread, NewIntervalTakesEffectAtOnce)
{
    Recorder recorder;
    auto timer = makeTimer(recorder, 60000);
    ASSERT_EQ(1, timer->SetEnabled(1));
    unsigned int changedAt = Tr::getMilliTime();
    timer->SetInterval(30);
    ASSERT_TRUE(waitUntil([&] { return recorder.count() >= 1; }));
    EXPECT_GE(int(recorder.snapshot()[0] - changedAt), 29);
    EXPECT_EQ(1, timer->IsEnabled());
}

TEST(TimerThread, RetriggerPostponesTheNextFiring)
{
    TrTest::TestClock clock;
    Recorder recorder;
    auto timer = std::unique_ptr<Tr::BThreadTimer>(new Tr::BThreadTimer(&recorder, "Retriggered"));
    timer->SetInterval(200000);
    ASSERT_EQ(1, timer->SetEnabled(1));
    clock.advance(100000);
    unsigned int retriggeredAt = Tr::getMilliTime();
    timer->retrigger();
    advance(clock, *timer, 150000); // past the due time before the retrigger
    EXPECT_FALSE(waitUntil([&] { return recorder.count() > 0; }, 200));
    advance(clock, *timer, 50000);
    ASSERT_TRUE(waitUntil([&] { return recorder.count() == 1; }));
    EXPECT_GE(int(recorder.snapshot()[0] - retriggeredAt), 200000);
}

TEST(TimerThread, CanBeDisabledAndEnabledAgain)
{
    Recorder recorder;
    auto timer = makeTimer(recorder, 20);
    EXPECT_EQ(0, timer->SetEnabled(0));
    ASSERT_EQ(1, timer->SetEnabled(1));
    EXPECT_EQ(1, timer->SetEnabled(1));
    ASSERT_TRUE(waitUntil([&] { return recorder.count() >= 1; }));
    EXPECT_EQ(1, timer->SetEnabled(0));
    int fired = recorder.count();
    EXPECT_FALSE(waitUntil([&] { return recorder.count() > fired; }, 80));
    ASSERT_EQ(1, timer->SetEnabled(1));
    EXPECT_TRUE(waitUntil([&] { return recorder.count() > fired; }));
}

TEST(TimerThread, EnablingAgainRightAfterTheLastFiringStartsANewRun)
{
    Recorder recorder;
    recorder.lastFiring = 1;
    auto timer = makeTimer(recorder, 10);
    ASSERT_EQ(1, timer->SetEnabled(1));
    ASSERT_TRUE(waitUntil([&] { return timer->IsEnabled() == 0; }));
    recorder.lastFiring = 2;
    ASSERT_EQ(1, timer->SetEnabled(1));
    EXPECT_TRUE(waitUntil([&] { return recorder.count() == 2; }));
    EXPECT_FALSE(waitUntil([&] { return recorder.count() > 2; }, 60));
}

TEST(TimerThread, NamesAndDefaults)
{
    std::unique_ptr<Tr::TTimer> unnamed(Tr::CreateTimer());
    EXPECT_EQ(Tr::BString("BThreadTimer"), unnamed->GetName());
    EXPECT_EQ(1000, unnamed->GetInterval());
    EXPECT_EQ(0, unnamed->IsEnabled());
    EXPECT_EQ(nullptr, unnamed->GetOnTimer());
    EXPECT_EQ(Tr::BString("BThreadTimer"), dynamic_cast<Tr::BThread*>(unnamed.get())->getName());

    Recorder recorder;
    std::unique_ptr<Tr::TTimer> named(Tr::CreateTimer(&recorder, "Send"));
    EXPECT_EQ(Tr::BString("Send"), named->GetName());
    EXPECT_EQ(&recorder, named->GetOnTimer());
    named->SetOnTimer(nullptr);
    EXPECT_EQ(nullptr, named->GetOnTimer());
}

TEST(TimerThread, WithoutAListenerItKeepsRunning)
{
    // Outlives the timer: a callback that has read the listener may still be
    // running when another is set, and only the timer's end waits for it.
    Recorder recorder;
    std::unique_ptr<Tr::TTimer> timer(Tr::CreateTimer());
    timer->SetInterval(5);
    ASSERT_EQ(1, timer->SetEnabled(1));
    timer->SetOnTimer(&recorder);
    EXPECT_TRUE(waitUntil([&] { return recorder.count() >= 2; }));
}

TEST(TimerThread, DeletingAnEnabledTimerStopsItsThread)
{
    Recorder recorder;
    auto timer = makeTimer(recorder, 5);
    ASSERT_EQ(1, timer->SetEnabled(1));
    ASSERT_TRUE(waitUntil([&] { return recorder.count() >= 1; }));
    timer.reset();
    int fired = recorder.count();
    EXPECT_FALSE(waitUntil([&] { return recorder.count() > fired; }, 30));
}

TEST(TimerThread, DueTimesAcrossTheClockWrapKeepTheirPeriod)
{
    TrTest::TestClock clock;
    clock.set(0u - Tr::getMilliTime() - 120u);
    Recorder recorder;
    auto timer = makeTimer(recorder, 50);
    unsigned int enabledAt = Tr::getMilliTime();
    ASSERT_EQ(1, timer->SetEnabled(1));
    ASSERT_TRUE(waitUntil([&] { return recorder.count() >= 5; }));
    auto times = recorder.snapshot();
    for (int k = 0; k < 5; ++k)
        EXPECT_GE(int(times[k] - enabledAt), 50 * (k + 1)) << k;
    EXPECT_LT(int(times[4] - enabledAt), 250 + 1000);
}

namespace {

// A timer that only records the SetEnabled requests it gets.
class RecordingTimer : public Tr::TTimer {
public:
    RecordingTimer() : TTimer(nullptr, "recording") {}

    int SetEnabled(int enable) override
    {
        requests.push_back(enable);
        enabled = enable;
        return enable;
    }

    std::vector<int> requests;
};

} // namespace

TEST(TimerBase, NewIntervalOfAnEnabledTimerRestartsIt)
{
    RecordingTimer timer;
    timer.SetInterval(250);
    EXPECT_EQ(250, timer.GetInterval());
    EXPECT_TRUE(timer.requests.empty());
    timer.SetEnabled(1);
    timer.SetInterval(500);
    EXPECT_EQ(500, timer.GetInterval());
    EXPECT_EQ((std::vector<int>{1, 0, 1}), timer.requests);
}
