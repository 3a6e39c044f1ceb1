#pragma once
// The process's MIDI manager with a scripted factory of its own, and a listener
// that records what the manager tells, with slots named by their port.

#include "foundation/BTimer.h"
#include "midi/MidiManager.h"

#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace miditest {

// Records events as "list", "before-open out A", "text out A Opened MIDI OUT: A",
// "error out ? text" (? for an index without a slot), each after the log's label,
// into its own list or another log's. Port names lose the prefix that keeps each
// test's ports apart in the one manager of the process.
class EventLog : public Tr::TMidiDeviceListListener, public Tr::MidiManagerDeviceControlListener {
public:
    EventLog(std::string prefix, std::string label = "", EventLog* into = nullptr)
        : prefix(std::move(prefix)), label(std::move(label)), into(into ? into : this)
    {
    }

    void OnMidiDeviceListChanged() override
    {
        add("list");
        if (onListChanged)
            onListChanged();
    }
    void OnBeforeOpenMidiDevice(int index, int input) override { add(event("before-open", index, input)); }
    void OnAfterOpenMidiDevice(int index, int input) override { add(event("after-open", index, input)); }
    void OnBeforeCloseMidiDevice(int index, int input) override { add(event("before-close", index, input)); }
    void OnAfterCloseMidiDevice(int index, int input) override { add(event("after-close", index, input)); }
    void OnMidiStringMessage(int index, int input, Tr::BString const& text) override
    {
        add(event("text", index, input) + " " + strip(text.c_str()));
    }
    void OnMidiErrorMessage(int index, int input, Tr::BString const& text) override
    {
        add(event("error", index, input) + " " + strip(text.c_str()));
    }

    // The events so far, which are forgotten.
    std::vector<std::string> take()
    {
        std::lock_guard<std::mutex> hold(lock);
        return std::move(events);
    }

    int count(std::string const& wanted)
    {
        std::lock_guard<std::mutex> hold(lock);
        return int(std::count(events.begin(), events.end(), label + wanted));
    }

    std::function<void()> onListChanged;

    // The text without the test's port-name prefix.
    std::string strip(std::string text) const
    {
        for (size_t at; (at = text.find(prefix)) != std::string::npos;)
            text.erase(at, prefix.size());
        return text;
    }

private:
    std::string event(char const* kind, int index, int input)
    {
        Tr::MidiManagerDev* slot = Tr::MidiManager::instance()->GetDevDescriptor(index, input);
        return std::string(kind) + (input ? " in " : " out ") + (slot ? strip(slot->GetName().c_str()) : "?");
    }

    void add(std::string const& event)
    {
        std::lock_guard<std::mutex> hold(into->lock);
        into->events.push_back(label + event);
    }

    std::string const prefix;
    std::string const label;
    EventLog* const into;
    std::mutex lock;
    std::vector<std::string> events;
};

// Each test's ports carry the test's name, so that tests run in one process keep
// to slots of their own.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        freshVirtualMidi();
        manager = Tr::MidiManager::instance();
        manager->SetSuspended(0);
        manager->AddFactory(&factory, 0);
        manager->AddDevListChangeListener(&log);
        manager->AddDeviceControlListener(&log);
    }

    void TearDown() override
    {
        manager->RemoveDevListChangeListener(&log);
        manager->RemoveDeviceControlListener(&log);
        manager->RemoveFactory(&factory, 0);
    }

    std::string port(std::string const& name) const { return prefix + name; }

    // The factory lists these ports (by their test-local names).
    void plug(std::vector<std::string> const& outputs, std::vector<std::string> const& inputs = {})
    {
        factory.outputs.clear();
        factory.inputs.clear();
        for (auto const& name : outputs)
            factory.outputs.emplace_back(port(name));
        for (auto const& name : inputs)
            factory.inputs.emplace_back(port(name));
    }

    int index(std::string const& name, int input = 0) { return manager->GetDevIndex(port(name).c_str(), input); }

    Tr::MidiManagerDev& slot(std::string const& name, int input = 0)
    {
        Tr::MidiManagerDev* found = manager->GetDevDescriptor(index(name, input), input);
        if (!found)
            throw std::runtime_error("no slot " + name);
        return *found;
    }

    template <class Device>
    Device& deviceOf(std::string const& name, int input = 0)
    {
        return dynamic_cast<Device&>(*slot(name, input).GetDev());
    }

    void open(std::string const& name, int input = 0) { manager->Open(index(name, input), input, 0); }

    // Made in SetUp: the manager's threads start at once and must find the back-end chosen.
    Tr::MidiManager* manager = nullptr;
    TestFactory factory;
    std::string const prefix = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ":";
    EventLog log{prefix};
};

// Two open outputs and an open input of the CoreMIDI back-end, over the virtual one.
class OpenVirtualPorts : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        one = midi.add(kMIDIObjectType_Destination, named("One"));
        two = midi.add(kMIDIObjectType_Destination, named("Two"));
        source = midi.add(kMIDIObjectType_Source, named("In"));
        manager->RefreshDevList(1, 0, 1);
        open("One");
        open("Two");
        open("In", 1);
    }

    VirtualMidiPort named(std::string const& name) const
    {
        VirtualMidiPort virtualPort;
        virtualPort.name = port(name);
        return virtualPort;
    }

    VirtualMidiBackend& midi = *virtualMidiBackend();
    MIDIEndpointRef one = 0;
    MIDIEndpointRef two = 0;
    MIDIEndpointRef source = 0;
};

// On the timer thread that calls it, plugs the output ports named prefix + "P0" to
// "P2" in and out in turn, and rescans.
struct PortPlugger : Tr::BTimer::Listener {
    PortPlugger(VirtualMidiBackend& midi, std::string prefix) : midi(midi), prefix(std::move(prefix)) {}

    void onTimer(Tr::BTimer*) override
    {
        std::string name = prefix + "P" + std::to_string(rounds % 3);
        if (MIDIEndpointRef plugged = midi.find(kMIDIObjectType_Destination, name)) {
            midi.remove(plugged);
        } else {
            VirtualMidiPort port;
            port.name = name;
            midi.add(kMIDIObjectType_Destination, port);
        }
        Tr::MidiManager::instance()->RefreshDevList(1, 0, 1);
        ++rounds;
    }

    VirtualMidiBackend& midi;
    std::string const prefix;
    std::atomic<int> rounds{0};
};

} // namespace miditest
