#include "midi/coremidi/MidiMacErrors.h"
#include "midi/coremidi/MidiMacFactory.h"
#include "midi/coremidi/TMidiInputMac.h"
#include "midi/OpenMidiDevices.h"
#include "midi/coremidi/TMidiOutputMac.h"
#include "platform/coreaudio/HostTime.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/midi/MidiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <future>
#include <memory>
#include <thread>

using namespace miditest;
using TrTest::waitUntil;

namespace {

MIDITimeStamp const perByte = AudioConvertNanosToHostTime(320000);

struct Described {
    std::string name;
    std::string serial;
    std::string interfaceId;

    bool operator==(Described const& other) const
    {
        return name == other.name && serial == other.serial && interfaceId == other.interfaceId;
    }
};

std::ostream& operator<<(std::ostream& out, Described const& d)
{
    return out << "{" << d.name << ", " << d.serial << ", " << d.interfaceId << "}";
}

// The text of the error that opening throws, or "" when it opens.
std::string openError(Tr::TMidiDeviceBase& device)
{
    try {
        device.Open();
    } catch (Tr::EMidiError const& error) {
        return error.what();
    }
    return "";
}

class Waiter : public Tr::TMidiOutWaitCallback {
public:
    void OnMidiOutWait(Tr::TMidiOutputBase*, int& keepWaiting) override
    {
        ++calls;
        keepWaiting = giveUp ? 0 : 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    bool giveUp = false;
    int calls = 0;
};

class MidiMac : public ::testing::Test {
protected:
    // The descriptors of the direction as the factory builds them now.
    std::vector<Described> described(int dir)
    {
        factory->InvalidateCache();
        Tr::BOwnedList<Tr::MidiDeviceDescriptor*> list;
        factory->GetDeviceList(dir, list);
        std::vector<Described> all;
        for (int i = 0; i < list.count; ++i)
            all.push_back({list.items[i]->GetName().c_str(), list.items[i]->serial.c_str(),
                           list.items[i]->interfaceId.c_str()});
        return all;
    }

    // A closed device for the port of that display name, as the factory lists it now.
    template <class Device>
    std::unique_ptr<Device> device(int dir, std::string const& name)
    {
        factory->InvalidateCache();
        Tr::BOwnedList<Tr::MidiDeviceDescriptor*> list;
        factory->GetDeviceList(dir, list);
        for (int i = 0; i < list.count; ++i)
            if (list.items[i]->GetName() == name.c_str())
                return std::unique_ptr<Device>(dynamic_cast<Device*>(factory->CreateDevice(list.items[i])));
        ADD_FAILURE() << "no port " << name;
        return nullptr;
    }

    std::unique_ptr<Tr::TMidiOutputMac> openOutput(std::string const& name)
    {
        auto made = device<Tr::TMidiOutputMac>(0, name);
        made->Open();
        EXPECT_TRUE(made->IsOpen());
        return made;
    }

