#pragma once
// GUI test programs run many panels and boxes in one process, while a settings
// panel ends the process's MIDI layer as it goes (the shutdown registry) and the
// layer cannot be made again. A program that includes this header makes the
// layer once, on the virtual back-end, and keeps it out of the registry until its
// own end, where the registry deletes it as the application's end does. Each test
// starts from resetMidiLayer().

#include "foundation/BTimer.h"
#include "foundation/PexaSystem.h"
#include "midi/MidiManager.h"
#include "midi/TMidiAliasManager.h"
#include "midi/MIDIDevChangeNotifier.h"

#include "tests/support/DispatchLoop.h"
#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <future>
#include <memory>
#include <vector>

class KeptMidiLayer : public ::testing::Environment {
public:
    void SetUp() override
    {
        miditest::freshVirtualMidi();
        Tr::TMidiAliasManager::instance();
        // Kept too: the notifier would make it again on its own thread while a
        // panel's end deletes the registry's objects.
        Tr::BTimerManager::instance();
        Tr::BList<Tr::AutoDelete*>* registered = Tr::PexaSystem::autoDels;
        kept.assign(registered->items, registered->items + registered->count);
        for (Tr::AutoDelete* object : kept)
            Tr::PexaSystem::RemoveAutoDelete(object);
    }

    // Components handed over here are deleted after the MIDI layer, as a control
    // that outlived it would be.
    void TearDown() override
    {
        for (Tr::AutoDelete* object : kept)
            Tr::PexaSystem::AddAutoDelete(object);
        Tr::PexaSystem::shutdown();
        outliving.clear();
        EXPECT_FALSE(Tr::MidiManager::IsInstanceAllocated()) << "a control made the MIDI manager again";
        EXPECT_FALSE(Tr::TMidiAliasManager::IsInstanceAllocated()) << "a control made the alias manager again";
    }

    void deleteAfterTheMidiLayer(std::unique_ptr<juce::Component> component)
    {
        outliving.push_back(std::move(component));
    }

private:
    std::vector<Tr::AutoDelete*> kept;
    std::vector<std::unique_ptr<juce::Component>> outliving;
};

inline KeptMidiLayer* const keptMidiLayer =
    static_cast<KeptMidiLayer*>(::testing::AddGlobalTestEnvironment(new KeptMidiLayer));

// Suspended, with no ports, no open or pending ports, no aliases in use and no
// rescan due; the back-end keeps nothing either.
inline VirtualMidiBackend& resetMidiLayer()
{
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    manager->SetSuspended(1);
    Tr::MidiManager::CloseAll(1);
    Tr::TMidiAliasManager::instance()->RemoveAll();
    VirtualMidiBackend& midi = miditest::freshVirtualMidi();
    manager->RefreshDevList(1, 0, 1);
    Tr::MIDIDevChangeNotifier* notifier = manager->GetNotifier();
    EXPECT_TRUE(guitest::pumpUntil([notifier] { return !notifier || !notifier->isArmed(); }));
    return midi;
}

// A port of that name as both a source and a destination, as hardware has.
inline void plugMidiPort(VirtualMidiBackend& midi, std::string const& name)
{
    VirtualMidiPort port;
    port.name = name;
    midi.add(kMIDIObjectType_Source, port);
    midi.add(kMIDIObjectType_Destination, port);
}

inline void unplugMidiPort(VirtualMidiBackend& midi, std::string const& name)
{
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination})
        if (MIDIEndpointRef endpoint = midi.find(type, name))
            midi.remove(endpoint);
}

// A rescan after a device change, on a thread of its own as on the timer thread:
// the controls hear of it there, and follow it on the message thread. The message
// thread waits for it meanwhile, as it does at shutdown: a control that made the
// rescan wait for the message thread fails the test (and is then served).
inline void rescanOnAnotherThread()
{
    auto rescan = std::async(std::launch::async, [] { Tr::MidiManager::instance()->RefreshDevList(1, 0, 1); });
    auto done = [&rescan] { return rescan.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
    if (rescan.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the rescan waited for the message thread";
        guitest::pumpUntil(done, 60000);
    }
}
