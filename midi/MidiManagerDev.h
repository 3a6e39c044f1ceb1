#pragma once

#include "foundation/BLock.h"
#include "foundation/BString.h"
#include "foundation/TIniFile.h"
#include "midi/MidiDeviceDescriptor.h"
#include "midi/TMidiAlias.h"
#include "midi/TMidiDevice.h"

namespace Tr {

class MidiManager;

// Four-character back-end type codes, first character in the lowest byte.
constexpr unsigned int kMidiTypeCoreMidi = 0x4944494D; // "MIDI"
constexpr unsigned int kMidiTypePexaVirtual = 0x44494D50; // "PMID"
constexpr unsigned int kMidiTypeInternal = 0x4D746E49; // "IntM"

// The MIDI manager's record of one port of one direction: the port as last
// reported, whether it is present and whether it is to be opened once present, the
// device object that opens it, and the aliases that name the port. A slot stays in
// its list for the manager's life.
//
// Every slot's state and the manager's slot lists are guarded by StateLock, held
// briefly: never while a listener runs or a device object opens or closes. Device
// objects are made, moved and deleted only under the manager's lock (which is
// taken before StateLock, never after); so the operations that do so
// (SetDescriptor, ReplaceDevice, CreateDevice, GetDev) run with that lock held and
// StateLock not held, or on a slot that no other thread sees yet.
class MidiManagerDev {
public:
    static BLock& StateLock();

    MidiManagerDev(MidiDeviceDescriptor* desc, int index);
    MidiManagerDev(MidiManagerDev const&) = delete;
    MidiManagerDev& operator=(MidiManagerDev const&) = delete;

    // Makes a new, closed device object for the port (null when the port has no
    // back-end or another direction); an old one is closed and deleted first.
    virtual void CreateDevice() = 0;
    // One entry of the slot's ini section, numbered.
    virtual void loadFromIniFile(TIniFile& ini, int number) = 0;
    virtual void saveToIniFile(TIniFile& ini, int number) = 0;
    // Deletes the device object, which closes an open port.
    virtual ~MidiManagerDev();
    // The state of other, without its device object.
    virtual void AssignFrom(MidiManagerDev const& other);
    virtual int IsInput() const = 0;
    // A present port's list becomes the aliases of its direction that name it,
    // each told this slot's index and type; an absent port keeps its list.
    virtual void RebuildAliasList();
    // A copy of the alias list.
    void GetAliasList(TMidiAliasList& list) const;

    int GetIndex() const;
    int Exists() const;
    int IsPending() const;
    BString GetLastError() const;
    int IsOpen() const;
    // The device object, made first when there is none; may still be null.
    TMidiDeviceBase* GetDev();
    // The port's display name, unless an override is set.
    BString GetDisplayDevName() const;
    // The descriptor's name (the display name, duplicate suffix included).
    BString GetName() const;
    // The type code of the descriptor's back-end, 0 without one.
    unsigned int GetType() const;
    // The port's interface identifier equals text, ignoring case.
    int SameInterfaceName(BString const& text) const;

    // Keeps a clone unless desc equals the current descriptor; a device object of
    // the same back-end takes desc too, one of another back-end is deleted.
    void SetDescriptor(MidiDeviceDescriptor* desc);
    // A placeholder descriptor of the back-end registered for that type.
    void SetDescriptor(unsigned int type, int input, BString const& name);
    // Closes and deletes the device object, then takes device (may be null).
    void ReplaceDevice(TMidiDeviceBase* device);

protected:
    friend class MidiManager;

    // Takes the device object out of the slot; the caller closes and deletes it.
    TMidiDeviceBase* detachDevice();
    // The device object was made for this slot: it follows the slot from now on.
    void adoptNewDevice(TMidiDeviceBase* device);
    // Texts of an ini entry's keys.
    static BString nameKey(int number);
    static BString optionsKey(int number);
    // "T" or "F".
    static char flag(bool on);

    // Guarded by StateLock.
    int index;
    MidiDeviceDescriptor* descriptor;
    int pending = 0;
    int exists = 0;
    int seen = 0;
    BString lastError;
    BString displayName;
    TMidiAliasList aliases;
    TMidiDeviceBase* device = nullptr;
};

// A MIDI IN slot: its device object delivers to the MIDI manager, and passes on
// Timing Clock and Active Sensing only while the slot's switches are on.
class MMDevIn : public MidiManagerDev {
public:
    MMDevIn(unsigned int type, int index, BString const& name);
    MMDevIn(MidiDeviceDescriptor* desc, int index);

    void CreateDevice() override;
    // "MIDI.in": the name, and options of 12 characters: active sensing, timing
    // clock, PMID and IntM flags ("T" or "F"), then the type code in 8 hex digits.
    void loadFromIniFile(TIniFile& ini, int number) override;
    void saveToIniFile(TIniFile& ini, int number) override;
    // A present port's thru list becomes the output aliases that the router's
    // routes from this slot lead to; an absent port keeps its list.
    virtual void RebuildThruList();
    // A copy of the thru list.
    void GetThruList(TMidiAliasList& list) const;
    using MidiManagerDev::AssignFrom;
    // Also the thru list and the two switches.
    virtual void AssignFrom(MMDevIn const& other);
    int IsInput() const override;

    int GetTimingClock() const;
    int GetActiveSensing() const;
    void SetTimingClock(int on);
    void SetActiveSensing(int on);

private:
    friend class MidiManager;

    // Guarded by StateLock.
    TMidiAliasList thru;
    int timingClock = 1;
    int activeSensing = 1;
};

class MMDevOut : public MidiManagerDev {
public:
    MMDevOut(unsigned int type, int index, BString const& name);
    MMDevOut(MidiDeviceDescriptor* desc, int index);

    void CreateDevice() override;
    // "MIDI.out": the name, and options of 10 characters: PMID and IntM flags, then
    // the type code in 8 hex digits.
    void loadFromIniFile(TIniFile& ini, int number) override;
    void saveToIniFile(TIniFile& ini, int number) override;
    int IsInput() const override;
};

// A device object that a rescan moves from one slot to another.
struct MMDevTransfer {
    int oldIndex;
    int newIndex;
    TMidiDeviceBase* device;
};

} // namespace Tr
