#include "midi/MidiManager.h"

#include "foundation/Exception.h"
#include "midi/MidiDeviceFactory.h"
#include "midi/MIDIDevChangeNotifier.h"
#include "midi/TMidiAliasManager.h"
#include "midi/TMidiRouter.h"

#include <vector>

namespace Tr {

namespace {

// Serialises the manager's creation; the thread that creates it reaches it again
// from the initialisers.
BLock& creationLock()
{
    static BLock* lock = new BLock;
    return *lock;
}

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

MidiManagerDev* MidiManager::appendSlot(MidiManagerDev* slot, int input)
{
    BList<MidiManagerDev*>& slots = slotsOf(input);
    slot->index = slots.count;
    slots.add(slot);
    return slot;
}

} // namespace Tr
