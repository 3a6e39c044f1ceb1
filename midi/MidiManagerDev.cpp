#include "midi/MidiManagerDev.h"

#include "midi/MidiManager.h"
#include "midi/TMidiAliasManager.h"
#include "midi/TMidiRouter.h"

#include <memory>

namespace Tr {

namespace {

char const* const kSectionIn = "MIDI.in";
char const* const kSectionOut = "MIDI.out";

MidiDeviceDescriptor* cloneOrEmpty(MidiDeviceDescriptor* desc)
{
    return desc ? desc->Clone() : new MidiDeviceDescriptor;
}

// The type code from the flags, overridden by the 8 hex digits from position at
// when the options reach that far and the digits are valid.
unsigned int typeFromOptions(BString const& options, int pexaAt, int internalAt, int hexAt)
{
    int length = options.length();
    unsigned int type = kMidiTypeCoreMidi;
    if (length > pexaAt && options[pexaAt] == 'T')
        type = kMidiTypePexaVirtual;
    if (length > internalAt && options[internalAt] == 'T')
        type = kMidiTypeInternal;
    unsigned int stored = 0;
    if (length >= hexAt + 8 && options.parseHex(stored, hexAt, 8))
        type = stored;
    return type;
}

BString typeFlags(unsigned int type)
{
    BString flags;
    flags.append(type == kMidiTypePexaVirtual ? 'T' : 'F');
    flags.append(type == kMidiTypeInternal ? 'T' : 'F');
    return flags + BString::toHex(type, 8);
}

} // namespace

BLock& MidiManagerDev::StateLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

MidiManagerDev::MidiManagerDev(MidiDeviceDescriptor* desc, int index) : index(index), descriptor(cloneOrEmpty(desc))
{
}

MidiManagerDev::~MidiManagerDev()
{
    discard(device);
    delete descriptor;
}

void MidiManagerDev::AssignFrom(MidiManagerDev const& other)
{
    std::unique_ptr<MidiDeviceDescriptor> otherDescriptor;
    {
        BLockHolder hold(StateLock());
        otherDescriptor.reset(other.descriptor->Clone());
        index = other.index;
        pending = other.pending;
        exists = other.exists;
        seen = 0;
        displayName = other.displayName;
        aliases.AssignFrom(&other.aliases);
    }
    SetDescriptor(otherDescriptor.get());
}

void MidiManagerDev::RebuildAliasList()
{
    BString name;
    int slotIndex = -1;
    unsigned int type = 0;
    {
        BLockHolder hold(StateLock());
        if (!exists)
            return;
        name = descriptor->GetName();
        slotIndex = index;
        type = unsigned(descriptor->GetType());
    }
    if (!TMidiAliasManager::IsInstanceAllocated())
        return;
    TMidiAliasList found;
    TMidiAliasManager::instance()->FillAliasListByDevice(name, IsInput() ? AliasMidiIn : AliasMidiOut, found);
    for (int i = found.count - 1; i >= 0; --i)
        found.items[i]->SetMidiManagerDev(slotIndex, type);
    BLockHolder hold(StateLock());
    aliases.AssignFrom(&found);
}

void MidiManagerDev::GetAliasList(TMidiAliasList& list) const
{
    BLockHolder hold(StateLock());
    list.AssignFrom(&aliases);
}

int MidiManagerDev::GetIndex() const
{
    BLockHolder hold(StateLock());
    return index;
}

int MidiManagerDev::Exists() const
{
    BLockHolder hold(StateLock());
    return exists;
}

int MidiManagerDev::IsPending() const
{
    BLockHolder hold(StateLock());
    return pending;
}

BString MidiManagerDev::GetLastError() const
{
    BLockHolder hold(StateLock());
    return lastError;
}

int MidiManagerDev::IsOpen() const
{
    BLockHolder hold(StateLock());
    return device && device->IsOpen();
}

TMidiDeviceBase* MidiManagerDev::GetDev()
{
    {
        BLockHolder hold(StateLock());
        if (device)
            return device;
    }
    CreateDevice();
    BLockHolder hold(StateLock());
    return device;
}

BString MidiManagerDev::GetDisplayDevName() const
{
    BLockHolder hold(StateLock());
    return displayName.isNotEmpty() ? displayName : descriptor->GetName();
}

BString MidiManagerDev::GetName() const
{
    BLockHolder hold(StateLock());
    return descriptor->GetName();
}

unsigned int MidiManagerDev::GetType() const
{
    BLockHolder hold(StateLock());
    return unsigned(descriptor->GetType());
}

int MidiManagerDev::SameInterfaceName(BString const& text) const
{
    BLockHolder hold(StateLock());
    return descriptor->interfaceId.equalsIgnoreCase(text);
}

void MidiManagerDev::SetDescriptor(MidiDeviceDescriptor* desc)
{
    if (!desc)
        return;
    TMidiDeviceBase* current = nullptr;
    {
        BLockHolder hold(StateLock());
        if (!descriptor->IsEqual(desc)) {
            MidiDeviceDescriptor* clone = desc->Clone();
            delete descriptor;
            descriptor = clone;
        }
        current = device;
    }
    if (!current)
        return;
    if (current->GetDescriptor()->GetType() == desc->GetType())
        current->SetDescriptor(desc);
    else
        discard(detachDevice());
}

void MidiManagerDev::SetDescriptor(unsigned int type, int input, BString const& name)
{
    MidiDeviceFactory* factory = MidiManager::instance()->GetFactory(type);
    auto placeholder = new MidiDeviceDescriptor(factory, input, -1, name, BString(), BString(), BString());
    BLockHolder hold(StateLock());
    delete descriptor;
    descriptor = placeholder;
}

void MidiManagerDev::ReplaceDevice(TMidiDeviceBase* newDevice)
{
    discard(detachDevice());
    if (!newDevice)
        return;
    MidiDeviceDescriptor* own = nullptr;
    {
        BLockHolder hold(StateLock());
        newDevice->owner = this;
        newDevice->ownerIndex = index;
        device = newDevice;
        own = descriptor;
    }
    SetDescriptor(own);
}

TMidiDeviceBase* MidiManagerDev::detachDevice()
{
    BLockHolder hold(StateLock());
    TMidiDeviceBase* taken = device;
    device = nullptr;
    return taken;
}

void MidiManagerDev::adoptNewDevice(TMidiDeviceBase* newDevice)
{
    SetDescriptor(newDevice->GetDescriptor());
    BLockHolder hold(StateLock());
    newDevice->owner = this;
    newDevice->ownerIndex = index;
    device = newDevice;
}

BString MidiManagerDev::nameKey(int number)
{
    return IniListKey("Name", number);
}

BString MidiManagerDev::optionsKey(int number)
{
    return IniListKey("Options", number);
}

char MidiManagerDev::flag(bool on)
{
    return on ? 'T' : 'F';
}

MMDevIn::MMDevIn(unsigned int type, int index, BString const& name) : MidiManagerDev(nullptr, index)
{
    SetDescriptor(type, 1, name);
}

MMDevIn::MMDevIn(MidiDeviceDescriptor* desc, int index) : MidiManagerDev(desc, index) {}

void MMDevIn::CreateDevice()
{
    discard(detachDevice());
    MidiDeviceDescriptor* own = nullptr;
    int sensing = 1;
    int clock = 1;
    {
        BLockHolder hold(StateLock());
        own = descriptor;
        sensing = activeSensing;
        clock = timingClock;
    }
    auto input = dynamic_cast<TMidiInputBase*>(own->CreateInputDevice());
    if (!input)
        return;
    input->SetDataListener(MidiManager::instance());
    input->SetActiveSensing(sensing);
    input->SetTimingClock(clock);
    adoptNewDevice(input);
}

void MMDevIn::loadFromIniFile(TIniFile& ini, int number)
{
    BString name = ini.ReadString(kSectionIn, nameKey(number), BString());
    BString options = ini.ReadString(kSectionIn, optionsKey(number), BString());
    if (options.length() >= 1)
        SetActiveSensing(options[0] == 'T');
    if (options.length() >= 2)
        SetTimingClock(options[1] == 'T');
    SetDescriptor(typeFromOptions(options, 2, 3, 4), 1, name);
}

void MMDevIn::saveToIniFile(TIniFile& ini, int number)
{
    BString options;
    {
        BLockHolder hold(StateLock());
        options.append(flag(activeSensing));
        options.append(flag(timingClock));
    }
    ini.WriteString(kSectionIn, nameKey(number), GetName());
    ini.WriteString(kSectionIn, optionsKey(number), options + typeFlags(GetType()));
}

void MMDevIn::RebuildThruList()
{
    int slotIndex = -1;
    {
        BLockHolder hold(StateLock());
        if (!exists)
            return;
        slotIndex = index;
    }
    if (!TMidiRouter::IsInstanceAllocated())
        return;
    TMidiAliasList found;
    TMidiRouter::instance()->GetRoutes().GetOutAliasesByInUserID(slotIndex, found);
    BLockHolder hold(StateLock());
    thru.AssignFrom(&found);
}

void MMDevIn::GetThruList(TMidiAliasList& list) const
{
    BLockHolder hold(StateLock());
    list.AssignFrom(&thru);
}

void MMDevIn::AssignFrom(MMDevIn const& other)
{
    MidiManagerDev::AssignFrom(other);
    {
        BLockHolder hold(StateLock());
        thru.AssignFrom(&other.thru);
    }
    SetActiveSensing(other.GetActiveSensing());
    SetTimingClock(other.GetTimingClock());
}

int MMDevIn::IsInput() const
{
    return 1;
}

int MMDevIn::GetTimingClock() const
{
    BLockHolder hold(StateLock());
    return timingClock;
}

int MMDevIn::GetActiveSensing() const
{
    BLockHolder hold(StateLock());
    return activeSensing;
}

void MMDevIn::SetTimingClock(int on)
{
    BLockHolder hold(StateLock());
    if (on == timingClock)
        return;
    timingClock = on;
    if (auto input = dynamic_cast<TMidiInputBase*>(device))
        input->SetTimingClock(on);
}

void MMDevIn::SetActiveSensing(int on)
{
    BLockHolder hold(StateLock());
    if (on == activeSensing)
        return;
    activeSensing = on;
    if (auto input = dynamic_cast<TMidiInputBase*>(device))
        input->SetActiveSensing(on);
}

MMDevOut::MMDevOut(unsigned int type, int index, BString const& name) : MidiManagerDev(nullptr, index)
{
    SetDescriptor(type, 0, name);
}

MMDevOut::MMDevOut(MidiDeviceDescriptor* desc, int index) : MidiManagerDev(desc, index) {}

void MMDevOut::CreateDevice()
{
    discard(detachDevice());
    MidiDeviceDescriptor* own = nullptr;
    {
        BLockHolder hold(StateLock());
        own = descriptor;
    }
    if (TMidiDeviceBase* output = own->CreateOutputDevice())
        adoptNewDevice(output);
}

void MMDevOut::loadFromIniFile(TIniFile& ini, int number)
{
    BString name = ini.ReadString(kSectionOut, nameKey(number), BString());
    BString options = ini.ReadString(kSectionOut, optionsKey(number), BString());
    SetDescriptor(typeFromOptions(options, 0, 1, 2), 0, name);
}

void MMDevOut::saveToIniFile(TIniFile& ini, int number)
{
    ini.WriteString(kSectionOut, nameKey(number), GetName());
    ini.WriteString(kSectionOut, optionsKey(number), typeFlags(GetType()));
}

int MMDevOut::IsInput() const
{
    return 0;
}

} // namespace Tr
