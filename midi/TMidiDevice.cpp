#include "midi/TMidiDevice.h"

#include "midi/MidiDeviceFactory.h"
#include "midi/OpenMidiDevices.h"
#include "midi/ShortMidiMessage.h"

namespace Tr {

TMidiDeviceBase::TMidiDeviceBase(MidiDeviceDescriptor* desc) : descriptor(desc) {}

TMidiDeviceBase::~TMidiDeviceBase()
{
    delete descriptor;
}

void TMidiDeviceBase::VerifyOpenState() {}

void TMidiDeviceBase::Open()
{
    BLockHolder hold(lock);
    if (openHandle)
        return;
    OpenImpl();
    if (!openHandle)
        return;
    registeredDir = descriptor->input;
    registeredName = descriptor->GetName();
    AddOpenMidiDevice(registeredDir, registeredName, this);
}

void TMidiDeviceBase::Close()
{
    BLockHolder hold(lock);
    if (unsigned long long handle = openHandle.exchange(0))
        CloseImpl(reinterpret_cast<void*>(uintptr_t(handle)));
    if (registeredName.isNotEmpty()) {
        RemoveOpenMidiDevice(registeredDir, registeredName, this);
        registeredName.clear();
    }
}

bool TMidiDeviceBase::IsOpen() const
{
    return openHandle != 0;
}

unsigned long long TMidiDeviceBase::GetOpenHandle() const
{
    return openHandle;
}

void TMidiDeviceBase::SetDescriptor(MidiDeviceDescriptor* desc)
{
    BLockHolder hold(lock);
    if (!desc || desc->IsEqual(descriptor))
        return;
    MidiDeviceDescriptor* clone = desc->Clone();
    delete descriptor;
    descriptor = clone;
}

MidiDeviceDescriptor* TMidiDeviceBase::GetDescriptor() const
{
    return descriptor;
}

void TMidiDeviceBase::FireMidiErrorEvent(BString const& text)
{
    if (descriptor->factory)
        descriptor->factory->FireMidiErrorEvent(this, text);
}

int TMidiInputBase::GetActiveSensing()
{
    return activeSensing;
}

void TMidiInputBase::SetActiveSensing(int on)
{
    activeSensing = on;
}

int TMidiInputBase::GetTimingClock()
{
    return timingClock;
}

void TMidiInputBase::SetTimingClock(int on)
{
    timingClock = on;
}

void TMidiInputBase::SetDataListener(TMidiDeviceDataListener* listener)
{
    dataListener = listener;
}

int TMidiInputBase::SplitAndDispatchMidiMessage(unsigned long long timestamp, unsigned char* data, int length)
{
    TMidiDeviceDataListener* listener = dataListener;
    if (!listener)
        return -1;
    int delivered = 0;
    for (int at = 0; at < length;) {
        unsigned char status = data[at];
        int size = MidiMessageLength(data + at, length - at);
        bool dropped = (status == 0xF8 && !timingClock) || (status == 0xFE && !activeSensing);
        if (!dropped) {
            listener->OnMidiDeviceMessage(this, timestamp, data + at, size);
            ++delivered;
        }
        at += size;
    }
    return delivered;
}

int TMidiOutputBase::SendShort(unsigned int packed)
{
    return SendShort(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

int TMidiOutputBase::SendLong(unsigned char* data, int length)
{
    return SendLongWait(data, length, nullptr);
}

int TMidiOutputBase::QueuedLongMessages()
{
    return 0;
}

void discard(TMidiDeviceBase* device)
{
    if (!device)
        return;
    device->Close();
    delete device;
}

} // namespace Tr
