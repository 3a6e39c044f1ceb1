#include "midi/MidiManager.h"

#include "foundation/Exception.h"
#include "midi/MidiDeviceFactory.h"
#include "midi/MidiPortAbsent.h"
#include "midi/TMidiAliasManager.h"
#include "midi/TMidiRouter.h"
#include "midi/MIDIDevChangeNotifier.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Tr {

namespace {

char const* const SIllegalInId = "Internal error: illegal MIDI In device ID: %d";
char const* const SIllegalOutId = "Internal error: illegal MIDI Out device ID: %d";
char const* const SInCannotOpen = "MIDI IN device \"%s\" could not be opened.";
char const* const SOutCannotOpen = "MIDI OUT device \"%s\" could not be opened.";
char const* const SInOpened = "Opened MIDI IN: %s";
char const* const SOutOpened = "Opened MIDI OUT: %s";
char const* const SInClosed = "Closed MIDI IN: %s";
char const* const SOutClosed = "Closed MIDI OUT: %s";
char const* const SInErrorPrefix = "MIDI IN: ";
char const* const SOutErrorPrefix = "MIDI OUT: ";

// Serialises the manager's creation; the thread that creates it reaches it again
// from the initialisers.
BLock& creationLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

BString textFor(char const* format, BString const& name)
{
    return BString::format(format, name.c_str());
}

void discard(TMidiDeviceBase* device)
{
    if (!device)
        return;
    device->Close();
    delete device;
}

// Runs its action when the scope ends, also by an exception.
class ScopeEnd {
public:
    explicit ScopeEnd(std::function<void()> action) : action(std::move(action)) {}
    ~ScopeEnd() { action(); }

private:
    std::function<void()> action;
};

} // namespace

BList<MidiManagerInitializer*>* MidiManagerInitializers = nullptr;
std::atomic<MidiManager*> MidiManager::inst{nullptr};
std::atomic<int> MidiManager::hadAlreadyBeenDestroyed{0};

MidiManagerInitializer::~MidiManagerInitializer() = default;

void MidiManagerInitializer::OnMidiManagerCreated() {}

void MidiManagerInitializer::OnMidiManagerToBeDeleted() {}

MidiManager* MidiManager::instance()
{
    if (MidiManager* manager = inst)
        return manager;
    BLockHolder hold(creationLock());
    if (MidiManager* manager = inst)
        return manager;
    if (hadAlreadyBeenDestroyed)
        throw Exception("Cannot re-instanciate MidiManager!");
    auto manager = new MidiManager;
    manager->Init();
    return manager;
}

bool MidiManager::IsInstanceAllocated()
{
    return inst != nullptr;
}

void MidiManager::AddInitializer(MidiManagerInitializer* initializer)
{
    if (!MidiManagerInitializers)
        MidiManagerInitializers = new BList<MidiManagerInitializer*>;
    MidiManagerInitializers->addIfNotExists(initializer);
}

MidiManager::MidiManager()
{
    inst = this;
    notifier = new MIDIDevChangeNotifier(*this);
    notifier->registerNotification();
    if (MidiManagerInitializers)
        for (int i = 0; i < MidiManagerInitializers->count; ++i)
            MidiManagerInitializers->items[i]->OnMidiManagerCreated();
}

// The alias manager and then the router are made here, and so register for
// deletion after the manager.
void MidiManager::Init()
{
    initialised = 1;
    TMidiAliasManager::instance()->AddAliasChangeListener(this);
    TMidiRouter::instance()->AddRouteChangeListener(this);
    if (MidiManagerInitializers)
        for (int i = 0; i < MidiManagerInitializers->count; ++i)
            MidiManagerInitializers->items[i]->OnMidiManagerInited();
}

