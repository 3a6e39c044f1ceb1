#pragma once

#include "foundation/BString.h"

namespace juce {
class String;
}

namespace Tr {

// Conversions at the GUI boundary; both carry the text as UTF-8. A byte that
// starts no well-formed UTF-8 sequence reaches JUCE as U+FFFD.
BString StringFrom(juce::String const& s);
juce::String JuceStringFrom(BString const& s);

} // namespace Tr
