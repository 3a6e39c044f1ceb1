#include "platform/carbon/CarbonEvents.h"
#include "platform/coremidi/MIDIServices.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/support/CoreMidiCallbacks.h"
#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

#include <thread>

using namespace miditest;
using TrTest::waitUntil;

namespace {

class CoreMidiTest : public ::testing::Test, protected MidiClients {
protected:
    VirtualMidiBackend& midi = freshVirtualMidi();
};

using CoreMidiPacketList = CoreMidiTest;
using CoreMidiEndpoints = CoreMidiTest;
using CoreMidiNotifications = CoreMidiTest;
using CoreMidiPorts = CoreMidiTest;
using CoreMidiSysex = CoreMidiTest;

} // namespace

TEST_F(CoreMidiPacketList, PacketsFollowEachOtherUnmergedAndReadBackUnchanged)
{
    std::vector<Packet> packets = {{5, "90 3C 40"}, {5, "80 3C 00"}, {9, "F0 01 02 03 F7"}, {9, ""}};
    auto buffer = packetList(packets);
    EXPECT_EQ(4u + 4 * 10 + 3 + 3 + 5, buffer.size());
    EXPECT_EQ(packets, packetsOf(asList(buffer)));
}

TEST_F(CoreMidiPacketList, APacketThatDoesNotFitIsRefused)
{
    Byte const data[3] = {0x90, 0x3C, 0x40};
    std::vector<Byte> buffer(4 + 10 + 3);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());
    MIDIPacket* first = MIDIPacketListAdd(list, buffer.size(), MIDIPacketListInit(list), 1, 3, data);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(nullptr, MIDIPacketListAdd(list, buffer.size(), first, 2, 0, data));
    EXPECT_EQ(nullptr, MIDIPacketListAdd(list, buffer.size() - 1, MIDIPacketListInit(list), 1, 3, data));
    EXPECT_EQ(0u, list->numPackets);

    std::vector<Byte> large(70000);
    std::vector<Byte> payload(65536);
    auto big = reinterpret_cast<MIDIPacketList*>(large.data());
    EXPECT_EQ(nullptr, MIDIPacketListAdd(big, large.size(), MIDIPacketListInit(big), 1, 65536, payload.data()));
    EXPECT_NE(nullptr, MIDIPacketListAdd(big, large.size(), MIDIPacketListInit(big), 1, 65535, payload.data()));
}

TEST_F(CoreMidiEndpoints, ListedInOrderWithTheirProperties)
{
    VirtualMidiPort in = hardwarePort("In A", 10, 20, "Synth");
    in.manufacturer = "Maker";
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, in);
    MIDIEndpointRef outB = midi.add(kMIDIObjectType_Destination, hardwarePort("Out B", 30, 40));
    MIDIEndpointRef outA = midi.add(kMIDIObjectType_Destination, hardwarePort("Out A", 50, 60), 0);

    ASSERT_EQ(1u, MIDIGetNumberOfSources());
    EXPECT_EQ(source, MIDIGetSource(0));
    EXPECT_EQ(0u, MIDIGetSource(1));
    ASSERT_EQ(2u, MIDIGetNumberOfDestinations());
    EXPECT_EQ(outA, MIDIGetDestination(0));
    EXPECT_EQ(outB, MIDIGetDestination(1));
    EXPECT_EQ(0u, MIDIGetDestination(2));

    EXPECT_EQ("In A", stringProperty(source, kMIDIPropertyName));
    EXPECT_EQ("Synth", stringProperty(source, kMIDIPropertyModel));
    EXPECT_EQ("Maker", stringProperty(source, kMIDIPropertyManufacturer));
    EXPECT_EQ("", stringProperty(outB, kMIDIPropertyModel, kMIDIUnknownProperty));
    EXPECT_EQ(11, uniqueId(source));

    MIDIEntityRef entity = 0;
    MIDIDeviceRef device = 0;
    ASSERT_EQ(0, MIDIEndpointGetEntity(source, &entity));
    ASSERT_EQ(0, MIDIEntityGetDevice(entity, &device));
    EXPECT_EQ(10, uniqueId(entity));
    EXPECT_EQ(20, uniqueId(device));
    EXPECT_EQ("", stringProperty(entity, kMIDIPropertyName, kMIDIUnknownProperty));

    SInt32 value = 0;
    CFText unknown("nonsense");
    EXPECT_EQ(kMIDIWrongPropertyType, MIDIObjectGetIntegerProperty(source, kMIDIPropertyName, &value));
    EXPECT_EQ("", stringProperty(source, kMIDIPropertyUniqueID, kMIDIWrongPropertyType));
    EXPECT_EQ(kMIDIUnknownProperty, MIDIObjectGetIntegerProperty(source, unknown.ref, &value));

    ASSERT_TRUE(midi.remove(outA));
    EXPECT_FALSE(midi.remove(outA));
    EXPECT_EQ(outB, MIDIGetDestination(0));
    EXPECT_EQ("", stringProperty(outA, kMIDIPropertyName, kMIDIObjectNotFound));
    EXPECT_NE(outA, midi.add(kMIDIObjectType_Destination, hardwarePort("Out A", 50, 60)));
}

