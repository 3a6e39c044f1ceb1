#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace Tr {

// Listeners that are told on several threads. A listener is called only while it
// is registered, and its removal waits until no other thread is inside a call of
// it, so the listener may be destroyed as soon as its removal returns. No lock is
// held while a listener runs; two listeners that remove each other from inside
// their calls on two threads at once would wait for each other.
template <class Listener>
class MidiListenerList {
public:
    MidiListenerList() = default;
    MidiListenerList(MidiListenerList const&) = delete;
    MidiListenerList& operator=(MidiListenerList const&) = delete;

    // Appends the listener unless it is registered already.
    void add(Listener* listener)
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
            listeners.push_back(listener);
    }

    void remove(Listener* listener)
    {
        std::unique_lock<std::mutex> hold(mutex);
        auto found = std::find(listeners.begin(), listeners.end(), listener);
        if (found != listeners.end())
            listeners.erase(found);
        while (isCalledElsewhere(listener))
            callEnded.wait_for(hold, std::chrono::milliseconds(100));
    }

    // Makes the listener the only one (none for null), waiting as remove does for
    // calls of those it replaces.
    void assign(Listener* listener)
    {
        std::unique_lock<std::mutex> hold(mutex);
        std::vector<Listener*> replaced;
        replaced.swap(listeners);
        if (listener)
            listeners.push_back(listener);
        for (Listener* old : replaced)
            while (old != listener && isCalledElsewhere(old))
                callEnded.wait_for(hold, std::chrono::milliseconds(100));
    }

    void clear()
    {
        std::lock_guard<std::mutex> hold(mutex);
        listeners.clear();
    }

    // Calls call(listener) for every listener registered now, first to last or last
    // to first, skipping those removed in the meantime.
    template <class Call>
    void forEach(bool lastFirst, Call const& call)
    {
        std::vector<Listener*> snapshot = registered();
        if (lastFirst)
            std::reverse(snapshot.begin(), snapshot.end());
        for (Listener* listener : snapshot) {
            if (!enter(listener))
                continue;
            CallScope scope(*this, listener);
            call(listener);
        }
    }

private:
    using Call = std::pair<std::thread::id, Listener*>;

    // Ends the record of a call, also when the listener throws.
    class CallScope {
    public:
        CallScope(MidiListenerList& list, Listener* listener) : list(list), listener(listener) {}
        ~CallScope() { list.leave(listener); }

    private:
        MidiListenerList& list;
        Listener* listener;
    };

    // A copy made by construction: GCC 12 at -O3 takes the assignment of an empty
    // vector for a copy from a null pointer (-Wnonnull, an error with -Werror=format).
    std::vector<Listener*> registered()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return listeners;
    }

    bool enter(Listener* listener)
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
            return false;
        calls.emplace_back(std::this_thread::get_id(), listener);
        return true;
    }

    void leave(Listener* listener)
    {
        {
            std::lock_guard<std::mutex> hold(mutex);
            calls.erase(std::find(calls.begin(), calls.end(), Call(std::this_thread::get_id(), listener)));
        }
        callEnded.notify_all();
    }

    // The caller holds the mutex.
    bool isCalledElsewhere(Listener* listener) const
    {
        auto me = std::this_thread::get_id();
        return std::any_of(calls.begin(), calls.end(),
                           [&](Call const& call) { return call.second == listener && call.first != me; });
    }

    std::mutex mutex;
    std::condition_variable callEnded;
    std::vector<Listener*> listeners;
    std::vector<Call> calls;
};

} // namespace Tr