    VirtualMidiBackend& midi = freshVirtualMidi();
    Tr::MidiMacFactory* factory = Tr::MidiMacFactory::instance();
};

} // namespace

TEST_F(MidiMac, DisplayNamesAndIdentifiersOfTheEndpoints)
{
    VirtualMidiPort noEntity;
    noEntity.name = "Loose";
    noEntity.model = "Box";
    VirtualMidiPort noDevice = hardwarePort("Half", 0x12, 0);
    noDevice.deviceId.reset();
    struct Case {
        VirtualMidiPort port;
        Described expected;
    } const cases[] = {
        {hardwarePort("Port 1", 0x12, 0xA1B2C3, "Synth"), {"Synth : Port 1", "00000012", "00A1B2C3"}},
        {hardwarePort("Port 1", 0x12, 0xA1B2C3, "SYNTH PORT 1"), {"Port 1", "00000012", "00A1B2C3"}},
        {hardwarePort("Port 2", -2, 0, ""), {"Port 2", "FFFFFFFE", ""}},
        {hardwarePort("Minus", 0, -1, ""), {"Minus", "", ""}},
        {noEntity, {"Box : Loose", "", ""}},
        {noDevice, {"Half", "00000012", ""}},
    };
    std::vector<Described> expected;
    for (auto const& c : cases) {
        midi.add(kMIDIObjectType_Source, c.port);
        expected.push_back(c.expected);
    }
    EXPECT_EQ(expected, described(1));
    EXPECT_TRUE(described(0).empty());

    midi.add(kMIDIObjectType_Destination, hardwarePort("Late", 1, 2));
    EXPECT_EQ(1, factory->GetNumDevs(0));
}

TEST_F(MidiMac, ErrorTexts)
{
    std::pair<int, char const*> const cases[] = {
        {-10843, "Attempt to set a non-unique kMIDIPropertyUniqueID on an object."},
        {-10842, "The requested object does not exist."},
        {-10841, "A driver is calling a non-I/O function in the server from a thread other than the server's main "
                 "thread."},
        {-10840, "Unable to read the saved state."},
        {-10839, "Unable to start MIDIServer."},
        {-10838, "Communication with MIDIServer failed."},
        {-10837, "Internal error; there is no current MIDI setup object."},
        {-10836, "Attempt to set a property with a value not of the correct type."},
        {-10835, "Attempt to query a property not set on the object."},
        {-10834, "An invalid MIDIEndpointRef was passed."},
        {-10833, "Attempt to close a non-existant connection."},
        {-10832, "A source endpoint was passed to a function expecting a destination, or vice versa."},
        {-10831, "An invalid MIDIPortRef was passed."},
        {-10830, "An invalid MIDIClientRef was passed."},
        {-10844, "MIDI ERROR -10844"},
        {-10829, "MIDI ERROR -10829"},
        {-50, "MIDI ERROR -50"},
        {INT_MAX, "MIDI ERROR 2147483647"},
        {INT_MIN, "MIDI ERROR -2147483648"},
    };
    for (auto const& c : cases)
        EXPECT_STREQ(c.second, Tr::midiGetErrorText(c.first).c_str());
}

TEST_F(MidiMac, OpenErrorsNameThePort)
{
    MIDIEndpointRef in = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 3, 4));
    auto input = device<Tr::TMidiInputMac>(1, "In");
    auto output = device<Tr::TMidiOutputMac>(0, "Out");
    midi.fail(VirtualMidiCall::CreateOutputPort, kMIDIInvalidClient);
    EXPECT_EQ("Cannot open MIDI output device \"Out\": An invalid MIDIClientRef was passed.", openError(*output));
    midi.fail(VirtualMidiCall::CreateOutputPort, 0);
    midi.remove(in);
    midi.remove(out);
    EXPECT_EQ("Cannot open MIDI input device \"In\":", openError(*input));
    EXPECT_EQ("Cannot open MIDI output device \"Out\":", openError(*output));
    EXPECT_FALSE(input->IsOpen());
    EXPECT_FALSE(output->IsOpen());
    EXPECT_FALSE(Tr::IsMidiDeviceOpen(0, "Out"));
}

TEST_F(MidiMac, APortIsOpenedByItsIdentityNotByAStaleIndex)
{
    midi.add(kMIDIObjectType_Destination, hardwarePort("A", 10, 20));
    MIDIEndpointRef b = midi.add(kMIDIObjectType_Destination, hardwarePort("B", 30, 40));
    VirtualMidiPort loose;
    loose.name = "Loose";
    MIDIEndpointRef looseRef = midi.add(kMIDIObjectType_Destination, loose);
    auto first = device<Tr::TMidiOutputMac>(0, "A");
    auto second = device<Tr::TMidiOutputMac>(0, "B");
    auto third = device<Tr::TMidiOutputMac>(0, "Loose");

    midi.remove(midi.find(kMIDIObjectType_Destination, "A"));
    midi.add(kMIDIObjectType_Destination, hardwarePort("C", 50, 60), 0);
    midi.add(kMIDIObjectType_Destination, hardwarePort("D", 70, 80), 0);
    EXPECT_EQ("Cannot open MIDI output device \"A\":", openError(*first));
    EXPECT_EQ("", openError(*second));
    EXPECT_EQ(b, second->GetOpenHandle());
    EXPECT_EQ("", openError(*third));
    EXPECT_EQ(looseRef, third->GetOpenHandle());
    EXPECT_EQ(1, second->SendShort(0xC0, 1, 0));
    EXPECT_EQ((std::vector<Packet>{{sentTo(midi, b).at(0).time, "C0 01"}}), sentTo(midi, b));
    EXPECT_EQ(1u, midi.sent().size());
}