MidiManager::~MidiManager()
{
    // A rescan still running opens nothing more.
    suspended = 1;
    if (BList<MidiManagerInitializer*>* initializers = MidiManagerInitializers) {
        for (int i = 0; i < initializers->count; ++i)
            initializers->items[i]->OnMidiManagerToBeDeleted();
        initializers->clearAndDelete();
        delete initializers;
        MidiManagerInitializers = nullptr;
    }
    StopDetectingMIDIDeviceChanges();
    if (TMidiAliasManager::IsInstanceAllocated())
        TMidiAliasManager::instance()->RemoveAliasChangeListener(this);
    if (TMidiRouter::IsInstanceAllocated())
        TMidiRouter::instance()->RemoveRouteChangeListener(this);
    std::vector<MidiManagerDev*> slots;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        for (BList<MidiManagerDev*>* list : {&inSlots, &outSlots}) {
            slots.insert(slots.end(), list->items, list->items + list->count);
            list->clear();
        }
    }
    for (MidiManagerDev* slot : slots)
        delete slot;
    controlListeners.clear();
    devListListeners.clear();
    inst = nullptr;
    if (sharedClient)
        MIDIClientDispose(sharedClient);
    sharedClient = 0;
    hadAlreadyBeenDestroyed = 1;
}

bool MidiManager::AddFactory(MidiDeviceFactory* factory, int refreshNow)
{
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        if (!factory || factories.indexOf(factory) >= 0 || factories.count >= kMaxFactories)
            return false;
        factories.add(factory);
    }
    factory->SetErrorListener(this);
    if (!refreshNow || suspended)
        everRefreshed = 0;
    else
        RefreshDevList(0, 0, 1);
    return true;
}

void MidiManager::RemoveFactory(MidiDeviceFactory* factory, int fireEvents)
{
    bool changed = false;
    {
        BLockHolder hold(lock);
        std::vector<TMidiDeviceBase*> devices;
        if (!forgetFactory(factory, devices, changed))
            return;
        for (TMidiDeviceBase* device : devices)
            discard(device);
    }
    if (changed && fireEvents)
        FireDevListChangeEvent();
}

MidiDeviceFactory* MidiManager::GetFactory(unsigned int type)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    int position = GetFactoryIndex(type);
    return position >= 0 ? factories.items[position] : nullptr;
}

int MidiManager::GetFactoryIndex(unsigned int type)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    for (int i = factories.count - 1; i >= 0; --i)
        if (unsigned(factories.items[i]->GetType()) == type)
            return i;
    return -1;
}

void MidiManager::ClearFactoryCaches()
{
    BLockHolder hold(MidiManagerDev::StateLock());
    for (int i = 0; i < factories.count; ++i)
        factories.items[i]->InvalidateCache();
}

int MidiManager::IsSuspended() const
{
    return suspended;
}

void MidiManager::SetSuspended(int on)
{
    int value = on ? 1 : 0;
    if (suspended.exchange(value) != value && value == 0)
        RefreshDevList(0, 0, 1);
}

int MidiManager::IsPersistent() const
{
    return persistence;
}

void MidiManager::SetPersistent(int on)
{
    persistence = on ? 1 : 0;
}

int MidiManager::isDetectingMIDIDeviceChanges() const
{
    return notifier && notifier->isRegistered();
}

MIDIDevChangeNotifier* MidiManager::GetNotifier() const
{
    return notifier;
}

void MidiManager::StopDetectingMIDIDeviceChanges()
{
    delete notifier;
    notifier = nullptr;
}

MIDIClientRef MidiManager::getSharedMIDIClientRef()
{
    if (notifier && notifier->GetClient())
        return notifier->GetClient();
    BLockHolder hold(lock);
    if (!sharedClient) {
        CFStringRef name = BString("Pexa's MIDI").toCFString();
        MIDIClientCreate(name, nullptr, nullptr, &sharedClient);
        CFRelease(name);
    }
    return sharedClient;
}

void MidiManager::debugPrintDeviceList() {}

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

int MidiManager::GetDevCount(int input)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    return slotsOf(input).count;
}

MidiManagerDev* MidiManager::GetDevDescriptor(int index, int input)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    return slotAt(index, input);
}

int MidiManager::GetDevDescriptor(int index, int input, MidiManagerDev*& slot)
{
    slot = GetDevDescriptor(index, input);
    return slot != nullptr;
}

MidiManagerDev* MidiManager::GetDevDescriptor(BString const& name, int input)
{
    return GetDevDescriptor(GetDevIndex(name, input), input);
}

int MidiManager::GetDevIndex(BString const& name, int input)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    return findByName(name, input);
}

