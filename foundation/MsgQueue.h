#pragma once

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/BString.h"
#include "foundation/BThread.h"
#include "platform/carbon/CarbonEvents.h"

#include <atomic>

namespace Tr {

// Told on the "BMsgQueue Thread" that the queue exists, and of every message posted
// to it. The handle is the listener itself.
class TWndMessageListener {
public:
    virtual ~TWndMessageListener();
    virtual void OnMessageQueueCreated(void* handle) = 0;
    // result is 0 on entry and ignored afterwards.
    virtual void OnWindowMessage(void* handle, unsigned int message, unsigned long long param1,
                                 unsigned long long param2, int& result) = 0;
};

// The shared thread that runs the event loop of the message queue. Its callbacks
// run one at a time, in event order. Closures posted to its queue
// (PostClosureToQueue on getRunLoop) run on it too.
class BMsgQueueThread : public BThread {
public:
    BMsgQueueThread();
    ~BMsgQueueThread() override;

    // Also wakes the event loop, which then checks the terminate request.
    void Notify() override;
    void Execute() override;

    int isInRunLoop() const;
    // Null until the loop is ready; stays set after it has ended.
    EventQueueRef getRunLoop() const;
    // The loop's event target, known with the queue.
    EventTargetRef getDispatcherTarget() const;

private:
    std::atomic<EventTargetRef> target{nullptr};
    std::atomic<EventQueueRef> queue{nullptr};
};

// The current queue thread or null, and the registered listeners in registration
// order; both guarded by g_BMsgQueueThreadLock.
extern BMsgQueueThread* g_BMsgQueueThread;
extern BLock g_BMsgQueueThreadLock;
extern BList<void*> g_BMsgQueueListeners;
// The loop's installed handler, per queue thread: a new queue thread may start
// while an old one is still ending.
extern thread_local EventHandlerRef BMsgQueue_handler;
extern thread_local EventHandlerUPP BMsgQueue_eventHandlerUPP;

// Registers the listener (starting the queue thread when needed) and returns its
// handle; null when the queue thread did not become ready within about 2.5 s. The
// listener's OnMessageQueueCreated follows on the queue thread.
void* AllocateHwnd(TWndMessageListener* listener, BString const& name);
void* AllocateHwnd(TWndMessageListener* listener);
// Unregisters the handle. Once it returns, the listener is called no more: a running
// callback has ended and queued events for it are dropped. The last listener's
// unregistration stops the queue thread (from the thread itself: after the running
// callback).
void DestroyHwnd(void* handle);
// 1 when the message was posted; 0 for a null or unregistered handle, or without a
// ready queue thread.
int BMsgQueue_Post(void* handle, unsigned int message, unsigned long long param1, unsigned long long param2);

OSStatus BMsgQueue_MessageCallback(EventHandlerCallRef call, EventRef event, void* userData);
int BMsgQueue_runLoopStarted();
void BMsgQueue_runLoopStopped();

} // namespace Tr
