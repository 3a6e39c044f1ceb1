#pragma once

#include "midi/MidiManager.h"

namespace Tr {

// Adds the CoreMIDI factory to the MIDI manager once the manager is initialised,
// without a rescan. One is handed to the manager before main runs; the midi library
// is linked whole, so that this registration is never left out of a program.
class MidiPortMac_MMInit : public MidiManagerInitializer {
public:
    void OnMidiManagerInited() override;
};

} // namespace Tr
