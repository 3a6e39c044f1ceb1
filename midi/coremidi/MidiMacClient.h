#pragma once

#include "foundation/BString.h"
#include "platform/coremidi/MIDIServices.h"

namespace Tr {

// The process's client "Pexa's MIDI subsystem", through which every port of this
// back-end is made; created on first use, and tried again while it could not be.
// Never disposed of.
MIDIClientRef GetGlobalMidiClientRef();

// The property as text; empty when the object has none.
BString GetMidiStringProperty(MIDIObjectRef object, CFStringRef property);
// The property, or the default when CoreMIDI reports an error.
int GetMidiIntegerProperty(MIDIObjectRef object, CFStringRef property, int defaultValue);

} // namespace Tr