int MidiManager::GetDevIndex(BString const& name, int input, unsigned int type, int create)
{
    rescanUnlessEverRefreshed();
    return input ? GetInDevIndexByName(name, type, create) : GetOutDevIndexByName(name, type, create);
}

int MidiManager::GetInDevIndexByName(BString const& name)
{
    return GetDevIndex(name, 1);
}

int MidiManager::GetOutDevIndexByName(BString const& name)
{
    return GetDevIndex(name, 0);
}

int MidiManager::GetInDevIndexByName(BString const& name, unsigned int type, int create)
{
    return findByNameAndType(name, 1, type, create);
}

int MidiManager::GetOutDevIndexByName(BString const& name, unsigned int type, int create)
{
    return findByNameAndType(name, 0, type, create);
}

int MidiManager::GetDevIndexByDescriptor(int input, MidiDeviceDescriptor* desc)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    return findByDescriptor(input, desc);
}

int MidiManager::GetDevIndexByInterfaceName(BString const& text, int input)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = slots.count - 1; i >= 0; --i)
        if (slots.items[i]->SameInterfaceName(text))
            return i;
    return -1;
}

int MidiManager::GetDevicePair(int index, int input)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    MidiManagerDev* slot = slotAt(index, input);
    if (!slot)
        return -1;
    BList<MidiManagerDev*>& others = slotsOf(!input);
    for (int i = 0; i < others.count; ++i)
        if (slot->descriptor->isPairOf(others.items[i]->descriptor))
            return i;
    return -1;
}

MidiManagerDev* MidiManager::GetDevicePair(MidiManagerDev* slot)
{
    if (!slot)
        return nullptr;
    int input = slot->IsInput();
    return GetDevDescriptor(GetDevicePair(slot->GetIndex(), input), !input);
}

int MidiManager::GetExistingDevCount(int input)
{
    rescanUnlessEverRefreshed();
    BLockHolder hold(MidiManagerDev::StateLock());
    BList<MidiManagerDev*>& slots = slotsOf(input);
    int existing = 0;
    for (int i = 0; i < slots.count; ++i)
        existing += slots.items[i]->exists ? 1 : 0;
    return existing;
}

TMidiDeviceBase* MidiManager::GetMidiInputByIndex(int index)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    MidiManagerDev* slot = slotAt(index, 1);
    if (!slot)
        throw Exception("Illegal MIDI IN ID!");
    return slot->device;
}

TMidiDeviceBase* MidiManager::GetMidiOutputByIndex(int index)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    MidiManagerDev* slot = slotAt(index, 0);
    if (!slot)
        throw Exception("Illegal MIDI OUT ID!");
    return slot->device;
}

void MidiManager::loadFromIniFile(TIniFile& ini)
{
    if (!persistence)
        return;
    loadSection(ini, 1);
    loadSection(ini, 0);
}

