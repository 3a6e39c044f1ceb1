#pragma once

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/BString.h"
#include "foundation/TIniFile.h"

#include <functional>

namespace Tr {

// What an alias names; an alias of type AliasNone was removed. Stored as an int.
enum TAliasType : int {
    AliasNone = 0,
    AliasMidiIn = 1,
    AliasMidiOut = 2,
    AliasSerial = 3,
};

extern BString const SECTION_ALIAS;
extern BString const IDENT_NAME;
extern BString const IDENT_DEVICE;
extern BString const MidiAliasMagic;
extern BString const SAliasNone;
extern BString const SAliasMidiIn;
extern BString const SAliasMidiOut;
extern BString const SAliasSerial;

// "None", "MIDI IN", "MIDI OUT", "Serial Port"; empty for any other value.
BString GetAliasTypeDisplayString(TAliasType type);
// Not empty and without a double quote.
bool IsLegalMidiAliasName(BString const& name);
// Reads an alias export text ("MIDA", a count, the names) at start: counted hears
// the count, then named each name as it is read. Returns the characters consumed:
// 0 for another text or a start outside it. A malformed count or name throws
// Tr::Exception, the names before it already heard.
int ReadMidiAliasNames(BString const& text, int start, std::function<void(unsigned int)> const& counted,
                       std::function<void(BString const&)> const& named);

// A named, typed pointer to a MIDI port: the alias name and the name of the device
// it stands for. The alias manager owns every alias and keeps it at one address for
// its whole life, so others may hold alias pointers.
//
// Aliases are shared by the message thread and the thread that rescans the MIDI
// devices: every field is guarded by StateLock, a lock that is never held while
// anything outside the alias family is called.
class TMidiAlias {
public:
    static BLock& StateLock();

    TMidiAlias(BString const& name, BString const& deviceName, TAliasType type);
    // Type and device from entry index of the ini file's "MIDI.alias" section.
    TMidiAlias(BString const& name, TIniFile& ini, int index);
    TMidiAlias(TMidiAlias const&) = delete;
    TMidiAlias& operator=(TMidiAlias const&) = delete;
    virtual ~TMidiAlias();

    // "Device<index>" is "type:device name"; a value that does not start with a
    // type from 0 to 3 and a colon gives type 0 and no device.
    void loadFromIniFile(TIniFile& ini, int index);
    // Writes "Name<index>" and "Device<index>".
    void saveToIniFile(TIniFile& ini, int index) const;
    // Same type, and the names equal ignoring case.
    int SameAs(BString const& name, TAliasType type) const;

    TAliasType GetType() const;
    BString GetName() const;
    BString GetDeviceName() const;
    // Types MIDI IN and serial port count as input.
    int IsInput() const;
    int GetProjectUse() const;
    // The MIDI manager's slot that the alias names, written by the manager as it
    // fills its slots' alias lists: -1 and 0 when none.
    int GetMidiManagerDevIndex() const;
    unsigned int GetMidiManagerDevType() const;
    void SetMidiManagerDev(int index, unsigned int type);

private:
    friend class TMidiAliasList;
    friend class TMidiAliasManager;

    // Guarded by StateLock.
    TAliasType type;
    BString name;
    BString deviceName;
    int projectUse = 0;
    int midiManagerDevIndex = -1;
    unsigned int midiManagerDevType = 0;
};

// A list of alias pointers that it does not own.
class TMidiAliasList : public BList<TMidiAlias*> {
public:
    // Appends the alias unless it is null or in the list already.
    virtual void Add(TMidiAlias* alias);
    void Add(TMidiAliasList const* other);
    void AssignFrom(TMidiAliasList const* other);

    // The index must be valid.
    TMidiAlias* GetAlias(int index) const;
    int Exists(BString const& name, TAliasType type) const;
    // The first alias of that type and name (ignoring case); null when none.
    TMidiAlias* GetAliasByNameAndType(BString const& name, TAliasType type) const;
    // The first alias of that name, of any type.
    TMidiAlias* GetAliasByName(BString const& name) const;
    int GetCountOfType(TAliasType type) const;
    int ContainsMidiManagerDevIndex(int index) const;
    int ContainsMidiManagerDevType(unsigned int type) const;

    // "MIDA", the number of aliases of that type in four or more hexadecimal
    // digits, then each of their names in the ini value encoding.
    BString ExportToString(TAliasType type) const;
    // Fills the list from such a text at start, taking (and creating where
    // missing) the alias manager's aliases of that type and name. Returns the
    // characters consumed: 0 for another text or a start outside it. A malformed
    // count or name throws Tr::Exception; the names before it stay in the list.
    int ImportFromString(BString const& text, int start, TAliasType type);
    // The names of the aliases in use, joined by ", "; a name with a comma quoted.
    BString getCommaSeparatedString() const;
};

} // namespace Tr
