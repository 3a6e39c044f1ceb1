#pragma once
// Readable text for MIDI messages written as hexadecimal byte pairs
// ("90 3C 40" gives "Note On ch.1: C4 (#60), vel 64").

#include "foundation/BString.h"

namespace Tr {

constexpr char SFFFMidiNoteOff[] = "Note Off ch.%s: %s, vel %s";
constexpr char SFFFMidiNoteOn[] = "Note On ch.%s: %s, vel %s";
constexpr char SFFFMidiPolyphonicAftertouch[] = "Aftertouch ch.%s: %s, %s";
constexpr char SFFFMidiControlChange[] = "CC ch.%s: %s, %s";
constexpr char SFFMidiProgramChange[] = "Program Change ch.%s: %s";
constexpr char SFFMidiChannelPressure[] = "Channel Pressure ch.%s: %s";
constexpr char SFFMidiPitchWheel[] = "PitchWheel ch.%s: %s";
constexpr char SFMidiSystemExclusive[] = "Sys Ex: %s";
constexpr char SFFMidiMTCQuarterFrame[] = "MTC Quarter Frame: %s,%s";
constexpr char SFMidiSongPositionPointer[] = "Song Position Pointer: %s";
constexpr char SFMidiSongSelect[] = "Song Select: %s";
constexpr char SMidiTuneRequest[] = "Tune Request";
constexpr char SMidiTimingClock[] = "Timing Clock";
constexpr char SMidiMTCStart[] = "Song Start";
constexpr char SMidiMTCContinue[] = "Song Continue";
constexpr char SMidiMTCStop[] = "Song Stop";
constexpr char SMidiActiveSensing[] = "Active Sensing";
constexpr char SMidiSystemReset[] = "System Reset";
constexpr char SFFNRPN[] = "NRPN: MSB=%s LSB=%s";
constexpr char SFFRPN[] = "RPN: MSB=%s LSB=%s";

// The names of all messages in the hex text (blanks anywhere), joined by " - ";
// from the first byte that cannot be named on, the rest follows as byte pairs,
// each followed by a blank. An empty result gives the hex text itself when
// fallBack is non-zero.
BString GetMidiStringName(BString const& hexText, int fallBack);

// The name of the one message, or NRPN/RPN sequence, at the 1-based position of
// a text without blanks; consumed receives the characters it takes, 0 (and the
// result is empty) when nothing there can be named.
BString GetMidiStringNameImpl(BString const& text, int position, int& consumed);

namespace GetMidiStringNameImplNS {

// One message being read at position + consumed. Data values are -1 when absent
// or not hexadecimal; their texts are the decimal value, the two characters as
// written (a placeholder), or empty when absent.
struct _context1_t
{
    _context1_t(BString const& text, int length, int position, int& consumed);

    BString const& text;
    int position;
    // The characters the message takes; also the offset at which readVars reads.
    int& consumed;
    int remaining;
    int status = -1;
    int data1 = -1;
    int data2 = -1;
    BString channel;
    BString data1Text;
    BString data2Text;
};

// The values of an NRPN or RPN sequence, each place empty until its controller came.
struct _context2_t
{
    explicit _context2_t(_context1_t& message) : message(message) {}

    _context1_t& message;
    BString nrpnMsb;
    BString nrpnLsb;
    BString rpnMsb;
    BString rpnLsb;
    BString dataEntryMsb;
    BString dataEntryLsb;
};

void readVars(_context1_t& c);
// The message at the context's position; the caller has checked that position.
BString nameMessage(_context1_t& c);
BString GetNoteName(_context1_t const& c);
BString GetController(_context1_t const& c);
BString GetControllerMessage(_context1_t& c);
BString GetPitch(_context1_t const& c);
BString GetSongPos(_context1_t const& c);
// Stores the value in the controller's empty place; 0 for another controller or a filled place.
int select(_context2_t& p, int controller, BString const& value);
int sl(BString& place, BString const& value);
// Takes count characters when that many remain (1), else 0.
int cl(_context1_t& c, int count);

} // namespace GetMidiStringNameImplNS

} // namespace Tr