void MidiManager::saveToIniFile(TIniFile& ini)
{
    if (!persistence)
        return;
    saveSection(ini, 1);
    saveSection(ini, 0);
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

void MidiManager::AddDevListChangeListener(TMidiDeviceListListener* listener)
{
    devListListeners.add(listener);
}

void MidiManager::RemoveDevListChangeListener(TMidiDeviceListListener* listener)
{
    devListListeners.remove(listener);
}

void MidiManager::AddDeviceControlListener(MidiManagerDeviceControlListener* listener)
{
    controlListeners.add(listener);
}

void MidiManager::RemoveDeviceControlListener(MidiManagerDeviceControlListener* listener)
{
    controlListeners.remove(listener);
}

void MidiManager::AddOutDeviceFilter(MidiOutDeviceFilter* filter)
{
    outFilters.add(filter);
}

void MidiManager::RemoveOutDeviceFilter(MidiOutDeviceFilter* filter)
{
    outFilters.remove(filter);
}

void MidiManager::AddInDeviceFilter(MidiInDeviceFilter* filter)
{
    inFilters.add(filter);
}

void MidiManager::RemoveInDeviceFilter(MidiInDeviceFilter* filter)
{
    inFilters.remove(filter);
}

void MidiManager::SetIncomingMessageHandler(MidiIncomingMessageHandler* handler)
{
    incomingHandler.assign(handler);
}

void MidiManager::SetThruHandler(MidiThruHandler* handler)
{
    thruHandler.assign(handler);
}

void MidiManager::Open(int index, int input, int throwOnError)
{
    openDevice(index, input ? 1 : 0, throwOnError);
}

void MidiManager::OpenInDevice(int index, int throwOnError)
{
    openDevice(index, 1, throwOnError);
}

void MidiManager::OpenOutDevice(int index, int throwOnError)
{
    openDevice(index, 0, throwOnError);
}

void MidiManager::Close(int index, int input, int throwOnError, int force)
{
    closeDevice(index, input ? 1 : 0, throwOnError, force);
}

void MidiManager::CloseInDevice(int index, int throwOnError, int force)
{
    closeDevice(index, 1, throwOnError, force);
}

void MidiManager::CloseOutDevice(int index, int throwOnError, int force)
{
    closeDevice(index, 0, throwOnError, force);
}

void MidiManager::CloseAll(int input, int force)
{
    MidiManager* manager = inst;
    if (!manager)
        return;
    for (int i = manager->GetDevCount(input) - 1; i >= 0; --i)
        manager->Close(i, input, 0, force);
}

void MidiManager::CloseAll(int force)
{
    CloseAll(0, force);
    CloseAll(1, force);
}

void MidiManager::FireErrorEvent(int index, int input, BString const& text, int throwIt)
{
    if (throwIt)
        throw Exception((input ? SInErrorPrefix : SOutErrorPrefix) + text);
    controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
        listener->OnMidiErrorMessage(index, input, text);
    });
}

void MidiManager::OnMidiDeviceError(TMidiDeviceBase* device, BString const& text)
{
    int index = 0;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        index = device->ownerIndex;
    }
    FireErrorEvent(index, dynamic_cast<TMidiInputBase*>(device) ? 1 : 0, text, 0);
}

int MidiManager::SendMessageAllDevs(unsigned char* data, int length)
{
    if (suspended)
        return 0;
    int count = 0;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        count = outSlots.count;
    }
    int sent = 0;
    for (int i = count - 1; i >= 0; --i)
        if (sendToSlot(i, isReady, data, length, sent))
            return 1;
    return sent;
}

int MidiManager::SendMessageToAliasList(TMidiAliasList& list, unsigned char* data, int length)
{
    if (suspended)
        return 0;
    std::vector<int> indexes;
    for (int i = list.count - 1; i >= 0; --i) {
        TMidiAlias* alias = list.items[i];
        int index = alias->GetMidiManagerDevIndex();
        if (alias->GetType() == AliasMidiOut && index >= 0)
            indexes.push_back(index);
    }
    int sent = 0;
    for (int index : indexes)
        if (sendToSlot(index, isReady, data, length, sent))
            return 1;
    return sent;
}

int MidiManager::SendMessage(int index, unsigned char* data, int length)
{
    if (suspended)
        return 0;
    int sent = 0;
    return sendToSlot(index, hasDevice, data, length, sent) ? 1 : sent;
}

// The filters and handlers run with no lock held, as listeners do, so that they may
// call back into the manager.
void MidiManager::OnMidiDeviceMessage(TMidiInputBase* device, unsigned long long timestamp, unsigned char* data,
                                      int length)
{
    int index = 0;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        index = device->ownerIndex;
    }
    int proceed = 1;
    inFilters.forEach(false, [&](MidiInDeviceFilter* filter) {
        if (proceed)
            filter->FilterMidiIn(index, timestamp, data, length, proceed);
    });
    if (!proceed || suspended)
        return;
    bool offered = false;
    int handled = 0;
    incomingHandler.forEach(false, [&](MidiIncomingMessageHandler* handler) {
        offered = true;
        handler->OnIncomingMidiMessage(index, timestamp, data, length, handled);
    });
    MMDevIn* slot = inSlotAt(index);
    if (!offered || handled || !slot)
        return;
    TMidiAliasList thru;
    slot->GetThruList(thru);
    if (SendMessageToAliasList(thru, data, length))
        thruHandler.forEach(false, [&](MidiThruHandler* handler) { handler->OnMidiThru(thru); });
}

