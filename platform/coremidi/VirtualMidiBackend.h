#pragma once

// The in-process MIDI back-end, used by the tests and wherever the system's MIDI is
// missing: test code plugs endpoints in and out, every packet sent is recorded,
// input can be injected, and any call can be made to fail.

#include "platform/coremidi/MidiBackend.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <set>

// What test code plugs in: an endpoint and, optionally, its entity and device.
struct VirtualMidiPort {
    std::string name;
    std::string model;
    std::string manufacturer;
    SInt32 uniqueId = 0;
    std::optional<SInt32> entityId; // none: no entity, and so no device
    std::optional<SInt32> deviceId; // none: the entity has no device
};

struct VirtualMidiPacket {
    MIDIEndpointRef destination;
    MIDITimeStamp timeStamp;
    std::vector<Byte> bytes;
};

// The calls that can be made to fail.
enum class VirtualMidiCall { CreateClient, CreateOutputPort, CreateInputPort, Connect, Send };

class VirtualMidiBackend : public MidiBackend {
public:
    VirtualMidiBackend();
    ~VirtualMidiBackend() override;

    // Plugs an endpoint in at position (past the end: last) and tells every client
    // (object added, then setup changed).
    MIDIEndpointRef add(MIDIObjectType type, VirtualMidiPort const& port, size_t position = SIZE_MAX);
    // Unplugs it and tells every client; false when there is no such endpoint.
    bool remove(MIDIEndpointRef endpoint);
    // The first endpoint of that kind and name, or 0.
    MIDIEndpointRef find(MIDIObjectType type, std::string const& name);
    // Back to no endpoints, no packets, no failures and nothing held, telling nobody.
    void reset();

    // The packets reach every input port connected to the source, on the calling
    // thread; kMIDIUnknownEndpoint when there is no such source.
    OSStatus inject(MIDIEndpointRef source, MIDIPacketList const* list);
    // Every packet sent since the last reset, in order.
    std::vector<VirtualMidiPacket> sent() const;
    // From now on the call gives that status; 0 makes it succeed again.
    void fail(VirtualMidiCall call, OSStatus status);
    // While held, sends wait, so a test can act while a send is in progress.
    void holdSends(bool hold);
    // While held, endpoints still come and go but clients hear of it only on the
    // release, in order: a test decides when the program learns of a change.
    void holdChanges(bool hold);
    // Appends one line per packet sent (upper-case hex bytes separated by blanks) to
    // the file, flushed at once; false when it cannot be opened.
    bool logTo(std::string const& path);

    std::vector<MidiEndpointInfo> endpoints(MIDIObjectType type) override;
    OSStatus createClient(std::string const& name, MidiClientEvents* events,
                          std::unique_ptr<MidiBackendClient>& client) override;

private:
    class Client;
    class OutputPort;
    class InputPort;

    std::vector<MidiEndpointInfo>& listOf(MIDIObjectType type);
    std::vector<MidiEndpointInfo> const& listOf(MIDIObjectType type) const;
    MidiEndpointInfo const* lookUp(MIDIObjectType type, MIDIEndpointRef endpoint) const;
    OSStatus failure(VirtualMidiCall call) const;
    OSStatus endpointStatus(MIDIObjectType wanted, MIDIEndpointRef endpoint) const;
    // Tells every client of the change, then that the setup changed.
    void tellClients(MidiObjectChange const& change);
    OSStatus record(MIDIEndpointRef destination, MIDITimeStamp time, Byte const* data, size_t length);
    void forget(Client* client);
    void forget(InputPort* port);

    // Guards everything below. Clients are told of changes under it.
    mutable std::mutex lock;
    std::condition_variable sendsReleased;
    std::vector<MidiEndpointInfo> sources;
    std::vector<MidiEndpointInfo> destinations;
    std::vector<Client*> listeners;
    std::vector<InputPort*> inputs;
    std::vector<VirtualMidiPacket> packets;
    std::map<VirtualMidiCall, OSStatus> failures;
    bool sendsHeld = false;
    bool changesHeld = false;
    std::vector<MidiObjectChange> heldChanges;
    std::FILE* log = nullptr;

    // Held while packets are handed to input ports and while one is destroyed, so
    // that destruction waits for a running delivery; recursive, because a read
    // procedure may dispose of its own port.
    std::recursive_mutex delivery;
};

// The process's back-end when it is the virtual one, else null.
VirtualMidiBackend* virtualMidiBackend();
