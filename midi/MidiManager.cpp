#include "midi/MidiManager.h"

#include "foundation/Exception.h"
#include "midi/MidiDeviceFactory.h"

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
    if (MidiManagerInitializers)
        for (int i = 0; i < MidiManagerInitializers->count; ++i)
            MidiManagerInitializers->items[i]->OnMidiManagerCreated();
}

void MidiManager::Init()
{
    initialised = 1;
    if (MidiManagerInitializers)
        for (int i = 0; i < MidiManagerInitializers->count; ++i)
            MidiManagerInitializers->items[i]->OnMidiManagerInited();
}

MidiManager::~MidiManager()
{
    if (BList<MidiManagerInitializer*>* initializers = MidiManagerInitializers) {
        for (int i = 0; i < initializers->count; ++i)
            initializers->items[i]->OnMidiManagerToBeDeleted();
        initializers->clearAndDelete();
        delete initializers;
        MidiManagerInitializers = nullptr;
    }
    inst = nullptr;
    hadAlreadyBeenDestroyed = 1;
}

void MidiManager::AddFactory(MidiDeviceFactory* factory, int /*refreshNow*/)
{
    BLockHolder hold(lock);
    if (factory)
        factories.addIfNotExists(factory);
}

void MidiManager::RemoveFactory(MidiDeviceFactory* factory, int /*fireEvents*/)
{
    BLockHolder hold(lock);
    factories.remove(factories.indexOf(factory));
}

MidiDeviceFactory* MidiManager::GetFactory(unsigned int type)
{
    BLockHolder hold(lock);
    for (int i = factories.count - 1; i >= 0; --i)
        if (unsigned(factories.items[i]->GetType()) == type)
            return factories.items[i];
    return nullptr;
}

} // namespace Tr
