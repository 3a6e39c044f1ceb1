#include "platform/coremidi/AlsaMidiClient.h"

#include "platform/coreaudio/HostTime.h"

namespace {

unsigned const midiPortType = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;
// The kernel's largest input pool. An event that a source sends must fit it whole:
// the kernel refuses a longer one (about 55 KB) to its sender.
int const inputPool = 2000;
// alsa-lib reads each event whole into this buffer: room for the longest that fits the pool.
size_t const inputBuffer = 65536;

// One packet per message, stamped now.
std::vector<Byte> packetListOf(std::vector<std::vector<Byte>> const& messages)
{
    size_t size = sizeof(UInt32);
    for (auto const& message : messages)
        size += sizeof(MIDITimeStamp) + sizeof(UInt16) + message.size();
    std::vector<Byte> buffer(size);
    auto list = reinterpret_cast<MIDIPacketList*>(buffer.data());
    MIDIPacket* packet = MIDIPacketListInit(list);
    MIDITimeStamp now = AudioGetCurrentHostTime();
    for (auto const& message : messages)
        packet = MIDIPacketListAdd(list, size, packet, now, message.size(), message.data());
    return buffer;
}

} // namespace

class AlsaMidiClient::OutputPort : public MidiBackendOutputPort {
public:
    OutputPort(AlsaMidiClient& client, int number) : client(client), number(number) {}
    ~OutputPort() override { snd_seq_delete_simple_port(client.seq, number); }

    // Sent at once, each event straight to the kernel (not through alsa-lib's output
    // buffer, whose size would limit an event), which hands it on without queueing
    // it: the time stamp is not used.
    OSStatus send(MIDIEndpointRef destination, MIDITimeStamp /*time*/, Byte const* data, size_t length) override
    {
        snd_seq_addr_t address;
        if (OSStatus status = client.backend.addressOf(destination, kMIDIObjectType_Destination, address))
            return status;
        std::lock_guard<std::mutex> hold(client.sendLock);
        // Some ports (a virtual raw MIDI port) take events only from their subscribers.
        int result = snd_seq_connect_to(client.seq, number, address.client, address.port);
        if (result == -EBUSY)
            result = 0;
        for (snd_seq_event_t& event : alsaEventsOf(data, length)) {
            if (result < 0)
                break;
            snd_seq_ev_set_source(&event, number);
            snd_seq_ev_set_dest(&event, address.client, address.port);
            snd_seq_ev_set_direct(&event);
            result = snd_seq_event_output_direct(client.seq, &event);
        }
        return result < 0 ? client.backend.refused(address, kMIDIMessageSendErr) : 0;
    }

private:
    AlsaMidiClient& client;
    int const number;
};

class AlsaMidiClient::InputPort : public MidiBackendInputPort {
public:
    InputPort(AlsaMidiClient& client, int number, MidiInputSink& sink) : number(number), sink(sink), client(client)
    {
    }

    ~InputPort() override
    {
        client.forget(this);
        snd_seq_delete_simple_port(client.seq, number);
    }

    OSStatus connect(MIDIEndpointRef source) override
    {
        snd_seq_addr_t address;
        if (OSStatus status = client.backend.addressOf(source, kMIDIObjectType_Source, address))
            return status;
        int result = snd_seq_connect_from(client.seq, number, address.client, address.port);
        if (result < 0 && result != -EBUSY)
            return client.backend.refused(address, kMIDIMessageSendErr);
        std::lock_guard<std::mutex> hold(client.portsLock);
        if (!connectionOf(source))
            connections.emplace_back(source, address);
        return 0;
    }

    OSStatus disconnect(MIDIEndpointRef source) override
    {
        snd_seq_addr_t address;
        {
            std::lock_guard<std::mutex> hold(client.portsLock);
            Connection* connection = connectionOf(source);
            if (!connection)
                return kMIDINoConnection;
            address = connection->address;
            connections.remove_if([source](Connection const& each) { return each.source == source; });
            if (connectionFrom(address))
                return 0;
        }
        snd_seq_disconnect_from(client.seq, number, address.client, address.port);
        return 0;
    }

    // One connected source, with the state of its input. The client's portsLock
    // guards the list and the decoders.
    struct Connection {
        Connection(MIDIEndpointRef source, snd_seq_addr_t address) : source(source), address(address) {}

        MIDIEndpointRef const source;
        snd_seq_addr_t const address;
        AlsaMidiDecoder decoder;
    };

    Connection* connectionFrom(snd_seq_addr_t address)
    {
        for (auto& connection : connections)
            if (connection.address.client == address.client && connection.address.port == address.port)
                return &connection;
        return nullptr;
    }

