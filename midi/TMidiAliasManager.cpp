#include "midi/TMidiAliasManager.h"

#include "midi/MidiManagerMadeInstance.h"

#include <map>
#include <memory>
#include <vector>

namespace Tr {

namespace {

// Each slot of the direction by its name, the last of a name winning as GetDevIndex
// finds it: one pass over the slots rather than one per alias.
std::map<BString, MidiManagerDev*> slotsByName(MidiManager& manager, int input)
{
    std::map<BString, MidiManagerDev*> slots;
    for (int i = 0, count = manager.GetDevCount(input); i < count; ++i)
        if (MidiManagerDev* slot = manager.GetDevDescriptor(i, input))
            slots[slot->GetName()] = slot;
    return slots;
}

} // namespace

std::atomic<TMidiAliasManager*> TMidiAliasManager::inst{nullptr};
std::atomic<int> TMidiAliasManager::hadAlreadyBeenDestroyed{0};

TMidiAliasManager* TMidiAliasManager::instance()
{
    return midiManagerMadeInstance(inst, hadAlreadyBeenDestroyed, "Cannot re-instantiate TMidiAliasManager!",
                                   [] { return new TMidiAliasManager; });
}

bool TMidiAliasManager::IsInstanceAllocated()
{
    return inst != nullptr;
}

TMidiAliasManager::TMidiAliasManager()
{
    inst = this;
    setMaintainDeviceAliases(1);
}

TMidiAliasManager::~TMidiAliasManager()
{
    if (MidiManager::IsInstanceAllocated())
        MidiManager::instance()->RemoveDevListChangeListener(this);
    {
        BLockHolder hold(TMidiAlias::StateLock());
        aliases.clearAndDelete();
    }
    listeners.clear();
    inst = nullptr;
    hadAlreadyBeenDestroyed = 1;
}

void TMidiAliasManager::setMaintainDeviceAliases(int on)
{
    int value = on ? 1 : 0;
    if (maintainingDeviceAliases.exchange(value) == value || !value)
        return;
    addDeviceAliases();
    MidiManager::instance()->AddDevListChangeListener(this);
}

int TMidiAliasManager::isMaintainingDeviceAliases() const
{
    return maintainingDeviceAliases;
}

void TMidiAliasManager::OnMidiDeviceListChanged()
{
    if (maintainingDeviceAliases)
        addDeviceAliases();
}

TMidiAlias* TMidiAliasManager::GetAliasByName(BString const& name, TAliasType type, int create)
{
    TMidiAlias* alias = nullptr;
    bool added = false;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        int index = indexOfLocked(name, type);
        if (index < 0 && create) {
            index = appendLocked(name, BString(), type);
            added = true;
        }
        if (index < 0)
            return nullptr;
        alias = aliases.items[index];
        if (create)
            alias->projectUse |= 1;
    }
    if (added)
        FireAliasChangeEvent();
    return alias;
}

bool TMidiAliasManager::ModifyAlias(BString const& name, TAliasType type, BString const& newName,
                                    BString const& newDeviceName, bool addIfMissing)
{
    {
        BLockHolder hold(TMidiAlias::StateLock());
        int index = indexOfLocked(name, type);
        if (index < 0) {
            if (!addIfMissing)
                return false;
            appendLocked(newName, newDeviceName, type);
        } else {
            TMidiAlias* alias = aliases.items[index];
            if (alias->name == newName && alias->deviceName == newDeviceName)
                return false;
            alias->name = newName;
            alias->deviceName = newDeviceName;
        }
    }
    FireAliasChangeEvent();
    return true;
}

int TMidiAliasManager::AddAlias(BString const& name, BString const& deviceName, TAliasType type)
{
    int index = -1;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        index = indexOfLocked(name, type);
        if (index < 0)
            index = appendLocked(name, deviceName, type);
        else if (!pointAt(aliases.items[index], deviceName))
            return index;
    }
    FireAliasChangeEvent();
    return index;
}

int TMidiAliasManager::IndexOf(BString const& name, TAliasType type) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    return indexOfLocked(name, type);
}

int TMidiAliasManager::Exists(BString const& name, TAliasType type) const
{
    return IndexOf(name, type) >= 0;
}

