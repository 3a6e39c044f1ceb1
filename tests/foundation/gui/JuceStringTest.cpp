#include "foundation/gui/JuceString.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

TEST(JuceString, RoundTripKeepsAnyText)
{
    juce::String const texts[] = {
        juce::String(),
        juce::String("Dravik MIDI T"),
        juce::String::fromUTF8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"),
        juce::String::fromUTF8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
        juce::String::charToString(static_cast<juce::juce_wchar>(0x10FFFF)),
    };
    for (auto const& text : texts)
        EXPECT_EQ(text, Tr::JuceStringFrom(Tr::StringFrom(text))) << text;
}

TEST(JuceString, CarriesUtf8Bytes)
{
    Tr::BString s = Tr::StringFrom(juce::String::fromUTF8("\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_EQ(6, s.length());
    EXPECT_EQ(2, Tr::JuceStringFrom(s).length());
    EXPECT_TRUE(Tr::JuceStringFrom(Tr::BString()).isEmpty());
}
