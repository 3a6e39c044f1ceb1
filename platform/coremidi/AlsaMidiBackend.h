#pragma once

// The MIDI back-end over the ALSA sequencer. Sources and destinations are the
// exported ports of the other clients of the sequencer (the client's name is the
// model, the port's the name); the clients and ports of this process are not
// endpoints and their announcements are not passed on. Each client of ours is a
// sequencer client of its own, named as it was created.

#include "platform/coremidi/AlsaEndpointRegistry.h"
#include "platform/coremidi/MidiBackend.h"

#include <alsa/asoundlib.h>

#include <mutex>
#include <optional>
#include <set>
#include <string>

class AlsaMidiBackend : public MidiBackend {
public:
    // sequencer: the name that alsa-lib opens ("default": the kernel's sequencer).
    explicit AlsaMidiBackend(std::string sequencer = "default");
    ~AlsaMidiBackend() override;

    // Whether the sequencer can be opened (it is tried again while it cannot).
    bool available();

    std::vector<MidiEndpointInfo> endpoints(MIDIObjectType type) override;
    // kMIDIServerStartErr when the sequencer cannot be opened.
    OSStatus createClient(std::string const& name, MidiClientEvents* events,
                          std::unique_ptr<MidiBackendClient>& client) override;

    // For the clients of this back-end. A sequencer client of this process, named,
    // opened non-blocking; null when the sequencer cannot be opened. alsa-lib's own
    // error line is kept off the standard error stream.
    snd_seq_t* openClient(std::string const& name);
    void closeClient(snd_seq_t* client);
    // Subscribes the port to the system's announcements; fills ours with the clients
    // of this process that exist from then on. False when it cannot.
    bool subscribeAnnouncements(snd_seq_t* client, int port, std::set<int>& ours);
    bool isOwnClient(int client);
    // The changes that an announcement of another client's change brings.
    std::vector<MidiObjectChange> announced(snd_seq_event_t const& announcement);
    // The address of a live endpoint; see AlsaEndpointRegistry::addressOf.
    OSStatus addressOf(MIDIEndpointRef endpoint, MIDIObjectType type, snd_seq_addr_t& address);
    // The status for a call on the endpoint that the sequencer refused:
    // kMIDIUnknownEndpoint when the port is gone, else failure.
    OSStatus refused(snd_seq_addr_t address, OSStatus failure);

private:
    // The registry's lock must be held by the callers of these.
    snd_seq_t* query();
    std::vector<AlsaPortRecord> walk();
    std::optional<AlsaPortRecord> portAt(AlsaAddress address);

    std::string const sequencer;

    // Guards the set of our clients; clients are opened, closed and subscribed to
    // the announcements under it, so an announcement is told apart by the set.
    std::mutex membership;
    std::set<int> ownClients;

    // Guards the client that asks the kernel and the registry: each walk and each
    // announcement is one step, in the kernel's order. Taken before membership.
    std::mutex registryLock;
    snd_seq_t* queryClient = nullptr;
    AlsaEndpointRegistry registry;
};
