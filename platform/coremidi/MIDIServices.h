#pragma once

// The CoreMIDI functions, types and result codes that the MIDI layer calls, over a
// back-end of our own (MidiBackend.h). Object references are never 0 for a live
// object and never reused. Notifications reach a client's notify procedure on the
// thread that created the client, through that thread's event queue
// (CarbonEvents.h): a thread that never receives events never hears of them.

#include "platform/corefoundation/CFString.h"

#include <cstdint>

typedef int32_t OSStatus;
typedef unsigned long ItemCount;
typedef unsigned long ByteCount;
typedef uint8_t Byte;
typedef uint16_t UInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;

typedef UInt32 MIDIObjectRef;
typedef MIDIObjectRef MIDIClientRef;
typedef MIDIObjectRef MIDIPortRef;
typedef MIDIObjectRef MIDIDeviceRef;
typedef MIDIObjectRef MIDIEntityRef;
typedef MIDIObjectRef MIDIEndpointRef;
typedef UInt64 MIDITimeStamp;

enum MIDIObjectType : SInt32 {
    kMIDIObjectType_Other = -1,
    kMIDIObjectType_Device = 0,
    kMIDIObjectType_Entity = 1,
    kMIDIObjectType_Source = 2,
    kMIDIObjectType_Destination = 3
};

enum : OSStatus {
    kMIDIInvalidClient = -10830,
    kMIDIInvalidPort = -10831,
    kMIDIWrongEndpointType = -10832,
    kMIDINoConnection = -10833,
    kMIDIUnknownEndpoint = -10834,
    kMIDIUnknownProperty = -10835,
    kMIDIWrongPropertyType = -10836,
    kMIDINoCurrentSetup = -10837,
    kMIDIMessageSendErr = -10838,
    kMIDIServerStartErr = -10839,
    kMIDISetupFormatErr = -10840,
    kMIDIWrongThread = -10841,
    kMIDIObjectNotFound = -10842,
    kMIDIIDNotUnique = -10843
};

// Packets are packed: each follows the previous packet's data bytes directly, so a
// packet may start at any address. Read and write them through these members only
// (the compiler handles the alignment); a packet's data may run past 256 bytes.
struct __attribute__((packed)) MIDIPacket {
    MIDITimeStamp timeStamp;
    UInt16 length;
    Byte data[256];
};

struct __attribute__((packed)) MIDIPacketList {
    UInt32 numPackets;
    MIDIPacket packet[1];
};

typedef SInt32 MIDINotificationMessageID;
enum : MIDINotificationMessageID {
    kMIDIMsgSetupChanged = 1,
    kMIDIMsgObjectAdded = 2,
    kMIDIMsgObjectRemoved = 3,
    kMIDIMsgPropertyChanged = 4,
    kMIDIMsgThruConnectionsChanged = 5,
    kMIDIMsgSerialPortOwnerChanged = 6,
    kMIDIMsgIOError = 7
};

struct MIDINotification {
    MIDINotificationMessageID messageID;
    UInt32 messageSize;
};

// kMIDIMsgObjectAdded and kMIDIMsgObjectRemoved.
struct MIDIObjectAddRemoveNotification {
    MIDINotificationMessageID messageID;
    UInt32 messageSize;
    MIDIObjectRef parent;
    MIDIObjectType parentType;
    MIDIObjectRef child;
    MIDIObjectType childType;
};

// kMIDIMsgPropertyChanged; the name is valid during the call.
struct MIDIObjectPropertyChangeNotification {
    MIDINotificationMessageID messageID;
    UInt32 messageSize;
    MIDIObjectRef object;
    MIDIObjectType objectType;
    CFStringRef propertyName;
};

struct MIDISysexSendRequest;

typedef void (*MIDINotifyProc)(MIDINotification const* message, void* refCon);
typedef void (*MIDIReadProc)(MIDIPacketList const* list, void* readProcRefCon, void* srcConnRefCon);
typedef void (*MIDICompletionProc)(MIDISysexSendRequest* request);

