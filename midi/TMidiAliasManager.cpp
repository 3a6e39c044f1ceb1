#include "midi/TMidiAliasManager.h"

#include "midi/MidiManagerMadeInstance.h"

#include <memory>
#include <vector>

namespace Tr {

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
    ++batches[std::this_thread::get_id()].depth;
}

void TMidiAliasManager::EndUpdate()
{
    {
        BLockHolder hold(TMidiAlias::StateLock());
        auto batch = batches.find(std::this_thread::get_id());
        if (batch == batches.end())
            return;
        if (--batch->second.depth > 0)
            return;
        bool held = batch->second.held;
        batches.erase(batch);
        if (!held)
            return;
    }
    FireAliasChangeEvent();
}

void TMidiAliasManager::FireAliasChangeEvent()
{
    {
        BLockHolder hold(TMidiAlias::StateLock());
        auto batch = batches.find(std::this_thread::get_id());
        if (batch != batches.end()) {
            batch->second.held = true;
            return;
        }
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
// its name and the stored device.
void TMidiAliasManager::loadFromIniFile(TIniFile& ini)
{
    for (int i = 0; ini.ValueExists(SECTION_ALIAS, IniListKey(IDENT_NAME, i)); ++i) {
        BString name = ini.ReadString(SECTION_ALIAS, IniListKey(IDENT_NAME, i), BString());
        if (name.isEmpty())
            break;
        auto loaded = std::make_unique<TMidiAlias>(name, ini, i);
        TAliasType type = loaded->GetType();
        BString deviceName = loaded->GetDeviceName();
        {
            BLockHolder hold(TMidiAlias::StateLock());
            if (indexOfLocked(name, type) < 0) {
                aliases.add(loaded.release());
                continue;
            }
        }
        ModifyAlias(name, type, name, deviceName, true);
    }
    FireAliasChangeEvent();
}

void TMidiAliasManager::saveToIniFile(TIniFile& ini)
{
    std::vector<TMidiAlias*> all;
    {
        BLockHolder hold(TMidiAlias::StateLock());
        all.assign(aliases.items, aliases.items + aliases.count);
    }
    int written = 0;
    for (TMidiAlias* alias : all)
        if (isSaved(alias))
            alias->saveToIniFile(ini, written++);
    for (int i = written; ini.ValueExists(SECTION_ALIAS, IniListKey(IDENT_NAME, i)); ++i) {
        ini.DeleteKey(SECTION_ALIAS, IniListKey(IDENT_NAME, i));
        ini.DeleteKey(SECTION_ALIAS, IniListKey(IDENT_DEVICE, i));
    }
}

// A device alias is kept only while its device is to be opened at the next start.
bool TMidiAliasManager::isSaved(TMidiAlias* alias)
{
    if (alias->GetType() == AliasNone)
        return false;
    BString deviceName = alias->GetDeviceName();
    if (!alias->GetName().equalsIgnoreCase(deviceName))
        return true;
    if (!MidiManager::IsInstanceAllocated())
        return false;
    MidiManager* manager = MidiManager::instance();
    int input = alias->IsInput();
    MidiManagerDev* slot = manager->GetDevDescriptor(manager->GetDevIndex(deviceName, input), input);
    return slot && (slot->IsOpen() || slot->IsPending());
}

int TMidiAliasManager::indexOfLocked(BString const& name, TAliasType type) const
{
    for (int i = 0; i < aliases.count; ++i)
        if (aliases.items[i]->type == type && aliases.items[i]->name.equalsIgnoreCase(name))
            return i;
    return -1;
}

int TMidiAliasManager::appendLocked(BString const& name, BString const& deviceName, TAliasType type)
{
    aliases.add(new TMidiAlias(name, deviceName, type));
    return aliases.count - 1;
}

// One event at the end, when any device alias was made or pointed back at its device.
void TMidiAliasManager::addDeviceAliases()
{
    MidiManager* manager = MidiManager::instance();
    TMidiAliasBatch batch(*this);
    for (int input : {0, 1}) {
        TAliasType type = input ? AliasMidiIn : AliasMidiOut;
        for (int i = 0, count = manager->GetDevCount(input); i < count; ++i) {
            MidiManagerDev* slot = nullptr;
            if (!manager->GetDevDescriptor(i, input, slot))
                continue;
            BString deviceName = slot->GetName();
            if (pointAt(GetAliasByName(deviceName, type, 1), deviceName))
                FireAliasChangeEvent();
        }
    }
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