// A port's name is text however its bytes came in: each byte that is no part of
// well-formed UTF-8 reads as U+FFFD, and well-formed names stay as they are.
TEST_F(CoreMidiEndpoints, NamesThatAreNotUtf8ReadWithReplacementCharacters)
{
    std::string const replaced = "\xEF\xBF\xBD";
    struct {
        std::string name;
        std::string read;
    } const cases[] = {
        {"Synth\xFF", "Synth" + replaced},
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB9", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB9"},
        {"A\xE2\x82", "A" + replaced + replaced},
        {"\xC0\xAF\xED\xA0\x80", replaced + replaced + replaced + replaced + replaced},
    };
    for (auto const& c : cases) {
        VirtualMidiPort port;
        port.name = c.name;
        MIDIEndpointRef endpoint = midi.add(kMIDIObjectType_Destination, port);
        EXPECT_EQ(c.read, stringProperty(endpoint, kMIDIPropertyName)) << c.read;
    }
}

TEST_F(CoreMidiEndpoints, EntitiesDevicesAndIdsMayBeMissing)
{
    VirtualMidiPort bare;
    bare.name = "bare";
    VirtualMidiPort noDevice = bare;
    noDevice.entityId = -1;
    noDevice.uniqueId = 0;
    MIDIEndpointRef withoutEntity = midi.add(kMIDIObjectType_Source, bare);
    MIDIEndpointRef withoutDevice = midi.add(kMIDIObjectType_Source, noDevice);

    MIDIEntityRef entity = 99;
    EXPECT_EQ(kMIDIObjectNotFound, MIDIEndpointGetEntity(withoutEntity, &entity));
    EXPECT_EQ(0u, entity);
    ASSERT_EQ(0, MIDIEndpointGetEntity(withoutDevice, &entity));
    EXPECT_EQ(-1, uniqueId(entity));
    EXPECT_EQ(0, uniqueId(withoutDevice));
    MIDIDeviceRef device = 99;
    EXPECT_EQ(kMIDIObjectNotFound, MIDIEntityGetDevice(entity, &device));
    EXPECT_EQ(0u, device);
    EXPECT_EQ(kMIDIObjectNotFound, MIDIEntityGetDevice(withoutDevice, &device));
}

TEST_F(CoreMidiNotifications, AddedAndRemovedReachTheNotifyProcedureOnTheCreatingThread)
{
    EventThread events;
    Notifications heard;
    MIDIClientRef listening = listener(events, heard);
    client(); // without a notify procedure: hears nothing, breaks nothing

    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    midi.remove(out);
    ASSERT_TRUE(waitUntil([&] { return heard.all().size() == 4; }));
    std::vector<Heard> expected = {{kMIDIMsgObjectAdded, out, kMIDIObjectType_Destination, events.id},
                                   {kMIDIMsgSetupChanged, 0, kMIDIObjectType_Other, events.id},
                                   {kMIDIMsgObjectRemoved, out, kMIDIObjectType_Destination, events.id},
                                   {kMIDIMsgSetupChanged, 0, kMIDIObjectType_Other, events.id}};
    EXPECT_EQ(expected, heard.all());
    EXPECT_EQ(0, MIDIClientDispose(listening));
    EXPECT_EQ(kMIDIInvalidClient, MIDIClientDispose(listening));
}

