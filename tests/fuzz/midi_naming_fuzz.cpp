// MIDI message naming on any hex text: it ends, names each message within the
// text, and gives something for any text that is not all blanks (with the fall
// back, the text itself).
#include "midi/MidiNaming.h"

#include "FuzzSupport.h"

#include <initializer_list>

using Tr::BString;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    BString const text = Fuzz::text(data, size);
    BString const blankless = text.removeWhiteSpace();
    BString const name = Tr::GetMidiStringName(text, 0);
    Fuzz::require(name.isEmpty() == blankless.isEmpty());
    if (name.isEmpty())
        Fuzz::require(Tr::GetMidiStringName(text, 1) == text);

    int const length = blankless.length();
    for (int position : {0, 1, 2, length / 2, length - 1, length, length + 1}) {
        int consumed = -1;
        BString message = Tr::GetMidiStringNameImpl(blankless, position, consumed);
        Fuzz::require(message.isEmpty() == (consumed == 0));
        Fuzz::require(consumed >= 0 && (consumed == 0 || position - 1 + consumed <= length));
    }
    return 0;
}
