#include "platform/coremidi/MIDIServices.h"

#include <cstring>

namespace {

// A packet is its time stamp, its length and then its data bytes, unpadded.
constexpr size_t kPacketHeader = sizeof(MIDITimeStamp) + sizeof(UInt16);

} // namespace

MIDIPacket* MIDIPacketListInit(MIDIPacketList* list)
{
    list->numPackets = 0;
    return list->packet;
}

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* list, ByteCount listSize, MIDIPacket* current, MIDITimeStamp time,
                              ByteCount nData, Byte const* data)
{
    if (!list || !current)
        return nullptr;
    auto start = reinterpret_cast<Byte*>(list);
    auto first = reinterpret_cast<Byte*>(list->packet);
    auto at = first;
    if (list->numPackets != 0) {
        auto previous = reinterpret_cast<Byte*>(current);
        if (previous < first || size_t(previous - start) + kPacketHeader > listSize)
            return nullptr;
        at = reinterpret_cast<Byte*>(MIDIPacketNext(current));
    }
    if (nData > 0xFFFF || size_t(at - start) + kPacketHeader + nData > listSize)
        return nullptr;
    auto packet = reinterpret_cast<MIDIPacket*>(at);
    packet->timeStamp = time;
    packet->length = UInt16(nData);
    if (nData > 0)
        std::memcpy(at + kPacketHeader, data, nData);
    ++list->numPackets;
    return packet;
}

MIDIPacket* MIDIPacketNext(MIDIPacket const* packet)
{
    return reinterpret_cast<MIDIPacket*>(const_cast<Byte*>(packet->data) + packet->length);
}
