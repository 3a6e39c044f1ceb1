#include "midi/ShortMidiMessage.h"

#include <algorithm>

namespace Tr {

const int NormalEvents[16] = {0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 3, 3, 2, 2, 3, 0};
const int SpecialEvents[16] = {0, 2, 3, 2, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

int ShortMidiMessageLength(int status)
{
    int byte = status & 0xFF;
    return byte >= 0xF0 ? SpecialEvents[byte & 15] : NormalEvents[byte >> 4];
}

int MidiMessageLength(unsigned char const* data, int length)
{
    int fixed = ShortMidiMessageLength(data[0]);
    if (fixed > 0)
        return std::min(fixed, length);
    int size = 1;
    while (size < length && data[size] < 0x80)
        ++size;
    return size < length && data[size] == 0xF7 ? size + 1 : size;
}

} // namespace Tr