TEST_F(MidiMac, ASystemExclusiveMessageIsOnePacketQueuedAtTheWireRate)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    auto data = sysex(690);
    MIDITimeStamp before = AudioGetCurrentHostTime();
    ASSERT_EQ(1, output->SendLong(data.data(), 690));
    MIDITimeStamp beforeSecond = AudioGetCurrentHostTime();
    ASSERT_EQ(1, output->SendLong(data.data(), 690));
    auto packets = sentTo(midi, out);
    ASSERT_EQ(2u, packets.size());
    EXPECT_EQ(hexOf(data), packets[0].hex);
    EXPECT_GE(packets[0].time, before);
    MIDITimeStamp firstEnds = packets[0].time + 690 * perByte;
    if (beforeSecond < firstEnds)
        EXPECT_EQ(firstEnds, packets[1].time);
    else
        EXPECT_GE(packets[1].time, beforeSecond);
}

TEST_F(MidiMac, EachMessageIsAPacketStampedAfterTheBytesBeforeIt)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    auto two = bytesOf("90 3C 40 80 3C 00");
    ASSERT_EQ(1, output->SendLong(two.data(), int(two.size())));
    auto packets = sentTo(midi, out);
    ASSERT_EQ(2u, packets.size());
    EXPECT_EQ((Packet{packets[0].time + 3 * perByte, "80 3C 00"}), packets[1]);

    std::vector<Byte> clocks(100, 0xF8);
    ASSERT_EQ(1, output->SendLong(clocks.data(), 100));
    packets = sentTo(midi, out);
    ASSERT_EQ(102u, packets.size());
    for (size_t i = 3; i < packets.size(); ++i)
        EXPECT_EQ((Packet{packets[2].time + (i - 2) * perByte, "F8"}), packets[i]) << i;
}

TEST_F(MidiMac, ShortMessagesGoOutAtTheirRealLength)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    unsigned char noteOnWithoutVelocity[] = {0x90, 0x3C};
    EXPECT_EQ(1, output->SendShort(0x90, 0x3C, 0x40));
    EXPECT_EQ(1, output->SendShort(0xC0, 0x05, 0x07));
    EXPECT_EQ(0, output->SendShort(0xF0, 0x01, 0x02));
    EXPECT_EQ(1, output->SendShort(0x643C90u));
    EXPECT_EQ(0, output->SendShort(0xF0u));
    EXPECT_EQ(1, output->SendLong(noteOnWithoutVelocity, 2));
    std::vector<std::string> sent;
    for (auto const& packet : sentTo(midi, out))
        sent.push_back(packet.hex);
    EXPECT_EQ((std::vector<std::string>{"90 3C 40", "C0 05", "90 3C 64", "90 3C"}), sent);

    output->Close();
    EXPECT_EQ(0, output->SendShort(0x90, 0x3C, 0x40));
    EXPECT_EQ(0, output->SendLong(noteOnWithoutVelocity, 2));
    EXPECT_EQ(4u, midi.sent().size());
}

TEST_F(MidiMac, ARefusedShortSendThrowsAndARefusedLongSendFails)
{
    midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    midi.fail(VirtualMidiCall::Send, kMIDIMessageSendErr);
    try {
        output->SendShort(0x90, 0x3C, 0x40);
        ADD_FAILURE() << "no exception";
    } catch (Tr::EMidiError const& error) {
        EXPECT_STREQ("Communication with MIDIServer failed.", error.what());
    }
    auto data = sysex(10);
    EXPECT_EQ(0, output->SendLong(data.data(), 10));
}

TEST_F(MidiMac, ALongSendThatCannotGoOutWholeFails)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    auto data = bytesOf("90 3C 40");
    auto tooBigForAPacket = sysex(0x10000);
    data.insert(data.end(), tooBigForAPacket.begin(), tooBigForAPacket.end());
    EXPECT_EQ(0, output->SendLong(data.data(), int(data.size())));
    auto packets = sentTo(midi, out);
    ASSERT_EQ(1u, packets.size());
    EXPECT_EQ("90 3C 40", packets[0].hex);
}

