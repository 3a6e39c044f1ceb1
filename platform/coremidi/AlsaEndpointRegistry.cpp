#include "platform/coremidi/AlsaEndpointRegistry.h"

#include "platform/coremidi/MidiUniqueId.h"

#include <alsa/asoundlib.h>

#include <set>

namespace {

unsigned const endpointKinds[] = {kAlsaSource, kAlsaDestination};

MIDIObjectType typeOf(unsigned kind)
{
    return kind == kAlsaSource ? kMIDIObjectType_Source : kMIDIObjectType_Destination;
}

bool both(unsigned capability, unsigned wanted)
{
    return (capability & wanted) == wanted;
}

} // namespace

unsigned alsaEndpointKinds(AlsaPortRecord const& port)
{
    if (port.address.client == SND_SEQ_CLIENT_SYSTEM || (port.capability & SND_SEQ_PORT_CAP_NO_EXPORT))
        return 0;
    unsigned kinds = 0;
    if (both(port.capability, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ))
        kinds |= kAlsaSource;
    if (both(port.capability, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE))
        kinds |= kAlsaDestination;
    return kinds;
}

std::vector<MidiEndpointInfo> AlsaEndpointRegistry::walked(std::vector<AlsaPortRecord> const& ports,
                                                           MIDIObjectType type)
{
    std::set<AlsaAddress> seen;
    std::vector<MidiEndpointInfo> endpoints;
    for (auto const& port : ports) {
        unsigned kinds = alsaEndpointKinds(port);
        if (!kinds)
            continue;
        Life& life = lifeOf(port);
        life.kinds = kinds;
        seen.insert(port.address);
        unsigned kind = type == kMIDIObjectType_Source ? kAlsaSource : kAlsaDestination;
        if (!(kinds & kind))
            continue;
        // Ids come from names and numbers only, so they survive a replug and a restart.
        std::string key = port.clientName + '\n' + std::to_string(port.address.port);
        MidiEndpointInfo info;
        info.endpoint = kind == kAlsaSource ? life.source : life.destination;
        info.name = port.portName;
        info.model = port.clientName;
        info.uniqueId = midiUniqueId(kind == kAlsaSource ? "source" : "destination", key);
        if (port.kernelClient) {
            info.entity = life.entity;
            info.entityUniqueId = midiUniqueId("entity", key);
            info.device = life.device;
            info.deviceUniqueId = midiUniqueId("device", port.clientName);
        }
        endpoints.push_back(info);
    }
    for (auto& [address, life] : lives)
        if (!seen.count(address))
            life.alive = false;
    return endpoints;
}

std::vector<MidiObjectChange> AlsaEndpointRegistry::started(AlsaPortRecord const& port)
{
    std::vector<MidiObjectChange> result;
    unsigned kinds = alsaEndpointKinds(port);
    if (!kinds)
        return result;
    Life& life = lifeOf(port);
    life.kinds = kinds;
    tell(result, kMIDIMsgObjectAdded, life, kinds);
    return result;
}

std::vector<MidiObjectChange> AlsaEndpointRegistry::exited(AlsaAddress address, AlsaPortRecord const* present)
{
    std::vector<MidiObjectChange> result;
    auto found = lives.find(address);
    if (found == lives.end())
        return result;
    Life& life = found->second;
    if (!present || !continues(life, *present))
        life.alive = false;
    tell(result, kMIDIMsgObjectRemoved, life, life.kinds);
    return result;
}

std::vector<MidiObjectChange> AlsaEndpointRegistry::changed(AlsaPortRecord const& port)
{
    std::vector<MidiObjectChange> result;
    unsigned before = 0;
    auto found = lives.find(port.address);
    if (found != lives.end() && found->second.alive) {
        Life& old = found->second;
        if (continues(old, port)) {
            before = old.kinds;
        } else {
            tell(result, kMIDIMsgObjectRemoved, old, old.kinds);
            old.alive = false;
        }
    }
    unsigned after = alsaEndpointKinds(port);
    if (!after)
        return result;
    Life& life = lifeOf(port);
    life.kinds = after;
    tell(result, kMIDIMsgObjectRemoved, life, before & ~after);
    tell(result, kMIDIMsgObjectAdded, life, after & ~before);
    return result;
}

std::vector<MidiObjectChange> AlsaEndpointRegistry::clientChanged(int client)
{
    std::vector<MidiObjectChange> result;
    for (auto const& [address, life] : lives)
        if (address.client == client && life.alive)
            tell(result, kMIDIMsgPropertyChanged, life, life.kinds, "model");
    return result;
}

OSStatus AlsaEndpointRegistry::addressOf(MIDIEndpointRef endpoint, MIDIObjectType type, AlsaAddress& address) const
{
    for (auto const& [at, life] : lives) {
        for (unsigned kind : endpointKinds) {
            MIDIEndpointRef ref = kind == kAlsaSource ? life.source : life.destination;
            if (ref != endpoint || !life.alive || !(life.kinds & kind))
                continue;
            if (typeOf(kind) != type)
                return kMIDIWrongEndpointType;
            address = at;
            return 0;
        }
    }
    return kMIDIUnknownEndpoint;
}

bool AlsaEndpointRegistry::continues(Life const& life, AlsaPortRecord const& port)
{
    return life.alive && life.owner == port.owner && life.kernelClient == port.kernelClient &&
           life.name == port.portName && alsaEndpointKinds(port) != 0;
}

AlsaEndpointRegistry::Life& AlsaEndpointRegistry::lifeOf(AlsaPortRecord const& port)
{
    auto found = lives.find(port.address);
    if (found != lives.end() && continues(found->second, port))
        return found->second;
    Life life;
    life.owner = port.owner;
    life.kernelClient = port.kernelClient;
    life.name = port.portName;
    life.source = newMidiObjectRef();
    life.destination = newMidiObjectRef();
    if (port.kernelClient) {
        life.entity = newMidiObjectRef();
        life.device = deviceOf(port);
    }
    return lives[port.address] = life;
}

MIDIDeviceRef AlsaEndpointRegistry::deviceOf(AlsaPortRecord const& port) const
{
    // A kernel client is one device: its ports share the device of its live ports.
    for (auto const& [address, life] : lives)
        if (address.client == port.address.client && life.alive && life.device && life.owner == port.owner)
            return life.device;
    return newMidiObjectRef();
}

void AlsaEndpointRegistry::tell(std::vector<MidiObjectChange>& into, MIDINotificationMessageID message,
                                Life const& life, unsigned kinds, std::string const& property)
{
    for (unsigned kind : endpointKinds) {
        if (!(kinds & kind))
            continue;
        MidiObjectChange change;
        change.message = message;
        change.parent = life.entity;
        change.parentType = life.entity ? kMIDIObjectType_Entity : kMIDIObjectType_Other;
        change.child = kind == kAlsaSource ? life.source : life.destination;
        change.childType = typeOf(kind);
        change.property = property;
        into.push_back(change);
    }
}
