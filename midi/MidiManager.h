#pragma once

#include "foundation/BList.h"
#include "foundation/BLock.h"
#include "foundation/PexaSystem.h"

#include <atomic>

namespace Tr {

class MidiDeviceFactory;

// The hook of a back-end that acts when the MIDI manager comes and goes. Owned by
// the initialiser list; the manager's destructor deletes them.
class MidiManagerInitializer {
public:
    virtual ~MidiManagerInitializer();
    virtual void OnMidiManagerCreated();
    virtual void OnMidiManagerInited() = 0;
    virtual void OnMidiManagerToBeDeleted();
};

// Made by the first AddInitializer; null again once the manager deleted it.
extern BList<MidiManagerInitializer*>* MidiManagerInitializers;

// The process-wide owner of the MIDI back-ends (device factories), made on first
// use and deleted by the shutdown registry; it cannot be made again afterwards.
class MidiManager : public AutoDelete {
public:
    // Makes the manager (and runs Init) on the first call; throws after deletion.
    static MidiManager* instance();
    static bool IsInstanceAllocated();
    // Appends the initialiser unless it is already there; back-ends call it before main.
    static void AddInitializer(MidiManagerInitializer* initializer);

    ~MidiManager() override;

    // Appends the factory unless it is null or already there. (The rescan that
    // refreshNow asks for, and the events of RemoveFactory, come with the slots.)
    void AddFactory(MidiDeviceFactory* factory, int refreshNow);
    void RemoveFactory(MidiDeviceFactory* factory, int fireEvents);
    // The last factory of that type code, or null.
    MidiDeviceFactory* GetFactory(unsigned int type);

private:
    MidiManager();
    void Init();

    static std::atomic<MidiManager*> inst;
    static std::atomic<int> hadAlreadyBeenDestroyed;

    int initialised = 0;
    BLock lock;
    BList<MidiDeviceFactory*> factories; // guarded by lock
};

} // namespace Tr
