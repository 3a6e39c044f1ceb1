#pragma once
// The virtual MIDI back-end as the tests use it, and packet lists written and read
// back in hexadecimal.

#include "platform/coremidi/VirtualMidiBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <sstream>
#include <string>
#include <vector>

namespace miditest {

// The process's virtual back-end, emptied. The first call chooses it for the
// process, so a test program calls it before any other MIDI call.
inline VirtualMidiBackend& freshVirtualMidi()
{
    setenv("DRAVIK_MIDI_BACKEND", "virtual", 0);
    VirtualMidiBackend* backend = virtualMidiBackend();
    if (!backend) {
        ADD_FAILURE() << "the MIDI back-end of this test program is not the virtual one";
        std::abort();
    }
    backend->reset();
    return *backend;
}

// A callback waits at the gate until it is opened; opening it again does nothing.
struct Gate {
    void open()
    {
        if (!isOpen.exchange(true))
            opened.set_value();
    }

    void waitOpen() const { waited.wait(); }

    std::atomic<bool> isOpen{false};
    std::promise<void> opened;
    std::shared_future<void> waited = opened.get_future().share();
};

// "90 3C 40" as bytes, and back.
inline std::vector<Byte> bytesOf(std::string const& hex)
{
    std::istringstream in(hex);
    std::vector<Byte> bytes;
    for (unsigned int byte; in >> std::hex >> byte;)
        bytes.push_back(Byte(byte));
    return bytes;
}

inline std::string hexOf(std::vector<Byte> const& bytes)
{
    static char const digits[] = "0123456789ABCDEF";
    std::string text;
    for (Byte byte : bytes) {
        text += text.empty() ? "" : " ";
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

struct Packet {
    MIDITimeStamp time;
    std::string hex;

    bool operator==(Packet const& other) const { return time == other.time && hex == other.hex; }
};

inline std::ostream& operator<<(std::ostream& out, Packet const& packet)
{
    return out << "{" << packet.time << ", \"" << packet.hex << "\"}";
}

// A packet list of these packets, in a buffer of its own.
inline std::vector<Byte> packetList(std::vector<Packet> const& packets)
{
    std::vector<std::vector<Byte>> data;
    size_t size = sizeof(UInt32);
    for (auto const& packet : packets) {
        data.push_back(bytesOf(packet.hex));
        size += sizeof(MIDITimeStamp) + sizeof(UInt16) + data.back().size();
    }
    std::vector<Byte> buffer(size);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());
    MIDIPacket* current = MIDIPacketListInit(list);
    for (size_t i = 0; i < packets.size(); ++i)
        current = MIDIPacketListAdd(list, size, current, packets[i].time, data[i].size(), data[i].data());
    return buffer;
}

inline MIDIPacketList const* asList(std::vector<Byte> const& buffer)
{
    return reinterpret_cast<MIDIPacketList const*>(buffer.data());
}

inline std::vector<Packet> packetsOf(MIDIPacketList const* list)
{
    std::vector<Packet> packets;
    MIDIPacket const* packet = list->packet;
    for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
        packets.push_back({packet->timeStamp, hexOf({packet->data, packet->data + packet->length})});
    return packets;
}

// The packets sent to the destination since the back-end was emptied.
inline std::vector<Packet> sentTo(VirtualMidiBackend& midi, MIDIEndpointRef destination)
{
    std::vector<Packet> packets;
    for (auto const& sent : midi.sent())
        if (sent.destination == destination)
            packets.push_back({sent.timeStamp, hexOf(sent.bytes)});
    return packets;
}

// A port with an entity and a device, as most hardware has.
inline VirtualMidiPort hardwarePort(std::string const& name, SInt32 entityId, SInt32 deviceId,
                                    std::string const& model = "")
{
    VirtualMidiPort port;
    port.name = name;
    port.model = model;
    port.uniqueId = entityId + 1;
    port.entityId = entityId;
    port.deviceId = deviceId;
    return port;
}

} // namespace miditest