// Sent on a thread of the stand-in, which sets complete (and bytesToSend to 0 when
// everything went out) and then calls the completion procedure; after that call it
// touches the request no more.
struct MIDISysexSendRequest {
    MIDIEndpointRef destination;
    Byte const* data;
    UInt32 bytesToSend;
    bool complete;
    Byte reserved[3];
    MIDICompletionProc completionProc;
    void* completionRefCon;
};

// Property names; compared by their text. Endpoints have all four, entities and
// devices only the unique id. A property that is not set reads as kMIDIUnknownProperty.
extern const CFStringRef kMIDIPropertyName;
extern const CFStringRef kMIDIPropertyModel;
extern const CFStringRef kMIDIPropertyManufacturer;
extern const CFStringRef kMIDIPropertyUniqueID;

// Clients. The notify procedure (may be null) hears of objects that come and go.
// Disposing of a client disposes of its ports; once it returns its notify procedure
// is not running and is called no more.
OSStatus MIDIClientCreate(CFStringRef name, MIDINotifyProc notifyProc, void* notifyRefCon, MIDIClientRef* outClient);
OSStatus MIDIClientDispose(MIDIClientRef client);

// Ports. The read procedure runs on a thread of the back-end with the connection's
// reference. Disposing of an input port waits for a running read procedure (unless
// it is called from that procedure); once it returns, none runs any more.
OSStatus MIDIInputPortCreate(MIDIClientRef client, CFStringRef name, MIDIReadProc readProc, void* refCon,
                             MIDIPortRef* outPort);
OSStatus MIDIOutputPortCreate(MIDIClientRef client, CFStringRef name, MIDIPortRef* outPort);
OSStatus MIDIPortConnectSource(MIDIPortRef port, MIDIEndpointRef source, void* connRefCon);
OSStatus MIDIPortDisconnectSource(MIDIPortRef port, MIDIEndpointRef source);
OSStatus MIDIPortDispose(MIDIPortRef port);

// Endpoints as the back-end lists them now; an index out of range gives 0.
ItemCount MIDIGetNumberOfSources();
MIDIEndpointRef MIDIGetSource(ItemCount index);
ItemCount MIDIGetNumberOfDestinations();
MIDIEndpointRef MIDIGetDestination(ItemCount index);
// kMIDIObjectNotFound (and 0) when the endpoint has no entity, or the entity no device.
OSStatus MIDIEndpointGetEntity(MIDIEndpointRef endpoint, MIDIEntityRef* outEntity);
OSStatus MIDIEntityGetDevice(MIDIEntityRef entity, MIDIDeviceRef* outDevice);

// The string is created for the caller, who releases it.
OSStatus MIDIObjectGetStringProperty(MIDIObjectRef object, CFStringRef property, CFStringRef* outString);
OSStatus MIDIObjectGetIntegerProperty(MIDIObjectRef object, CFStringRef property, SInt32* outValue);

// Sends every packet of the list, in order, stopping at the first failure.
OSStatus MIDISend(MIDIPortRef port, MIDIEndpointRef destination, MIDIPacketList const* list);
// Queues the request and returns; see MIDISysexSendRequest.
OSStatus MIDISendSysex(MIDISysexSendRequest* request);

// The first packet of an empty list.
MIDIPacket* MIDIPacketListInit(MIDIPacketList* list);
// Appends one packet after current (a packet returned by MIDIPacketListInit or by the
// previous call) and returns it; packets are never merged. Null when the packet does
// not fit in listSize bytes, or holds more than 65535 bytes.
MIDIPacket* MIDIPacketListAdd(MIDIPacketList* list, ByteCount listSize, MIDIPacket* current, MIDITimeStamp time,
                              ByteCount nData, Byte const* data);
// The packet that follows this one in its list.
MIDIPacket* MIDIPacketNext(MIDIPacket const* packet);
