#include "foundation/gui/JuceString.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

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

// Bytes that are no UTF-8 (a damaged ini file, a file name in another
// encoding) made JUCE read past the end of the text; each becomes U+FFFD.
TEST(JuceString, BytesThatAreNoUtf8BecomeReplacementCharacters)
{
    std::string const r = "\xEF\xBF\xBD";
    struct {
        std::string bytes;
        std::string expected;
    } const cases[] = {
        { "/home/\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF/x.syx", "/home/" + r + r + r + r + r + r + r + r + "/x.syx" },
        { "caf\xE9.syx", "caf" + r + ".syx" },
        { "end\xC3", "end" + r },
        { "\xC3\xA9\x80", "\xC3\xA9" + r },
        { "\xC0\xAF", r + r },
        { "\xE0\x9F\xBF", r + r + r },
        { "\xED\xA0\x80", r + r + r },
        { "\xF4\x90\x80\x80", r + r + r + r },
        { "\xF8\x88\x80\x80\x80", r + r + r + r + r },
        { "\xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", "\xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF" },
    };
    for (auto const& c : cases)
        EXPECT_EQ(std::string(Tr::JuceStringFrom(Tr::BString(c.bytes.c_str())).toRawUTF8()), c.expected) << c.bytes;
    juce::String path = Tr::JuceStringFrom(Tr::BString(cases[0].bytes.c_str()));
    EXPECT_EQ(path.fromLastOccurrenceOf("/", false, false), "x.syx");
}

// A damaged ini file can hold a value of many megabytes. Counting the text's
// length at every step made this take minutes; a linear pass takes milliseconds.
TEST(JuceString, ALongTextTakesLinearTime)
{
    std::string const piece = "caf\xC3\xA9 \xFF/";
    std::string bytes;
    std::string expected;
    while (bytes.size() < (2u << 20)) {
        bytes += piece;
        expected += "caf\xC3\xA9 \xEF\xBF\xBD/";
    }
    Tr::BString text(bytes.c_str());
    auto start = std::chrono::steady_clock::now();
    juce::String converted = Tr::JuceStringFrom(text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(std::string(converted.toRawUTF8()) == expected);
}
