// The ALSA back-end against the kernel's own sequencer. Runs as the only job of a
// guest kernel (tests/alsa-guest/run) that has "Midi Through" (snd-seq-dummy) and
// four virtual raw MIDI ports (snd-virmidi, card 0). Everything goes through the
// CoreMIDI functions; only a second sequencer client of the test, whose ports come
// and go, and the raw MIDI devices are reached directly.

#include "platform/coremidi/MIDIServices.h"

#include "tests/foundation/WaitUntil.h"
#include "tests/support/CoreMidiCallbacks.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

using namespace miditest;
using TrTest::waitUntil;

namespace {

// Printed when every test passed; the run script looks for this line alone.
char const passed[] = "DRAVIK ALSA GUEST TEST PASSED";

// Generous: the guest runs under emulation on a machine that may be busy.
int const patience = 20000;

unsigned const duplexCaps = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ | SND_SEQ_PORT_CAP_WRITE |
                            SND_SEQ_PORT_CAP_SUBS_WRITE;

std::vector<MIDIEndpointRef> listed(MIDIObjectType type)
{
    std::vector<MIDIEndpointRef> endpoints;
    ItemCount count = type == kMIDIObjectType_Source ? MIDIGetNumberOfSources() : MIDIGetNumberOfDestinations();
    for (ItemCount i = 0; i < count; ++i)
        endpoints.push_back(type == kMIDIObjectType_Source ? MIDIGetSource(i) : MIDIGetDestination(i));
    return endpoints;
}

MIDIEndpointRef find(MIDIObjectType type, std::string const& name)
{
    for (MIDIEndpointRef endpoint : listed(type))
        if (stringProperty(endpoint, kMIDIPropertyName) == name)
            return endpoint;
    return 0;
}

// 690 bytes, as the settings image: F0, data, F7.
std::vector<Byte> longMessage(size_t length = 690)
{
    std::vector<Byte> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = Byte((i * 7 + 3) & 0x7F);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// A list with the one packet, in a buffer of its own.
std::vector<Byte> listOf(std::vector<Byte> const& bytes)
{
    std::vector<Byte> buffer(bytes.size() + 64);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());
    MIDIPacketListAdd(list, buffer.size(), MIDIPacketListInit(list), 0, bytes.size(), bytes.data());
    return buffer;
}

size_t threadCount()
{
    size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

// A second sequencer client of the test, which makes and deletes ports of its own.
class OtherClient {
public:
    OtherClient()
    {
        EXPECT_EQ(0, snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, 0));
        snd_seq_set_client_name(seq, "Guest Helper");
    }

    ~OtherClient() { close(); }

    int createPort(char const* name, unsigned caps = duplexCaps)
    {
        int port = snd_seq_create_simple_port(seq, name, caps, SND_SEQ_PORT_TYPE_MIDI_GENERIC);
        EXPECT_GE(port, 0);
        return port;
    }

    void deletePort(int port) { EXPECT_EQ(0, snd_seq_delete_simple_port(seq, port)); }

    void close()
    {
        if (seq)
            snd_seq_close(seq);
        seq = nullptr;
    }

private:
    snd_seq_t* seq = nullptr;
};

// A virtual raw MIDI device. A read or poll must start it before it passes on what
// the sequencer sends to its port, so it is polled once when opened.
class RawMidi {
public:
    explicit RawMidi(int device) : fd(::open(("/dev/snd/midiC0D" + std::to_string(device)).c_str(), O_RDWR | O_NONBLOCK))
    {
        EXPECT_GE(fd, 0);
        pollfd started{fd, POLLIN, 0};
        ::poll(&started, 1, 0);
    }

    ~RawMidi() { ::close(fd); }

    // What arrives until count bytes are in or the deadline passes.
    std::vector<Byte> read(size_t count)
    {
        std::vector<Byte> bytes;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patience);
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            Byte buffer[1024];
            ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }

    void write(std::vector<Byte> const& bytes) { EXPECT_EQ(ssize_t(bytes.size()), ::write(fd, bytes.data(), bytes.size())); }

private:
    int const fd;
};

class AlsaGuest : public ::testing::Test, protected MidiClients {
protected:
    MIDIPortRef inputPort(Reader& reader, MIDIEndpointRef source)
    {
        MIDIPortRef port = MidiClients::inputPort(reader);
        EXPECT_EQ(0, MIDIPortConnectSource(port, source, nullptr));
        return port;
    }

