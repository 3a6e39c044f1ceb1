#include "foundation/TTimer.h"

#include "foundation/MilliTime.h"

#include <algorithm>

namespace Tr {

namespace {

constexpr unsigned int kLongestWaitMillis = 1000;

} // namespace

TTimer::TTimer(TTimerListener* listener, BString const& name) : listener(listener), name(name) {}

TTimer::~TTimer() = default;

int TTimer::IsEnabled() const
{
    return enabled;
}

int TTimer::GetInterval() const
{
    return interval;
}

void TTimer::SetInterval(int millis)
{
    interval = millis;
    if (enabled) {
        SetEnabled(0);
        SetEnabled(1);
    }
}

TTimerListener* TTimer::GetOnTimer() const
{
    return listener;
}

void TTimer::SetOnTimer(TTimerListener* newListener)
{
    listener = newListener;
}

BString TTimer::GetName() const
{
    return name;
}

BThreadTimer::BThreadTimer(TTimerListener* listener, BString const& name)
    : TTimer(listener, threadName(name)), BThread(0, threadName(name)), dueTime(getMilliTime() + period())
{
}

BThreadTimer::~BThreadTimer()
{
    stopThread();
}

int BThreadTimer::SetEnabled(int enable)
{
    if (!enable)
        return enabled.exchange(0) ? Kill() : 0;
    if (enabled.exchange(1))
        return 1;
    scheduleFromNow();
    int started = Start();
    if (!started)
        enabled = 0; // so that a later request tries again
    return started;
}

void BThreadTimer::SetInterval(int millis)
{
    interval = millis;
    scheduleFromNow();
}

void BThreadTimer::retrigger()
{
    scheduleFromNow();
}

void BThreadTimer::Execute()
{
    while (!isTerminated()) {
        unsigned int now = getMilliTime();
        unsigned int due = dueTime;
        int ahead = int(due - now);
        if (ahead > 0) {
            waitForNotify(int(std::min(unsigned(ahead), kLongestWaitMillis)));
            continue;
        }
        // Advanced from the old due time, unless somebody moved it meanwhile.
        if (!dueTime.compare_exchange_strong(due, due + period()))
            continue;
        TTimerListener* current = listener;
        if (current && current->OnTimer() == 0) {
            SetEnabled(0);
            break;
        }
    }
}

BString BThreadTimer::threadName(BString const& name)
{
    return name.isEmpty() ? BString("BThreadTimer") : name;
}

unsigned int BThreadTimer::period() const
{
    return unsigned(std::max(int(interval), 1));
}

void BThreadTimer::scheduleFromNow()
{
    dueTime = getMilliTime() + period();
    Notify();
}

TTimer* CreateTimer(TTimerListener* listener, BString const& name)
{
    return new BThreadTimer(listener, name);
}

TTimer* CreateTimer(TTimerListener* listener)
{
    return CreateTimer(listener, BString());
}

TTimer* CreateTimer()
{
    return CreateTimer(nullptr);
}

} // namespace Tr
