#include "platform/coremidi/MIDIServices.h"

#include "platform/carbon/CarbonEvents.h"
#include "platform/corefoundation/Utf8Text.h"
#include "platform/coremidi/MidiBackend.h"

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace {

CFStringRef makeString(std::string const& text)
{
    return CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
}

std::string textOf(CFStringRef string)
{
    CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8);
    if (!string || size < 0)
        return {};
    std::vector<char> buffer(size_t(size) + 1);
    return CFStringGetCString(string, buffer.data(), size + 1, kCFStringEncodingUTF8) ? buffer.data() : "";
}

// A client of ours. Its notifications are posted to the event queue of the thread
// that created it and delivered there while the client lives.
class ClientState : public MidiClientEvents, public std::enable_shared_from_this<ClientState> {
public:
    ClientState(MIDINotifyProc proc, void* refCon)
        : proc(proc), refCon(refCon), queue(proc ? GetCurrentEventQueue() : nullptr)
    {
    }

    void changed(MidiObjectChange const& change) override
    {
        PostClosureToQueue(queue, [self = shared_from_this(), change] { self->deliver(change); });
    }

    // Waits for a running notify procedure; none is called afterwards.
    void silence()
    {
        std::lock_guard<std::recursive_mutex> hold(delivery);
        alive = false;
    }

    // Guards backend: ports are made while it exists, and disposal takes it away.
    std::mutex portsLock;
    std::unique_ptr<MidiBackendClient> backend;

private:
    void deliver(MidiObjectChange const& change)
    {
        std::lock_guard<std::recursive_mutex> hold(delivery);
        if (!alive)
            return;
        switch (change.message) {
        case kMIDIMsgObjectAdded:
        case kMIDIMsgObjectRemoved: {
            MIDIObjectAddRemoveNotification message{change.message, sizeof message, change.parent, change.parentType,
                                                    change.child, change.childType};
            proc(reinterpret_cast<MIDINotification const*>(&message), refCon);
            break;
        }
        case kMIDIMsgPropertyChanged: {
            CFStringRef name = makeString(change.property);
            MIDIObjectPropertyChangeNotification message{change.message, sizeof message, change.child,
                                                         change.childType, name};
            proc(reinterpret_cast<MIDINotification const*>(&message), refCon);
            CFRelease(name);
            break;
        }
        default: {
            MIDINotification message{change.message, sizeof message};
            proc(&message, refCon);
            break;
        }
        }
    }

    MIDINotifyProc const proc;
    void* const refCon;
    EventQueueRef const queue;
    // Held while the notify procedure runs; recursive, since it may dispose of its client.
    std::recursive_mutex delivery;
    bool alive = true; // guarded by delivery
};

// A port of ours: an output port, or an input port whose read procedure hears its
// connected sources.
class PortState : public MidiInputSink, public std::enable_shared_from_this<PortState> {
public:
    PortState(MIDIClientRef client, MIDIReadProc readProc, void* refCon)
        : client(client), readProc(readProc), refCon(refCon)
    {
    }

    void received(MIDIEndpointRef source, MIDIPacketList const* list) override
    {
        // The read procedure may dispose of this port.
        auto self = shared_from_this();
        void* connection = nullptr;
        {
            std::lock_guard<std::mutex> hold(lock);
            auto found = connections.find(source);
            if (found == connections.end())
                return;
            connection = found->second;
        }
        readProc(list, refCon, connection);
    }

    MIDIClientRef const client;
    MIDIReadProc const readProc;
    void* const refCon;

    // Guards the three below, and is held while the port sends.
    std::mutex lock;
    std::unique_ptr<MidiBackendOutputPort> output;
    std::unique_ptr<MidiBackendInputPort> input;
    std::map<MIDIEndpointRef, void*> connections;
};

struct Registry {
    std::mutex lock;
    std::map<MIDIClientRef, std::shared_ptr<ClientState>> clients;
    std::map<MIDIPortRef, std::shared_ptr<PortState>> ports;
};

// Never destroyed: threads may make MIDI calls while the program exits.
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

template <class Map>
typename Map::mapped_type lookUp(Map const& map, MIDIObjectRef ref)
{
    std::lock_guard<std::mutex> hold(registry().lock);
    auto found = map.find(ref);
    return found == map.end() ? nullptr : found->second;
}

// Takes the object out of the registry; null when it is not there.
template <class Map>
typename Map::mapped_type takeOut(Map& map, MIDIObjectRef ref)
{
    std::lock_guard<std::mutex> hold(registry().lock);
    auto found = map.find(ref);
    if (found == map.end())
        return nullptr;
    auto object = std::move(found->second);
    map.erase(found);
    return object;
}

// Waits for a running send or read procedure; afterwards the port neither sends
// nor receives. The back-end's input port goes outside the lock, which a delivery
// that it waits for may be about to take.
void closePort(PortState& port)
{
    std::unique_ptr<MidiBackendInputPort> input;
    {
        std::lock_guard<std::mutex> hold(port.lock);
        input = std::move(port.input);
        port.output.reset();
        port.connections.clear();
    }
    input.reset();
}

