#include "platform/coremidi/AlsaMidiCodec.h"

#include "tests/support/VirtualMidi.h"

#include <gtest/gtest.h>

using namespace miditest;

namespace {

std::vector<std::string> hexOfAll(std::vector<std::vector<Byte>> const& messages)
{
    std::vector<std::string> hex;
    for (auto const& message : messages)
        hex.push_back(hexOf(message));
    return hex;
}

// The messages the decoder gives for the events, in order.
std::vector<std::string> decoded(AlsaMidiDecoder& decoder, std::vector<snd_seq_event_t> const& events)
{
    std::vector<std::string> hex;
    for (auto const& event : events)
        for (auto const& message : hexOfAll(decoder.decode(event)))
            hex.push_back(message);
    return hex;
}

snd_seq_event_t sysexEvent(std::vector<Byte>& bytes)
{
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_sysex(&event, unsigned(bytes.size()), bytes.data());
    return event;
}

snd_seq_event_t eventOfType(snd_seq_event_type_t type)
{
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    event.type = type;
    return event;
}

snd_seq_event_t noteOn(int note)
{
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_noteon(&event, 0, note, 64);
    return event;
}

// A System Exclusive message of this length, cut into chunks of at most chunk bytes.
std::vector<std::vector<Byte>> sysexChunks(size_t length, size_t chunk, std::vector<Byte>& whole)
{
    whole.assign(length, 0x11);
    whole.front() = 0xF0;
    whole.back() = 0xF7;
    std::vector<std::vector<Byte>> chunks;
    for (size_t at = 0; at < length; at += chunk)
        chunks.emplace_back(whole.begin() + at, whole.begin() + std::min(length, at + chunk));
    return chunks;
}

} // namespace

TEST(AlsaMidiCodec, PacketsMakeTheRoundTripWithAStatusByteOnEveryMessage)
{
    struct Case {
        char const* sent;
        std::vector<std::string> received;
    } const cases[] = {
        {"90 3C 40", {"90 3C 40"}},
        {"90 3C 40 3E 00", {"90 3C 40", "90 3E 00"}},
        {"C0 05 F0 01 02 F7 F8 E0 00 40", {"C0 05", "F0 01 02 F7", "F8", "E0 00 40"}},
        {"F0 01 F8 02 F7", {"F0 01 F8 02 F7"}},
        // A System Exclusive message without its end is ended by the next status byte.
        {"F0 01 02 90 3C 40", {"F0 01 02", "90 3C 40"}},
        {"3C 40", {}},
    };
    for (auto const& c : cases) {
        AlsaMidiDecoder decoder;
        auto bytes = bytesOf(c.sent);
        EXPECT_EQ(c.received, decoded(decoder, alsaEventsOf(bytes.data(), bytes.size()))) << c.sent;
    }
}

TEST(AlsaMidiCodec, ASystemExclusiveMessageIsOneEventOverTheBytesThemselves)
{
    std::vector<Byte> message;
    sysexChunks(690, 690, message);
    auto events = alsaEventsOf(message.data(), message.size());
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(SND_SEQ_EVENT_SYSEX, events[0].type);
    EXPECT_EQ(690u, events[0].data.ext.len);
    EXPECT_EQ(message.data(), events[0].data.ext.ptr);
    EXPECT_TRUE(snd_seq_ev_is_variable(&events[0]));
}

TEST(AlsaMidiCodec, ChunksOfASystemExclusiveMessageAreGatheredIntoOne)
{
    std::vector<Byte> whole;
    auto chunks = sysexChunks(690, 256, whole);
    std::vector<Byte> next = {0xF0, 0x22, 0xF7};
    struct Case {
        char const* what;
        size_t before; // the other event comes before this chunk
        snd_seq_event_t other;
        std::vector<std::string> expected;
    } const cases[] = {
        {"alone", chunks.size(), eventOfType(SND_SEQ_EVENT_PORT_START), {hexOf(whole)}},
        {"a real-time message passes at once", 1, eventOfType(SND_SEQ_EVENT_CLOCK), {"F8", hexOf(whole)}},
        {"another message ends it as it stands",
         2,
         noteOn(60),
         {hexOf({whole.begin(), whole.begin() + 512}), "90 3C 40", hexOf({whole.begin() + 512, whole.end()})}},
        {"a new one ends it as it stands",
         1,
         sysexEvent(next),
         {hexOf({whole.begin(), whole.begin() + 256}), "F0 22 F7", hexOf({whole.begin() + 256, whole.end()})}},
    };
    for (auto const& c : cases) {
        std::vector<snd_seq_event_t> events;
        for (size_t i = 0; i <= chunks.size(); ++i) {
            if (i == c.before)
                events.push_back(c.other);
            if (i < chunks.size())
                events.push_back(sysexEvent(chunks[i]));
        }
        AlsaMidiDecoder decoder;
        EXPECT_EQ(c.expected, decoded(decoder, events)) << c.what;
    }
}

TEST(AlsaMidiCodec, AMessageLongerThanAPacketIsHandedOnInParts)
{
    std::vector<Byte> whole;
    auto chunks = sysexChunks(70000, 4096, whole);
    std::vector<snd_seq_event_t> events;
    for (auto& chunk : chunks)
        events.push_back(sysexEvent(chunk));
    AlsaMidiDecoder decoder;
    auto messages = decoded(decoder, events);
    std::size_t const limit = AlsaMidiDecoder::maxMessage;
    EXPECT_EQ((std::vector<std::string>{hexOf({whole.begin(), whole.begin() + limit}),
                                        hexOf({whole.begin() + limit, whole.end()})}),
              messages);
}
