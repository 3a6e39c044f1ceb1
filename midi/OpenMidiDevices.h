#pragma once

#include "foundation/BString.h"
#include "foundation/TStringList.h"

namespace Tr {

// The display names of the process's open MIDI ports, per direction (1 = input,
// 0 = output), compared ignoring case. Each entry belongs to an owner (a device
// object, or null for callers that name none), so that one owner's close never
// removes another's entry. Made on first use; inert once freed at exit, so that
// devices closed later during the exit touch nothing freed.

// Appends the name unless this owner already has it.
void AddOpenMidiDevice(int dir, BString const& name, void const* owner = nullptr);
// Removes this owner's first entry of the name.
void RemoveOpenMidiDevice(int dir, BString const& name, void const* owner = nullptr);
// Whether anybody has the name open in that direction.
bool IsMidiDeviceOpen(int dir, BString const& name);

// The register lock: Enter does nothing once the register is freed, and Leave
// leaves only what the calling thread entered.
void midiShareMidiListLockEnter();
void midiShareMidiListLockLeave();
// The list of direction 1 or 0 (the caller holds the lock), made when create is
// set; null for other directions.
TStringList* getMidiDevList(int dir, int create);
void FreeMidiDevListBuffer();

// Frees the register when the process exits.
class TMIDIDevicesBuffer_deleter {
public:
    ~TMIDIDevicesBuffer_deleter();
};

} // namespace Tr
