#pragma once

#include "midi/TMidiDevice.h"
#include "platform/coremidi/MIDIServices.h"

#include <atomic>

namespace Tr {

// Fills one packet list from the cursor on, one packet per message, each stamped
// time plus perByteTime for every byte before it; a System Exclusive message is
// always one packet. Advances cursor and remaining past what went in. Whether a
// packet went in (0 at once when nothing remains).
int SplitMessageIntoMIDIPacketList(MIDIPacketList* list, ByteCount listSize, unsigned char*& cursor, int& remaining,
                                   MIDITimeStamp time, MIDITimeStamp perByteTime);

// A CoreMIDI destination, with an output port of its own in the global client.
// Transmissions are stamped at the MIDI wire rate (320 us a byte), each starting
// where the previous one through this device ends, also when sent from two threads.
class TMidiOutputMac : public TMidiOutputBase {
public:
    explicit TMidiOutputMac(MidiDeviceDescriptor* desc);
    ~TMidiOutputMac() override;

    void OpenImpl() override;
    int CloseImpl(void* handle) override;
    // Closes when the destination is no longer the one opened.
    void VerifyOpenState() override;
    // One packet stamped now, of the status byte's length; 0 for a status without a
    // fixed length. Throws when CoreMIDI refuses it.
    int SendShort(unsigned char status, unsigned char data1, unsigned char data2) override;
    // SendLong of the message's length.
    int SendShort(unsigned int packed) override;
    // Exactly the bytes given, as time-stamped packet lists; 1 when any list went out.
    int SendLong(unsigned char* data, int length) override;
    // One System Exclusive request, waited for; the length, or 0 when it could not be
    // sent or the callback gave up the wait first.
    int SendLongWait(unsigned char* data, int length, TMidiOutWaitCallback* callback) override;

private:
    MIDIEndpointRef destination() const;
    // The start of a transmission of length bytes made at now; the next one starts
    // where it ends.
    MIDITimeStamp reserveTransmission(MIDITimeStamp now, int length);

    std::atomic<MIDIPortRef> outputPort{0};
    std::atomic<MIDITimeStamp> nextFreeTime{0};
    MIDITimeStamp const perByteTime;
};

} // namespace Tr
