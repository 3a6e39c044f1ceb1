#pragma once

#include "foundation/Exception.h"

namespace Tr {

// A failed MIDI port operation, carrying its text.
class EMidiError : public Exception {
public:
    using Exception::Exception;
    ~EMidiError() override;
};

// "Cannot open MIDI input device \"%s\":" and "Cannot open MIDI output device
// \"%s\":", formatted with the port's display name.
extern const char* const SFCannotOpenIn;
extern const char* const SFCannotOpen;

// The text of a CoreMIDI result code; "MIDI ERROR %d" for codes without one.
BString midiGetErrorText(int code);

} // namespace Tr
