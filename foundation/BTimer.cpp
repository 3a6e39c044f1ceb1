#include "foundation/BTimer.h"

#include "foundation/MilliTime.h"

#include <algorithm>

namespace Tr {

namespace {

constexpr int kLongestPassWaitMillis = 2000;

BTimerManager* currentManager = nullptr; // guarded by BTimerManager::lock()

} // namespace

BTimer::Listener::~Listener() = default;

BTimer::BTimer(Listener* listener, int interval, int repeating, BString const& name, int autoDelete)
    : listener(listener), interval(std::max(interval, 1)), repeating(repeating), autoDelete(autoDelete), name(name)
{
}

BTimer::~BTimer()
{
    BLockHolder hold(BTimerManager::lock());
    started = 0;
    if (deletedDuringCallback)
        *deletedDuringCallback = true;
    if (registered && manager)
        manager->forget(this);
}

void BTimer::start()
{
    BLockHolder hold(BTimerManager::lock());
    started = 1;
    BTimerManager::instance()->add(this);
}

int BTimer::stop()
{
    return started.exchange(0);
}

int BTimer::isStarted() const
{
    return started;
}

void BTimer::setInitialDelay(int millis)
{
    BLockHolder hold(BTimerManager::lock());
    initialDelay = millis;
}

int BTimer::getInitialDelay() const
{
    BLockHolder hold(BTimerManager::lock());
    return initialDelay < 0 ? interval : initialDelay;
}

void BTimer::setInterval(int millis)
{
    BLockHolder hold(BTimerManager::lock());
    interval = millis;
}

int BTimer::getInterval() const
{
    BLockHolder hold(BTimerManager::lock());
    return interval;
}

void BTimer::setRepeating(int newRepeating)
{
    BLockHolder hold(BTimerManager::lock());
    repeating = newRepeating;
}

int BTimer::isRepeating() const
{
    BLockHolder hold(BTimerManager::lock());
    return repeating;
}

void BTimer::setAutoDelete(int newAutoDelete)
{
    BLockHolder hold(BTimerManager::lock());
    autoDelete = newAutoDelete;
}

int BTimer::isAutoDeleting() const
{
    BLockHolder hold(BTimerManager::lock());
    return autoDelete;
}

void BTimer::setName(BString const& newName)
{
    BLockHolder hold(BTimerManager::lock());
    name = newName;
}

BString BTimer::getName() const
{
    BLockHolder hold(BTimerManager::lock());
    return name;
}

void BTimer::setListener(Listener* newListener)
{
    BLockHolder hold(BTimerManager::lock());
    listener = newListener;
}

BTimer::Listener* BTimer::getListener() const
{
    BLockHolder hold(BTimerManager::lock());
    return listener;
}

std::optional<unsigned int> BTimer::work(unsigned int now)
{
    BLockHolder hold(BTimerManager::lock());
    if (!hasDue)
        return std::nullopt;
    inWork = 1;
    while (int(now - nextDue) >= 0) {
        if (!fireOnce())
            return std::nullopt; // deleted by its own callback: touch nothing
        if (armedInPass)
            break; // started again by the callback: that start's due time stands
        if (!repeating || !started) {
            hasDue = false;
            started = 0;
            break;
        }
        nextDue += period();
    }
    inWork = 0;
    return hasDue ? std::optional<unsigned int>(nextDue) : std::nullopt;
}

int BTimer::stopAllByName(BString const& name)
{
    return BTimerManager::instance()->stopAllByName(name);
}

int BTimer::stopAllByListener(Listener* listener)
{
    return BTimerManager::instance()->stopAllByListener(listener);
}

unsigned int BTimer::period() const
{
    return unsigned(std::max(interval, 1));
}

// False when the callback deleted this timer.
bool BTimer::fireOnce()
{
    if (!listener)
        return true;
    bool deleted = false;
    deletedDuringCallback = &deleted;
    listener->onTimer(this);
    if (deleted)
        return false;
    deletedDuringCallback = nullptr;
    return true;
}

BTimerManager::BTimerManager() : BThread(0, "BTimerManager") {}

BTimerManager* BTimerManager::instance()
{
    BLockHolder hold(lock());
    if (!currentManager)
        currentManager = new BTimerManager;
    return currentManager;
}

BLock& BTimerManager::lock()
{
    static BLock* shared = new BLock;
    return *shared;
}

// Timers armed while the manager goes stay with it and are dropped here; the next
// instance() after this destructor makes a new manager.
BTimerManager::~BTimerManager()
{
    {
        BLockHolder hold(lock());
        dying = true;
    }
    stopThread();
    BLockHolder hold(lock());
    stopAll();
    if (currentManager == this)
        currentManager = nullptr;
}

void BTimerManager::add(BTimer* timer)
{
    BLockHolder hold(lock());
    if (timers.indexOf(timer) < 0)
        timers.add(timer);
    int delay = timer->initialDelay >= 0 ? timer->initialDelay : timer->interval;
    timer->nextDue = getMilliTime() + unsigned(delay);
    timer->hasDue = true;
    timer->armedInPass = inPass;
    timer->manager = this;
    timer->registered = 1;
    if (dying)
        return;
    if (!isActive() || isTerminated())
        Start();
    else
        Notify();
}

int BTimerManager::stopAllByName(BString const& name)
{
    return dropMatching([&name](BTimer* timer) { return timer->name == name; });
}

int BTimerManager::stopAllByListener(BTimer::Listener* listener)
{
    return dropMatching([listener](BTimer* timer) { return timer->listener == listener; });
}

void BTimerManager::stopAll()
{
    dropMatching([](BTimer*) { return true; });
}

void BTimerManager::Execute()
{
    while (!isTerminated()) {
        int wait = work();
        if (!isTerminated())
            waitForNotify(wait);
    }
}

int BTimerManager::work()
{
    BLockHolder hold(lock());
    unsigned int now = getMilliTime();
    inPass = true;
    // However late the pass, firings come in the order of their due times: the
    // earliest timer fires up to the due time of the next one.
    while (BTimer* timer = earliestDue(now, nullptr)) {
        BTimer* next = earliestDue(now, timer);
        timer->work(next ? next->nextDue : now);
    }
    for (int i = timers.count - 1; i >= 0; --i) {
        BTimer* timer = timers.items[i]; // null when a callback deleted it
        if (!timer)
            continue;
        timer->armedInPass = false;
        if (!timer->started)
            removeImpl(timer, i);
    }
    inPass = false;
    compact();
    unsigned int earliest = now + kLongestPassWaitMillis;
    if (countStartedAndFindEarliest(earliest) == 0)
        Terminate();
    return std::clamp(int(earliest - now), 1, kLongestPassWaitMillis);
}

template <class Match>
int BTimerManager::dropMatching(Match const& match)
{
    BLockHolder hold(lock());
    int stopped = 0;
    for (int i = timers.count - 1; i >= 0; --i) {
        BTimer* timer = timers.items[i];
        if (timer && match(timer)) {
            stopped += timer->started ? 1 : 0;
            removeImpl(timer, i);
        }
    }
    return stopped;
}

// A timer in work stays listed and is dropped by a later pass.
void BTimerManager::removeImpl(BTimer* timer, int index)
{
    timer->started = 0;
    if (timer->inWork)
        return;
    timer->registered = 0;
    timer->manager = nullptr;
    unlist(index);
    if (timer->autoDelete)
        delete timer;
}

void BTimerManager::forget(BTimer* timer)
{
    int index = timers.indexOf(timer);
    if (index >= 0)
        unlist(index);
    timer->registered = 0;
    timer->manager = nullptr;
}

// During a pass a slot is only emptied, so that the pass's indexes stay right.
void BTimerManager::unlist(int index)
{
    if (inPass)
        timers.setItem(index, nullptr);
    else
        timers.remove(index);
}

void BTimerManager::compact()
{
    for (int i = timers.count - 1; i >= 0; --i)
        if (!timers.items[i])
            timers.remove(i);
}

// Timers armed by a callback during the pass are counted here too.
int BTimerManager::countStartedAndFindEarliest(unsigned int& earliest) const
{
    int started = 0;
    for (int i = 0; i < timers.count; ++i) {
        BTimer* timer = timers.items[i];
        if (!timer->started)
            continue;
        ++started;
        if (timer->hasDue && int(timer->nextDue - earliest) < 0)
            earliest = timer->nextDue;
    }
    return started;
}

// A started timer due at now, other than the excluded one, with the earliest due
// time; of equal ones the last listed. Null when none is due.
BTimer* BTimerManager::earliestDue(unsigned int now, BTimer const* excluded) const
{
    BTimer* earliest = nullptr;
    for (int i = timers.count - 1; i >= 0; --i) {
        BTimer* timer = timers.items[i];
        if (!timer || timer == excluded || !timer->started || !timer->hasDue || timer->armedInPass)
            continue;
        if (int(now - timer->nextDue) >= 0 && (!earliest || int(timer->nextDue - earliest->nextDue) < 0))
            earliest = timer;
    }
    return earliest;
}

} // namespace Tr
