// Bytes to send, cut into packet lists as an output does: list after list is
// filled from the bytes until all are in or the next message does not fit an empty
// list. The first byte sets the list's size (0: the output's own, the bytes' length
// and 272; else room for that many four-byte words of packets), the second the
// time a byte takes; the rest are the bytes. No list is written past its size,
// each packet is one message, the packets hold the bytes in order, and each is
// stamped with the start plus the time of the bytes before it.
#include "midi/ShortMidiMessage.h"
#include "midi/coremidi/TMidiOutputMac.h"

#include "FuzzSupport.h"
#include "MidiMessageShape.h"

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kListHeader = sizeof(UInt32);
constexpr std::size_t kPacketHeader = sizeof(MIDITimeStamp) + sizeof(UInt16);
constexpr MIDITimeStamp kStart = 1000000007;

// The packets of one list, checked against the bytes from offset on; the offset
// after them.
std::size_t checkList(std::vector<Byte> const& buffer, std::uint8_t const* data, std::size_t size,
                      std::size_t offset, MIDITimeStamp perByte)
{
    auto list = reinterpret_cast<MIDIPacketList const*>(buffer.data());
    Fuzz::require(list->numPackets > 0);
    MIDIPacket const* packet = list->packet;
    for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet)) {
        auto at = std::size_t(reinterpret_cast<Byte const*>(packet) - buffer.data());
        Fuzz::require(at + kPacketHeader + packet->length <= buffer.size());
        Fuzz::require(packet->length <= size - offset);
        Fuzz::require(std::memcmp(packet->data, data + offset, packet->length) == 0);
        Fuzz::require(Fuzz::isOneMessage(data + offset, packet->length, int(size - offset)));
        Fuzz::require(packet->timeStamp == kStart + perByte * offset);
        offset += packet->length;
    }
    return offset;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size < 2)
        return 0;
    std::size_t const room = data[0];
    MIDITimeStamp const perByte = data[1];
    data += 2;
    size -= 2;
    std::size_t const listSize = room == 0 ? size + 272 : kListHeader + kPacketHeader + 4 * room;
    // Exactly the list's size, so that a write past it is caught.
    std::vector<Byte> buffer(listSize);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());

    auto cursor = const_cast<unsigned char*>(data);
    int remaining = int(size);
    std::size_t offset = 0;
    while (Tr::SplitMessageIntoMIDIPacketList(list, listSize, cursor, remaining,
                                              kStart + perByte * MIDITimeStamp(cursor - data), perByte)) {
        offset = checkList(buffer, data, size, offset, perByte);
        Fuzz::require(offset == std::size_t(cursor - data) && offset + std::size_t(remaining) == size);
        if (remaining == 0)
            break;
    }
    Fuzz::require(offset == std::size_t(cursor - data));
    if (remaining > 0) {
        std::size_t next = std::size_t(Tr::MidiMessageLength(cursor, remaining));
        Fuzz::require(room != 0 && kListHeader + kPacketHeader + next > listSize);
    }
    return 0;
}
