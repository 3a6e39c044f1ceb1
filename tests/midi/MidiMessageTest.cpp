#include "midi/MidiLibraryHelpers.h"
#include "midi/OpenMidiDevices.h"
#include "midi/ShortMidiMessage.h"

#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

using namespace miditest;

TEST(MidiMessage, LengthFromTheStatusByte)
{
    struct Case {
        int status;
        int length;
    } const cases[] = {
        {0x00, 0}, {0x7F, 0}, {0x80, 3}, {0x9F, 3}, {0xA5, 3}, {0xB0, 3}, {0xC3, 2}, {0xDF, 2}, {0xE0, 3},
        {0xF0, 0}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF4, 0}, {0xF5, 0}, {0xF6, 1}, {0xF7, 1}, {0xF8, 1},
        {0xFE, 1}, {0xFF, 1}, {0x1C0, 2}, {-0x70, 3},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.length, Tr::ShortMidiMessageLength(c.status)) << std::hex << c.status;
}

TEST(MidiMessage, ReceivedBytesAreSplitIntoMessages)
{
    struct Case {
        char const* bytes;
        int timingClock;
        int activeSensing;
        std::vector<char const*> messages;
    } const cases[] = {
        {"90 3C 40 F8 80 3C 00", 0, 1, {"90 3C 40", "80 3C 00"}},
        {"90 3C 40 F8 80 3C 00", 1, 1, {"90 3C 40", "F8", "80 3C 00"}},
        {"FE 90 3C 40 FE", 1, 0, {"90 3C 40"}},
        {"F0 7E 01 F7 C0 05", 1, 1, {"F0 7E 01 F7", "C0 05"}},
        {"F0 01 02 90 3C 40", 1, 1, {"F0 01 02", "90 3C 40"}},
        {"F0 01 02", 1, 1, {"F0 01 02"}},
        {"F0 01 F8 02 F7", 1, 1, {"F0 01", "F8", "02 F7"}},
        {"90 3C", 1, 1, {"90 3C"}},
        {"3C 40 C0 05", 1, 1, {"3C 40", "C0 05"}},
        {"F4 01 F5", 1, 1, {"F4 01", "F5"}},
    };
    for (auto const& c : cases) {
        TestInput input(new Tr::MidiDeviceDescriptor);
        MessageRecorder recorder;
        input.SetDataListener(&recorder);
        input.SetTimingClock(c.timingClock);
        input.SetActiveSensing(c.activeSensing);
        auto bytes = bytesOf(c.bytes);
        std::vector<Message> expected;
        for (char const* message : c.messages)
            expected.push_back({77, message});
        EXPECT_EQ(int(expected.size()), input.SplitAndDispatchMidiMessage(77, bytes.data(), int(bytes.size())))
            << c.bytes;
        EXPECT_EQ(expected, recorder.received()) << c.bytes;
    }
}

TEST(MidiMessage, NothingIsSplitWithoutAListener)
{
    TestInput input(new Tr::MidiDeviceDescriptor);
    auto bytes = bytesOf("90 3C 40");
    EXPECT_EQ(-1, input.SplitAndDispatchMidiMessage(0, bytes.data(), 3));
}

TEST(MidiMessage, FourteenBitValues)
{
    struct Case {
        int value;
        unsigned char lsb;
        unsigned char msb;
    } const signedCases[] = {{0, 0, 64}, {-8192, 0, 0}, {8191, 127, 127}, {-1, 127, 63}, {200, 72, 65}},
      unsignedCases[] = {{0, 0, 0}, {16383, 127, 127}, {200, 72, 1}, {8192, 0, 64}};
    for (auto const& c : signedCases) {
        EXPECT_EQ(c.value, Tr::toInt(c.lsb, c.msb));
        EXPECT_EQ(c.lsb, Tr::toLSB(c.value)) << c.value;
        EXPECT_EQ(c.msb, Tr::toMSB(c.value)) << c.value;
    }
    for (auto const& c : unsignedCases) {
        EXPECT_EQ(c.value, Tr::UtoInt(c.lsb, c.msb));
        EXPECT_EQ(c.lsb, Tr::UtoLSB(c.value)) << c.value;
        EXPECT_EQ(c.msb, Tr::UtoMSB(c.value)) << c.value;
    }
}

TEST(MidiMessage, NumberedPrefixesAreRemoved)
{
    std::pair<char const*, char const*> const cases[] = {
        {"12- Foo", "Foo"}, {"1-\t Bar", "Bar"}, {"7-", ""}, {"-Foo", "-Foo"}, {"12 Foo", "12 Foo"}, {"Foo", "Foo"},
    };
    for (auto const& c : cases)
        EXPECT_STREQ(c.second, Tr::RemoveWindowsNumberedPrefix(c.first).c_str()) << c.first;
}

TEST(MidiOpenRegister, NamesAreOpenPerDirectionIgnoringCaseAndEachOwnerRemovesItsOwn)
{
    int first = 0;
    int second = 0;
    Tr::AddOpenMidiDevice(1, "Synth");
    EXPECT_TRUE(Tr::IsMidiDeviceOpen(1, "SYNTH"));
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(0, "Synth"));
    Tr::AddOpenMidiDevice(1, "Synth", &first);
    Tr::AddOpenMidiDevice(1, "Synth", &second);
    Tr::RemoveOpenMidiDevice(1, "synth");
    Tr::RemoveOpenMidiDevice(1, "Synth", &first);
    Tr::RemoveOpenMidiDevice(1, "Synth", &first);
    EXPECT_TRUE(Tr::IsMidiDeviceOpen(1, "Synth"));
    Tr::RemoveOpenMidiDevice(1, "SYNTH", &second);
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(1, "Synth"));
}

TEST(MidiOpenRegister, LoopbackPortsWouldFeedBackIntoTheirOtherDirection)
{
    std::pair<char const*, bool> const drivers[] = {
        {"LoopBE Internal MIDI", true}, {"MIDI Yoke NT:  1", true}, {"Maple Midi In: Port 1", true},
        {"LB3", true},                  {"loopbe", false},          {"My LB1", false},
    };
    for (auto const& d : drivers)
        EXPECT_EQ(d.second, Tr::IsMidiDeviceVirtualDriver(d.first)) << d.first;

    Tr::AddOpenMidiDevice(1, "LoopBE 1");
    Tr::AddOpenMidiDevice(1, "Synth");
    EXPECT_TRUE(Tr::WouldBecomeVirtualMidiLoop(0, "LoopBE 1"));
    EXPECT_FALSE(Tr::WouldBecomeVirtualMidiLoop(1, "LoopBE 1"));
    EXPECT_FALSE(Tr::WouldBecomeVirtualMidiLoop(2, "LoopBE 1"));
    EXPECT_FALSE(Tr::WouldBecomeVirtualMidiLoop(0, "Synth"));
    Tr::RemoveOpenMidiDevice(1, "LoopBE 1");
    Tr::RemoveOpenMidiDevice(1, "Synth");
}
