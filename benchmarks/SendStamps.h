#pragma once
// The check of what a benchmark sent through the virtual MIDI back-end: every
// packet is the message, stamped at the wire rate of MIDI, 320 us a byte, each
// transmission starting where the previous one ends, so that sends made faster
// than the wire carries them are 690 x 320 us = 220.8 ms apart.
#include "platform/coreaudio/HostTime.h"
#include "platform/coremidi/VirtualMidiBackend.h"

#include <string>
#include <vector>

namespace sendstamps {

constexpr unsigned long long wireNanosPerByte = 320000;

// An error text when the packets are not the message stamped back to back at
// the wire rate from no earlier than start on, else empty.
inline std::string error(std::vector<VirtualMidiPacket> const& packets, std::vector<unsigned char> const& message,
                         MIDITimeStamp start)
{
    if (packets.empty() || packets.front().timeStamp < start)
        return "the first packet is stamped before its send";
    unsigned long long const expected = message.size() * wireNanosPerByte;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (packets[i].bytes != message)
            return "packet " + std::to_string(i) + " is not the message";
        if (i == 0)
            continue;
        unsigned long long spacing = AudioConvertHostTimeToNanos(packets[i].timeStamp - packets[i - 1].timeStamp);
        if (spacing != expected)
            return "packets " + std::to_string(i - 1) + " and " + std::to_string(i) + " are stamped " +
                   std::to_string(double(spacing) / 1e6) + " ms apart, not " + std::to_string(double(expected) / 1e6);
    }
    return "";
}

// The spacing of the first two packets, in ms; 0 without two.
inline double firstSpacingMillis(std::vector<VirtualMidiPacket> const& packets)
{
    if (packets.size() < 2)
        return 0;
    return double(AudioConvertHostTimeToNanos(packets[1].timeStamp - packets[0].timeStamp)) / 1e6;
}

} // namespace sendstamps