TEST_F(CoreMidiNotifications, HeldChangesAreToldOnTheReleaseInOrder)
{
    EventThread events;
    Notifications heard;
    listener(events, heard);
    midi.holdChanges(true);
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    midi.remove(out);
    EXPECT_EQ(0, events.run([] { return OSStatus(0); })); // after whatever was posted before it
    EXPECT_TRUE(heard.all().empty());
    midi.holdChanges(false);
    ASSERT_TRUE(waitUntil([&] { return heard.all().size() == 4; }));
    EXPECT_EQ(kMIDIMsgObjectAdded, heard.all()[0].message);
    EXPECT_EQ(kMIDIMsgObjectRemoved, heard.all()[2].message);
}

TEST_F(CoreMidiNotifications, NothingReachesADisposedClient)
{
    EventThread events;
    Notifications heard;
    MIDIClientRef listening = listener(events, heard);
    Gate gate;
    events.block(gate);
    midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    EXPECT_EQ(0, MIDIClientDispose(listening));
    gate.open();
    EXPECT_EQ(0, events.run([] { return OSStatus(0); }));
    EXPECT_TRUE(heard.all().empty());
}

TEST_F(CoreMidiNotifications, DisposalWaitsForARunningNotifyProcedure)
{
    EventThread events;
    Notifications heard;
    HeldProcedure held;
    heard.during = [&] { held.run(); };
    MIDIClientRef listening = listener(events, heard);
    midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    EXPECT_TRUE(held.disposalWaits([&] { MIDIClientDispose(listening); }));
}

TEST_F(CoreMidiPorts, SendRecordsEveryPacketForItsDestination)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    MIDIEndpointRef other = midi.add(kMIDIObjectType_Destination, hardwarePort("Other", 3, 4));
    MIDIPortRef port = outputPort();
    std::vector<Packet> packets = {{7, "90 3C 40"}, {8, "F0 7E F7"}};
    ASSERT_EQ(0, MIDISend(port, out, asList(packetList(packets))));
    EXPECT_EQ(packets, sentTo(midi, out));
    EXPECT_TRUE(sentTo(midi, other).empty());
}

TEST_F(CoreMidiPorts, SendReportsWhatItCannotReach)
{
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    MIDIEndpointRef gone = midi.add(kMIDIObjectType_Destination, hardwarePort("Gone", 3, 4));
    midi.remove(gone);
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 5, 6));
    Reader reader;
    MIDIPortRef input = inputPort(reader);
    MIDIPortRef disposed = outputPort();
    MIDIPortDispose(disposed);
    auto list = packetList({{0, "C0 05"}});
    struct Case {
        MIDIPortRef port;
        MIDIEndpointRef destination;
        OSStatus expected;
    } const cases[] = {
        {outputPort(), source, kMIDIWrongEndpointType},
        {outputPort(), gone, kMIDIUnknownEndpoint},
        {input, out, kMIDIInvalidPort},
        {disposed, out, kMIDIInvalidPort},
        {0, out, kMIDIInvalidPort},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.expected, MIDISend(c.port, c.destination, asList(list)));
    EXPECT_TRUE(midi.sent().empty());
}

