#pragma once

#include "foundation/BList.h"

#include <atomic>

namespace Tr {

// Base of every process-wide single instance: construction records the object in
// the shutdown registry, PexaSystem::shutdown deletes it through this destructor.
class AutoDelete {
public:
    AutoDelete();
    AutoDelete(AutoDelete const&) = delete;
    AutoDelete& operator=(AutoDelete const&) = delete;
    // Clears its own slot, so a shutdown in progress skips it.
    virtual ~AutoDelete();
};

// The shutdown registry. Objects are deleted in the order of their registration.
// The list is guarded by one lock, which is never held while an object is deleted:
// a destructor may create or delete other registered objects.
class PexaSystem {
public:
    PexaSystem() = delete;

    // Null at load time and after shutdown; slots of deleted objects hold null.
    static BList<AutoDelete*>* autoDels;
    static std::atomic<bool> shuttingDown;

    static void AddAutoDelete(AutoDelete* object);
    static void RemoveAutoDelete(AutoDelete* object);
    static bool isShuttingDown();
    static void shutdown();
    static bool hasAutoDeletes();
};

// Empty; one static instance lives beside the registry.
class bclasses_initializer {
public:
    ~bclasses_initializer();
};

} // namespace Tr
