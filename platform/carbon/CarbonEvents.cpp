#include "platform/carbon/CarbonEvents.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <vector>

struct OpaqueEventRef {
    struct Parameter {
        EventParamType type;
        std::vector<unsigned char> data;
    };

    std::atomic<int> references{1};
    OSType eventClass;
    uint32_t kind;
    EventTime when;
    EventAttributes attributes;
    std::map<EventParamName, Parameter> parameters;
};

namespace {

bool isOfAnyType(EventRef event, EventTypeSpec const* begin, EventTypeSpec const* end)
{
    return std::any_of(begin, end, [event](EventTypeSpec const& type) {
        return type.eventClass == event->eventClass && type.eventKind == event->kind;
    });
}

} // namespace

struct OpaqueEventHandlerRef {
    OpaqueEventTargetRef* target;
    EventHandlerUPP proc;
    std::vector<EventTypeSpec> types;
    void* userData;

    bool handles(EventRef event) const { return isOfAnyType(event, types.data(), types.data() + types.size()); }
};

struct OpaqueEventTargetRef {
    OpaqueEventQueueRef* queue;
    std::vector<OpaqueEventHandlerRef*> handlers;
};

struct OpaqueEventLoopRef {
    OpaqueEventQueueRef* queue;
};

struct OpaqueEventQueueRef {
    struct Entry {
        EventRef event;
        EventPriority priority;
    };

    std::condition_variable wake;
    std::deque<Entry> events;
    std::deque<std::function<void()>> closures;
    bool quit = false;
    OpaqueEventLoopRef loop{this};
    OpaqueEventTargetRef target{this, {}};
};

namespace {

// One lock for every queue, handler list and the set of live queues. It is never
// held while a handler, a closure or an event's destruction runs.
struct Registry {
    std::mutex mutex;
    std::set<EventQueueRef> live;
    std::set<EventHandlerRef> handlers;

    bool isLive(EventQueueRef queue) const { return live.count(queue) != 0; }
};

// Never destroyed: threads that outlive static destruction may still post.
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

// Owns the calling thread's queue; the queue goes with the thread.
class ThreadQueue {
public:
    ThreadQueue() = default;
    ThreadQueue(ThreadQueue const&) = delete;
    ThreadQueue& operator=(ThreadQueue const&) = delete;

    ~ThreadQueue()
    {
        if (queue)
            retire();
    }

    EventQueueRef get()
    {
        if (!queue) {
            queue = new OpaqueEventQueueRef;
            std::lock_guard<std::mutex> hold(registry().mutex);
            registry().live.insert(queue);
        }
        return queue;
    }

private:
    void retire()
    {
        std::deque<OpaqueEventQueueRef::Entry> events;
        std::deque<std::function<void()>> closures;
        {
            std::lock_guard<std::mutex> hold(registry().mutex);
            registry().live.erase(queue);
            events.swap(queue->events);
            closures.swap(queue->closures);
            for (EventHandlerRef handler : queue->target.handlers) {
                registry().handlers.erase(handler);
                delete handler;
            }
        }
        for (auto& entry : events)
            ReleaseEvent(entry.event);
        delete queue;
    }

    EventQueueRef queue = nullptr;
};

thread_local ThreadQueue threadQueue;

bool matches(EventRef event, ItemCount numTypes, EventTypeSpec const* types)
{
    return numTypes == 0 || !types || isOfAnyType(event, types, types + numTypes);
}

} // namespace

OSStatus CreateEvent(void const* /*allocator*/, OSType eventClass, uint32_t kind, EventTime when,
                     EventAttributes flags, EventRef* outEvent)
{
    if (!outEvent)
        return paramErr;
    EventRef event = new OpaqueEventRef;
    event->eventClass = eventClass;
    event->kind = kind;
    event->when = when;
    event->attributes = flags;
    *outEvent = event;
    return noErr;
}

EventRef RetainEvent(EventRef event)
{
    if (event)
        event->references.fetch_add(1);
    return event;
}

void ReleaseEvent(EventRef event)
{
    if (event && event->references.fetch_sub(1) == 1)
        delete event;
}

OSType GetEventClass(EventRef event)
{
    return event ? event->eventClass : 0;
}

uint32_t GetEventKind(EventRef event)
{
    return event ? event->kind : 0;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           void const* data)
{
    if (!event || (size > 0 && !data))
        return paramErr;
    auto bytes = static_cast<unsigned char const*>(data);
    event->parameters[name] = {type, std::vector<unsigned char>(bytes, bytes + size)};
    return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData)
{
    if (!event)
        return paramErr;
    auto found = event->parameters.find(name);
    if (found == event->parameters.end() || found->second.type != desiredType)
        return eventParameterNotFoundErr;
    auto const& data = found->second.data;
    if (outActualType)
        *outActualType = found->second.type;
    if (outActualSize)
        *outActualSize = data.size();
    if (outData)
        std::memcpy(outData, data.data(), std::min<ByteCount>(bufferSize, data.size()));
    return noErr;
}