TEST_F(MidiMac, AnInputDeliversItsPacketsSplitIntoMessages)
{
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    auto input = device<Tr::TMidiInputMac>(1, "In");
    MessageRecorder recorder;
    input->SetDataListener(&recorder);
    input->SetTimingClock(0);
    input->Open();
    EXPECT_FALSE(input->IsStarted());
    input->Start();
    EXPECT_TRUE(input->IsStarted());
    ASSERT_EQ(0, midi.inject(source, asList(packetList({{5, "90 3C 40 F8 80 3C 00"}, {6, "C0 05"}}))));
    EXPECT_EQ((std::vector<Message>{{5, "90 3C 40"}, {5, "80 3C 00"}, {6, "C0 05"}}), recorder.received());

    EXPECT_EQ(0, input->Stop());
    EXPECT_FALSE(input->IsStarted());
    midi.inject(source, asList(packetList({{7, "C0 06"}})));
    EXPECT_EQ(3u, recorder.received().size());

    midi.fail(VirtualMidiCall::Connect, kMIDINoConnection);
    EXPECT_THROW(input->Start(), Tr::EMidiError);
    EXPECT_FALSE(input->IsStarted());
}

TEST_F(MidiMac, AWaitingSendReturnsTheLengthOnceSent)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    auto data = sysex(6);
    Waiter waiter;
    EXPECT_EQ(6, output->SendLongWait(data.data(), 6, &waiter));
    EXPECT_EQ(6, output->SendLongWait(data.data(), 6, nullptr));
    EXPECT_EQ(2u, sentTo(midi, out).size());
    output->Close();
    EXPECT_EQ(0, output->SendLongWait(data.data(), 6, nullptr));
}

TEST_F(MidiMac, AnAbandonedWaitReturnsZeroAndTheSendStillCompletes)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    auto data = sysex(6);
    Waiter waiter;
    waiter.giveUp = true;
    midi.holdSends(true);
    EXPECT_EQ(0, output->SendLongWait(data.data(), 6, &waiter));
    EXPECT_EQ(1, waiter.calls);
    midi.holdSends(false);
    EXPECT_TRUE(waitUntil([&] { return sentTo(midi, out).size() == 1; }));
    EXPECT_EQ(hexOf(data), sentTo(midi, out).at(0).hex);
}

TEST_F(MidiMac, TransmissionsFromTwoThreadsNeverOverlap)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    auto output = openOutput("Out");
    auto send = [&] {
        auto data = sysex(10);
        for (int i = 0; i < 50; ++i)
            output->SendLong(data.data(), 10);
    };
    std::thread other(send);
    send();
    other.join();
    auto packets = sentTo(midi, out);
    ASSERT_EQ(100u, packets.size());
    std::sort(packets.begin(), packets.end(), [](Packet const& a, Packet const& b) { return a.time < b.time; });
    for (size_t i = 1; i < packets.size(); ++i)
        EXPECT_GE(packets[i].time, packets[i - 1].time + 10 * perByte) << i;
}

TEST_F(MidiMac, ClosingWaitsForARunningReadProcedure)
{
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    auto input = device<Tr::TMidiInputMac>(1, "In");
    MessageRecorder recorder;
    Gate inside;
    Gate release;
    std::atomic<bool> finished{false};
    recorder.during = [&] {
        inside.open();
        release.waitOpen();
        finished = true;
    };
    input->SetDataListener(&recorder);
    input->Open();
    input->Start();
    auto list = packetList({{1, "90 3C 40"}});
    std::thread receiving([&] { midi.inject(source, asList(list)); });
    inside.waitOpen();
    auto closing = std::async(std::launch::async, [&] {
        input->Close();
        return finished.load();
    });
    // Still waiting for the procedure (a broken disposal would be done by now).
    EXPECT_EQ(std::future_status::timeout, closing.wait_for(std::chrono::milliseconds(100)));
    release.open();
    EXPECT_TRUE(closing.get());
    receiving.join();
    input.reset();
}
