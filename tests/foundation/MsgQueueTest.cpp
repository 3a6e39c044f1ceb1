#include "foundation/MilliTime.h"
#include "foundation/MsgQueue.h"

#include "tests/foundation/WaitUntil.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

using TrTest::waitUntil;

namespace {

struct Message {
    void* handle;
    unsigned int number;
    unsigned long long first;
    unsigned long long second;
    int result;
};

// Records what it hears and on which thread; runs an optional action per message.
class Listener : public Tr::TWndMessageListener {
public:
    void OnMessageQueueCreated(void* handle) override
    {
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::lock_guard<std::mutex> hold(mutex);
        createdHandle = handle;
        createdOn = pthread_self();
        createdThreadName = name;
        createdRunLoop = GetCurrentEventQueue();
        ++created;
    }

    void OnWindowMessage(void* handle, unsigned int number, unsigned long long first, unsigned long long second,
                         int& result) override
    {
        {
            std::lock_guard<std::mutex> hold(mutex);
            messages.push_back({handle, number, first, second, result});
        }
        if (action)
            action(number);
    }

    int createdCount()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return created;
    }

    int messageCount()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return int(messages.size());
    }

    std::vector<Message> received()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return messages;
    }

    std::mutex mutex;
    int created = 0;
    void* createdHandle = nullptr;
    pthread_t createdOn{};
    std::string createdThreadName;
    EventQueueRef createdRunLoop = nullptr;
    std::vector<Message> messages;
    std::function<void(unsigned int)> action;
};

Tr::BMsgQueueThread* currentQueueThread()
{
    Tr::BLockHolder hold(Tr::g_BMsgQueueThreadLock);
    return Tr::g_BMsgQueueThread;
}

bool queueThreadRuns()
{
    return currentQueueThread() != nullptr;
}

bool isRegistered(void* handle)
{
    Tr::BLockHolder hold(Tr::g_BMsgQueueThreadLock);
    return Tr::g_BMsgQueueListeners.indexOf(handle) >= 0;
}

// Registers a listener for one test and unregisters it at the end.
class Registration {
public:
    explicit Registration(Listener& listener) : handle(Tr::AllocateHwnd(&listener, "test")) {}
    ~Registration() { Tr::DestroyHwnd(handle); }

    void* handle;
};

} // namespace

TEST(MsgQueueThread, ListenersHearOfTheQueueOnTheSharedThread)
{
    Listener first;
    Listener second;
    Registration one(first);
    ASSERT_EQ(static_cast<Tr::TWndMessageListener*>(&first), one.handle);
    Registration two(second);
    ASSERT_TRUE(waitUntil([&] { return first.createdCount() == 1 && second.createdCount() == 1; }));
    std::lock_guard<std::mutex> holdFirst(first.mutex);
    std::lock_guard<std::mutex> holdSecond(second.mutex);
    EXPECT_EQ(one.handle, first.createdHandle);
    EXPECT_EQ(two.handle, second.createdHandle);
    EXPECT_EQ("BMsgQueue Threa", first.createdThreadName);
    EXPECT_TRUE(pthread_equal(first.createdOn, second.createdOn));
    EXPECT_FALSE(pthread_equal(first.createdOn, pthread_self()));
    EXPECT_EQ(Tr::BString("BMsgQueue Thread"), currentQueueThread()->getName());
}

TEST(MsgQueueThread, MessagesArriveInOrderWithTheirParameters)
{
    Listener listener;
    Registration registration(listener);
    ASSERT_NE(nullptr, registration.handle);
    EXPECT_EQ(1, Tr::BMsgQueue_Post(registration.handle, 5, 1, 2));
    for (unsigned int i = 0; i < 100; ++i)
        ASSERT_EQ(1, Tr::BMsgQueue_Post(registration.handle, 1000 + i, i, 0xFFFFFFFFFFFFFFFFull - i));
    ASSERT_TRUE(waitUntil([&] { return listener.messageCount() == 101; }));
    auto messages = listener.received();
    EXPECT_EQ(registration.handle, messages[0].handle);
    EXPECT_EQ(5u, messages[0].number);
    EXPECT_EQ(1u, messages[0].first);
    EXPECT_EQ(2u, messages[0].second);
    EXPECT_EQ(0, messages[0].result);
    for (unsigned int i = 0; i < 100; ++i) {
        EXPECT_EQ(1000 + i, messages[i + 1].number);
        EXPECT_EQ(i, messages[i + 1].first);
        EXPECT_EQ(0xFFFFFFFFFFFFFFFFull - i, messages[i + 1].second);
    }
    EXPECT_EQ(1, listener.createdCount());
}

