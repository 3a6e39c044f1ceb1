#include "midi/MidiManager.h"

#include "midi/MidiDeviceFactory.h"
#include "midi/TMidiAliasManager.h"

#include <functional>
#include <vector>

namespace Tr {

namespace {

// Runs its action when the scope ends, also by an exception.
class ScopeEnd {
public:
    explicit ScopeEnd(std::function<void()> action) : action(std::move(action)) {}
    ~ScopeEnd() { action(); }

private:
    std::function<void()> action;
};

// May the port take the slot of its display name? A slot remembered by name only
// (from the ini file) takes any; otherwise the slot's port bore the same name and,
// when it had identifiers, the same ones. So a slot keeps to its port while the
// program runs, and another port that shows its name meanwhile gets a slot of its own.
bool takesSlotOf(MidiDeviceDescriptor const& port, MidiDeviceDescriptor const& held)
{
    if (held.index < 0)
        return true;
    if (held.name != port.name)
        return false;
    if (held.interfaceId.isEmpty() && held.serial.isEmpty())
        return true;
    return held.interfaceId.equalsIgnoreCase(port.interfaceId) && held.serial.equalsIgnoreCase(port.serial);
}

} // namespace

int MidiManager::RefreshDevList(int force, int /*unused*/, int fireEvents)
{
    if (!everRefreshed.exchange(1))
        force = 1;
    if (!beginRescan(force))
        return 0;
    ScopeEnd guard([this] { endRescan(); });
    int result = 0;
    int changed = force;
    for (;;) {
        changed = runPass(force) || changed;
        postPass(changed);
        if (takeRefreshAgain(force))
            continue;
        if (changed) {
            OnMidiAliasListChanged();
            if (fireEvents)
                FireDevListChangeEvent();
        }
        result = result || changed;
        // Asked for by another thread while the listeners were told: once more.
        if (!takeRefreshAgain(force))
            return result;
        changed = force;
    }
}

void MidiManager::FireDevListChangeEvent()
{
    devListListeners.forEach(false, [](TMidiDeviceListListener* listener) { listener->OnMidiDeviceListChanged(); });
}

// Aliases of ports that are gone name no slot any more. The routes name their
// slots through the aliases, so the thru lists follow.
void MidiManager::OnMidiAliasListChanged()
{
    BLockHolder hold(rebuildLock);
    if (TMidiAliasManager::IsInstanceAllocated()) {
        TMidiAliasManager* aliases = TMidiAliasManager::instance();
        for (int i = 0, count = aliases->GetCount(); i < count; ++i) {
            TMidiAlias* alias = aliases->GetAlias(i);
            if (alias && (alias->GetType() == AliasMidiIn || alias->GetType() == AliasMidiOut))
                alias->SetMidiManagerDev(-1, 0);
        }
        for (int input : {1, 0}) {
            std::vector<MidiManagerDev*> slots = slotsNow(input);
            for (auto slot = slots.rbegin(); slot != slots.rend(); ++slot)
                (*slot)->RebuildAliasList();
        }
    }
    OnMidiRouteListChanged();
}

void MidiManager::OnMidiRouteListChanged()
{
    BLockHolder hold(rebuildLock);
    std::vector<MidiManagerDev*> slots = slotsNow(1);
    for (auto slot = slots.rbegin(); slot != slots.rend(); ++slot)
        static_cast<MMDevIn*>(*slot)->RebuildThruList();
}

bool MidiManager::beginRescan(int force)
{
    BLockHolder hold(lock);
    if (refreshing) {
        refreshAgain = 1;
        forceAgain = forceAgain || force;
        return false;
    }
    refreshing = 1;
    refreshAgain = 0;
    forceAgain = 0;
    return true;
}

void MidiManager::endRescan()
{
    BLockHolder hold(lock);
    refreshing = 0;
}

bool MidiManager::takeRefreshAgain(int& force)
{
    BLockHolder hold(lock);
    if (!refreshAgain)
        return false;
    refreshAgain = 0;
    force = forceAgain;
    forceAgain = 0;
    return true;
}

// A forced pass first clears the caches, since a port may have come since the last
// request, which is less than a cache period ago.
int MidiManager::runPass(int force)
{
    BLockHolder hold(lock);
    if (force)
        ClearFactoryCaches();
    std::vector<MidiDeviceFactory*> snapshot;
    {
        BLockHolder holdState(MidiManagerDev::StateLock());
        snapshot.assign(factories.items, factories.items + factories.count);
    }
    int changed = 0;
    for (size_t position = 0; position < snapshot.size(); ++position)
        for (int input : {0, 1})
            changed = RefreshDevListPerFactory(snapshot[position], int(position), input, force) || changed;
    return changed;
}

int MidiManager::RefreshDevListPerFactory(MidiDeviceFactory* factory, int position, int input, int force)
{
    int count = factory->GetNumDevs(input);
    unsigned int type = unsigned(factory->GetType());
    int& stored = countsOf(input)[position];
    BList<MidiManagerDev*>& slots = slotsOf(input);
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        bool unchanged = !force && count == stored;
        for (int i = 0; i < slots.count; ++i)
            if (unsigned(slots.items[i]->descriptor->GetType()) == type)
                slots.items[i]->seen = unchanged ? slots.items[i]->exists : 0;
        if (unchanged)
            return 0;
    }
    stored = count;
    // The count changed since the cache was built, perhaps less than a cache period ago.
    if (!force)
        factory->InvalidateCache();
    BOwnedList<MidiDeviceDescriptor*> found;
    factory->GetDeviceList(input, found);
    int changed = 0;
    std::vector<MMDevTransfer> transfers;
    for (int d = 0; d < found.count; ++d) {
        MidiDeviceDescriptor* desc = found.items[d];
        MidiManagerDev* slot = nullptr;
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            int k = findSlotFor(desc, input);
            int m = findByDescriptor(input, desc);
            // Another back-end's present port of the same name keeps its slot.
            if (k >= 0 && unsigned(slots.items[k]->descriptor->GetType()) != type && slots.items[k]->exists)
                k = -1;
            if (k < 0)
                k = appendSlot(input ? static_cast<MidiManagerDev*>(new MMDevIn(desc, 0)) : new MMDevOut(desc, 0),
                               input)
                        ->index;
            slot = slots.items[k];
            slot->seen = 1;
            if (!slot->exists) {
                slot->exists = 1;
                changed = 1;
            }
            // The port that a remembered descriptor matches now stands under another name.
            if (m >= 0 && m != k) {
                MidiManagerDev* old = slots.items[m];
                transfers.push_back({m, k, old->device});
                old->device = nullptr;
                old->descriptor->InvalidateSerialAndInterface();
                changed = 1;
            }
        }
        slot->SetDescriptor(desc);
        TMidiDeviceBase* open = nullptr;
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            if (slot->device && slot->device->IsOpen())
                open = slot->device;
        }
        // A port that went and came back since the last rescan is another endpoint
        // now: its device closes as it verifies itself, and is opened again below.
        if (open && !changed)
            open->VerifyOpenState();
        if (open && (changed || !open->IsOpen())) {
            {
                BLockHolder hold(MidiManagerDev::StateLock());
                slot->pending = 1;
            }
            open->Close();
        }
    }
    for (MMDevTransfer const& transfer : transfers)
        slots.items[transfer.newIndex]->ReplaceDevice(transfer.device);
    return changed;
}