void MidiManager::EnableInActiveSensing(int index, int on)
{
    if (MMDevIn* slot = inSlotAt(index))
        slot->SetActiveSensing(on);
}

void MidiManager::EnableInTimeCode(int index, int on)
{
    if (MMDevIn* slot = inSlotAt(index))
        slot->SetTimingClock(on);
}

int MidiManager::IsInActiveSensingEnabled(int index)
{
    MMDevIn* slot = inSlotAt(index);
    return slot ? slot->GetActiveSensing() : 0;
}

int MidiManager::IsInTimeCodeEnabled(int index)
{
    MMDevIn* slot = inSlotAt(index);
    return slot ? slot->GetTimingClock() : 0;
}

int MidiManager::GetNumberOfOpenedDevices()
{
    int opened = 0;
    for (int input : {0, 1})
        for (int i = 0, count = GetDevCount(input); i < count; ++i)
            if (MidiManagerDev* slot = GetDevDescriptor(i, input))
                opened += slot->Exists() && slot->IsOpen() ? 1 : 0;
    return opened;
}

bool MidiManager::forgetFactory(MidiDeviceFactory* factory, std::vector<TMidiDeviceBase*>& devices, bool& changed)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    int position = factories.indexOf(factory);
    if (position < 0)
        return false;
    factories.remove(position);
    for (int* counts : {inCounts, outCounts}) {
        std::copy(counts + position + 1, counts + kMaxFactories, counts + position);
        counts[kMaxFactories - 1] = 0;
    }
    for (BList<MidiManagerDev*>* list : {&inSlots, &outSlots}) {
        for (int i = 0; i < list->count; ++i) {
            MidiManagerDev* slot = list->items[i];
            if (slot->descriptor->factory != factory)
                continue;
            changed = changed || slot->exists;
            slot->exists = 0;
            slot->descriptor->factory = nullptr;
            if (slot->device) {
                slot->pending = slot->pending || slot->device->IsOpen();
                devices.push_back(slot->detachDevice());
            }
        }
    }
    return true;
}

TMidiDeviceBase* MidiManager::deviceOf(MidiManagerDev* slot)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    return slot->device;
}

BList<MidiManagerDev*>& MidiManager::slotsOf(int input)
{
    return input ? inSlots : outSlots;
}

int* MidiManager::countsOf(int input)
{
    return input ? inCounts : outCounts;
}

MidiManagerDev* MidiManager::slotAt(int index, int input)
{
    BList<MidiManagerDev*>& slots = slotsOf(input);
    return index >= 0 && index < slots.count ? slots.items[index] : nullptr;
}

MMDevIn* MidiManager::inSlotAt(int index)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    return static_cast<MMDevIn*>(slotAt(index, 1));
}

std::vector<MidiManagerDev*> MidiManager::slotsNow(int input)
{
    BLockHolder hold(MidiManagerDev::StateLock());
    BList<MidiManagerDev*>& slots = slotsOf(input);
    return std::vector<MidiManagerDev*>(slots.items, slots.items + slots.count);
}

void MidiManager::rescanUnlessEverRefreshed()
{
    if (!everRefreshed && !suspended)
        RefreshDevList(1, 0, 1);
}

int MidiManager::findByName(BString const& name, int input)
{
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = slots.count - 1; i >= 0; --i)
        if (slots.items[i]->descriptor->GetName() == name)
            return i;
    return -1;
}

int MidiManager::findByDescriptor(int input, MidiDeviceDescriptor* desc)
{
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = slots.count - 1; i >= 0; --i)
        if (slots.items[i]->descriptor->Matches(desc))
            return i;
    return -1;
}

// The lock keeps device objects and their descriptors in place while a slot of the
// maker's own virtual ports is matched by its device's name.
int MidiManager::findByNameAndType(BString const& name, int input, unsigned int type, int create)
{
    BLockHolder hold(lock);
    BLockHolder holdState(MidiManagerDev::StateLock());
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = slots.count - 1; i >= 0; --i) {
        MidiManagerDev* slot = slots.items[i];
        if (unsigned(slot->descriptor->GetType()) != type)
            continue;
        if (slot->descriptor->GetName().equalsIgnoreCase(name))
            return i;
        if (type == kMidiTypePexaVirtual && slot->device &&
            slot->device->GetDescriptor()->GetName().equalsIgnoreCase(name))
            return i;
    }
    if (!create || name.isEmpty())
        return -1;
    return appendPlaceholder(name, input, type);
}