TEST(MsgQueueThread, PostingNeedsARegisteredHandleAndARunningQueue)
{
    Listener listener;
    EXPECT_EQ(0, Tr::BMsgQueue_Post(nullptr, 1, 0, 0));
    EXPECT_EQ(0, Tr::BMsgQueue_Post(&listener, 1, 0, 0));
    Listener other;
    Registration registration(other);
    EXPECT_EQ(0, Tr::BMsgQueue_Post(&listener, 1, 0, 0));
    EXPECT_EQ(1, Tr::BMsgQueue_Post(registration.handle, 1, 0, 0));
}

TEST(MsgQueueThread, EndsWithItsLastListenerAndANewOneStartsWithTheNext)
{
    Listener first;
    Listener second;
    void* one = Tr::AllocateHwnd(&first, "one");
    void* two = Tr::AllocateHwnd(&second, "two");
    Tr::BMsgQueueThread* thread = currentQueueThread();
    ASSERT_NE(nullptr, thread);
    ASSERT_TRUE(waitUntil([&] { return first.createdCount() == 1; }));
    Tr::DestroyHwnd(one);
    EXPECT_EQ(thread, currentQueueThread());
    EXPECT_EQ(1, Tr::BMsgQueue_Post(two, 7, 0, 0));
    EXPECT_TRUE(waitUntil([&] { return second.messageCount() == 1; }));

    Tr::DestroyHwnd(two);
    EXPECT_FALSE(queueThreadRuns());
    EXPECT_EQ(0, Tr::BMsgQueue_Post(two, 7, 0, 0));

    Registration again(first);
    ASSERT_TRUE(waitUntil([&] { return first.createdCount() == 2; }));
    EXPECT_TRUE(queueThreadRuns());
}

TEST(MsgQueueThread, UnregisteringAnUnknownOrNullHandleChangesNothing)
{
    Listener listener;
    Listener stranger;
    Registration registration(listener);
    Tr::BMsgQueueThread* thread = currentQueueThread();
    Tr::DestroyHwnd(nullptr);
    Tr::DestroyHwnd(&stranger);
    EXPECT_EQ(thread, currentQueueThread());
    EXPECT_EQ(1, Tr::BMsgQueue_Post(registration.handle, 3, 0, 0));
    EXPECT_TRUE(waitUntil([&] { return listener.messageCount() == 1; }));
}

TEST(MsgQueueThread, ARemovedListenerHearsNothingMore)
{
    Listener busy;
    Listener leaving;
    Registration stays(busy);
    void* handle = Tr::AllocateHwnd(&leaving, "leaving");
    ASSERT_TRUE(waitUntil([&] { return leaving.createdCount() == 1; }));
    // The queue thread is kept busy until the leaving listener is unregistered, so
    // its messages are still queued then.
    busy.action = [handle](unsigned int number) {
        if (number == 1)
            waitUntil([handle] { return !isRegistered(handle); }, 10000);
    };
    Tr::BMsgQueue_Post(stays.handle, 1, 0, 0);
    for (int i = 0; i < 20; ++i)
        Tr::BMsgQueue_Post(handle, 2, 0, 0);
    Tr::DestroyHwnd(handle);
    int heard = leaving.messageCount();
    Tr::BMsgQueue_Post(stays.handle, 3, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return busy.messageCount() == 2; }));
    EXPECT_EQ(heard, leaving.messageCount());
    EXPECT_EQ(0, heard);
}

