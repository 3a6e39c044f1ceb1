// The ALSA sequencer's events, as a peer may send them, turned into MIDI messages;
// and bytes to send turned into events and back. The first byte's bit 0 picks:
//   0: events from a peer, each a type byte and the bytes after it: for a System
//      Exclusive event a length byte and that many bytes, for any other type six
//      bytes for its channel, note or parameter and value fields;
//   1: the rest are bytes to send.
// Every message has a status byte and at most the longest length; the decoded
// message of an event ends its call's messages, and the System Exclusive bytes
// come out whole and in order, as far as an open one is ended at last.
#include "platform/coremidi/AlsaMidiCodec.h"

#include "FuzzSupport.h"

#include <algorithm>
#include <vector>

namespace {

using Messages = std::vector<std::vector<Byte>>;

void checkMessage(std::vector<Byte> const& message)
{
    Fuzz::require(!message.empty() && message.size() <= AlsaMidiDecoder::maxMessage);
}

// A decoded message, not one gathered from System Exclusive events: a status byte
// and what one event decodes to.
void checkDecoded(std::vector<Byte> const& message)
{
    Fuzz::require(!message.empty() && message.size() <= 16 && message[0] >= 0x80);
}

snd_seq_event_t peerEvent(std::uint8_t const*& data, std::uint8_t const* end, std::vector<Byte>& sysexBytes)
{
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    auto type = static_cast<snd_seq_event_type_t>(*data++);
    if (type == SND_SEQ_EVENT_SYSEX) {
        std::size_t length = data < end ? *data++ : 0;
        length = std::min<std::size_t>(length, std::size_t(end - data));
        snd_seq_ev_set_sysex(&event, unsigned(length), const_cast<std::uint8_t*>(data));
        sysexBytes.insert(sysexBytes.end(), data, data + length);
        data += length;
        return event;
    }
    std::uint8_t fields[6] = {};
    for (std::uint8_t& field : fields)
        field = data < end ? *data++ : 0;
    event.type = type;
    event.data.control.channel = fields[0];
    event.data.note.note = fields[1];
    event.data.note.velocity = fields[2];
    event.data.control.param = fields[3] | unsigned(fields[4]) << 8;
    event.data.control.value = static_cast<signed char>(fields[5]) * 129;
    return event;
}

// Appends the messages of one event: those gathered from System Exclusive events
// to gathered, each decoded one is checked.
void take(AlsaMidiDecoder& decoder, snd_seq_event_t const& event, std::vector<Byte>& gathered)
{
    Messages messages = decoder.decode(event);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        checkMessage(messages[i]);
        bool decoded = event.type != SND_SEQ_EVENT_SYSEX && i + 1 == messages.size();
        if (decoded)
            checkDecoded(messages[i]);
        else
            gathered.insert(gathered.end(), messages[i].begin(), messages[i].end());
    }
}

void fromPeer(std::uint8_t const* data, std::uint8_t const* end)
{
    AlsaMidiDecoder decoder;
    std::vector<Byte> sent;
    std::vector<Byte> gathered;
    while (data < end)
        take(decoder, peerEvent(data, end, sent), gathered);
    snd_seq_event_t last;
    snd_seq_ev_clear(&last);
    snd_seq_ev_set_noteon(&last, 0, 60, 64);
    take(decoder, last, gathered);
    Fuzz::require(gathered == sent);
}

void roundTrip(std::uint8_t const* data, std::size_t size)
{
    AlsaMidiDecoder decoder;
    std::vector<Byte> gathered;
    for (snd_seq_event_t const& event : alsaEventsOf(data, size)) {
        Fuzz::require(event.type != SND_SEQ_EVENT_SYSEX
                      || (event.data.ext.len > 0 && static_cast<Byte const*>(event.data.ext.ptr)[0] == 0xF0));
        take(decoder, event, gathered);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size < 1)
        return 0;
    if (data[0] & 1)
        roundTrip(data + 1, size - 1);
    else
        fromPeer(data + 1, data + size);
    return 0;
}
