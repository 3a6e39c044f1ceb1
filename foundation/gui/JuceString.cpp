#include "foundation/gui/JuceString.h"

#include <juce_core/juce_core.h>

#include <string>

namespace Tr {

namespace {

// The length of the well-formed UTF-8 sequence that starts the bytes; 0 when
// they start none (a stray or missing continuation byte, an overlong form, a
// surrogate, a value beyond U+10FFFF).
int sequenceLength(unsigned char const* bytes, int available)
{
    unsigned char lead = bytes[0];
    int length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || length > available)
        return 0;
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (int i = 1; i < length; ++i, low = 0x80, high = 0xBF) {
        if (bytes[i] < low || bytes[i] > high)
            return 0;
    }
    return length;
}

} // namespace

BString StringFrom(juce::String const& s)
{
    return BString(s.toUTF8().getAddress());
}

// JUCE's string steps over a malformed sequence by other byte counts in some
// operations than in others, and so reads past the end of the text: each byte
// that starts no well-formed sequence reaches it as U+FFFD.
juce::String JuceStringFrom(BString const& s)
{
    auto const* bytes = reinterpret_cast<unsigned char const*>(s.c_str());
    // BString counts its length anew at every call: once here keeps a long text linear.
    int const total = s.length();
    std::string wellFormed;
    wellFormed.reserve(static_cast<std::size_t>(total));
    for (int i = 0, length = 0; i < total; i += length) {
        length = sequenceLength(bytes + i, total - i);
        if (length == 0) {
            wellFormed += "\xEF\xBF\xBD";
            length = 1;
        } else {
            wellFormed.append(s.c_str() + i, static_cast<std::size_t>(length));
        }
    }
    return juce::String::fromUTF8(wellFormed.data(), static_cast<int>(wellFormed.size()));
}

} // namespace Tr
