#pragma once

#include "foundation/BString.h"

namespace juce {
class String;
}

namespace Tr {

// Conversions at the GUI boundary; both carry the text as UTF-8.
BString StringFrom(juce::String const& s);
juce::String JuceStringFrom(BString const& s);

} // namespace Tr