EventQueueRef GetCurrentEventQueue()
{
    return threadQueue.get();
}

EventLoopRef GetCurrentEventLoop()
{
    return &threadQueue.get()->loop;
}

EventTargetRef GetEventDispatcherTarget()
{
    return &threadQueue.get()->target;
}

OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority)
{
    if (!event)
        return paramErr;
    std::lock_guard<std::mutex> hold(registry().mutex);
    if (!registry().isLive(queue))
        return paramErr;
    auto& events = queue->events;
    auto before = std::find_if(events.begin(), events.end(), [priority](OpaqueEventQueueRef::Entry const& entry) {
        return entry.priority < priority;
    });
    events.insert(before, {RetainEvent(event), priority});
    queue->wake.notify_all();
    return noErr;
}

OSStatus PostClosureToQueue(EventQueueRef queue, std::function<void()> closure)
{
    if (!closure)
        return paramErr;
    std::lock_guard<std::mutex> hold(registry().mutex);
    if (!registry().isLive(queue))
        return paramErr;
    queue->closures.push_back(std::move(closure));
    queue->wake.notify_all();
    return noErr;
}

OSStatus QuitEventLoop(EventLoopRef loop)
{
    if (!loop)
        return paramErr;
    std::lock_guard<std::mutex> hold(registry().mutex);
    if (!registry().isLive(loop->queue))
        return paramErr;
    loop->queue->quit = true;
    loop->queue->wake.notify_all();
    return noErr;
}

OSStatus ReceiveNextEvent(ItemCount numTypes, EventTypeSpec const* types, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent)
{
    if (!outEvent)
        return paramErr;
    EventQueueRef queue = GetCurrentEventQueue();
    bool forever = timeout < 0;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(forever ? 0.0 : timeout));
    std::unique_lock<std::mutex> hold(registry().mutex);
    for (;;) {
        if (!queue->closures.empty()) {
            std::function<void()> closure = std::move(queue->closures.front());
            queue->closures.pop_front();
            hold.unlock();
            closure();
            closure = nullptr;
            hold.lock();
            continue;
        }
        if (queue->quit) {
            queue->quit = false;
            return eventLoopQuitErr;
        }
        auto& events = queue->events;
        auto found = std::find_if(events.begin(), events.end(), [&](OpaqueEventQueueRef::Entry const& entry) {
            return matches(entry.event, numTypes, types);
        });
        if (found != events.end()) {
            *outEvent = found->event;
            if (pullEvent)
                events.erase(found);
            return noErr;
        }
        if (forever) {
            queue->wake.wait(hold);
        } else {
            if (std::chrono::steady_clock::now() >= deadline)
                return eventLoopTimedOutErr;
            queue->wake.wait_until(hold, deadline);
        }
    }
}

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc)
{
    return proc;
}

void DisposeEventHandlerUPP(EventHandlerUPP /*upp*/) {}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             EventTypeSpec const* types, void* userData, EventHandlerRef* outRef)
{
    if (!target || !handler || (numTypes > 0 && !types))
        return paramErr;
    std::lock_guard<std::mutex> hold(registry().mutex);
    if (!registry().isLive(target->queue))
        return paramErr;
    auto installed = new OpaqueEventHandlerRef{target, handler, {types, types + numTypes}, userData};
    target->handlers.push_back(installed);
    registry().handlers.insert(installed);
    if (outRef)
        *outRef = installed;
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler)
{
    std::lock_guard<std::mutex> hold(registry().mutex);
    if (registry().handlers.erase(handler) == 0)
        return paramErr;
    auto& handlers = handler->target->handlers;
    handlers.erase(std::find(handlers.begin(), handlers.end(), handler));
    delete handler;
    return noErr;
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target)
{
    if (!event || !target)
        return paramErr;
    std::vector<OpaqueEventHandlerRef> chosen;
    {
        std::lock_guard<std::mutex> hold(registry().mutex);
        if (!registry().isLive(target->queue))
            return paramErr;
        for (auto it = target->handlers.rbegin(); it != target->handlers.rend(); ++it)
            if ((*it)->handles(event))
                chosen.push_back(**it);
    }
    for (auto const& handler : chosen) {
        OSStatus result = handler.proc(nullptr, event, handler.userData);
        if (result != eventNotHandledErr)
            return result;
    }
    return eventNotHandledErr;
}
