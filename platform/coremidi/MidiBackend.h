#pragma once

// The system below the CoreMIDI functions. One back-end serves the whole process,
// chosen at the first MIDI call (midiBackend). The functions of MIDIServices.h keep
// the clients, ports, connections, notification delivery and packet lists; a
// back-end only lists endpoints, opens clients and ports, moves bytes, and reports
// changes. Every call may come from any thread.

#include "platform/coremidi/MIDIServices.h"

#include <memory>
#include <string>
#include <vector>

// One endpoint as the back-end lists it. The references stay valid while the
// endpoint lives; entity and device are 0 when it has none.
struct MidiEndpointInfo {
    MIDIEndpointRef endpoint = 0;
    std::string name;
    std::string model;
    std::string manufacturer;
    SInt32 uniqueId = 0;
    MIDIEntityRef entity = 0;
    SInt32 entityUniqueId = 0;
    MIDIDeviceRef device = 0;
    SInt32 deviceUniqueId = 0;
};

// A change that a client's notify procedure hears of; property is set only for
// kMIDIMsgPropertyChanged (the changed object is the child).
struct MidiObjectChange {
    MIDINotificationMessageID message = kMIDIMsgSetupChanged;
    MIDIObjectRef parent = 0;
    MIDIObjectType parentType = kMIDIObjectType_Other;
    MIDIObjectRef child = 0;
    MIDIObjectType childType = kMIDIObjectType_Other;
    std::string property;
};

// Told of changes, from any thread of the back-end, one at a time per client.
class MidiClientEvents {
public:
    virtual ~MidiClientEvents() = default;
    virtual void changed(MidiObjectChange const& change) = 0;
};

// Told of packets that a connected source sent to an input port.
class MidiInputSink {
public:
    virtual ~MidiInputSink() = default;
    virtual void received(MIDIEndpointRef source, MIDIPacketList const* list) = 0;
};

class MidiBackendOutputPort {
public:
    virtual ~MidiBackendOutputPort() = default;
    // One packet to a destination: kMIDIUnknownEndpoint when there is no such
    // destination (any more), kMIDIWrongEndpointType for a source.
    virtual OSStatus send(MIDIEndpointRef destination, MIDITimeStamp time, Byte const* data, size_t length) = 0;
};

class MidiBackendInputPort {
public:
    // Once it returns, the sink is not running (unless this runs inside it) and is
    // called no more.
    virtual ~MidiBackendInputPort() = default;
    virtual OSStatus connect(MIDIEndpointRef source) = 0;
    virtual OSStatus disconnect(MIDIEndpointRef source) = 0;
};

class MidiBackendClient {
public:
    // Its ports are gone first. Once it returns, its events are told nothing more.
    virtual ~MidiBackendClient() = default;
    virtual OSStatus createOutputPort(std::string const& name, std::unique_ptr<MidiBackendOutputPort>& port) = 0;
    virtual OSStatus createInputPort(std::string const& name, MidiInputSink& sink,
                                     std::unique_ptr<MidiBackendInputPort>& port) = 0;
};

class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    // The live sources (kMIDIObjectType_Source) or destinations, in a stable order.
    virtual std::vector<MidiEndpointInfo> endpoints(MIDIObjectType type) = 0;
    // events is null when the client has no notify procedure.
    virtual OSStatus createClient(std::string const& name, MidiClientEvents* events,
                                  std::unique_ptr<MidiBackendClient>& client) = 0;
};

// A reference for a new object, shared by the stand-in and its back-ends.
MIDIObjectRef newMidiObjectRef();

// The back-end of this process, chosen at the first call (MidiBackendChoice.cpp) and
// kept until the process ends.
MidiBackend& midiBackend();
