#include "foundation/MsgQueue.h"

#include "foundation/MilliTime.h"

#include <mutex>
#include <random>

namespace Tr {

namespace {

constexpr OSType kEventClassPexa = OSTypeFromChars("pexa");
constexpr uint32_t kKindQueueCreated = 1;
constexpr uint32_t kKindWindowMessage = 2;
constexpr uint32_t kKindQuit = 3;
constexpr EventParamName kParamListener = OSTypeFromChars("blst");
constexpr EventParamName kParamMessage = OSTypeFromChars("bmsg");
constexpr EventParamName kParamFirst = OSTypeFromChars("bpa1");
constexpr EventParamName kParamSecond = OSTypeFromChars("bpa2");
constexpr int kReadyPolls = 2500;

// Guards reads of g_BMsgQueueListeners on the queue thread, which must not wait for
// g_BMsgQueueThreadLock (its holder may be waiting for a callback to end). Changes
// of the list take both locks.
std::mutex& listLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

// Held while a listener is called, so that DestroyHwnd can wait for that call.
BLock& deliveryLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

bool isListed(void* listener)
{
    std::lock_guard<std::mutex> hold(listLock());
    return g_BMsgQueueListeners.indexOf(listener) >= 0;
}

// The first occurrence; false when the listener was not listed.
bool unlist(void* listener)
{
    std::lock_guard<std::mutex> hold(listLock());
    return g_BMsgQueueListeners.remove(g_BMsgQueueListeners.indexOf(listener));
}

template <class T>
T parameterOr(EventRef event, EventParamName name, T absent)
{
    T value = absent;
    if (GetEventParameter(event, name, typeVoidPtr, nullptr, sizeof value, nullptr, &value) != noErr)
        return absent;
    return value;
}

template <class T>
void setParameter(EventRef event, EventParamName name, EventParamType type, T value)
{
    SetEventParameter(event, name, type, sizeof value, &value);
}

EventRef makeEvent(uint32_t kind, void* listener)
{
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassPexa, kind, 0, kEventAttributeUserEvent, &event);
    if (listener)
        setParameter(event, kParamListener, typeVoidPtr, listener);
    return event;
}

bool postAndRelease(EventQueueRef queue, EventRef event)
{
    bool posted = PostEventToQueue(queue, event, kEventPriorityHigh) == noErr;
    ReleaseEvent(event);
    return posted;
}

// Calls the listener only while it is registered; a removed one hears nothing.
template <class Call>
void deliver(void* listener, Call const& call)
{
    BLockHolder delivering(deliveryLock());
    if (isListed(listener))
        call(static_cast<TWndMessageListener*>(listener));
}

void deliverWindowMessage(EventRef event, void* listener)
{
    unsigned int message = parameterOr<unsigned int>(event, kParamMessage, 0);
    unsigned long long first = parameterOr<unsigned long long>(event, kParamFirst, 0);
    unsigned long long second = parameterOr<unsigned long long>(event, kParamSecond, 0);
    deliver(listener, [&](TWndMessageListener* target) {
        int result = 0;
        target->OnWindowMessage(listener, message, first, second, result);
    });
}

// Deletes a thread left told to terminate, starts one when none exists, and waits
// for its loop. Called under g_BMsgQueueThreadLock.
BMsgQueueThread* readyQueueThread()
{
    if (g_BMsgQueueThread && g_BMsgQueueThread->isTerminated()) {
        delete g_BMsgQueueThread;
        g_BMsgQueueThread = nullptr;
    }
    if (g_BMsgQueueThread)
        return g_BMsgQueueThread;
    auto thread = new BMsgQueueThread;
    g_BMsgQueueThread = thread;
    thread->Start();
    sleepMillis(1);
    for (int poll = 0; poll < kReadyPolls && thread->isActive() && !thread->isInRunLoop(); ++poll)
        sleepMillis(1);
    if (thread->isInRunLoop())
        return thread;
    g_BMsgQueueThread = nullptr;
    if (thread->isActive()) {
        // It ends as soon as its loop starts and frees itself.
        thread->SetFreeOnTerminate(1);
        thread->Terminate();
    } else {
        delete thread;
    }
    return nullptr;
}

} // namespace

BMsgQueueThread* g_BMsgQueueThread = nullptr;
BLock g_BMsgQueueThreadLock;
BList<void*> g_BMsgQueueListeners;
thread_local EventHandlerRef BMsgQueue_handler = nullptr;
thread_local EventHandlerUPP BMsgQueue_eventHandlerUPP = nullptr;

TWndMessageListener::~TWndMessageListener() = default;

BMsgQueueThread::BMsgQueueThread() : BThread(0, "BMsgQueue Thread") {}

BMsgQueueThread::~BMsgQueueThread()
{
    stopThread();
}

void BMsgQueueThread::Notify()
{
    BThread::Notify();
    if (EventQueueRef known = queue)
        postAndRelease(known, makeEvent(kKindQuit, nullptr));
}