int TMidiAliasManager::IndexOfByRef(TMidiAlias* alias) const
{
    if (!alias)
        return -1;
    BLockHolder hold(TMidiAlias::StateLock());
    return aliases.indexOf(alias);
}

TMidiAlias* TMidiAliasManager::GetAlias(int index) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    return index >= 0 && index < aliases.count ? aliases.items[index] : nullptr;
}

int TMidiAliasManager::GetCount() const
{
    BLockHolder hold(TMidiAlias::StateLock());
    return aliases.count;
}

int TMidiAliasManager::GetCountOfValid() const
{
    BLockHolder hold(TMidiAlias::StateLock());
    return aliases.count - aliases.GetCountOfType(AliasNone);
}

int TMidiAliasManager::GetCountOfType(TAliasType type) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    return aliases.GetCountOfType(type);
}

void TMidiAliasManager::FillAliasListByDevice(BString const& deviceName, TAliasType type, TMidiAliasList& list) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    list.clear();
    for (int i = 0; i < aliases.count; ++i) {
        TMidiAlias* alias = aliases.items[i];
        if (alias->type == type && alias->deviceName.equalsIgnoreCase(deviceName))
            list.Add(alias);
    }
}

void TMidiAliasManager::FillAliasListByType(TAliasType type, TMidiAliasList& list) const
{
    BLockHolder hold(TMidiAlias::StateLock());
    list.clear();
    for (int i = 0; i < aliases.count; ++i)
        if (aliases.items[i]->type == type)
            list.Add(aliases.items[i]);
}

bool TMidiAliasManager::RemoveAlias(int index)
{
    {
        BLockHolder hold(TMidiAlias::StateLock());
        if (index < 0 || index >= aliases.count || aliases.items[index]->type == AliasNone)
            return false;
        aliases.items[index]->type = AliasNone;
    }
    FireAliasChangeEvent();
    return true;
}

void TMidiAliasManager::RemoveAll()
{
    bool changed = false;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        for (int i = 0; i < aliases.count; ++i) {
            changed = changed || aliases.items[i]->type != AliasNone;
            aliases.items[i]->type = AliasNone;
        }
    }
    if (changed)
        FireAliasChangeEvent();
}

void TMidiAliasManager::ClearProjectUse()
{
    BLockHolder hold(TMidiAlias::StateLock());
    for (int i = 0; i < aliases.count; ++i)
        aliases.items[i]->projectUse = 0;
}

void TMidiAliasManager::DumpAliases() {}

void TMidiAliasManager::BeginUpdate()
{
    BLockHolder hold(TMidiAlias::StateLock());
    batches.begin();
}

void TMidiAliasManager::EndUpdate()
{
    bool held;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        held = batches.end();
    }
    if (held)
        FireAliasChangeEvent();
}

void TMidiAliasManager::FireAliasChangeEvent()
{
    {
        BLockHolder hold(TMidiAlias::StateLock());
        if (batches.hold())
            return;
    }
    listeners.forEach(false, [](TMidiAliasChangeListener* listener) { listener->OnMidiAliasListChanged(); });
}

void TMidiAliasManager::AddAliasChangeListener(TMidiAliasChangeListener* listener)
{
    listeners.add(listener);
}

void TMidiAliasManager::RemoveAliasChangeListener(TMidiAliasChangeListener* listener)
{
    listeners.remove(listener);
}

// An entry of a name already there updates that alias, taking the stored case of
// its name and the stored device; the one event at the end tells of it.
void TMidiAliasManager::loadFromIniFile(TIniFile& ini)
{
    {
        BLockHolder hold(TMidiAlias::StateLock());
        AliasIndex known = indexLocked();
        for (int i = 0; ini.ValueExists(SECTION_ALIAS, IniListKey(IDENT_NAME, i)); ++i) {
            BString name = ini.ReadString(SECTION_ALIAS, IniListKey(IDENT_NAME, i), BString());
            if (name.isEmpty())
                break;
            auto loaded = std::make_unique<TMidiAlias>(name, ini, i);
            auto entry = known.emplace(indexKey(name, loaded->type), loaded.get());
            if (entry.second) {
                aliases.add(loaded.release());
                continue;
            }
            entry.first->second->name = name;
            entry.first->second->deviceName = loaded->deviceName;
        }
    }
    FireAliasChangeEvent();
}