int MidiManager::findSlotFor(MidiDeviceDescriptor* desc, int input)
{
    BString shown = desc->GetName();
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = slots.count - 1; i >= 0; --i) {
        MidiDeviceDescriptor const& held = *slots.items[i]->descriptor;
        if (held.GetName() == shown && takesSlotOf(*desc, held))
            return i;
    }
    return -1;
}

void MidiManager::postPass(int& changed)
{
    enum Action { None, CloseVanished, OpenPending };
    for (int input : {0, 1}) {
        int count = 0;
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            count = slotsOf(input).count;
        }
        for (int i = 0; i < count; ++i) {
            Action action = None;
            MidiManagerDev* slot = nullptr;
            {
                BLockHolder hold(MidiManagerDev::StateLock());
                slot = slotsOf(input).items[i];
                if (!slot->seen && slot->exists) {
                    slot->exists = 0;
                    changed = 1;
                }
                bool open = slot->device && slot->device->IsOpen();
                if (!slot->exists && open)
                    action = CloseVanished;
                else if (slot->exists && slot->pending && !open)
                    action = OpenPending;
            }
            if (action == CloseVanished) {
                Close(i, input, 0, 1);
                BLockHolder hold(MidiManagerDev::StateLock());
                slot->pending = 1;
            } else if (action == OpenPending) {
                Open(i, input, 0);
            }
        }
    }
}

} // namespace Tr
