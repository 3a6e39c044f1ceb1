#pragma once
// What tests of the CoreMIDI functions share: strings and properties, a thread that
// receives notifications, and notify and read procedures that record what they hear.

#include "platform/carbon/CarbonEvents.h"
#include "platform/coremidi/MIDIServices.h"

#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace miditest
