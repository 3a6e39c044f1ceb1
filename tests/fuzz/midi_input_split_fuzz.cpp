// Received MIDI bytes on their way from the back-end to the listener: a packet list
// made of the input reaches an open, started CoreMIDI input through the virtual
// back-end, whose read procedure splits each packet into messages. The first byte
// switches Timing Clock (bit 0) and Active Sensing (bit 1) on; then each packet is
// a length byte (0: the rest of the input) and its bytes. Every message lies
// within its packet and carries its time stamp, the messages of a packet cover it
// in order but for the real-time bytes that are switched off, and each is exactly
// one message; splitting the packet again delivers as many.
#include "midi/coremidi/MidiMacFactory.h"
#include "midi/coremidi/TMidiInputMac.h"
#include "platform/coremidi/VirtualMidiBackend.h"

#include "FuzzSupport.h"
#include "MidiMessageShape.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Delivered {
    unsigned long long timestamp;
    unsigned char const* data;
    int length;
};

class Recorder : public Tr::TMidiDeviceDataListener {
public:
    void OnMidiDeviceMessage(Tr::TMidiInputBase*, unsigned long long timestamp, unsigned char* data,
                             int length) override
    {
        messages.push_back({timestamp, data, length});
    }

    std::vector<Delivered> messages;
};

struct Receiver {
    Receiver()
    {
        VirtualMidiPort port;
        port.name = "Fuzz In";
        source = virtualMidiBackend()->add(kMIDIObjectType_Source, port);
        Tr::MidiMacFactory* factory = Tr::MidiMacFactory::instance();
        input.reset(static_cast<Tr::TMidiInputMac*>(factory->CreateDevice(factory->getDevice(true, 0))));
        input->SetDataListener(&recorder);
        input->Open();
        input->Start();
        Fuzz::require(input->IsStarted());
    }

    MIDIEndpointRef source = 0;
    Recorder recorder;
    std::unique_ptr<Tr::TMidiInputMac> input;
};

struct Packet {
    std::uint8_t const* bytes;
    int length;
};

std::vector<Packet> packetsOf(std::uint8_t const* data, std::size_t size)
{
    std::vector<Packet> packets;
    for (std::size_t at = 0; at < size;) {
        std::size_t length = data[at++];
        if (length == 0 || length > size - at)
            length = size - at;
        packets.push_back({data + at, static_cast<int>(length)});
        at += length;
    }
    return packets;
}

bool isDropped(unsigned char byte, bool timingClock, bool activeSensing)
{
    return (byte == 0xF8 && !timingClock) || (byte == 0xFE && !activeSensing);
}

// The messages of one packet, from first on; the index after them.
std::size_t checkPacket(MIDIPacket const* packet, std::vector<Delivered> const& messages, std::size_t first,
                        bool timingClock, bool activeSensing)
{
    unsigned char const* bytes = packet->data;
    int const length = packet->length;
    int at = 0;
    std::size_t i = first;
    for (; i < messages.size() && messages[i].timestamp == packet->timeStamp; ++i) {
        Delivered const& message = messages[i];
        Fuzz::require(message.data >= bytes + at && message.data < bytes + length);
        for (; bytes + at < message.data; ++at)
            Fuzz::require(isDropped(bytes[at], timingClock, activeSensing));
        Fuzz::require(!isDropped(message.data[0], timingClock, activeSensing));
        Fuzz::require(Fuzz::isOneMessage(message.data, message.length, length - at));
        at += message.length;
    }
    for (; at < length; ++at)
        Fuzz::require(isDropped(bytes[at], timingClock, activeSensing));
    return i;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("DRAVIK_MIDI_BACKEND", "virtual", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    static Receiver receiver;
    if (size < 1)
        return 0;
    bool const timingClock = data[0] & 1;
    bool const activeSensing = data[0] & 2;
    receiver.input->SetTimingClock(timingClock);
    receiver.input->SetActiveSensing(activeSensing);

    std::vector<Packet> const packets = packetsOf(data + 1, size - 1);
    std::size_t listSize = sizeof(UInt32);
    for (Packet const& packet : packets)
        listSize += sizeof(MIDITimeStamp) + sizeof(UInt16) + std::size_t(packet.length);
    std::vector<Byte> buffer(listSize);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());
    MIDIPacket* current = MIDIPacketListInit(list);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        current = MIDIPacketListAdd(list, listSize, current, i + 1, ByteCount(packets[i].length), packets[i].bytes);
        Fuzz::require(current != nullptr);
    }

    std::vector<Delivered>& messages = receiver.recorder.messages;
    messages.clear();
    Fuzz::require(virtualMidiBackend()->inject(receiver.source, list) == 0);
    std::size_t next = 0;
    MIDIPacket const* packet = list->packet;
    for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet)) {
        std::size_t end = checkPacket(packet, messages, next, timingClock, activeSensing);
        Byte const* bytes = packet->data;
        std::vector<Byte> copy(bytes, bytes + packet->length);
        std::size_t before = messages.size();
        int count = receiver.input->SplitAndDispatchMidiMessage(0, copy.data(), int(copy.size()));
        Fuzz::require(count == int(end - next) && messages.size() - before == end - next);
        next = end;
    }
    Fuzz::require(next == messages.size() - next);
    return 0;
}
