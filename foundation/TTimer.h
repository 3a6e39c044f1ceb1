#pragma once

#include "foundation/BString.h"
#include "foundation/BThread.h"

#include <atomic>

namespace Tr {

// Called on the timer's own thread; a result of 0 disables the timer. Listeners are
// never deleted through this interface.
class TTimerListener {
public:
    virtual int OnTimer() = 0;

protected:
    ~TTimerListener() = default;
};

// A timer with an interval (1000 ms unless set) and an enable flag.
class TTimer {
public:
    TTimer(TTimerListener* listener, BString const& name);
    TTimer(TTimer const&) = delete;
    TTimer& operator=(TTimer const&) = delete;
    virtual ~TTimer();

    virtual int IsEnabled() const;
    // A request for the state the timer is already in returns that state.
    virtual int SetEnabled(int enabled) = 0;
    virtual int GetInterval() const;
    // Stores the interval; an enabled timer is disabled and enabled again.
    virtual void SetInterval(int millis);

    TTimerListener* GetOnTimer() const;
    void SetOnTimer(TTimerListener* listener);
    BString GetName() const;

protected:
    std::atomic<int> interval{1000};
    std::atomic<int> enabled{0};
    std::atomic<TTimerListener*> listener;
    BString const name;
};

// A timer with a thread of its own ("BThreadTimer" unless named otherwise), on which
// the listener runs with no lock held. Periods missed while a callback ran are
// delivered back to back; the period itself stays that of the due times.
class BThreadTimer : public TTimer, public BThread {
public:
    BThreadTimer(TTimerListener* listener, BString const& name);
    ~BThreadTimer() override;

    // Enabling starts the thread (the result of Start); disabling stops it (the
    // result of Kill; on the timer's own thread only the terminate request is made).
    int SetEnabled(int enabled) override;
    // Takes effect at once: the next firing is one new interval from now.
    void SetInterval(int millis) override;
    // The next firing is one interval from now.
    void retrigger();

    void Execute() override;

private:
    static BString threadName(BString const& name);
    // An interval below 1 ms counts as 1 ms, so the loop never spins in place.
    unsigned int period() const;
    void scheduleFromNow();

    std::atomic<unsigned int> dueTime;
};

TTimer* CreateTimer(TTimerListener* listener, BString const& name);
TTimer* CreateTimer(TTimerListener* listener);
TTimer* CreateTimer();

} // namespace Tr
