#pragma once

#include "foundation/BString.h"

namespace Tr {

class MidiDeviceFactory;
class TMidiDeviceBase;

// One MIDI port (one input or one output) as its back-end reports it, with the
// display name and the identifiers by which a remembered port is found again.
class MidiDeviceDescriptor {
public:
    MidiDeviceDescriptor();
    MidiDeviceDescriptor(MidiDeviceFactory* factory, int input, int index, BString const& name,
                         BString const& serial, BString const& interfaceId, BString const& furtherId);
    MidiDeviceDescriptor(MidiDeviceDescriptor const&) = delete;
    MidiDeviceDescriptor& operator=(MidiDeviceDescriptor const&) = delete;

    virtual void AssignFrom(MidiDeviceDescriptor const& other);
    virtual ~MidiDeviceDescriptor();
    // A copy the caller owns.
    virtual MidiDeviceDescriptor* Clone() const;
    // Is other the same port as this remembered one? Which identifiers decide
    // depends on this descriptor's own.
    virtual int Matches(MidiDeviceDescriptor const* other) const;
    // Are this port and other the two directions of one device port?
    virtual int isPairOf(MidiDeviceDescriptor const* other) const;
    // Every field equal, texts exactly.
    virtual int IsEqual(MidiDeviceDescriptor const* other) const;

    // The name, with " (n)" for a duplicate number n above 1.
    BString GetName() const;
    void InvalidateSerialAndInterface();
    int GetType() const;
    BString GetTypeName() const;
    // New device objects for the port (null without factory or in the wrong direction).
    TMidiDeviceBase* CreateDevice();
    TMidiDeviceBase* CreateInputDevice();
    TMidiDeviceBase* CreateOutputDevice();

    MidiDeviceFactory* factory;
    int input;
    int index;
    BString name;
    BString publicName;
    int duplicateNumber;
    BString interfaceId;
    BString serial;
    BString furtherId;
};

} // namespace Tr