    std::vector<std::string> hexReceived(Reader& reader)
    {
        std::vector<std::string> hex;
        for (auto const& packet : reader.received())
            hex.push_back(packet.hex);
        return hex;
    }

    MIDIEndpointRef const throughIn = find(kMIDIObjectType_Source, "Midi Through Port-0");
    MIDIEndpointRef const throughOut = find(kMIDIObjectType_Destination, "Midi Through Port-0");
};

using AlsaGuestEndpoints = AlsaGuest;
using AlsaGuestNotifications = AlsaGuest;
using AlsaGuestTransfer = AlsaGuest;
using AlsaGuestThreads = AlsaGuest;

} // namespace

TEST_F(AlsaGuestEndpoints, KernelPortsAreListedWithNamesModelsAndIdsOursAreNot)
{
    Reader reader;
    inputPort(reader, throughIn);
    outputPort();
    std::vector<std::pair<std::string, std::string>> const expected = {
        {"Midi Through Port-0", "Midi Through"},  {"VirMIDI 0-0", "Virtual Raw MIDI 0-0"},
        {"VirMIDI 0-1", "Virtual Raw MIDI 0-1"}, {"VirMIDI 0-2", "Virtual Raw MIDI 0-2"},
        {"VirMIDI 0-3", "Virtual Raw MIDI 0-3"}};
    std::set<SInt32> ids;
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination}) {
        auto endpoints = listed(type);
        EXPECT_EQ(endpoints, listed(type));
        std::vector<std::pair<std::string, std::string>> names;
        for (MIDIEndpointRef endpoint : endpoints) {
            names.emplace_back(stringProperty(endpoint, kMIDIPropertyName), stringProperty(endpoint, kMIDIPropertyModel));
            MIDIEntityRef entity = 0;
            MIDIDeviceRef device = 0;
            ASSERT_EQ(0, MIDIEndpointGetEntity(endpoint, &entity));
            ASSERT_EQ(0, MIDIEntityGetDevice(entity, &device));
            for (SInt32 id : {uniqueId(endpoint), uniqueId(entity), uniqueId(device)})
                EXPECT_TRUE(id != 0 && id != -1);
            ids.insert(uniqueId(endpoint));
        }
        EXPECT_EQ(expected, names);
    }
    EXPECT_EQ(2 * expected.size(), ids.size()) << "every endpoint has an id of its own";

    MIDIEntityRef throughEntity = 0, throughOutEntity = 0, virtualEntity = 0;
    MIDIDeviceRef throughDevice = 0, virtualDevice = 0;
    MIDIEndpointGetEntity(throughIn, &throughEntity);
    MIDIEndpointGetEntity(throughOut, &throughOutEntity);
    MIDIEndpointGetEntity(find(kMIDIObjectType_Source, "VirMIDI 0-0"), &virtualEntity);
    MIDIEntityGetDevice(throughEntity, &throughDevice);
    MIDIEntityGetDevice(virtualEntity, &virtualDevice);
    EXPECT_EQ(throughEntity, throughOutEntity) << "one port is one entity";
    EXPECT_NE(throughDevice, virtualDevice) << "each client is a device";
}

