#include "platform/coremidi/AlsaMidiCodec.h"

#include <algorithm>
#include <memory>

namespace {

bool isRealTime(Byte byte)
{
    return byte >= 0xF8;
}

// Where the System Exclusive message that starts at data[start] ends (one past it).
size_t sysexEnd(Byte const* data, size_t length, size_t start)
{
    for (size_t at = start + 1; at < length; ++at) {
        if (data[at] == 0xF7)
            return at + 1;
        if (data[at] >= 0x80 && !isRealTime(data[at]))
            return at;
    }
    return length;
}

struct EncoderDeleter {
    void operator()(snd_midi_event_t* encoder) const { snd_midi_event_free(encoder); }
};

} // namespace

std::vector<snd_seq_event_t> alsaEventsOf(Byte const* data, size_t length)
{
    std::vector<snd_seq_event_t> events;
    snd_midi_event_t* made = nullptr;
    if (snd_midi_event_new(16, &made) < 0)
        return events;
    std::unique_ptr<snd_midi_event_t, EncoderDeleter> encoder(made);
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    for (size_t at = 0; at < length;) {
        if (data[at] == 0xF0) {
            size_t end = sysexEnd(data, length, at);
            snd_seq_event_t sysex;
            snd_seq_ev_clear(&sysex);
            snd_seq_ev_set_sysex(&sysex, unsigned(end - at), const_cast<Byte*>(data + at));
            events.push_back(sysex);
            // A System Exclusive message ends any running status.
            snd_midi_event_reset_encode(encoder.get());
            at = end;
            continue;
        }
        if (snd_midi_event_encode_byte(encoder.get(), data[at++], &event) == 1) {
            events.push_back(event);
            snd_seq_ev_clear(&event);
        }
    }
    return events;
}

AlsaMidiDecoder::AlsaMidiDecoder()
{
    if (snd_midi_event_new(16, &parser) < 0)
        parser = nullptr;
    else
        snd_midi_event_no_status(parser, 1);
}

AlsaMidiDecoder::~AlsaMidiDecoder()
{
    if (parser)
        snd_midi_event_free(parser);
}

std::vector<std::vector<Byte>> AlsaMidiDecoder::decode(snd_seq_event_t const& event)
{
    std::vector<std::vector<Byte>> messages;
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        gather(static_cast<Byte const*>(event.data.ext.ptr), event.data.ext.len, messages);
        return messages;
    }
    // Long enough for the longest a single event decodes to (a 14-bit parameter
    // number with its value: four control changes).
    Byte bytes[16];
    long length = parser ? snd_midi_event_decode(parser, bytes, sizeof bytes, &event) : -1;
    if (length <= 0)
        return messages;
    if (!isRealTime(bytes[0]) && !sysex.empty()) {
        messages.push_back(std::move(sysex));
        sysex.clear();
    }
    messages.emplace_back(bytes, bytes + length);
    return messages;
}

void AlsaMidiDecoder::gather(Byte const* data, size_t length, std::vector<std::vector<Byte>>& messages)
{
    if (length > 0 && data[0] == 0xF0 && !sysex.empty()) {
        messages.push_back(std::move(sysex));
        sysex.clear();
    }
    for (size_t at = 0; at < length;) {
        size_t take = std::min(length - at, maxMessage - sysex.size());
        sysex.insert(sysex.end(), data + at, data + at + take);
        at += take;
        if (sysex.size() == maxMessage || (at == length && sysex.back() == 0xF7)) {
            messages.push_back(std::move(sysex));
            sysex.clear();
        }
    }
}
