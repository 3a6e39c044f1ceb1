#pragma once

#include "foundation/Exception.h"
#include "midi/MidiPortAbsent.h"

namespace Tr {

// A failed MIDI port operation, carrying its text.
class EMidiError : public Exception {
public:
    using Exception::Exception;
    ~EMidiError() override;
};

// Opening found no endpoint for the port: it was unplugged.
class EMidiPortAbsent : public EMidiError, public MidiPortAbsent {
public:
    using EMidiError::EMidiError;
    ~EMidiPortAbsent() override;
};

// "Cannot open MIDI input device \"%s\":" and "Cannot open MIDI output device
// \"%s\":", formatted with the port's display name.
extern const char* const SFCannotOpenIn;
extern const char* const SFCannotOpen;

// The text of a CoreMIDI result code; "MIDI ERROR %d" for codes without one.
BString midiGetErrorText(int code);

} // namespace Tr
