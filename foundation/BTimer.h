#pragma once

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/BString.h"
#include "foundation/BThread.h"
#include "foundation/PexaSystem.h"

#include <atomic>
#include <optional>

namespace Tr {

class BTimerManager;

// A timer driven by the shared "BTimerManager" thread. Every callback runs there,
// under the manager's lock, so callbacks never overlap and may start, stop or delete
// timers, their own included. The settings are read and written under that lock too.
class BTimer {
public:
    class Listener {
    public:
        virtual ~Listener();
        virtual void onTimer(BTimer* timer) = 0;
    };

    // An interval of 0 or less becomes 1.
    BTimer(Listener* listener, int interval, int repeating, BString const& name = BString(), int autoDelete = 0);
    BTimer(BTimer const&) = delete;
    BTimer& operator=(BTimer const&) = delete;
    // Stops the timer; a timer still listed waits for a running pass of the manager
    // to end (at once when called from a callback) and is then dropped.
    virtual ~BTimer();

    // Arms the timer (again): its next firing is one delay from now. A start made
    // during the timer's own callback survives that callback.
    void start();
    // Returns whether it was started; the manager drops it at its next pass.
    int stop();
    int isStarted() const;

    // The delay before the first firing; negative means the interval.
    void setInitialDelay(int millis);
    int getInitialDelay() const;
    // Stored as given; a repeating timer below 1 ms fires every millisecond.
    void setInterval(int millis);
    int getInterval() const;
    void setRepeating(int repeating);
    int isRepeating() const;
    void setAutoDelete(int autoDelete);
    int isAutoDeleting() const;
    void setName(BString const& name);
    BString getName() const;
    void setListener(Listener* listener);
    Listener* getListener() const;

    // The due check of one manager pass at the pass's time now: fires while due and
    // returns the next due time, none when the timer is done (or was deleted by its
    // callback). Every 32-bit value, 0 included, is a valid due time.
    std::optional<unsigned int> work(unsigned int now);

    static int stopAllByName(BString const& name);
    static int stopAllByListener(Listener* listener);

private:
    friend class BTimerManager;

    unsigned int period() const;
    bool fireOnce();

    Listener* listener;
    int initialDelay = -1;
    int interval;
    int repeating;
    int autoDelete;
    std::atomic<int> started{0};
    std::atomic<int> registered{0};
    std::atomic<int> inWork{0};
    BString name;
    unsigned int nextDue = 0;
    bool hasDue = false;
    // Set when a callback arms the timer during a pass: that arming's due time stands,
    // and the timer waits for the next pass. Cleared at the end of the pass.
    bool armedInPass = false;
    // Set while the callback runs; the destructor marks the flag it points to.
    bool* deletedDuringCallback = nullptr;
    BTimerManager* manager = nullptr;
};

// The one thread that drives every BTimer. It starts with the first armed timer,
// ends after a pass that finds none started, and starts again with the next.
class BTimerManager : public BThread, public AutoDelete {
public:
    // Created on first use, under the manager's lock, and registered for deletion at
    // shutdown; created anew when asked for after that deletion.
    static BTimerManager* instance();
    // The lock of every manager and timer. Never destroyed.
    static BLock& lock();

    ~BTimerManager() override;

    void add(BTimer* timer);
    // Drop every matching timer; the count of those that were started.
    int stopAllByName(BString const& name);
    int stopAllByListener(BTimer::Listener* listener);
    void stopAll();

    void Execute() override;
    // One pass: runs the due checks, drops finished timers; the milliseconds to wait.
    int work();

private:
    friend class BTimer;

    BTimerManager();

    template <class Match>
    int dropMatching(Match const& match);
    void removeImpl(BTimer* timer, int index);
    // Unlists a timer that is being destroyed, in work or not.
    void forget(BTimer* timer);
    void unlist(int index);
    void compact();
    int countStartedAndFindEarliest(unsigned int& earliest) const;
    BTimer* earliestDue(unsigned int now, BTimer const* excluded) const;

    BList<BTimer*> timers;
    bool inPass = false;
    bool dying = false;
};

} // namespace Tr
