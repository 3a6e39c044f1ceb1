#pragma once

namespace Tr {

// Message lengths by the high nibble of a status byte below 0xF0, and by the low
// nibble of a byte from 0xF0 on. 0: the length is not fixed.
extern const int NormalEvents[16];
extern const int SpecialEvents[16];

// The length of a MIDI message from its status byte (the low 8 bits count): 0 for
// System Exclusive, the undefined 0xF4 and 0xF5, and data bytes.
int ShortMidiMessageLength(int status);

// The length of the message at the start of data (length > 0): its fixed length,
// cut to the bytes there are; a message without one runs to the next status byte,
// an End of Exclusive (0xF7) included, or to the end.
int MidiMessageLength(unsigned char const* data, int length);

} // namespace Tr
