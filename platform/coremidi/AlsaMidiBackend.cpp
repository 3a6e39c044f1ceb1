#include "platform/coremidi/AlsaMidiBackend.h"

#include "platform/coremidi/AlsaMidiClient.h"

#include <cerrno>
#include <cstdarg>

// alsa-lib 1.2.8 declares snd_lib_error_set_local outside its extern "C" block, so
// C++ would look for a mangled name: this names the C function itself.
extern "C" snd_local_error_handler_t setLocalAlsaErrorHandler(snd_local_error_handler_t handler) __asm__(
    "snd_lib_error_set_local");

namespace {

void ignoreAlsaError(char const*, int, char const*, int, char const*, va_list) {}

AlsaPortRecord recordOf(snd_seq_client_info_t* client, snd_seq_port_info_t* port)
{
    AlsaPortRecord record;
    record.address = {snd_seq_port_info_get_client(port), snd_seq_port_info_get_port(port)};
    record.clientName = snd_seq_client_info_get_name(client);
    record.portName = snd_seq_port_info_get_name(port);
    record.capability = snd_seq_port_info_get_capability(port);
    record.kernelClient = snd_seq_client_info_get_type(client) == SND_SEQ_KERNEL_CLIENT;
    record.owner = record.kernelClient ? snd_seq_client_info_get_card(client) : snd_seq_client_info_get_pid(client);
    return record;
}

} // namespace

AlsaMidiBackend::AlsaMidiBackend(std::string sequencer) : sequencer(std::move(sequencer)) {}

AlsaMidiBackend::~AlsaMidiBackend()
{
    if (queryClient)
        closeClient(queryClient);
}

bool AlsaMidiBackend::available()
{
    std::lock_guard<std::mutex> hold(registryLock);
    return query() != nullptr;
}

std::vector<MidiEndpointInfo> AlsaMidiBackend::endpoints(MIDIObjectType type)
{
    std::lock_guard<std::mutex> hold(registryLock);
    return registry.walked(walk(), type);
}

OSStatus AlsaMidiBackend::createClient(std::string const& name, MidiClientEvents* events,
                                       std::unique_ptr<MidiBackendClient>& client)
{
    snd_seq_t* opened = openClient(name);
    if (!opened)
        return kMIDIServerStartErr;
    auto made = std::make_unique<AlsaMidiClient>(*this, opened, events);
    if (!made->ready())
        return kMIDIServerStartErr;
    client = std::move(made);
    return 0;
}

snd_seq_t* AlsaMidiBackend::openClient(std::string const& name)
{
    std::lock_guard<std::mutex> hold(membership);
    // The handler is the calling thread's own, so other threads keep theirs.
    snd_local_error_handler_t previous = setLocalAlsaErrorHandler(ignoreAlsaError);
    snd_seq_t* client = nullptr;
    if (snd_seq_open(&client, sequencer.c_str(), SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        client = nullptr;
    setLocalAlsaErrorHandler(previous);
    if (!client)
        return nullptr;
    snd_seq_set_client_name(client, name.c_str());
    ownClients.insert(snd_seq_client_id(client));
    return client;
}

void AlsaMidiBackend::closeClient(snd_seq_t* client)
{
    std::lock_guard<std::mutex> hold(membership);
    int id = snd_seq_client_id(client);
    snd_seq_close(client);
    ownClients.erase(id);
}

bool AlsaMidiBackend::subscribeAnnouncements(snd_seq_t* client, int port, std::set<int>& ours)
{
    std::lock_guard<std::mutex> hold(membership);
    ours = ownClients;
    return snd_seq_connect_from(client, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) == 0;
}

bool AlsaMidiBackend::isOwnClient(int client)
{
    std::lock_guard<std::mutex> hold(membership);
    return ownClients.count(client) != 0;
}

std::vector<MidiObjectChange> AlsaMidiBackend::announced(snd_seq_event_t const& announcement)
{
    std::lock_guard<std::mutex> hold(registryLock);
    AlsaAddress address{announcement.data.addr.client, announcement.data.addr.port};
    std::vector<MidiObjectChange> changes;
    switch (announcement.type) {
    case SND_SEQ_EVENT_CLIENT_START:
    case SND_SEQ_EVENT_CLIENT_EXIT:
        break;
    case SND_SEQ_EVENT_CLIENT_CHANGE:
        changes = registry.clientChanged(address.client);
        break;
    case SND_SEQ_EVENT_PORT_START:
        if (auto port = portAt(address))
            changes = registry.started(*port);
        break;
    case SND_SEQ_EVENT_PORT_EXIT: {
        auto port = portAt(address);
        changes = registry.exited(address, port ? &*port : nullptr);
        break;
    }
    case SND_SEQ_EVENT_PORT_CHANGE:
        if (auto port = portAt(address))
            changes = registry.changed(*port);
        break;
    default:
        return changes;
    }
    bool clientCameOrWent =
        announcement.type == SND_SEQ_EVENT_CLIENT_START || announcement.type == SND_SEQ_EVENT_CLIENT_EXIT;
    if (clientCameOrWent || !changes.empty())
        changes.push_back(MidiObjectChange{});
    return changes;
}

OSStatus AlsaMidiBackend::addressOf(MIDIEndpointRef endpoint, MIDIObjectType type, snd_seq_addr_t& address)
{
    std::lock_guard<std::mutex> hold(registryLock);
    AlsaAddress found;
    OSStatus status = registry.addressOf(endpoint, type, found);
    address.client = (unsigned char)found.client;
    address.port = (unsigned char)found.port;
    return status;
}

OSStatus AlsaMidiBackend::refused(snd_seq_addr_t address, OSStatus failure)
{
    std::lock_guard<std::mutex> hold(registryLock);
    return portAt({address.client, address.port}) ? failure : kMIDIUnknownEndpoint;
}

snd_seq_t* AlsaMidiBackend::query()
{
    if (!queryClient)
        queryClient = openClient(program_invocation_short_name);
    return queryClient;
}

std::vector<AlsaPortRecord> AlsaMidiBackend::walk()
{
    std::vector<AlsaPortRecord> ports;
    snd_seq_t* seq = query();
    if (!seq)
        return ports;
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) == 0) {
        int number = snd_seq_client_info_get_client(client);
        if (isOwnClient(number))
            continue;
        snd_seq_port_info_set_client(port, number);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) == 0)
            ports.push_back(recordOf(client, port));
    }
    return ports;
}

std::optional<AlsaPortRecord> AlsaMidiBackend::portAt(AlsaAddress address)
{
    snd_seq_t* seq = query();
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    if (!seq || snd_seq_get_any_client_info(seq, address.client, client) < 0 ||
        snd_seq_get_any_port_info(seq, address.client, address.port, port) < 0)
        return std::nullopt;
    return recordOf(client, port);
}
