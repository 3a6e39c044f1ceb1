#include "midi/coremidi/MidiMacErrors.h"

namespace Tr {

namespace {

constexpr int kFirstCode = -10843;

// Indexed by code - kFirstCode.
const char* const errorTexts[] = {
    "Attempt to set a non-unique kMIDIPropertyUniqueID on an object.",
    "The requested object does not exist.",
    "A driver is calling a non-I/O function in the server from a thread other than the server's main thread.",
    "Unable to read the saved state.",
    "Unable to start MIDIServer.",
    "Communication with MIDIServer failed.",
    "Internal error; there is no current MIDI setup object.",
    "Attempt to set a property with a value not of the correct type.",
    "Attempt to query a property not set on the object.",
    "An invalid MIDIEndpointRef was passed.",
    "Attempt to close a non-existant connection.",
    "A source endpoint was passed to a function expecting a destination, or vice versa.",
    "An invalid MIDIPortRef was passed.",
    "An invalid MIDIClientRef was passed.",
};

constexpr int kTextCount = int(sizeof errorTexts / sizeof errorTexts[0]);

} // namespace

const char* const SFCannotOpenIn = "Cannot open MIDI input device \"%s\":";
const char* const SFCannotOpen = "Cannot open MIDI output device \"%s\":";

EMidiError::~EMidiError() = default;

EMidiPortAbsent::~EMidiPortAbsent() = default;

BString midiGetErrorText(int code)
{
    // Compared first: the difference would overflow for codes far from the table.
    if (code >= kFirstCode && code < kFirstCode + kTextCount)
        return errorTexts[code - kFirstCode];
    return BString::format("MIDI ERROR %d", code);
}

} // namespace Tr