MIDIPortRef addPort(std::shared_ptr<PortState> port)
{
    MIDIPortRef ref = newMidiObjectRef();
    std::lock_guard<std::mutex> hold(registry().lock);
    registry().ports[ref] = std::move(port);
    return ref;
}

// Makes a port of the client through its back-end client, under the client's lock.
template <class Make>
OSStatus makePort(MIDIClientRef client, MIDIPortRef* outPort, Make const& make)
{
    if (!outPort)
        return paramErr;
    *outPort = 0;
    auto state = lookUp(registry().clients, client);
    if (!state)
        return kMIDIInvalidClient;
    std::lock_guard<std::mutex> hold(state->portsLock);
    if (!state->backend)
        return kMIDIInvalidClient;
    std::shared_ptr<PortState> port;
    OSStatus status = make(*state->backend, port);
    if (status == 0)
        *outPort = addPort(std::move(port));
    return status;
}

// Runs the call with the input port under its lock; kMIDIInvalidPort for any other port.
template <class Call>
OSStatus onInputPort(MIDIPortRef port, Call const& call)
{
    auto state = lookUp(registry().ports, port);
    if (!state)
        return kMIDIInvalidPort;
    std::lock_guard<std::mutex> hold(state->lock);
    return state->input ? call(*state) : kMIDIInvalidPort;
}

struct FoundObject {
    MIDIObjectType type;
    MidiEndpointInfo info;
};

// The endpoint, entity or device with this reference, with the endpoint it was found through.
std::optional<FoundObject> findObject(MIDIObjectRef ref)
{
    if (ref == 0)
        return std::nullopt;
    for (MIDIObjectType type : {kMIDIObjectType_Source, kMIDIObjectType_Destination}) {
        for (auto const& info : midiBackend().endpoints(type)) {
            if (info.endpoint == ref)
                return FoundObject{type, info};
            if (info.entity == ref)
                return FoundObject{kMIDIObjectType_Entity, info};
            if (info.device == ref)
                return FoundObject{kMIDIObjectType_Device, info};
        }
    }
    return std::nullopt;
}

bool isEndpoint(MIDIObjectType type)
{
    return type == kMIDIObjectType_Source || type == kMIDIObjectType_Destination;
}

// The unique id of any object, or the name, model or manufacturer of an endpoint;
// kMIDIUnknownProperty for any other property, and for one that is empty.
struct PropertyValue {
    bool isText = true;
    std::string text;
    SInt32 number = 0;
};

OSStatus propertyOf(MIDIObjectRef object, CFStringRef property, PropertyValue& value)
{
    auto found = findObject(object);
    if (!found)
        return kMIDIObjectNotFound;
    MidiEndpointInfo const& info = found->info;
    std::string name = textOf(property);
    if (name == "uniqueID") {
        value.isText = false;
        value.number = found->type == kMIDIObjectType_Entity   ? info.entityUniqueId
                       : found->type == kMIDIObjectType_Device ? info.deviceUniqueId
                                                               : info.uniqueId;
        return 0;
    }
    if (isEndpoint(found->type))
        value.text = name == "name"           ? info.name
                     : name == "model"        ? info.model
                     : name == "manufacturer" ? info.manufacturer
                                              : "";
    return value.text.empty() ? kMIDIUnknownProperty : 0;
}

MIDIEndpointRef endpointAt(MIDIObjectType type, ItemCount index)
{
    auto list = midiBackend().endpoints(type);
    return index < list.size() ? list[index].endpoint : 0;
}

} // namespace

const CFStringRef kMIDIPropertyName = makeString("name");
const CFStringRef kMIDIPropertyModel = makeString("model");
const CFStringRef kMIDIPropertyManufacturer = makeString("manufacturer");
const CFStringRef kMIDIPropertyUniqueID = makeString("uniqueID");

MIDIObjectRef newMidiObjectRef()
{
    static std::atomic<MIDIObjectRef> next{0x100};
    return next.fetch_add(1);
}

OSStatus MIDIClientCreate(CFStringRef name, MIDINotifyProc notifyProc, void* notifyRefCon, MIDIClientRef* outClient)
{
    if (!outClient)
        return paramErr;
    *outClient = 0;
    auto state = std::make_shared<ClientState>(notifyProc, notifyRefCon);
    OSStatus status = midiBackend().createClient(textOf(name), notifyProc ? state.get() : nullptr, state->backend);
    if (status != 0)
        return status;
    MIDIClientRef ref = newMidiObjectRef();
    std::lock_guard<std::mutex> hold(registry().lock);
    registry().clients[ref] = std::move(state);
    *outClient = ref;
    return 0;
}

