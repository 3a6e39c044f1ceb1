#include "foundation/BThread.h"

#include "foundation/MilliTime.h"

#include <cstdint>
#include <cstdio>

namespace Tr {

namespace {

constexpr unsigned int kKillWaitMillis = 2000;
constexpr int kLinuxThreadNameBytes = 15;

} // namespace

BThreadRunner::~BThreadRunner() = default;

BThread::BThread(int start, BString const& name) : BThread(nullptr, start, name) {}

BThread::BThread(BThreadRunner* runner, int start, BString const& name) : name(name), runner(runner)
{
    if (start)
        Start();
}

BThread::~BThread()
{
    stopThread();
}

int BThread::Start()
{
    if (!endPreviousRun())
        return 0;
    BLockHolder hold(lock);
    if (active)
        return 1; // another caller started it meanwhile
    active = 1;
    terminated = 0;
    inExecute = 0;
    pthread_t created;
    if (!createPlatformThread(created)) {
        active = 0;
        terminated = 1;
        return 0;
    }
    handle = created;
    hasHandle = true;
    return 1;
}

// Held under the object's lock: a free-on-terminate thread that sees the flag
// deletes itself only after taking that lock, so the wake-up never reaches a
// freed object.
void BThread::Terminate()
{
    BLockHolder hold(lock);
    int running = 0;
    if (terminated.compare_exchange_strong(running, 1))
        terminateTime = getMilliTime();
    Notify();
}

void BThread::Notify()
{
    wakeUp.Enter();
    wakePending = true;
    wakeUp.Notify();
    wakeUp.Leave();
}

void BThread::Execute() {}

int BThread::waitFor()
{
    if (!active || isCurrentThread())
        return 1;
    unsigned int base = terminateTime;
    unsigned int now = getMilliTime();
    if (now - base > kKillWaitMillis)
        base = now - (kKillWaitMillis - 100);
    for (int pass = 1;; ++pass) {
        if (!active)
            return 1;
        if (pass % 21 == 0 && getMilliTime() - base > kKillWaitMillis)
            return active ? 0 : 1;
        sleepMillis(1);
    }
}

int BThread::Kill()
{
    if (!active) {
        join();
        return 1;
    }
    if (isCurrentThread()) {
        Terminate();
        return 1;
    }
    bool freesItself = freeOnTerminate;
    Terminate();
    if (freesItself)
        return 1;
    if (!waitFor()) {
        report("did not end within 2000 ms of its terminate request and keeps running");
        return 0;
    }
    join();
    return 1;
}

void BThread::Cancel()
{
    Terminate();
    sleepMillis(10);
}

int BThread::isActive() const
{
    return active;
}

int BThread::isTerminated() const
{
    return terminated;
}

int BThread::isInThreadMethod() const
{
    return inExecute > 0 ? 1 : 0;
}

void BThread::SetPriority(BThreadPrio newPriority)
{
    priority = newPriority;
}

void BThread::SetFreeOnTerminate(int newFreeOnTerminate)
{
    freeOnTerminate = newFreeOnTerminate;
}

void BThread::setRunner(BThreadRunner* newRunner)
{
    runner = newRunner;
}

int BThread::isCurrentThread() const
{
    BLockHolder hold(lock);
    return hasHandle && pthread_equal(handle, pthread_self()) ? 1 : 0;
}

BString BThread::getName() const
{
    return name;
}

void* BThread::getCurrentThreadID()
{
    return reinterpret_cast<void*>(uintptr_t(pthread_self()));
}

void BThread::setCurrentThreadDebuggerName(BString const& /*name*/) {}

void* BThread::run(void* thread)
{
    auto self = static_cast<BThread*>(thread);
    BString kernelName = kernelThreadName(self->name);
    if (kernelName.isNotEmpty())
        pthread_setname_np(pthread_self(), kernelName.c_str());
    ++self->inExecute;
    if (BThreadRunner* runner = self->runner)
        runner->run(self);
    else
        self->Execute();
    --self->inExecute;
    self->windUp();
    return nullptr;
}

int BThread::schedulingPriority(int priority)
{
    switch (priority) {
    case 1:
        return 39;
    case 2:
        return 47;
    case 3:
        return 23;
    case 4:
        return 15;
    default:
        return 31;
    }
}

BString BThread::kernelThreadName(BString const& name)
{
    int cut = name.length();
    if (cut <= kLinuxThreadNameBytes)
        return name;
    cut = kLinuxThreadNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return BString(name.c_str(), cut);
}

void BThread::waitForNotify(int millis)
{
    wakeUp.Enter();
    if (!wakePending)
        wakeUp.WaitMs(millis);
    wakePending = false;
    wakeUp.Leave();
}

void BThread::stopThread()
{
    {
        BLockHolder hold(lock);
        freeOnTerminate = 0;
    }
    Terminate();
    Kill();
    join();
}

void BThread::markTerminated()
{
    terminated = 1;
}

bool BThread::createPlatformThread(pthread_t& created)
{
    int wanted = priority;
    if (wanted != BThreadPrioDefault) {
        // A priority the scheduler refuses (Linux's default policy takes none) is no
        // error: the thread then starts with default attributes.
        pthread_attr_t attributes;
        if (pthread_attr_init(&attributes) == 0) {
            sched_param parameters;
            bool made = pthread_attr_getschedparam(&attributes, &parameters) == 0;
            if (made) {
                parameters.sched_priority = schedulingPriority(wanted);
                made = pthread_attr_setschedparam(&attributes, &parameters) == 0 &&
                       pthread_create(&created, &attributes, run, this) == 0;
            }
            pthread_attr_destroy(&attributes);
            if (made)
                return true;
        }
    }
    return pthread_create(&created, nullptr, run, this) == 0;
}

bool BThread::endPreviousRun()
{
    if (active) {
        if (isCurrentThread()) {
            report("cannot be restarted from its own thread");
            return false;
        }
        Terminate();
        if (!waitFor()) {
            report("did not end within 2000 ms of its terminate request; not restarted");
            return false;
        }
    }
    join();
    return true;
}

void BThread::join()
{
    pthread_t ended;
    {
        BLockHolder hold(lock);
        if (!hasHandle)
            return;
        ended = handle;
        hasHandle = false;
    }
    if (pthread_equal(ended, pthread_self()))
        pthread_detach(ended);
    else
        pthread_join(ended, nullptr);
}

// The ownership of a free-on-terminate object passes to its thread here, under the
// lock: a delete from outside that came first has cleared the flag.
void BThread::windUp()
{
    bool freeSelf;
    {
        BLockHolder hold(lock);
        terminated = 1;
        active = 0;
        freeSelf = freeOnTerminate;
        if (freeSelf) {
            pthread_detach(pthread_self());
            hasHandle = false;
        }
    }
    if (freeSelf)
        delete this;
}

void BThread::report(char const* what) const
{
    std::fprintf(stderr, "BThread \"%s\" %s\n", name.c_str(), what);
}

} // namespace Tr
