#include "foundation/BThread.h"
#include "foundation/MilliTime.h"

#include "tests/foundation/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <string>

using TrTest::millisSince;
using TrTest::waitUntil;

namespace {

// Runs until told to terminate, checking the request every millisecond unless
// told to ignore it.
class Worker : public Tr::BThread {
public:
    explicit Worker(Tr::BString const& name = "Worker") : BThread(0, name) {}
    ~Worker() override { stopThread(); }

    void Execute() override
    {
        id = getCurrentThreadID();
        char buffer[32] = {};
        pthread_getname_np(pthread_self(), buffer, sizeof buffer);
        kernelName = buffer;
        inMethod = isInThreadMethod();
        ++runs;
        running = true;
        while (!isTerminated() || ignoreTerminate) {
            if (killFromInside) {
                insideKill = Kill();
                killFromInside = false;
            }
            Tr::sleepMillis(1);
        }
        running = false;
    }

    std::atomic<void*> id{nullptr};
    std::string kernelName;
    std::atomic<int> inMethod{0};
    std::atomic<int> runs{0};
    std::atomic<bool> running{false};
    std::atomic<bool> ignoreTerminate{false};
    std::atomic<bool> killFromInside{false};
    std::atomic<int> insideKill{-1};
};

// Counts its wake-ups; used to see that Notify is never lost.
class Sleeper : public Tr::BThread {
public:
    Sleeper() : BThread(0, "Sleeper") {}
    ~Sleeper() override { stopThread(); }

    void Execute() override
    {
        while (!isTerminated()) {
            waitForNotify(0);
            ++wakeUps;
        }
    }

    std::atomic<int> wakeUps{0};
};

// Deletes itself when its thread ends; tells a flag when that happened.
class SelfFreeing : public Tr::BThread {
public:
    explicit SelfFreeing(std::atomic<bool>& gone) : BThread(0, "SelfFreeing"), gone(gone) {}
    ~SelfFreeing() override
    {
        stopThread();
        gone = true;
    }

    void Execute() override
    {
        while (!isTerminated())
            Tr::sleepMillis(1);
    }

private:
    std::atomic<bool>& gone;
};

class CountingRunner : public Tr::BThreadRunner {
public:
    void run(Tr::BThread* thread) override
    {
        ranWith = thread;
        ++runs;
    }

    std::atomic<Tr::BThread*> ranWith{nullptr};
    std::atomic<int> runs{0};
};

} // namespace

TEST(ThreadLifecycle, StartsRunsEndsAndStartsAgain)
{
    Worker worker;
    EXPECT_FALSE(worker.isActive());
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
    EXPECT_TRUE(worker.isActive());
    EXPECT_FALSE(worker.isTerminated());
    EXPECT_EQ(1, worker.inMethod.load());
    EXPECT_NE(Tr::BThread::getCurrentThreadID(), worker.id.load());
    EXPECT_FALSE(worker.isCurrentThread());

    EXPECT_EQ(1, worker.Kill());
    EXPECT_FALSE(worker.isActive());
    EXPECT_TRUE(worker.isTerminated());
    EXPECT_FALSE(worker.isInThreadMethod());

    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.runs.load() == 2; }));
    EXPECT_FALSE(worker.isTerminated());
}

TEST(ThreadLifecycle, ConstructorStartsWhenAsked)
{
    CountingRunner runner;
    {
        Tr::BThread thread(&runner, 1, "Started");
        ASSERT_TRUE(waitUntil([&] { return runner.runs.load() == 1; }));
        EXPECT_EQ(&thread, runner.ranWith.load());
        EXPECT_TRUE(waitUntil([&] { return !thread.isActive(); }));
    }
    EXPECT_EQ(1, runner.runs.load());
}

TEST(ThreadLifecycle, RunnerReplacesExecute)
{
    CountingRunner runner;
    Tr::BThread thread(0, "Runner");
    thread.setRunner(&runner);
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(waitUntil([&] { return !thread.isActive(); }));
    EXPECT_EQ(&thread, runner.ranWith.load());
    EXPECT_TRUE(thread.waitFor());
}

TEST(ThreadLifecycle, StartOfARunningThreadEndsThePreviousRunFirst)
{
    Worker worker;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.runs.load() == 1; }));
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.runs.load() == 2 && worker.running.load(); }));
    EXPECT_TRUE(worker.isActive());
}

// The process's virtual memory in kB. A thread that ended without being joined
// keeps its stack (8 MB) mapped, so this grows with every such thread; the
// process's thread count does not show them.
long virtualMemoryKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0)
            return std::stol(line.substr(7));
    return -1;
}

// Each way a run ends (by itself before a delete or a new Start, or by Kill)
// joins its platform thread.
TEST(ThreadLifecycle, EveryEndedThreadIsJoined)
{
    constexpr int runs = 32;
    CountingRunner runner;
    auto endedByItself = [&](Tr::BThread& thread) {
        thread.setRunner(&runner);
        ASSERT_TRUE(thread.Start());
        ASSERT_TRUE(waitUntil([&] { return !thread.isActive(); }));
    };
    Tr::BThread restarted(0, "Restarted");
    std::function<void()> const ends[] = {
        [&] {
            Tr::BThread thread(0, "Deleted");
            endedByItself(thread);
        },
        [&] { endedByItself(restarted); },
        [&] {
            Worker worker;
            ASSERT_TRUE(worker.Start());
            ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
            EXPECT_EQ(1, worker.Kill());
        },
    };
    for (auto const& end : ends) {
        long before = virtualMemoryKb();
        for (int i = 0; i < runs; ++i)
            end();
        // Unjoined, the runs would keep 256 MB; joined, at most the C library's
        // cache of a few stacks stays.
        EXPECT_LT(virtualMemoryKb() - before, 64 * 1024);
    }
}

