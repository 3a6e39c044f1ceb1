#pragma once

// A small Carbon Event Manager of our own: every thread that asks for it gets an
// event queue, an event loop and a dispatcher target. Other threads post events
// (and closures) to a queue; its own thread receives them with a time-out and
// dispatches them to the handlers installed on its target. Closures posted with
// PostClosureToQueue run on the queue's thread while it waits in ReceiveNextEvent,
// the way a run-loop source would.

#include <cstdint>
#include <functional>

typedef int32_t OSStatus;
typedef uint32_t OSType;
typedef unsigned long ByteCount;
typedef unsigned long ItemCount;
typedef unsigned char Boolean;

typedef OSType EventParamName;
typedef OSType EventParamType;
typedef uint32_t EventAttributes;
typedef double EventTime;    // seconds
typedef double EventTimeout; // seconds

struct OpaqueEventRef;
struct OpaqueEventQueueRef;
struct OpaqueEventLoopRef;
struct OpaqueEventTargetRef;
struct OpaqueEventHandlerRef;
struct OpaqueEventHandlerCallRef;
typedef OpaqueEventRef* EventRef;
typedef OpaqueEventQueueRef* EventQueueRef;
typedef OpaqueEventLoopRef* EventLoopRef;
typedef OpaqueEventTargetRef* EventTargetRef;
typedef OpaqueEventHandlerRef* EventHandlerRef;
typedef OpaqueEventHandlerCallRef* EventHandlerCallRef;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef call, EventRef event, void* userData);
typedef EventHandlerProcPtr EventHandlerUPP;

// Four characters as a big-endian type code: OSTypeFromChars("pexa").
constexpr OSType OSTypeFromChars(char const (&chars)[5])
{
    return OSType(uint8_t(chars[0])) << 24 | OSType(uint8_t(chars[1])) << 16 |
           OSType(uint8_t(chars[2])) << 8 | OSType(uint8_t(chars[3]));
}

struct EventTypeSpec {
    OSType eventClass;
    uint32_t eventKind;
};

enum EventPriority : int16_t {
    kEventPriorityLow = 0,
    kEventPriorityStandard = 1,
    kEventPriorityHigh = 2
};

constexpr EventAttributes kEventAttributeNone = 0;
constexpr EventAttributes kEventAttributeUserEvent = 1;

constexpr EventTimeout kEventDurationForever = -1.0;
constexpr EventTimeout kEventDurationNoWait = 0.0;

constexpr EventParamName kEventParamPostTarget = OSTypeFromChars("ptrg");
constexpr EventParamType typeVoidPtr = OSTypeFromChars("void");
constexpr EventParamType typeEventTargetRef = OSTypeFromChars("etrg");

constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus eventParameterNotFoundErr = -9870;
constexpr OSStatus eventNotHandledErr = -9874;
constexpr OSStatus eventLoopTimedOutErr = -9875;
constexpr OSStatus eventLoopQuitErr = -9876;

// Events are reference counted: CreateEvent gives one reference, the queue holds
// its own while the event waits in it.
OSStatus CreateEvent(void const* allocator, OSType eventClass, uint32_t kind, EventTime when,
                     EventAttributes flags, EventRef* outEvent);
EventRef RetainEvent(EventRef event);
void ReleaseEvent(EventRef event);
OSType GetEventClass(EventRef event);
uint32_t GetEventKind(EventRef event);

// Parameters are set before the event is posted and read by the receiving thread.
// A read copies at most bufferSize bytes; outActualType and outActualSize may be null.
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           void const* data);
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData);

// The calling thread's queue, loop and dispatcher target, created on first use and
// destroyed when the thread ends.
EventQueueRef GetCurrentEventQueue();
EventLoopRef GetCurrentEventLoop();
EventTargetRef GetEventDispatcherTarget();

// Any thread may post. Higher priorities are received first, equal ones in posting
// order. paramErr when the queue's thread has ended.
OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority);
OSStatus PostClosureToQueue(EventQueueRef queue, std::function<void()> closure);

// Makes the loop's next (or current) ReceiveNextEvent return eventLoopQuitErr.
OSStatus QuitEventLoop(EventLoopRef loop);

// On the calling thread's queue: waits up to timeout seconds (kEventDurationForever:
// no limit) for an event of one of the given types (none given: any event), running
// posted closures meanwhile. With pullEvent the event leaves the queue and the caller
// releases it; without, it stays queued and the caller must not release it.
OSStatus ReceiveNextEvent(ItemCount numTypes, EventTypeSpec const* types, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent);

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc);
void DisposeEventHandlerUPP(EventHandlerUPP upp);

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             EventTypeSpec const* types, void* userData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef handler);

// Calls the target's handlers for the event's type, the last installed first, until
// one returns something other than eventNotHandledErr; that result is returned.
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);