int MidiManager::appendPlaceholder(BString const& name, int input, unsigned int type)
{
    int count = slotsOf(input).count;
    MidiManagerDev* placeholder =
        input ? static_cast<MidiManagerDev*>(new MMDevIn(type, count, name)) : new MMDevOut(type, count, name);
    return appendSlot(placeholder, input)->index;
}

// Keyed as findByNameAndType matches: the type, and the slot's name or, for the
// maker's own virtual ports, its device's name, ignoring case; the last slot wins.
std::map<std::pair<unsigned int, BString>, int> MidiManager::slotsByTypeAndName(int input)
{
    std::map<std::pair<unsigned int, BString>, int> index;
    BList<MidiManagerDev*>& slots = slotsOf(input);
    for (int i = 0; i < slots.count; ++i) {
        MidiManagerDev* slot = slots.items[i];
        unsigned int type = unsigned(slot->descriptor->GetType());
        index[{type, slot->descriptor->GetName().toUpper()}] = i;
        if (type == kMidiTypePexaVirtual && slot->device)
            index[{type, slot->device->GetDescriptor()->GetName().toUpper()}] = i;
    }
    return index;
}

MidiManagerDev* MidiManager::appendSlot(MidiManagerDev* slot, int input)
{
    BList<MidiManagerDev*>& slots = slotsOf(input);
    slot->index = slots.count;
    slots.add(slot);
    return slot;
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
            int k = findByName(desc->GetName(), input);
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

void MidiManager::tellControlListeners(int index, int input, BString const& text,
                                       void (MidiManagerDeviceControlListener::*after)(int, int))
{
    controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
        listener->OnMidiStringMessage(index, input, text);
        (listener->*after)(index, input);
    });
}

void MidiManager::openDevice(int index, int input, int throwOnError)
{
    MidiManagerDev* slot = nullptr;
    bool later = false;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        slot = slotAt(index, input);
        later = slot && (suspended || !slot->exists);
        if (later)
            slot->pending = 1;
    }
    if (!slot)
        return FireErrorEvent(-1, input, BString::format(input ? SIllegalInId : SIllegalOutId, index), throwOnError);
    if (later)
        return;
    {
        BLockHolder hold(lock);
        if (!slot->GetDev()) {
            BLockHolder holdState(MidiManagerDev::StateLock());
            slot->pending = 1;
            return;
        }
    }
    try {
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            slot->lastError.clear();
        }
        controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
            listener->OnBeforeOpenMidiDevice(index, input);
        });
        bool open = false;
        {
            BLockHolder hold(lock);
            if (TMidiDeviceBase* device = deviceOf(slot)) {
                device->Open();
                if (input && device->IsOpen())
                    static_cast<TMidiInputBase*>(device)->Start();
                open = device->IsOpen();
            }
        }
        BString name = slot->GetName();
        if (!open)
            return FireErrorEvent(index, input, textFor(input ? SInCannotOpen : SOutCannotOpen, name), throwOnError);
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            slot->pending = 0;
        }
        tellControlListeners(index, input, textFor(input ? SInOpened : SOutOpened, name),
                             &MidiManagerDeviceControlListener::OnAfterOpenMidiDevice);
    } catch (Exception const& error) {
        // A port that went since the last rescan waits for its return, as an absent one does.
        bool absent = dynamic_cast<MidiPortAbsent const*>(&error) != nullptr;
        {
            BLockHolder hold(MidiManagerDev::StateLock());
            slot->lastError = error.what();
            if (absent)
                slot->pending = 1;
        }
        {
            BLockHolder hold(lock);
            if (TMidiDeviceBase* device = deviceOf(slot))
                device->Close();
        }
        if (absent)
            return;
        if (throwOnError)
            throw;
        FireErrorEvent(index, input, error.what(), 0);
    }
}

