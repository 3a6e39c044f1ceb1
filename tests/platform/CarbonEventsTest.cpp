#include "platform/carbon/CarbonEvents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace {

constexpr OSType kTestClass = OSTypeFromChars("test");
constexpr EventParamName kValue = OSTypeFromChars("valu");

EventRef makeEvent(uint32_t kind, int value)
{
    EventRef event = nullptr;
    EXPECT_EQ(noErr, CreateEvent(nullptr, kTestClass, kind, 0, kEventAttributeUserEvent, &event));
    EXPECT_EQ(noErr, SetEventParameter(event, kValue, typeVoidPtr, sizeof value, &value));
    return event;
}

int valueOf(EventRef event)
{
    int value = -1;
    EXPECT_EQ(noErr, GetEventParameter(event, kValue, typeVoidPtr, nullptr, sizeof value, nullptr, &value));
    return value;
}

void post(EventQueueRef queue, uint32_t kind, int value, EventPriority priority = kEventPriorityStandard)
{
    EventRef event = makeEvent(kind, value);
    EXPECT_EQ(noErr, PostEventToQueue(queue, event, priority));
    ReleaseEvent(event);
}

// Receives one pulled event on the calling thread and returns its value.
int receiveValue(EventTimeout timeout = 2.0)
{
    EventRef event = nullptr;
    OSStatus status = ReceiveNextEvent(0, nullptr, timeout, true, &event);
    EXPECT_EQ(noErr, status);
    if (status != noErr)
        return -1;
    int value = valueOf(event);
    ReleaseEvent(event);
    return value;
}

// A thread that owns an event queue and runs a body on it once the queue is known.
class QueueThread {
public:
    explicit QueueThread(std::function<void()> body)
    {
        std::promise<EventQueueRef> ready;
        auto known = ready.get_future();
        thread = std::thread([&ready, body] {
            ready.set_value(GetCurrentEventQueue());
            body();
        });
        queue = known.get();
    }
    ~QueueThread() { join(); }

    void join()
    {
        if (thread.joinable())
            thread.join();
    }

    EventQueueRef queue;
    std::thread thread;
};

} // namespace

TEST(CarbonEvent, ParametersRoundTripAndReportAbsence)
{
    EventRef event = makeEvent(7, 1234);
    EXPECT_EQ(kTestClass, GetEventClass(event));
    EXPECT_EQ(7u, GetEventKind(event));
    EventParamType actualType = 0;
    ByteCount actualSize = 0;
    int value = 0;
    EXPECT_EQ(noErr, GetEventParameter(event, kValue, typeVoidPtr, &actualType, sizeof value, &actualSize, &value));
    EXPECT_EQ(1234, value);
    EXPECT_EQ(typeVoidPtr, actualType);
    EXPECT_EQ(sizeof value, actualSize);

    EXPECT_EQ(eventParameterNotFoundErr,
              GetEventParameter(event, OSTypeFromChars("none"), typeVoidPtr, nullptr, 4, nullptr, &value));
    EXPECT_EQ(eventParameterNotFoundErr,
              GetEventParameter(event, kValue, typeEventTargetRef, nullptr, 4, nullptr, &value));
    ReleaseEvent(event);
}

TEST(CarbonEvent, ReadingIntoASmallerBufferCopiesOnlyThatMuch)
{
    EventRef event = nullptr;
    CreateEvent(nullptr, kTestClass, 1, 0, 0, &event);
    unsigned long long wide = 0x1122334455667788ull;
    SetEventParameter(event, kValue, typeVoidPtr, sizeof wide, &wide);
    unsigned char narrow[3] = {0, 0, 0};
    ByteCount size = 0;
    EXPECT_EQ(noErr, GetEventParameter(event, kValue, typeVoidPtr, nullptr, 2, &size, narrow));
    EXPECT_EQ(sizeof wide, size);
    EXPECT_EQ(0x88, narrow[0]);
    EXPECT_EQ(0x77, narrow[1]);
    EXPECT_EQ(0, narrow[2]);
    ReleaseEvent(event);
}

TEST(CarbonQueue, EventsFromAnotherThreadArriveByPriorityThenInOrder)
{
    std::vector<int> received;
    std::promise<void> posted;
    auto postedDone = posted.get_future().share();
    QueueThread receiver([&received, postedDone] {
        postedDone.wait();
        for (int i = 0; i < 5; ++i)
            received.push_back(receiveValue());
    });
    post(receiver.queue, 1, 10);
    post(receiver.queue, 1, 11);
    post(receiver.queue, 1, 20, kEventPriorityHigh);
    post(receiver.queue, 1, 0, kEventPriorityLow);
    post(receiver.queue, 1, 21, kEventPriorityHigh);
    posted.set_value();
    receiver.join();
    EXPECT_EQ((std::vector<int>{20, 21, 10, 11, 0}), received);
}

TEST(CarbonQueue, ReceiveTimesOutWhenNothingArrives)
{
    GetCurrentEventQueue();
    EventRef event = nullptr;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(eventLoopTimedOutErr, ReceiveNextEvent(0, nullptr, 0.05, true, &event));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(eventLoopTimedOutErr, ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event));
}

