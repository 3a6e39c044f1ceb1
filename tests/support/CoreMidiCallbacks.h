#pragma once
// What tests of the CoreMIDI functions share: strings and properties, a thread that
// receives notifications, notify and read procedures that record what they hear, and
// the clients and ports a test makes.

#include "platform/carbon/CarbonEvents.h"
#include "platform/coremidi/MIDIServices.h"

#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace miditest {

// A CoreFoundation string for the scope.
struct CFText {
    explicit CFText(char const* text) : ref(CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8)) {}
    ~CFText() { CFRelease(ref); }
    CFStringRef const ref;
};

inline std::string stringProperty(MIDIObjectRef object, CFStringRef property, OSStatus expected = 0)
{
    CFStringRef value = nullptr;
    EXPECT_EQ(expected, MIDIObjectGetStringProperty(object, property, &value));
    if (!value)
        return {};
    char text[256] = {};
    CFStringGetCString(value, text, sizeof text, kCFStringEncodingUTF8);
    CFRelease(value);
    return text;
}

inline SInt32 uniqueId(MIDIObjectRef object)
{
    SInt32 id = 12345;
    EXPECT_EQ(0, MIDIObjectGetIntegerProperty(object, kMIDIPropertyUniqueID, &id));
    return id;
}

// A thread that receives the events of its queue until it ends, so that the
// notifications of the clients it creates are delivered on it.
class EventThread {
public:
    EventThread()
    {
        std::promise<EventQueueRef> ready;
        auto known = ready.get_future();
        thread = std::thread([this, &ready] {
            ready.set_value(GetCurrentEventQueue());
            while (!stopping) {
                EventRef event = nullptr;
                if (ReceiveNextEvent(0, nullptr, 0.02, true, &event) == noErr)
                    ReleaseEvent(event);
            }
        });
        queue = known.get();
        id = thread.get_id();
    }

    ~EventThread()
    {
        stopping = true;
        thread.join();
    }

    OSStatus run(std::function<OSStatus()> const& call)
    {
        std::promise<OSStatus> result;
        PostClosureToQueue(queue, [&] { result.set_value(call()); });
        return result.get_future().get();
    }

    // Keeps the thread busy until the gate opens, so that what is posted meanwhile waits.
    void block(Gate& gate)
    {
        PostClosureToQueue(queue, [&gate] { gate.waitOpen(); });
    }

    std::thread::id id;

private:
    std::atomic<bool> stopping{false};
    EventQueueRef queue = nullptr;
    std::thread thread;
};

struct Heard {
    MIDINotificationMessageID message;
    MIDIObjectRef child;
    MIDIObjectType childType;
    std::thread::id thread;

    bool operator==(Heard const& other) const
    {
        return message == other.message && child == other.child && childType == other.childType &&
               thread == other.thread;
    }
};

class Notifications {
public:
    static void proc(MIDINotification const* message, void* refCon)
    {
        auto self = static_cast<Notifications*>(refCon);
        Heard heard{message->messageID, 0, kMIDIObjectType_Other, std::this_thread::get_id()};
        if (message->messageID == kMIDIMsgObjectAdded || message->messageID == kMIDIMsgObjectRemoved) {
            auto change = reinterpret_cast<MIDIObjectAddRemoveNotification const*>(message);
            heard.child = change->child;
            heard.childType = change->childType;
        }
        if (self->during)
            self->during();
        std::lock_guard<std::mutex> hold(self->lock);
        self->heard.push_back(heard);
    }

    std::vector<Heard> all()
    {
        std::lock_guard<std::mutex> hold(lock);
        return heard;
    }

    std::function<void()> during;

private:
    std::mutex lock;
    std::vector<Heard> heard;
};

class Reader {
public:
    static void proc(MIDIPacketList const* list, void* refCon, void* connRefCon)
    {
        auto self = static_cast<Reader*>(refCon);
        if (self->during)
            self->during();
        std::lock_guard<std::mutex> hold(self->lock);
        self->connections.push_back(connRefCon);
        for (auto const& packet : packetsOf(list))
            self->packets.push_back(packet);
    }

    std::vector<Packet> received()
    {
        std::lock_guard<std::mutex> hold(lock);
        return packets;
    }

    std::vector<void*> connectionsSeen()
    {
        std::lock_guard<std::mutex> hold(lock);
        return connections;
    }

    std::function<void()> during;

private:
    std::mutex lock;
    std::vector<Packet> packets;
    std::vector<void*> connections;
};

// A notify or read procedure that holds at its first call, so that a test can
// dispose of its client or port while it runs.
class HeldProcedure {
public:
    // What the procedure does.
    void run()
    {
        inside.open();
        release.waitOpen();
        finished = true;
    }

    // Once the procedure holds, disposes on another thread: true when the disposal
    // still waits 100 ms later (a broken one would be done by then) and returns only
    // after the procedure has ended.
    bool disposalWaits(std::function<void()> const& dispose)
    {
        inside.waitOpen();
        auto disposal = std::async(std::launch::async, [&] {
            dispose();
            return finished.load();
        });
        bool waited = disposal.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout;
        release.open();
        return disposal.get() && waited;
    }

private:
    Gate inside;
    Gate release;
    std::atomic<bool> finished{false};
};

// The clients and ports a test makes; every client goes when the test ends.
class MidiClients {
public:
    ~MidiClients()
    {
        for (MIDIClientRef client : clients)
            MIDIClientDispose(client);
    }

    MIDIClientRef client()
    {
        CFText name("test client");
        MIDIClientRef made = 0;
        EXPECT_EQ(0, MIDIClientCreate(name.ref, nullptr, nullptr, &made));
        clients.push_back(made);
        return made;
    }

    // A client whose notifications the thread receives.
    MIDIClientRef listener(EventThread& events, Notifications& heard)
    {
        CFText name("listener");
        MIDIClientRef made = 0;
        EXPECT_EQ(0, events.run([&] { return MIDIClientCreate(name.ref, Notifications::proc, &heard, &made); }));
        clients.push_back(made);
        return made;
    }

    MIDIPortRef outputPort()
    {
        CFText name("out");
        MIDIPortRef port = 0;
        EXPECT_EQ(0, MIDIOutputPortCreate(client(), name.ref, &port));
        return port;
    }

    MIDIPortRef inputPort(Reader& reader)
    {
        CFText name("in");
        MIDIPortRef port = 0;
        EXPECT_EQ(0, MIDIInputPortCreate(client(), name.ref, Reader::proc, &reader, &port));
        return port;
    }

    std::vector<MIDIClientRef> clients;
};

} // namespace miditest
