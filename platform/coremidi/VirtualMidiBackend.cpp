#include "platform/coremidi/VirtualMidiBackend.h"

#include <algorithm>
#include <string>

namespace {

MIDIObjectType parentType(MidiEndpointInfo const& info)
{
    return info.entity ? kMIDIObjectType_Entity : kMIDIObjectType_Other;
}

} // namespace

class VirtualMidiBackend::Client : public MidiBackendClient {
public:
    Client(VirtualMidiBackend& backend, MidiClientEvents* events) : backend(backend), events(events) {}
    ~Client() override { backend.forget(this); }

    OSStatus createOutputPort(std::string const& name, std::unique_ptr<MidiBackendOutputPort>& port) override;
    OSStatus createInputPort(std::string const& name, MidiInputSink& sink,
                             std::unique_ptr<MidiBackendInputPort>& port) override;

    VirtualMidiBackend& backend;
    MidiClientEvents* const events;
};

class VirtualMidiBackend::OutputPort : public MidiBackendOutputPort {
public:
    explicit OutputPort(VirtualMidiBackend& backend) : backend(backend) {}

    OSStatus send(MIDIEndpointRef destination, MIDITimeStamp time, Byte const* data, size_t length) override
    {
        return backend.record(destination, time, data, length);
    }

private:
    VirtualMidiBackend& backend;
};

class VirtualMidiBackend::InputPort : public MidiBackendInputPort {
public:
    InputPort(VirtualMidiBackend& backend, MidiInputSink& sink) : backend(backend), sink(sink) {}
    ~InputPort() override { backend.forget(this); }

    OSStatus connect(MIDIEndpointRef source) override
    {
        std::lock_guard<std::mutex> hold(backend.lock);
        OSStatus status = backend.failure(VirtualMidiCall::Connect);
        if (status == 0)
            status = backend.endpointStatus(kMIDIObjectType_Source, source);
        if (status == 0)
            connected.insert(source);
        return status;
    }

    OSStatus disconnect(MIDIEndpointRef source) override
    {
        std::lock_guard<std::mutex> hold(backend.lock);
        return connected.erase(source) ? 0 : kMIDINoConnection;
    }

    VirtualMidiBackend& backend;
    MidiInputSink& sink;
    std::set<MIDIEndpointRef> connected; // guarded by the back-end's lock
};

OSStatus VirtualMidiBackend::Client::createOutputPort(std::string const& /*name*/,
                                                      std::unique_ptr<MidiBackendOutputPort>& port)
{
    std::lock_guard<std::mutex> hold(backend.lock);
    OSStatus status = backend.failure(VirtualMidiCall::CreateOutputPort);
    if (status == 0)
        port = std::make_unique<OutputPort>(backend);
    return status;
}

OSStatus VirtualMidiBackend::Client::createInputPort(std::string const& /*name*/, MidiInputSink& sink,
                                                     std::unique_ptr<MidiBackendInputPort>& port)
{
    std::lock_guard<std::mutex> hold(backend.lock);
    OSStatus status = backend.failure(VirtualMidiCall::CreateInputPort);
    if (status != 0)
        return status;
    auto created = std::make_unique<InputPort>(backend, sink);
    backend.inputs.push_back(created.get());
    port = std::move(created);
    return 0;
}

VirtualMidiBackend::VirtualMidiBackend() = default;

VirtualMidiBackend::~VirtualMidiBackend()
{
    if (log)
        std::fclose(log);
}

MIDIEndpointRef VirtualMidiBackend::add(MIDIObjectType type, VirtualMidiPort const& port, size_t position)
{
    MidiEndpointInfo info;
    info.endpoint = newMidiObjectRef();
    info.name = port.name;
    info.model = port.model;
    info.manufacturer = port.manufacturer;
    info.uniqueId = port.uniqueId;
    if (port.entityId) {
        info.entity = newMidiObjectRef();
        info.entityUniqueId = *port.entityId;
        if (port.deviceId) {
            info.device = newMidiObjectRef();
            info.deviceUniqueId = *port.deviceId;
        }
    }
    std::lock_guard<std::mutex> hold(lock);
    auto& list = listOf(type);
    list.insert(list.begin() + std::min(position, list.size()), info);
    tellClients({kMIDIMsgObjectAdded, info.entity, parentType(info), info.endpoint, type, {}});
    return info.endpoint;
}

bool VirtualMidiBackend::remove(MIDIEndpointRef endpoint)
{
    std::lock_guard<std::mutex> hold(lock);
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination}) {
        auto& list = listOf(type);
        auto found = std::find_if(list.begin(), list.end(),
                                  [endpoint](MidiEndpointInfo const& info) { return info.endpoint == endpoint; });
        if (found == list.end())
            continue;
        MidiObjectChange removed{kMIDIMsgObjectRemoved, found->entity, parentType(*found), endpoint, type, {}};
        list.erase(found);
        for (InputPort* port : inputs)
            port->connected.erase(endpoint);
        tellClients(removed);
        return true;
    }
    return false;
}

MIDIEndpointRef VirtualMidiBackend::find(MIDIObjectType type, std::string const& name)
{
    std::lock_guard<std::mutex> hold(lock);
    auto const& list = listOf(type);
    auto found =
        std::find_if(list.begin(), list.end(), [&name](MidiEndpointInfo const& info) { return info.name == name; });
    return found == list.end() ? 0 : found->endpoint;
}

void VirtualMidiBackend::reset()
{
    std::lock_guard<std::mutex> hold(lock);
    sources.clear();
    destinations.clear();
    for (InputPort* port : inputs)
        port->connected.clear();
    packets.clear();
    failures.clear();
    sendsHeld = false;
    sendsReleased.notify_all();
    changesHeld = false;
    heldChanges.clear();
}