OSStatus MIDIClientDispose(MIDIClientRef client)
{
    auto state = takeOut(registry().clients, client);
    if (!state)
        return kMIDIInvalidClient;
    state->silence();
    std::unique_ptr<MidiBackendClient> backend;
    {
        std::lock_guard<std::mutex> hold(state->portsLock);
        backend = std::move(state->backend);
    }
    std::vector<std::shared_ptr<PortState>> ports;
    {
        std::lock_guard<std::mutex> hold(registry().lock);
        for (auto it = registry().ports.begin(); it != registry().ports.end();) {
            if (it->second->client != client) {
                ++it;
                continue;
            }
            ports.push_back(it->second);
            it = registry().ports.erase(it);
        }
    }
    for (auto& port : ports)
        closePort(*port);
    return 0;
}

OSStatus MIDIInputPortCreate(MIDIClientRef client, CFStringRef name, MIDIReadProc readProc, void* refCon,
                             MIDIPortRef* outPort)
{
    if (!readProc)
        return paramErr;
    return makePort(client, outPort, [&](MidiBackendClient& backend, std::shared_ptr<PortState>& port) {
        port = std::make_shared<PortState>(client, readProc, refCon);
        return backend.createInputPort(textOf(name), *port, port->input);
    });
}

OSStatus MIDIOutputPortCreate(MIDIClientRef client, CFStringRef name, MIDIPortRef* outPort)
{
    return makePort(client, outPort, [&](MidiBackendClient& backend, std::shared_ptr<PortState>& port) {
        port = std::make_shared<PortState>(client, nullptr, nullptr);
        return backend.createOutputPort(textOf(name), port->output);
    });
}

OSStatus MIDIPortConnectSource(MIDIPortRef port, MIDIEndpointRef source, void* connRefCon)
{
    return onInputPort(port, [&](PortState& state) {
        OSStatus status = state.input->connect(source);
        if (status == 0)
            state.connections[source] = connRefCon;
        return status;
    });
}

OSStatus MIDIPortDisconnectSource(MIDIPortRef port, MIDIEndpointRef source)
{
    return onInputPort(port, [&](PortState& state) -> OSStatus {
        if (!state.connections.erase(source))
            return kMIDINoConnection;
        state.input->disconnect(source);
        return 0;
    });
}

OSStatus MIDIPortDispose(MIDIPortRef port)
{
    auto state = takeOut(registry().ports, port);
    if (!state)
        return kMIDIInvalidPort;
    closePort(*state);
    return 0;
}

ItemCount MIDIGetNumberOfSources()
{
    return midiBackend().endpoints(kMIDIObjectType_Source).size();
}

MIDIEndpointRef MIDIGetSource(ItemCount index)
{
    return endpointAt(kMIDIObjectType_Source, index);
}

ItemCount MIDIGetNumberOfDestinations()
{
    return midiBackend().endpoints(kMIDIObjectType_Destination).size();
}

MIDIEndpointRef MIDIGetDestination(ItemCount index)
{
    return endpointAt(kMIDIObjectType_Destination, index);
}

OSStatus MIDIEndpointGetEntity(MIDIEndpointRef endpoint, MIDIEntityRef* outEntity)
{
    if (!outEntity)
        return paramErr;
    auto found = findObject(endpoint);
    *outEntity = found && isEndpoint(found->type) ? found->info.entity : 0;
    return *outEntity ? 0 : kMIDIObjectNotFound;
}

OSStatus MIDIEntityGetDevice(MIDIEntityRef entity, MIDIDeviceRef* outDevice)
{
    if (!outDevice)
        return paramErr;
    auto found = findObject(entity);
    *outDevice = found && found->type == kMIDIObjectType_Entity ? found->info.device : 0;
    return *outDevice ? 0 : kMIDIObjectNotFound;
}

OSStatus MIDIObjectGetStringProperty(MIDIObjectRef object, CFStringRef property, CFStringRef* outString)
{
    if (!outString)
        return paramErr;
    *outString = nullptr;
    PropertyValue value;
    OSStatus status = propertyOf(object, property, value);
    if (status != 0 || !value.isText)
        return status != 0 ? status : kMIDIWrongPropertyType;
    // Our back-ends hand names over as bytes; a string property is always text.
    *outString = makeString(platform_text::wellFormedUtf8(value.text));
    return *outString ? 0 : kMIDIUnknownProperty;
}

OSStatus MIDIObjectGetIntegerProperty(MIDIObjectRef object, CFStringRef property, SInt32* outValue)
{
    if (!outValue)
        return paramErr;
    PropertyValue value;
    OSStatus status = propertyOf(object, property, value);
    if (status != 0 || value.isText)
        return status != 0 ? status : kMIDIWrongPropertyType;
    *outValue = value.number;
    return 0;
}

OSStatus MIDISend(MIDIPortRef port, MIDIEndpointRef destination, MIDIPacketList const* list)
{
    if (!list)
        return paramErr;
    auto state = lookUp(registry().ports, port);
    if (!state)
        return kMIDIInvalidPort;
    std::lock_guard<std::mutex> hold(state->lock);
    if (!state->output)
        return kMIDIInvalidPort;
    MIDIPacket const* packet = list->packet;
    for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
        if (OSStatus status = state->output->send(destination, packet->timeStamp, packet->data, packet->length))
            return status;
    return 0;
}