TEST(MsgQueueThread, LastListenerLeavingFromItsOwnCallbackEndsTheThreadAfterIt)
{
    Listener listener;
    void* handle = Tr::AllocateHwnd(&listener, "self");
    ASSERT_NE(nullptr, handle);
    std::atomic<bool> returned{false};
    listener.action = [&](unsigned int) {
        Tr::DestroyHwnd(handle);
        returned = true;
    };
    Tr::BMsgQueue_Post(handle, 9, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return returned.load(); }));
    EXPECT_FALSE(queueThreadRuns());
    // The thread frees itself once its callback has returned; a new registration
    // then gets a new thread.
    Listener next;
    Registration registration(next);
    EXPECT_TRUE(waitUntil([&] { return next.createdCount() == 1; }));
}

TEST(MsgQueueThread, ClosuresPostedToItsRunLoopRunOnIt)
{
    Listener listener;
    Registration registration(listener);
    ASSERT_TRUE(waitUntil([&] { return listener.createdCount() == 1; }));
    EventQueueRef runLoop;
    pthread_t queueThread;
    {
        std::lock_guard<std::mutex> hold(listener.mutex);
        runLoop = listener.createdRunLoop;
        queueThread = listener.createdOn;
    }
    EXPECT_EQ(currentQueueThread()->getRunLoop(), runLoop);
    std::promise<pthread_t> ranOn;
    ASSERT_EQ(noErr, PostClosureToQueue(runLoop, [&ranOn] { ranOn.set_value(pthread_self()); }));
    auto result = ranOn.get_future();
    ASSERT_EQ(std::future_status::ready, result.wait_for(std::chrono::seconds(5)));
    EXPECT_TRUE(pthread_equal(queueThread, result.get()));
}

TEST(MsgQueueCallback, MissingParametersReadAsZeroAndUnknownKindsAreIgnored)
{
    Listener listener;
    Registration registration(listener);
    EventRef bare = nullptr;
    CreateEvent(nullptr, OSTypeFromChars("pexa"), 2, 0, kEventAttributeUserEvent, &bare);
    void* handle = registration.handle;
    SetEventParameter(bare, OSTypeFromChars("blst"), typeVoidPtr, sizeof handle, &handle);
    EXPECT_EQ(noErr, Tr::BMsgQueue_MessageCallback(nullptr, bare, nullptr));
    ReleaseEvent(bare);
    EventRef unknown = nullptr;
    CreateEvent(nullptr, OSTypeFromChars("pexa"), 99, 0, kEventAttributeUserEvent, &unknown);
    EXPECT_EQ(noErr, Tr::BMsgQueue_MessageCallback(nullptr, unknown, nullptr));
    ReleaseEvent(unknown);
    auto messages = listener.received();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].number);
    EXPECT_EQ(0u, messages[0].first);
    EXPECT_EQ(0u, messages[0].second);
}

TEST(MsgQueueRunLoop, HandlerIsInstalledAndRemovedPerThread)
{
    std::thread([] {
        EXPECT_EQ(1, Tr::BMsgQueue_runLoopStarted());
        EXPECT_NE(nullptr, Tr::BMsgQueue_handler);
        EXPECT_NE(nullptr, Tr::BMsgQueue_eventHandlerUPP);
        Tr::BMsgQueue_runLoopStopped();
        EXPECT_EQ(nullptr, Tr::BMsgQueue_handler);
        EXPECT_EQ(nullptr, Tr::BMsgQueue_eventHandlerUPP);
        Tr::BMsgQueue_runLoopStopped();
    }).join();
}

TEST(MsgQueueRegistration, NullListenerGetsNoHandleAndTheOneArgumentFormRegisters)
{
    EXPECT_EQ(nullptr, Tr::AllocateHwnd(nullptr, "none"));
    Listener listener;
    void* handle = Tr::AllocateHwnd(&listener);
    ASSERT_EQ(static_cast<Tr::TWndMessageListener*>(&listener), handle);
    EXPECT_TRUE(waitUntil([&] { return listener.createdCount() == 1; }));
    Tr::DestroyHwnd(handle);
    EXPECT_FALSE(queueThreadRuns());
}
