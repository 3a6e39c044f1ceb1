#include "foundation/BTimer.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiManagerTestSupport.h"

#include <chrono>
#include <thread>

using namespace miditest;

namespace {

// Looks slots up from inside every call, on whichever thread tells it.
struct Looker : Tr::MidiManagerDeviceControlListener, Tr::TMidiDeviceListListener {
    void OnAfterOpenMidiDevice(int index, int input) override { look(index, input); }
    void OnAfterCloseMidiDevice(int index, int input) override { look(index, input); }
    void OnMidiDeviceListChanged() override { look(0, 0); }

    void look(int index, int input)
    {
        if (Tr::MidiManagerDev* slot = Tr::MidiManager::instance()->GetDevDescriptor(index, input))
            names += slot->GetDisplayDevName().length() + slot->IsOpen();
    }

    std::atomic<int> names{0};
};

struct Rescanner : Tr::BTimer::Listener {
    void onTimer(Tr::BTimer*) override
    {
        Tr::MidiManager::instance()->RefreshDevList(1, 0, 1);
        ++rescans;
    }

    std::atomic<int> rescans{0};
};

} // namespace

TEST(MidiManagerThreads, RescansOnTheTimerThreadAgainstOpensClosesLookupsAndSends)
{
    VirtualMidiBackend& midi = freshVirtualMidi();
    Tr::MidiManager* manager = Tr::MidiManager::instance();
    manager->SetSuspended(0);
    Looker looker;
    manager->AddDeviceControlListener(&looker);
    manager->AddDevListChangeListener(&looker);
    std::vector<std::pair<MIDIObjectType, VirtualMidiPort>> ports;
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination})
        for (char const* name : {"Threads:P0", "Threads:P1", "Threads:P2"}) {
            ports.emplace_back(type, VirtualMidiPort{});
            ports.back().second.name = name;
            midi.add(type, ports.back().second);
        }

    Rescanner rescanner;
    Tr::BTimer timer(&rescanner, 1, 1, "rescans");
    timer.start();
    std::atomic<bool> plugged{false};
    std::thread plugger([&] {
        for (int round = 0; round < 60; ++round) {
            for (auto const& [type, port] : ports) {
                midi.remove(midi.find(type, port.name));
                midi.add(type, port, size_t(round % 3));
            }
            // A port never seen before: the slot lists grow.
            VirtualMidiPort fresh;
            fresh.name = "Threads:N" + std::to_string(round);
            midi.add(round % 2 ? kMIDIObjectType_Source : kMIDIObjectType_Destination, fresh);
        }
        plugged = true;
    });
    std::vector<Byte> note = bytesOf("90 3C 64");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while ((!plugged || rescanner.rescans < 50) && std::chrono::steady_clock::now() < deadline) {
        for (int input : {0, 1})
            for (int i = manager->GetDevCount(input) - 1; i >= 0; --i) {
                manager->Open(i, input, 0);
                manager->GetDevIndex("Threads:P1", input);
                manager->SendMessageAllDevs(note.data(), 3);
                manager->Close(i, input, 0, i % 2);
            }
    }
    timer.stop();
    plugger.join();
    EXPECT_TRUE(plugged);
    EXPECT_GE(rescanner.rescans, 50);

    manager->RefreshDevList(1, 0, 1);
    for (auto const& [type, port] : ports) {
        int input = type == kMIDIObjectType_Source ? 1 : 0;
        Tr::MidiManagerDev* slot = manager->GetDevDescriptor(port.name.c_str(), input);
        ASSERT_NE(nullptr, slot) << port.name;
        EXPECT_TRUE(slot->Exists()) << port.name;
    }
    manager->RemoveDeviceControlListener(&looker);
    manager->RemoveDevListChangeListener(&looker);
}