    int const number;
    MidiInputSink& sink;

private:
    Connection* connectionOf(MIDIEndpointRef source)
    {
        for (auto& connection : connections)
            if (connection.source == source)
                return &connection;
        return nullptr;
    }

    AlsaMidiClient& client;
    std::list<Connection> connections;
};

AlsaMidiClient::AlsaMidiClient(AlsaMidiBackend& backend, snd_seq_t* seq, MidiClientEvents* events)
    : backend(backend), seq(seq), events(events)
{
    snd_seq_set_client_pool_input(seq, inputPool);
    snd_seq_set_input_buffer_size(seq, inputBuffer);
    if (!events) {
        isReady = true;
        return;
    }
    announcePort = snd_seq_create_simple_port(seq, "announcements", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                              SND_SEQ_PORT_TYPE_APPLICATION);
    isReady = announcePort >= 0 && backend.subscribeAnnouncements(seq, announcePort, ours) && startReader();
}

AlsaMidiClient::~AlsaMidiClient()
{
    if (reader.joinable()) {
        waker.wake();
        reader.join();
    }
    backend.closeClient(seq);
}

// Our ports are not exported: they are no endpoints, and no other client subscribes them.
OSStatus AlsaMidiClient::createOutputPort(std::string const& name, std::unique_ptr<MidiBackendOutputPort>& port)
{
    int number = snd_seq_create_simple_port(seq, name.c_str(), SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_NO_EXPORT,
                                            midiPortType);
    if (number < 0)
        return kMIDIMessageSendErr;
    port = std::make_unique<OutputPort>(*this, number);
    return 0;
}

OSStatus AlsaMidiClient::createInputPort(std::string const& name, MidiInputSink& sink,
                                         std::unique_ptr<MidiBackendInputPort>& port)
{
    std::lock_guard<std::mutex> hold(portsLock);
    if (!startReader())
        return kMIDIServerStartErr;
    int number = snd_seq_create_simple_port(seq, name.c_str(), SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                            midiPortType);
    if (number < 0)
        return kMIDIMessageSendErr;
    auto made = std::make_unique<InputPort>(*this, number, sink);
    inputs[number] = made.get();
    port = std::move(made);
    return 0;
}

bool AlsaMidiClient::startReader()
{
    if (!reader.joinable() && waker.valid())
        reader = std::thread([this] { run(); });
    return reader.joinable();
}

void AlsaMidiClient::run()
{
    std::vector<pollfd> descriptors(size_t(snd_seq_poll_descriptors_count(seq, POLLIN)));
    snd_seq_poll_descriptors(seq, descriptors.data(), unsigned(descriptors.size()), POLLIN);
    do {
        snd_seq_event_t* event = nullptr;
        int got;
        // -ENOSPC tells that the kernel dropped events that did not fit our pool.
        while ((got = snd_seq_event_input(seq, &event)) >= 0 || got == -ENOSPC) {
            if (got < 0 || !event)
                continue;
            if (event->dest.port == announcePort)
                announce(*event);
            else
                receive(*event);
        }
    } while (waker.wait(descriptors));
}

void AlsaMidiClient::announce(snd_seq_event_t const& event)
{
    int client = event.data.addr.client;
    switch (event.type) {
    case SND_SEQ_EVENT_CLIENT_START:
        if (backend.isOwnClient(client)) {
            ours.insert(client);
            return;
        }
        break;
    case SND_SEQ_EVENT_CLIENT_EXIT:
        if (ours.erase(client))
            return;
        break;
    default:
        if (ours.count(client))
            return;
    }
    for (auto const& change : backend.announced(event))
        events->changed(change);
}

void AlsaMidiClient::receive(snd_seq_event_t const& event)
{
    std::lock_guard<std::recursive_mutex> delivering(delivery);
    MidiInputSink* sink = nullptr;
    MIDIEndpointRef source = 0;
    std::vector<std::vector<Byte>> messages;
    {
        std::lock_guard<std::mutex> hold(portsLock);
        auto found = inputs.find(event.dest.port);
        if (found == inputs.end())
            return;
        InputPort::Connection* connection = found->second->connectionFrom(event.source);
        if (!connection)
            return;
        messages = connection->decoder.decode(event);
        sink = &found->second->sink;
        source = connection->source;
    }
    if (messages.empty())
        return;
    auto list = packetListOf(messages);
    sink->received(source, reinterpret_cast<MIDIPacketList const*>(list.data()));
}

void AlsaMidiClient::forget(InputPort* port)
{
    std::lock_guard<std::recursive_mutex> delivering(delivery);
    std::lock_guard<std::mutex> hold(portsLock);
    inputs.erase(port->number);
}
