#include "midi/coremidi/TMidiInputMac.h"

#include "midi/coremidi/MidiMacClient.h"
#include "midi/coremidi/MidiMacErrors.h"
#include "midi/coremidi/MidiMacFactory.h"

namespace Tr {

TMidiInputMac::TMidiInputMac(MidiDeviceDescriptor* desc) : TMidiInputBase(desc) {}

TMidiInputMac::~TMidiInputMac()
{
    Close();
}

void TMidiInputMac::OpenImpl()
{
    auto factory = dynamic_cast<MidiMacFactory*>(descriptor->factory);
    MIDIEndpointRef found = factory ? factory->FindEndpoint(*descriptor) : 0;
    if (!found)
        throw EMidiPortAbsent(BString::format(SFCannotOpenIn, descriptor->GetName().c_str()));
    openHandle = found;
}

int TMidiInputMac::CloseImpl(void* handle)
{
    disposePort(MIDIEndpointRef(reinterpret_cast<uintptr_t>(handle)));
    return 1;
}

void TMidiInputMac::VerifyOpenState()
{
    if (IsOpen() && !MidiMacFactory::IsStillAt(*descriptor, source()))
        Close();
}

void TMidiInputMac::Start()
{
    BLockHolder hold(lock);
    if (!openHandle || inputPort)
        return;
    MIDIPortRef port = 0;
    CFStringRef name = BString("Input port").toCFString();
    OSStatus status = MIDIInputPortCreate(GetGlobalMidiClientRef(), name, ReadProc, nullptr, &port);
    CFRelease(name);
    if (status == 0)
        status = MIDIPortConnectSource(port, source(), this);
    if (status != 0) {
        if (port)
            MIDIPortDispose(port);
        throw EMidiError(midiGetErrorText(status));
    }
    inputPort = port;
}

int TMidiInputMac::Stop()
{
    BLockHolder hold(lock);
    return IsStarted() ? disposePort(source()) : 0;
}

bool TMidiInputMac::IsStarted()
{
    return openHandle && inputPort;
}

void TMidiInputMac::ReadProc(MIDIPacketList const* list, void* /*readProcRefCon*/, void* srcConnRefCon)
{
    auto device = static_cast<TMidiInputMac*>(srcConnRefCon);
    MIDIPacket const* packet = list->packet;
    for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
        device->SplitAndDispatchMidiMessage(packet->timeStamp, const_cast<Byte*>(packet->data), packet->length);
}

MIDIEndpointRef TMidiInputMac::source() const
{
    return MIDIEndpointRef(openHandle.load());
}

OSStatus TMidiInputMac::disposePort(MIDIEndpointRef connected)
{
    MIDIPortRef port = inputPort.exchange(0);
    if (!port)
        return 0;
    MIDIPortDisconnectSource(port, connected);
    return MIDIPortDispose(port);
}

} // namespace Tr
