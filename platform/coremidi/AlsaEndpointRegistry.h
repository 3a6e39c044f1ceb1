#pragma once

// The endpoints of the ALSA sequencer's ports, and the references that name them.
// The kernel names a port by its address (client, port), and hands the address of a
// deleted port to the next port it makes; so a reference stands for one life of a
// port: it is made when the port is first seen, and is never used again once the
// port is seen gone (absent from a walk, announced as gone while absent, or the
// address held by another process, card or port name). Knows nothing of the
// sequencer itself: the back-end feeds it what it asked the kernel.

#include "platform/coremidi/MidiBackend.h"

#include <map>
#include <string>
#include <vector>

struct AlsaAddress {
    int client = 0;
    int port = 0;

    bool operator<(AlsaAddress const& other) const
    {
        return client != other.client ? client < other.client : port < other.port;
    }
};

// A port as the kernel lists it.
struct AlsaPortRecord {
    AlsaAddress address;
    std::string clientName;
    std::string portName;
    unsigned capability = 0; // SND_SEQ_PORT_CAP_* bits
    bool kernelClient = false;
    int owner = -1; // the card of a kernel client, the process of a user client
};

// Which endpoints a port is: a source (others may read from it and subscribe to
// it), a destination (likewise for writing), both or neither. The system client 0
// and ports that are not to be exported are neither.
enum : unsigned { kAlsaSource = 1, kAlsaDestination = 2 };
unsigned alsaEndpointKinds(AlsaPortRecord const& port);

class AlsaEndpointRegistry {
public:
    // Every port that a walk of the sequencer found, in address order: ports that
    // are missing are gone. Gives the endpoints of that type.
    std::vector<MidiEndpointInfo> walked(std::vector<AlsaPortRecord> const& ports, MIDIObjectType type);

    // Announcements, with the port as the kernel shows it now; each gives the
    // changes that the clients hear of (object added, removed, property changed).
    // A port that started: added, for each endpoint it is.
    std::vector<MidiObjectChange> started(AlsaPortRecord const& port);
    // A port that exited: removed, for each endpoint it was. present is the port at
    // that address now: when the kernel has already made a new one there, that one
    // keeps the references, as it cannot be told apart.
    std::vector<MidiObjectChange> exited(AlsaAddress address, AlsaPortRecord const* present);
    // A port whose capabilities changed: added or removed for each endpoint it
    // became or stopped being. A new name makes it a new port.
    std::vector<MidiObjectChange> changed(AlsaPortRecord const& port);
    // A client whose name (the model of its endpoints) changed.
    std::vector<MidiObjectChange> clientChanged(int client);

    // The address of a live endpoint of that type; kMIDIWrongEndpointType when the
    // reference names an endpoint of the other type, else kMIDIUnknownEndpoint.
    OSStatus addressOf(MIDIEndpointRef endpoint, MIDIObjectType type, AlsaAddress& address) const;

private:
    struct Life {
        int owner = -1;
        std::string name;
        bool kernelClient = false;
        bool alive = true;
        unsigned kinds = 0;
        MIDIEndpointRef source = 0;
        MIDIEndpointRef destination = 0;
        MIDIEntityRef entity = 0;
        MIDIDeviceRef device = 0;
    };

    // The life of the port now at this address: the current one, or a new one when
    // there is none, it has ended, or the address belongs to another client now.
    Life& lifeOf(AlsaPortRecord const& port);
    // Whether the port is the life that the registry has at its address.
    static bool continues(Life const& life, AlsaPortRecord const& port);
    MIDIDeviceRef deviceOf(AlsaPortRecord const& port) const;
    // Appends the change for each endpoint of these kinds that the life has.
    static void tell(std::vector<MidiObjectChange>& into, MIDINotificationMessageID message, Life const& life,
                     unsigned kinds, std::string const& property = {});

    std::map<AlsaAddress, Life> lives;
};