TEST(ThreadNames, KernelGetsAtMost15BytesAndTheObjectKeepsTheFullName)
{
    Worker worker("BMsgQueue Thread");
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
    EXPECT_EQ("BMsgQueue Threa", worker.kernelName);
    EXPECT_EQ(Tr::BString("BMsgQueue Thread"), worker.getName());
}

TEST(ThreadNames, ShortNamesStayAndLongOnesAreCutAtACharacterBoundary)
{
    EXPECT_EQ(Tr::BString("BTimerManager"), Tr::BThread::kernelThreadName("BTimerManager"));
    EXPECT_EQ(Tr::BString("123456789012345"), Tr::BThread::kernelThreadName("1234567890123456"));
    // "\xC3\xA9" (e-acute) would straddle byte 15.
    EXPECT_EQ(Tr::BString("12345678901234"), Tr::BThread::kernelThreadName("12345678901234\xC3\xA9"));
}

TEST(ThreadKill, CooperativeThreadEndsWellWithinTheWait)
{
    Worker worker;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
    EXPECT_EQ(1, worker.Kill());
    EXPECT_FALSE(worker.running.load());
}

TEST(ThreadKill, ThreadThatIgnoresTheRequestIsReportedNotCancelled)
{
    Worker worker;
    worker.ignoreTerminate = true;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, worker.Kill());
    long long waited = millisSince(start);
    EXPECT_GE(waited, 1990);
    EXPECT_LT(waited, 30000);
    // Still running and still owning its object; it ends once it listens again.
    EXPECT_TRUE(worker.isActive());
    EXPECT_TRUE(worker.running.load());
    worker.ignoreTerminate = false;
    EXPECT_TRUE(waitUntil([&] { return !worker.isActive(); }));
}

TEST(ThreadKill, KillFromItsOwnExecuteReturnsAtOnce)
{
    Worker worker;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
    worker.killFromInside = true;
    ASSERT_TRUE(waitUntil([&] { return worker.insideKill.load() != -1; }));
    EXPECT_EQ(1, worker.insideKill.load());
    EXPECT_TRUE(waitUntil([&] { return !worker.isActive(); }));
}

TEST(ThreadKill, NotActiveIsKilledAtOnce)
{
    Worker worker;
    EXPECT_EQ(1, worker.Kill());
    EXPECT_EQ(1, worker.waitFor());
}

TEST(ThreadKill, CancelStopsACooperativeThreadWithoutCancelling)
{
    Worker worker;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(waitUntil([&] { return worker.running.load(); }));
    worker.Cancel();
    EXPECT_TRUE(worker.isTerminated());
    EXPECT_TRUE(waitUntil([&] { return !worker.isActive(); }));
}

TEST(ThreadFreeOnTerminate, KilledFromOutsideIsNotWaitedForAndFreesItself)
{
    std::atomic<bool> gone{false};
    auto thread = new SelfFreeing(gone);
    thread->SetFreeOnTerminate(1);
    ASSERT_TRUE(thread->Start());
    ASSERT_TRUE(waitUntil([&] { return thread->isInThreadMethod() == 1; }));
    EXPECT_EQ(1, thread->Kill());
    EXPECT_TRUE(waitUntil([&] { return gone.load(); }));
}

TEST(ThreadFreeOnTerminate, DeletedFromOutsideWhileRunningIsFreedOnce)
{
    std::atomic<bool> gone{false};
    auto thread = new SelfFreeing(gone);
    thread->SetFreeOnTerminate(1);
    ASSERT_TRUE(thread->Start());
    ASSERT_TRUE(waitUntil([&] { return thread->isInThreadMethod() == 1; }));
    delete thread;
    EXPECT_TRUE(gone.load());
}

TEST(ThreadWakeUp, NotifyIsNeverLostBetweenCheckAndWait)
{
    Sleeper sleeper;
    ASSERT_TRUE(sleeper.Start());
    for (int i = 1; i <= 200; ++i) {
        int before = sleeper.wakeUps;
        sleeper.Notify();
        ASSERT_TRUE(waitUntil([&] { return sleeper.wakeUps.load() > before; })) << "notify " << i;
    }
}

TEST(ThreadPriority, MapsToTheSchedulingPriorities)
{
    struct Case {
        int priority;
        int scheduling;
    };
    for (Case c : {Case{1, 39}, Case{2, 47}, Case{3, 23}, Case{4, 15}, Case{7, 31}, Case{-1, 31}, Case{5, 31}})
        EXPECT_EQ(c.scheduling, Tr::BThread::schedulingPriority(c.priority)) << c.priority;
}

TEST(ThreadPriority, RefusedPriorityStillStartsTheThread)
{
    for (int priority : {4, 7}) {
        Worker worker;
        worker.SetPriority(Tr::BThreadPrio(priority));
        ASSERT_TRUE(worker.Start()) << priority;
        EXPECT_TRUE(waitUntil([&] { return worker.running.load(); })) << priority;
    }
}