TEST_F(AlsaGuestNotifications, PortsOfAnotherClientComeAndGoOursAreNotHeard)
{
    EventThread events;
    Notifications heard;
    listener(events, heard);
    Reader reader;
    inputPort(reader, throughIn);
    outputPort();

    OtherClient other;
    int port = other.createPort("Helper Port");
    ASSERT_TRUE(waitUntil([&] { return heard.all().size() >= 4; }, patience));
    MIDIEndpointRef source = find(kMIDIObjectType_Source, "Helper Port");
    MIDIEndpointRef destination = find(kMIDIObjectType_Destination, "Helper Port");
    ASSERT_NE(0u, source);
    MIDIEntityRef entity = 99;
    EXPECT_EQ(kMIDIObjectNotFound, MIDIEndpointGetEntity(source, &entity)) << "a user client has no device";
    SInt32 id = uniqueId(source);

    other.deletePort(port);
    ASSERT_TRUE(waitUntil([&] { return heard.all().size() >= 7; }, patience));
    EXPECT_EQ(0u, find(kMIDIObjectType_Source, "Helper Port"));
    EXPECT_EQ("", stringProperty(source, kMIDIPropertyName, kMIDIObjectNotFound));

    other.createPort("Helper Port");
    ASSERT_TRUE(waitUntil([&] { return heard.all().size() >= 10; }, patience));
    MIDIEndpointRef again = find(kMIDIObjectType_Source, "Helper Port");
    MIDIEndpointRef againOut = find(kMIDIObjectType_Destination, "Helper Port");
    EXPECT_NE(source, again) << "a reference names one life of a port";
    EXPECT_EQ(id, uniqueId(again)) << "the id stays across a replug";

    other.close();
    ASSERT_TRUE(waitUntil([&] { return heard.all().size() >= 14; }, patience));
    auto const setup = Heard{kMIDIMsgSetupChanged, 0, kMIDIObjectType_Other, events.id};
    auto const change = [&](MIDINotificationMessageID message, MIDIEndpointRef child, MIDIObjectType type) {
        return Heard{message, child, type, events.id};
    };
    std::vector<Heard> const expected = {
        setup, // the other client came
        change(kMIDIMsgObjectAdded, source, kMIDIObjectType_Source),
        change(kMIDIMsgObjectAdded, destination, kMIDIObjectType_Destination),
        setup,
        change(kMIDIMsgObjectRemoved, source, kMIDIObjectType_Source),
        change(kMIDIMsgObjectRemoved, destination, kMIDIObjectType_Destination),
        setup,
        change(kMIDIMsgObjectAdded, again, kMIDIObjectType_Source),
        change(kMIDIMsgObjectAdded, againOut, kMIDIObjectType_Destination),
        setup,
        change(kMIDIMsgObjectRemoved, again, kMIDIObjectType_Source),
        change(kMIDIMsgObjectRemoved, againOut, kMIDIObjectType_Destination),
        setup,
        setup, // the other client went
    };
    EXPECT_EQ(expected, heard.all());
}

TEST_F(AlsaGuestTransfer, ALongMessageReachesARawMidiDeviceAsSent)
{
    RawMidi device(1);
    auto message = longMessage();
    ASSERT_EQ(0, MIDISend(outputPort(), find(kMIDIObjectType_Destination, "VirMIDI 0-1"), asList(listOf(message))));
    EXPECT_EQ(hexOf(message), hexOf(device.read(message.size())));
}

TEST_F(AlsaGuestTransfer, ALongMessageFromARawMidiDeviceReachesTheReadProcedureWhole)
{
    RawMidi device(2);
    Reader reader;
    inputPort(reader, find(kMIDIObjectType_Source, "VirMIDI 0-2"));
    auto message = longMessage();
    device.write(message);
    ASSERT_TRUE(waitUntil([&] { return !reader.received().empty(); }, patience));
    // The device hands the message on in chunks of 256 bytes; they arrive as one packet.
    EXPECT_EQ(std::vector<std::string>{hexOf(message)}, hexReceived(reader));
}

TEST_F(AlsaGuestTransfer, MessagesMakeTheRoundTripThroughMidiThrough)
{
    Reader reader;
    inputPort(reader, throughIn);
    MIDIPortRef out = outputPort();
    struct Case {
        std::string sent;
        std::vector<std::string> received;
    } const cases[] = {
        {"90 3C 40", {"90 3C 40"}},
        {"90 3C 40 3E 00", {"90 3C 40", "90 3E 00"}}, // no running status
        {"80 3C 40 B0 07 64 C0 05", {"80 3C 40", "B0 07 64", "C0 05"}},
        {"A0 3C 10 D0 10 E0 00 40", {"A0 3C 10", "D0 10", "E0 00 40"}},
        {"F1 20 F2 10 20 F3 05 F6", {"F1 20", "F2 10 20", "F3 05", "F6"}},
        {"F8 FA FC FE", {"F8", "FA", "FC", "FE"}},
        {"F0 7E 7F 06 01 F7 C0 01", {"F0 7E 7F 06 01 F7", "C0 01"}},
        {hexOf(longMessage()), {hexOf(longMessage())}},
    };
    std::vector<std::string> expected;
    for (auto const& c : cases) {
        ASSERT_EQ(0, MIDISend(out, throughOut, asList(listOf(bytesOf(c.sent))))) << c.sent;
        expected.insert(expected.end(), c.received.begin(), c.received.end());
    }
    ASSERT_TRUE(waitUntil([&] { return reader.received().size() >= expected.size(); }, patience));
    EXPECT_EQ(expected, hexReceived(reader));
}