void BMsgQueueThread::Execute()
{
    if (!BMsgQueue_runLoopStarted())
        return;
    target = GetEventDispatcherTarget();
    queue = GetCurrentEventQueue();
    while (!isTerminated()) {
        EventRef event = nullptr;
        if (ReceiveNextEvent(0, nullptr, kEventDurationForever, true, &event) != noErr)
            break;
        SendEventToEventTarget(event, target);
        ReleaseEvent(event);
    }
    BMsgQueue_runLoopStopped();
    markTerminated();
}

int BMsgQueueThread::isInRunLoop() const
{
    return queue.load() ? 1 : 0;
}

EventQueueRef BMsgQueueThread::getRunLoop() const
{
    return queue;
}

EventTargetRef BMsgQueueThread::getDispatcherTarget() const
{
    return target;
}

void* AllocateHwnd(TWndMessageListener* listener, BString const& /*name*/)
{
    if (!listener)
        return nullptr;
    BLockHolder hold(g_BMsgQueueThreadLock);
    BMsgQueueThread* thread = readyQueueThread();
    if (!thread)
        return nullptr;
    void* handle = listener;
    {
        std::lock_guard<std::mutex> holdList(listLock());
        g_BMsgQueueListeners.add(handle);
    }
    EventRef created = makeEvent(kKindQueueCreated, handle);
    setParameter(created, kEventParamPostTarget, typeEventTargetRef, thread->getDispatcherTarget());
    postAndRelease(thread->getRunLoop(), created);
    return handle;
}

void* AllocateHwnd(TWndMessageListener* listener)
{
    BString name = BString("Dravik MIDI T") + BString::fromInt(unsigned(std::random_device()()));
    return AllocateHwnd(listener, name);
}

void DestroyHwnd(void* handle)
{
    BMsgQueueThread* stopping = nullptr;
    {
        BLockHolder hold(g_BMsgQueueThreadLock);
        BMsgQueueThread* thread = g_BMsgQueueThread;
        if (!handle || !unlist(handle) || !thread)
            return;
        if (thread->isActive() && !thread->isTerminated() && g_BMsgQueueListeners.count == 0) {
            g_BMsgQueueThread = nullptr;
            if (thread->isCurrentThread()) {
                thread->SetFreeOnTerminate(1);
                thread->Terminate();
            } else {
                stopping = thread;
            }
        }
    }
    // Stopped outside the lock: a callback that is running may still take it.
    if (stopping) {
        stopping->Kill();
        delete stopping;
        return;
    }
    BLockHolder runningCallbackEnded(deliveryLock());
}

int BMsgQueue_Post(void* handle, unsigned int message, unsigned long long param1, unsigned long long param2)
{
    if (!handle)
        return 0;
    BLockHolder hold(g_BMsgQueueThreadLock);
    if (!g_BMsgQueueThread || !g_BMsgQueueThread->isInRunLoop() || !isListed(handle))
        return 0;
    EventRef event = makeEvent(kKindWindowMessage, handle);
    setParameter(event, kParamMessage, typeVoidPtr, message);
    setParameter(event, kParamFirst, typeVoidPtr, param1);
    setParameter(event, kParamSecond, typeVoidPtr, param2);
    return postAndRelease(g_BMsgQueueThread->getRunLoop(), event) ? 1 : 0;
}

OSStatus BMsgQueue_MessageCallback(EventHandlerCallRef /*call*/, EventRef event, void* /*userData*/)
{
    void* listener = parameterOr<void*>(event, kParamListener, nullptr);
    switch (GetEventKind(event)) {
    case kKindQuit:
        QuitEventLoop(GetCurrentEventLoop());
        break;
    case kKindWindowMessage:
        if (listener)
            deliverWindowMessage(event, listener);
        break;
    case kKindQueueCreated:
        if (listener)
            deliver(listener, [listener](TWndMessageListener* target) { target->OnMessageQueueCreated(listener); });
        break;
    default:
        break;
    }
    return noErr;
}

int BMsgQueue_runLoopStarted()
{
    static EventTypeSpec const kinds[] = {
        {kEventClassPexa, kKindQueueCreated}, {kEventClassPexa, kKindWindowMessage}, {kEventClassPexa, kKindQuit}};
    BMsgQueue_eventHandlerUPP = NewEventHandlerUPP(BMsgQueue_MessageCallback);
    if (InstallEventHandler(GetEventDispatcherTarget(), BMsgQueue_eventHandlerUPP, 3, kinds, nullptr,
                            &BMsgQueue_handler) == noErr)
        return 1;
    BMsgQueue_runLoopStopped();
    return 0;
}

void BMsgQueue_runLoopStopped()
{
    if (BMsgQueue_handler)
        RemoveEventHandler(BMsgQueue_handler);
    if (BMsgQueue_eventHandlerUPP)
        DisposeEventHandlerUPP(BMsgQueue_eventHandlerUPP);
    BMsgQueue_handler = nullptr;
    BMsgQueue_eventHandlerUPP = nullptr;
}

} // namespace Tr
