#include "foundation/gui/JuceString.h"

#include <juce_core/juce_core.h>

namespace Tr {

BString StringFrom(juce::String const& s)
{
    return BString(s.toUTF8().getAddress());
}

juce::String JuceStringFrom(BString const& s)
{
    return juce::String::fromUTF8(s.c_str(), s.length());
}

} // namespace Tr
