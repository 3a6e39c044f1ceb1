#include "midi/coremidi/TMidiOutputMac.h"

#include "foundation/MilliTime.h"
#include "midi/ShortMidiMessage.h"
#include "midi/coremidi/MidiMacClient.h"
#include "midi/coremidi/MidiMacErrors.h"
#include "midi/coremidi/MidiMacFactory.h"
#include "platform/coreaudio/HostTime.h"

#include <algorithm>
#include <vector>

namespace Tr {

namespace {

constexpr int kListOverhead = 272;

// The request and the copy of its data, shared by the waiting sender and the
// completion procedure. Whichever of them comes last frees it.
struct SysexBlock {
    enum State { Waiting, Completed, Abandoned };

    MIDISysexSendRequest request{};
    std::atomic<int> state{Waiting};
    std::vector<Byte> data;
};

void completionProc(MIDISysexSendRequest* request)
{
    auto block = static_cast<SysexBlock*>(request->completionRefCon);
    if (block->state.exchange(SysexBlock::Completed) == SysexBlock::Abandoned)
        delete block;
}

} // namespace

int SplitMessageIntoMIDIPacketList(MIDIPacketList* list, ByteCount listSize, unsigned char*& cursor, int& remaining,
                                   MIDITimeStamp time, MIDITimeStamp perByteTime)
{
    if (remaining < 1)
        return 0;
    MIDIPacket* packet = MIDIPacketListInit(list);
    bool added = false;
    while (remaining > 0) {
        int length = MidiMessageLength(cursor, remaining);
        MIDIPacket* next = MIDIPacketListAdd(list, listSize, packet, time, ByteCount(length), cursor);
        if (!next)
            return added;
        packet = next;
        added = true;
        cursor += length;
        remaining -= length;
        time += perByteTime * MIDITimeStamp(length);
    }
    return 1;
}

TMidiOutputMac::TMidiOutputMac(MidiDeviceDescriptor* desc)
    : TMidiOutputBase(desc), perByteTime(AudioConvertNanosToHostTime(320000))
{
}

TMidiOutputMac::~TMidiOutputMac()
{
    Close();
}

void TMidiOutputMac::OpenImpl()
{
    BString cannotOpen = BString::format(SFCannotOpen, descriptor->GetName().c_str());
    auto factory = dynamic_cast<MidiMacFactory*>(descriptor->factory);
    MIDIEndpointRef found = factory ? factory->FindEndpoint(*descriptor) : 0;
    if (!found)
        throw EMidiPortAbsent(cannotOpen);
    MIDIPortRef port = 0;
    CFStringRef name = BString("Output port").toCFString();
    OSStatus status = MIDIOutputPortCreate(GetGlobalMidiClientRef(), name, &port);
    CFRelease(name);
    if (status != 0)
        throw EMidiError(cannotOpen + " " + midiGetErrorText(status));
    outputPort = port;
    openHandle = found;
}

int TMidiOutputMac::CloseImpl(void* /*handle*/)
{
    if (MIDIPortRef port = outputPort.exchange(0))
        MIDIPortDispose(port);
    return 1;
}

void TMidiOutputMac::VerifyOpenState()
{
    if (IsOpen() && !MidiMacFactory::IsStillAt(*descriptor, destination()))
        Close();
}

int TMidiOutputMac::SendShort(unsigned char status, unsigned char data1, unsigned char data2)
{
    int length = ShortMidiMessageLength(status);
    if (!IsOpen() || length == 0)
        return 0;
    Byte const bytes[3] = {status, data1, data2};
    Byte buffer[kListOverhead];
    auto list = reinterpret_cast<MIDIPacketList*>(buffer);
    MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), AudioGetCurrentHostTime(), ByteCount(length),
                      bytes);
    if (OSStatus error = MIDISend(outputPort, destination(), list))
        throw EMidiError(midiGetErrorText(error));
    return 1;
}

int TMidiOutputMac::SendShort(unsigned int packed)
{
    unsigned char bytes[3] = {Byte(packed), Byte(packed >> 8), Byte(packed >> 16)};
    return SendLong(bytes, ShortMidiMessageLength(bytes[0]));
}

int TMidiOutputMac::SendLong(unsigned char* data, int length)
{
    MIDITimeStamp now = AudioGetCurrentHostTime();
    if (!IsOpen() || length < 1)
        return 0;
    MIDITimeStamp start = reserveTransmission(now, length);
    std::vector<Byte> buffer(size_t(length) + kListOverhead);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());
    unsigned char* cursor = data;
    int remaining = length;
    bool refused = false;
    while (SplitMessageIntoMIDIPacketList(list, buffer.size(), cursor, remaining,
                                          start + perByteTime * MIDITimeStamp(cursor - data), perByteTime)) {
        refused = MIDISend(outputPort, destination(), list) != 0 || refused;
        if (remaining == 0)
            break;
    }
    // Only a message that went out whole counts as sent: a refused list, or a
    // packet too big for any list, leaves the box with part of it.
    return refused || remaining > 0 ? 0 : 1;
}

int TMidiOutputMac::SendLongWait(unsigned char* data, int length, TMidiOutWaitCallback* callback)
{
    if (!IsOpen() || length < 1)
        return 0;
    auto block = new SysexBlock;
    block->data.assign(data, data + length);
    block->request.destination = destination();
    block->request.data = block->data.data();
    block->request.bytesToSend = UInt32(length);
    block->request.completionProc = completionProc;
    block->request.completionRefCon = block;
    if (MIDISendSysex(&block->request) != 0) {
        delete block;
        return 0;
    }
    while (block->state == SysexBlock::Waiting) {
        if (!callback) {
            sleepMillis(1);
            continue;
        }
        int keepWaiting = 1;
        callback->OnMidiOutWait(this, keepWaiting);
        if (!keepWaiting && block->state.exchange(SysexBlock::Abandoned) == SysexBlock::Waiting)
            return 0;
    }
    delete block;
    return length;
}

MIDIEndpointRef TMidiOutputMac::destination() const
{
    return MIDIEndpointRef(openHandle.load());
}

MIDITimeStamp TMidiOutputMac::reserveTransmission(MIDITimeStamp now, int length)
{
    MIDITimeStamp previous = nextFreeTime;
    MIDITimeStamp start;
    do
        start = std::max(now, previous);
    while (!nextFreeTime.compare_exchange_weak(previous, start + perByteTime * MIDITimeStamp(length)));
    return start;
}

} // namespace Tr
