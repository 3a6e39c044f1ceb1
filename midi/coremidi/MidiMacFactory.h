#pragma once

#include "midi/MidiDeviceFactory.h"
#include "platform/coremidi/MIDIServices.h"

#include <atomic>

namespace Tr {

// The device factory of CoreMIDI sources (inputs) and destinations (outputs).
// Made on first use, deleted by the shutdown registry, never made again.
class MidiMacFactory : public MidiDeviceFactory {
public:
    // "MIDI" in memory order.
    static constexpr int kType = 1229211981;

    static MidiMacFactory* instance();
    static bool IsInstanceAllocated();
    // " (manufacturer)", or empty for an empty text.
    static BString GetNameManufacturerSuffix(BString const& manufacturer);

    // Leaves the MIDI manager when that still exists.
    ~MidiMacFactory() override;

    void recreateCache(int dir, BList<MidiDeviceDescriptor*>& list) override;
    // Asked of CoreMIDI directly, not of the cache.
    int GetNumDevs(int dir) override;
    int GetType() override;
    BString GetTypeName(int dir) override;
    TMidiDeviceBase* CreateDevice(MidiDeviceDescriptor* desc) override;

    // The descriptor of endpoint index of the direction, or null when there is none.
    MidiDeviceDescriptor* CreateDescriptor(int dir, int index);
    // The endpoint that the descriptor stands for now: the one at its index when
    // that still matches it, else the one that does; 0 when the port is gone.
    MIDIEndpointRef FindEndpoint(MidiDeviceDescriptor const& desc);
    // Whether the descriptor's port is still that endpoint: not when it is gone, nor
    // when it went and came back as another endpoint. True for another back-end's.
    static bool IsStillAt(MidiDeviceDescriptor const& desc, MIDIEndpointRef endpoint);

private:
    MidiMacFactory();

    static std::atomic<MidiMacFactory*> inst;
    static std::atomic<int> hadAlreadyBeenDestroyed;
};

} // namespace Tr
