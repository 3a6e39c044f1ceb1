#pragma once

#include "foundation/BEvent.h"
#include "foundation/BLock.h"
#include "foundation/BString.h"

#include <pthread.h>

#include <atomic>

namespace Tr {

class BThread;

// 0: the platform's default thread attributes; 1, 2, 3, 4: scheduling priorities 39,
// 47, 23, 15; any other value: 31.
enum BThreadPrio : int {
    BThreadPrioDefault = 0
};

// Work run on a BThread in place of its own Execute.
class BThreadRunner {
public:
    virtual ~BThreadRunner();
    virtual void run(BThread* thread) = 0;
};

// A named thread object. Its work is the virtual Execute (or a runner), which must
// return soon after the cooperative terminate request. Each run's platform thread is
// joined, never cancelled: by the next Start, by Kill or by the destructor. A derived
// class whose Execute uses its own members calls stopThread in its own destructor.
class BThread {
public:
    BThread(int start, BString const& name);
    BThread(BThreadRunner* runner, int start, BString const& name);
    BThread(BThread const&) = delete;
    BThread& operator=(BThread const&) = delete;
    // Stops the thread (see stopThread); an object that would free itself on
    // termination is owned by whoever deletes it first.
    virtual ~BThread();

    // 1 when a thread is running afterwards. A previous run that has not ended is
    // told to terminate and waited for first; Start refuses (0) when it does not end
    // in time or when called on that run's own thread.
    int Start();
    virtual void Terminate();
    virtual void Notify();
    virtual void Execute();

    // 1 once the thread function has ended (at once when inactive or called on the
    // thread itself); 0 when it is still running about 2000 ms after Terminate.
    int waitFor();
    // Terminates and waits (waitFor). 1 when the thread ended, or will end by itself
    // (called on the thread itself, or a free-on-terminate object: not to be touched
    // afterwards); 0 when it is still running: it is reported and left to finish.
    int Kill();
    // The cooperative stop with a 10 ms grace; a thread is never cancelled, so one
    // that keeps running stays active.
    void Cancel();

    int isActive() const;
    int isTerminated() const;
    int isInThreadMethod() const;
    void SetPriority(BThreadPrio priority);
    void SetFreeOnTerminate(int freeOnTerminate);
    void setRunner(BThreadRunner* runner);
    int isCurrentThread() const;
    BString getName() const;

    static void* getCurrentThreadID();
    static void setCurrentThreadDebuggerName(BString const& name);
    static void* run(void* thread);
    // The scheduling priority that a BThreadPrio asks for.
    static int schedulingPriority(int priority);
    // The name given to the kernel: at most 15 bytes, cut at a character boundary.
    static BString kernelThreadName(BString const& name);

protected:
    // Waits until the next Notify or at most millis (0 or less: no limit). A Notify
    // made since the previous wait ends it at once, so none is lost between a check
    // of the loop's state and the wait.
    void waitForNotify(int millis);
    // Terminate, Kill and then wait for the thread to end, however long it takes:
    // what the thread still uses is never freed under it.
    void stopThread();
    // Records the stop request without waking anybody.
    void markTerminated();

private:
    bool createPlatformThread(pthread_t& created);
    bool endPreviousRun();
    void join();
    void windUp();
    void report(char const* what) const;

    std::atomic<int> freeOnTerminate{0};
    std::atomic<int> terminated{0};
    BLockedEvent wakeUp;
    bool wakePending = false; // guarded by wakeUp's mutex
    std::atomic<int> active{0};
    std::atomic<int> inExecute{0};
    BString const name;
    pthread_t handle{};        // guarded by lock
    bool hasHandle = false;    // guarded by lock: a platform thread not yet joined
    std::atomic<int> priority{BThreadPrioDefault};
    std::atomic<unsigned int> terminateTime{0};
    mutable BLock lock;
    std::atomic<BThreadRunner*> runner{nullptr};
};

} // namespace Tr