void MidiManager::closeDevice(int index, int input, int throwOnError, int force)
{
    MidiManagerDev* slot = nullptr;
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        slot = slotAt(index, input);
    }
    if (!slot)
        return FireErrorEvent(-1, input, BString::format(input ? SIllegalInId : SIllegalOutId, index), throwOnError);
    if (!(suspended && !force) && slot->IsOpen()) {
        try {
            controlListeners.forEach(true, [&](MidiManagerDeviceControlListener* listener) {
                listener->OnBeforeCloseMidiDevice(index, input);
            });
            {
                BLockHolder hold(lock);
                if (TMidiDeviceBase* device = deviceOf(slot)) {
                    if (input)
                        static_cast<TMidiInputBase*>(device)->Stop();
                    device->Close();
                }
            }
            tellControlListeners(index, input, textFor(input ? SInClosed : SOutClosed, slot->GetName()),
                                 &MidiManagerDeviceControlListener::OnAfterCloseMidiDevice);
        } catch (Exception const& error) {
            if (throwOnError)
                throw;
            return FireErrorEvent(index, input, error.what(), 0);
        }
    }
    BLockHolder hold(MidiManagerDev::StateLock());
    slot->pending = 0;
}

bool MidiManager::isReady(MidiManagerDev* slot)
{
    return slot->exists && slot->device && slot->device->IsOpen();
}

bool MidiManager::hasDevice(MidiManagerDev* slot)
{
    return slot->device != nullptr;
}

// The slot is looked at again after the filters, which run with no lock held.
int MidiManager::sendToSlot(int index, bool (*usable)(MidiManagerDev*), unsigned char*& data, int& length,
                            int& sent)
{
    auto slotToSend = [&] {
        MidiManagerDev* slot = slotAt(index, 0);
        return slot && usable(slot) ? slot : nullptr;
    };
    {
        BLockHolder hold(MidiManagerDev::StateLock());
        if (!slotToSend())
            return 0;
    }
    int proceed = 1;
    outFilters.forEach(true, [&](MidiOutDeviceFilter* filter) {
        if (proceed)
            filter->FilterMidiOut(index, data, length, proceed);
    });
    if (!proceed)
        return 1;
    BLockHolder hold(MidiManagerDev::StateLock());
    MidiManagerDev* slot = slotToSend();
    // Every length goes out as it is: a packed short message would lose its length.
    if (slot && static_cast<TMidiOutputBase*>(slot->device)->SendLong(data, length))
        sent = 1;
    return 0;
}

// The slots are looked up in an index made once, under both locks for the whole
// section, so that the index stays true.
void MidiManager::loadSection(TIniFile& ini, int input)
{
    char const* section = input ? "MIDI.in" : "MIDI.out";
    BLockHolder hold(lock);
    BLockHolder holdState(MidiManagerDev::StateLock());
    std::map<std::pair<unsigned int, BString>, int> known = slotsByTypeAndName(input);
    for (int n = 0; ini.ValueExists(section, IniListKey("Name", n)); ++n) {
        std::unique_ptr<MidiManagerDev> entry(input ? static_cast<MidiManagerDev*>(new MMDevIn(nullptr, 0))
                                                    : new MMDevOut(nullptr, 0));
        entry->loadFromIniFile(ini, n);
        BString name = entry->GetDisplayDevName();
        auto slot = known.emplace(std::make_pair(entry->GetType(), name.toUpper()), -1).first;
        // A nameless entry would make a slot that nothing finds and every exit saves.
        if (slot->second < 0 && name.isNotEmpty())
            slot->second = appendPlaceholder(name, input, entry->GetType());
        if (slot->second >= 0)
            slotsOf(input).items[slot->second]->pending = 1;
    }
}

// The old entries go first, in one pass, so that writing an entry only appends it.
void MidiManager::saveSection(TIniFile& ini, int input)
{
    std::vector<MidiManagerDev*> saved;
    for (int i = 0; i < GetDevCount(input); ++i) {
        MidiManagerDev* slot = GetDevDescriptor(i, input);
        if (slot->IsPending() || slot->IsOpen())
            saved.push_back(slot);
    }
    DeleteIniList(ini, input ? "MIDI.in" : "MIDI.out", {"Name", "Options"}, int(saved.size()));
    for (size_t n = 0; n < saved.size(); ++n)
        saved[n]->saveToIniFile(ini, int(n));
}

} // namespace Tr