// The old entries go first, in one pass, so that writing an alias only appends it.
void TMidiAliasManager::saveToIniFile(TIniFile& ini)
{
    std::vector<TMidiAlias*> all;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        all.assign(aliases.items, aliases.items + aliases.count);
    }
    std::map<BString, MidiManagerDev*> slots[2];
    if (MidiManager::IsInstanceAllocated())
        for (int input : {0, 1})
            slots[input] = slotsByName(*MidiManager::instance(), input);
    std::vector<TMidiAlias*> saved;
    for (TMidiAlias* alias : all)
        if (isSaved(alias, slots[alias->IsInput() ? 1 : 0]))
            saved.push_back(alias);
    DeleteIniList(ini, SECTION_ALIAS, {IDENT_NAME, IDENT_DEVICE}, int(saved.size()));
    for (size_t n = 0; n < saved.size(); ++n)
        saved[n]->saveToIniFile(ini, int(n));
}

// A device alias is kept only while its device is to be opened at the next start.
bool TMidiAliasManager::isSaved(TMidiAlias* alias, std::map<BString, MidiManagerDev*> const& slots)
{
    if (alias->GetType() == AliasNone)
        return false;
    BString deviceName = alias->GetDeviceName();
    if (!alias->GetName().equalsIgnoreCase(deviceName))
        return true;
    auto slot = slots.find(deviceName);
    return slot != slots.end() && (slot->second->IsOpen() || slot->second->IsPending());
}

int TMidiAliasManager::indexOfLocked(BString const& name, TAliasType type) const
{
    for (int i = 0; i < aliases.count; ++i)
        if (aliases.items[i]->type == type && aliases.items[i]->name.equalsIgnoreCase(name))
            return i;
    return -1;
}

TMidiAliasManager::AliasIndex TMidiAliasManager::indexLocked() const
{
    AliasIndex index;
    for (int i = 0; i < aliases.count; ++i)
        index.emplace(indexKey(aliases.items[i]->name, aliases.items[i]->type), aliases.items[i]);
    return index;
}

TMidiAliasManager::AliasIndex::key_type TMidiAliasManager::indexKey(BString const& name, TAliasType type)
{
    return {type, name.toUpper()};
}

int TMidiAliasManager::appendLocked(BString const& name, BString const& deviceName, TAliasType type)
{
    aliases.add(new TMidiAlias(name, deviceName, type));
    return aliases.count - 1;
}

// One event at the end, when any device alias was made or pointed back at its
// device. Only present ports get one: the alias of a port known only from the ini
// file would be saved beside the port's own entry, doubling it at every close. The
// names are taken first: the MIDI manager is not called under the lock.
void TMidiAliasManager::addDeviceAliases()
{
    MidiManager* manager = MidiManager::instance();
    std::vector<AliasIndex::key_type> devices;
    for (int input : {0, 1}) {
        TAliasType type = input ? AliasMidiIn : AliasMidiOut;
        for (int i = 0, count = manager->GetDevCount(input); i < count; ++i) {
            MidiManagerDev* slot = nullptr;
            if (manager->GetDevDescriptor(i, input, slot) && slot->Exists())
                devices.emplace_back(type, slot->GetName());
        }
    }
    bool changed = false;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        AliasIndex known = indexLocked();
        for (auto const& device : devices) {
            auto entry = known.emplace(indexKey(device.second, device.first), nullptr);
            if (entry.second) {
                int added = appendLocked(device.second, device.second, device.first);
                entry.first->second = aliases.items[added];
                changed = true;
            }
            TMidiAlias* alias = entry.first->second;
            alias->projectUse |= 1;
            if (!alias->deviceName.equalsIgnoreCase(device.second)) {
                alias->deviceName = device.second;
                changed = true;
            }
        }
    }
    if (changed)
        FireAliasChangeEvent();
}

bool TMidiAliasManager::pointAt(TMidiAlias* alias, BString const& deviceName)
{
    BLockHolder hold(TMidiAlias::StateLock());
    if (alias->deviceName.equalsIgnoreCase(deviceName))
        return false;
    alias->deviceName = deviceName;
    return true;
}

} // namespace Tr