TEST(CarbonQueue, ReceiveFiltersByTypeAndCanLeaveTheEventQueued)
{
    EventQueueRef queue = GetCurrentEventQueue();
    post(queue, 1, 100);
    post(queue, 2, 200);
    EventTypeSpec kindTwo{kTestClass, 2};
    EventRef event = nullptr;
    ASSERT_EQ(noErr, ReceiveNextEvent(1, &kindTwo, kEventDurationNoWait, false, &event));
    EXPECT_EQ(200, valueOf(event));
    ASSERT_EQ(noErr, ReceiveNextEvent(1, &kindTwo, kEventDurationNoWait, true, &event));
    EXPECT_EQ(200, valueOf(event));
    ReleaseEvent(event);
    EXPECT_EQ(eventLoopTimedOutErr, ReceiveNextEvent(1, &kindTwo, kEventDurationNoWait, true, &event));
    EXPECT_EQ(100, receiveValue(kEventDurationNoWait));
}

TEST(CarbonQueue, QuitFromAnotherThreadEndsAnEndlessWaitOnce)
{
    std::promise<EventLoopRef> loopKnown;
    std::atomic<OSStatus> first{noErr};
    std::atomic<OSStatus> second{noErr};
    std::thread receiver([&] {
        loopKnown.set_value(GetCurrentEventLoop());
        EventRef event = nullptr;
        first = ReceiveNextEvent(0, nullptr, kEventDurationForever, true, &event);
        second = ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event);
    });
    EXPECT_EQ(noErr, QuitEventLoop(loopKnown.get_future().get()));
    receiver.join();
    EXPECT_EQ(eventLoopQuitErr, first.load());
    EXPECT_EQ(eventLoopTimedOutErr, second.load());
}

TEST(CarbonQueue, PostedClosureRunsOnTheQueueThreadWhileItWaits)
{
    std::promise<std::thread::id> ranOn;
    std::atomic<bool> stop{false};
    QueueThread receiver([&stop] {
        EventRef event = nullptr;
        while (!stop)
            ReceiveNextEvent(0, nullptr, 0.01, true, &event);
    });
    EXPECT_EQ(noErr, PostClosureToQueue(receiver.queue, [&ranOn] { ranOn.set_value(std::this_thread::get_id()); }));
    auto result = ranOn.get_future();
    ASSERT_EQ(std::future_status::ready, result.wait_for(std::chrono::seconds(5)));
    EXPECT_EQ(receiver.thread.get_id(), result.get());
    stop = true;
}

TEST(CarbonQueue, PostingToTheQueueOfAnEndedThreadFails)
{
    EventQueueRef queue = nullptr;
    std::thread([&queue] { queue = GetCurrentEventQueue(); }).join();
    EventRef event = makeEvent(1, 1);
    EXPECT_EQ(paramErr, PostEventToQueue(queue, event, kEventPriorityHigh));
    EXPECT_EQ(paramErr, PostClosureToQueue(queue, [] {}));
    ReleaseEvent(event);
}

TEST(CarbonQueue, EventsLeftInAnEndingThreadsQueueAreReleased)
{
    std::promise<void> posted;
    QueueThread receiver([&posted] { posted.get_future().wait(); });
    EventRef event = makeEvent(1, 5);
    RetainEvent(event);
    PostEventToQueue(receiver.queue, event, kEventPriorityStandard);
    ReleaseEvent(event);
    posted.set_value();
    receiver.join();
    // Our reference is the last one: reading the event is still valid.
    EXPECT_EQ(5, valueOf(event));
    ReleaseEvent(event);
}

namespace {

struct HandlerLog {
    std::vector<int> calls;
};

OSStatus declines(EventHandlerCallRef, EventRef, void* log)
{
    static_cast<HandlerLog*>(log)->calls.push_back(1);
    return eventNotHandledErr;
}

OSStatus accepts(EventHandlerCallRef, EventRef event, void* log)
{
    static_cast<HandlerLog*>(log)->calls.push_back(2 * 100 + valueOf(event));
    return noErr;
}

} // namespace

TEST(CarbonDispatch, LastInstalledHandlerGoesFirstAndDeclinedEventsFallThrough)
{
    HandlerLog log;
    EventTypeSpec kindOne{kTestClass, 1};
    EventTargetRef target = GetEventDispatcherTarget();
    EventHandlerRef accepting = nullptr;
    EventHandlerRef declining = nullptr;
    ASSERT_EQ(noErr, InstallEventHandler(target, NewEventHandlerUPP(accepts), 1, &kindOne, &log, &accepting));
    ASSERT_EQ(noErr, InstallEventHandler(target, NewEventHandlerUPP(declines), 1, &kindOne, &log, &declining));

    EventRef event = makeEvent(1, 7);
    EXPECT_EQ(noErr, SendEventToEventTarget(event, target));
    EXPECT_EQ((std::vector<int>{1, 207}), log.calls);

    EventRef other = makeEvent(2, 0);
    EXPECT_EQ(eventNotHandledErr, SendEventToEventTarget(other, target));

    EXPECT_EQ(noErr, RemoveEventHandler(accepting));
    EXPECT_EQ(paramErr, RemoveEventHandler(accepting));
    log.calls.clear();
    EXPECT_EQ(eventNotHandledErr, SendEventToEventTarget(event, target));
    EXPECT_EQ((std::vector<int>{1}), log.calls);
    EXPECT_EQ(noErr, RemoveEventHandler(declining));
    ReleaseEvent(event);
    ReleaseEvent(other);
}
