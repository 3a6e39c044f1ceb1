#include "midi/MidiNaming.h"
#include "midi/MidiNames.h"

#include <gtest/gtest.h>

#include <climits>

using Tr::BString;

namespace {

struct NamingCase {
    char const* hex;
    char const* name;
};

void expectNames(std::initializer_list<NamingCase> cases)
{
    for (NamingCase const& c : cases)
        EXPECT_STREQ(c.name, Tr::GetMidiStringName(BString(c.hex), 0).c_str()) << '"' << c.hex << '"';
}

TEST(MidiNaming, EveryKindOfMessage)
{
    expectNames({
        {"90 3C 40", "Note On ch.1: C4 (#60), vel 64"},
        {"903C40", "Note On ch.1: C4 (#60), vel 64"},
        {" 90 3C\t40\n", "Note On ch.1: C4 (#60), vel 64"},
        {"90 3C 40 80 3C 00", "Note On ch.1: C4 (#60), vel 64 - Note Off ch.1: C4 (#60), vel 0"},
        {"af 3d 7f", "Aftertouch ch.16: C#4 (#61), 127"},
        {"B0 07 64", "CC ch.1: Channel Volume (#7), 100"},
        {"B0 03 10", "CC ch.1:  #3, 16"},
        {"C5 0A", "Program Change ch.6: 10"},
        {"D2 40", "Channel Pressure ch.3: 64"},
        {"E0 00 40", "PitchWheel ch.1: 0.0%"},
        {"E0 7F 7F", "PitchWheel ch.1: +100.0%"},
        {"E0 00 00", "PitchWheel ch.1: -100.0%"},
        {"F1 23", "MTC Quarter Frame: 2,3"},
        {"F2 00 01", "Song Position Pointer: 128"},
        {"F3 05", "Song Select: 5"},
        {"F6 F8 FA FB FC FE FF",
         "Tune Request - Timing Clock - Song Start - Song Continue - Song Stop - Active Sensing - System Reset"},
        {"F0 7E F7", "F0 7E F7 "},
        {"", ""},
    });
}

TEST(MidiNaming, PlaceholderPairsShowAsWritten)
{
    expectNames({
        {"90 xx 40", "Note On ch.1: Note xx, vel 64"},
        {"B0 vv 40", "CC ch.1: Controller vv, 64"},
        {"E0 xx 40", "PitchWheel ch.1: xx,64"},
        {"F2 01 yy", "Song Position Pointer: 1,yy"},
        {"F1 qq", "MTC Quarter Frame: qq,"},
        {"xx 90 3C 40", "xx 90 3C 40 "},
        {"0x90", "0x 90 "},
    });
}

TEST(MidiNaming, ParameterNumberSequences)
{
    expectNames({
        {"B0 63 01 B0 62 02 B0 06 03 B0 26 04", "NRPN: MSB=1 LSB=2, data: LSB: 4 MSB: 3"},
        {"B0 65 00 B0 64 00 B0 06 02", "RPN: MSB=0 LSB=0, data: MSB: 2"},
        {"B0 64 01 B0 65 02 B0 26 05", "RPN: MSB=2 LSB=1, data: LSB: 5"},
        {"B0 63 xx B0 62 02", "NRPN: MSB=xx LSB=2"},
        // At most four messages, each place filled once.
        {"B0 63 01 B0 62 02 B0 06 03 B0 26 04 B0 26 05",
         "NRPN: MSB=1 LSB=2, data: LSB: 4 MSB: 3 - CC ch.1: Data LSB (#38), 5"},
        {"B0 63 01 B0 62 02 B0 06 03 B0 06 04", "NRPN: MSB=1 LSB=2, data: MSB: 3 - CC ch.1: Data MSB (#6), 4"},
        // After the parameter number only data entry belongs to the sequence.
        {"B0 63 01 B0 62 02 B0 65 03", "NRPN: MSB=1 LSB=2 - CC ch.1: RPN MSB (#101), 3"},
        {"B0 63 01 B0 62 02 B0 07 64", "NRPN: MSB=1 LSB=2 - CC ch.1: Channel Volume (#7), 100"},
        // No sequence: mixed numbers, another channel, a missing value, too short.
        {"B0 63 01 B0 64 02", "CC ch.1: NRPN MSB (#99), 1 - CC ch.1: RPN LSB (#100), 2"},
        {"B0 63 01 B1 62 02", "CC ch.1: NRPN MSB (#99), 1 - CC ch.2: NRPN LSB (#98), 2"},
        {"B0 63 01 B0 62 xx", "CC ch.1: NRPN MSB (#99), 1 - CC ch.1: NRPN LSB (#98), xx"},
        {"B0 63 01 B0 62", "CC ch.1: NRPN MSB (#99), 1 - B0 62 "},
    });
}

TEST(MidiNaming, RunningStatusAndRealTimeBytes)
{
    expectNames({
        // Running status is not followed: the bare data bytes stay hexadecimal.
        {"90 3C 40 3E 40", "Note On ch.1: C4 (#60), vel 64 - 3E 40 "},
        {"F8 90 3C 40 FE", "Timing Clock - Note On ch.1: C4 (#60), vel 64 - Active Sensing"},
        {"F1 23 F8", "MTC Quarter Frame: 2,3 - Timing Clock"},
        {"F8 F9 F8", "Timing Clock - F9 F8 "},
        {"F4 F5 FD F7", "F4 F5 FD F7 "},
    });
}

TEST(MidiNaming, TruncatedAndOddLengthText)
{
    expectNames({
        {"90 3C", "90 3C "},
        {"903", "90 3"},
        {"9", "9"},
        {"C5", "C5 "},
        {"B0 07", "B0 07 "},
        {"F1", "F1 "},
        {"F2 00", "F2 00 "},
        {"F8 F", "Timing Clock - F"},
        {"90 3C 40 8", "Note On ch.1: C4 (#60), vel 64 - 8"},
    });
}

TEST(MidiNaming, DataBytesOf128AndAbove)
{
    expectNames({
        {"B0 80 00", "CC ch.1:  #128, 0"},
        {"B0 FF 7F", "CC ch.1:  #255, 127"},
        {"B0 E3 01 B0 E2 02", "CC ch.1:  #227, 1 - CC ch.1:  #226, 2"},
        {"90 80 FF", "Note On ch.1:  (#128), vel 255"},
        {"90 F8 40", "Note On ch.1:  (#248), vel 64"},
        {"E0 FF FF", "PitchWheel ch.1: +301.6%"},
        {"F2 FF FF", "Song Position Pointer: 32895"},
        {"F1 F8", "MTC Quarter Frame: 15,8"},
    });
}

TEST(MidiNaming, FallBackGivesTheInputOnlyWhenNothingCameOut)
{
    EXPECT_STREQ("", Tr::GetMidiStringName(BString(""), 1).c_str());
    EXPECT_STREQ(" \t ", Tr::GetMidiStringName(BString(" \t "), 1).c_str());
    EXPECT_STREQ("", Tr::GetMidiStringName(BString(" \t "), 0).c_str());
    EXPECT_STREQ("F0 F7 ", Tr::GetMidiStringName(BString("F0F7"), 1).c_str());
}

TEST(MidiNaming, OneMessageAtAPosition)
{
    struct Case {
        char const* text;
        int position;
        char const* name;
        int consumed;
    } const cases[] = {
        {"903C40F8", 1, "Note On ch.1: C4 (#60), vel 64", 6},
        {"903C40F8", 7, "Timing Clock", 2},
        {"903C40F8", 2, "", 0},
        {"903C40F8", 8, "", 0},
        {"903C40F8", 9, "", 0},
        {"903C40F8", 0, "", 0},
        {"903C40F8", -7, "", 0},
        {"903C40F8", INT_MAX, "", 0},
        {"903C40F8", INT_MIN, "", 0},
        {"", 1, "", 0},
        {"B063", 1, "", 0},
        {"B0630BB0620AB00603B02604", 1, "NRPN: MSB=11 LSB=10, data: LSB: 4 MSB: 3", 24},
        // A blank inside a pair is part of that pair, never a way into the next one.
        {"C0 9A", 1, "Program Change ch.1:  9", 4},
    };
    for (auto const& c : cases) {
        int consumed = -1;
        EXPECT_STREQ(c.name, Tr::GetMidiStringNameImpl(BString(c.text), c.position, consumed).c_str())
            << c.text << " at " << c.position;
        EXPECT_EQ(c.consumed, consumed) << c.text << " at " << c.position;
    }
}

TEST(MidiNaming, NoteNames)
{
    struct Case {
        int note;
        char const* name;
    } const cases[] = {
        {60, "C4"}, {0, "C-1"}, {61, "C#4"}, {71, "B4"}, {127, "G9"}, {128, ""}, {-1, ""}, {INT_MIN, ""},
    };
    for (auto const& c : cases)
        EXPECT_STREQ(c.name, Tr::GetMidiNoteName(c.note).c_str()) << c.note;
}

TEST(MidiNaming, ControllerNames)
{
    struct Case {
        int number;
        int fallBack;
        char const* name;
    } const cases[] = {
        {7, 0, "Channel Volume"}, {0, 1, "Bank Select MSB"}, {127, 0, "Poly Mode On"}, {3, 1, "Controller 3"},
        {3, 0, ""},               {119, 1, "Controller 119"}, {-1, 1, ""},           {128, 1, ""},
        {255, 1, ""},             {INT_MAX, 1, ""},
    };
    for (auto const& c : cases)
        EXPECT_STREQ(c.name, Tr::GetMidiControllerName(c.number, c.fallBack).c_str()) << c.number;
}

} // namespace