OSStatus VirtualMidiBackend::inject(MIDIEndpointRef source, MIDIPacketList const* list)
{
    std::lock_guard<std::recursive_mutex> delivering(delivery);
    std::vector<InputPort*> targets;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!lookUp(kMIDIObjectType_Source, source))
            return kMIDIUnknownEndpoint;
        targets = inputs;
    }
    for (InputPort* port : targets) {
        {
            // A read procedure before this one may have disposed of this port.
            std::lock_guard<std::mutex> hold(lock);
            if (std::find(inputs.begin(), inputs.end(), port) == inputs.end() || !port->connected.count(source))
                continue;
        }
        port->sink.received(source, list);
    }
    return 0;
}

std::vector<VirtualMidiPacket> VirtualMidiBackend::sent() const
{
    std::lock_guard<std::mutex> hold(lock);
    return packets;
}

void VirtualMidiBackend::fail(VirtualMidiCall call, OSStatus status)
{
    std::lock_guard<std::mutex> hold(lock);
    failures[call] = status;
}

void VirtualMidiBackend::holdSends(bool hold)
{
    std::lock_guard<std::mutex> holding(lock);
    sendsHeld = hold;
    sendsReleased.notify_all();
}

void VirtualMidiBackend::holdChanges(bool hold)
{
    std::lock_guard<std::mutex> holding(lock);
    changesHeld = hold;
    if (hold)
        return;
    for (MidiObjectChange const& change : heldChanges)
        tellClients(change);
    heldChanges.clear();
}

bool VirtualMidiBackend::logTo(std::string const& path)
{
    std::FILE* opened = std::fopen(path.c_str(), "a");
    std::lock_guard<std::mutex> hold(lock);
    if (log)
        std::fclose(log);
    log = opened;
    return opened != nullptr;
}

std::vector<MidiEndpointInfo> VirtualMidiBackend::endpoints(MIDIObjectType type)
{
    std::lock_guard<std::mutex> hold(lock);
    return listOf(type);
}

OSStatus VirtualMidiBackend::createClient(std::string const& /*name*/, MidiClientEvents* events,
                                          std::unique_ptr<MidiBackendClient>& client)
{
    std::lock_guard<std::mutex> hold(lock);
    OSStatus status = failure(VirtualMidiCall::CreateClient);
    if (status != 0)
        return status;
    auto created = std::make_unique<Client>(*this, events);
    if (events)
        listeners.push_back(created.get());
    client = std::move(created);
    return 0;
}

std::vector<MidiEndpointInfo>& VirtualMidiBackend::listOf(MIDIObjectType type)
{
    return type == kMIDIObjectType_Source ? sources : destinations;
}

std::vector<MidiEndpointInfo> const& VirtualMidiBackend::listOf(MIDIObjectType type) const
{
    return type == kMIDIObjectType_Source ? sources : destinations;
}

MidiEndpointInfo const* VirtualMidiBackend::lookUp(MIDIObjectType type, MIDIEndpointRef endpoint) const
{
    for (auto const& info : listOf(type))
        if (info.endpoint == endpoint)
            return &info;
    return nullptr;
}

OSStatus VirtualMidiBackend::failure(VirtualMidiCall call) const
{
    auto found = failures.find(call);
    return found == failures.end() ? 0 : found->second;
}

OSStatus VirtualMidiBackend::endpointStatus(MIDIObjectType wanted, MIDIEndpointRef endpoint) const
{
    if (lookUp(wanted, endpoint))
        return 0;
    MIDIObjectType other = wanted == kMIDIObjectType_Source ? kMIDIObjectType_Destination : kMIDIObjectType_Source;
    return lookUp(other, endpoint) ? kMIDIWrongEndpointType : kMIDIUnknownEndpoint;
}

void VirtualMidiBackend::tellClients(MidiObjectChange const& change)
{
    if (changesHeld) {
        heldChanges.push_back(change);
        return;
    }
    for (Client* client : listeners) {
        client->events->changed(change);
        client->events->changed(MidiObjectChange{});
    }
}

OSStatus VirtualMidiBackend::record(MIDIEndpointRef destination, MIDITimeStamp time, Byte const* data, size_t length)
{
    std::unique_lock<std::mutex> hold(lock);
    sendsReleased.wait(hold, [this] { return !sendsHeld; });
    OSStatus status = failure(VirtualMidiCall::Send);
    if (status == 0)
        status = endpointStatus(kMIDIObjectType_Destination, destination);
    if (status != 0)
        return status;
    packets.push_back({destination, time, std::vector<Byte>(data, data + length)});
    if (log) {
        static char const digits[] = "0123456789ABCDEF";
        std::string line;
        for (size_t i = 0; i < length; ++i) {
            line += i ? " " : "";
            line += digits[data[i] >> 4];
            line += digits[data[i] & 15];
        }
        line += '\n';
        std::fputs(line.c_str(), log);
        std::fflush(log);
    }
    return 0;
}

void VirtualMidiBackend::forget(Client* client)
{
    std::lock_guard<std::mutex> hold(lock);
    listeners.erase(std::remove(listeners.begin(), listeners.end(), client), listeners.end());
}

void VirtualMidiBackend::forget(InputPort* port)
{
    std::lock_guard<std::recursive_mutex> delivering(delivery);
    std::lock_guard<std::mutex> hold(lock);
    inputs.erase(std::remove(inputs.begin(), inputs.end(), port), inputs.end());
}

VirtualMidiBackend* virtualMidiBackend()
{
    return dynamic_cast<VirtualMidiBackend*>(&midiBackend());
}
