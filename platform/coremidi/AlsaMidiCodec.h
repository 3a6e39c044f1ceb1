#pragma once

// MIDI bytes to ALSA sequencer events and back.

#include "platform/coremidi/MIDIServices.h"

#include <alsa/asoundlib.h>

#include <vector>

// The events for the bytes of one packet, in order. A System Exclusive message
// (F0 up to its F7, or to the next status byte or the end) is one event, whose data
// points into the bytes, so that it reaches the kernel whole; everything else goes
// through alsa-lib's MIDI event encoder. Only type, flags and data are set.
std::vector<snd_seq_event_t> alsaEventsOf(Byte const* data, size_t length);

// Turns the events that one connection delivers back into MIDI messages, each with
// its own status byte (no running status). System Exclusive messages that arrive in
// chunks are gathered into one.
class AlsaMidiDecoder {
public:
    // A packet holds at most this many bytes, so a longer message is handed on in parts.
    static constexpr size_t maxMessage = 65535;

    AlsaMidiDecoder();
    ~AlsaMidiDecoder();
    AlsaMidiDecoder(AlsaMidiDecoder const&) = delete;
    AlsaMidiDecoder& operator=(AlsaMidiDecoder const&) = delete;

    // The messages that this event completes, in order: none while a System
    // Exclusive message is still open; a real-time message at once, even inside one;
    // any other message first ends an open System Exclusive message as it stands.
    // Events that carry no MIDI give none.
    std::vector<std::vector<Byte>> decode(snd_seq_event_t const& event);

private:
    void gather(Byte const* data, size_t length, std::vector<std::vector<Byte>>& messages);

    snd_midi_event_t* parser = nullptr;
    std::vector<Byte> sysex;
};