TEST_F(AlsaGuestTransfer, AMessageTheKernelCannotTakeIsAnErrorNotALoss)
{
    Reader reader;
    inputPort(reader, throughIn);
    MIDIPortRef out = outputPort();
    // Longer than the input pool of the receiving client holds.
    EXPECT_EQ(kMIDIMessageSendErr, MIDISend(out, throughOut, asList(listOf(longMessage(65535)))));
    // Having refused it, the kernel also empties the receiver's queue when it next
    // reads: what follows gets through once that read has happened.
    for (int attempt = 0; attempt < 100 && reader.received().empty(); ++attempt) {
        ASSERT_EQ(0, MIDISend(out, throughOut, asList(listOf(bytesOf("C0 07")))));
        waitUntil([&] { return !reader.received().empty(); }, 200);
    }
    auto received = hexReceived(reader);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(std::vector<std::string>(received.size(), "C0 07"), received) << "nothing of the refused message";
}

TEST_F(AlsaGuestTransfer, SendingToAPortThatHasGoneOrToASourceFails)
{
    MIDIPortRef out = outputPort();
    OtherClient other;
    for (bool listedAfterwards : {false, true}) {
        int port = other.createPort("Gone Port");
        MIDIEndpointRef gone = find(kMIDIObjectType_Destination, "Gone Port");
        ASSERT_NE(0u, gone);
        other.deletePort(port);
        if (listedAfterwards) {
            EXPECT_EQ(0u, find(kMIDIObjectType_Destination, "Gone Port"));
        }
        EXPECT_EQ(kMIDIUnknownEndpoint, MIDISend(out, gone, asList(listOf(bytesOf("90 3C 40")))));
    }
    other.createPort("Read Only", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ);
    MIDIEndpointRef source = find(kMIDIObjectType_Source, "Read Only");
    EXPECT_EQ(0u, find(kMIDIObjectType_Destination, "Read Only"));
    EXPECT_EQ(kMIDIWrongEndpointType, MIDISend(out, source, asList(listOf(bytesOf("90 3C 40")))));
}

TEST_F(AlsaGuestThreads, DisposalWaitsForARunningReadProcedureWhichThenRunsNoMore)
{
    Reader first;
    HeldProcedure held;
    first.during = [&] { held.run(); };
    MIDIPortRef port = inputPort(first, throughIn);
    MIDIPortRef out = outputPort();
    ASSERT_EQ(0, MIDISend(out, throughOut, asList(listOf(bytesOf("90 3C 40")))));
    EXPECT_TRUE(held.disposalWaits([&] { MIDIPortDispose(port); }));

    // What reaches a later port would have reached the disposed one by then too.
    Reader second;
    inputPort(second, throughIn);
    ASSERT_EQ(0, MIDISend(out, throughOut, asList(listOf(bytesOf("80 3C 00")))));
    ASSERT_TRUE(waitUntil([&] { return !second.received().empty(); }, patience));
    EXPECT_EQ(1u, first.received().size());
}

TEST_F(AlsaGuestThreads, DisposingOfAClientEndsItsThread)
{
    EventThread events;
    size_t const before = threadCount();
    Notifications heard;
    MIDIClientRef listening = listener(events, heard);
    Reader reader;
    inputPort(reader, throughIn);
    EXPECT_EQ(before + 2, threadCount());
    // A joined thread leaves the task list a moment after the join returns.
    ASSERT_EQ(0, MIDIClientDispose(listening));
    EXPECT_TRUE(waitUntil([&] { return threadCount() == before + 1; }, patience));
    for (MIDIClientRef client : clients)
        MIDIClientDispose(client);
    clients.clear();
    EXPECT_TRUE(waitUntil([&] { return threadCount() == before; }, patience));
}

int main(int argc, char** argv)
{
    setenv("DRAVIK_MIDI_BACKEND", "alsa", 1);
    ::testing::InitGoogleTest(&argc, argv);
    int failed = RUN_ALL_TESTS();
    if (!failed)
        std::printf("%s\n", passed);
    std::fflush(stdout);
    return failed;
}