TEST_F(CoreMidiPorts, InjectedPacketsReachTheConnectedReadProcedure)
{
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    MIDIEndpointRef unconnected = midi.add(kMIDIObjectType_Source, hardwarePort("Other", 3, 4));
    MIDIEndpointRef destination = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 5, 6));
    Reader reader;
    MIDIPortRef port = inputPort(reader);
    int connection = 0;
    ASSERT_EQ(0, MIDIPortConnectSource(port, source, &connection));
    EXPECT_EQ(kMIDIWrongEndpointType, MIDIPortConnectSource(port, destination, nullptr));

    std::vector<Packet> packets = {{3, "90 3C 40"}, {4, "F0 01 F7"}};
    ASSERT_EQ(0, midi.inject(source, asList(packetList(packets))));
    ASSERT_EQ(0, midi.inject(unconnected, asList(packetList({{5, "C0 01"}}))));
    EXPECT_EQ(packets, reader.received());
    EXPECT_EQ(std::vector<void*>{&connection}, reader.connectionsSeen());

    ASSERT_EQ(0, MIDIPortDisconnectSource(port, source));
    EXPECT_EQ(kMIDINoConnection, MIDIPortDisconnectSource(port, source));
    midi.inject(source, asList(packetList({{6, "C0 02"}})));
    EXPECT_EQ(packets, reader.received());
}

TEST_F(CoreMidiPorts, DisposalWaitsForARunningReadProcedure)
{
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    Reader reader;
    MIDIPortRef port = inputPort(reader);
    ASSERT_EQ(0, MIDIPortConnectSource(port, source, nullptr));
    HeldProcedure held;
    reader.during = [&] { held.run(); };
    auto list = packetList({{1, "90 3C 40"}});
    std::thread receiving([&] { midi.inject(source, asList(list)); });
    EXPECT_TRUE(held.disposalWaits([&] { MIDIPortDispose(port); }));
    receiving.join();
}

TEST_F(CoreMidiPorts, AReadProcedureMayDisposeOfItsOwnPort)
{
    MIDIEndpointRef source = midi.add(kMIDIObjectType_Source, hardwarePort("In", 1, 2));
    Reader reader;
    MIDIPortRef port = inputPort(reader);
    ASSERT_EQ(0, MIDIPortConnectSource(port, source, nullptr));
    OSStatus disposed = 1;
    reader.during = [&] { disposed = MIDIPortDispose(port); };
    midi.inject(source, asList(packetList({{1, "90 3C 40"}})));
    midi.inject(source, asList(packetList({{2, "80 3C 00"}})));
    EXPECT_EQ(0, disposed);
    EXPECT_EQ(1u, reader.received().size());
}

TEST_F(CoreMidiPorts, DisposingOfAClientDisposesOfItsPorts)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    MIDIClientRef owner = client();
    CFText name("out");
    MIDIPortRef port = 0;
    ASSERT_EQ(0, MIDIOutputPortCreate(owner, name.ref, &port));
    ASSERT_EQ(0, MIDIClientDispose(owner));
    EXPECT_EQ(kMIDIInvalidPort, MIDISend(port, out, asList(packetList({{0, "C0 01"}}))));
    EXPECT_EQ(kMIDIInvalidPort, MIDIPortDispose(port));
    EXPECT_EQ(kMIDIInvalidClient, MIDIOutputPortCreate(owner, name.ref, &port));
    EXPECT_EQ(0u, port);
}

TEST_F(CoreMidiSysex, ARequestIsSentAndCompletedOnAnotherThread)
{
    MIDIEndpointRef out = midi.add(kMIDIObjectType_Destination, hardwarePort("Out", 1, 2));
    struct Completion {
        std::promise<std::thread::id> thread;
        static void proc(MIDISysexSendRequest* request)
        {
            static_cast<Completion*>(request->completionRefCon)->thread.set_value(std::this_thread::get_id());
        }
    } completion;
    auto data = bytesOf("F0 7E 7F 06 01 F7");
    MIDISysexSendRequest request{out, data.data(), UInt32(data.size()), false, {}, Completion::proc, &completion};
    ASSERT_EQ(0, MIDISendSysex(&request));
    EXPECT_NE(std::this_thread::get_id(), completion.thread.get_future().get());
    EXPECT_TRUE(request.complete);
    EXPECT_EQ(0u, request.bytesToSend);
    EXPECT_EQ((std::vector<Packet>{{0, "F0 7E 7F 06 01 F7"}}), sentTo(midi, out));
}

