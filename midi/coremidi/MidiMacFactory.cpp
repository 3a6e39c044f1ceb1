#include "midi/coremidi/MidiMacFactory.h"

#include "foundation/Exception.h"
#include "midi/MidiManager.h"
#include "midi/coremidi/MidiMacClient.h"
#include "midi/coremidi/TMidiInputMac.h"
#include "midi/coremidi/TMidiOutputMac.h"

namespace Tr {

namespace {

// 8 upper-case hexadecimal digits; empty for 0 and -1, which name no object.
BString idText(int id)
{
    return id == 0 || id == -1 ? BString() : BString::toHex(unsigned(id), 8);
}

MIDIEndpointRef endpointAt(int dir, int index)
{
    return dir == 1 ? MIDIGetSource(ItemCount(index)) : MIDIGetDestination(ItemCount(index));
}

BLock& creationLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

} // namespace

std::atomic<MidiMacFactory*> MidiMacFactory::inst{nullptr};
std::atomic<int> MidiMacFactory::hadAlreadyBeenDestroyed{0};

MidiMacFactory* MidiMacFactory::instance()
{
    if (MidiMacFactory* factory = inst)
        return factory;
    BLockHolder hold(creationLock());
    if (hadAlreadyBeenDestroyed)
        throw Exception("Cannot re-instanciate MidiMacFactory!");
    if (!inst)
        inst = new MidiMacFactory;
    return inst;
}

bool MidiMacFactory::IsInstanceAllocated()
{
    return inst != nullptr;
}

BString MidiMacFactory::GetNameManufacturerSuffix(BString const& manufacturer)
{
    return manufacturer.isEmpty() ? BString() : " (" + manufacturer + ")";
}

MidiMacFactory::MidiMacFactory() = default;

MidiMacFactory::~MidiMacFactory()
{
    hadAlreadyBeenDestroyed = 1;
    inst = nullptr;
    if (MidiManager::IsInstanceAllocated())
        MidiManager::instance()->RemoveFactory(this, 0);
}

void MidiMacFactory::recreateCache(int dir, BList<MidiDeviceDescriptor*>& list)
{
    int count = GetNumDevs(dir);
    list.clearAndDelete();
    for (int i = 0; i < count; ++i)
        if (MidiDeviceDescriptor* desc = CreateDescriptor(dir, i))
            list.add(desc);
}

int MidiMacFactory::GetNumDevs(int dir)
{
    return int(dir == 1 ? MIDIGetNumberOfSources() : MIDIGetNumberOfDestinations());
}

int MidiMacFactory::GetType()
{
    return kType;
}

BString MidiMacFactory::GetTypeName(int dir)
{
    return dir == 1 ? "MIDI Input" : "MIDI Output";
}

TMidiDeviceBase* MidiMacFactory::CreateDevice(MidiDeviceDescriptor* desc)
{
    MidiDeviceDescriptor* clone = desc ? desc->Clone() : nullptr;
    if (!clone)
        return nullptr;
    if (clone->input)
        return new TMidiInputMac(clone);
    return new TMidiOutputMac(clone);
}

MidiDeviceDescriptor* MidiMacFactory::CreateDescriptor(int dir, int index)
{
    MIDIEndpointRef endpoint = endpointAt(dir, index);
    if (!endpoint)
        return nullptr;
    BString name = GetMidiStringProperty(endpoint, kMIDIPropertyName);
    BString model = GetMidiStringProperty(endpoint, kMIDIPropertyModel);
    BString displayName = model.isNotEmpty() && !model.contains(name, 1) ? model + " : " + name : name;
    BString serial;
    BString interfaceId;
    MIDIEntityRef entity = 0;
    if (MIDIEndpointGetEntity(endpoint, &entity) == 0 && entity) {
        serial = idText(GetMidiIntegerProperty(entity, kMIDIPropertyUniqueID, 0));
        MIDIDeviceRef device = 0;
        if (MIDIEntityGetDevice(entity, &device) == 0 && device)
            interfaceId = idText(GetMidiIntegerProperty(device, kMIDIPropertyUniqueID, 0));
    }
    return new MidiDeviceDescriptor(this, dir, index, displayName, serial, interfaceId, BString());
}

MIDIEndpointRef MidiMacFactory::FindEndpoint(MidiDeviceDescriptor const& desc)
{
    int dir = desc.input ? 1 : 0;
    BOwnedList<MidiDeviceDescriptor*> live;
    BuildDeviceList(dir, live);
    MidiDeviceDescriptor const* found = nullptr;
    for (int i = 0; i < live.count && !found; ++i)
        if (live.items[i]->index == desc.index && desc.Matches(live.items[i]))
            found = live.items[i];
    for (int i = 0; i < live.count && !found; ++i)
        if (desc.Matches(live.items[i]))
            found = live.items[i];
    return found ? endpointAt(dir, found->index) : 0;
}

bool MidiMacFactory::IsStillAt(MidiDeviceDescriptor const& desc, MIDIEndpointRef endpoint)
{
    auto factory = dynamic_cast<MidiMacFactory*>(desc.factory);
    return !factory || factory->FindEndpoint(desc) == endpoint;
}

} // namespace Tr
