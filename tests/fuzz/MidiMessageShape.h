#pragma once
// What one MIDI message cut from received or sent bytes must look like.

#include "midi/ShortMidiMessage.h"

namespace Fuzz {

// Whether the length bytes at message are exactly one message of the available
// bytes from there: a fixed-length message cut to what is there, or one without a
// fixed length running up to the next status byte, an End of Exclusive included.
inline bool isOneMessage(unsigned char const* message, int length, int available)
{
    if (length < 1 || length > available)
        return false;
    int fixed = Tr::ShortMidiMessageLength(message[0]);
    if (fixed > 0)
        return length == (fixed < available ? fixed : available);
    for (int i = 1; i < length - 1; ++i)
        if (message[i] >= 0x80)
            return false;
    bool endsWithF7 = length > 1 && message[length - 1] == 0xF7;
    if (length > 1 && message[length - 1] >= 0x80 && !endsWithF7)
        return false;
    return endsWithF7 || length == available || (message[length] >= 0x80 && message[length] != 0xF7);
}

} // namespace Fuzz
