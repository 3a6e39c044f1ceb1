#include "midi/coremidi/MidiMacClient.h"

#include "foundation/BLock.h"

#include <atomic>

namespace Tr {

MIDIClientRef GetGlobalMidiClientRef()
{
    static std::atomic<MIDIClientRef> client{0};
    static BLock* creating = new BLock;
    if (MIDIClientRef made = client)
        return made;
    BLockHolder hold(*creating);
    if (client == 0) {
        MIDIClientRef made = 0;
        CFStringRef name = BString("Pexa's MIDI subsystem").toCFString();
        if (MIDIClientCreate(name, nullptr, nullptr, &made) == 0)
            client = made;
        CFRelease(name);
    }
    return client;
}

BString GetMidiStringProperty(MIDIObjectRef object, CFStringRef property)
{
    CFStringRef value = nullptr;
    if (MIDIObjectGetStringProperty(object, property, &value) != 0 || !value)
        return BString();
    BString text(value);
    CFRelease(value);
    return text;
}

int GetMidiIntegerProperty(MIDIObjectRef object, CFStringRef property, int defaultValue)
{
    SInt32 value = 0;
    return MIDIObjectGetIntegerProperty(object, property, &value) == 0 ? value : defaultValue;
}

} // namespace Tr
